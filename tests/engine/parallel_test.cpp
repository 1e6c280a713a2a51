#include "engine/parallel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace lumivex::engine {
namespace {

class ParallelForTest : public ::testing::Test {
protected:
    void TearDown() override { SetEngineThreadCount(0); }
};

// Every index is visited exactly once, in ranges no shorter than asked for (but the last piece
// of a short count) and no more of them than asked for, also when a range itself starts nested
// work.
TEST_F(ParallelForTest, CoversEveryIndexOnceInLongEnoughRanges) {
    for (const int threads : {1, 2, 4}) {
        SetEngineThreadCount(threads);
        EXPECT_EQ(EngineThreadCount(), threads);
        for (const int32_t count : {0, 1, 7, 1000}) {
            for (const int32_t rangesPerThread : {4, 32}) {
                std::vector<std::atomic<int>> visits(static_cast<size_t>(count));
                std::atomic<int32_t> ranges{0};
                std::atomic<int32_t> shortRanges{0};
                std::atomic<int32_t> nestedVisits{0};
                const auto body = [&](int32_t begin, int32_t end) {
                    ++ranges;
                    if (end - begin < 5 && end - begin != count) {
                        ++shortRanges;
                    }
                    for (int32_t i = begin; i < end; ++i) {
                        ++visits[i];
                    }
                    ParallelFor(3, 1, [&](int32_t b, int32_t e) { nestedVisits += e - b; });
                };
                ParallelFor(count, 5, body, rangesPerThread);
                for (const auto& v : visits) {
                    EXPECT_EQ(v.load(), 1);
                }
                EXPECT_EQ(shortRanges.load(), 0);
                EXPECT_LE(ranges.load(), std::max(1, threads * rangesPerThread));
                if (count > 0) {
                    EXPECT_GT(nestedVisits.load(), 0);
                    EXPECT_EQ(nestedVisits.load() % 3, 0);
                }
            }
        }
    }
    SetEngineThreadCount(0);
    EXPECT_GE(EngineThreadCount(), 1);
}

// Side by side or not, every item is visited exactly once; not side by side, in a single call.
TEST_F(ParallelForTest, SideBySideCoversEveryItemOnce) {
    for (const int threads : {1, 2, 4}) {
        SetEngineThreadCount(threads);
        for (const int32_t count : {0, 1, 5, 9}) {
            for (const bool sideBySide : {false, true}) {
                std::vector<std::atomic<int>> visits(static_cast<size_t>(count));
                std::atomic<int32_t> calls{0};
                ForEachSideBySide(count, sideBySide, [&](int32_t begin, int32_t end) {
                    ++calls;
                    for (int32_t i = begin; i < end; ++i) {
                        ++visits[i];
                    }
                });
                for (const auto& v : visits) {
                    EXPECT_EQ(v.load(), 1);
                }
                if (!sideBySide) {
                    EXPECT_EQ(calls.load(), count > 0 ? 1 : 0);
                }
            }
        }
    }
}

TEST_F(ParallelForTest, AnExceptionInAnyRangeReachesTheCaller) {
    SetEngineThreadCount(4);
    EXPECT_THROW(ParallelFor(400, 1,
                             [](int32_t begin, int32_t end) {
                                 if (begin <= 333 && 333 < end) {
                                     throw std::runtime_error("range failed");
                                 }
                             }),
                 std::runtime_error);
    // The pool still works afterwards.
    std::atomic<int32_t> total{0};
    ParallelFor(400, 1, [&](int32_t begin, int32_t end) { total += end - begin; });
    EXPECT_EQ(total.load(), 400);
}

}  // namespace
}  // namespace lumivex::engine
