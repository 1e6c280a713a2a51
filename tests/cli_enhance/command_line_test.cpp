// lumivex-cli as a user meets it: every refused command leaves every file as it was, says what
// is wrong in one style and exits with its status; help and the program options work anywhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "image/save_image.h"
#include "tests/cli_enhance/cli_process.h"
#include "tests/job/test_frames.h"

namespace lumivex {
namespace {

namespace fs = std::filesystem;
using testing_cli::CliResult;
using testing_cli::ReadText;
using testing_cli::RunCli;

struct Case;

class CommandLineTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumivex_cli_cases_XXXXXX";
        folder_ = mkdtemp(pattern);
        fs::create_directory(folder_ + "/work");
        fs::create_directory(folder_ + "/work/d.bmp");
        Picture("a.bmp", 64, 48, 0);
        Picture("b.bmp", 64, 48, 1);
        Picture("c.bmp", 64, 48, 2);
        Picture("small.bmp", 48, 40, 0);
        Picture("tiny0.bmp", 16, 16, 0);
        Picture("tiny1.bmp", 16, 16, 1);
        const std::string whole = ReadText(Path("a.bmp"));
        std::ofstream(Path("cut.bmp")) << whole.substr(0, whole.size() / 2);
        std::ofstream(Path("notes.txt")) << "not a picture";
        std::ofstream(Path("keep.bmp")) << "precious";
        std::ofstream(Path("nokeys.ini")) << "[resolution]\nscael = 2\n";
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Path(const std::string& name) const { return folder_ + "/work/" + name; }

    void Picture(const std::string& name, int32_t width, int32_t height, int k) {
        std::string error;
        ASSERT_TRUE(SaveImageToPath(
            *testing_frames::MakeSceneFrame(width, height, 0.37 * k, 0.21 * k), Path(name), &error))
            << error;
    }

    // Every file under work/ with its bytes.
    std::map<std::string, std::string> Snapshot() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(folder_ + "/work")) {
            files[entry.path().string()] = entry.is_regular_file() ? ReadText(entry.path()) : "/";
        }
        return files;
    }

    // args with every "@name" made the path of work/name.
    std::vector<std::string> Arguments(const std::vector<std::string>& args) const {
        std::vector<std::string> paths;
        for (const std::string& arg : args) {
            paths.push_back(arg.rfind('@', 0) == 0 ? Path(arg.substr(1)) : arg);
        }
        return paths;
    }

    // Runs the case's command and checks its status and what it printed.
    void Expect(const Case& c) const;

    std::string folder_;
};

// Texts that a stream holds in this order; a first piece starting with '^' starts it, a last one
// ending in '$' ends it.
using Pieces = std::vector<std::string>;

bool HoldsInOrder(const std::string& text, Pieces pieces) {
    if (pieces == Pieces{"^$"}) {
        return text.empty();
    }
    if (!pieces.empty() && pieces.front().rfind('^', 0) == 0) {
        pieces.front().erase(0, 1);
        if (text.rfind(pieces.front(), 0) != 0) {
            return false;
        }
    }
    if (!pieces.empty() && !pieces.back().empty() && pieces.back().back() == '$') {
        pieces.back().pop_back();
        const std::string& end = pieces.back();
        if (text.size() < end.size() || text.compare(text.size() - end.size(), end.size(), end)) {
            return false;
        }
    }
    std::size_t at = 0;
    for (const std::string& piece : pieces) {
        at = text.find(piece, at);
        if (at == std::string::npos) {
            return false;
        }
        at += piece.size();
    }
    return true;
}

struct Case {
    std::vector<std::string> args;
    int status;
    Pieces err;  // what stderr holds
    Pieces out;  // what stdout holds
};

void CommandLineTest::Expect(const Case& c) const {
    const CliResult result = RunCli(Arguments(c.args), folder_);
    const std::string what = testing::PrintToString(c.args);
    EXPECT_EQ(result.status, c.status) << what << "\n" << result.err;
    EXPECT_TRUE(HoldsInOrder(result.err, c.err)) << what << "\n" << result.err;
    EXPECT_TRUE(HoldsInOrder(result.out, c.out)) << what << "\n" << result.out;
}

