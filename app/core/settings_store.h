// Per-user settings as sections of named integer and string values. The desktop application
// keeps them in QSettings; tests use MemorySettingsStore.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

namespace lumivex {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual int32_t ReadInt(const std::string& section, const std::string& name,
                            int32_t fallback) const = 0;
    virtual void WriteInt(const std::string& section, const std::string& name, int32_t value) = 0;
    virtual std::string ReadString(const std::string& section, const std::string& name,
                                   const std::string& fallback) const = 0;
    virtual void WriteString(const std::string& section, const std::string& name,
                             const std::string& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    int32_t ReadInt(const std::string& section, const std::string& name,
                    int32_t fallback) const override;
    void WriteInt(const std::string& section, const std::string& name, int32_t value) override;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void Remove(const std::string& section, const std::string& name);

private:
    using Key = std::pair<std::string, std::string>;
    std::map<Key, int32_t> ints_;
    std::map<Key, std::string> strings_;
};

}  // namespace lumivex
