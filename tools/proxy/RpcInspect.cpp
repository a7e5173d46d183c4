#include "RpcInspect.h"

#include <algorithm>
#include <cstring>

namespace corvane::proxy {

namespace {

constexpr std::size_t Smb2HeaderSize = 64;
constexpr std::uint16_t Smb2Read = 0x0008;
constexpr std::uint16_t Smb2Write = 0x0009;
constexpr std::uint16_t Smb2Ioctl = 0x000B;
constexpr std::uint32_t FlagResponse = 0x00000001;
constexpr std::uint32_t StatusPending = 0x00000103;
constexpr std::uint32_t FsctlPipeTransceive = 0x0011C017;

constexpr std::uint8_t PtypeRequest = 0;
constexpr std::uint8_t PtypeResponse = 2;
constexpr std::uint8_t PtypeFault = 3;
constexpr std::uint8_t PtypeBind = 11;
constexpr std::uint8_t PtypeAlterContext = 14;
constexpr std::uint8_t PfcFirstFrag = 0x01;

// 4b324fc8-1670-01d3-1278-5a47bf6ee188 as it travels (little-endian fields first).
constexpr std::array<std::uint8_t, 16> SrvsvcUuid = {
    0xc8, 0x4f, 0x32, 0x4b, 0x70, 0x16, 0xd3, 0x01, 0x12, 0x78, 0x5a, 0x47, 0xbf, 0x6e, 0xe1, 0x88};

// Reads of a span that answer nullopt past its end.
struct Reader {
    std::span<const std::uint8_t> data;

    std::optional<std::uint32_t> le(std::size_t at, std::size_t size) const {
        if (at > data.size() || size > data.size() - at)
            return std::nullopt;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < size; ++i)
            v |= std::uint64_t(data[at + i]) << (8 * i);
        return static_cast<std::uint32_t>(v);
    }
    std::optional<std::uint64_t> le64(std::size_t at) const {
        const auto lo = le(at, 4), hi = le(at + 4, 4);
        if (!lo || !hi)
            return std::nullopt;
        return std::uint64_t(*lo) | (std::uint64_t(*hi) << 32);
    }
    std::optional<FileId> fileId(std::size_t at) const {
        if (at > data.size() || 16 > data.size() - at)
            return std::nullopt;
        FileId id;
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(at), 16, id.begin());
        return id;
    }
    std::span<const std::uint8_t> slice(std::size_t at, std::size_t size) const {
        if (at > data.size() || size > data.size() - at)
            return {};
        return data.subspan(at, size);
    }
};

bool bindNamesSrvsvc(const Reader& pdu) {
    const auto count = pdu.le(24, 1);
    if (!count)
        return false;
    std::size_t at = 28;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto transfers = pdu.le(at + 2, 1);
        const auto uuid = pdu.slice(at + 4, 16);
        if (!transfers || uuid.size() != 16)
            return false;
        if (std::equal(uuid.begin(), uuid.end(), SrvsvcUuid.begin()))
            return true;
        at += 4 + 20 + 20 * std::size_t(*transfers);
    }
    return false;
}

// The PDU at the start of `payload`, if it looks like DCE/RPC version 5.0.
std::optional<RpcPdu> readPdu(std::span<const std::uint8_t> payload) {
    const Reader pdu{payload};
    const auto version = pdu.le(0, 1), minor = pdu.le(1, 1), ptype = pdu.le(2, 1),
               flags = pdu.le(3, 1), callId = pdu.le(12, 4);
    if (!version || *version != 5 || !minor || *minor != 0 || !ptype || !flags || !callId)
        return std::nullopt;
    RpcPdu out;
    out.firstFragment = (*flags & PfcFirstFrag) != 0;
    out.callId = *callId;
    switch (*ptype) {
    case PtypeRequest: {
        const auto opnum = pdu.le(22, 2);
        if (!opnum)
            return std::nullopt;
        out.kind = RpcPdu::Kind::Request;
        out.opnum = static_cast<std::uint16_t>(*opnum);
        break;
    }
    case PtypeBind:
    case PtypeAlterContext:
        out.kind = RpcPdu::Kind::Bind;
        out.bindsSrvsvc = bindNamesSrvsvc(pdu);
        break;
    case PtypeResponse:
    case PtypeFault:
        out.kind = RpcPdu::Kind::Response;
        break;
    default:
        break;
    }
    return out;
}

void inspectMessage(const Reader& msg, FrameContents& out) {
    const auto command = msg.le(12, 2), flags = msg.le(16, 4), status = msg.le(8, 4);
    const auto messageId = msg.le64(24);
    if (!command || !flags || !status || !messageId)
        return;
    const bool response = (*flags & FlagResponse) != 0;
    const std::size_t body = Smb2HeaderSize;
    std::span<const std::uint8_t> payload;
    std::optional<FileId> fileId;
    bool readAnswer = false;
    if (!response && *command == Smb2Write) {
        const auto offset = msg.le(body + 2, 2), length = msg.le(body + 4, 4);
        fileId = msg.fileId(body + 16);
        if (offset && length)
            payload = msg.slice(*offset, *length);
    } else if (!response && *command == Smb2Read) {
        if (const auto id = msg.fileId(body + 16))
            out.reads.push_back({*messageId, *id});
        return;
    } else if (*command == Smb2Ioctl) {
        const auto code = msg.le(body + 4, 4);
        if (!code || *code != FsctlPipeTransceive)
            return;
        fileId = msg.fileId(body + 8);
        const auto offset = msg.le(body + (response ? 32 : 24), 4);
        const auto length = msg.le(body + (response ? 36 : 28), 4);
        if (offset && length)
            payload = msg.slice(*offset, *length);
    } else if (response && *command == Smb2Read && *status != StatusPending) {
        const auto offset = msg.le(body + 2, 1), length = msg.le(body + 4, 4);
        if (offset && length)
            payload = msg.slice(*offset, *length);
        readAnswer = true;
    } else {
        return;
    }
    if (auto pdu = readPdu(payload)) {
        pdu->fileId = fileId;
        pdu->messageId = *messageId;
        pdu->readAnswer = readAnswer;
        out.pdus.push_back(*pdu);
    }
}

} // namespace

std::size_t completeFrame(std::span<const std::uint8_t> data) {
    if (data.size() < 4)
        return 0;
    const std::size_t length =
        (std::size_t(data[1]) << 16) | (std::size_t(data[2]) << 8) | std::size_t(data[3]);
    return data.size() - 4 >= length ? length + 4 : 0;
}

FrameContents inspectFrame(std::span<const std::uint8_t> frame) {
    FrameContents out;
    if (frame.size() < 8 || frame[0] != 0x00)
        return out;
    const auto smb = frame.subspan(4);
    if (smb[0] == 0xFD && smb[1] == 'S' && smb[2] == 'M' && smb[3] == 'B') {
        out.encrypted = true;
        return out;
    }
    std::size_t at = 0;
    // A compound chain: each header says where the next one starts (0 for the last).
    for (int guard = 0; guard < 64 && at < smb.size(); ++guard) {
        const auto message = smb.subspan(at);
        if (message.size() < Smb2HeaderSize || message[0] != 0xFE || message[1] != 'S' ||
            message[2] != 'M' || message[3] != 'B')
            break;
        const Reader header{message};
        const auto next = header.le(20, 4);
        if (!next)
            break;
        inspectMessage(
            Reader{*next ? message.first(std::min<std::size_t>(*next, message.size())) : message},
            out);
        if (*next == 0 || *next < Smb2HeaderSize)
            break;
        at += *next;
    }
    return out;
}

} // namespace corvane::proxy
