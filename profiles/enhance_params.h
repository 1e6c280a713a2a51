// A parsed enhancement profile: a small INI file read and written by our own parser. Sections
// and keys keep the case they were written in and are looked up case-insensitively.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lumivex {

// One bracketed section. An entry with an empty key is a line that held no "=".
struct ProfileSection {
    std::string name;
    std::vector<std::string> keys;
    std::vector<std::string> values;
    std::map<std::string, std::size_t> keyIndex;  // lower-cased key -> position

    // Replaces the value of an existing key (case-insensitively) or appends the entry.
    void SetValue(const std::string& key, const std::string& value);
    // Appends a line without "=": empty key, the whole line as value.
    void AppendLine(const std::string& line);
    const std::string* FindValue(const std::string& key) const;
};

class EnhanceParams {
public:
    EnhanceParams() = default;
    EnhanceParams(const EnhanceParams& other);
    EnhanceParams& operator=(const EnhanceParams& other);
    EnhanceParams(EnhanceParams&&) noexcept = default;
    EnhanceParams& operator=(EnhanceParams&&) noexcept = default;

    // Clears the record, then reads path. False with an empty record when the file does not
    // exist (or cannot be opened); false keeping what was read so far on a read error.
    bool Load(const std::string& path);
    // Parses text as if it were the content of a profile file (after Clear).
    void LoadFromText(const std::string& text);
    // Writes the record with CR LF line ends; false on a file error.
    bool Save(const std::string& path) const;
    std::string ToText() const;
    void Clear();

    // Each returns false and leaves out untouched when the section or key is absent.
    bool ReadBool(const std::string& section, const std::string& key, bool& out) const;
    bool ReadReal(const std::string& section, const std::string& key, double& out) const;
    bool ReadInt(const std::string& section, const std::string& key, int32_t& out) const;
    // Finds or appends the section, then sets key to value formatted as "%d".
    bool WriteInt(const std::string& section, const std::string& key, int32_t value);
    // Finds or appends the section, then sets key to value as it stands.
    bool WriteString(const std::string& section, const std::string& key, const std::string& value);

    const std::vector<std::string>& Preamble() const { return preamble_; }
    const std::vector<std::unique_ptr<ProfileSection>>& Sections() const { return sections_; }
    const ProfileSection* FindSection(const std::string& name) const;
    // The stored value of key in section; nullptr when either is absent.
    const std::string* FindValue(const std::string& section, const std::string& key) const;

private:
    ProfileSection& FindOrAddSection(const std::string& name);
    void ParseLine(const std::string& rawLine);

    std::vector<std::string> preamble_;
    std::vector<std::unique_ptr<ProfileSection>> sections_;
    std::map<std::string, ProfileSection*> sectionIndex_;  // lower-cased name -> section
    ProfileSection* current_ = nullptr;                    // only set while loading
};

// Value conversions shared by the typed reads; exposed for tests.
// The leading decimal number of text ("1.5x" -> 1.5, "abc" -> 0.0). Only plain decimal
// notation with an optional exponent is accepted, never "inf", "nan" or hexadecimal.
double ParseLeadingReal(const std::string& text);
// The leading decimal integer of text, saturated to the int32 range ("12abc" -> 12).
int32_t ParseLeadingInt(const std::string& text);
// True when text contains "true" (case-sensitive) or is exactly "1".
bool ParseProfileBool(const std::string& text);

}  // namespace lumivex
