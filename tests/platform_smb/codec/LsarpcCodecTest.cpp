#include "platform/smb/codec/LsarpcCodec.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;
using corvane::smb::test::hex;

namespace {

lsarpc::PolicyHandle handle() {
    lsarpc::PolicyHandle h{};
    for (std::size_t i = 0; i < h.size(); ++i)
        h[i] = static_cast<std::uint8_t>(i + 1);
    return h;
}

const char* const HandleHex = "0102030405060708090a0b0c0d0e0f1011121314";

// LsarLookupNames answer for "Everyone": one domain (name "", SID S-1-1), the name
// translated as a well-known group with RID 0.
const char* const EveryoneReply = "00000200 01000000 04000200 20000000"
                                  "01000000 0000 0200 08000200 0c000200"
                                  "01000000 00000000 00000000"
                                  "00000000 01 00 000000000001"
                                  "01000000 10000200 01000000"
                                  "0500 0000 00000000 00000000"
                                  "01000000 00000000";

// LsarLookupSids answer for S-1-5-32-544: domain BUILTIN (S-1-5-32), name Administrators,
// an alias.
const char* const AdministratorsReply =
    "00000200 01000000 04000200 20000000"
    "01000000 0e00 1000 08000200 0c000200"
    "08000000 00000000 07000000 4200 5500 4900 4c00 5400 4900 4e00 0000"
    "01000000 01 01 000000000005 20000000"
    "01000000 10000200 01000000"
    "0400 0000 1c00 1c00 14000200 00000000"
    "0e000000 00000000 0e000000 4100 6400 6d00 6900 6e00 6900 7300 7400 7200 6100 7400 6f00 7200 "
    "7300"
    "01000000 00000000";

} // namespace

TEST(LsarpcCodec, OpenPolicy2RequestLayout) {
    EXPECT_EQ(lsarpc::encodeOpenPolicy2(u"\\\\S", lsarpc::PolicyLookupNames),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "18000000 00000000 00000000 00000000 00000000 00000000"
                  "00080000"));
}

TEST(LsarpcCodec, LookupNamesRequestLayout) {
    EXPECT_EQ(lsarpc::encodeLookupNames(handle(), {u"ab"}),
              hex(std::string(HandleHex) + "01000000 01000000 0400 0400 00000200"
                                           "02000000 00000000 02000000 6100 6200"
                                           "00000000 00000000 0100 0000 00000000"));
}

TEST(LsarpcCodec, LookupSidsRequestLayout) {
    EXPECT_EQ(lsarpc::encodeLookupSids(handle(), {*Sid::fromString("S-1-5-32-544")}),
              hex(std::string(HandleHex) + "01000000 00000200 01000000 04000200"
                                           "02000000 01 02 000000000005 20000000 20020000"
                                           "00000000 00000000 0100 0000 00000000"));
}

TEST(LsarpcCodec, DecodesOpenPolicyAndClose) {
    lsarpc::PolicyHandle h{};
    std::uint32_t nt = 1;
    ASSERT_EQ(lsarpc::decodeOpenPolicy2(hex(std::string(HandleHex) + "00000000"), h, nt),
              status::Success);
    EXPECT_EQ(h, handle());
    EXPECT_EQ(nt, 0u);
    EXPECT_EQ(lsarpc::decodeOpenPolicy2(hex(HandleHex), h, nt), status::RpcProtocolError);
    ASSERT_EQ(lsarpc::decodeClose(hex(std::string(HandleHex) + "220000c0"), nt), status::Success);
    EXPECT_EQ(nt, 0xC0000022u);
}

TEST(LsarpcCodec, DecodesEveryoneFromLookupNames) {
    lsarpc::LookupNamesReply r;
    ASSERT_EQ(lsarpc::decodeLookupNames(hex(EveryoneReply), r), status::Success);
    ASSERT_EQ(r.domains.size(), 1u);
    EXPECT_EQ(r.domains[0].name, u"");
    ASSERT_EQ(r.sids.size(), 1u);
    EXPECT_EQ(r.sids[0].use, SidNameUse::WellKnownGroup);
    EXPECT_EQ(r.mappedCount, 1u);
    const auto sid = lsarpc::sidOf(r.sids[0], r.domains);
    ASSERT_TRUE(sid);
    EXPECT_EQ(sid->toString(), "S-1-1-0");
}

