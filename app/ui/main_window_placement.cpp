// Restoring and storing the main window's placement ("WindowPlacement" settings).
#include <QGuiApplication>
#include <QScreen>
#include <vector>

#include "app/core/window_placement.h"
#include "app/ui/main_window.h"

namespace lumivex {

namespace {

PixelRect ToPixelRect(const QRect& rect) {
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

QRect ToQRect(const PixelRect& rect) {
    return QRect(rect.x, rect.y, rect.width, rect.height);
}

std::vector<PixelRect> ScreenRects() {
    std::vector<PixelRect> rects;
    for (QScreen* screen : QGuiApplication::screens()) {
        rects.push_back(ToPixelRect(screen->geometry()));
    }
    return rects;
}

int32_t ShowStateOf(Qt::WindowStates states) {
    if (states & Qt::WindowMinimized) {
        return kShowMinimized;
    }
    if (states & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        return kShowMaximized;
    }
    return kShowNormal;
}

}  // namespace

void MainWindow::RestorePlacement() {
    QScreen* screen = QGuiApplication::primaryScreen();
    const PixelRect workArea = ToPixelRect(screen->availableGeometry());
    const QRect screenRect = screen->geometry();
    const InitialGeometry initial = InitialWindowGeometry(ReadPlacement(settings_), workArea,
                                                          screenRect.width(), screenRect.height());
    noSavedPlacement_ = !initial.savedPlacement;
    PixelRect rect = initial.rect;
    // The window never starts below its minimum size.
    rect.width = std::max(rect.width, minimumWidth());
    rect.height = std::max(rect.height, minimumHeight());
    if (noSavedPlacement_ || !CentreOnAnyScreen(rect, ScreenRects())) {
        rect = CentredIn(workArea, rect.width, rect.height);
    }
    // The show state is stored but not applied: the window always starts normal.
    setGeometry(ToQRect(rect));
}

void MainWindow::StorePlacement() {
    QRect normal = normalGeometry();
    if (!normal.isValid()) {
        normal = geometry();
    }
    // Offsets are kept against the primary work area, the same one RestorePlacement adds back.
    const PixelRect workArea = ToPixelRect(QGuiApplication::primaryScreen()->availableGeometry());
    WritePlacement(settings_,
                   PlacementFromWindow(ShowStateOf(windowState()), ToPixelRect(normal), workArea));
}

}  // namespace lumivex
