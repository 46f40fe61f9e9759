#pragma once

// tavrin-export's command line.

#include <cstdint>
#include <string>
#include <vector>

#include "recording/Platform.h"

namespace tavrin::exporter {

enum class Mode { None, Event, Span, Recording, Snapshot, Report };

struct ExportOptions {
    Mode mode = Mode::None;
    double beforeSeconds = 15;
    double afterSeconds = 15;
    std::int64_t from = 0;  // the unit's clock, seconds
    std::int64_t to = 0;
    std::int64_t snapshotTime = 0;
    std::int32_t snapshotSlot = -1;
    bool png = false;
    bool json = false;
    bool force = false;
    bool quiet = false;
    bool help = false;
    Path outFolder;  // empty: the current folder
    Path input;
};

// Reads the arguments (without the program's name); false with a one-line reason in `error`.
bool parseArguments(const std::vector<std::wstring>& args, ExportOptions& options,
                    std::string& error);

const char* usageText();

}  // namespace tavrin::exporter
