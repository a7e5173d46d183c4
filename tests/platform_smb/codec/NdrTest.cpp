#include "platform/smb/codec/Ndr.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

using namespace corvane::smb;
using corvane::smb::test::hex;

TEST(NdrWriter, AlignsEachPrimitiveToItsSize) {
    NdrWriter w;
    w.u8(1);
    w.u16(2);
    w.u8(3);
    w.u32(4);
    EXPECT_EQ(w.data(), hex("01 00 0200 03 000000 04000000"));
}

TEST(NdrWriter, ConformantStringCarriesTerminatorAndCounts) {
    NdrWriter w;
    w.conformantString(u"ab");
    w.u32(7);
    EXPECT_EQ(w.data(), hex("03000000 00000000 03000000 6100 6200 0000 0000 07000000"));
}

TEST(NdrWriter, UniquePointersGetDistinctNonZeroReferents) {
    NdrWriter w;
    const std::u16string s = u"x";
    w.uniqueString(&s);
    w.uniqueString(nullptr);
    w.referent();
    NdrReader r(w.data());
    const auto first = r.u32();
    r.conformantString();
    EXPECT_NE(first, 0u);
    EXPECT_EQ(r.u32(), 0u);
    const auto second = r.u32();
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, first);
}

TEST(NdrReader, FailsForGoodPastTheEnd) {
    const auto data = hex("01000000 0200");
    NdrReader r(data);
    EXPECT_EQ(r.u32(), 1u);
    EXPECT_EQ(r.u32(), 0u); // only two bytes left
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.u16(), 0u); // sticky: nothing more is read
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(NdrReader, AlignmentPaddingMustBeThere) {
    const auto data = hex("01 00");
    NdrReader r(data);
    r.u8();
    r.u32();
    EXPECT_FALSE(r.ok());
}

struct StringCase {
    const char* name;
    const char* bytes;
    bool ok;
    std::u16string text;
};

class NdrStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(NdrStringTest, DecodesOrRefuses) {
    const auto data = hex(GetParam().bytes);
    NdrReader r(data);
    const auto text = r.conformantString();
    EXPECT_EQ(r.ok(), GetParam().ok);
    if (GetParam().ok) {
        EXPECT_EQ(text, GetParam().text);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NdrStringTest,
    ::testing::Values(
        StringCase{"terminated", "03000000 00000000 03000000 6100 6200 0000", true, u"ab"},
        StringCase{"unterminated", "02000000 00000000 02000000 6100 6200", true, u"ab"},
        StringCase{"empty", "01000000 00000000 01000000 0000", true, u""},
        StringCase{"actualAboveMax", "01000000 00000000 02000000 6100 0000", false, u""},
        StringCase{"offsetAboveMax", "01000000 02000000 00000000", false, u""},
        StringCase{"hugeCountShortData", "ffffffff 00000000 ffffffff 6100", false, u""},
        StringCase{"truncatedChars", "03000000 00000000 03000000 6100", false, u""},
        StringCase{"truncatedHeader", "03000000 0000", false, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NdrReader, UnicodeStringBufferMustAgreeWithItsLengths) {
    const auto good = hex("02000000 00000000 01000000 4100");
    NdrReader r(good);
    EXPECT_EQ(r.unicodeStringBuffer(2, 4), u"A");
    EXPECT_TRUE(r.ok());

    NdrReader odd(good);
    odd.unicodeStringBuffer(3, 4); // odd byte length
    EXPECT_FALSE(odd.ok());

    NdrReader mismatch(good);
    mismatch.unicodeStringBuffer(4, 4); // says two characters, array holds one
    EXPECT_FALSE(mismatch.ok());
}

TEST(NdrReader, ExpectElementsRefusesCountsTheDataCannotHold) {
    const auto data = hex("00000000 00000000");
    NdrReader r(data);
    EXPECT_TRUE(r.expectElements(2, 4));
    EXPECT_FALSE(r.expectElements(3, 4));
    EXPECT_FALSE(r.ok());
}