TEST(LsarpcCodec, DecodesAdministratorsFromLookupSids) {
    lsarpc::LookupSidsReply r;
    ASSERT_EQ(lsarpc::decodeLookupSids(hex(AdministratorsReply), r), status::Success);
    ASSERT_EQ(r.domains.size(), 1u);
    EXPECT_EQ(r.domains[0].name, u"BUILTIN");
    EXPECT_EQ(r.domains[0].sid->toString(), "S-1-5-32");
    ASSERT_EQ(r.names.size(), 1u);
    EXPECT_EQ(r.names[0].name, u"Administrators");
    EXPECT_EQ(r.names[0].use, SidNameUse::Alias);
    EXPECT_EQ(r.names[0].domainIndex, 0);
}

TEST(LsarpcCodec, NoneMappedReplyWithoutDomains) {
    lsarpc::LookupNamesReply r;
    ASSERT_EQ(lsarpc::decodeLookupNames(hex("00000200 00000000 00000000 20000000"
                                            "01000000 04000200 01000000"
                                            "0800 0000 00000000 ffffffff"
                                            "00000000 730000c0"),
                                        r),
              status::Success);
    EXPECT_EQ(r.ntStatus, lsarpc::StatusNoneMapped);
    ASSERT_EQ(r.sids.size(), 1u);
    EXPECT_FALSE(lsarpc::sidOf(r.sids[0], r.domains));
}

TEST(LsarpcCodec, EveryTruncationFailsCleanly) {
    for (const char* reply : {EveryoneReply, AdministratorsReply}) {
        const auto full = hex(reply);
        for (std::size_t n = 0; n < full.size(); ++n) {
            const std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
            lsarpc::LookupNamesReply a;
            lsarpc::LookupSidsReply b;
            EXPECT_FALSE(lsarpc::decodeLookupNames(cut, a) == status::Success &&
                         lsarpc::decodeLookupSids(cut, b) == status::Success)
                << n;
        }
    }
}

TEST(LsarpcCodec, SidWithTooManySubAuthoritiesIsRefused) {
    auto reply = hex(AdministratorsReply);
    // The domain SID's conformance and count say 16 sub-authorities.
    const std::size_t at = 16 + 12 + 12 + 16;
    reply[at] = 16;
    reply[at + 5] = 16;
    lsarpc::LookupSidsReply r;
    EXPECT_EQ(lsarpc::decodeLookupSids(reply, r), status::RpcProtocolError);
}

struct SidOfCase {
    const char* name;
    SidNameUse use;
    std::uint32_t rid;
    std::int32_t index;
    const char* expected; // empty: no SID
};

class SidOfTest : public ::testing::TestWithParam<SidOfCase> {};

