#include "Transfer.h"

#include "StatusMapping.h"

#include <cerrno>

namespace corvane::smb {

std::optional<std::chrono::milliseconds> remainingTime(Deadline deadline, Deadline now) {
    if (now >= deadline)
        return std::nullopt;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
    return std::max(left, std::chrono::milliseconds(1));
}

Status transferAll(const TransferHooks& hooks, std::size_t size, Deadline deadline,
                   TransferOutcome& outcome) {
    outcome = {};
    std::size_t done = 0;
    while (done < size) {
        const auto left = remainingTime(deadline, hooks.now());
        if (!left) {
            outcome.timedOut = true;
            return status::SemaphoreTimeout;
        }
        hooks.setTimeout(*left);
        errno = 0;
        const ssize_t n = hooks.transfer(done, size - done);
        if (n <= 0) {
            const int err = n == 0 ? EPIPE : errno;
            outcome.timedOut = err == ETIMEDOUT;
            outcome.sentNothing =
                done == 0 && (err == EPIPE || err == ENOTCONN || err == EBADF) && n < 0;
            return statusFromErrno(err, ErrnoContext::Transfer);
        }
        done += static_cast<std::size_t>(n);
    }
    return status::Success;
}

} // namespace corvane::smb
