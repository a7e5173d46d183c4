#pragma once

#include "platform/Status.h"

#include <cstdint>
#include <span>
#include <vector>

namespace corvane::smb {

// One interface bound over one named pipe of a server, bound on first use and kept for later
// calls. A broken pipe is dropped; the next call connects and binds again.
class RpcChannel {
public:
    virtual ~RpcChannel() = default;
    // Sends one request stub and collects its response stub. `retryable` tells the caller
    // whether one more attempt over a fresh pipe is sound: the pipe had served earlier calls
    // and broke, and the call either cannot have reached the server or is `idempotent`. A
    // timeout is never retried.
    virtual Status call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                        std::vector<std::uint8_t>& response, bool idempotent, bool& retryable) = 0;
    // Connects and binds when needed.
    virtual Status ensureBound() = 0;
    virtual bool isBound() const = 0;
    // Counts successful binds; a kept pipe leaves it unchanged.
    virtual std::uint32_t bindCount() const = 0;
    virtual void drop() = 0;
};

} // namespace corvane::smb
