#include "profiles/enhance_params.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace lumivex {
namespace {

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/lumivex_profiles_XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

TEST(EnhanceParamsTest, LooksUpSectionsAndKeysIgnoringCase) {
    EnhanceParams params;
    params.LoadFromText("[Resolution]\nScale=2\n");
    double scale = 0.0;
    ASSERT_TRUE(params.ReadReal("resolution", "scale", scale));
    EXPECT_EQ(scale, 2.0);
    ASSERT_TRUE(params.ReadReal("RESOLUTION", "SCALE", scale));
    // The stored names keep the case they were written in.
    EXPECT_EQ(params.Sections().front()->name, "Resolution");
    EXPECT_EQ(params.Sections().front()->keys.front(), "Scale");
}

TEST(EnhanceParamsTest, AbsentSectionOrKeyLeavesOutputUntouched) {
    EnhanceParams params;
    params.LoadFromText("[resolution]\nscale = 2\n");
    int32_t value = 77;
    EXPECT_FALSE(params.ReadInt("resolution", "maxwidth", value));
    EXPECT_FALSE(params.ReadInt("other", "scale", value));
    EXPECT_EQ(value, 77);
    bool flag = true;
    EXPECT_FALSE(params.ReadBool("resolution", "proportional", flag));
    EXPECT_TRUE(flag);
}

TEST(EnhanceParamsTest, BooleanConversion) {
    struct Case {
        const char* value;
        bool expected;
    };
    const Case cases[] = {{"True", false}, {"true", true}, {"1", true}, {"yes, true", true},
                          {"0", false},    {"11", false},  {"", false}, {"untrue", true}};
    for (const Case& c : cases) {
        EnhanceParams params;
        params.LoadFromText(std::string("[resolution]\nproportional = ") + c.value + "\n");
        bool out = !c.expected;
        ASSERT_TRUE(params.ReadBool("resolution", "proportional", out)) << c.value;
        EXPECT_EQ(out, c.expected) << c.value;
    }
}

TEST(EnhanceParamsTest, NumbersReadTheirLeadingDecimalNumber) {
    EXPECT_EQ(ParseLeadingReal("1.5x"), 1.5);
    EXPECT_EQ(ParseLeadingReal("abc"), 0.0);
    EXPECT_EQ(ParseLeadingReal("  -2.5e1 px"), -25.0);
    EXPECT_EQ(ParseLeadingReal(".5"), 0.5);
    EXPECT_EQ(ParseLeadingReal("2e"), 2.0);
    // Only plain decimal text counts: no infinities, NaNs or hexadecimal numbers.
    EXPECT_EQ(ParseLeadingReal("inf"), 0.0);
    EXPECT_EQ(ParseLeadingReal("nan"), 0.0);
    EXPECT_EQ(ParseLeadingReal("0x10"), 0.0);
    EXPECT_TRUE(std::isfinite(ParseLeadingReal("1e999")));
    EXPECT_GT(ParseLeadingReal("1e999"), 1e300);

    EXPECT_EQ(ParseLeadingInt("800px"), 800);
    EXPECT_EQ(ParseLeadingInt(" -12"), -12);
    EXPECT_EQ(ParseLeadingInt("x800"), 0);
    EXPECT_EQ(ParseLeadingInt("99999999999999999999"), INT32_MAX);
    EXPECT_EQ(ParseLeadingInt("-99999999999999999999"), INT32_MIN);
}

TEST(EnhanceParamsTest, LineRulesOfTheFormat) {
    EnhanceParams params;
    params.LoadFromText(
        "  ; comment before any section  \r\n"
        "top = level\n"
        "\n"
        "[]\n"
        "[[resolution]]]\n"
        "maxwidth 800\n"
        "scale = 1\n"
        "  SCALE   =   3  \n"
        "[other]\n"
        "a=b=c\n"
        "[RESOLUTION]\n"
        "maxheight=600\n");
    EXPECT_EQ(params.Preamble(),
              (std::vector<std::string>{"; comment before any section", "top = level", "[]"}));
    ASSERT_EQ(params.Sections().size(), 2u);
    const ProfileSection& resolution = *params.Sections()[0];
    EXPECT_EQ(resolution.name, "resolution");
    // The line without "=" stays as an entry with an empty key; the repeated key keeps its place.
    EXPECT_EQ(resolution.keys, (std::vector<std::string>{"", "scale", "maxheight"}));
    EXPECT_EQ(resolution.values, (std::vector<std::string>{"maxwidth 800", "3", "600"}));
    int32_t width = 0;
    EXPECT_FALSE(params.ReadInt("resolution", "maxwidth", width));
    std::string value = *params.Sections()[1]->FindValue("a");
    EXPECT_EQ(value, "b=c");
}

TEST(EnhanceParamsTest, SaveWritesCrLfAndReadsBackTheSame) {
    TempDir dir;
    EnhanceParams params;
    params.LoadFromText("preamble\n[resolution]\nscale=2\nfree text\n[x]\nk = v\n");
    ASSERT_TRUE(params.Save(dir.File("p.ini")));
    EXPECT_EQ(ReadBytes(dir.File("p.ini")),
              "preamble\r\n[resolution]\r\nscale = 2\r\nfree text\r\n\r\n[x]\r\nk = v\r\n\r\n");
    EnhanceParams again;
    ASSERT_TRUE(again.Load(dir.File("p.ini")));
    EXPECT_EQ(again.ToText(), params.ToText());
}

TEST(EnhanceParamsTest, WriteIntReplacesOrAppends) {
    EnhanceParams params;
    params.LoadFromText("[Resolution]\nScale = 7\n");
    EXPECT_TRUE(params.WriteInt("resolution", "scale", 1));
    EXPECT_TRUE(params.WriteInt("resolution", "maxwidth", -5));
    EXPECT_TRUE(params.WriteInt("New", "k", 3));
    EXPECT_EQ(params.ToText(),
              "[Resolution]\r\nScale = 1\r\nmaxwidth = -5\r\n\r\n[New]\r\nk = 3\r\n\r\n");
}

TEST(EnhanceParamsTest, LoadFailuresLeaveAnEmptyProfile) {
    TempDir dir;
    EnhanceParams params;
    params.LoadFromText("[resolution]\nscale = 2\n");
    EXPECT_FALSE(params.Load(dir.File("missing.ini")));
    EXPECT_TRUE(params.Sections().empty());
    EXPECT_FALSE(params.Load(dir.File("")));  // a directory is not a profile
    EXPECT_TRUE(params.Sections().empty());
}

TEST(EnhanceParamsTest, BinaryGarbageLoadsWithoutHarm) {
    TempDir dir;
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes.push_back(static_cast<char>((i * 7919) % 256));
    }
    bytes += std::string("\0[resolution]\0\n", 15);
    {
        std::ofstream out(dir.File("junk.ini"), std::ios::binary);
        out << bytes;
    }
    EnhanceParams params;
    EXPECT_TRUE(params.Load(dir.File("junk.ini")));
    double scale = 0.0;
    EXPECT_FALSE(params.ReadReal("resolution", "scale", scale));
}

TEST(EnhanceParamsTest, CopyIsIndependent) {
    EnhanceParams params;
    params.LoadFromText("[resolution]\nscale = 2\n");
    EnhanceParams copy = params;
    params.WriteInt("resolution", "scale", 5);
    double scale = 0.0;
    ASSERT_TRUE(copy.ReadReal("Resolution", "scale", scale));
    EXPECT_EQ(scale, 2.0);
}

}  // namespace
}  // namespace lumivex
