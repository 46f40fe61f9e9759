// tavrin-cardgen: writes a sample memory card for trying out and testing the viewer.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "tools/cardgen/CardWriter.h"
#include "tools/cardgen/CommandLine.h"

int main(int argc, char** argv) {
    using namespace tavrin::cardgen;
    CommandLine command;
    std::string error;
    if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), command, error)) {
        std::fprintf(stderr, "tavrin-cardgen: %s\n%s", error.c_str(), usageText());
        return 2;
    }
    if (command.help) {
        std::fputs(usageText(), stdout);
        return 0;
    }
    const Report print = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    try {
        if (command.writeCard) writeCard(command.card, print);
        if (!command.largePath.empty())
            writeLargeArchive(command.largePath, command.card.seed, print);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tavrin-cardgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
