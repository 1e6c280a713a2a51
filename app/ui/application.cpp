#include "app/ui/application.h"

#include <QApplication>

#include "app/core/app_strings.h"
#include "app/ui/main_window.h"
#include "app/ui/qt_settings_store.h"

namespace lumivex {

int RunApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName("Corvanes");
    QCoreApplication::setApplicationName(text::kApplicationName);
    QCoreApplication::setApplicationVersion(text::kFullVersion);
    QGuiApplication::setDesktopFileName("lumivex");

    QtSettingsStore settings;
    MainWindow window(settings);
    window.show();
    window.repaint();
    EnumerateProfiles(window.Profiles());
    window.SetIdleText(text::kReady);
    const int code = application.exec();
    settings.Sync();
    return code;
}

}  // namespace lumivex
