#include <gtest/gtest.h>

#include "tools/cardgen/CommandLine.h"

namespace tavrin::cardgen {
namespace {

TEST(CommandLineTest, AcceptsAndRejects) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
    };
    const Case cases[] = {
        {{"--out", "card"}, true},
        {{"--large", "big.DAT"}, true},
        {{"--help"}, true},
        {{}, false},
        {{"--recordings", "3"}, false},  // nothing to write
        {{"--out"}, false},
        {{"--out", ""}, false},
        {{"--out", "c", "--frames", "0"}, false},
        {{"--out", "c", "--frames", "30001"}, false},
        {{"--out", "c", "--frames", "-5"}, false},
        {{"--out", "c", "--recordings", "1000"}, false},
        {{"--out", "c", "--size", "640"}, false},
        {{"--out", "c", "--size", "32x24"}, false},
        {{"--out", "c", "--size", "640x480x3"}, false},
        {{"--out", "c", "--seed", "12a"}, false},
        {{"--out", "c", "--seed", "99999999999999999999999"}, false},
        {{"--out", "c", "--damage", "garbage,"}, false},
        {{"--out", "c", "--damage", "none"}, false},
        {{"--out", "c", "--colour", "red"}, false},
        {{"card"}, false},
    };
    for (const Case& c : cases) {
        CommandLine command;
        std::string error;
        const bool ok = parseCommandLine(c.args, command, error);
        EXPECT_EQ(ok, c.ok) << (c.args.empty() ? "(none)" : c.args.back());
        EXPECT_EQ(error.empty(), c.ok) << error;
    }
}

TEST(CommandLineTest, ValuesReachTheOptions) {
    CommandLine command;
    std::string error;
    ASSERT_TRUE(parseCommandLine({"--out", "X", "--recordings", "7", "--frames", "56", "--size",
                                  "320x240", "--seed", "18446744073709551615", "--damage",
                                  "truncated,no-end-marker,garbage,foreign-id", "--large", "L"},
                                 command, error));
    EXPECT_TRUE(command.writeCard);
    EXPECT_EQ(command.card.folder, "X");
    EXPECT_EQ(command.card.recordings, 7);
    EXPECT_EQ(command.card.frames, 56);
    EXPECT_EQ(command.card.width, 320);
    EXPECT_EQ(command.card.height, 240);
    EXPECT_EQ(command.card.seed, 18446744073709551615ull);
    EXPECT_EQ(command.card.damage, (std::vector<Damage>{Damage::Truncated, Damage::NoEndMarker,
                                                        Damage::Garbage, Damage::ForeignId}));
    EXPECT_EQ(command.largePath, "L");

    ASSERT_TRUE(parseCommandLine({"--large", "L"}, command, error));
    EXPECT_FALSE(command.writeCard);
    EXPECT_EQ(command.card.recordings, 5);
    EXPECT_EQ(command.card.frames, 168);
    EXPECT_EQ(command.card.width, 640);
    EXPECT_EQ(command.card.seed, 1u);
}

}  // namespace
}  // namespace tavrin::cardgen
