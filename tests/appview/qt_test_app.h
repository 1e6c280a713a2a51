// One QApplication for the widget tests of this folder (offscreen platform, set by CTest).
#pragma once

#include <QApplication>

namespace lumivex {

inline void EnsureQtApplication() {
    static int argc = 1;
    static char name[] = "lumivex_appview_widget_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        new QApplication(argc, argv);  // lives until the process ends
    }
}

}  // namespace lumivex
