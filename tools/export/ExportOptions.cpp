#include "tools/export/ExportOptions.h"

#include <cwchar>

#include "recording/TextEncoding.h"
#include "tools/export/TimeText.h"

namespace tavrin::exporter {

namespace {

const char kUsage[] =
    "usage: tavrin-export (--event | --from TIME --to TIME | --recording | --snapshot TIME |\n"
    "                      --slot N | --report) [--out DIR] [options] ARCHIVE-OR-CARD-FOLDER\n"
    "\n"
    "Takes the evidence off a camera unit's memory card: clips as AVI video files that any\n"
    "player opens (the pictures exactly as recorded, with the recorded sound) together with\n"
    "subtitles, telemetry and a manifest of SHA-256 checksums; stills of single moments; and a\n"
    "report of what is on the card and what is damaged.\n"
    "\n"
    "The input is one recording archive (such as 0001_001.DAT) or a card folder, whose\n"
    "recordings are taken in the order of their start time. A clip runs on from one recording\n"
    "into the next when the next starts within two seconds of the end of the one before.\n"
    "\n"
    "What to export (one of):\n"
    "  --event              one clip around each event (a run of frames carrying the event\n"
    "                       mark); clips that would overlap become one\n"
    "    --before S         seconds before an event's first marked frame (default 15)\n"
    "    --after S          seconds after an event's last marked frame (default 15)\n"
    "  --from TIME --to TIME\n"
    "                       the frames whose time by the unit's own clock is at or after the\n"
    "                       first TIME and before the second; TIME is \"YYYY-MM-DD hh:mm:ss\"\n"
    "  --recording          each recording whole, one clip each\n"
    "  --snapshot TIME      the picture shown at TIME as a JPEG file, exactly as recorded\n"
    "  --slot N             the same for frame N (from 0) of a single archive\n"
    "    --png              also a PNG of that picture as the viewer shows it at standard\n"
    "                       brightness\n"
    "  --report             print a table of the card's recordings, their events and what is\n"
    "                       damaged or unreadable, with the viewer's messages\n"
    "    --json             print the report as JSON instead\n"
    "\n"
    "Output:\n"
    "  --out DIR            the folder for the files (default: the current folder); it must exist\n"
    "  --force              replace files of the same name; without it an existing file is left\n"
    "                       alone and the export stops with an error\n"
    "  --quiet              print nothing but errors (no progress bar, no list of files)\n"
    "  --help               show this text\n"
    "\n"
    "A clip gives four files named after its first frame's date and time:\n"
    "  20120501_081032.avi   Motion JPEG video at 28 frames a second, 8-bit mono sound at 13,183 "
    "Hz\n"
    "  20120501_081032.srt   subtitles: date and time, speed and G force each second, EVENT\n"
    "  20120501_081032.csv   one row of telemetry per frame\n"
    "  20120501_081032.json  the manifest: source archives and files written, with SHA-256\n"
    "Each file is written under a temporary name and renamed when complete.\n"
    "\n"
    "Examples:\n"
    "  tavrin-export --event --out evidence E:\\DCIM\n"
    "  tavrin-export --event --before 30 --after 10 /media/card\n"
    "  tavrin-export --from \"2012-05-01 08:10:00\" --to \"2012-05-01 08:11:00\" /media/card\n"
    "  tavrin-export --recording --out clips 0001_001.DAT\n"
    "  tavrin-export --snapshot \"2012-05-01 08:10:35\" --png /media/card\n"
    "  tavrin-export --report --json /media/card > card.json\n"
    "\n"
    "Exit status: 0 when everything asked for was written, 1 when something failed, 2 for a\n"
    "command line that cannot be used.\n";

bool parseSeconds(const std::wstring& text, double& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    value = std::wcstod(text.c_str(), &end);
    return *end == L'\0' && value >= 0 && value < 86400;
}

bool parseSlot(const std::wstring& text, std::int32_t& value) {
    if (text.empty() || text.size() > 9) return false;
    value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + (c - L'0');
    }
    return true;
}

bool setMode(ExportOptions& options, Mode mode, std::string& error) {
    if (options.mode != Mode::None && options.mode != mode) {
        error = "choose one of --event, --from/--to, --recording, --snapshot/--slot and --report";
        return false;
    }
    options.mode = mode;
    return true;
}

}  // namespace

