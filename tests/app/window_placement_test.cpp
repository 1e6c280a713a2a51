#include "app/core/window_placement.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

const PixelRect kWorkArea{0, 24, 1920, 1056};
constexpr int32_t kScreenWidth = 1920;
constexpr int32_t kScreenHeight = 1080;

void SaveAll(MemorySettingsStore& store, int32_t status, int32_t top, int32_t left, int32_t bottom,
             int32_t right) {
    WritePlacement(store, SavedPlacement{status, top, left, bottom, right});
}

TEST(WindowPlacementTest, FirstStartUsesTheDefaultSize) {
    MemorySettingsStore empty;
    InitialGeometry geometry =
        InitialWindowGeometry(ReadPlacement(empty), kWorkArea, kScreenWidth, kScreenHeight);
    EXPECT_FALSE(geometry.savedPlacement);
    EXPECT_EQ(geometry.rect.width, 550);
    EXPECT_EQ(geometry.rect.height, 440);
}

TEST(WindowPlacementTest, FourOfFiveValuesCountAsNone) {
    for (const char* missing :
         {"Main_Status", "Main_Top", "Main_Left", "Main_Bottom", "Main_Right"}) {
        MemorySettingsStore store;
        SaveAll(store, 1, 100, 200, 700, 1000);
        store.Remove("WindowPlacement", missing);
        EXPECT_FALSE(ReadPlacement(store).Complete()) << missing;
    }
    // -1 stored counts as missing too.
    MemorySettingsStore store;
    SaveAll(store, 1, 100, -1, 700, 1000);
    EXPECT_FALSE(InitialWindowGeometry(ReadPlacement(store), kWorkArea, kScreenWidth, kScreenHeight)
                     .savedPlacement);
}

TEST(WindowPlacementTest, SavedRectangleIsRestoredInsideTheWorkArea) {
    MemorySettingsStore store;
    SaveAll(store, kShowNormal, 100, 200, 700, 1000);
    InitialGeometry geometry =
        InitialWindowGeometry(ReadPlacement(store), kWorkArea, kScreenWidth, kScreenHeight);
    ASSERT_TRUE(geometry.savedPlacement);
    EXPECT_EQ(geometry.rect.x, 200);
    EXPECT_EQ(geometry.rect.y, 124);  // moved by the work area's top
    EXPECT_EQ(geometry.rect.width, 800);
    EXPECT_EQ(geometry.rect.height, 600);
}

TEST(WindowPlacementTest, StoringAndRestoringKeepsTheNormalRectangle) {
    // Closed maximised: the normal rectangle is stored with the show state, and restored.
    MemorySettingsStore store;
    const PixelRect normal{300, 150, 700, 520};
    WritePlacement(store, PlacementFromWindow(kShowMaximized, normal, kWorkArea));
    EXPECT_EQ(store.ReadInt("WindowPlacement", "Main_Status", -1), kShowMaximized);
    EXPECT_EQ(store.ReadInt("WindowPlacement", "Main_Top", -1), 126);
    InitialGeometry geometry =
        InitialWindowGeometry(ReadPlacement(store), kWorkArea, kScreenWidth, kScreenHeight);
    EXPECT_EQ(geometry.rect.x, normal.x);
    EXPECT_EQ(geometry.rect.y, normal.y);
    EXPECT_EQ(geometry.rect.width, normal.width);
    EXPECT_EQ(geometry.rect.height, normal.height);
}

TEST(WindowPlacementTest, CornerBeyondTheScreenIsPulledBack) {
    MemorySettingsStore store;
    SaveAll(store, kShowNormal, 2000, 5000, 2600, 5800);
    InitialGeometry geometry =
        InitialWindowGeometry(ReadPlacement(store), kWorkArea, kScreenWidth, kScreenHeight);
    EXPECT_EQ(geometry.rect.x, kScreenWidth - kIconSize);
    EXPECT_EQ(geometry.rect.y, kScreenHeight - kIconSize);
    EXPECT_EQ(geometry.rect.width, 800);
}

TEST(WindowPlacementTest, DamagedSizesGiveTheMinimumSize) {
    MemorySettingsStore store;
    SaveAll(store, kShowNormal, 500, 900, 100, 100);  // bottom above top, right left of left
    InitialGeometry geometry =
        InitialWindowGeometry(ReadPlacement(store), kWorkArea, kScreenWidth, kScreenHeight);
    EXPECT_EQ(geometry.rect.width, kMinimumWindowWidth);
    EXPECT_EQ(geometry.rect.height, kMinimumWindowHeight);
}

TEST(WindowPlacementTest, CentreOnADetachedMonitorIsDetected) {
    const std::vector<PixelRect> screens{{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    EXPECT_TRUE(CentreOnAnyScreen({2000, 100, 600, 450}, screens));
    // Saved on a third monitor to the right that is no longer attached.
    EXPECT_FALSE(CentreOnAnyScreen({3300, 100, 600, 450}, screens));
    // Half off the edge still counts when the centre is on a screen.
    EXPECT_TRUE(CentreOnAnyScreen({-200, -100, 600, 450}, screens));
    EXPECT_FALSE(CentreOnAnyScreen({-400, 0, 600, 450}, screens));
}

TEST(WindowPlacementTest, CentringUsesTheWholeArea) {
    PixelRect rect = CentredIn(kWorkArea, 550, 440);
    EXPECT_EQ(rect.x, 685);
    EXPECT_EQ(rect.y, 24 + 308);
    EXPECT_EQ(rect.width, 550);
}

}  // namespace
}  // namespace lumivex
