#include "RpcPdu.h"

#include "StatusMapping.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace corvane::smb {

namespace {

constexpr std::uint8_t RpcVersion = 5;
constexpr std::uint8_t RpcVersionMinor = 0;
// Little-endian integers, ASCII characters, IEEE floating point.
constexpr std::uint8_t DrepLittleEndian = 0x10;

SyntaxId makeSyntax(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                    std::array<std::uint8_t, 8> d4, std::uint16_t major, std::uint16_t minor) {
    SyntaxId s;
    putLe32(s.uuid.data(), d1);
    putLe16(s.uuid.data() + 4, d2);
    putLe16(s.uuid.data() + 6, d3);
    std::copy(d4.begin(), d4.end(), s.uuid.begin() + 8);
    s.major = major;
    s.minor = minor;
    return s;
}

void putHeader(std::uint8_t* p, std::uint8_t type, std::uint8_t flags, std::uint16_t fragLength,
               std::uint32_t callId) {
    p[0] = RpcVersion;
    p[1] = RpcVersionMinor;
    p[2] = type;
    p[3] = flags;
    p[4] = DrepLittleEndian;
    p[5] = 0;
    p[6] = 0;
    p[7] = 0;
    putLe16(p + 8, fragLength);
    putLe16(p + 10, 0);
    putLe32(p + 12, callId);
}

void putSyntax(std::uint8_t* p, const SyntaxId& s) {
    std::memcpy(p, s.uuid.data(), 16);
    putLe16(p + 16, s.major);
    putLe16(p + 18, s.minor);
}

SyntaxId getSyntax(const std::uint8_t* p) {
    SyntaxId s;
    std::memcpy(s.uuid.data(), p, 16);
    s.major = getLe16(p + 16);
    s.minor = getLe16(p + 18);
    return s;
}

// Checks the header of a whole PDU: type, call id, length equal to the bytes given.
Status checkPdu(std::span<const std::uint8_t> pdu, std::uint32_t callId, PduHeader& h) {
    if (Status s = decodeHeader(pdu, h); s != status::Success)
        return s;
    if (h.fragLength != pdu.size() || h.callId != callId || h.authLength != 0)
        return status::RpcProtocolError;
    return status::Success;
}

} // namespace

const SyntaxId& srvsvcSyntax() {
    static const SyntaxId s = makeSyntax(0x4b324fc8, 0x1670, 0x01d3,
                                         {0x12, 0x78, 0x5a, 0x47, 0xbf, 0x6e, 0xe1, 0x88}, 3, 0);
    return s;
}

const SyntaxId& lsarpcSyntax() {
    static const SyntaxId s = makeSyntax(0x12345778, 0x1234, 0xabcd,
                                         {0xef, 0x00, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab}, 0, 0);
    return s;
}

const SyntaxId& ndrSyntax() {
    static const SyntaxId s = makeSyntax(0x8a885d04, 0x1ceb, 0x11c9,
                                         {0x9f, 0xe8, 0x08, 0x00, 0x2b, 0x10, 0x48, 0x60}, 2, 0);
    return s;
}

Status decodeHeader(std::span<const std::uint8_t> bytes, PduHeader& out) {
    if (bytes.size() < pdu::HeaderSize)
        return status::RpcProtocolError;
    const std::uint8_t* p = bytes.data();
    if (p[0] != RpcVersion || p[1] != RpcVersionMinor || p[4] != DrepLittleEndian)
        return status::RpcProtocolError;
    out.type = p[2];
    out.flags = p[3];
    out.fragLength = getLe16(p + 8);
    out.authLength = getLe16(p + 10);
    out.callId = getLe32(p + 12);
    if (out.fragLength < pdu::HeaderSize)
        return status::RpcProtocolError;
    return status::Success;
}

std::vector<std::uint8_t> encodeBind(std::uint32_t callId, const SyntaxId& abstract,
                                     std::uint16_t maxXmitFrag, std::uint16_t maxRecvFrag) {
    std::vector<std::uint8_t> out(72, 0);
    std::uint8_t* p = out.data();
    putHeader(p, pdu::Bind, pdu::FirstFrag | pdu::LastFrag, 72, callId);
    putLe16(p + 16, maxXmitFrag);
    putLe16(p + 18, maxRecvFrag);
    putLe32(p + 20, 0); // new association group
    p[24] = 1;          // one presentation context
    putLe16(p + 28, 0); // context id 0
    p[30] = 1;          // one transfer syntax
    putSyntax(p + 32, abstract);
    putSyntax(p + 52, ndrSyntax());
    return out;
}

