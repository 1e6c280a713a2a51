// The application icon and the pictures of the toolbar buttons.
#pragma once

#include <QIcon>

namespace lumivex {

QIcon ApplicationIcon();
// The toolbar picture of a command; a null icon for commands without one.
QIcon CommandIcon(int commandId);
// The welcome page's picture link to the web site: a globe.
QPixmap WebLinkPicture(int side);

}  // namespace lumivex
