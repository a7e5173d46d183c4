#pragma once

#include "Enumeration.h"
#include "platform/SessionService.h"
#include "platform/Status.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace corvane::smb {

// NDR stubs of the server service's session and open-file calls: sessions at level 1, open
// files at level 3 (the levels Samba answers as well as Windows). Decoders return Success or
// RpcProtocolError (malformed data); the server's own result is stored in `result`.
namespace sessions {

inline constexpr std::uint16_t OpNetFileEnum = 9;
inline constexpr std::uint16_t OpNetFileClose = 11;
inline constexpr std::uint16_t OpNetSessionEnum = 12;
inline constexpr std::uint16_t OpNetSessionDel = 13;

inline constexpr std::uint32_t SessionLevel = 1;
inline constexpr std::uint32_t FileLevel = 3;
// The most records one answer may carry; more is a broken or hostile server.
inline constexpr std::uint32_t MaxRecords = 200000;
inline constexpr std::uint32_t SessGuest = 0x1; // sesi1_user_flags

// `server` is the service's server argument ("\\name"); client and user filters are left out.
std::vector<std::uint8_t> encodeSessionEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                            std::uint32_t preferredLength);
// `client` without backslashes, as the enumeration names it; the stub gives it with them.
std::vector<std::uint8_t> encodeSessionDel(std::u16string_view server, std::u16string_view client,
                                           std::u16string_view user);
std::vector<std::uint8_t> encodeFileEnum(std::u16string_view server, std::uint32_t resumeHandle,
                                         std::uint32_t preferredLength);
std::vector<std::uint8_t> encodeFileClose(std::u16string_view server, std::uint32_t id);

using SessionEnumReply = EnumReply<SessionInfo>;
using FileEnumReply = EnumReply<OpenFileInfo>;

Status decodeSessionEnum(std::span<const std::uint8_t> stub, SessionEnumReply& out);
Status decodeFileEnum(std::span<const std::uint8_t> stub, FileEnumReply& out);
// NetrSessionDel and NetrFileClose answer with the result alone.
Status decodeResult(std::span<const std::uint8_t> stub, Status& result);

} // namespace sessions
} // namespace corvane::smb
