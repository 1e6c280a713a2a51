#include "profiles/enhance_params.h"

#include <locale.h>

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace lumivex {

namespace {

// A profile is a few lines of text; anything far larger is not a profile and is not read whole.
constexpr std::size_t kMaxProfileBytes = 1 << 20;

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string Lower(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string TrimRight(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && IsSpace(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

std::string TrimLeft(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    return text.substr(begin);
}

bool IsSectionLine(const std::string& line) {
    return line.size() >= 3 && line.front() == '[' && line.back() == ']';
}

std::string SectionName(const std::string& line) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (end > 0 && line[end - 1] == ']') {
        --end;
    }
    while (begin < end && line[begin] == '[') {
        ++begin;
    }
    return line.substr(begin, end - begin);
}

// Length of the leading run of [sign] digits [. digits] [e [sign] digits] after white space.
std::size_t DecimalPrefixEnd(const std::string& text, std::size_t pos, bool allowFraction) {
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        ++pos;
    }
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (!allowFraction) {
        return pos;
    }
    if (pos < text.size() && text[pos] == '.') {
        std::size_t after = pos + 1;
        while (after < text.size() && IsDigit(text[after])) {
            ++after;
            ++digits;
        }
        pos = after;
    }
    if (digits == 0) {
        return 0;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        std::size_t exp = pos + 1;
        if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) {
            ++exp;
        }
        if (exp < text.size() && IsDigit(text[exp])) {
            while (exp < text.size() && IsDigit(text[exp])) {
                ++exp;
            }
            pos = exp;
        }
    }
    return pos;
}

locale_t ClassicLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return locale;
}

}  // namespace

double ParseLeadingReal(const std::string& text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsSpace(text[begin])) {
        ++begin;
    }
    const std::size_t end = DecimalPrefixEnd(text, begin, true);
    if (end <= begin) {
        return 0.0;
    }
    const std::string number = text.substr(begin, end - begin);
    double value = strtod_l(number.c_str(), nullptr, ClassicLocale());
    // Overflow gives infinity; callers multiply sizes by the value, so keep it finite.
    if (std::isinf(value)) {
        value = value > 0 ? DBL_MAX : -DBL_MAX;
    }
    return value;
}

int32_t ParseLeadingInt(const std::string& text) {
    std::size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    int64_t value = 0;
    for (; pos < text.size() && IsDigit(text[pos]); ++pos) {
        value = value * 10 + (text[pos] - '0');
        if (value > int64_t{INT32_MAX} + 1) {
            value = int64_t{INT32_MAX} + 1;  // saturate; keeps the loop free of overflow
        }
    }
    if (negative) {
        value = -value;
    }
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(value);
}

bool ParseProfileBool(const std::string& text) {
    return text.find("true") != std::string::npos || text == "1";
}

void ProfileSection::SetValue(const std::string& key, const std::string& value) {
    if (key.empty()) {
        keys.emplace_back();
        values.push_back(value);
        return;
    }
    const std::string lower = Lower(key);
    const auto found = keyIndex.find(lower);
    if (found != keyIndex.end()) {
        values[found->second] = value;
        return;
    }
    keyIndex.emplace(lower, keys.size());
    keys.push_back(key);
    values.push_back(value);
}

void ProfileSection::AppendLine(const std::string& line) {
    SetValue(std::string(), line);
}

const std::string* ProfileSection::FindValue(const std::string& key) const {
    const auto found = keyIndex.find(Lower(key));
    return found == keyIndex.end() ? nullptr : &values[found->second];
}

EnhanceParams::EnhanceParams(const EnhanceParams& other) {
    *this = other;
}

EnhanceParams& EnhanceParams::operator=(const EnhanceParams& other) {
    if (this == &other) {
        return *this;
    }
    Clear();
    preamble_ = other.preamble_;
    for (const auto& section : other.sections_) {
        sections_.push_back(std::make_unique<ProfileSection>(*section));
        sectionIndex_.emplace(Lower(section->name), sections_.back().get());
    }
    return *this;
}

void EnhanceParams::Clear() {
    preamble_.clear();
    sectionIndex_.clear();
    sections_.clear();
    current_ = nullptr;
}

