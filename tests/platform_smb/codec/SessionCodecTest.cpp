#include "platform/smb/codec/SessionCodec.h"
#include "TestBytes.h"
#include "WireFixtures.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace corvane;
using namespace corvane::smb;
using namespace corvane::smb::test;

namespace {

std::vector<std::uint8_t> replaced(const char* text, std::size_t offset, const char* value) {
    auto bytes = hex(text);
    const auto v = hex(value);
    std::copy(v.begin(), v.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return bytes;
}

} // namespace

TEST(SessionCodec, DecodesSessionsAtLevel1) {
    sessions::SessionEnumReply r;
    ASSERT_EQ(sessions::decodeSessionEnum(hex(SessionEnumReply), r), status::Success);
    ASSERT_EQ(r.records.size(), 1u);
    const SessionInfo& s = r.records[0];
    EXPECT_EQ(s.client, u"PC");
    EXPECT_EQ(s.user, u"al");
    EXPECT_EQ(s.openFiles, 3u);
    EXPECT_EQ(s.activeSeconds, 10u);
    EXPECT_EQ(s.idleSeconds, 5u);
    EXPECT_TRUE(s.guest);
    EXPECT_EQ(r.resumeHandle, 1u);
}

TEST(SessionCodec, DecodesOpenFilesAtLevel3) {
    sessions::FileEnumReply r;
    ASSERT_EQ(sessions::decodeFileEnum(hex(FileEnumReply), r), status::Success);
    ASSERT_EQ(r.records.size(), 1u);
    const OpenFileInfo& f = r.records[0];
    EXPECT_EQ(f.id, 42u);
    EXPECT_EQ(f.permissions, 3u);
    EXPECT_EQ(f.locks, 2u);
    EXPECT_EQ(f.path, u"C:\\a");
    EXPECT_EQ(f.user, u"al");
    EXPECT_FALSE(r.resumeHandle);
}

struct Malformed {
    const char* name;
    std::vector<std::uint8_t> stub;
};

class SessionCodecMalformed : public ::testing::TestWithParam<Malformed> {};

TEST_P(SessionCodecMalformed, IsAProtocolErrorWithNoRecords) {
    sessions::SessionEnumReply r;
    EXPECT_EQ(sessions::decodeSessionEnum(GetParam().stub, r), status::RpcProtocolError);
    EXPECT_TRUE(r.records.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SessionCodecMalformed,
    ::testing::Values(
        Malformed{"Truncated",
                  [] {
                      auto b = hex(SessionEnumReply);
                      b.resize(b.size() - 2);
                      return b;
                  }()},
        Malformed{"CountDiffersFromEntries", replaced(SessionEnumReply, 20, "02000000")},
        Malformed{"HugeCount", replaced(SessionEnumReply, 12, "ffffffff 04000200 ffffffff")},
        Malformed{"StringLongerThanItsArray", replaced(SessionEnumReply, 48,
                                                       "03000000 00000000 "
                                                       "09000000")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SessionCodec, AnswersAtAnotherLevelThanAskedGiveNoRecords) {
    sessions::SessionEnumReply s;
    EXPECT_EQ(sessions::decodeSessionEnum(replaced(SessionEnumReply, 0, "0a000000"), s),
              status::InvalidTag);
    EXPECT_TRUE(s.records.empty());
    sessions::FileEnumReply f;
    EXPECT_EQ(sessions::decodeFileEnum(replaced(FileEnumReply, 0, "02000000 02000000"), f),
              status::InvalidTag);
    EXPECT_TRUE(f.records.empty());
}

TEST(SessionCodec, CloseAndDeleteRequestsNameTheirTarget) {
    // The client goes out with the backslashes the service expects, the user always named.
    EXPECT_EQ(sessions::encodeSessionDel(u"\\\\S", u"PC", u""),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000"
                  "04000200 05000000 00000000 05000000 5c00 5c00 5000 4300 0000 0000"
                  "08000200 01000000 00000000 01000000 0000"));
    EXPECT_EQ(sessions::encodeFileClose(u"\\\\S", 42),
              hex("00000200 04000000 00000000 04000000 5c00 5c00 5300 0000 2a000000"));
}

struct OwnRow {
    const char* name;
    std::u16string client, user; // as listed
    const char* ourAddress;      // "" when not known
    std::u16string ourAccount;
    bool own;
};

class OwnSessions : public ::testing::TestWithParam<OwnRow> {};

TEST_P(OwnSessions, AreThoseFromOurAddressUnderOurAccount) {
    const OwnRow& row = GetParam();
    std::vector<SessionInfo> listed{{row.client, row.user}};
    // Connections over IPv4 and IPv6, or none whose address could be read.
    std::set<std::string> ours;
    if (*row.ourAddress)
        ours = {row.ourAddress, "fe80::1"};
    sessions::markOwnSessions(listed, ours, row.ourAccount);
    EXPECT_EQ(listed[0].thisProgram, row.own);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, OwnSessions,
    ::testing::Values(
        OwnRow{"Same", u"10.0.0.5", u"alice", "10.0.0.5", u"Alice", true},
        OwnRow{"OurUserElsewhere", u"10.0.0.9", u"alice", "10.0.0.5", u"alice", false},
        OwnRow{"WithDomains", u"10.0.0.5", u"DOM\\alice", "10.0.0.5", u"alice@DOM", true},
        OwnRow{"Mapped", u"\\\\[::FFFF:10.0.0.5]", u"alice", "10.0.0.5", u"alice", true},
        OwnRow{"IPv6", u"[FE80::1]", u"alice", "10.0.0.5", u"alice", true},
        // What is not known narrows nothing.
        OwnRow{"NoAddress", u"10.0.0.9", u"alice", "", u"alice", true},
        OwnRow{"NoAccount", u"10.0.0.5", u"bob", "10.0.0.5", u"", true},
        OwnRow{"NothingKnown", u"10.0.0.5", u"bob", "", u"", false}),
    [](const auto& info) { return std::string(info.param.name); });
