#pragma once

#include "platform/Status.h"

#include <cstdint>

namespace corvane::smb {

// Win32 numbers the SMB backend reports besides those every layer knows (platform/Status.h).
namespace win32 {
inline constexpr Status InvalidFunction = 1;
inline constexpr Status GenFailure = 31;
inline constexpr Status NetworkAccessDenied = 65;
inline constexpr Status InvalidPassword = 86;
inline constexpr Status OperationAborted = 995;
inline constexpr Status ConnectionRefused = 1225;
inline constexpr Status NetworkUnreachable = 1231;
inline constexpr Status HostUnreachable = 1232;
inline constexpr Status NoSuchUser = 1317;
inline constexpr Status AccountRestriction = 1327;
inline constexpr Status PasswordExpired = 1330;
inline constexpr Status AccountDisabled = 1331;
inline constexpr Status InsufficientResources = 1450;
inline constexpr Status UnknownInterface = 1717;
inline constexpr Status ServerTooBusy = 1723;
inline constexpr Status ProcnumOutOfRange = 1745;
inline constexpr Status BadStubData = 1783;
inline constexpr Status AccountLockedOut = 1909;
// What the platform reports for an NT status it has no translation for.
inline constexpr Status MrMidNotFound = 317;
} // namespace win32

// NTSTATUS (LSA results, SMB errors) to Win32.
Status statusFromNtStatus(std::uint32_t ntStatus);
// The status of an RPC fault PDU to Win32.
Status statusFromFault(std::uint32_t faultStatus);

// What libsmbclient's errno means depends on what was being done.
enum class ErrnoContext {
    Connect,   // opening a named pipe on IPC$: reaching and logging on to the server
    Transfer,  // reading or writing an open pipe
    Directory, // listing a directory of a drive share
};
Status statusFromErrno(int err, ErrnoContext context);

// The share calls whose results are normalised below.
enum class ShareCall { Enumerate, GetInfo, SetInfo, Add, Remove };
// Samba answers a few share calls with other numbers than Windows does (a missing share on
// get is 123, on delete 67; an existing name on add is 80). The program's messages and
// decisions rely on the Windows numbers: 2310 and 2118.
Status normalizeShareResult(ShareCall call, Status result);

inline constexpr std::uint32_t NtAccessDenied = 0xC0000022;
// An NT status from connecting to a named pipe (reaching the server, logging on, opening the
// pipe, binding): as statusFromNtStatus, with every way of not reaching the server reported as
// the bad network path.
Status statusFromConnectFailure(std::uint32_t ntStatus);
// Whether an NT status from connecting says the logon was refused.
bool isLogonRefusal(std::uint32_t ntStatus);

// Whether an errno from connecting is a logon failure (wrong or missing credentials).
bool isLogonFailure(int err);

} // namespace corvane::smb
