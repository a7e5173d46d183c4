#pragma once

#include "platform/Status.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::smb {

// Connection-oriented DCE/RPC PDUs. Pure encoders and bounds-checked decoders; no I/O.

struct SyntaxId {
    std::array<std::uint8_t, 16> uuid{}; // in wire order
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
    friend bool operator==(const SyntaxId&, const SyntaxId&) = default;
};

// The interfaces and the transfer syntax, from their published UUIDs.
const SyntaxId& srvsvcSyntax();
const SyntaxId& lsarpcSyntax();
const SyntaxId& ndrSyntax();

namespace pdu {
inline constexpr std::uint8_t Request = 0;
inline constexpr std::uint8_t Response = 2;
inline constexpr std::uint8_t Fault = 3;
inline constexpr std::uint8_t Bind = 11;
inline constexpr std::uint8_t BindAck = 12;
inline constexpr std::uint8_t BindNak = 13;

inline constexpr std::uint8_t FirstFrag = 0x01;
inline constexpr std::uint8_t LastFrag = 0x02;

inline constexpr std::size_t HeaderSize = 16;
inline constexpr std::size_t RequestHeaderSize = 24;
inline constexpr std::size_t ResponseHeaderSize = 24;
// Smallest fragment size a peer must accept.
inline constexpr std::uint16_t MinFragment = 1432;
inline constexpr std::uint16_t DefaultFragment = 4280;
} // namespace pdu

struct PduHeader {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint16_t fragLength = 0;
    std::uint16_t authLength = 0;
    std::uint32_t callId = 0;
};

// Decodes the common 16-byte header. Fails (RpcProtocolError) on a wrong version, a data
// representation other than little-endian ASCII IEEE, or a fragment length below the header.
Status decodeHeader(std::span<const std::uint8_t> bytes, PduHeader& out);

std::vector<std::uint8_t> encodeBind(std::uint32_t callId, const SyntaxId& abstract,
                                     std::uint16_t maxXmitFrag, std::uint16_t maxRecvFrag);

struct BindResult {
    std::uint16_t maxXmitFrag = 0; // the largest fragment the server sends
    std::uint16_t maxRecvFrag = 0; // the largest fragment the server takes
    std::uint32_t assocGroupId = 0;
};

// Decodes the answer to a bind: bind_ack with the context accepted gives Success; a rejected
// context or a bind_nak gives the mapped status.
Status decodeBindReply(std::span<const std::uint8_t> pdu, std::uint32_t callId, BindResult& out);

// Splits `stub` into request fragments no longer than `maxFrag`; the stub of every fragment
// but the last is a multiple of 8 bytes.
std::vector<std::vector<std::uint8_t>> encodeRequest(std::uint32_t callId, std::uint16_t opnum,
                                                     std::span<const std::uint8_t> stub,
                                                     std::uint16_t maxFrag);

// Collects the response fragments of one call. add() takes each whole fragment in turn.
class ResponseAssembler {
public:
    // Largest reassembled stub accepted; more is treated as a hostile or broken server. Two
    // thousand shares with descriptors take well under a megabyte.
    static constexpr std::size_t MaxStub = 16u << 20;

    // `maxStub` lower than MaxStub lets a fuzzer reach the cap with small inputs.
    explicit ResponseAssembler(std::uint32_t callId, std::size_t maxStub = MaxStub)
        : m_callId(callId), m_maxStub(maxStub) {}
    // Success while more fragments are expected or when the last arrived (see complete());
    // a fault gives its mapped status; anything malformed gives RpcProtocolError.
    Status add(std::span<const std::uint8_t> fragment);
    bool complete() const { return m_complete; }
    std::vector<std::uint8_t>& stub() { return m_stub; }

private:
    std::uint32_t m_callId;
    std::size_t m_maxStub;
    bool m_started = false;
    bool m_complete = false;
    std::vector<std::uint8_t> m_stub;
};

} // namespace corvane::smb
