#include "reconstruct/register_frames.h"

#include <cstring>

#include "engine/features.h"
#include "engine/registration.h"

namespace lumivex::recon {

namespace {

void CopyFrame(const uint8_t* pixels, engine::BytePlane dst) {
    std::memcpy(dst.data, pixels, dst.SampleCount());
}

}  // namespace

bool RegisterFrames(uint8_t* const* frames, int32_t n, int32_t width, int32_t height,
                    const std::function<bool(int32_t)>& after,
                    std::vector<FrameRegistration>& out) {
    out.assign(static_cast<size_t>(n), FrameRegistration{});
    if (n < 2) {
        return true;
    }
    engine::PlaneBuffer<uint8_t> ref(height, width, 3);
    CopyFrame(frames[0], ref);
    engine::Smooth2x2(ref);
    const engine::PlaneBuffer<uint8_t> half = engine::HalvePlane(ref);
    const engine::PlaneBuffer<uint8_t> quarter = engine::HalvePlane(half);
    const engine::PlaneBuffer<uint8_t> eighth = engine::HalvePlane(quarter);
    std::vector<engine::FeaturePoint> features = engine::SelectFeatures(ref);
    engine::PlaneBuffer<uint8_t> frame(height, width, 3);
    engine::PlaneBuffer<uint8_t> aligned(height, width, 3);
    for (int32_t k = 1; k < n; ++k) {
        CopyFrame(frames[k], frame);
        CopyFrame(frames[k], aligned);
        FrameRegistration& r = out[static_cast<size_t>(k)];
        r.shift = engine::EstimateShift(ref, frame, half, quarter, eighth);
        r.transform = r.shift;
        engine::WarpToFrame(aligned, frame, r.transform);
        engine::RefineAffine(r.transform, features, aligned, frame, ref, half, quarter);
        engine::WarpToFrame(aligned, frame, r.transform);
        r.error = engine::FrameError(ref, aligned);
        if (!after(k)) {
            return false;
        }
    }
    return true;
}

}  // namespace lumivex::recon
