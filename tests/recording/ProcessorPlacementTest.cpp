#include <gtest/gtest.h>

#include <thread>

#include "recording/ProcessorPlacement.h"

namespace tavrin {
namespace {

// On a thread of its own, so that a failure does not leave the test program bound.
TEST(ProcessorPlacement, AThreadKeptOnEachProcessorRunsThereAndGoesBack) {
    if (processorsOfCallingThread() == 0 || currentProcessor() < 0) {
        GTEST_SKIP() << "threads are not placed here";
    }
    std::thread([] {
        const ProcessorMask all = processorsOfCallingThread();
        EXPECT_EQ(keepCallingThreadOn(0), 0u);
        EXPECT_EQ(processorsOfCallingThread(), all);
        ProcessorMask previous = all;
        for (int processor = 0; processor < 64; ++processor) {
            const ProcessorMask one = ProcessorMask{1} << processor;
            if ((all & one) == 0) continue;
            SCOPED_TRACE(processor);
            EXPECT_EQ(keepCallingThreadOn(one), previous);
            EXPECT_EQ(processorsOfCallingThread(), one);
            EXPECT_EQ(currentProcessor(), processor);
            previous = one;
        }
        EXPECT_EQ(keepCallingThreadOn(all), previous);
        EXPECT_EQ(processorsOfCallingThread(), all);
    }).join();
}

}  // namespace
}  // namespace tavrin
