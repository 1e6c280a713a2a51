// The enhancement job: the one record the front ends fill (input frames, reference, profile),
// the worker thread that turns it into a call of the engine, and the output-size rule.
//
// Threads: while a worker runs it owns frames, params and result; the front end only reads
// progress.status and writes progress.cancel. Once status has turned negative the front end calls
// JoinWorker before it touches result or resultReady: the worker finishes them just after it
// writes the final status, and the join is what makes them safe to read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/enhance_progress.h"
#include "engine/super_resolve.h"
#include "image/rgb_image.h"
#include "profiles/enhance_params.h"
#include "profiles/output_size.h"

namespace lumivex {

class ProfileList;

// What media the workflow holds.
enum InputKind : int32_t {
    kInputNone = 0,
    kInputImageSet = 1,           // image set loaded
    kInputImageSetSelection = 2,  // image set on its reference page
    kInputVideoChosen = 3,        // video file chosen
    kInputVideoOpen = 4,          // video open, frames not gathered
    kInputVideoGathered = 5,      // frames gathered for the current reference
};

// Which reconstruction turns the registered frames into the result: the standard engine
// (SuperResolve, the default) or the slower high-quality reconstruction.
enum class ReconstructionMethod : int32_t { kStandard = 0, kQuality = 1 };

// Why the last run ended as failed (status -2), as far as the worker knows.
enum class EnhanceFailure : int32_t {
    kNone = 0,
    kOutOfMemory = 1,  // the result or the working planes could not be allocated
};

struct EnhanceJob {
    EnhanceJob() = default;
    EnhanceJob(const EnhanceJob&) = delete;
    EnhanceJob& operator=(const EnhanceJob&) = delete;
    // Asks a running worker to stop and waits for it.
    ~EnhanceJob();

    // Input frames: the image set, or the video frames gathered around the reference. Every
    // frame is 24 bits, width x height, rows packed (width a multiple of 4).
    std::vector<std::unique_ptr<RgbImage>> frames;
    // One display name per frame: the file name, or "Frame N" for video.
    std::vector<std::string> names;
    // The enhanced picture; empty unless the last run succeeded.
    RgbImage result;
    // Factor applied to the frame height when sizing the output (pixel aspect); the aspect
    // choice overrides it.
    double verticalFactor = 1.0;
    // The factor the media itself asks for (video display aspect); 1.0 for still pictures.
    double mediaFactor = 1.0;
    int32_t width = -1;
    int32_t height = -1;
    int32_t referenceIndex = -1;
    int32_t profileIndex = 0;  // into the ProfileList
    EnhanceParams params;      // the profile loaded when the enhancement starts
    // Set by LoadJobProfile: chosenMethod when set, else the profile's; a front end may override
    // it after loading.
    ReconstructionMethod method = ReconstructionMethod::kStandard;
    // The method the user chose beside the profile (the profile dialog's check box); none until
    // chosen, and none again after a reset.
    std::optional<ReconstructionMethod> chosenMethod;
    // The camera's optical blur the quality method assumes (Gaussian sigma in input pixels);
    // none: estimated from the frames. Set by LoadJobProfile from the profile (OpticalBlurOf).
    std::optional<double> blurSigma = 0.0;
    bool interlaced = false;   // each frame holds its two fields as its two halves
    bool resultReady = false;  // set by the worker when the run succeeded
    // Set by the worker with the final status; kNone unless the run failed for a known reason.
    EnhanceFailure failure = EnhanceFailure::kNone;
    std::string videoPath;
    int32_t inputKind = kInputNone;
    EnhanceProgress progress;
    std::thread worker;
    // Optional: told what registration decided for every non-reference image. Called on the
    // worker thread.
    RegistrationObserver observer;

    int32_t FrameCount() const { return static_cast<int32_t>(frames.size()); }
    // New media: frees frames, names and result and restores every field to its reset value,
    // except videoPath and observer. A running worker is cancelled and joined first.
    void Reset();
};

// Output size for the job's input size and vertical factor with params (the full frame height,
// also for interlaced jobs).
OutputSize ComputeOutputSize(const EnhanceJob& job, const EnhanceParams& params);

// The reconstruction a profile asks for: key "method" of section "reconstruction", "quality" for
// the high-quality reconstruction, absent or "standard" for the standard engine (case and
// surrounding blanks ignored). Any other value also gives the standard engine, and warning (when
// given) receives a message naming the value; otherwise warning is left empty.
ReconstructionMethod ReconstructionMethodOf(const EnhanceParams& params,
                                            std::string* warning = nullptr);

// The largest optical blur one may give (Gaussian sigma, input pixels).
inline constexpr double kMaxBlurSigma = 2.0;

// The optical blur a text names for the quality method: a Gaussian sigma from 0 to 2 input
// pixels, or "auto" (case and surrounding blanks ignored) for an estimate from the frames, which
// leaves blur empty. False, blur untouched, for anything else.
bool ParseOpticalBlur(const std::string& text, std::optional<double>& blur);

// The blur a profile asks for: key "blur" of section "reconstruction" (ParseOpticalBlur), 0 when
// absent. A value it cannot read also gives 0, and warning (when given) receives a message
// naming the value; otherwise warning is left empty.
std::optional<double> OpticalBlurOf(const EnhanceParams& params, std::string* warning = nullptr);

// Loads profiles[job.profileIndex] into job.params and sets job.method: job.chosenMethod when
// set, else the profile's (ReconstructionMethodOf, with its warning), and job.blurSigma
// (OpticalBlurOf, whose warning follows the method's on a line of its own). A missing entry or an
// unreadable file leaves an empty profile (twice the input size, the standard engine). Returns
// whether a profile file was read.
bool LoadJobProfile(EnhanceJob& job, const ProfileList& profiles, std::string* warning = nullptr);

// How many images, of which height, the engine receives, and the reference among them:
// interlaced jobs hand over both fields of each frame.
struct EngineInput {
    int32_t count = 0;
    int32_t height = 0;
    int32_t reference = 0;
};
EngineInput EngineInputOf(const EnhanceJob& job);

// The engine's frame-pointer list: one pointer per frame, or for interlaced jobs the first
// field (stored rows 0 ... height/2 - 1) and the second field (from stored row height/2).
std::vector<uint8_t*> BuildFramePointers(EnhanceJob& job);

// Why the job cannot run with an output of outSize, as a message for the user; empty when it
// can: no frames, frames that break the packed 24-bit layout, an output beyond the picture
// limit, or frames too small for the engine.
std::string EnhancementRefusal(const EnhanceJob& job, OutputSize outSize);

// What the user is told about a run that failed for job.failure, with outSize the output it
// was making: "not enough memory for a 9000 × 6000 result"; empty for kNone.
std::string EnhanceFailureText(const EnhanceJob& job, OutputSize outSize);

// Worker-thread entry: computes the output size from job.params, allocates the result, runs the
// engine and leaves the final status in job.progress.status (-100 success, -1 cancelled,
// -2 failed) and its reason in job.failure. Memory running out for the result or the engine's
// working planes fails the run (kOutOfMemory) instead of ending the process; the frames stay.
// Returns -1 without touching anything when there are no frames, else 0.
int EnhanceWorker(EnhanceJob& job);

// Clears status and cancel and starts EnhanceWorker on job.worker. False when there are no
// frames or a worker is still running. The caller loads job.params first (LoadJobProfile).
bool StartEnhancement(EnhanceJob& job);

// Waits for the worker, if any.
void JoinWorker(EnhanceJob& job);

}  // namespace lumivex
