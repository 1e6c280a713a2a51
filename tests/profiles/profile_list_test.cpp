#include "profiles/profile_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "profiles/profile_choices.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;

class ProfileFolderTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumivex_profile_list_XXXXXX";
        root_ = mkdtemp(pattern);
        folder_ = root_ + "/profiles";
    }
    void TearDown() override { fs::remove_all(root_); }

    void Write(const std::string& name, const std::string& text) {
        fs::create_directories(folder_);
        std::ofstream(folder_ + "/" + name, std::ios::binary) << text;
    }
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string root_;
    std::string folder_;
};

TEST_F(ProfileFolderTest, MissingFolderIsCreatedWithTheDefaultProfile) {
    ProfileList list;
    EnumerateProfilesIn(folder_, list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Path(0), folder_ + "/Default enhancement.ini");
    EXPECT_EQ(list.DisplayName(0), "Default enhancement");
    EXPECT_EQ(Read(list.Path(0)), "[resolution]\r\nscale = 1\r\n\r\n");
    // Its output size is the input size.
    const auto choices = ListProfileChoices(list, 640, 480, 1.0);
    ASSERT_EQ(choices.size(), 1u);
    EXPECT_EQ(choices[0].text, "Default enhancement\n Output resolution: 640x480");
}

TEST_F(ProfileFolderTest, CustomIniAndDirectoriesAreSkipped) {
    Write("CUSTOM.ini", "[resolution]\nscale = 3\n");
    fs::create_directories(folder_ + "/folder.ini");
    Write("notes.txt", "not a profile");
    ProfileList list;
    EnumerateProfilesIn(folder_, list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.DisplayName(0), "Default enhancement");

    Write("b.INI", "[resolution]\nscale = 2\n");
    EnumerateProfilesIn(folder_ + "/", list);  // a trailing slash makes no difference
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) {
        names.push_back(list.DisplayName(i));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Default enhancement", "b"}));

    // A name that extends another comes after it, whatever character follows.
    Write("b, high quality.ini", "[resolution]\nscale = 2\n");
    EnumerateProfilesIn(folder_, list);
    EXPECT_EQ(list.DisplayName(1), "b");
    EXPECT_EQ(list.DisplayName(2), "b, high quality");
}

TEST_F(ProfileFolderTest, UnwritableFolderStillListsTheDefault) {
    Write("blocker", "a file where the folder should be");
    ProfileList list;
    EnumerateProfilesIn(folder_ + "/blocker/profiles", list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.DisplayName(0), "Default enhancement");
    // Loading it fails, so it sizes like an empty profile: twice the input.
    const auto choices = ListProfileChoices(list, 320, 240, 1.0);
    EXPECT_EQ(choices[0].size, (OutputSize{640, 480}));
}

TEST_F(ProfileFolderTest, ChoicesAreSortedByTextAndKeepTheirListIndex) {
    ProfileList list;
    Write("zoom.ini", "[resolution]\nscale = 1.5\n");
    Write("Box.ini", "[resolution]\nmaxwidth = 800\nmaxheight = 600\n");
    list.Add(folder_ + "/zoom.ini");
    list.Add(folder_ + "/missing.ini");
    list.Add(folder_ + "/Box.ini");
    const auto choices = ListProfileChoices(list, 640, 480, 0.75);
    ASSERT_EQ(choices.size(), 3u);
    EXPECT_EQ(choices[0].index, 2);
    EXPECT_EQ(choices[0].text, "Box\n Output resolution: 1064x600");
    EXPECT_EQ(choices[1].index, 1);
    EXPECT_EQ(choices[1].text, "missing\n Output resolution: 1280x720");
    EXPECT_EQ(choices[2].index, 0);
    EXPECT_EQ(choices[2].text, "zoom\n Output resolution: 960x540");
}

TEST(ProfileNameTest, DisplayNameDropsFolderAndExtension) {
    EXPECT_EQ(ProfileDisplayName("/a/b.c/2x enlargement.ini"), "2x enlargement");
    EXPECT_EQ(ProfileDisplayName("plain"), "plain");
    EXPECT_EQ(ProfileDisplayName("/x/.hidden"), ".hidden");
    EXPECT_FALSE(ProgramFolder().empty());
    EXPECT_EQ(ProgramFolder().back(), '/');
}

}  // namespace
}  // namespace lumivex
