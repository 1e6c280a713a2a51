// Registration results in the coordinates of the input picture: origin at the centre of the
// top-left pixel, x to the right, y down, in pixels of the input frames (for video entered as
// fields, frame lines rather than field rows). The engine itself counts rows from the first
// stored row, the bottom line of the picture, and a field's rows are every other frame line.
#pragma once

#include <cstdint>

#include "engine/super_resolve.h"
#include "job/job.h"

namespace lumivex {

// Where the rows of one engine image lie in its input frame: engine row r is picture line
// firstLine - lineStep * r (lineStep 1 for whole frames, 2 for fields).
struct ImageLines {
    double firstLine = 0.0;
    double lineStep = 1.0;
};
ImageLines ImageLinesOf(const EnhanceJob& job, int32_t engineIndex);

// A registration in picture coordinates: the scene point at (x, y) in the reference appears at
// (x + shiftX, y + shiftY) in the image, and at
// x' = (1 + t0) x + t1 y + t2, y' = t3 x + (1 + t4) y + t5 under the transform.
struct PictureMotion {
    double shiftX = 0.0;
    double shiftY = 0.0;
    double transform[6] = {};
};

// report (engine coordinates of engine image report.index against the job's reference engine
// image) in picture coordinates.
PictureMotion PictureMotionOf(const EnhanceJob& job, const RegistrationReport& report);

}  // namespace lumivex
