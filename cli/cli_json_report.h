// A small JSON writer for the machine-readable reports of lumivex-cli, and a safe way to put the
// text in a file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lumivex::cli {

// Builds indented JSON text. Calls must nest properly; Key is required inside objects.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(const std::string& key);
    JsonWriter& String(const std::string& value);
    JsonWriter& Int(int64_t value);
    // Shortest text that reads back as the same double; null when not finite.
    JsonWriter& Real(double value);
    JsonWriter& Bool(bool value);
    const std::string& Text() const { return text_; }

private:
    void BeforeValue();
    void NewLine();

    std::string text_;
    std::vector<bool> hasItems_;  // one entry per open object or array
    bool afterKey_ = false;
};

// JSON string literal of text (quotes included), escaping what JSON requires.
std::string JsonQuoted(const std::string& text);

// Writes text to a temporary file beside path and renames it over path only when complete.
// False with *error set to the reason ("Permission denied") otherwise; an existing file at path is
// then left as it was.
bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string* error);

}  // namespace lumivex::cli
