// The profile reader on files that are not profiles: binary data, 10 MB on one line, damaged
// copies of a real profile.
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "profiles/enhance_params.h"
#include "tests/robustness/allocation_meter.h"
#include "tests/robustness/damage.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

const char kGoodProfile[] =
    "; sharper output\r\n[resolution]\r\nscale = 2.5\r\nwidth=1024\r\n[sharpen]\r\n"
    "enabled = true\r\namount=0.75\r\nradius = 1.5e0\r\n";

std::string WriteScratch(const std::string& name, const std::string& bytes) {
    const fs::path path =
        fs::temp_directory_path() / ("lumivex-profile-" + std::to_string(::getpid()) + name);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return path.string();
}

// Every typed read of every entry, as the settings pages do when a profile is chosen.
void ReadEverything(const EnhanceParams& params) {
    for (const auto& section : params.Sections()) {
        for (const std::string& key : section->keys) {
            bool flag = false;
            double real = 0;
            int32_t integer = 0;
            params.ReadBool(section->name, key, flag);
            params.ReadReal(section->name, key, real);
            EXPECT_FALSE(std::isnan(real)) << key;
            params.ReadInt(section->name, key, integer);
        }
    }
}

TEST(BrokenProfile, BinaryFilesLoadAsTextWithoutHarm) {
    std::string everyByte;
    for (int repeat = 0; repeat < 64; ++repeat)
        for (int b = 0; b < 256; ++b)
            everyByte.push_back(static_cast<char>(b));
    std::mt19937 random(7);
    std::string noise(65536, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    const char kNuls[] = "[a\0b]\nk\0ey=1\0 2\n[\0]\n=\n==\n[]\n[[]]\n";
    std::string nulsInKeys(kNuls, sizeof kNuls - 1);
    nulsInKeys.append(std::string(1000, '['));
    for (const std::string& bytes : {everyByte, noise, nulsInKeys}) {
        EnhanceParams params;
        params.LoadFromText(bytes);
        ReadEverything(params);
        EnhanceParams fromFile;
        fromFile.Load(WriteScratch("binary", bytes));
        ReadEverything(fromFile);
        EXPECT_EQ(fromFile.ToText(), params.ToText());
    }
}

TEST(BrokenProfile, TenMegabytesOnOneLineAreNotReadWhole) {
    const std::string line(10'000'000, 'x');
    for (const std::string& bytes :
         {line, "[resolution]\nscale = 3\n" + line, "[resolution]\nscale = " + line}) {
        const std::string path = WriteScratch("long", bytes);
        EnhanceParams params;
        AllocationMeter meter;
        EXPECT_FALSE(params.Load(path));
        if (AllocationMeter::Available()) {
            EXPECT_LT(meter.PeakBytes(), 8 << 20);
        }
        // Complete lines before the long one are kept; the long one is not.
        double scale = 0;
        const bool hasScale = params.ReadReal("resolution", "scale", scale);
        EXPECT_EQ(hasScale, bytes.find("scale = 3\n") != std::string::npos);
        fs::remove(path);
    }
}

TEST(BrokenProfile, DamagedCopiesOfAProfileParse) {
    const Bytes good(kGoodProfile, kGoodProfile + sizeof kGoodProfile - 1);
    int tried = 0;
    for (const DamagedFile& damaged : AllDamage(good, 200)) {
        EnhanceParams params;
        params.LoadFromText(std::string(damaged.bytes.begin(), damaged.bytes.end()));
        ReadEverything(params);
        // Whatever was read writes out and reads back to the same record.
        EnhanceParams again;
        again.LoadFromText(params.ToText());
        EXPECT_EQ(again.ToText(), params.ToText()) << damaged.what;
        ++tried;
    }
    RecordProperty("inputs", tried);
}

TEST(BrokenProfile, LinesThatLookLikeSectionsOnlyOnceWrittenKeepTheirPlace) {
    // A line "=[x]" and a section with an empty name used to be written back as a section line
    // "[x]" and a line "[]" that is none, moving the keys after them to another section.
    for (const char* text :
         {"[fuzz]\n=[x]\nKey=7\n", "[a]\nk=1\n[]]\nscale = 2\n", "[a]\n= b = c\nb=1\n"}) {
        EnhanceParams params;
        params.LoadFromText(text);
        EnhanceParams again;
        again.LoadFromText(params.ToText());
        EXPECT_EQ(again.ToText(), params.ToText()) << text;
        EXPECT_EQ(again.Sections().size(), params.Sections().size()) << text;
    }
    EnhanceParams params;
    params.LoadFromText("[a]\nk=1\n[]]\nscale = 2\n");
    EnhanceParams again;
    again.LoadFromText(params.ToText());
    double scale = 0;
    EXPECT_TRUE(again.ReadReal("", "scale", scale));
    EXPECT_EQ(scale, 2.0);
    EXPECT_FALSE(again.ReadReal("a", "scale", scale));
}

TEST(BrokenProfile, ExtremeNumbersStayFinite) {
    EnhanceParams params;
    params.LoadFromText(
        "[s]\nbig=1e999999\nsmall=-1e999999\nint=99999999999999999999\n"
        "neg=-99999999999999999999\nhex=0x7fffffff\nnan=nan\ninf=inf\n");
    double real = 0;
    ASSERT_TRUE(params.ReadReal("s", "big", real));
    EXPECT_TRUE(std::isfinite(real));
    ASSERT_TRUE(params.ReadReal("s", "small", real));
    EXPECT_TRUE(std::isfinite(real));
    ASSERT_TRUE(params.ReadReal("s", "nan", real));
    EXPECT_EQ(real, 0.0);
    int32_t integer = 0;
    ASSERT_TRUE(params.ReadInt("s", "int", integer));
    EXPECT_EQ(integer, INT32_MAX);
    ASSERT_TRUE(params.ReadInt("s", "neg", integer));
    EXPECT_EQ(integer, INT32_MIN);
}

}  // namespace
}  // namespace lumivex::robustness
