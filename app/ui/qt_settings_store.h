// SettingsStore over QSettings (organisation "Corvanes", application "Lumivex"); a section is a
// QSettings group.
#pragma once

#include <QSettings>

#include "app/core/settings_store.h"

namespace lumivex {

class QtSettingsStore : public SettingsStore {
public:
    QtSettingsStore();

    int32_t ReadInt(const std::string& section, const std::string& name,
                    int32_t fallback) const override;
    void WriteInt(const std::string& section, const std::string& name, int32_t value) override;
    std::string ReadString(const std::string& section, const std::string& name,
                           const std::string& fallback) const override;
    void WriteString(const std::string& section, const std::string& name,
                     const std::string& value) override;
    void Sync() { settings_.sync(); }

private:
    QSettings settings_;
};

}  // namespace lumivex