ProfileSection& EnhanceParams::FindOrAddSection(const std::string& name) {
    const std::string lower = Lower(name);
    const auto found = sectionIndex_.find(lower);
    if (found != sectionIndex_.end()) {
        return *found->second;
    }
    sections_.push_back(std::make_unique<ProfileSection>());
    sections_.back()->name = name;
    sectionIndex_.emplace(lower, sections_.back().get());
    return *sections_.back();
}

const ProfileSection* EnhanceParams::FindSection(const std::string& name) const {
    const auto found = sectionIndex_.find(Lower(name));
    return found == sectionIndex_.end() ? nullptr : found->second;
}

void EnhanceParams::ParseLine(const std::string& rawLine) {
    const std::string line = TrimLeft(TrimRight(rawLine));
    if (line.empty()) {
        return;
    }
    if (IsSectionLine(line)) {
        current_ = &FindOrAddSection(SectionName(line));
        return;
    }
    if (current_ == nullptr) {
        preamble_.push_back(line);
        return;
    }
    const std::size_t equals = line.find('=');
    // A line starting with "=" has an empty key: it is kept whole, like a line without "=", so
    // that writing it back gives the same line (its value alone could read back as a section).
    if (equals == std::string::npos || equals == 0) {
        current_->AppendLine(line);
        return;
    }
    current_->SetValue(TrimRight(line.substr(0, equals)), TrimLeft(line.substr(equals + 1)));
}

void EnhanceParams::LoadFromText(const std::string& text) {
    Clear();
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        ParseLine(text.substr(begin, end - begin));
        begin = end + 1;
    }
    current_ = nullptr;
}

bool EnhanceParams::Load(const std::string& path) {
    Clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::string text;
    char buffer[4096];
    bool ok = true;
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
        if (text.size() > kMaxProfileBytes) {
            text.resize(kMaxProfileBytes);
            ok = false;
            break;
        }
    }
    if (std::ferror(file) != 0) {
        ok = false;
    }
    std::fclose(file);
    if (!ok) {
        // Keep the complete lines read so far; a partial last line is dropped.
        const std::size_t lastEnd = text.rfind('\n');
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    LoadFromText(text);
    return ok;
}

std::string EnhanceParams::ToText() const {
    std::string text;
    for (const std::string& line : preamble_) {
        text += line + "\r\n";
    }
    for (const auto& section : sections_) {
        // "[]" is too short to read back as a section line; "[[]]" reads back as the empty name.
        text += section->name.empty() ? "[[]]\r\n" : "[" + section->name + "]\r\n";
        for (std::size_t i = 0; i < section->keys.size(); ++i) {
            if (section->keys[i].empty()) {
                text += section->values[i] + "\r\n";
            } else {
                text += section->keys[i] + " = " + section->values[i] + "\r\n";
            }
        }
        text += "\r\n";
    }
    return text;
}

bool EnhanceParams::Save(const std::string& path) const {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string text = ToText();
    bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    ok = std::fclose(file) == 0 && ok;
    return ok;
}

const std::string* EnhanceParams::FindValue(const std::string& section,
                                            const std::string& key) const {
    const ProfileSection* found = FindSection(section);
    return found ? found->FindValue(key) : nullptr;
}

bool EnhanceParams::ReadBool(const std::string& section, const std::string& key, bool& out) const {
    const std::string* value = FindValue(section, key);
    if (value != nullptr) {
        out = ParseProfileBool(*value);
    }
    return value != nullptr;
}

bool EnhanceParams::ReadReal(const std::string& section, const std::string& key,
                             double& out) const {
    const std::string* value = FindValue(section, key);
    if (value != nullptr) {
        out = ParseLeadingReal(*value);
    }
    return value != nullptr;
}

bool EnhanceParams::ReadInt(const std::string& section, const std::string& key,
                            int32_t& out) const {
    const std::string* value = FindValue(section, key);
    if (value != nullptr) {
        out = ParseLeadingInt(*value);
    }
    return value != nullptr;
}

bool EnhanceParams::WriteInt(const std::string& section, const std::string& key, int32_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool EnhanceParams::WriteString(const std::string& section, const std::string& key,
                                const std::string& value) {
    FindOrAddSection(section).SetValue(key, value);
    return true;
}

}  // namespace lumivex
