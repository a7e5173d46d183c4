#include "platform/smb/codec/SrvsvcCodec.h"
#include "TestBytes.h"
#include "WireFixtures.h"
#include "platform/smb/codec/StatusMapping.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;
using namespace corvane::smb::test;

namespace {} // namespace

TEST(SrvsvcCodec, GetInfoRequestLayout) {
    EXPECT_EQ(srvsvc::encodeShareGetInfo(u"\\\\S", u"ab"),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "03000000 00000000 03000000 6100 6200 0000 0000"
                  "f6010000"));
}

TEST(SrvsvcCodec, GetInfoRequestAtLevel2) {
    EXPECT_EQ(srvsvc::encodeShareGetInfo(u"\\\\S", u"ab", srvsvc::Level2),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "03000000 00000000 03000000 6100 6200 0000 0000"
                  "02000000"));
}

TEST(SrvsvcCodec, EnumRequestLayout) {
    EXPECT_EQ(srvsvc::encodeShareEnum(u"\\\\S", 9, 0xFFFFFFFF),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "f6010000 f6010000 04000200 00000000 00000000"
                  "ffffffff 08000200 09000000"));
}

TEST(SrvsvcCodec, DelRequestLayout) {
    EXPECT_EQ(srvsvc::encodeShareDel(u"\\\\S", u"x"),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "02000000 00000000 02000000 7800 0000 00000000"));
}

TEST(SrvsvcCodec, AddRequestCarriesDescriptorWithItsLength) {
    ShareInfo502 info;
    info.netname = u"n";
    info.remark = u"";
    info.path = u"C:";
    info.maxUses = 3;
    info.securityDescriptor = hex("01 00 04 80 00000000 00000000 00000000 00000000");
    EXPECT_EQ(srvsvc::encodeShareAdd(u"\\\\S", info),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "f6010000 f6010000 04000200"
                  "08000200 00000000 0c000200 00000000 03000000 00000000"
                  "10000200 00000000 14000000 14000200"
                  "02000000 00000000 02000000 6e00 0000"
                  "01000000 00000000 01000000 0000 0000"
                  "03000000 00000000 03000000 4300 3a00 0000 0000"
                  "14000000 01 00 04 80 00000000 00000000 00000000 00000000"
                  "00000000"));
}

TEST(SrvsvcCodec, SetSecurityRequestIsLevel1501WithTheDescriptorAlone) {
    EXPECT_EQ(srvsvc::encodeShareSetSecurity(
                  u"\\\\S", u"x", hex("01 00 04 80 00000000 00000000 00000000 00000000")),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "02000000 00000000 02000000 7800 0000"
                  "dd050000 dd050000 04000200 14000000 08000200"
                  "14000000 01 00 04 80 00000000 00000000 00000000 00000000"
                  "00000000"));
}

TEST(SrvsvcCodec, SetInfoAtLevel2CarriesTheLimitButNeverTheDescriptor) {
    ShareInfo502 info;
    info.netname = u"n";
    info.remark = u"";
    info.path = u"C:";
    info.maxUses = 3;
    info.currentUses = 9;
    info.securityDescriptor = hex("01 00 04 80 00000000 00000000 00000000 00000000");
    EXPECT_EQ(srvsvc::encodeShareSetInfo2(u"\\\\S", u"n", info),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "02000000 00000000 02000000 6e00 0000"
                  "02000000 02000000 04000200"
                  "08000200 00000000 0c000200 00000000 03000000 09000000"
                  "10000200 00000000"
                  "02000000 00000000 02000000 6e00 0000"
                  "01000000 00000000 01000000 0000 0000"
                  "03000000 00000000 03000000 4300 3a00 0000 0000"
                  "00000000"));
}

TEST(SrvsvcCodec, SetInfoAtLevel2WithPasswordAndNoLimit) {
    ShareInfo502 info;
    info.netname = u"n";
    info.remark = u"r";
    info.path = u"p";
    info.passwd = u"";
    EXPECT_EQ(srvsvc::encodeShareSetInfo2(u"\\\\S", u"n", info),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "02000000 00000000 02000000 6e00 0000"
                  "02000000 02000000 04000200"
                  "08000200 00000000 0c000200 00000000 ffffffff 00000000"
                  "10000200 14000200"
                  "02000000 00000000 02000000 6e00 0000"
                  "02000000 00000000 02000000 7200 0000"
                  "02000000 00000000 02000000 7000 0000"
                  "01000000 00000000 01000000 0000 0000"
                  "00000000"));
}

