#pragma once

#include "PipeTransport.h"
#include "RpcPdu.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane::smb {

// One interface bound over one pipe. The pipe is opened and bound on first use and kept for
// later calls. A broken pipe is closed; the next call opens and binds again.
class RpcClient {
public:
    RpcClient(std::unique_ptr<PipeTransport> transport, const SyntaxId& abstract,
              std::uint16_t maxFragment);
    ~RpcClient();
    RpcClient(const RpcClient&) = delete;
    RpcClient& operator=(const RpcClient&) = delete;

    // Sends one request and collects its response stub. `retryable` tells the caller whether
    // a failure came from a pipe that had served earlier calls and broke before the server
    // could have acted on this request (or `idempotent` says acting twice does no harm): then
    // one more attempt, which opens and binds afresh, is sound.
    Status call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                std::vector<std::uint8_t>& response, bool idempotent, bool& retryable);
    Status ensureBound();
    bool isBound() const { return m_bound; }
    // Counts successful binds; a cached pipe makes later calls leave it unchanged.
    std::uint32_t bindCount() const { return m_bindCount; }
    void drop();

private:
    Status bind();
    Status readPdu(std::vector<std::uint8_t>& pdu);

    std::unique_ptr<PipeTransport> m_transport;
    SyntaxId m_abstract;
    std::uint16_t m_maxFragment;
    std::uint16_t m_sendFragment = pdu::MinFragment;
    bool m_bound = false;
    std::uint32_t m_callId = 1;
    std::uint32_t m_bindCount = 0;
};

} // namespace corvane::smb
