// Numeric command identifiers shared by the menu, the keys and the toolbar buttons. The numbers
// are stable: pages and toolbars address commands by them.
#pragma once

namespace lumivex::command {

inline constexpr int kOpenMedia = 57601;
inline constexpr int kSaveEnhancedImage = 57603;
inline constexpr int kCloseMedia = 2797;
inline constexpr int kExit = 57665;
inline constexpr int kViewEnhancedImage = 2798;
inline constexpr int kToggleStandardBar = 59392;
inline constexpr int kToggleVideoBar = 129;
inline constexpr int kToggleImageBar = 140;
inline constexpr int kToggleResultBar = 141;
inline constexpr int kToggleStatusBar = 59393;
inline constexpr int kEnhance = 2796;
inline constexpr int kExtractVideoFrames = 9223;
inline constexpr int kHelp = 9224;
inline constexpr int kVisitWebSite = 9227;
inline constexpr int kAbout = 57664;
inline constexpr int kPlay = 2777;
inline constexpr int kPause = 2778;
inline constexpr int kVideoReferenceSlider = 2795;
inline constexpr int kStepBackward = 9213;
inline constexpr int kStepForward = 9214;
inline constexpr int kZoomTool = 9215;
inline constexpr int kHandTool = 9203;
inline constexpr int kImageReferenceSlider = 9217;
inline constexpr int kPreviousImage = 9218;
inline constexpr int kNextImage = 9219;
// The viewer's own commands: the before-and-after toggle of the result page, fit to window and
// 100 %.
inline constexpr int kShowBefore = 9230;
inline constexpr int kZoomToFit = 9231;
inline constexpr int kActualSize = 9232;
// The welcome page's two picture links.
inline constexpr int kWelcomeAboutLink = 220;
inline constexpr int kWelcomeWebLink = 222;

// Toolbar identifiers; the three step toolbars share their numbers with their toggle commands.
inline constexpr int kStandardBar = 128;
inline constexpr int kVideoBar = kToggleVideoBar;
inline constexpr int kImageBar = kToggleImageBar;
inline constexpr int kResultBar = kToggleResultBar;

// Status bar pane that holds the current page's state text.
inline constexpr int kPageStatePane = 1700;

}  // namespace lumivex::command
