#include "RpcClient.h"

#include "platform/ByteOrder.h"

#include <algorithm>

namespace corvane::smb {

RpcClient::RpcClient(std::unique_ptr<PipeTransport> transport, const SyntaxId& abstract,
                     std::uint16_t maxFragment)
    : m_transport(std::move(transport)), m_abstract(abstract),
      m_maxFragment(std::max(maxFragment, pdu::MinFragment)) {}

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

Status RpcClient::ensureBound() {
    return m_bound ? status::Success : bind();
}

Status RpcClient::call(std::uint16_t opnum, std::span<const std::uint8_t> stub,
                       std::vector<std::uint8_t>& response, bool idempotent, bool& retryable) {
    retryable = false;
    response.clear();
    const bool reused = m_bound;
    if (Status s = ensureBound(); s != status::Success)
        return s;

    const std::uint32_t callId = m_callId++;
    for (const auto& fragment : encodeRequest(callId, opnum, stub, m_sendFragment)) {
        if (Status s = m_transport->write(fragment); s != status::Success) {
            retryable = reused && !m_transport->lastFailureWasTimeout();
            drop();
            return s;
        }
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
