#include "app/core/help_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lumivex {
namespace {

namespace fs = std::filesystem;

class HelpPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() /
                ("lumivex-help-" +
                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "bin");
    }
    void TearDown() override { fs::remove_all(root_); }

    void Touch(const fs::path& path) {
        fs::create_directories(path.parent_path());
        std::ofstream(path) << "<html></html>";
    }

    fs::path root_;
};

TEST_F(HelpPageTest, PrefersThePageBesideTheProgram) {
    Touch(root_ / "bin" / "help" / "index.html");
    Touch(root_ / "share" / "lumivex" / "help" / "index.html");
    EXPECT_EQ(FindHelpPage((root_ / "bin").string()),
              (root_ / "bin" / "help" / "index.html").string());
}

TEST_F(HelpPageTest, FindsTheInstalledPageUnderShare) {
    Touch(root_ / "share" / "lumivex" / "help" / "index.html");
    EXPECT_EQ(FindHelpPage((root_ / "bin").string() + "/"),
              (root_ / "share" / "lumivex" / "help" / "index.html").string());
}

TEST_F(HelpPageTest, NothingWhenNoPageIsInstalled) {
    fs::create_directories(root_ / "bin" / "help" / "index.html");  // a folder is no page
    EXPECT_EQ(FindHelpPage((root_ / "bin").string()), "");
}

// Without a browser the user learns what could not be opened and where the help file lies.
TEST(BrowserFailureMessageTest, NamesTheTargetAndTheHelpFile) {
    const struct {
        const char* target;
        const char* helpPage;
        const char* expected;
    } cases[] = {
        {"/usr/share/lumivex/help/index.html", "/usr/share/lumivex/help/index.html",
         "Lumivex could not open its help page: no web browser could be started.\n\n"
         "The help page is the file\n/usr/share/lumivex/help/index.html\n"
         "which any web browser can show."},
        {"https://lumivex.example/", "",
         "Lumivex could not open https://lumivex.example/: no web browser could be started."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BrowserFailureMessage(c.target, c.helpPage), c.expected);
    }
}

}  // namespace
}  // namespace lumivex
