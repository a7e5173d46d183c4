#include "platform/smb/codec/Utf.h"

#include <gtest/gtest.h>

using namespace corvane::smb;

struct Utf8Row {
    const char* name;
    std::u16string utf16;
    std::string utf8;
};

class Utf8Test : public ::testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8Test, RoundTrips) {
    EXPECT_EQ(toUtf8(GetParam().utf16), GetParam().utf8);
    EXPECT_EQ(fromUtf8(GetParam().utf8), GetParam().utf16);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Utf8Test,
    ::testing::Values(Utf8Row{"ascii", u"Data", "Data"},
                      Utf8Row{"latin", u"Donn\u00e9es",
                              "Donn\xc3\xa9"
                              "es"},
                      Utf8Row{"cjk", u"\u65e5\u672c\u8a9e", "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e"},
                      Utf8Row{"surrogatePair", u"\U0001F4C1", "\xf0\x9f\x93\x81"},
                      Utf8Row{"empty", u"", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
    EXPECT_EQ(fromUtf8("a\xff"
                       "b"),
              u"a\ufffdb");
    EXPECT_EQ(fromUtf8("a\xe6\x97"), u"a\ufffd");                           // truncated sequence
    EXPECT_EQ(fromUtf8("\xc0\xaf"), u"\ufffd");                             // overlong
    EXPECT_EQ(fromUtf8("\xed\xa0\x80"), u"\ufffd");                         // encoded surrogate
    EXPECT_EQ(toUtf8(std::u16string(1, char16_t(0xD800))), "\xef\xbf\xbd"); // lone surrogate
}
