#include "platform/smb/codec/StatusMapping.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;

struct NtRow {
    std::uint32_t nt;
    Status expected;
};

class NtStatusMapping : public ::testing::TestWithParam<NtRow> {};

TEST_P(NtStatusMapping, MapsToWin32) {
    EXPECT_EQ(statusFromNtStatus(GetParam().nt), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NtStatusMapping,
    ::testing::Values(
        NtRow{0x00000000, status::Success}, NtRow{0xC0000022, status::AccessDenied},
        NtRow{0xC000006D, status::LogonFailure}, NtRow{0xC0000073, status::NoneMapped},
        NtRow{0xC0000418, status::NtlmBlocked}, NtRow{0xC00000CC, status::BadNetName},
        NtRow{0xC00000BE, status::BadNetPath}, NtRow{0xC000000D, status::InvalidParameter},
        NtRow{0xC00000B5, status::SemaphoreTimeout}, NtRow{0xC0000078, status::InvalidSid},
        NtRow{0xC0000008, status::InvalidHandle}, NtRow{0xC000014B, status::BrokenPipe},
        NtRow{0xC000006E, win32::AccountRestriction}, NtRow{0xC0000001, win32::GenFailure},
        NtRow{0x00000107, status::Success}, // some not mapped: informational
        NtRow{0xC0DEC0DE, win32::MrMidNotFound}));

struct FaultRow {
    std::uint32_t fault;
    Status expected;
};

class FaultMapping : public ::testing::TestWithParam<FaultRow> {};

TEST_P(FaultMapping, MapsToWin32) {
    EXPECT_EQ(statusFromFault(GetParam().fault), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, FaultMapping,
                         ::testing::Values(FaultRow{0x1C010002, win32::ProcnumOutOfRange},
                                           FaultRow{0x1C010003, win32::UnknownInterface},
                                           FaultRow{0x1C01000B, status::RpcProtocolError},
                                           FaultRow{0x00000005, status::AccessDenied},
                                           FaultRow{0x000006F7, win32::BadStubData},
                                           FaultRow{0x00000000, status::RpcCallFailed},
                                           FaultRow{0x1C00FFFF, status::RpcCallFailed}));

struct ErrnoRow {
    int err;
    ErrnoContext context;
    Status expected;
};

class ErrnoMapping : public ::testing::TestWithParam<ErrnoRow> {};

TEST_P(ErrnoMapping, MapsToWin32) {
    EXPECT_EQ(statusFromErrno(GetParam().err, GetParam().context), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ErrnoMapping,
    ::testing::Values(ErrnoRow{ECONNREFUSED, ErrnoContext::Connect, status::BadNetPath},
                      ErrnoRow{EINVAL, ErrnoContext::Connect, status::BadNetPath},
                      ErrnoRow{ETIMEDOUT, ErrnoContext::Connect, status::SemaphoreTimeout},
                      ErrnoRow{ENOENT, ErrnoContext::Connect, status::RpcServerUnavailable},
                      ErrnoRow{EACCES, ErrnoContext::Connect, status::AccessDenied},
                      ErrnoRow{ETIMEDOUT, ErrnoContext::Transfer, status::SemaphoreTimeout},
                      ErrnoRow{ECONNRESET, ErrnoContext::Transfer, status::NetNameDeleted},
                      ErrnoRow{EPIPE, ErrnoContext::Transfer, status::BrokenPipe},
                      ErrnoRow{EIO, ErrnoContext::Transfer, status::RpcCallFailed},
                      ErrnoRow{ENOENT, ErrnoContext::Directory, status::PathNotFound},
                      ErrnoRow{ENOTDIR, ErrnoContext::Directory, status::PathNotFound},
                      ErrnoRow{EACCES, ErrnoContext::Directory, status::AccessDenied},
                      ErrnoRow{ENODEV, ErrnoContext::Directory, status::BadNetName},
                      ErrnoRow{EIO, ErrnoContext::Directory, status::UnexpectedNetworkError}));

struct ShareRow {
    ShareCall call;
    Status from;
    Status expected;
};

class ShareResultNormalisation : public ::testing::TestWithParam<ShareRow> {};

TEST_P(ShareResultNormalisation, GivesWindowsNumbers) {
    EXPECT_EQ(normalizeShareResult(GetParam().call, GetParam().from), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShareResultNormalisation,
    ::testing::Values(ShareRow{ShareCall::GetInfo, 123, status::NetNameNotFound},
                      ShareRow{ShareCall::Remove, 67, status::NetNameNotFound},
                      ShareRow{ShareCall::Add, 80, status::DuplicateShare},
                      ShareRow{ShareCall::Add, 2118, status::DuplicateShare},
                      ShareRow{ShareCall::Add, 123, 123}, // an invalid new name stays so
                      ShareRow{ShareCall::GetInfo, 5, status::AccessDenied},
                      ShareRow{ShareCall::Enumerate, 123, 123},
                      ShareRow{ShareCall::SetInfo, 0, 0}));

TEST(LogonFailure, OnlyAccessErrorsAskAgain) {
    EXPECT_TRUE(isLogonFailure(EACCES));
    EXPECT_TRUE(isLogonFailure(EPERM));
    EXPECT_FALSE(isLogonFailure(ECONNREFUSED));
    EXPECT_FALSE(isLogonFailure(ETIMEDOUT));
}

class ConnectFailureMapping : public ::testing::TestWithParam<NtRow> {};

TEST_P(ConnectFailureMapping, NotReachingTheServerIsABadPath) {
    EXPECT_EQ(statusFromConnectFailure(GetParam().nt), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ConnectFailureMapping,
                         ::testing::Values(NtRow{0xC0000236, status::BadNetPath},
                                           NtRow{0xC000023D, status::BadNetPath},
                                           NtRow{0xC0000034, status::BadNetPath},
                                           NtRow{0xC0000017, status::BadNetPath},
                                           NtRow{0xC00000CC, status::BadNetName},
                                           NtRow{0xC000006D, status::LogonFailure},
                                           NtRow{0xC00000B5, status::SemaphoreTimeout}));
