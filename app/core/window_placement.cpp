#include "app/core/window_placement.h"

#include <algorithm>

namespace lumivex {

namespace {

constexpr const char* kSection = "WindowPlacement";

}  // namespace

bool SavedPlacement::Complete() const {
    return status != -1 && top != -1 && left != -1 && bottom != -1 && right != -1;
}

SavedPlacement ReadPlacement(const SettingsStore& settings) {
    SavedPlacement placement;
    placement.status = settings.ReadInt(kSection, "Main_Status", -1);
    placement.top = settings.ReadInt(kSection, "Main_Top", -1);
    placement.left = settings.ReadInt(kSection, "Main_Left", -1);
    placement.bottom = settings.ReadInt(kSection, "Main_Bottom", -1);
    placement.right = settings.ReadInt(kSection, "Main_Right", -1);
    return placement;
}

void WritePlacement(SettingsStore& settings, const SavedPlacement& placement) {
    settings.WriteInt(kSection, "Main_Status", placement.status);
    settings.WriteInt(kSection, "Main_Top", placement.top);
    settings.WriteInt(kSection, "Main_Left", placement.left);
    settings.WriteInt(kSection, "Main_Bottom", placement.bottom);
    settings.WriteInt(kSection, "Main_Right", placement.right);
}

SavedPlacement PlacementFromWindow(int32_t showState, const PixelRect& normal,
                                   const PixelRect& workArea) {
    SavedPlacement placement;
    placement.status = showState;
    placement.left = normal.x - workArea.x;
    placement.top = normal.y - workArea.y;
    placement.right = normal.Right() - workArea.x;
    placement.bottom = normal.Bottom() - workArea.y;
    return placement;
}

InitialGeometry InitialWindowGeometry(const SavedPlacement& placement, const PixelRect& workArea,
                                      int32_t screenWidth, int32_t screenHeight) {
    InitialGeometry geometry;
    if (!placement.Complete()) {
        geometry.rect = {0, 0, kDefaultWindowWidth, kDefaultWindowHeight};
        return geometry;
    }
    geometry.savedPlacement = true;
    // The window can never be smaller than its minimum size, so damaged values (right left of
    // left) give the minimum instead of a negative size.
    geometry.rect.width = std::max(placement.right - placement.left, kMinimumWindowWidth);
    geometry.rect.height = std::max(placement.bottom - placement.top, kMinimumWindowHeight);
    geometry.rect.x = std::min(placement.left + workArea.x, screenWidth - kIconSize);
    geometry.rect.y = std::min(placement.top + workArea.y, screenHeight - kIconSize);
    return geometry;
}

bool CentreOnAnyScreen(const PixelRect& rect, const std::vector<PixelRect>& screens) {
    int32_t cx = rect.x + rect.width / 2;
    int32_t cy = rect.y + rect.height / 2;
    return std::any_of(screens.begin(), screens.end(),
                       [cx, cy](const PixelRect& screen) { return screen.Contains(cx, cy); });
}

PixelRect CentredIn(const PixelRect& area, int32_t width, int32_t height) {
    return {area.x + (area.width - width) / 2, area.y + (area.height - height) / 2, width, height};
}

}  // namespace lumivex
