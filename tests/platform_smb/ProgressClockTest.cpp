#include "platform/smb/CallWatchdog.h"

#include <gtest/gtest.h>
#include <vector>

using namespace corvane::smb;
using namespace std::chrono_literals;

namespace {

// One sample a second: bytes received so far and open connections.
struct Sample {
    std::uint64_t received;
    std::size_t connections;
};

struct ClockRow {
    const char* name;
    std::vector<Sample> samples;
    bool expiredAtEnd;
};

class ProgressClockRules : public ::testing::TestWithParam<ClockRow> {};

} // namespace

TEST_P(ProgressClockRules, ExpiresOnlyAfterTheBoundWithoutProgress) {
    const auto start = WatchClock::time_point{} + 1h;
    ProgressClock clock(5s, 1000, start);
    auto now = start;
    for (const auto& sample : GetParam().samples) {
        clock.observe(sample.received, sample.connections, now);
        now += 1s;
    }
    EXPECT_EQ(clock.expired(now - 1s), GetParam().expiredAtEnd) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProgressClockRules,
    ::testing::Values(
        ClockRow{"silent", {{0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}}, true},
        ClockRow{"just inside the bound", {{0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}}, false},
        // A byte a second never adds up to a step within the bound.
        ClockRow{"trickle", {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}}, true},
        // A long answer that keeps arriving is never cut off.
        ClockRow{
            "steady answer",
            {{0, 1}, {1000, 1}, {2000, 1}, {3000, 1}, {4000, 1}, {5000, 1}, {6000, 1}, {7000, 1}},
            false},
        ClockRow{"exactly one step",
                 {{0, 1}, {1000, 1}, {1000, 1}, {1000, 1}, {1000, 1}, {1000, 1}},
                 false},
        // Steps count from the last progress, not from the start.
        ClockRow{"progress then silence",
                 {{0, 1}, {1500, 1}, {1500, 1}, {1500, 1}, {1500, 1}, {1500, 1}, {1500, 1}},
                 true},
        // A connection step (one more connection) is progress.
        ClockRow{
            "connection steps", {{0, 0}, {0, 0}, {0, 1}, {0, 1}, {0, 2}, {0, 2}, {0, 2}}, false},
        // A closed connection takes its bytes with it; that is no progress of the rest.
        ClockRow{"connection closed",
                 {{5000, 2}, {200, 1}, {200, 1}, {200, 1}, {200, 1}, {200, 1}},
                 true},
        // One more connection is one step, not progress for the rest of the call.
        ClockRow{"connection opened, then silence",
                 {{0, 0}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}},
                 true}));
