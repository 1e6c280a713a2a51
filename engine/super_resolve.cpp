#include "engine/super_resolve.h"

#include <cstring>
#include <utility>
#include <vector>

#include "engine/features.h"
#include "engine/fusion.h"
#include "engine/parallel.h"
#include "engine/plane.h"
#include "engine/registration.h"
#include "engine/resample.h"
#include "engine/sharpen.h"

namespace lumivex {

namespace {

using engine::AffineTransform;
using engine::BytePlane;
using engine::PlaneBuffer;

// FrameError leaves 20-pixel margins on every side and needs at least one pixel inside them.
constexpr int32_t kMinRegistrationSize = 41;
// The 4 × 4 cubic window needs positions 1 … size − 3.
constexpr int32_t kMinResampleSize = 4;

void ReportProgress(EnhanceProgress& progress, double percent) {
    progress.status.store(static_cast<int32_t>(percent + 0.5));
}

bool CancelRequested(const EnhanceProgress& progress) {
    return progress.cancel.load();
}

void CopyFrame(const uint8_t* pixels, BytePlane dst) {
    std::memcpy(dst.data, pixels, dst.SampleCount());
}

// Every plane of a multi-frame run, allocated once before the per-frame loop. The scalar oracle
// keeps the first implementation's real-valued detail and difference planes; the fast path keeps
// the detail as 16-bit totals and makes the difference map a few rows at a time.
struct Workspace {
    Workspace(int32_t width, int32_t height, int32_t outWidth, int32_t outHeight, bool oracle)
        : warped(outHeight, outWidth, 3),
          detail(oracle ? outHeight : 0, outWidth, 1),
          difference(oracle ? outHeight : 0, outWidth, 1),
          detailSums(oracle ? 0 : outHeight, outWidth, 1),
          frame(height, width, 3),
          outside(outHeight, outWidth, 1),
          oracle(oracle) {}

