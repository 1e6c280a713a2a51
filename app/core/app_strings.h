// The application's own texts, named after what they are used for. Message boxes without a
// caption of their own carry kApplicationName.
#pragma once

namespace lumivex::text {

inline constexpr const char* kApplicationName = "Lumivex";
inline constexpr const char* kReady = "Ready";
inline constexpr const char* kOpenMediaFilter =
    "Video files (*.avi; *.mpg; *.mpeg)|*.avi;*.mpg;*.mpeg|Image files (*.bmp; *.jpg; "
    "*.jpeg)|*.bmp;*.jpg;*.jpeg|All Files (*.*)|*.*||";

// Welcome page.
inline constexpr const char* kWelcomeHeading = "Welcome to Lumivex";
inline constexpr const char* kWelcomeSpacer = " ";
inline constexpr const char* kWelcomeBody =
    "Getting started\n"
    "\"Open\" - Load your video file\n"
    "\"Enhance\" - Enhance the selected frame using SuperResolution\n"
    "\"View\" - View the enhanced image\n"
    "\"Save\" - Save the enhanced image";
inline constexpr const char* kWelcomeNotice =
    "Lumivex makes one sharp, enlarged picture out of many.";
inline constexpr const char* kVersionBuildFormat = "Version %s Build %d";
inline constexpr const char* kShortVersion = "0.1";
inline constexpr int kBuildNumber = 550;

// About box.
inline constexpr const char* kAboutCaption = "About ";
inline constexpr const char* kAboutVersionFormat = "version %s";
inline constexpr const char* kFullVersion = "0.1.0.550";
inline constexpr const char* kAboutNotice = "Copyright (C) Corvanes. Free to use and share.";
inline constexpr const char* kAboutQtPrefix = "Uses Qt ";
inline constexpr const char* kAboutQtLicence =
    " under the GNU Lesser General Public License version 3.";

// Addresses opened in the browser.
inline constexpr const char* kWebSiteAddress = "https://lumivex.corvanes.example/";

// Progress window.
inline constexpr const char* kProgressTitle = "Progress";
inline constexpr const char* kProgressCancel = " Cancel ";

// Enhancement (used by the enhance command).
inline constexpr const char* kEnhancingMessage =
    "Lumivex is enhancing the image. \n\nPlease be patient ...";
inline constexpr const char* kSaveBeforeClosing =
    "You have enhanced an image. Do you want to save it before closing Lumivex?";
// Asked by Close media, and by opening other media, while an unsaved result exists.
inline constexpr const char* kSaveBeforeClosingMedia =
    "You have enhanced an image. Do you want to save it before closing the media?";

}  // namespace lumivex::text