Status decodeBindReply(std::span<const std::uint8_t> pdu, std::uint32_t callId, BindResult& out) {
    PduHeader h;
    if (Status s = checkPdu(pdu, callId, h); s != status::Success)
        return s;
    if (h.type == pdu::BindNak) {
        if (pdu.size() < 18)
            return status::RpcProtocolError;
        return statusFromBindNak(getLe16(pdu.data() + 16));
    }
    if (h.type != pdu::BindAck || pdu.size() < 26)
        return status::RpcProtocolError;
    const std::uint8_t* p = pdu.data();
    out.maxXmitFrag = getLe16(p + 16);
    out.maxRecvFrag = getLe16(p + 18);
    out.assocGroupId = getLe32(p + 20);
    // Secondary address (a counted string), then the result list aligned to 4.
    std::size_t pos = 26 + std::size_t(getLe16(p + 24));
    pos = (pos + 3) & ~std::size_t(3);
    if (pos + 4 > pdu.size())
        return status::RpcProtocolError;
    const std::uint8_t results = p[pos];
    pos += 4;
    if (results < 1 || pos + 24 > pdu.size())
        return status::RpcProtocolError;
    const std::uint16_t result = getLe16(p + pos);
    const std::uint16_t reason = getLe16(p + pos + 2);
    if (result != 0)
        return statusFromBindRejection(result, reason);
    if (getSyntax(p + pos + 4) != ndrSyntax())
        return status::RpcProtocolError;
    if (out.maxXmitFrag < pdu::HeaderSize + 8 || out.maxRecvFrag < pdu::RequestHeaderSize + 8)
        return status::RpcProtocolError;
    return status::Success;
}

std::vector<std::vector<std::uint8_t>> encodeRequest(std::uint32_t callId, std::uint16_t opnum,
                                                     std::span<const std::uint8_t> stub,
                                                     std::uint16_t maxFrag) {
    std::size_t room = maxFrag > pdu::RequestHeaderSize + 8 ? maxFrag - pdu::RequestHeaderSize : 8;
    room &= ~std::size_t(7);
    std::vector<std::vector<std::uint8_t>> fragments;
    std::size_t pos = 0;
    do {
        const std::size_t n = std::min(room, stub.size() - pos);
        const bool first = pos == 0;
        const bool last = pos + n == stub.size();
        std::vector<std::uint8_t> f(pdu::RequestHeaderSize + n);
        std::uint8_t flags = (first ? pdu::FirstFrag : 0) | (last ? pdu::LastFrag : 0);
        putHeader(f.data(), pdu::Request, flags, static_cast<std::uint16_t>(f.size()), callId);
        putLe32(f.data() + 16, static_cast<std::uint32_t>(stub.size() - pos)); // alloc hint
        putLe16(f.data() + 20, 0);                                             // context id
        putLe16(f.data() + 22, opnum);
        std::copy_n(stub.begin() + static_cast<std::ptrdiff_t>(pos), n,
                    f.begin() + pdu::RequestHeaderSize);
        fragments.push_back(std::move(f));
        pos += n;
    } while (pos < stub.size());
    return fragments;
}

Status ResponseAssembler::add(std::span<const std::uint8_t> fragment) {
    if (m_complete)
        return status::RpcProtocolError;
    PduHeader h;
    if (Status s = checkPdu(fragment, m_callId, h); s != status::Success)
        return s;
    if (h.type == pdu::Fault) {
        if (fragment.size() < 28)
            return status::RpcProtocolError;
        return statusFromFault(getLe32(fragment.data() + 24));
    }
    if (h.type != pdu::Response || fragment.size() < pdu::ResponseHeaderSize)
        return status::RpcProtocolError;
    const bool first = h.flags & pdu::FirstFrag;
    if (first == m_started)
        return status::RpcProtocolError;
    if (getLe16(fragment.data() + 20) != 0)
        return status::RpcProtocolError;
    const std::size_t n = fragment.size() - pdu::ResponseHeaderSize;
    if (n > m_maxStub - m_stub.size())
        return status::RpcProtocolError;
    m_stub.insert(m_stub.end(), fragment.begin() + pdu::ResponseHeaderSize, fragment.end());
    m_started = true;
    m_complete = h.flags & pdu::LastFrag;
    return status::Success;
}

} // namespace corvane::smb