    PlaneBuffer<uint8_t> warped;
    PlaneBuffer<double> detail;
    PlaneBuffer<double> difference;  // FuseFrame's local difference map
    PlaneBuffer<uint16_t> detailSums;
    PlaneBuffer<uint8_t> frame;
    PlaneBuffer<uint8_t> outside;  // each warp marks it whole, on its own threads
    PlaneBuffer<uint8_t> half;
    PlaneBuffer<uint8_t> quarter;
    PlaneBuffer<uint8_t> eighth;
    std::vector<engine::FeaturePoint> features;
    bool oracle;
};

// The reference's own detail map (from two enlargements of the unsmoothed reference), then the
// smoothed reference's pyramid and feature points.
void PrepareReference(EnhanceProgress& progress, BytePlane ref, BytePlane output, Workspace& ws) {
    engine::ResampleNearest(ws.warped, ref);
    ReportProgress(progress, 10);
    if (ws.oracle) {
        engine::DetailMap(ws.detail, output, ws.warped);
    } else {
        engine::DetailSums(ws.detailSums, output, ws.warped);
    }
    engine::Smooth2x2(ref);
    ws.half = engine::HalvePlane(ref);
    ws.quarter = engine::HalvePlane(ws.half);
    ws.eighth = engine::HalvePlane(ws.quarter);
    ws.features = engine::SelectFeatures(ref);
}

void Fuse(BytePlane output, Workspace& ws, int32_t accepted) {
    if (ws.oracle) {
        engine::FuseFrame(output, ws.warped, ws.outside.view().data, accepted, ws.detail,
                          ws.difference);
    } else {
        engine::FuseFrameRows(output, ws.warped, ws.outside.view().data, accepted, ws.detailSums);
    }
}

// One frame's registration: the whole-frame shift and the refined transform that maps
// reference positions into the frame.
struct Registration {
    AffineTransform shift;
    AffineTransform t;
};

// The scratch planes of one frame's registration, and its own copy of the feature points (the
// tracking overwrites their offsets).
struct RegistrationScratch {
    RegistrationScratch(int32_t width, int32_t height)
        : frame(height, width, 3), aligned(height, width, 3) {}
    PlaneBuffer<uint8_t> frame;
    PlaneBuffer<uint8_t> aligned;
    std::vector<engine::FeaturePoint> points;
};

Registration RegisterFrame(const uint8_t* pixels, BytePlane ref, const Workspace& ws,
                           RegistrationScratch& scratch) {
    CopyFrame(pixels, scratch.frame);
    CopyFrame(pixels, scratch.aligned);
    scratch.points = ws.features;
    Registration r;
    r.shift = engine::EstimateShift(ref, scratch.frame, ws.half, ws.quarter, ws.eighth);
    r.t = r.shift;
    engine::WarpToFrame(scratch.aligned, scratch.frame, r.t);
    engine::RefineAffine(r.t, scratch.points, scratch.aligned, scratch.frame, ref, ws.half,
                         ws.quarter);
    return r;
}

// Frames larger than this are registered one at a time: their kernels keep the threads busy on
// their own, and each frame registered side by side would hold two more frame-sized planes.
constexpr int64_t kSideBySideMaxPixels = 4'000'000;

// Registers frames 1 … n − 1 against the prepared reference, several frames side by side (the
// coarse pyramid levels of one frame leave threads idle). A frame's registration reads only the
// reference, its pyramid and the frame itself, so the transforms do not depend on the order or
// the threads. Frames not yet started when cancel arrives are skipped.
std::vector<Registration> RegisterFrames(const EnhanceProgress& progress, uint8_t** framePointers,
                                         int32_t n, BytePlane ref, const Workspace& ws) {
    std::vector<Registration> registrations(static_cast<size_t>(n));
    // Frames begin + 1 … end, with one set of scratch planes.
    const auto registerRange = [&](int32_t begin, int32_t end) {
        if (begin >= end) {
            return;
        }
        RegistrationScratch scratch(ref.cols, ref.rows);
        for (int32_t k = begin + 1; k <= end && !CancelRequested(progress); ++k) {
            registrations[static_cast<size_t>(k)] =
                RegisterFrame(framePointers[k], ref, ws, scratch);
        }
    };
    const bool sideBySide = static_cast<int64_t>(ref.cols) * ref.rows <= kSideBySideMaxPixels;
    engine::ForEachSideBySide(n - 1, sideBySide, registerRange);
    return registrations;
}

// The frame count and the caller's reference index, for the per-frame loop and its reports.
struct RunSetup {
    int32_t n;
    int32_t reference;
};

bool InputSupported(uint8_t** framePointers, int32_t n, int32_t width, int32_t height,
                    int32_t reference, const uint8_t* outPixels, int32_t outWidth,
                    int32_t outHeight) {
    if (framePointers == nullptr || outPixels == nullptr || n < 1 || reference < 0 ||
        reference >= n) {
        return false;
    }
    if (outWidth < kMinResampleSize || outHeight < kMinResampleSize) {
        return false;
    }
    if (n == 1) {
        return width >= kMinResampleSize && height >= kMinResampleSize;
    }
    return RegistrationSizeSupported(width, height);
}

// Registers, gates and fuses frames 1 … n − 1 into output. False when stopped on cancel.
bool FuseFrames(EnhanceProgress& progress, uint8_t** framePointers, const RunSetup& setup,
                BytePlane ref, BytePlane output, Workspace& ws,
                const RegistrationObserver& observer) {
    const int32_t baseline =
        (engine::DiagonalDifference(output, 1, 1) + engine::DiagonalDifference(output, 1, -1)) / 2;
    PrepareReference(progress, ref, output, ws);
    const double limit = engine::GateLimit(baseline);
    const auto frames = static_cast<float>(setup.n - 1);
    const std::vector<Registration> registrations =
        RegisterFrames(progress, framePointers, setup.n, ref, ws);
    int32_t accepted = 0;
    for (int32_t k = 1; k < setup.n; ++k) {
        CopyFrame(framePointers[k], ws.frame);
        ReportProgress(progress, 10 + 85 * (k - 0.66) / frames);
        if (CancelRequested(progress)) {
            return false;
        }
        const AffineTransform& shift = registrations[static_cast<size_t>(k)].shift;
        const AffineTransform& t = registrations[static_cast<size_t>(k)].t;
        engine::WarpToGrid(ws.warped, ws.frame, ws.outside.view().data, t);
        ReportProgress(progress, 10 + 85 * (k - 0.33) / frames);
        if (CancelRequested(progress)) {
            return false;
        }
        const int32_t v = engine::PlaneDifference(output, ws.warped);
        ReportProgress(progress, 10 + 85 * k / frames);
        if (CancelRequested(progress)) {
            return false;
        }
        const bool accept = engine::PassesGate(v, limit);
        if (accept) {
            ++accepted;
            Fuse(output, ws, accepted);
        }
        if (observer) {
            // After the swap, slot k holds the caller's frame 0 when k is the reference index.
            const int32_t callerIndex = (k == setup.reference) ? 0 : k;
            observer({callerIndex,
                      shift[2],
                      shift[5],
                      {t[0], t[1], t[2], t[3], t[4], t[5]},
                      static_cast<double>(v),
                      limit,
                      accept});
        }
    }
    ReportProgress(progress, 95);
    if (accepted >= 1) {
        // Warped is free by now: it holds the horizontal blur.
        engine::SharpenFused(output, ws.warped);
    }
    ReportProgress(progress, 100);
    return true;
}

}  // namespace

int32_t MinRegistrationWidth() {
    return kMinRegistrationSize;
}
int32_t MinRegistrationHeight() {
    return kMinRegistrationSize;
}
int32_t MinResampleSize() {
    return kMinResampleSize;
}

bool RegistrationSizeSupported(int32_t width, int32_t height) {
    if (width < kMinRegistrationSize || height < kMinRegistrationSize) {
        return false;
    }
    const engine::BlockGrid grid = engine::MakeBlockGrid(width, height);
    return grid.blockWidth >= 1 && grid.blockHeight >= 1;
}

bool SuperResolve(EnhanceProgress& progress, uint8_t** framePointers, int32_t n, int32_t width,
                  int32_t height, int32_t reference, uint8_t* outPixels, int32_t outWidth,
                  int32_t outHeight, const EnhanceParams* /*params*/,
                  const RegistrationObserver& observer) {
    if (!InputSupported(framePointers, n, width, height, reference, outPixels, outWidth,
                        outHeight)) {
        return false;
    }
    if (reference >= 1) {
        std::swap(framePointers[0], framePointers[reference]);
    }
    ReportProgress(progress, 5);
    PlaneBuffer<uint8_t> ref(height, width, 3);
    CopyFrame(framePointers[0], ref);
    const BytePlane output{outHeight, outWidth, 3, outPixels};
    if (n == 1) {
        ReportProgress(progress, 50);
        engine::ResampleCubic(output, ref);
        return true;
    }
    ReportProgress(progress, 5);
    engine::ResampleCubic(output, ref);
    Workspace ws(width, height, outWidth, outHeight, engine::ScalarOracle());
    return FuseFrames(progress, framePointers, {n, reference}, ref, output, ws, observer);
}

bool RunEnhancement(EnhanceProgress& progress, uint8_t** framePointers, int32_t n, int32_t width,
                    int32_t height, int32_t reference, uint8_t* outPixels, int32_t outWidth,
                    int32_t outHeight, const EnhanceParams* params,
                    const RegistrationObserver& observer) {
    const bool finished = SuperResolve(progress, framePointers, n, width, height, reference,
                                       outPixels, outWidth, outHeight, params, observer);
    if (finished) {
        progress.status.store(kEnhanceSucceeded);
    } else {
        progress.status.store(CancelRequested(progress) ? kEnhanceCancelled : kEnhanceFailed);
    }
    return true;
}

}  // namespace lumivex
