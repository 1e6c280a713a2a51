// Memory running out during a run fails the job, with its reason and the frames kept, instead of
// ending the process.
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "allocation_limit.h"
#include "job/job.h"
#include "test_frames.h"

namespace lumivex {
namespace {

using testing_frames::FillJob;
using testing_memory::AllocationLimit;

int32_t RunToEnd(EnhanceJob& job) {
    if (!StartEnhancement(job))
        return 0;
    JoinWorker(job);
    return job.progress.status;
}

size_t ResultBytes(OutputSize out) {
    return static_cast<size_t>(out.width) * static_cast<size_t>(out.height) * 3;
}

std::string MemoryText(OutputSize out) {
    return "not enough memory for a " + std::to_string(out.width) + " × " +
           std::to_string(out.height) + " result";
}

TEST(EnhanceOutOfMemory, AnAllocationThatFailsFailsTheRunAndKeepsTheFrames) {
    struct Case {
        const char* what;
        ReconstructionMethod method;
        // The heap the run may take, from the result's pixel bytes.
        size_t (*budget)(size_t resultBytes);
    };
    // The working planes take several times the result's bytes; half of them more is too little.
    const Case cases[] = {
        {"the working planes of the standard engine", ReconstructionMethod::kStandard,
         [](size_t result) { return result * 3 / 2; }},
        {"the working planes of the quality reconstruction", ReconstructionMethod::kQuality,
         [](size_t result) { return result * 3 / 2; }},
        {"the result itself", ReconstructionMethod::kStandard,
         [](size_t result) { return result / 2; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EnhanceJob job;
        FillJob(job, 3, testing_frames::MinWidth() + 32, MinRegistrationHeight() + 32);
        job.method = c.method;
        job.params.LoadFromText("[resolution]\nscale = 4\n");
        job.result.Allocate(16, 16, 24);  // a previous result
        const OutputSize out = ComputeOutputSize(job, job.params);
        {
            const AllocationLimit limit(c.budget(ResultBytes(out)));
            EXPECT_EQ(RunToEnd(job), kEnhanceFailed);
        }
        EXPECT_EQ(job.failure, EnhanceFailure::kOutOfMemory);
        EXPECT_EQ(EnhanceFailureText(job, out), MemoryText(out));
        EXPECT_TRUE(job.result.IsEmpty());
        EXPECT_FALSE(job.resultReady);
        EXPECT_EQ(job.FrameCount(), 3);
        // Nothing of the job was lost: with memory to spare the same run succeeds.
        EXPECT_EQ(RunToEnd(job), kEnhanceSucceeded);
        EXPECT_EQ(job.failure, EnhanceFailure::kNone);
        EXPECT_TRUE(EnhanceFailureText(job, out).empty());
        EXPECT_EQ(job.result.Width(), out.width);
    }
}

TEST(EnhanceOutOfMemory, OtherFailuresAndCancelsNameNoMemoryShortage) {
    EnhanceJob job;
    FillJob(job, 3, testing_frames::MinWidth() + 32, MinRegistrationHeight() + 32);
    job.params.LoadFromText("[resolution]\nscale = 1000\n");  // refused by the picture limit
    EXPECT_EQ(RunToEnd(job), kEnhanceFailed);
    EXPECT_EQ(job.failure, EnhanceFailure::kNone);

    // Memory running out after the user asked to stop is the cancel the user asked for.
    job.params.LoadFromText("[resolution]\nscale = 4\n");
    job.progress.cancel = true;
    const AllocationLimit limit(ResultBytes(ComputeOutputSize(job, job.params)) * 3 / 2);
    EXPECT_EQ(EnhanceWorker(job), 0);
    EXPECT_EQ(job.progress.status, kEnhanceCancelled);
    EXPECT_EQ(job.failure, EnhanceFailure::kNone);
}

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A real lack of memory: a 9000 × 9000 result (243 MB) fits in 1 GiB of address space, the
// quality reconstruction's working planes beside it (several real-valued planes of that size)
// do not; the standard engine's (under 800 MB for any output within the picture limit) would.
// The sanitizer runtimes need far more address space than that just to start, so this runs only
// in builds without it; the injected limit above stands in for it there.
[[noreturn]] void RunUnderAddressSpaceLimit() {
    const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
    if (::setrlimit(RLIMIT_AS, &limit) != 0)
        std::_Exit(2);
    EnhanceJob job;
    FillJob(job, 2, 100, 100);
    job.method = ReconstructionMethod::kQuality;
    job.params.LoadFromText("[resolution]\nscale = 90\n");
    const int32_t status = RunToEnd(job);
    std::fprintf(stderr, "%s\n",
                 EnhanceFailureText(job, ComputeOutputSize(job, job.params)).c_str());
    std::_Exit(status == kEnhanceFailed && job.FrameCount() == 2 ? 0 : 1);
}
#endif

TEST(EnhanceOutOfMemoryDeathTest, UnderAnAddressSpaceLimitALargeRunFailsWithItsMessage) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizer runtimes cannot start within an address-space limit";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunUnderAddressSpaceLimit(), ::testing::ExitedWithCode(0),
                "not enough memory for a 9000 × 9000 result");
#endif
}

}  // namespace
}  // namespace lumivex
