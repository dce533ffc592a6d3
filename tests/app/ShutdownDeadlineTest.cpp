#include "app/ShutdownDeadline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

using namespace std::chrono_literals;

// Whatever the closing is stuck in, the process ends soon after the deadline, saying so.
TEST(ShutdownDeadlineDeathTest, AnArmedDeadlineEndsAProgramThatDoesNotEnd) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            qf::ShutdownDeadline deadline;
            deadline.arm();
            std::this_thread::sleep_for(10s);
        },
        ::testing::ExitedWithCode(EXIT_FAILURE), "did not end in time");
}

TEST(ShutdownDeadline, AProgramThatEndsInTimeIsLeftAlone) {
    const auto start = std::chrono::steady_clock::now();
    {
        qf::ShutdownDeadline deadline;
        deadline.arm();
        deadline.arm();
        std::this_thread::sleep_for(50ms);
    }
    // Still here, and the end did not wait for the deadline either.
    EXPECT_LT(std::chrono::steady_clock::now() - start, qf::ShutdownDeadline::kLimit);
}

} // namespace
