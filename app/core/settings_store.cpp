#include "app/core/settings_store.h"

namespace lumivex {

int32_t MemorySettingsStore::ReadInt(const std::string& section, const std::string& name,
                                     int32_t fallback) const {
    auto it = ints_.find({section, name});
    return it == ints_.end() ? fallback : it->second;
}

void MemorySettingsStore::WriteInt(const std::string& section, const std::string& name,
                                   int32_t value) {
    ints_[{section, name}] = value;
}

std::string MemorySettingsStore::ReadString(const std::string& section, const std::string& name,
                                            const std::string& fallback) const {
    auto it = strings_.find({section, name});
    return it == strings_.end() ? fallback : it->second;
}

void MemorySettingsStore::WriteString(const std::string& section, const std::string& name,
                                      const std::string& value) {
    strings_[{section, name}] = value;
}

void MemorySettingsStore::Remove(const std::string& section, const std::string& name) {
    ints_.erase({section, name});
    strings_.erase({section, name});
}

}  // namespace lumivex
