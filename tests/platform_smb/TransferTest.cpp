#include "platform/smb/Transfer.h"
#include "platform/smb/SmbContext.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <vector>

using namespace corvane;
using namespace corvane::smb;
using namespace std::chrono_literals;

namespace {

// A clock the test moves, and a library that moves `step` bytes per call and takes `delay`.
struct Trickle {
    Deadline now = Deadline{} + 1000s;
    std::size_t step = 1;
    std::chrono::milliseconds delay = 1s;
    std::size_t moved = 0;
    int calls = 0;
    std::vector<std::chrono::milliseconds> timeouts;
    int failAt = -1; // the call that fails with `err`
    int err = 0;

    TransferHooks hooks() {
        return {[this](std::size_t, std::size_t n) -> ssize_t {
                    now += delay;
                    if (calls++ == failAt) {
                        errno = err;
                        return -1;
                    }
                    const std::size_t k = std::min(n, step);
                    moved += k;
                    return static_cast<ssize_t>(k);
                },
                [this](std::chrono::milliseconds t) { timeouts.push_back(t); },
                [this] { return now; }};
    }
};

} // namespace

TEST(TransferTest, TricklingServerCannotHoldTheCallPastItsDeadline) {
    Trickle t;
    TransferOutcome outcome;
    const Deadline deadline = t.now + 20s;
    EXPECT_EQ(transferAll(t.hooks(), 1000, deadline, outcome), status::SemaphoreTimeout);
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_EQ(t.calls, 20);
    // The library is told the time left before each step, never the full timeout again.
    ASSERT_EQ(t.timeouts.size(), 20u);
    EXPECT_EQ(t.timeouts.front(), 20s);
    EXPECT_EQ(t.timeouts.back(), 1s);
    for (std::size_t i = 1; i < t.timeouts.size(); ++i)
        EXPECT_LT(t.timeouts[i], t.timeouts[i - 1]);
}

TEST(TransferTest, PartialTransfersWithinTheDeadlineComplete) {
    Trickle t;
    t.step = 300;
    TransferOutcome outcome;
    EXPECT_EQ(transferAll(t.hooks(), 1000, t.now + 20s, outcome), status::Success);
    EXPECT_EQ(t.moved, 1000u);
    EXPECT_EQ(t.calls, 4);
    EXPECT_FALSE(outcome.timedOut);
}

TEST(TransferTest, PassedDeadlineFailsWithoutTouchingThePipe) {
    Trickle t;
    TransferOutcome outcome;
    EXPECT_EQ(transferAll(t.hooks(), 10, t.now, outcome), status::SemaphoreTimeout);
    EXPECT_TRUE(outcome.timedOut);
    EXPECT_EQ(t.calls, 0);
}

TEST(TransferTest, RemainingTimeIsNeverZero) {
    const Deadline now{};
    EXPECT_EQ(remainingTime(now + 1us, now), 1ms); // the library reads 0 as no limit
    EXPECT_EQ(remainingTime(now + 1500ms, now), 1500ms);
    EXPECT_FALSE(remainingTime(now, now));
    EXPECT_FALSE(remainingTime(now, now + 1ms));
}

namespace {
struct FailureRow {
    const char* name;
    int failAt; // the call that fails; earlier calls move one byte each
    int err;
    Status status;
    bool timedOut;
    bool sentNothing;
};
class TransferFailureTest : public ::testing::TestWithParam<FailureRow> {};
} // namespace

// Only a connection already gone before any byte left lets a caller know nothing arrived.
TEST_P(TransferFailureTest, TellsWhetherAnythingWasSent) {
    const auto& row = GetParam();
    Trickle t;
    t.delay = 0ms;
    t.failAt = row.failAt;
    t.err = row.err;
    TransferOutcome outcome;
    EXPECT_EQ(transferAll(t.hooks(), 10, t.now + 20s, outcome), row.status);
    EXPECT_EQ(outcome.timedOut, row.timedOut);
    EXPECT_EQ(outcome.sentNothing, row.sentNothing);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TransferFailureTest,
    ::testing::Values(
        FailureRow{"BrokenPipeAtOnce", 0, EPIPE, status::BrokenPipe, false, true},
        FailureRow{"NotConnectedAtOnce", 0, ENOTCONN, status::NetNameDeleted, false, true},
        FailureRow{"StaleHandleAtOnce", 0, EBADF, status::InvalidHandle, false, true},
        FailureRow{"BrokenPipeMidway", 3, EPIPE, status::BrokenPipe, false, false},
        FailureRow{"ResetAtOnce", 0, ECONNRESET, status::NetNameDeleted, false, false},
        FailureRow{"TimeoutAtOnce", 0, ETIMEDOUT, status::SemaphoreTimeout, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LogonAttemptsTest, RefusedTicketIsNotShownAsAWrongPassword) {
    LogonAttempts attempts(true, 5);
    EXPECT_TRUE(attempts.usesTicket());
    ASSERT_TRUE(attempts.refused(EACCES));
    EXPECT_FALSE(attempts.usesTicket());
    EXPECT_TRUE(attempts.failure().empty()); // the first question has no reason to show
    ASSERT_TRUE(attempts.refused(EACCES));
    EXPECT_FALSE(attempts.failure().empty());
}

namespace {
struct RefusalRow {
    const char* name;
    bool kerberos;
    int err;
    int questions; // answers asked before giving up
};
class LogonAttemptsLimitTest : public ::testing::TestWithParam<RefusalRow> {};
} // namespace

TEST_P(LogonAttemptsLimitTest, AsksAgainOnlyAsOftenAsSensible) {
    const auto& row = GetParam();
    LogonAttempts attempts(row.kerberos, 5);
    int questions = 0;
    for (;;) {
        if (!attempts.usesTicket())
            ++questions;
        if (!attempts.refused(row.err))
            break;
        ASSERT_LT(questions, 100);
    }
    EXPECT_EQ(questions, row.questions);
}

INSTANTIATE_TEST_SUITE_P(Rows, LogonAttemptsLimitTest,
                         ::testing::Values(RefusalRow{"AccessDenied", false, EACCES, 3},
                                           RefusalRow{"AccessDeniedAfterTicket", true, EACCES, 3},
                                           RefusalRow{"Refused", false, EPERM, 5},
                                           RefusalRow{"RefusedAfterTicket", true, EPERM, 4}),
                         [](const auto& info) { return std::string(info.param.name); });
