#include "reconstruct/register_frames.h"

#include <atomic>
#include <cstring>
#include <mutex>

#include "engine/features.h"
#include "engine/parallel.h"
#include "engine/registration.h"

namespace lumivex::recon {

namespace {

// Frames larger than this are registered one at a time: their kernels keep the threads busy on
// their own, and each frame registered side by side holds two more frame-sized planes.
constexpr int64_t kSideBySideMaxPixels = 4'000'000;

void CopyFrame(const uint8_t* pixels, engine::BytePlane dst) {
    std::memcpy(dst.data, pixels, dst.SampleCount());
}

// The smoothed reference, its pyramid and its feature points, read by every frame's
// registration.
struct Reference {
    Reference(const uint8_t* pixels, int32_t width, int32_t height) : full(height, width, 3) {
        CopyFrame(pixels, full);
        engine::Smooth2x2(full);
        half = engine::HalvePlane(full);
        quarter = engine::HalvePlane(half);
        eighth = engine::HalvePlane(quarter);
        features = engine::SelectFeatures(full);
    }
    engine::PlaneBuffer<uint8_t> full;
    engine::PlaneBuffer<uint8_t> half;
    engine::PlaneBuffer<uint8_t> quarter;
    engine::PlaneBuffer<uint8_t> eighth;
    std::vector<engine::FeaturePoint> features;
};

// The planes of one frame's registration, and its own copy of the feature points (the tracking
// overwrites their offsets).
struct Scratch {
    Scratch(int32_t width, int32_t height) : frame(height, width, 3), aligned(height, width, 3) {}
    engine::PlaneBuffer<uint8_t> frame;
    engine::PlaneBuffer<uint8_t> aligned;
    std::vector<engine::FeaturePoint> points;
};

FrameRegistration RegisterFrame(const uint8_t* pixels, const Reference& ref, Scratch& scratch) {
    CopyFrame(pixels, scratch.frame);
    CopyFrame(pixels, scratch.aligned);
    scratch.points = ref.features;
    FrameRegistration r;
    r.shift = engine::EstimateShift(ref.full, scratch.frame, ref.half, ref.quarter, ref.eighth);
    r.transform = r.shift;
    engine::WarpToFrame(scratch.aligned, scratch.frame, r.transform);
    engine::RefineAffine(r.transform, scratch.points, scratch.aligned, scratch.frame, ref.full,
                         ref.half, ref.quarter);
    engine::WarpToFrame(scratch.aligned, scratch.frame, r.transform);
    r.error = engine::FrameError(ref.full, scratch.aligned);
    return r;
}

}  // namespace

// A frame's registration reads only the reference and the frame itself, so the frames can be
// registered side by side (the coarse pyramid levels of one frame leave threads idle) with the
// same results in any order.
bool RegisterFrames(uint8_t* const* frames, int32_t n, int32_t width, int32_t height,
                    const std::function<bool(int32_t)>& after,
                    std::vector<FrameRegistration>& out) {
    out.assign(static_cast<size_t>(n), FrameRegistration{});
    if (n < 2) {
        return true;
    }
    const Reference ref(frames[0], width, height);
    std::mutex doneMutex;  // the count and after() in step, so that it hears 1, 2, … in order
    int32_t done = 0;
    std::atomic<bool> stopped{false};
    // Frames begin + 1 … end, with one set of scratch planes.
    const auto registerRange = [&](int32_t begin, int32_t end) {
        Scratch scratch(width, height);
        for (int32_t k = begin + 1; k <= end && !stopped.load(); ++k) {
            out[static_cast<size_t>(k)] = RegisterFrame(frames[k], ref, scratch);
            const std::lock_guard<std::mutex> lock(doneMutex);
            if (!stopped.load() && !after(++done)) {
                stopped.store(true);
            }
        }
    };
    engine::ForEachSideBySide(n - 1, int64_t{width} * height <= kSideBySideMaxPixels,
                              registerRange);
    return !stopped.load();
}

}  // namespace lumivex::recon
