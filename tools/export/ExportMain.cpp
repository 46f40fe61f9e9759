// tavrin-export: clips, stills, telemetry and a report taken off a camera unit's memory card.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "recording/DeviceTypeCode.h"
#include "tools/export/AviWriter.h"
#include "tools/export/ExportError.h"
#include "tools/export/ExportOptions.h"
#include "tools/export/ExportPlatform.h"
#include "tools/export/Exporter.h"
#include "tools/inspect/Arguments.h"
#include "ui/Messages.h"

namespace {

// Tests reach the OpenDML part of the video writer with small files by lowering the size at
// which a RIFF part ends.
std::int64_t riffLimit() {
    const char* configured = std::getenv("TAVRIN_EXPORT_RIFF_LIMIT");
    if (configured == nullptr || *configured == '\0') return tavrin::exporter::kRiffLimit;
    const long long value = std::atoll(configured);
    return value >= 65536 && value <= tavrin::exporter::kRiffLimit ? value
                                                                   : tavrin::exporter::kRiffLimit;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tavrin;
    using namespace tavrin::exporter;
    prepareConsole();
    ExportOptions options;
    std::string error;
    if (!parseArguments(tools::commandLineArguments(argc, argv), options, error)) {
        std::fprintf(stderr, "tavrin-export: %s (--help explains)\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    loadDeviceTypeCode(loadMessage(5087));
    catchInterrupts();
    try {
        return runExport(options, riffLimit());
    } catch (const ExportError& e) {
        std::fprintf(stderr, "tavrin-export: %s\n", e.what());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavrin-export: %s\n", e.what());
    }
    return 1;
}