const char* usageText() { return kUsage; }

bool parseArguments(const std::vector<std::wstring>& args, ExportOptions& options,
                    std::string& error) {
    bool haveFrom = false;
    bool haveTo = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        const std::string value = hasValue ? toUtf8(args[i + 1]) : std::string();
        auto needValue = [&](const char* what) {
            if (!hasValue) error = toUtf8(arg) + " needs " + what;
            return hasValue;
        };
        if (arg == L"--help" || arg == L"-h") {
            options.help = true;
        } else if (arg == L"--event") {
            if (!setMode(options, Mode::Event, error)) return false;
        } else if (arg == L"--recording") {
            if (!setMode(options, Mode::Recording, error)) return false;
        } else if (arg == L"--report") {
            if (!setMode(options, Mode::Report, error)) return false;
        } else if (arg == L"--from" || arg == L"--to") {
            if (!needValue("a time \"YYYY-MM-DD hh:mm:ss\"")) return false;
            std::int64_t& time = arg == L"--from" ? options.from : options.to;
            if (!parseDateTime(value, time)) {
                error = "not a date and time \"YYYY-MM-DD hh:mm:ss\": " + value;
                return false;
            }
            (arg == L"--from" ? haveFrom : haveTo) = true;
            if (!setMode(options, Mode::Span, error)) return false;
            ++i;
        } else if (arg == L"--snapshot") {
            if (!needValue("a time \"YYYY-MM-DD hh:mm:ss\"")) return false;
            if (!parseDateTime(value, options.snapshotTime)) {
                error = "not a date and time \"YYYY-MM-DD hh:mm:ss\": " + value;
                return false;
            }
            if (!setMode(options, Mode::Snapshot, error)) return false;
            ++i;
        } else if (arg == L"--slot") {
            if (!needValue("a frame number")) return false;
            if (!parseSlot(args[i + 1], options.snapshotSlot)) {
                error = "not a frame number: " + value;
                return false;
            }
            if (!setMode(options, Mode::Snapshot, error)) return false;
            ++i;
        } else if (arg == L"--before" || arg == L"--after") {
            if (!needValue("a number of seconds")) return false;
            if (!parseSeconds(args[i + 1],
                              arg == L"--before" ? options.beforeSeconds : options.afterSeconds)) {
                error = "not a number of seconds: " + value;
                return false;
            }
            ++i;
        } else if (arg == L"--out") {
            if (!needValue("a folder")) return false;
            options.outFolder = args[++i];
        } else if (arg == L"--png") {
            options.png = true;
        } else if (arg == L"--json") {
            options.json = true;
        } else if (arg == L"--force") {
            options.force = true;
        } else if (arg == L"--quiet") {
            options.quiet = true;
        } else if (!arg.empty() && arg[0] == L'-') {
            error = "unknown option " + toUtf8(arg);
            return false;
        } else if (options.input.empty()) {
            options.input = arg;
        } else {
            error = "one archive or card folder only: " + toUtf8(arg);
            return false;
        }
    }
    if (options.help) return true;
    if (options.mode == Mode::None) {
        error =
            "say what to export: --event, --from/--to, --recording, --snapshot, --slot or --report";
        return false;
    }
    if (options.mode == Mode::Span && (!haveFrom || !haveTo)) {
        error = "--from and --to go together";
        return false;
    }
    if (options.mode == Mode::Snapshot && options.snapshotSlot >= 0 && options.snapshotTime != 0) {
        error = "--snapshot and --slot exclude each other";
        return false;
    }
    if (options.input.empty()) {
        error = "name the archive or card folder to read";
        return false;
    }
    return true;
}

}  // namespace tavrin::exporter
