// The widget tests' own main: the QApplication lives on main's stack, so it is destroyed before
// Qt's global objects (a static QApplication would outlive them).
#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace lumivex::testing_support {

QApplication& TestApplication() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

}  // namespace lumivex::testing_support

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
