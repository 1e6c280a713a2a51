// Opens a web address or a local document in the user's browser.
#pragma once

#include <QString>
#include <functional>

class QObject;

namespace lumivex {

// Asks the desktop to open target (an address or a file path) with xdg-open, or, where that is
// missing, through Qt's own search for a browser. onFailure runs on this thread, at once or once
// the opener has given up, when no browser could show target; the watched opener is a child of
// context.
void OpenAddress(const QString& target, QObject* context, std::function<void()> onFailure);

}  // namespace lumivex
