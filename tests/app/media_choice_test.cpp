#include "app/core/media_choice.h"

#include <gtest/gtest.h>

namespace lumivex {
namespace {

using Mode = MediaChoice::Mode;
using Paths = std::vector<std::string>;

TEST(MediaChoiceTest, FirstPicturePutsEveryLaterPathIntoTheImageSet) {
    MediaChoice choice = ChooseMedia({"/m/IMG_1.JPG", "/m/clip.avi", "/m/b.bmp"});
    EXPECT_EQ(choice.mode, Mode::kImages);
    // The .avi goes to the image set too, which rejects it.
    EXPECT_EQ(choice.imagePaths, (Paths{"/m/IMG_1.JPG", "/m/clip.avi", "/m/b.bmp"}));
    EXPECT_TRUE(choice.videoPath.empty());
}

TEST(MediaChoiceTest, FirstVideoIsTheOnlyPathUsed) {
    MediaChoice choice = ChooseMedia({"/m/clip.avi", "/m/b.bmp", "/m/other.mpg"});
    EXPECT_EQ(choice.mode, Mode::kVideo);
    EXPECT_EQ(choice.videoPath, "/m/clip.avi");
    EXPECT_TRUE(choice.imagePaths.empty());
}

TEST(MediaChoiceTest, PathsWithoutExtensionAreSkippedUntilOneDecides) {
    MediaChoice choice = ChooseMedia({"/m/README", "/m/notes", "/m/a.jpeg", "/m/LICENSE"});
    EXPECT_EQ(choice.mode, Mode::kImages);
    // Once decided, every later path is handed over, extension or not.
    EXPECT_EQ(choice.imagePaths, (Paths{"/m/a.jpeg", "/m/LICENSE"}));

    EXPECT_EQ(ChooseMedia({"/m/README", "/m/clip.MPEG"}).videoPath, "/m/clip.MPEG");
}

TEST(MediaChoiceTest, NothingDecidesWithoutAnyExtension) {
    EXPECT_EQ(ChooseMedia({"/m/README", "/m/notes"}).mode, Mode::kUndecided);
    EXPECT_EQ(ChooseMedia({}).mode, Mode::kUndecided);
}

TEST(MediaChoiceTest, AnyUnknownExtensionMeansVideo) {
    EXPECT_EQ(ChooseMedia({"/m/photo.png"}).mode, Mode::kImages);
    EXPECT_EQ(ChooseMedia({"/m/scan.TIFF", "/m/clip.avi"}).imagePaths.size(), 2u);
    EXPECT_EQ(ChooseMedia({"/m/anim.gif"}).mode, Mode::kVideo);
    EXPECT_EQ(ChooseMedia({"/m/film.mkv"}).videoPath, "/m/film.mkv");
    EXPECT_EQ(ChooseMedia({"/m/ends-with-dot."}).mode, Mode::kVideo);
}

TEST(MediaChoiceTest, ExtensionComesFromTheFileNameOnly) {
    EXPECT_EQ(ChooseMedia({"/home/a.b/Picture.JpEg"}).mode, Mode::kImages);
    EXPECT_EQ(ChooseMedia({"shot.tar.BMP"}).mode, Mode::kImages);
    // A dot in a folder name does not make a name without extension decide the mode.
    MediaChoice choice = ChooseMedia({"/home/user.name/README", "/home/user.name/x.bmp"});
    EXPECT_EQ(choice.mode, Mode::kImages);
    EXPECT_EQ(choice.imagePaths, (Paths{"/home/user.name/x.bmp"}));
}

}  // namespace
}  // namespace lumivex
