// Saving keeps what the user had: a link stays a link, a file keeps its mode and owner, a stream
// is written straight through, and a folder that takes no new file still gets its file saved.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/rgb_image.h"
#include "image/save_image.h"
#include "tests/robustness/fault_injection.h"

namespace lumivex::robustness {
namespace {

namespace fs = std::filesystem;

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

RgbImage Picture() {
    RgbImage image(16, 8, 24);
    for (int32_t y = 0; y < image.Height(); ++y)
        for (int32_t x = 0; x < image.Stride(); ++x)
            image.Row(y)[x] = static_cast<uint8_t>(x * 7 + y);
    return image;
}

// What a save case starts from, what it saves to, and what must hold afterwards.
struct SaveCase {
    const char* name;
    std::function<void(const fs::path& folder)> prepare;
    const char* target;  // saved to, inside the folder
    const char* file;    // where the picture's bytes must end up
    std::function<void(const fs::path& folder)> check;
};

void ExpectLink(const fs::path& link) {
    EXPECT_TRUE(fs::is_symlink(link)) << link;
}

void ExpectMode(const fs::path& file, mode_t mode) {
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode) << file;
}

void ExpectNoTemporary(const fs::path& folder) {
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().rfind(".lumivex-save-", 0), std::string::npos);
}

class SaveTargets : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "lumivex-save-targets-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        ASSERT_TRUE(SaveImageToPath(Picture(), (folder_ / "expected.bmp").string(), nullptr));
        expected_ = Contents((folder_ / "expected.bmp").string());
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
    std::string expected_;
};

TEST_F(SaveTargets, KeepWhatTheUserHad) {
    const std::vector<SaveCase> cases = {
        {"a link to a file replaces the file and stays a link",
         [](const fs::path& f) {
             fs::create_directory(f / "real");
             std::ofstream(f / "real/picture.bmp") << "old";
             fs::create_symlink("real/picture.bmp", f / "link.bmp");
         },
         "link.bmp", "real/picture.bmp", [](const fs::path& f) { ExpectLink(f / "link.bmp"); }},
        {"a chain of links ending nowhere creates its final target",
         [](const fs::path& f) {
             fs::create_symlink(f / "second.bmp", f / "first.bmp");
             fs::create_symlink("made.bmp", f / "second.bmp");
         },
         "first.bmp", "made.bmp",
         [](const fs::path& f) {
             ExpectLink(f / "first.bmp");
             ExpectLink(f / "second.bmp");
         }},
        {"a 0600 file stays 0600",
         [](const fs::path& f) {
             std::ofstream(f / "private.bmp") << "old";
             fs::permissions(f / "private.bmp", fs::perms::owner_read | fs::perms::owner_write);
         },
         "private.bmp", "private.bmp",
         [](const fs::path& f) { ExpectMode(f / "private.bmp", 0600); }},
        {"a file of another owner keeps its owner and group (where permitted)",
         [](const fs::path& f) {
             std::ofstream(f / "theirs.bmp") << "old";
             if (::geteuid() == 0) {
                 ASSERT_EQ(::chown((f / "theirs.bmp").c_str(), 4321, 4322), 0);
             }
         },
         "theirs.bmp", "theirs.bmp",
         [](const fs::path& f) {
             struct stat st {};
             ASSERT_EQ(::stat((f / "theirs.bmp").c_str(), &st), 0);
             EXPECT_EQ(st.st_uid, ::geteuid() == 0 ? 4321u : ::geteuid());
             EXPECT_EQ(st.st_gid, ::geteuid() == 0 ? 4322u : ::getegid());
         }},
        {"a folder that takes no new file: the file is written in place",
         [](const fs::path& f) {
             fs::create_directory(f / "locked");
             std::ofstream(f / "locked/picture.bmp") << "old content, longer than nothing";
         },
         "locked/picture.bmp", "locked/picture.bmp", nullptr},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = folder_ / "case";
        fs::remove_all(folder);
        fs::create_directory(folder);
        c.prepare(folder);
        std::string error;
        {
            LockedFolder lock(folder / "locked");  // only in the case that has that folder
            ASSERT_TRUE(SaveImageToPath(Picture(), (folder / c.target).string(), &error)) << error;
        }
        EXPECT_EQ(Contents((folder / c.file).string()), expected_);
        if (c.check)
            c.check(folder);
        ExpectNoTemporary(folder);
    }
}

