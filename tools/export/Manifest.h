#pragma once

// The small JSON file beside each clip that lets an investigator check nothing was altered: the
// source archives with their SHA-256 and the slots taken from each, and every file written with
// its size and SHA-256.

#include <cstdint>
#include <string>
#include <vector>

namespace tavrin::exporter {

struct ManifestSource {
    std::string file;  // UTF-8 file name
    std::string path;
    std::int64_t bytes = 0;
    std::string sha256;
    std::int32_t firstSlot = 0;
    std::int32_t lastSlot = 0;  // inclusive
};

struct ManifestFile {
    std::string file;
    std::int64_t bytes = 0;
    std::string sha256;
};

struct Manifest {
    std::string clip;  // the clip's base name
    std::int64_t startTime = 0;
    std::int64_t endTime = 0;
    std::int32_t frames = 0;
    std::int64_t samples = 0;
    std::vector<ManifestSource> sources;
    std::vector<ManifestFile> files;
};

std::string manifestJson(const Manifest& manifest);

}  // namespace tavrin::exporter
