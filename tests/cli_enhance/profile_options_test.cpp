#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <CLI/CLI.hpp>

#include "cli/cli_profile_options.h"

namespace lumivex::cli {
namespace {

TEST(ProfileOptionsTest, SizesAndCountsAreWholeNumbers) {
    EXPECT_EQ(ParseSize("1920x1080"), (OutputSize{1920, 1080}));
    EXPECT_EQ(ParseSize("640X480"), (OutputSize{640, 480}));
    EXPECT_FALSE(ParseSize("0x480"));
    EXPECT_FALSE(ParseSize("640x"));
    EXPECT_FALSE(ParseSize("640*480"));
    EXPECT_FALSE(ParseSize("-640x480"));
    EXPECT_FALSE(ParseSize("640x480x3"));
    EXPECT_EQ(ParseCount("0"), 0);
    EXPECT_EQ(ParseCount("17"), 17);
    EXPECT_FALSE(ParseCount(""));
    EXPECT_FALSE(ParseCount("1.5"));
    EXPECT_FALSE(ParseCount("-1"));
    EXPECT_FALSE(ParseCount("99999999999"));
}

// Each line: the options, and whether they parse.
TEST(ProfileOptionsTest, ValuesAndCombinationsAreChecked) {
    const struct {
        std::vector<std::string> args;
        bool accepted;
    } cases[] = {
        {{"--scale", "1.5"}, true},
        {{"--scale", "0"}, false},
        {{"--scale", "2x"}, false},
        {{"--scale", "inf"}, false},
        {{"--profile", ""}, false},
        {{"--proportional", "True", "--max-size", "800x600"}, false},
        {{"--max-size", "big"}, false},
        {{"--scale", "2", "--profile", "x"}, false},
        {{"--profile", "x", "--max-size", "800x600"}, false},
        {{"--proportional", "false"}, false},
        {{"--max-size", "800x600", "--proportional", "false"}, true},
        {{"--scale", "2", "--scale", "3"}, false},
    };
    for (const auto& c : cases) {
        CLI::App app;
        ProfileOptions options;
        DefineProfileOptions(app, options);
        std::vector<std::string> reversed(c.args.rbegin(), c.args.rend());
        bool parsed = true;
        try {
            app.parse(reversed);
        } catch (const CLI::ParseError&) {
            parsed = false;
        }
        EXPECT_EQ(parsed, c.accepted) << testing::PrintToString(c.args);
    }
}

TEST(ProfileOptionsTest, ResolvesAdHocNamedAndDefaultProfiles) {
    char pattern[] = "/tmp/lumivex_profile_options_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::ofstream(folder + "/Wide Box.ini") << "[resolution]\nmaxwidth=1920\nmaxheight=1080\n";
    std::ofstream(folder + "/half.ini") << "[resolution]\nscale=0.5\n";
    ProfileList list;
    list.Add(folder + "/half.ini");
    list.Add(folder + "/Wide Box.ini");
    EnhanceParams params;
    std::string label;

    EXPECT_FALSE(ResolveProfile(ProfileOptions{}, list, params, &label));
    EXPECT_EQ(label, "half");
    EXPECT_EQ(ComputeOutputSize(640, 480, 1.0, params), (OutputSize{320, 240}));

    ProfileOptions named;
    named.profile = "wide box";
    EXPECT_FALSE(ResolveProfile(named, list, params, &label));
    EXPECT_EQ(label, "Wide Box");
    EXPECT_EQ(ComputeOutputSize(640, 480, 1.0, params), (OutputSize{1440, 1080}));

    named.profile = "no such profile";
    const auto problem = ResolveProfile(named, list, params, &label);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->status, 2);
    EXPECT_NE(problem->message.find("\"Wide Box\""), std::string::npos);

    ProfileOptions box;
    box.maxSize = "800x600";
    box.proportional = "false";
    EXPECT_FALSE(ResolveProfile(box, list, params, &label));
    EXPECT_EQ(ComputeOutputSize(640, 200, 1.0, params), (OutputSize{800, 600}));

    ProfileOptions scale;
    scale.scale = "1.5";
    EXPECT_FALSE(ResolveProfile(scale, list, params, &label));
    EXPECT_EQ(ComputeOutputSize(640, 480, 1.0, params), (OutputSize{960, 720}));

    // A profile file that cannot be read is a failure of the command.
    ProfileOptions missing;
    missing.profile = folder + "/missing.ini";
    const auto unread = ResolveProfile(missing, list, params, &label);
    ASSERT_TRUE(unread);
    EXPECT_EQ(unread->status, 1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lumivex::cli