TEST_P(SidOfTest, BuildsDomainPlusRid) {
    const std::vector<lsarpc::ReferencedDomain> domains{
        {u"CORVANE", Sid::fromString("S-1-5-21-1-2-3")},
        {u"BUILTIN", Sid::fromString("S-1-5-32")},
        {u"NOSID", std::nullopt}};
    const auto& c = GetParam();
    const auto sid = lsarpc::sidOf({c.use, c.rid, c.index}, domains);
    if (std::string(c.expected).empty()) {
        EXPECT_FALSE(sid);
    } else {
        ASSERT_TRUE(sid) << c.name;
        EXPECT_EQ(sid->toString(), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SidOfTest,
    ::testing::Values(SidOfCase{"user", SidNameUse::User, 1001, 0, "S-1-5-21-1-2-3-1001"},
                      SidOfCase{"alias", SidNameUse::Alias, 544, 1, "S-1-5-32-544"},
                      SidOfCase{"domain", SidNameUse::Domain, 0xFFFFFFFF, 0, "S-1-5-21-1-2-3"},
                      SidOfCase{"unknown", SidNameUse::Unknown, 0, 0, ""},
                      SidOfCase{"negativeIndex", SidNameUse::User, 5, -1, ""},
                      SidOfCase{"indexPastEnd", SidNameUse::User, 5, 3, ""},
                      SidOfCase{"domainWithoutSid", SidNameUse::User, 5, 2, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LsarpcCodec, LongestNameFillsTheLengthField) {
    const std::u16string name(lsarpc::MaxNameLength, u'a');
    const auto stub = lsarpc::encodeLookupNames(lsarpc::PolicyHandle{}, {name});
    // After the handle and the two counts: Length and MaximumLength in bytes.
    EXPECT_EQ(stub[28] | (stub[29] << 8), 0xFFFE);
    EXPECT_EQ(stub[30] | (stub[31] << 8), 0xFFFE);
}

namespace {
struct LookupRow {
    const char* name;
    std::uint32_t ntStatus;
    SidNameUse use;
    const char16_t* translatedName; // what a SID lookup answers
    Status byName;
    Status bySid;
};
class LookupResultTest : public ::testing::TestWithParam<LookupRow> {};
} // namespace

// One entry in each answer: only a success status with the entry mapped finds an account;
// every informational status is a failure, never an empty account.
TEST_P(LookupResultTest, OnlyARealSuccessFindsAnAccount) {
    const auto& row = GetParam();
    const std::vector<lsarpc::ReferencedDomain> domains{
        {u"SRV", Sid::fromString("S-1-5-21-1-2-3")}};
    const Sid alice = *Sid::fromString("S-1-5-21-1-2-3-1001");
    const lsarpc::LookupNamesReply names{domains, {{row.use, 1001, 0}}, 1, row.ntStatus};
    const lsarpc::LookupSidsReply sids{
        domains, {{row.use, row.translatedName, 0}}, 1, row.ntStatus};
    Account byName;
    Account bySid;
    EXPECT_EQ(lsarpc::accountOf(names, u"SRV\\alice", byName), row.byName);
    EXPECT_EQ(lsarpc::accountOf(sids, alice, bySid), row.bySid);
    if (row.byName == status::Success) {
        EXPECT_EQ(byName.sid, alice);
        EXPECT_EQ(byName.name, u"alice");
        EXPECT_EQ(byName.domain, u"SRV");
    } else {
        EXPECT_FALSE(byName.sid.isValid());
    }
    if (row.bySid == status::Success) {
        EXPECT_EQ(bySid.name, row.translatedName);
        EXPECT_EQ(bySid.domain, u"SRV");
    } else {
        EXPECT_TRUE(bySid.name.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LookupResultTest,
    ::testing::Values(
        LookupRow{"Success", 0, SidNameUse::User, u"alice", status::Success, status::Success},
        LookupRow{"SomeNotMapped", 0x107, SidNameUse::User, u"alice", status::Success,
                  status::Success},
        LookupRow{"Pending", 0x103, SidNameUse::User, u"alice", status::NoneMapped,
                  status::NoneMapped},
        LookupRow{"Reparse", 0x104, SidNameUse::User, u"alice", status::NoneMapped,
                  status::NoneMapped},
        LookupRow{"LowestInformational", 0x1, SidNameUse::User, u"alice", status::NoneMapped,
                  status::NoneMapped},
        LookupRow{"HighestInformational", 0x3FFFFFFF, SidNameUse::User, u"alice",
                  status::NoneMapped, status::NoneMapped},
        LookupRow{"MoreEntries", 0x105, SidNameUse::User, u"alice", status::MoreData,
                  status::MoreData},
        LookupRow{"NoneMapped", 0xC0000073, SidNameUse::Unknown, u"", status::NoneMapped,
                  status::NoneMapped},
        LookupRow{"AccessDenied", 0xC0000022, SidNameUse::User, u"alice", status::AccessDenied,
                  status::AccessDenied},
        LookupRow{"UnknownUse", 0, SidNameUse::Unknown, u"alice", status::NoneMapped,
                  status::NoneMapped},
        LookupRow{"SidWithoutName", 0, SidNameUse::User, u"", status::Success, status::NoneMapped}),
    [](const auto& info) { return std::string(info.param.name); });
