#pragma once

#include "PipeTransport.h"
#include "RpcPdu.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane::smb {

// One interface bound over one pipe. The pipe is opened and bound on first use and kept for
// later calls. A broken pipe is closed; the next call opens and binds again.
class RpcClient {
public:
    // Each call, its open and bind included, must be over within `timeout`.
    RpcClient(std::unique_ptr<PipeTransport> transport, const SyntaxId& abstract,
              std::uint16_t maxFragment,
              std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));
    ~RpcClient();
    RpcClient(const RpcClient&) = delete;
    RpcClient& operator=(const RpcClient&) = delete;

    // Sends one request and collects its response stub. `retryable` tells the caller whether
    // a failure came from a pipe that had served earlier calls and one more attempt, which
    // opens and binds afresh, is sound: for any call when none of the request can have
    // reached the server, for an `idempotent` one (acting twice does no harm) also when the
    // connection broke later. A timeout is never retried.
    Status call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                std::vector<std::uint8_t>& response, bool idempotent, bool& retryable);
    // Opens and binds when needed, within one timeout.
    Status ensureBound();
    bool isBound() const { return m_bound; }
    // Counts successful binds; a cached pipe makes later calls leave it unchanged.
    std::uint32_t bindCount() const { return m_bindCount; }
    void drop();

private:
    Status bindIfNeeded();
    Status bind();
    Status readPdu(std::vector<std::uint8_t>& pdu);

    std::unique_ptr<PipeTransport> m_transport;
    SyntaxId m_abstract;
    std::uint16_t m_maxFragment;
    std::chrono::milliseconds m_timeout;
    std::uint16_t m_sendFragment = pdu::MinFragment;
    bool m_bound = false;
    std::uint32_t m_callId = 1;
    std::uint32_t m_bindCount = 0;
};

} // namespace corvane::smb
