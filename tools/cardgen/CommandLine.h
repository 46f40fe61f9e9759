#pragma once

// The generator's command line.

#include <string>
#include <vector>

#include "tools/cardgen/CardWriter.h"

namespace tavrin::cardgen {

struct CommandLine {
    bool help = false;
    bool writeCard = false;  // --out given
    CardOptions card;
    std::string largePath;  // --large given when not empty
};

// False with a message in `error` when the arguments (program name not included) are unusable.
bool parseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

const char* usageText();

}  // namespace tavrin::cardgen
