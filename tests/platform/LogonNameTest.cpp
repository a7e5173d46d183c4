#include "platform/LogonName.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

struct Row {
    const char16_t* user;
    const char16_t* domain;
    const char16_t* wantUser;
    const char16_t* wantDomain;
};

class SplitLogonName : public ::testing::TestWithParam<Row> {};

} // namespace

TEST_P(SplitLogonName, GivesTheServerUserAndDomain) {
    const Row r = GetParam();
    const auto [user, domain] = splitLogonName(r.user, r.domain);
    EXPECT_EQ(user, r.wantUser);
    EXPECT_EQ(domain, r.wantDomain);
}

INSTANTIATE_TEST_SUITE_P(Forms, SplitLogonName,
                         ::testing::Values(Row{u"CORVANE\\alice", u"", u"alice", u"CORVANE"},
                                           Row{u"CORVANE\\alice", u"OTHER", u"alice", u"CORVANE"},
                                           Row{u"alice@CORVANE.TEST", u"CORVANE",
                                               u"alice@CORVANE.TEST", u""},
                                           Row{u" alice ", u" CORVANE ", u"alice", u"CORVANE"},
                                           Row{u"alice", u"", u"alice", u""}));

TEST(DescribeLogonFailure, NamesNtlmOnlyForItsRefusal) {
    EXPECT_NE(describeLogonFailure(status::NtlmBlocked).find(u"NTLM"), std::u16string::npos);
    EXPECT_TRUE(describeLogonFailure(status::LogonFailure).empty());
}
