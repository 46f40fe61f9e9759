#include "bench/SinkLatency.h"

#include <regex>

namespace tavrin::bench {

std::optional<double> configuredSinkLatencyMs(const std::string& listing,
                                              const std::string& sinkName) {
    static const std::regex entry(R"(\n?Sink #\d+\n)");
    static const std::regex name(R"(\n\s*Name: (\S+)\n)");
    static const std::regex latency(R"(\n\s*Latency: \d+ usec, configured (\d+) usec\n)");
    std::sregex_token_iterator part(listing.begin(), listing.end(), entry, -1);
    for (; part != std::sregex_token_iterator(); ++part) {
        const std::string text = "\n" + part->str() + "\n";
        std::smatch found;
        if (!std::regex_search(text, found, name) || found[1] != sinkName) continue;
        if (!std::regex_search(text, found, latency)) return std::nullopt;
        return std::stod(found[1]) / 1000.0;
    }
    return std::nullopt;
}

}  // namespace tavrin::bench
