#include "tools/cardgen/CommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace tavrin::cardgen {

namespace {

// A whole decimal number within [low, high].
bool parseNumber(const std::string& text, unsigned long long low, unsigned long long high,
                 unsigned long long& value) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    errno = 0;
    value = std::strtoull(text.c_str(), nullptr, 10);
    return errno == 0 && value >= low && value <= high;
}

bool parseInt(const std::string& text, int low, int high, int& value) {
    unsigned long long v = 0;
    if (!parseNumber(text, static_cast<unsigned long long>(low),
                     static_cast<unsigned long long>(high), v)) {
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
    const std::size_t x = text.find_first_of("xX");
    return x != std::string::npos && parseInt(text.substr(0, x), 64, 4096, width) &&
           parseInt(text.substr(x + 1), 48, 4096, height);
}

bool parseDamageList(const std::string& text, std::vector<Damage>& list) {
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = text.find(',', from);
        Damage damage = Damage::None;
        if (!parseDamage(text.substr(from, comma - from), damage)) return false;
        list.push_back(damage);
        if (comma == std::string::npos) return true;
        from = comma + 1;
    }
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    out = CommandLine{};
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--help" || option == "-h") {
            out.help = true;
            return true;
        }
        if (i + 1 >= args.size()) {
            error = option.rfind("--", 0) == 0 ? option + " needs a value"
                                               : "unknown argument " + option;
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (option == "--out") {
            out.card.folder = value;
            out.writeCard = !value.empty();
            ok = out.writeCard;
        } else if (option == "--recordings") {
            ok = parseInt(value, 1, 999, out.card.recordings);
        } else if (option == "--frames") {
            ok = parseInt(value, 1, 30000, out.card.frames);
        } else if (option == "--size") {
            ok = parseSize(value, out.card.width, out.card.height);
        } else if (option == "--seed") {
            unsigned long long seed = 0;
            ok = parseNumber(value, 0, ~0ull, seed);
            out.card.seed = seed;
        } else if (option == "--damage") {
            ok = parseDamageList(value, out.card.damage);
        } else if (option == "--large") {
            out.largePath = value;
            ok = !value.empty();
        } else {
            error = "unknown option " + option;
            return false;
        }
        if (!ok) {
            error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    if (!out.writeCard && out.largePath.empty()) {
        error = "nothing to write: give --out or --large";
        return false;
    }
    return true;
}

const char* usageText() {
    return "usage: tavrin-cardgen --out DIR [options]\n"
           "       tavrin-cardgen --large FILE [--seed N]\n"
           "Writes a sample memory card: recording archives and FIRMINFO.DAT.\n"
           "  --out DIR            card folder, created when missing\n"
           "  --recordings N       recordings, spread over three dates (default 5, 1-999)\n"
           "  --frames N           frames per recording, dropped ones included (default 168)\n"
           "  --size WxH           picture size (default 640x480; 64x48 up to 4096x4096)\n"
           "  --seed N             same seed, same files (default 1)\n"
           "  --damage K[,K...]    one extra damaged recording for each of: truncated, garbage,\n"
           "                       foreign-id, no-end-marker\n"
           "  --large FILE         also write one archive of 30000 small pictures to FILE\n"
           "  --help               this text\n";
}

}  // namespace tavrin::cardgen
