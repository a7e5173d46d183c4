#pragma once

#include "platform/Status.h"

#include <chrono>
#include <cstdint>
#include <span>

namespace corvane::smb {

using Deadline = std::chrono::steady_clock::time_point;

// A byte channel carrying DCE/RPC PDUs: a named pipe on a server. read() returns only when
// the whole buffer is filled (or fails).
class PipeTransport {
public:
    virtual ~PipeTransport() = default;
    virtual Status open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual Status write(std::span<const std::uint8_t> data) = 0;
    virtual Status read(std::span<std::uint8_t> data) = 0;
    // Every open, read and write from now on gives up at `deadline` with SemaphoreTimeout
    // (and counts as a timeout), however the server trickles its bytes.
    virtual void setDeadline(Deadline deadline) = 0;
    // Whether the last failure was a timeout (the server may still be working on it).
    virtual bool lastFailureWasTimeout() const = 0;
    // Whether the last failed write sent none of its bytes because the connection was
    // already gone (broken pipe, not connected, stale handle): the server saw nothing.
    virtual bool lastWriteSentNothing() const = 0;
};

} // namespace corvane::smb
