#pragma once

#include "PipeTransport.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <sys/types.h>

namespace corvane::smb {

// How a transfer ended, besides its status.
struct TransferOutcome {
    bool timedOut = false;    // the deadline passed or the library timed out
    bool sentNothing = false; // failed before moving any byte, the connection already gone
};

struct TransferHooks {
    // Moves up to `n` bytes starting at `offset`; returns the count, or 0 / -1 with errno set.
    std::function<ssize_t(std::size_t offset, std::size_t n)> transfer;
    // Tells the library how long its next blocking operation may take.
    std::function<void(std::chrono::milliseconds)> setTimeout;
    std::function<Deadline()> now = [] { return std::chrono::steady_clock::now(); };
};

// The time left until `deadline`, at least 1 ms (the library reads 0 as "wait for ever"),
// or nothing when it has passed.
std::optional<std::chrono::milliseconds> remainingTime(Deadline deadline, Deadline now);

// Moves all `size` bytes through `hooks.transfer`, which may move fewer than asked. The whole
// transfer must end by `deadline`: before each step the library's timeout is set to the
// time left, so a server that trickles a byte at a time cannot hold it open for ever.
Status transferAll(const TransferHooks& hooks, std::size_t size, Deadline deadline,
                   TransferOutcome& outcome);

} // namespace corvane::smb
