#include "platform/smb/SmbContext.h"
#include "platform/smb/SmbNetwork.h"
#include "tests/support/StaticCredentials.h"

#include <gtest/gtest.h>

using namespace corvane::smb;

struct UrlRow {
    const char* name;
    std::u16string server;
    std::u16string nodePath;
    std::string expected; // empty: refused
};

class DirectoryUrlTest : public ::testing::TestWithParam<UrlRow> {};

TEST_P(DirectoryUrlTest, BuildsOrRefuses) {
    const auto url = directoryUrl(GetParam().server, GetParam().nodePath);
    if (GetParam().expected.empty()) {
        EXPECT_FALSE(url);
    } else {
        EXPECT_EQ(url.value_or("<none>"), GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DirectoryUrlTest,
    ::testing::Values(UrlRow{"driveRoot", u"SRV1", u"C$\\", "smb://SRV1/C$/"},
                      UrlRow{"nested", u"SRV1", u"D$\\Work\\", "smb://SRV1/D$/Work/"},
                      UrlRow{"withoutTrailingSlash", u"SRV1", u"D$\\Work", "smb://SRV1/D$/Work/"},
                      UrlRow{"uncPrefixOnServer", u"\\\\SRV1", u"C$\\", "smb://SRV1/C$/"},
                      UrlRow{"spaceAndPercent", u"s", u"C$\\Program Files\\50%\\",
                             "smb://s/C$/Program%20Files/50%25/"},
                      UrlRow{"nonAscii", u"s", u"C$\\Donn\u00e9es\\\u65e5\u672c\\",
                             "smb://s/C$/Donn%C3%A9es/%E6%97%A5%E6%9C%AC/"},
                      UrlRow{"urlSyntaxEscaped", u"s", u"C$\\a?b#c\\", "smb://s/C$/a%3Fb%23c/"},
                      UrlRow{"doubleBackslashesCollapse", u"s", u"C$\\\\x\\", "smb://s/C$/x/"},
                      UrlRow{"empty", u"s", u"", ""},
                      UrlRow{"leadingBackslash", u"s", u"\\C$\\", ""},
                      UrlRow{"dotDot", u"s", u"C$\\..\\", ""},
                      UrlRow{"emptyServer", u"", u"C$\\", ""},
                      UrlRow{"serverWithSlash", u"a/b", u"C$\\", ""},
                      UrlRow{"serverWithAt", u"u@h", u"C$\\", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DirectoryUrl, NoLengthLimit) {
    std::u16string path = u"C$\\";
    std::string expected = "smb://s/C$/";
    for (int i = 0; i < 40; ++i) {
        path += u"Level-abcdefghijklmnopqrstuvwxyz\\";
        expected += "Level-abcdefghijklmnopqrstuvwxyz/";
    }
    ASSERT_GT(path.size(), 1000u);
    EXPECT_EQ(directoryUrl(u"s", path), expected);
}

TEST(ConnectName, EmptyMeansThisComputer) {
    EXPECT_EQ(connectName(u""), u"localhost");
    EXPECT_EQ(connectName(u"\\\\SRV"), u"SRV");
    EXPECT_EQ(connectName(u"127.0.0.2"), u"127.0.0.2");
}

TEST(StaticCredentials, AnswersOnceThenCancelsAfterARefusal) {
    StaticCredentials creds(corvane::Credentials{u"admin", u"", u"secret"});
    creds.set(u"OTHER", corvane::Credentials{u"bob", u"DOM", u"pw"});
    auto first = creds.credentialsFor(u"SRV", u"");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->user, u"admin");
    auto other = creds.credentialsFor(u"OTHER", u"");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->domain, u"DOM");
    EXPECT_FALSE(creds.credentialsFor(u"SRV", u"The user name or password is incorrect."));
    EXPECT_EQ(creds.timesAsked(), 3);
    EXPECT_EQ(creds.lastFailure(), u"The user name or password is incorrect.");
}

TEST(StaticCredentials, WithoutAnswersCancels) {
    StaticCredentials none;
    EXPECT_FALSE(none.credentialsFor(u"SRV", u""));
}
