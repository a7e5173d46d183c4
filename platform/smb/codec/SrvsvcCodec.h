#pragma once

#include "Enumeration.h"
#include "platform/ShareInfo.h"
#include "platform/Status.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane::smb {

// NDR stubs of the server service calls at level 502 (and level 2 for the user limit, which
// Samba keeps out of level 502). Encoders build request stubs; decoders read response stubs
// and return Success or RpcProtocolError (malformed data). The server's own result is stored
// in the `result` fields.
namespace srvsvc {

inline constexpr std::uint16_t OpNetShareAdd = 14;
inline constexpr std::uint16_t OpNetShareEnum = 15;
inline constexpr std::uint16_t OpNetShareGetInfo = 16;
inline constexpr std::uint16_t OpNetShareSetInfo = 17;
inline constexpr std::uint16_t OpNetShareDel = 18;

inline constexpr std::uint32_t Level2 = 2;
inline constexpr std::uint32_t Level502 = 502;
inline constexpr std::uint32_t Level1501 = 1501;
inline constexpr std::uint32_t MaxPreferredLength = 0xFFFFFFFF;
// The most records one enumeration answer may carry; more is a broken or hostile server
// (each record costs far more memory here than its 40 bytes on the wire).
inline constexpr std::uint32_t MaxShareRecords = 200000;
// The largest descriptor taken from a server (the server side limits it the same way).
inline constexpr std::uint32_t MaxDescriptorSize = 0x40000;

// The server name as the service expects it: "\\" followed by the name.
std::u16string serverArgument(std::u16string_view server);

// `level` is Level502 or Level2.
std::vector<std::uint8_t> encodeShareEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                          std::uint32_t preferredLength,
                                          std::uint32_t level = Level502);
// `level` is Level502 or Level2.
std::vector<std::uint8_t> encodeShareGetInfo(std::u16string_view server,
                                             std::u16string_view netname,
                                             std::uint32_t level = Level502);
std::vector<std::uint8_t> encodeShareSetInfo(std::u16string_view server,
                                             std::u16string_view netname, const ShareInfo502& info);
// NetrShareSetInfo at level 2: the record without its descriptor. Servers take the comment
// and the user limit from it (Windows ignores the other fields; Samba also takes the path).
std::vector<std::uint8_t> encodeShareSetInfo2(std::u16string_view server,
                                              std::u16string_view netname,
                                              const ShareInfo502& info);
// NetrShareSetInfo at level 1501: the security descriptor alone.
std::vector<std::uint8_t> encodeShareSetSecurity(std::u16string_view server,
                                                 std::u16string_view netname,
                                                 std::span<const std::uint8_t> descriptor);
std::vector<std::uint8_t> encodeShareAdd(std::u16string_view server, const ShareInfo502& info);
std::vector<std::uint8_t> encodeShareDel(std::u16string_view server, std::u16string_view netname);

using ShareEnumReply = EnumReply<ShareInfo502>;
Status decodeShareEnum(std::span<const std::uint8_t> stub, ShareEnumReply& out);
// A level-2 answer: the records have no descriptor and `reserved` 0.
Status decodeShareEnum2(std::span<const std::uint8_t> stub, ShareEnumReply& out);

struct ShareGetInfoReply {
    std::optional<ShareInfo502> info;
    Status result = 0;
};
Status decodeShareGetInfo(std::span<const std::uint8_t> stub, ShareGetInfoReply& out);
// A level-2 answer: `info` has no descriptor and `reserved` 0.
Status decodeShareGetInfo2(std::span<const std::uint8_t> stub, ShareGetInfoReply& out);

// NetrShareSetInfo and NetrShareAdd answer with the parameter-error index and the result.
struct ShareParmErrReply {
    std::optional<std::uint32_t> parmErr;
    Status result = 0;
};
Status decodeShareSetInfo(std::span<const std::uint8_t> stub, ShareParmErrReply& out);
Status decodeShareAdd(std::span<const std::uint8_t> stub, ShareParmErrReply& out);

Status decodeShareDel(std::span<const std::uint8_t> stub, Status& result);

} // namespace srvsvc

// What one enumeration answer gives the caller, as takeEnumRecords, with the server's failure
// in the numbers the program knows.
Status takeShareEnum(srvsvc::ShareEnumReply& decoded, std::uint32_t& resumeHandle,
                     std::vector<ShareInfo502>& out);

// Takes the user limit from the level-2 answer (`call` is how the call went, `reply` its stub)
// into `info`, read at level 502. A server that does not offer level 2 (invalid level, or a
// fault saying the call is not supported) leaves the level-502 limit; any other failure
// fails the read, since a record with a made-up limit could be written back later.
Status applyLevel2Limit(Status call, std::span<const std::uint8_t> reply, ShareInfo502& info);

} // namespace corvane::smb