TEST_F(SaveTargets, StreamsAreWrittenStraightThrough) {
    const std::string fifo = (folder_ / "pipe.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto read = std::async(std::launch::async, [&] { return Contents(fifo); });
    std::string error;
    ASSERT_TRUE(SaveImageToPath(Picture(), fifo, &error)) << error;
    EXPECT_EQ(read.get(), expected_);

    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    auto drained = std::async(std::launch::async, [&] {
        std::string bytes;
        char buffer[4096];
        for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
            bytes.append(buffer, static_cast<size_t>(n));
        return bytes;
    });
    const bool saved = ReplaceFileAtomically(
        "/dev/fd/" + std::to_string(ends[1]),
        [](FileImageStream& stream, std::string*) { return stream.Write("report", 6) == 6; },
        &error);
    ::close(ends[1]);
    EXPECT_TRUE(saved) << error;
    EXPECT_EQ(drained.get(), "report");
    ::close(ends[0]);
    EXPECT_TRUE(fs::is_fifo(fifo));
    ExpectNoTemporary(folder_);
}

// A folder that takes no new file: the content is complete in memory before the file is opened,
// so a failure while encoding leaves the old file as it was; a failure while writing over it says
// that the file was written in place.
TEST_F(SaveTargets, InPlaceSaveFailuresSayWhatBecameOfTheFile) {
    const fs::path locked = folder_ / "locked";
    fs::create_directory(locked);
    const std::string target = (locked / "picture.bmp").string();
    std::optional<FileSizeLimit> limit;
    const std::string inPlace =
        "File too large; no temporary file could be made in " + locked.string() + " (";
    const ContentWriter encodeThenFill = [&](FileImageStream& stream, std::string*) {
        const std::string content(64, 'n');
        const bool written = stream.Write(content.data(), 64) == 64;
        limit.emplace(16);  // the disk fills up once the content is encoded
        return written;
    };
    const ContentWriter encodeOnFullDisk = [&](FileImageStream& stream, std::string* why) {
        limit.emplace(16);
        const std::string content(64, 'n');
        if (stream.Write(content.data(), 64) == 64)
            return true;
        *why = std::strerror(stream.Error());
        return false;
    };
    const std::vector<std::pair<ContentWriter, bool>> cases = {{encodeOnFullDisk, false},
                                                               {encodeThenFill, true}};
    for (const auto& [write, writtenInPlace] : cases) {
        SCOPED_TRACE(writtenInPlace ? "writing over the file fails" : "encoding fails");
        std::ofstream(target, std::ios::trunc) << "old";
        std::string error, reason;
        bool saved = true;
        {
            LockedFolder lock(locked);
            if (!lock.Locked())
                GTEST_SKIP() << "this file system cannot make a folder read-only for this user";
            saved = ReplaceFileAtomically(target, write, &error, &reason);
            limit.reset();
        }
        EXPECT_FALSE(saved);
        if (writtenInPlace) {
            EXPECT_EQ(error.rfind("Cannot write " + target + ": " + inPlace, 0), 0u) << error;
            EXPECT_TRUE(
                error.ends_with("), so the file was written in place and may now be "
                                "incomplete"))
                << error;
            EXPECT_EQ(Contents(target), std::string(16, 'n'));
        } else {
            EXPECT_EQ(error, "Cannot write " + target + ": File too large");
            EXPECT_EQ(reason, "File too large");
            EXPECT_EQ(Contents(target), "old");
        }
    }
}

// An interrupt that arrives while the content is encoded stops the save before anything at the
// path changes, whichever way the file would have been written; after it, no save starts.
TEST_F(SaveTargets, AnInterruptStopsSavesBeforeTheFileChanges) {
    struct InterruptCase {
        const char* name;
        const char* target;
        std::function<void(const fs::path& folder)> prepare;
        const char* before;  // the file's content before and after the save; nullptr: no file
    };
    const std::vector<InterruptCase> cases = {
        {"a new file", "new.bmp", [](const fs::path&) {}, nullptr},
        {"a replaced file", "old.bmp",
         [](const fs::path& f) { std::ofstream(f / "old.bmp") << "old"; }, "old"},
        {"a file written in place", "locked/old.bmp",
         [](const fs::path& f) {
             fs::create_directory(f / "locked");
             std::ofstream(f / "locked/old.bmp") << "old";
         },
         "old"},
    };
    std::atomic<bool> interrupted{false};
    AbandonSavesWhen(&interrupted);
    // Whatever assertion ends the test, later saves must not read the flag after it is gone.
    const std::unique_ptr<void, void (*)(void*)> restore(&interrupted,
                                                         [](void*) { AbandonSavesWhen(nullptr); });
    const ContentWriter interruptedWhileEncoding = [&](FileImageStream& stream, std::string*) {
        interrupted = true;
        return stream.Write("new", 3) == 3;
    };
    for (const InterruptCase& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = folder_ / "case";
        fs::remove_all(folder);
        fs::create_directory(folder);
        c.prepare(folder);
        const std::string target = (folder / c.target).string();
        interrupted = false;
        std::string error, reason;
        bool saved = true;
        {
            LockedFolder lock(folder / "locked");
            saved = ReplaceFileAtomically(target, interruptedWhileEncoding, &error, &reason);
        }
        EXPECT_FALSE(saved);
        EXPECT_EQ(error, "Cannot write " + target + ": interrupted");
        EXPECT_EQ(reason, "interrupted");
        if (c.before)
            EXPECT_EQ(Contents(target), c.before);
        else
            EXPECT_FALSE(fs::exists(target));
        ExpectNoTemporary(folder);
        EXPECT_FALSE(SaveImageToPath(Picture(), (folder / "later.bmp").string(), &error));
        EXPECT_FALSE(fs::exists(folder / "later.bmp"));
    }
    const std::string fifo = (folder_ / "pipe.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    interrupted = false;
    EXPECT_FALSE(ReplaceFileAtomically(fifo, interruptedWhileEncoding, nullptr));
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0) << "a stream received bytes after the interrupt";
    ::close(reader);
    AbandonSavesWhen(nullptr);
    EXPECT_TRUE(SaveImageToPath(Picture(), (folder_ / "after.bmp").string(), nullptr));
}

}  // namespace
}  // namespace lumivex::robustness
