#include "app/ui/qt_settings_store.h"

#include "app/core/app_strings.h"

namespace lumivex {

namespace {

QString Key(const std::string& section, const std::string& name) {
    return QString::fromStdString(section + "/" + name);
}

}  // namespace

QtSettingsStore::QtSettingsStore() : settings_("Corvanes", text::kApplicationName) {}

int32_t QtSettingsStore::ReadInt(const std::string& section, const std::string& name,
                                 int32_t fallback) const {
    bool ok = false;
    const int value = settings_.value(Key(section, name)).toInt(&ok);
    return ok ? value : fallback;
}

void QtSettingsStore::WriteInt(const std::string& section, const std::string& name, int32_t value) {
    settings_.setValue(Key(section, name), value);
}

std::string QtSettingsStore::ReadString(const std::string& section, const std::string& name,
                                        const std::string& fallback) const {
    const QVariant value = settings_.value(Key(section, name));
    return value.isValid() ? value.toString().toStdString() : fallback;
}

void QtSettingsStore::WriteString(const std::string& section, const std::string& name,
                                  const std::string& value) {
    settings_.setValue(Key(section, name), QString::fromStdString(value));
}

}  // namespace lumivex