TEST(SrvsvcCodec, SetInfoWithoutDescriptorSendsNullPointerAndZeroLength) {
    ShareInfo502 info;
    info.netname = u"n";
    info.path = u"p";
    const auto stub = srvsvc::encodeShareSetInfo(u"\\\\S", u"n", info);
    // After the server name (24 bytes), the name (16), level, union arm and pointer: the
    // structure's reserved field and descriptor pointer are the 9th and 10th of its fields.
    const std::size_t fixed = 24 + 16 + 12;
    ASSERT_GT(stub.size(), fixed + 40);
    EXPECT_EQ(std::vector<std::uint8_t>(stub.begin() + fixed + 32, stub.begin() + fixed + 40),
              hex("00000000 00000000"));
    // ParmErr: a null pointer ends the stub.
    EXPECT_EQ(std::vector<std::uint8_t>(stub.end() - 4, stub.end()), hex("00000000"));
}

TEST(SrvsvcCodec, DecodesGetInfoReply) {
    srvsvc::ShareGetInfoReply r;
    ASSERT_EQ(srvsvc::decodeShareGetInfo(hex(GetInfoReply), r), status::Success);
    ASSERT_TRUE(r.info);
    EXPECT_EQ(r.result, 0u);
    EXPECT_EQ(r.info->netname, u"ab");
    EXPECT_EQ(r.info->remark, u"");
    EXPECT_EQ(r.info->path, u"C:");
    EXPECT_FALSE(r.info->passwd);
    EXPECT_EQ(r.info->maxUses, NoUserLimit);
    EXPECT_EQ(r.info->currentUses, 1u);
    EXPECT_EQ(r.info->securityDescriptor, hex("01 00 04 80 00000000 00000000 00000000 00000000"));
}

TEST(SrvsvcCodec, DecodesGetInfoFailureWithoutRecord) {
    srvsvc::ShareGetInfoReply r;
    ASSERT_EQ(srvsvc::decodeShareGetInfo(hex("f6010000 00000000 06090000"), r), status::Success);
    EXPECT_FALSE(r.info);
    EXPECT_EQ(r.result, status::NetNameNotFound);
}

TEST(SrvsvcCodec, DecodesGetInfoReplyAtLevel2) {
    srvsvc::ShareGetInfoReply r;
    ASSERT_EQ(srvsvc::decodeShareGetInfo2(hex(GetInfo2Reply), r), status::Success);
    ASSERT_TRUE(r.info);
    EXPECT_EQ(r.result, 0u);
    EXPECT_EQ(r.info->netname, u"ab");
    EXPECT_EQ(r.info->remark, u"");
    EXPECT_EQ(r.info->path, u"C:");
    EXPECT_FALSE(r.info->passwd);
    EXPECT_EQ(r.info->maxUses, 5u);
    EXPECT_EQ(r.info->currentUses, 2u);
    EXPECT_TRUE(r.info->securityDescriptor.empty());

    ASSERT_EQ(srvsvc::decodeShareGetInfo2(hex("02000000 00000000 06090000"), r), status::Success);
    EXPECT_FALSE(r.info);
    EXPECT_EQ(r.result, status::NetNameNotFound);
}

TEST(SrvsvcCodec, AnswerAtTheOtherLevelIsRefused) {
    srvsvc::ShareGetInfoReply r;
    EXPECT_EQ(srvsvc::decodeShareGetInfo2(hex(GetInfoReply), r), status::InvalidTag);
    EXPECT_FALSE(r.info);
    EXPECT_EQ(srvsvc::decodeShareGetInfo(hex(GetInfo2Reply), r), status::InvalidTag);
    EXPECT_FALSE(r.info);
}

TEST(SrvsvcCodec, EveryTruncationOfALevel2AnswerFails) {
    const auto full = hex(GetInfo2Reply);
    for (std::size_t n = 0; n < full.size(); ++n) {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
        srvsvc::ShareGetInfoReply r;
        EXPECT_EQ(srvsvc::decodeShareGetInfo2(cut, r), status::RpcProtocolError) << n;
        EXPECT_FALSE(r.info) << n;
    }
}

