// The main window's saved placement ("WindowPlacement" section) and the rules that turn it into
// the window's first geometry: all five values or none, the default size centred, a corner pulled
// back onto the screen, and centring when the window's centre is on no monitor.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/settings_store.h"

namespace lumivex {

struct PixelRect {
    int32_t x = 0, y = 0, width = 0, height = 0;
    int32_t Right() const { return x + width; }
    int32_t Bottom() const { return y + height; }
    bool Contains(int32_t px, int32_t py) const {
        return px >= x && px < Right() && py >= y && py < Bottom();
    }
};

// Show states stored as "Main_Status".
enum ShowState : int32_t { kShowNormal = 1, kShowMinimized = 2, kShowMaximized = 3 };

inline constexpr int32_t kDefaultWindowWidth = 550;
inline constexpr int32_t kDefaultWindowHeight = 440;
inline constexpr int32_t kMinimumWindowWidth = 600;
inline constexpr int32_t kMinimumWindowHeight = 450;
// The corner that must stay on screen when a saved position lies beyond it (an icon's size).
inline constexpr int32_t kIconSize = 32;

// The five values; -1 counts as missing. top/left/bottom/right are relative to the work area.
struct SavedPlacement {
    int32_t status = -1, top = -1, left = -1, bottom = -1, right = -1;
    bool Complete() const;
};

SavedPlacement ReadPlacement(const SettingsStore& settings);
void WritePlacement(SettingsStore& settings, const SavedPlacement& placement);

// The placement to store for a window whose normal (restored) rectangle is normal.
SavedPlacement PlacementFromWindow(int32_t showState, const PixelRect& normal,
                                   const PixelRect& workArea);

struct InitialGeometry {
    PixelRect rect;
    bool savedPlacement = false;  // false: default size, to be centred
};

// The window's first rectangle from the saved placement.
InitialGeometry InitialWindowGeometry(const SavedPlacement& placement, const PixelRect& workArea,
                                      int32_t screenWidth, int32_t screenHeight);

// True when the centre of rect lies on one of the screens.
bool CentreOnAnyScreen(const PixelRect& rect, const std::vector<PixelRect>& screens);

// A width × height rectangle centred in area.
PixelRect CentredIn(const PixelRect& area, int32_t width, int32_t height);

}  // namespace lumivex
