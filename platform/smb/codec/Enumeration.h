#pragma once

#include "Ndr.h"
#include "platform/Status.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace corvane::smb {

// The enumeration calls of the server service (shares, sessions, open files) share one shape.
// The request names a level and sends an empty container of that level, the preferred length
// of the answer and the resume handle. The answer carries the level, the container (a count
// and a pointer to an array of records: every record's fixed part first, then, in the same
// order, what each record's pointers point to), the total count, the next resume handle and
// the server's result.

template <typename Record> struct EnumReply {
    std::vector<Record> records;
    std::uint32_t totalEntries = 0;
    std::optional<std::uint32_t> resumeHandle;
    Status result = 0;
};

// `server` is the service's server argument ("\\name"); `filters` null pointers follow it
// (the client, path or user a caller could narrow the answer to).
std::vector<std::uint8_t> encodeEnumRequest(std::u16string_view server, int filters,
                                            std::uint32_t level, std::uint32_t resumeHandle,
                                            std::uint32_t preferredLength);

// Reads an answer at `level` into `out`. `readFixed(reader, record, pointers)` reads one
// record's fixed part (at least `fixedSize` bytes) and notes in `pointers` which of its
// pointers are set; `readDeferred(reader, record, pointers)` reads what they point to. Gives
// Success, InvalidTag (an answer at another level than asked) or RpcProtocolError (malformed
// data, a count that disagrees with the entries read or passes `maxRecords`); on failure `out`
// holds no records.
template <typename Pointers, typename Record, typename ReadFixed, typename ReadDeferred>
Status decodeEnumReply(std::span<const std::uint8_t> stub, std::uint32_t level,
                       std::size_t fixedSize, std::uint32_t maxRecords, ReadFixed readFixed,
                       ReadDeferred readDeferred, EnumReply<Record>& out) {
    out = {};
    NdrReader r(stub);
    const std::uint32_t answeredLevel = r.u32();
    const std::uint32_t arm = r.u32();
    if (!r.ok())
        return status::RpcProtocolError;
    if (answeredLevel != level || arm != level)
        return status::InvalidTag;
    if (r.pointer()) {
        const std::uint32_t entries = r.u32();
        if (r.pointer()) {
            const std::uint32_t count = r.u32();
            if (count != entries || count > maxRecords || !r.expectElements(count, fixedSize))
                return status::RpcProtocolError;
            std::vector<Pointers> pointers(count);
            out.records.resize(count);
            for (std::uint32_t i = 0; i < count; ++i)
                readFixed(r, out.records[i], pointers[i]);
            for (std::uint32_t i = 0; i < count && r.ok(); ++i)
                readDeferred(r, out.records[i], pointers[i]);
        } else if (entries != 0) {
            return status::RpcProtocolError;
        }
    }
    out.totalEntries = r.u32();
    if (r.pointer())
        out.resumeHandle = r.u32();
    out.result = r.u32();
    if (!r.ok()) {
        out.records.clear();
        return status::RpcProtocolError;
    }
    return status::Success;
}

// What one enumeration answer gives the caller: on Success or MoreData its records go to
// `out` and its resume handle to `resumeHandle`. MoreData without a new resume handle is a
// protocol error (the caller would ask for the same part for ever); any other result is the
// server's failure. On failure `out` is empty and `resumeHandle` unchanged.
template <typename Record>
Status takeEnumRecords(EnumReply<Record>& decoded, std::uint32_t& resumeHandle,
                       std::vector<Record>& out) {
    out.clear();
    if (decoded.result != status::Success && decoded.result != status::MoreData)
        return decoded.result;
    if (decoded.result == status::MoreData &&
        (!decoded.resumeHandle || *decoded.resumeHandle == resumeHandle))
        return status::RpcProtocolError;
    if (decoded.resumeHandle)
        resumeHandle = *decoded.resumeHandle;
    out = std::move(decoded.records);
    return decoded.result;
}

} // namespace corvane::smb
