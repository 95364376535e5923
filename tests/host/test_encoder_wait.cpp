// Waiting for the encoder in slices under an overall limit.
#include <gtest/gtest.h>

#include <vector>

#include "pipeline/encoder_wait.h"

namespace {

// A process that ends `runsMs` after the first wait starts; each slice records
// its length and says whether the process still runs after it.
struct FakeProcess {
    explicit FakeProcess(unsigned long runs) : runsMs(runs) {}

    unsigned long runsMs;
    unsigned long clock = 0;
    std::vector<unsigned long> slices;

    bool operator()(unsigned long ms) {
        slices.push_back(ms);
        if (clock + ms >= runsMs) {
            clock = runsMs;
            return false;
        }
        clock += ms;
        return true;
    }
};

constexpr unsigned long SLICE_MS = 1000;
constexpr unsigned long LIMIT_MS = 10000;
constexpr unsigned long NEVER = ~0ul;

TEST(WaitInSlices, WaitsOnceASliceUntilTheProcessEndsOrTheLimitIsUsedUp) {
    struct Case {
        unsigned long runsMs;
        unsigned slices;
        bool limitReached;
    };
    const Case cases[] = {
        {0, 1, false},         // ended before the wait
        {80, 1, false},        // ends within the first slice
        {1000, 1, false},      // ends exactly as the first slice runs out
        {2500, 3, false},
        {9999, 10, false},     // ends in the last slice
        {10000, 10, false},
        {10001, 10, true},
        {NEVER, 10, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.runsMs);
        FakeProcess process(c.runsMs);
        const SlicedWait wait = WaitInSlices(process, SLICE_MS, LIMIT_MS);
        EXPECT_EQ(wait.slices, c.slices);
        EXPECT_EQ(wait.limitReached, c.limitReached);
        EXPECT_EQ(process.slices, std::vector<unsigned long>(c.slices, SLICE_MS));
    }
}

TEST(WaitInSlices, TheLastSliceIsCutToWhatIsLeftOfTheLimit) {
    FakeProcess process(NEVER);
    const SlicedWait wait = WaitInSlices(process, 400, 1000);
    EXPECT_TRUE(wait.limitReached);
    EXPECT_EQ(process.slices, (std::vector<unsigned long>{400, 400, 200}));
}

TEST(WaitInSlices, AZeroSliceStillUsesUpTheLimit) {
    FakeProcess process(NEVER);
    const SlicedWait wait = WaitInSlices(process, 0, 5);
    EXPECT_TRUE(wait.limitReached);
    EXPECT_EQ(wait.slices, 5u);
}

}  // namespace
