#include "cli/cli_json_report.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "image/save_image.h"

namespace lumivex::cli {

namespace {

// The length of the well-formed UTF-8 sequence at text[at] (1 to 4), or 0 when the bytes there are
// none (a stray continuation byte, an overlong form, a surrogate, a value above U+10FFFF).
size_t Utf8SequenceLength(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i) {
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    }
    return length;
}

}  // namespace

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            // JSON text is UTF-8: a byte that is not part of a character (a file name in another
            // encoding) becomes U+FFFD, so that the line still parses.
            const size_t length = Utf8SequenceLength(text, at);
            if (length == 0) {
                out += "\\ufffd";
            } else {
                out.append(text, at, length);
                at += length - 1;
            }
            continue;
        }
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (byte < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void JsonWriter::NewLine() {
    text_ += '\n';
    text_.append(2 * hasItems_.size(), ' ');
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) {
            text_ += ',';
        }
        hasItems_.back() = true;
        NewLine();
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    text_ += '{';
    hasItems_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndObject() {
    const bool hadItems = hasItems_.back();
    hasItems_.pop_back();
    if (hadItems) {
        NewLine();
    }
    text_ += '}';
    if (hasItems_.empty()) {
        text_ += '\n';
    }
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    text_ += '[';
    hasItems_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    const bool hadItems = hasItems_.back();
    hasItems_.pop_back();
    if (hadItems) {
        NewLine();
    }
    text_ += ']';
    return *this;
}

JsonWriter& JsonWriter::Key(const std::string& key) {
    BeforeValue();
    text_ += JsonQuoted(key) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(const std::string& value) {
    BeforeValue();
    text_ += JsonQuoted(value);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    text_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Real(double value) {
    BeforeValue();
    if (!std::isfinite(value)) {
        text_ += "null";
        return *this;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text_.append(buffer, result.ptr);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    text_ += value ? "true" : "false";
    return *this;
}

bool WriteTextFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    return ReplaceFileAtomically(
        path,
        [&](FileImageStream& stream, std::string* why) {
            const auto size = static_cast<int32_t>(text.size());
            if (size == 0 || stream.Write(text.data(), size) == size)
                return true;
            *why = std::strerror(stream.Error() != 0 ? stream.Error() : EIO);
            return false;
        },
        nullptr, error);
}

}  // namespace lumivex::cli
