#include "job/picture_coordinates.h"

namespace lumivex {

namespace {
// Negated zeros print as "-0"; adding zero makes them plain zeros.
double Plain(double value) {
    return value + 0.0;
}
}  // namespace

ImageLines ImageLinesOf(const EnhanceJob& job, int32_t engineIndex) {
    const double lastLine = job.height - 1.0;
    if (!job.interlaced) {
        return {lastLine, 1.0};
    }
    // The first field holds the even stored rows, the second the odd ones.
    return {lastLine - engineIndex % 2, 2.0};
}

PictureMotion PictureMotionOf(const EnhanceJob& job, const RegistrationReport& report) {
    // Reference line Y = c - k r and image line Y' = c' - k r'. Substituting into
    // x' = (1 + p0) x + p1 r + p2, r' = p3 x + (1 + p4) r + p5 gives the picture transform.
    const ImageLines ref = ImageLinesOf(job, EngineInputOf(job).reference);
    const ImageLines image = ImageLinesOf(job, report.index);
    const double k = ref.lineStep;
    const double c = ref.firstLine;
    const double* p = report.transform;
    PictureMotion motion;
    motion.shiftX = Plain(report.shiftX);
    motion.shiftY = Plain(image.firstLine - c - k * report.shiftY);
    motion.transform[0] = Plain(p[0]);
    motion.transform[1] = Plain(-p[1] / k);
    motion.transform[2] = Plain(p[2] + p[1] * c / k);
    motion.transform[3] = Plain(-k * p[3]);
    motion.transform[4] = Plain(p[4]);
    motion.transform[5] = Plain(image.firstLine - c - p[4] * c - k * p[5]);
    return motion;
}

}  // namespace lumivex
