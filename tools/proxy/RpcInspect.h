#pragma once

// What the forwarding proxy reads in the SMB2 traffic it passes on: the DCE/RPC requests and
// answers carried by named-pipe writes, reads and FSCTL_PIPE_TRANSCEIVE. Only plain SMB2 (no
// encryption) is understood; everything is read with bounds checks and never changed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane::proxy {

using FileId = std::array<std::uint8_t, 16>;

// One DCE/RPC PDU found in an SMB2 message.
struct RpcPdu {
    enum class Kind { Request, Bind, Response, Other } kind = Kind::Other;
    bool firstFragment = false;
    std::uint32_t callId = 0;
    std::uint16_t opnum = 0;      // requests
    bool bindsSrvsvc = false;     // binds and alter contexts naming the srvsvc interface
    std::optional<FileId> fileId; // writes and IOCTLs (requests and IOCTL answers)
    std::uint64_t messageId = 0;  // of the SMB2 message
    bool readAnswer = false;      // the answer of an SMB2 READ (match it by messageId)
};

// An SMB2 READ request for a pipe: its message id and file.
struct PipeRead {
    std::uint64_t messageId = 0;
    FileId fileId{};
};

struct FrameContents {
    std::vector<RpcPdu> pdus;
    std::vector<PipeRead> reads; // requests only
    bool encrypted = false;
};

// The length of the NetBIOS session frame at the start of `data` (header included), or 0 when
// it is not complete yet.
std::size_t completeFrame(std::span<const std::uint8_t> data);

// Decodes one whole frame (with its 4-byte header) of either direction, every message of an
// SMB2 compound chain.
FrameContents inspectFrame(std::span<const std::uint8_t> frame);

} // namespace corvane::proxy
