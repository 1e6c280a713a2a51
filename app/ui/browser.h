// Opens a web address or a local document in the user's browser.
#pragma once

#include <QString>

namespace lumivex {

// Asks the desktop to open target (an address or a file path); when that fails, runs
// "xdg-open target". True when either was started. Failures are not reported to the user.
bool OpenAddress(const QString& target);

}  // namespace lumivex