// Refused: nothing under work/ changes. The messages name the file first, in lower case.
const Case kRefused[] = {
    {{"enhance", "@a.bmp", "@b.bmp", "@c.bmp", "-o", "@b.bmp"},
     2,
     {"^lumivex-cli: /",
      "/b.bmp: is an input and cannot also be the output of -o\n"
      "usage: lumivex-cli enhance [OPTIONS] INPUT... -o OUT\n"},
     {}},
    {{"enhance", "@a.bmp", "@b.bmp", "--report", "@a.bmp", "-o", "@out.bmp"},
     2,
     {"a.bmp: is an input and cannot also be the output of --report"},
     {}},
    {{"enhance", "@a.bmp", "@b.bmp", "-o", "@out.jpg", "--report", "@out.jpg"},
     2,
     {"out.jpg: cannot be written by both -o and --report"},
     {}},
    {{"convert", "@a.bmp", "@a.bmp"}, 2, {"a.bmp: is an input and cannot also be the output"}, {}},
    {{"convert", "@a.bmp", "@keep.gif"},
     2,
     {"keep.gif: no picture format is written under this name (the formats are BMP"},
     {}},
    {{"enhance", "@a.bmp", "@b.bmp", "-o", "@d.bmp"},
     1,
     {"/d.bmp: is a folder (give a file name)\n$"},
     {}},
    {{"enhance", "@a.bmp", "@b.bmp", "-o", "@no/such/out.bmp"},
     1,
     {"out.bmp: cannot be written (the folder ", "/no/such does not exist)\n$"},
     {}},
    {{"convert", "@a.bmp", "@no/out.jpg"}, 1, {"out.jpg: cannot be written (the folder "}, {}},
    // Pictures that leave fewer than two to fuse.
    {{"enhance", "@a.bmp", "@small.bmp", "-o", "@out.bmp"},
     1,
     {"small.bmp: left out, its size differs from the first picture's (48 x 40, not 64 x 48)\n",
      "lumivex-cli: only 1 of the 2 pictures can be used, and fusing needs two"},
     {}},
    {{"enhance", "@a.bmp", "@missing.bmp", "-o", "@out.bmp"},
     1,
     {"missing.bmp: left out, cannot be read (no such file or directory)\n"},
     {}},
    {{"enhance", "@notes.txt", "@keep.bmp", "-o", "@out.bmp"},
     1,
     {"notes.txt: left out, not a picture Lumivex reads (unknown file format)\n",
      "keep.bmp: left out, not a picture Lumivex reads (",
      "lumivex-cli: no picture could be added"},
     {}},
    {{"enhance", "@tiny0.bmp", "@missing.bmp", "--reference", "1", "-o", "@out.bmp"},
     1,
     {"missing.bmp: the reference picture (--reference 1) could not be added"},
     {}},
    {{"enhance", "@tiny0.bmp", "@tiny1.bmp", "-o", "@out.bmp"},
     1,
     {"too small to be registered"},
     {}},
    {{"enhance", "@tiny0.bmp", "--scale", "4000", "-o", "@out.bmp"}, 1, {"is too large"}, {}},
    // Profiles.
    {{"enhance", "@a.bmp", "@b.bmp", "--profile", "@none.ini", "-o", "@out.bmp"},
     1,
     {"none.ini: the profile cannot be read (no such file or directory)\n$"},
     {}},
    {{"enhance", "@a.bmp", "--profile", "no such profile", "-o", "@out.bmp"},
     2,
     {"--profile: no profile is named \"no such profile\" (the profiles are \"2x enlargement\""},
     {}},
    // Usage errors: twice, contradicting, out of range, unknown.
    {{"enhance", "@a.bmp", "@b.bmp", "-o", "@x.bmp", "-o", "@y.bmp"},
     2,
     {"^lumivex-cli: --output: given more than once\n"},
     {}},
    {{"enhance", "@a.bmp", "--quiet", "--quiet", "-o", "@x.bmp"},
     2,
     {"--quiet: given more than once"},
     {}},
    {{"enhance", "@a.bmp", "--fields", "--no-fields", "-o", "@x.bmp"},
     2,
     {"fields excludes --"},
     {}},
    {{"enhance", "@a.bmp", "--scale", "2", "--max-size", "80x60", "-o", "@x.bmp"},
     2,
     {"excludes --"},
     {}},
    {{"enhance", "@a.bmp", "--proportional", "false", "-o", "@x.bmp"},
     2,
     {"--proportional requires --max-size"},
     {}},
    {{"enhance", "@a.bmp", "--quality", "0", "-o", "@x.jpg"},
     2,
     {"^lumivex-cli: --quality: 0 is out of range (1 to 100)\n"},
     {}},
    {{"enhance", "@a.bmp", "--reference", "1", "-o", "@x.bmp"},
     2,
     {"--reference: 1 is out of range (0 to 0)"},
     {}},
    {{"enhance", "@a.bmp", "--reference", "-1", "-o", "@x.bmp"},
     2,
     {"--reference: -1 is out of range"},
     {}},
    {{"enhance", "@a.bmp", "--method", "fast", "-o", "@x.bmp"},
     2,
     {"--method: fast is not one of standard, quality"},
     {}},
    {{"enhance", "@a.bmp", "--blur", "2.5", "-o", "@x.bmp"},
     2,
     {"--blur: 2.5 is not auto or a blur from 0 to 2"},
     {}},
    {{"enhance", "@a.bmp", "--scale", "abc", "-o", "@x.bmp"},
     2,
     {"--scale: abc is not a decimal number above 0"},
     {}},
    {{"enhance", "@a.bmp", "--scale", "0.01", "-o", "@x.bmp"},
     2,
     {"--scale: 0.01 leaves no pixel of the 64 x 48 input\n"},
     {}},
    {{"enhance", "@a.bmp", "--max-size", "800", "-o", "@x.bmp"},
     2,
     {"--max-size: 800 is not a size WxH"},
     {}},
    {{"enhance", "@a.bmp", "--aspect", "0:1", "-o", "@x.bmp"},
     2,
     {"--aspect: 0:1 is not auto or a ratio"},
     {}},
    {{"enhance", "@a.bmp", "--no-fields", "-o", "@x.bmp"},
     2,
     {"--fields and --no-fields apply to a video input only"},
     {}},
    {{"enhance", "@a.bmp", "-o", "@x.bmp", "--frobnicate"},
     2,
     {"the following argument was not expected: --frobnicate"},
     {}},
    {{"enhance", "@a.bmp"}, 2, {"--output is required"}, {}},
    {{"enhance"}, 2, {"INPUT is required"}, {}},
    {{"--threads", "0", "enhance", "@a.bmp", "-o", "@x.bmp"},
     2,
     {"--threads: 0 is out of range (1 to 1024)"},
     {}},
    {{"convert", "@a.bmp"}, 2, {"OUT is required"}, {}},
    {{"info"}, 2, {"FILE is required"}, {}},
    {{"info", "--frobnicate", "@a.bmp"}, 2, {"not expected: --frobnicate"}, {}},
    {{"profiles", "--size", "640"}, 2, {"--size: 640 is not a size WxH"}, {}},
    {{"profiles", "--aspect", "abc"}, 2, {"--aspect: abc is not auto"}, {}},
    {{"frobnicate"}, 2, {"not expected: frobnicate"}, {}},
    {{"help", "frobnicate"},
     2,
     {"^lumivex-cli: frobnicate is not a command (the commands are convert, enhance, extract, "
      "info, profiles)\nusage: lumivex-cli help [COMMAND]\n"},
     {}},
    {{}, 2, {"^Makes one sharper", "Usage: lumivex-cli [--threads N] [--quiet] COMMAND"}, {"^$"}},
    {{"help", "enhance", "extract"}, 2, {"help explains one command at a time\n"}, {"^$"}},
    {{"info", "@missing.bmp", "@a.bmp"},
     1,
     {"^lumivex-cli: /", "/missing.bmp: cannot be read (no such file or directory)\n$"},
     {"a.bmp: bmp, 64 x 48, 24 bits"}},
    {{"info", "--json", "@notes.txt"}, 1, {}, {"\"error\": \"unknown file format\"}\n$"}},
    // A problem is one line whatever the name holds; no control character reaches the terminal.
    {{"info", "@two\nlines\x1b[2J.bmp"},
     1,
     {"/two\\nlines\\x1b[2J.bmp: cannot be read (no such file or directory)\n$"},
     {"^$"}},
    // Help: the command's options one line each, its example, the program's options.
    {{"help", "enhance"},
     0,
     {"^$"},
     {"Usage: lumivex-cli enhance [OPTIONS] INPUT... -o OUT\n",
      "\n  --method standard|quality   the reconstruction",
      "\n  --blur SIGMA|auto           quality method: the camera's optical blur",
      "\n  --quality 1..100            JPEG output quality (default 75)\n",
      "picture coordinates: origin at the\ntop-left pixel, x right, y down, in input pixels",
      "\n  --threads N ", "Example:\n  lumivex-cli enhance "}},
    {{"enhance", "--help"}, 0, {"^$"}, {"\n  --report FILE.json|-        write the registration"}},
    {{"info", "--help"}, 0, {"^$"}, {"pictures (BMP, JPEG, PNG, TIFF) or videos"}},
    {{"help"}, 0, {"^$"}, {"Run 'lumivex-cli help COMMAND'"}},
    {{"help", "help"}, 0, {"^$"}, {"Usage: lumivex-cli help [COMMAND]\n"}},
    {{"help", "extract"},
     0,
     {"^$"},
     {"Usage: lumivex-cli extract [OPTIONS] VIDEO -d DIR\n", "  --mkdir "}},
};