TEST(SrvsvcCodec, DecodesEnumReplyInParts) {
    srvsvc::ShareEnumReply r;
    ASSERT_EQ(srvsvc::decodeShareEnum(hex(ShareEnumAnswer), r), status::Success);
    ASSERT_EQ(r.records.size(), 2u);
    EXPECT_EQ(r.records[0].netname, u"a");
    EXPECT_EQ(r.records[0].remark, u"r");
    EXPECT_EQ(r.records[0].maxUses, 5u);
    EXPECT_TRUE(r.records[0].securityDescriptor.empty());
    EXPECT_EQ(r.records[1].netname, u"IPC$");
    EXPECT_EQ(r.records[1].type, StypeSpecial | StypeIpc);
    EXPECT_EQ(r.totalEntries, 5u);
    ASSERT_TRUE(r.resumeHandle);
    EXPECT_EQ(*r.resumeHandle, 2u);
    EXPECT_EQ(r.result, status::MoreData);
}

TEST(SrvsvcCodec, EveryTruncationFailsCleanly) {
    for (const char* reply : {GetInfoReply, ShareEnumAnswer}) {
        const auto full = hex(reply);
        for (std::size_t n = 0; n < full.size(); ++n) {
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
            srvsvc::ShareEnumReply e;
            srvsvc::ShareGetInfoReply g;
            EXPECT_EQ(srvsvc::decodeShareEnum(cut, e) == status::Success &&
                          srvsvc::decodeShareGetInfo(cut, g) == status::Success,
                      false)
                << n;
            EXPECT_TRUE(e.records.empty());
        }
    }
}

TEST(SrvsvcCodec, HostileCountsAreRefusedBeforeAllocation) {
    auto reply = hex(ShareEnumAnswer);
    // EntriesRead and the array's count both claim 0x10000000 entries.
    for (std::size_t at : {12u, 20u}) {
        reply[at] = 0;
        reply[at + 1] = 0;
        reply[at + 2] = 0;
        reply[at + 3] = 0x10;
    }
    srvsvc::ShareEnumReply r;
    EXPECT_EQ(srvsvc::decodeShareEnum(reply, r), status::RpcProtocolError);
}

TEST(SrvsvcCodec, CountDisagreeingWithEntriesReadIsRefused) {
    auto reply = hex(ShareEnumAnswer);
    reply[20] = 1; // the array says one, EntriesRead two
    srvsvc::ShareEnumReply r;
    EXPECT_EQ(srvsvc::decodeShareEnum(reply, r), status::RpcProtocolError);
}

TEST(SrvsvcCodec, DescriptorLengthMustMatchItsArray) {
    auto reply = hex(GetInfoReply);
    reply[40] = 0x13; // reserved says 19, the array holds 20
    srvsvc::ShareGetInfoReply r;
    EXPECT_EQ(srvsvc::decodeShareGetInfo(reply, r), status::RpcProtocolError);
}

TEST(SrvsvcCodec, OtherLevelIsRefused) {
    auto reply = hex(GetInfoReply);
    reply[0] = 0x01;
    reply[1] = 0x00; // level 1
    srvsvc::ShareGetInfoReply r;
    EXPECT_EQ(srvsvc::decodeShareGetInfo(reply, r), status::InvalidTag);
    // A listing answered at level 1 whatever was asked: no rows at all, not rows of garbage.
    auto listing = hex(ShareEnumAnswer);
    for (int at : {0, 4}) {
        listing[at] = 0x01;
        listing[at + 1] = 0x00;
    }
    srvsvc::ShareEnumReply e;
    EXPECT_EQ(srvsvc::decodeShareEnum(listing, e), status::InvalidTag);
    EXPECT_TRUE(e.records.empty());
}

