// The QApplication every widget test runs under (offscreen platform).
#pragma once

class QApplication;

namespace lumivex::testing_support {

QApplication& TestApplication();

}  // namespace lumivex::testing_support