TEST_F(CommandLineTest, RefusedCommandsLeaveEveryFileAndSayWhy) {
    for (const Case& c : kRefused) {
        const auto before = Snapshot();
        Expect(c);
        EXPECT_EQ(Snapshot(), before) << testing::PrintToString(c.args);
    }
}

const std::string kCutShort =
    "read, but the file ends early (the part of the picture it lacks is filled in)";

// Commands that work: the program options after the command, the report on standard output,
// a profile that sets nothing Lumivex reads.
const Case kDone[] = {
    {{"enhance", "@a.bmp", "@b.bmp", "--threads", "1", "--quiet", "-o", "@out.bmp"},
     0,
     {"^$"},
     {"^$"}},
    {{"--quiet", "enhance", "@a.bmp", "@b.bmp", "-o", "@out.jpg", "--report", "-"},
     0,
     {"^$"},
     {"^{\n  \"input\": {", "\"status\": -100,", "}\n$"}},
    {{"enhance", "@a.bmp", "@b.bmp", "-o", "@out.jpg", "--report", "-"},
     0,
     {"1 of 1 images fused", "Wrote ", "out.jpg (128x96"},
     {"^{"}},
    {{"enhance", "@a.bmp", "@b.bmp", "--profile", "@nokeys.ini", "-o", "@out.bmp"},
     0,
     {"nokeys.ini: the profile sets nothing Lumivex reads"},
     {"Wrote ", "out.bmp (128x96"}},
    {{"enhance", "@a.bmp", "-o", "@out.bmp"}, 0, {"^$"}, {"Wrote ", "out.bmp (128x96"}},
    // Options that do nothing for this command are named.
    {{"enhance", "@a.bmp", "--quality", "90", "--blur", "0.5", "-o", "@out.png"},
     0,
     {"^lumivex-cli: --quality: ignored, ", "out.png is not written as JPEG\n",
      "lumivex-cli: --blur: ignored, only the quality method (--method quality) models a blur\n$"},
     {"Wrote "}},
    {{"convert", "@a.bmp", "@out.tif", "--quality", "90"},
     0,
     {"^lumivex-cli: --quality: ignored, ", "out.tif is not written as JPEG\n$"},
     {"^$"}},
    {{"enhance", "@a.bmp", "--quality", "90", "--method", "quality", "--blur", "0.5", "-o",
      "@out.JPG"},
     0,
     {"^$"},
     {"Wrote "}},
    // A picture cut short is read, and every command says so, --quiet or not.
    {{"info", "--json", "@cut.bmp"},
     0,
     {"^lumivex-cli: /", "/cut.bmp: " + kCutShort + "\n$"},
     {"\"width\": 64, \"height\": 48", "\"warning\": \"" + kCutShort + "\"}\n$"}},
    {{"convert", "@cut.bmp", "@out.png"}, 0, {"/cut.bmp: " + kCutShort + "\n$"}, {"^$"}},
    {{"--quiet", "enhance", "@cut.bmp", "@b.bmp", "-o", "@out.bmp"},
     0,
     {"^lumivex-cli: /", "/cut.bmp: " + kCutShort + "\n$"},
     {"^$"}},
};