TEST(SrvsvcCodec, ParmErrAndDelReplies) {
    srvsvc::ShareParmErrReply p;
    ASSERT_EQ(srvsvc::decodeShareAdd(hex("00000200 05000000 46080000"), p), status::Success);
    EXPECT_EQ(p.parmErr, 5u);
    EXPECT_EQ(p.result, status::DuplicateShare);
    ASSERT_EQ(srvsvc::decodeShareSetInfo(hex("00000000 00000000"), p), status::Success);
    EXPECT_FALSE(p.parmErr);
    EXPECT_EQ(p.result, 0u);
    EXPECT_EQ(srvsvc::decodeShareSetInfo(hex("00000200 05000000"), p), status::RpcProtocolError);
    Status del = 1;
    ASSERT_EQ(srvsvc::decodeShareDel(hex("06090000"), del), status::Success);
    EXPECT_EQ(del, status::NetNameNotFound);
    EXPECT_EQ(srvsvc::decodeShareDel(hex("0609"), del), status::RpcProtocolError);
}

TEST(SrvsvcCodec, ServerArgumentHasExactlyTwoBackslashes) {
    EXPECT_EQ(srvsvc::serverArgument(u"SRV1"), u"\\\\SRV1");
    EXPECT_EQ(srvsvc::serverArgument(u"\\\\SRV1"), u"\\\\SRV1");
    EXPECT_EQ(srvsvc::serverArgument(u"127.0.0.2"), u"\\\\127.0.0.2");
}

namespace {
// An enumeration answer of `count` records whose pointers are all null.
std::vector<std::uint8_t> enumOfEmptyRecords(std::uint32_t count) {
    auto reply = hex("f6010000 f6010000 00000200 00000000 04000200 00000000");
    for (std::size_t at : {12u, 20u})
        for (int i = 0; i < 4; ++i)
            reply[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count >> (8 * i));
    reply.resize(reply.size() + std::size_t{count} * 40);
    const auto tail = hex("00000000 00000000 00000000"); // total, no resume handle, success
    reply.insert(reply.end(), tail.begin(), tail.end());
    return reply;
}
} // namespace

TEST(SrvsvcCodec, RecordCountIsCapped) {
    srvsvc::ShareEnumReply r;
    EXPECT_EQ(srvsvc::decodeShareEnum(enumOfEmptyRecords(srvsvc::MaxShareRecords), r),
              status::Success);
    EXPECT_EQ(r.records.size(), srvsvc::MaxShareRecords);
    EXPECT_EQ(srvsvc::decodeShareEnum(enumOfEmptyRecords(srvsvc::MaxShareRecords + 1), r),
              status::RpcProtocolError);
    EXPECT_TRUE(r.records.empty());
}

namespace {
struct LimitRow {
    const char* name;
    Status call;
    const char* reply;
    Status expected;
    std::uint32_t maxUses;
};
class Level2LimitTest : public ::testing::TestWithParam<LimitRow> {};
} // namespace

// A server without level 2 keeps the level-502 limit; a transport failure or any other
// refusal fails the read rather than guess a limit.
TEST_P(Level2LimitTest, TakesTheLimitOrKeepsItOnlyWhenLevel2IsNotOffered) {
    const auto& row = GetParam();
    ShareInfo502 info;
    info.maxUses = 7;
    EXPECT_EQ(applyLevel2Limit(row.call, hex(row.reply), info), row.expected);
    EXPECT_EQ(info.maxUses, row.maxUses);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Level2LimitTest,
    ::testing::Values(
        LimitRow{"Answered", status::Success, GetInfo2Reply, status::Success, 5},
        LimitRow{"InvalidLevel", status::Success, "02000000 00000000 7c000000", status::Success, 7},
        LimitRow{"NotSupportedFault", win32::ProcnumOutOfRange, "", status::Success, 7},
        LimitRow{"Transport", status::NetNameDeleted, "", status::NetNameDeleted, 7},
        LimitRow{"Timeout", status::SemaphoreTimeout, "", status::SemaphoreTimeout, 7},
        LimitRow{"AccessDenied", status::Success, "02000000 00000000 05000000",
                 status::AccessDenied, 7},
        LimitRow{"Missing", status::Success, "02000000 00000000 7b000000", status::NetNameNotFound,
                 7},
        LimitRow{"NoRecord", status::Success, "02000000 00000000 00000000",
                 status::RpcProtocolError, 7},
        LimitRow{"Truncated", status::Success, "02000000 00000200", status::RpcProtocolError, 7}),
    [](const auto& info) { return std::string(info.param.name); });
