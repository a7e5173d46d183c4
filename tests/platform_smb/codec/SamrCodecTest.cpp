#include "platform/smb/codec/SamrCodec.h"
#include "TestBytes.h"
#include "WireFixtures.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::smb;
using corvane::smb::test::hex;

namespace {

struct Answer {
    const char* name;
    bool groups; // GetGroupsForUser, else GetAliasMembership
    std::string bytes;
    Status result;
    std::vector<std::uint32_t> rids;
};

class SamrAnswers : public testing::TestWithParam<Answer> {};

} // namespace

// The membership answers as Samba sends them, and cut or inconsistent ones, which give nothing.
TEST_P(SamrAnswers, Decode) {
    const Answer& a = GetParam();
    std::vector<std::uint32_t> rids{99};
    std::uint32_t nt = 1;
    const auto stub = hex(a.bytes);
    const Status s = a.groups ? samr::decodeGetGroupsForUser(stub, rids, nt)
                              : samr::decodeGetAliasMembership(stub, rids, nt);
    EXPECT_EQ(s, a.result);
    EXPECT_EQ(rids, a.rids);
    if (s == status::Success) {
        EXPECT_EQ(nt, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, SamrAnswers,
    testing::Values(
        Answer{"groups", true, test::GroupsForUserReply, status::Success, {513, 1000}},
        Answer{"no_groups_buffer", true, "00000000 00000000", status::Success, {}},
        Answer{"groups_cut",
               true,
               "00000200 02000000 04000200 02000000 01020000 07000000",
               status::RpcProtocolError,
               {}},
        Answer{"groups_count_mismatch",
               true,
               "00000200 02000000 04000200 03000000 01020000 07000000 e8030000 07000000 00000000",
               status::RpcProtocolError,
               {}},
        Answer{"groups_count_huge",
               true,
               "00000200 ffffffff 04000200 ffffffff 00000000",
               status::RpcProtocolError,
               {}},
        Answer{"aliases", false, test::AliasMembershipReply, status::Success, {544}},
        Answer{"no_aliases", false, "00000000 00000000 00000000", status::Success, {}},
        Answer{"aliases_without_array",
               false,
               "01000000 00000000 00000000",
               status::RpcProtocolError,
               {}}),
    [](const testing::TestParamInfo<Answer>& info) { return std::string(info.param.name); });

TEST(SamrCodec, AliasMembershipRequestLayout) {
    samr::Handle h{};
    h[0] = 0xAA;
    const auto stub = samr::encodeGetAliasMembership(h, {*Sid::fromString("S-1-5-32-544")});
    EXPECT_EQ(stub, hex("aa000000 00000000 00000000 00000000 00000000"
                        "01000000 00000200 01000000 04000200"
                        "02000000 0102 000000000005 20000000 20020000"));
}