TEST_F(CommandLineTest, CommandsThatWorkSayWhatTheyDid) {
    for (const Case& c : kDone) {
        Expect(c);
    }
}

// --quality chooses the JPEG quality; without it the bytes are those the library writes at 75.
TEST_F(CommandLineTest, QualityChangesOnlyTheJpegBytesItIsGiven) {
    std::string error;
    RgbImage picture;
    picture.TakeFrom(*testing_frames::MakeSceneFrame(64, 48, 0, 0));
    ASSERT_TRUE(SaveImageToPath(picture, Path("library.jpg"), &error)) << error;
    const std::map<std::string, int> runs = {{"plain.jpg", 0}, {"q75.jpg", 75}, {"q95.jpg", 95}};
    for (const auto& [name, quality] : runs) {
        std::vector<std::string> args = {"convert", "--strip-metadata", Path("a.bmp"), Path(name)};
        if (quality > 0) {
            args.insert(args.begin() + 1, {"--quality", std::to_string(quality)});
        }
        ASSERT_EQ(RunCli(args, folder_).status, 0) << name;
    }
    EXPECT_EQ(ReadText(Path("plain.jpg")), ReadText(Path("library.jpg")));
    EXPECT_EQ(ReadText(Path("q75.jpg")), ReadText(Path("library.jpg")));
    EXPECT_GT(ReadText(Path("q95.jpg")).size(), ReadText(Path("q75.jpg")).size() + 100);
}

}  // namespace
}  // namespace lumivex
