// The methods the quality benchmark compares, each turning a set's frames (reference first) into
// one picture of the truth's size.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "bench/bench_inputs.h"

namespace lumivex::bench {

// Fills out (already sized) from frames; false when the method failed. frames[0] is the
// reference.
using SrMethod = std::function<bool(std::vector<Picture>& frames, Picture& out)>;

struct NamedMethod {
    std::string name;
    SrMethod run;
};

// Catmull-Rom enlargement of src onto dst's size on the pixel-centre grid: dst pixel (R, C)
// shows src position ((C + 0.5) / sx − 0.5, (R + 0.5) / sy − 0.5), borders repeated.
void CentredCubic(const Picture& src, Picture& dst);

// "cubic" (CentredCubic of the reference), "engine-cubic" (engine::ResampleCubic of the
// reference, its own grid), "engine" (SuperResolve), "quality" (ReconstructQuality, where the
// reconstruction library is built in) and "btvl1" (OpenCV BTV-L1, where OpenCV's superres
// module is found).
std::vector<NamedMethod> AvailableMethods();

// Changes the options of "quality" from their defaults: a comma-separated list of key=value
// with the keys rounds, steps, chroma, delta, lambda, noise, radius, decay, epsilon and blur
// (QualityOptions' fields in that order; blur=auto estimates the blur). False, with the offending
// entry in why, for an unknown key or a value that is not a number, or when the quality method is
// not built in.
bool SetQualityOptions(const std::string& list, std::string* why);

// Why a method of the full list is absent from this build ("" when it is present).
std::string MissingMethodNote(const std::string& name);

// OpenCV BTV-L1 of frames (reference first), 10 iterations, scale out.width / frames[0].width;
// defined in opencv_btvl1.cpp when OpenCV's superres module is found.
bool RunOpenCvBtvL1(std::vector<Picture>& frames, Picture& out, int threads);

}  // namespace lumivex::bench
