#pragma once

#include <cstdint>

namespace corvane {

// Win32 / NERR status numbers, as the share and account services return them and as
// messages show them in decimal.
using Status = std::uint32_t;

namespace status {
inline constexpr Status Success = 0;
inline constexpr Status FileNotFound = 2;
inline constexpr Status PathNotFound = 3;
inline constexpr Status AccessDenied = 5;
inline constexpr Status NotEnoughMemory = 8;
inline constexpr Status NotSupported = 50;
inline constexpr Status BadNetPath = 53;
inline constexpr Status NetworkBusy = 54;
inline constexpr Status UnexpectedNetworkError = 59;
inline constexpr Status BadNetName = 67;
inline constexpr Status InvalidParameter = 87;
inline constexpr Status SemaphoreTimeout = 121;
inline constexpr Status InsufficientBuffer = 122;
inline constexpr Status InvalidName = 123;
inline constexpr Status MoreData = 234;
inline constexpr Status NoMoreItems = 259;
inline constexpr Status InvalidLevel = 124;
inline constexpr Status BrokenPipe = 109;
inline constexpr Status PipeNotConnected = 233;
inline constexpr Status Cancelled = 1223;
inline constexpr Status LogonFailure = 1326;
inline constexpr Status NoneMapped = 1332;
inline constexpr Status InvalidSid = 1337;
inline constexpr Status NtlmBlocked = 1937; // the server takes no NTLM (password) logon
inline constexpr Status RpcServerUnavailable = 1722;
inline constexpr Status RpcCallFailed = 1726;
inline constexpr Status RpcProtocolError = 1728;
inline constexpr Status InvalidTag = 1733; // an answer at another level (union arm) than asked
inline constexpr Status InvalidHandle = 6;
inline constexpr Status NetNameDeleted = 64;
inline constexpr Status DuplicateShare = 2118;
inline constexpr Status NetNameNotFound = 2310;
inline constexpr Status ClientNameNotFound = 2312;
inline constexpr Status FileIdNotFound = 2314;
inline constexpr Status NotLocalDomain = 2320;
} // namespace status

} // namespace corvane
