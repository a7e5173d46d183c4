#pragma once

#include "Enumeration.h"
#include "platform/SessionService.h"
#include "platform/Status.h"

#include <cstdint>
#include <optional>
#include <set>
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

// Marks the sessions the program's own connections make (SessionInfo::thisProgram): listed
// from one of `clientAddresses`, the addresses the server sees those connections come from,
// under `account`, the user they logged on as (user, DOMAIN\user or a ticket's user@REALM).
// Servers name both their own way: the client with or without brackets or the IPv4-in-IPv6
// prefix, the user with or without its domain; letter case does not count. What is not known
// (no address, no account) narrows nothing: refusing one session too many is safe, ending the
// program's own is not.
void markOwnSessions(std::vector<SessionInfo>& sessions,
                     const std::set<std::string>& clientAddresses, std::u16string_view account);

} // namespace sessions
} // namespace corvane::smb
