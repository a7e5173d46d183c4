#include "platform/Sid.h"

#include <gtest/gtest.h>

using corvane::Sid;

struct SidRoundTrip {
    const char* text;
    std::size_t length;
};

class SidStringTest : public ::testing::TestWithParam<SidRoundTrip> {};

TEST_P(SidStringTest, RoundTripsThroughBinary) {
    const auto sid = Sid::fromString(GetParam().text);
    ASSERT_TRUE(sid);
    EXPECT_TRUE(sid->isValid());
    EXPECT_EQ(sid->length(), GetParam().length);
    EXPECT_EQ(sid->toString(), GetParam().text);
    const auto again = Sid::fromBytes(sid->bytes());
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *sid);
}

INSTANTIATE_TEST_SUITE_P(
    Known, SidStringTest,
    ::testing::Values(SidRoundTrip{"S-1-1-0", 12}, SidRoundTrip{"S-1-5-32-544", 16},
                      SidRoundTrip{"S-1-5-18", 12}, SidRoundTrip{"S-1-0", 8},
                      SidRoundTrip{"S-1-5-21-1004336348-1177238915-682003330-512", 28},
                      SidRoundTrip{"S-1-0x123456789ABC-7", 12}));

TEST(Sid, EveryoneHasTheKnownBytes) {
    const std::vector<std::uint8_t> expected{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
    EXPECT_EQ(Sid::fromString("S-1-1-0")->bytes(), expected);
    EXPECT_EQ(Sid::make(1, {0}).bytes(), expected);
}

TEST(Sid, RejectsMalformedText) {
    for (const char* bad : {"", "S-", "S-1", "S-2-1-0", "X-1-1-0", "S-1-1-", "S-1-1-x",
                            "S-1-1-4294967296", "S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16"})
        EXPECT_FALSE(Sid::fromString(bad)) << bad;
}

TEST(Sid, RejectsTruncatedOrMalformedBytes) {
    const auto sid = Sid::fromString("S-1-5-32-544")->bytes();
    for (std::size_t n = 0; n < sid.size(); ++n)
        EXPECT_FALSE(Sid::fromBytes(std::span(sid.data(), n))) << n;
    auto wrongRevision = sid;
    wrongRevision[0] = 2;
    EXPECT_FALSE(Sid::fromBytes(wrongRevision));
    auto tooMany = sid;
    tooMany[1] = 16;
    EXPECT_FALSE(Sid::fromBytes(tooMany));
    EXPECT_FALSE(Sid().isValid());
    EXPECT_EQ(Sid().toString(), "");
}

TEST(Sid, EqualityIsByBytes) {
    EXPECT_EQ(*Sid::fromString("S-1-5-32-544"), Sid::make(5, {32, 544}));
    EXPECT_NE(*Sid::fromString("S-1-5-32-544"), Sid::make(5, {32, 545}));
}
