// Registration results in picture coordinates: a set whose frames show the scene moved by known
// amounts (right and down) is reported with exactly those shifts, for whole frames and for
// frames entered as their two fields.
#include "job/picture_coordinates.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "test_frames.h"

namespace lumivex {
namespace {

struct Motion {
    double right;
    double down;
};

// The scene moved right and down in the picture (stored rows run bottom-up).
std::unique_ptr<RgbImage> MovedScene(int32_t width, int32_t height, Motion m) {
    return testing_frames::MakeSceneFrame(width, height, -m.right, m.down);
}

// The frame's even stored rows first, then its odd ones, as video frames enter as fields.
std::unique_ptr<RgbImage> SplitIntoFields(const RgbImage& frame) {
    auto split = std::make_unique<RgbImage>(frame.Width(), frame.Height(), 24);
    const int32_t half = frame.Height() / 2;
    for (int32_t row = 0; row < 2 * half; ++row) {
        const int32_t target = row % 2 == 0 ? row / 2 : half + row / 2;
        std::memcpy(split->Row(target), frame.Row(row), static_cast<size_t>(frame.Stride()));
    }
    return split;
}

struct CoordinateCase {
    bool fields;
    int32_t reference;
    std::vector<Motion> motions;  // of every frame, in the picture
};

class PictureCoordinatesTest : public testing::TestWithParam<CoordinateCase> {};

TEST_P(PictureCoordinatesTest, ShiftsAreTheSceneMotionRightAndDown) {
    const CoordinateCase& c = GetParam();
    constexpr int32_t kWidth = 96;
    const int32_t height = c.fields ? 144 : 72;
    EnhanceJob job;
    for (const Motion& m : c.motions) {
        auto frame = MovedScene(kWidth, height, m);
        job.frames.push_back(c.fields ? SplitIntoFields(*frame) : std::move(frame));
        job.names.push_back("frame");
    }
    job.width = kWidth;
    job.height = height;
    job.interlaced = c.fields;
    job.referenceIndex = c.reference;
    std::map<int32_t, RegistrationReport> reports;
    job.observer = [&](const RegistrationReport& r) { reports[r.index] = r; };
    ASSERT_EQ(EnhanceWorker(job), 0);
    ASSERT_EQ(job.progress.status, kEnhanceSucceeded);

    const EngineInput input = EngineInputOf(job);
    ASSERT_EQ(reports.size(), static_cast<size_t>(input.count - 1));
    const Motion ref = c.motions[c.reference];
    for (const auto& [index, report] : reports) {
        const Motion m = c.motions[c.fields ? index / 2 : index];
        const PictureMotion motion = PictureMotionOf(job, report);
        EXPECT_NEAR(motion.shiftX, m.right - ref.right, 0.1) << "image " << index;
        EXPECT_NEAR(motion.shiftY, m.down - ref.down, 0.1) << "image " << index;
        // The transform's translation at the picture's centre agrees with the shift.
        const double* t = motion.transform;
        const double x = kWidth / 2.0, y = height / 2.0;
        EXPECT_NEAR(t[0] * x + t[1] * y + t[2], m.right - ref.right, 0.15) << "image " << index;
        EXPECT_NEAR(t[3] * x + t[4] * y + t[5], m.down - ref.down, 0.15) << "image " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, PictureCoordinatesTest,
                         testing::Values(CoordinateCase{false, 0, {{0, 0}, {3, 2}, {-1.5, 0.75}}},
                                         CoordinateCase{
                                             false, 1, {{0.4, -0.6}, {0, 0}, {2.25, 1.5}}},
                                         CoordinateCase{true, 1, {{1, 0.5}, {0, 0}, {-0.5, 2}}}));

// Any engine transform, rotation and scale included, maps every picture point where mapping the
// point through the engine's own rows does.
TEST(PictureCoordinates, TransformsMapPointsAsTheEngineRowsDo) {
    struct Case {
        bool fields;
        int32_t image;
        RegistrationReport report;
    };
    const Case cases[] = {
        {false, 1, {1, 0.5, -0.25, {0.01, -0.02, 0.5, 0.03, -0.01, -0.25}, 0, 0, true}},
        {true, 3, {3, 0.5, -0.25, {0.01, -0.02, 0.5, 0.03, -0.01, -0.25}, 0, 0, true}},
        {true, 2, {2, -1.0, 2.0, {-0.002, 0.05, -1.0, -0.04, 0.003, 2.0}, 0, 0, true}},
    };
    for (const Case& c : cases) {
        EnhanceJob job;
        job.height = 81;
        job.interlaced = c.fields;
        job.frames.resize(2);
        job.referenceIndex = 0;
        const ImageLines ref = ImageLinesOf(job, 0);
        const ImageLines image = ImageLinesOf(job, c.image);
        const PictureMotion motion = PictureMotionOf(job, c.report);
        const double* p = c.report.transform;
        const double* t = motion.transform;
        for (const auto& [x, y] : {std::pair{0.0, 0.0}, {90.0, 3.0}, {17.0, 60.0}}) {
            const double r = (ref.firstLine - y) / ref.lineStep;
            const double engineX = (1 + p[0]) * x + p[1] * r + p[2];
            const double engineRow = p[3] * x + (1 + p[4]) * r + p[5];
            const double pictureY = image.firstLine - image.lineStep * engineRow;
            EXPECT_NEAR((1 + t[0]) * x + t[1] * y + t[2], engineX, 1e-9) << c.image;
            EXPECT_NEAR(t[3] * x + (1 + t[4]) * y + t[5], pictureY, 1e-9) << c.image;
        }
        const double shiftRow = (ref.firstLine - 0.0) / ref.lineStep + c.report.shiftY;
        EXPECT_EQ(motion.shiftX, c.report.shiftX);
        EXPECT_NEAR(motion.shiftY, image.firstLine - image.lineStep * shiftRow, 1e-9);
    }
}

TEST(PictureCoordinates, FieldsLieOnAlternateFrameLines) {
    EnhanceJob job;
    job.height = 7;
    EXPECT_EQ(ImageLinesOf(job, 3).firstLine, 6.0);
    EXPECT_EQ(ImageLinesOf(job, 3).lineStep, 1.0);
    job.interlaced = true;
    EXPECT_EQ(ImageLinesOf(job, 2).firstLine, 6.0);
    EXPECT_EQ(ImageLinesOf(job, 3).firstLine, 5.0);
    EXPECT_EQ(ImageLinesOf(job, 3).lineStep, 2.0);
}

}  // namespace
}  // namespace lumivex
