#include "cli/cli_json_report.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "image/save_image.h"

namespace lumivex::cli {

std::string JsonQuoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
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
