#pragma once

// One run of tavrin-export: reads the input, chooses the clips, stills or report the options
// ask for and writes them.

#include <cstdint>

namespace tavrin::exporter {

struct ExportOptions;

// Returns the exit status; failures throw ExportError.
int runExport(const ExportOptions& options, std::int64_t riffLimit);

}  // namespace tavrin::exporter
