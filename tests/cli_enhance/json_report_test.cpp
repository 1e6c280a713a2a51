#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "cli/cli_json_report.h"

namespace lumivex::cli {
namespace {

TEST(JsonWriterTest, NestsAndSeparatesValues) {
    JsonWriter json;
    json.BeginObject();
    json.Key("a").Int(-3);
    json.Key("list").BeginArray().Real(0.1).Real(-2.5).Bool(false).EndArray();
    json.Key("empty").BeginObject().EndObject();
    json.Key("none").BeginArray().EndArray();
    json.Key("s").String("x");
    json.EndObject();
    EXPECT_EQ(json.Text(),
              "{\n  \"a\": -3,\n  \"list\": [\n    0.1,\n    -2.5,\n    false\n  ],\n"
              "  \"empty\": {},\n  \"none\": [],\n  \"s\": \"x\"\n}\n");
}

TEST(JsonWriterTest, EscapesStringsAndNonFiniteNumbers) {
    EXPECT_EQ(JsonQuoted("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
    EXPECT_EQ(JsonQuoted("Frame 12a \xc3\xa9"), "\"Frame 12a \xc3\xa9\"");
    // Bytes that are not UTF-8 (a Latin-1 name, a cut or overlong sequence, a surrogate) become
    // U+FFFD one by one; four-byte characters pass.
    EXPECT_EQ(JsonQuoted("caf\xe9.jpg \xf0\x9f\x93\xb7 \xc3"),
              "\"caf\\ufffd.jpg \xf0\x9f\x93\xb7 \\ufffd\"");
    EXPECT_EQ(JsonQuoted("\xc0\xaf|\xed\xa0\x80|\xf4\x90\x80\x80"),
              "\"\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd|\\ufffd\\ufffd\\ufffd\\ufffd\"");
    JsonWriter json;
    json.BeginArray().Real(1.0 / 0.0).Real(0.0 / 0.0).Real(5798.125).EndArray();
    EXPECT_EQ(json.Text(), "[\n  null,\n  null,\n  5798.125\n]");
}

TEST(JsonWriterTest, FilesAreReplacedOnlyWhenComplete) {
    char pattern[] = "/tmp/lumivex_json_XXXXXX";
    const std::string folder = mkdtemp(pattern);
    const std::string path = folder + "/report.json";
    std::string error;
    ASSERT_TRUE(WriteTextFileAtomically(path, "{}\n", &error)) << error;
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{}\n");
    EXPECT_FALSE(WriteTextFileAtomically(folder + "/missing/report.json", "{}", &error));
    EXPECT_NE(error.find("No such file"), std::string::npos);
    // Nothing but the report is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace lumivex::cli
