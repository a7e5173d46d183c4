#pragma once

#include "platform/Status.h"

#include <cstdint>
#include <span>

namespace corvane::smb {

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
    // Whether the last failure was a timeout (the server may still be working on it).
    virtual bool lastFailureWasTimeout() const = 0;
};

} // namespace corvane::smb
