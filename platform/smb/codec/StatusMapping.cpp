#include "StatusMapping.h"

#include <cerrno>

namespace corvane::smb {

namespace {

template <typename K> struct Row {
    K key;
    Status value;
};

template <typename K, std::size_t N> const Status* find(const Row<K> (&table)[N], K key) {
    for (const auto& row : table)
        if (row.key == key)
            return &row.value;
    return nullptr;
}

namespace s = corvane::status;
namespace x = corvane::smb::win32;

constexpr Row<std::uint32_t> kNtStatus[] = {
    {0x00000000, s::Success},
    {0x00000105, s::MoreData},        // STATUS_MORE_ENTRIES
    {0x80000005, s::MoreData},        // STATUS_BUFFER_OVERFLOW
    {0x8000001A, s::NoMoreItems},     // STATUS_NO_MORE_ENTRIES
    {0xC0000001, x::GenFailure},      // STATUS_UNSUCCESSFUL
    {0xC0000002, x::InvalidFunction}, // STATUS_NOT_IMPLEMENTED
    {0xC0000008, s::InvalidHandle},
    {0xC000000D, s::InvalidParameter},
    {0xC0000017, s::NotEnoughMemory},
    {0xC0000022, s::AccessDenied},
    {0xC0000023, s::InsufficientBuffer},
    {0xC0000033, s::InvalidName},        // STATUS_OBJECT_NAME_INVALID
    {0xC0000034, s::FileNotFound},       // STATUS_OBJECT_NAME_NOT_FOUND
    {0xC000003A, s::PathNotFound},       // STATUS_OBJECT_PATH_NOT_FOUND
    {0xC0000064, x::NoSuchUser},         // STATUS_NO_SUCH_USER
    {0xC000006A, x::InvalidPassword},    // STATUS_WRONG_PASSWORD
    {0xC000006D, s::LogonFailure},       // STATUS_LOGON_FAILURE
    {0xC000006E, x::AccountRestriction}, // STATUS_ACCOUNT_RESTRICTION
    {0xC0000071, x::PasswordExpired},    // STATUS_PASSWORD_EXPIRED
    {0xC0000072, x::AccountDisabled},    // STATUS_ACCOUNT_DISABLED
    {0xC0000073, s::NoneMapped},         // STATUS_NONE_MAPPED
    {0xC0000078, s::InvalidSid},         // STATUS_INVALID_SID
    {0xC000009A, x::InsufficientResources},
    {0xC00000B0, s::PipeNotConnected}, // STATUS_PIPE_DISCONNECTED
    {0xC00000B5, s::SemaphoreTimeout}, // STATUS_IO_TIMEOUT
    {0xC00000BB, s::NotSupported},
    {0xC00000BE, s::BadNetPath},     // STATUS_BAD_NETWORK_PATH
    {0xC00000C9, s::NetNameDeleted}, // STATUS_NETWORK_NAME_DELETED
    {0xC00000CA, x::NetworkAccessDenied},
    {0xC00000CC, s::BadNetName},        // STATUS_BAD_NETWORK_NAME
    {0xC0000120, x::OperationAborted},  // STATUS_CANCELLED
    {0xC000014B, s::BrokenPipe},        // STATUS_PIPE_BROKEN
    {0xC000020C, s::NetNameDeleted},    // STATUS_CONNECTION_DISCONNECTED
    {0xC0000236, x::ConnectionRefused}, // STATUS_CONNECTION_REFUSED
    {0xC000023C, x::NetworkUnreachable},
    {0xC000023D, x::HostUnreachable},
    {0xC0000234, x::AccountLockedOut},
    {0xC0000418, s::NtlmBlocked}, // STATUS_NTLM_BLOCKED
};

constexpr Row<std::uint32_t> kFault[] = {
    {0x1C010002, x::ProcnumOutOfRange}, // nca_s_op_rng_error
    {0x1C010003, x::UnknownInterface},  // nca_s_unk_if
    {0x1C01000B, s::RpcProtocolError},  // nca_s_proto_error
    {0x1C010014, x::ServerTooBusy},     // nca_s_server_too_busy
    {0x000006F7, x::BadStubData},       // nca_s_fault_ndr
};

constexpr Row<int> kErrnoConnect[] = {
    {EACCES, s::AccessDenied},         {EPERM, s::AccessDenied},
    {ECONNREFUSED, s::BadNetPath},     {EHOSTUNREACH, s::BadNetPath},
    {ENETUNREACH, s::BadNetPath},      {EHOSTDOWN, s::BadNetPath},
    {EINVAL, s::BadNetPath}, // libsmbclient's answer for a host name it cannot resolve
    {ETIMEDOUT, s::SemaphoreTimeout},  {ENOENT, s::RpcServerUnavailable}, // the pipe is not there
    {ENODEV, s::BadNetName},           {ECONNRESET, s::NetNameDeleted},
    {ECONNABORTED, s::NetNameDeleted}, {EPIPE, s::NetNameDeleted},
    {ENOTCONN, s::NetNameDeleted},     {ENOMEM, s::NotEnoughMemory},
    {EBUSY, s::NetworkBusy},
};

constexpr Row<int> kErrnoTransfer[] = {
    {ETIMEDOUT, s::SemaphoreTimeout},
    {EACCES, s::AccessDenied},
    {EPIPE, s::BrokenPipe},
    {ECONNRESET, s::NetNameDeleted},
    {ECONNABORTED, s::NetNameDeleted},
    {ENOTCONN, s::NetNameDeleted},
    {EBADF, s::InvalidHandle},
    {ENOMEM, s::NotEnoughMemory},
    {EINVAL, s::InvalidParameter},
};

constexpr Row<int> kErrnoDirectory[] = {
    {EACCES, s::AccessDenied},         {EPERM, s::AccessDenied},
    {ENOENT, s::PathNotFound},         {ENOTDIR, s::PathNotFound},
    {ENODEV, s::BadNetName},           {EINVAL, s::InvalidParameter},
    {ENAMETOOLONG, s::InvalidName},    {ETIMEDOUT, s::SemaphoreTimeout},
    {ECONNREFUSED, s::BadNetPath},     {EHOSTUNREACH, s::BadNetPath},
    {ENETUNREACH, s::BadNetPath},      {ECONNRESET, s::NetNameDeleted},
    {ECONNABORTED, s::NetNameDeleted}, {EPIPE, s::NetNameDeleted},
    {ENOTCONN, s::NetNameDeleted},     {ENOMEM, s::NotEnoughMemory},
};

struct ShareRow {
    ShareCall call;
    Status from;
    Status to;
};

constexpr ShareRow kShareResults[] = {
    {ShareCall::GetInfo, s::InvalidName, s::NetNameNotFound},
    {ShareCall::SetInfo, s::InvalidName, s::NetNameNotFound},
    {ShareCall::Remove, s::BadNetName, s::NetNameNotFound},
    {ShareCall::Remove, s::InvalidName, s::NetNameNotFound},
    {ShareCall::Add, 80 /* ERROR_FILE_EXISTS */, s::DuplicateShare},
    {ShareCall::Add, 183 /* ERROR_ALREADY_EXISTS */, s::DuplicateShare},
};

} // namespace

Status normalizeShareResult(ShareCall call, Status result) {
    for (const auto& row : kShareResults)
        if (row.call == call && row.from == result)
            return row.to;
    return result;
}

Status statusFromNtStatus(std::uint32_t ntStatus) {
    if (const Status* s = find(kNtStatus, ntStatus))
        return *s;
    // Other success and informational codes carry no failure.
    if ((ntStatus >> 30) == 0)
        return s::Success;
    return x::MrMidNotFound;
}

Status statusFromFault(std::uint32_t faultStatus) {
    if (const Status* s = find(kFault, faultStatus))
        return *s;
    // Windows and Samba send Win32 numbers (5 access denied, 1783 bad stub data) as they are.
    if (faultStatus != 0 && faultStatus < 0x10000)
        return faultStatus;
    return s::RpcCallFailed;
}

Status statusFromErrno(int err, ErrnoContext context) {
    const Status* s = nullptr;
    switch (context) {
    case ErrnoContext::Connect:
        s = find(kErrnoConnect, err);
        break;
    case ErrnoContext::Transfer:
        s = find(kErrnoTransfer, err);
        break;
    case ErrnoContext::Directory:
        s = find(kErrnoDirectory, err);
        break;
    }
    if (s)
        return *s;
    return context == ErrnoContext::Transfer ? s::RpcCallFailed : s::UnexpectedNetworkError;
}

namespace {

constexpr Row<std::uint32_t> kConnectFailures[] = {
    {0xC0000236, s::BadNetPath}, // STATUS_CONNECTION_REFUSED
    {0xC000023C, s::BadNetPath}, // STATUS_NETWORK_UNREACHABLE
    {0xC000023D, s::BadNetPath}, // STATUS_HOST_UNREACHABLE
    {0xC00000BE, s::BadNetPath}, // STATUS_BAD_NETWORK_PATH
    {0xC0000141, s::BadNetPath}, // STATUS_INVALID_ADDRESS
    // Samba's RPC library (4.17) reports a name it cannot resolve as no such object, and a
    // server it cannot connect to (refused, or no answer) as being out of memory.
    {0xC0000034, s::BadNetPath},
    {0xC0000017, s::BadNetPath},
    {0xC000020D, s::NetNameDeleted}, // STATUS_CONNECTION_RESET
    {0xC0000011, s::NetNameDeleted}, // STATUS_END_OF_FILE
};

constexpr std::uint32_t kLogonRefusals[] = {
    0xC000006D, // STATUS_LOGON_FAILURE
    0xC000006A, // STATUS_WRONG_PASSWORD
    0xC0000064, // STATUS_NO_SUCH_USER
    0xC000015B, // STATUS_LOGON_TYPE_NOT_GRANTED
    0xC0000022, // STATUS_ACCESS_DENIED
};

} // namespace

Status statusFromConnectFailure(std::uint32_t ntStatus) {
    if (const Status* s = find(kConnectFailures, ntStatus))
        return *s;
    return statusFromNtStatus(ntStatus);
}

bool isLogonRefusal(std::uint32_t ntStatus) {
    for (std::uint32_t refusal : kLogonRefusals)
        if (refusal == ntStatus)
            return true;
    return false;
}

bool isLogonFailure(int err) {
    return err == EACCES || err == EPERM;
}

} // namespace corvane::smb
