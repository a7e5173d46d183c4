#include "RpcClient.h"

#include "platform/ByteOrder.h"

#include <algorithm>

namespace corvane::smb {

RpcClient::RpcClient(std::unique_ptr<PipeTransport> transport, const SyntaxId& abstract,
                     std::uint16_t maxFragment, std::chrono::milliseconds timeout)
    : m_transport(std::move(transport)), m_abstract(abstract),
      m_maxFragment(std::max(maxFragment, pdu::MinFragment)), m_timeout(timeout) {}

RpcClient::~RpcClient() {
    drop();
}

void RpcClient::drop() {
    if (m_transport->isOpen())
        m_transport->close();
    m_bound = false;
}

Status RpcClient::readPdu(std::vector<std::uint8_t>& pdu) {
    pdu.assign(pdu::HeaderSize, 0);
    if (Status s = m_transport->read(pdu); s != status::Success)
        return s;
    PduHeader h;
    if (Status s = decodeHeader(pdu, h); s != status::Success)
        return s;
    pdu.resize(h.fragLength);
    if (h.fragLength > pdu::HeaderSize)
        return m_transport->read(std::span(pdu).subspan(pdu::HeaderSize));
    return status::Success;
}

Status RpcClient::bind() {
    if (!m_transport->isOpen())
        if (Status s = m_transport->open(); s != status::Success)
            return s;
    const std::uint32_t callId = m_callId++;
    if (Status s = m_transport->write(encodeBind(callId, m_abstract, m_maxFragment, m_maxFragment));
        s != status::Success) {
        drop();
        return s;
    }
    std::vector<std::uint8_t> reply;
    Status s = readPdu(reply);
    BindResult result;
    if (s == status::Success)
        s = decodeBindReply(reply, callId, result);
    if (s != status::Success) {
        drop();
        return s;
    }
    // Never send more than the server takes nor more than we offered.
    m_sendFragment = std::min(result.maxRecvFrag, m_maxFragment);
    m_bound = true;
    ++m_bindCount;
    return status::Success;
}

Status RpcClient::bindIfNeeded() {
    return m_bound ? status::Success : bind();
}

Status RpcClient::ensureBound() {
    m_transport->setDeadline(std::chrono::steady_clock::now() + m_timeout);
    return bindIfNeeded();
}

Status RpcClient::call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                       std::vector<std::uint8_t>& response, bool idempotent, bool& retryable) {
    retryable = false;
    response.clear();
    // One deadline for the whole call: open, bind, request and every fragment of the answer.
    m_transport->setDeadline(std::chrono::steady_clock::now() + m_timeout);
    const bool reused = m_bound;
    if (Status s = bindIfNeeded(); s != status::Success)
        return s;

    const std::uint32_t callId = m_callId++;
    bool first = true;
    for (const auto& fragment : encodeRequest(callId, opnum, stub, m_sendFragment)) {
        if (Status s = m_transport->write(fragment); s != status::Success) {
            // Once any byte of the request may have left, the server may act on it: a call
            // that must not run twice (add, delete) reports the failure instead.
            const bool nothingSent = first && m_transport->lastWriteSentNothing();
            retryable =
                reused && !m_transport->lastFailureWasTimeout() && (idempotent || nothingSent);
            drop();
            return s;
        }
        first = false;
    }

    ResponseAssembler assembler(callId);
    std::vector<std::uint8_t> fragment;
    while (!assembler.complete()) {
        if (Status s = readPdu(fragment); s != status::Success) {
            // A transport failure after sending: the server may have acted already.
            const bool transportFailure = s != status::RpcProtocolError;
            retryable =
                transportFailure && reused && idempotent && !m_transport->lastFailureWasTimeout();
            drop();
            return s;
        }
        PduHeader h;
        decodeHeader(fragment, h);
        if (Status s = assembler.add(fragment); s != status::Success) {
            // A fault ends the call cleanly; anything else leaves the pipe in an unknown state.
            const bool fault = h.type == pdu::Fault && h.callId == callId && fragment.size() >= 28;
            if (!fault)
                drop();
            return s;
        }
    }
    response = std::move(assembler.stub());
    return status::Success;
}

} // namespace corvane::smb
