#include "platform/Acl.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {
const Sid kEveryone = Sid::make(1, {0});
const Sid kAdmins = Sid::make(5, {32, 544});
} // namespace

TEST(Acl, InitializeWritesTheHeader) {
    const auto acl = Acl::initialize(28, 2);
    ASSERT_TRUE(acl);
    const std::vector<std::uint8_t> header{2, 0, 28, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), acl->bytes().begin()));
    EXPECT_EQ(acl->bytes().size(), 28u);
    const auto info = acl->sizeInfo();
    EXPECT_EQ(info.aceCount, 0u);
    EXPECT_EQ(info.bytesInUse, 8u);
    EXPECT_EQ(info.bytesFree, 20u);
}

TEST(Acl, InitializeRefusesBadSizesAndRevisions) {
    EXPECT_FALSE(Acl::initialize(7, 2));
    EXPECT_FALSE(Acl::initialize(0x10000, 2));
    EXPECT_FALSE(Acl::initialize(16, 1));
    EXPECT_FALSE(Acl::initialize(16, 5));
    // The revisions a list may be read with can all be built again.
    EXPECT_TRUE(Acl::initialize(16, 3));
    EXPECT_TRUE(Acl::initialize(8, 4));
}

TEST(Acl, AllowedEntryLayout) {
    auto acl = Acl::initialize(28, 2);
    ASSERT_TRUE(acl->addAllowedAce(3, 0x10000000, kEveryone));
    const std::vector<std::uint8_t> expected{2, 0, 28, 0, 1, 0, 0, 0, //
                                             0, 3, 20, 0, 0, 0, 0, 0x10, 1, 1,
                                             0, 0, 0,  0, 0, 1, 0, 0,    0, 0};
    EXPECT_EQ(acl->bytes(), expected);
    const auto ace = acl->ace(0);
    ASSERT_TRUE(ace);
    EXPECT_EQ(ace->type, AccessAllowedAceType);
    EXPECT_EQ(ace->flags, 3);
    EXPECT_EQ(ace->size, 20);
    EXPECT_EQ(ace->mask, 0x10000000u);
    EXPECT_EQ(ace->sid, kEveryone);
    EXPECT_FALSE(acl->ace(1));
}

TEST(Acl, AddFailsWithoutRoomAndLeavesTheListAlone) {
    auto acl = Acl::initialize(27, 2);
    const auto before = acl->bytes();
    EXPECT_FALSE(acl->addDeniedAce(3, 1, kEveryone));
    EXPECT_EQ(acl->bytes(), before);
}

TEST(Acl, DeleteMovesLaterEntriesDownAndFailsPastTheEnd) {
    auto acl = Acl::initialize(8 + 20 + 24 + 20, 2);
    ASSERT_TRUE(acl->addAllowedAce(3, 1, kEveryone));
    ASSERT_TRUE(acl->addDeniedAce(3, 2, kAdmins));
    ASSERT_TRUE(acl->addAllowedAce(0x13, 3, kEveryone));
    EXPECT_FALSE(acl->deleteAce(3));
    ASSERT_TRUE(acl->deleteAce(0));
    EXPECT_EQ(acl->aceCount(), 2);
    EXPECT_EQ(acl->ace(0)->mask, 2u);
    EXPECT_EQ(acl->ace(0)->sid, kAdmins);
    EXPECT_EQ(acl->ace(1)->mask, 3u);
    EXPECT_EQ(acl->ace(1)->flags, 0x13);
    EXPECT_EQ(acl->sizeInfo().bytesFree, 20u);
    ASSERT_TRUE(acl->deleteAce(1));
    ASSERT_TRUE(acl->deleteAce(0));
    EXPECT_FALSE(acl->deleteAce(0));
    EXPECT_EQ(acl->sizeInfo().bytesInUse, 8u);
}

TEST(Acl, AddAceAppendsAnExactCopy) {
    auto source = Acl::initialize(28, 2);
    ASSERT_TRUE(source->addDeniedAce(0x13, 0xABCD, kEveryone));
    auto target = Acl::initialize(48, 2);
    ASSERT_TRUE(target->addAllowedAce(3, 1, kEveryone));
    ASSERT_TRUE(target->addAce(source->ace(0)->raw));
    EXPECT_EQ(target->ace(1)->raw, source->ace(0)->raw);
    EXPECT_FALSE(target->addAce(source->ace(0)->raw)); // full now
}

TEST(Acl, SetMaskWritesInPlaceOnlyForAllowedAndDenied) {
    auto acl = Acl::initialize(64, 2);
    ASSERT_TRUE(acl->addAllowedAce(3, 0x10000000, kEveryone));
    std::vector<std::uint8_t> other{9, 0, 8, 0, 1, 2, 3, 4};
    ASSERT_TRUE(acl->addAce(other));
    ASSERT_TRUE(acl->setMask(0, 0x80000000));
    EXPECT_EQ(acl->ace(0)->mask, 0x80000000u);
    EXPECT_FALSE(acl->setMask(1, 0));
    EXPECT_FALSE(acl->setMask(2, 0));
    EXPECT_FALSE(acl->ace(1)->sid);
}

TEST(Acl, FromBytesChecksEveryLength) {
    auto acl = Acl::initialize(28, 2);
    ASSERT_TRUE(acl->addAllowedAce(3, 1, kEveryone));
    const auto bytes = acl->bytes();
    EXPECT_TRUE(Acl::fromBytes(bytes));
    for (std::size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(Acl::fromBytes(std::span(bytes.data(), n))) << n;
    auto badCount = bytes;
    badCount[4] = 2;
    EXPECT_FALSE(Acl::fromBytes(badCount));
    auto badAceSize = bytes;
    badAceSize[10] = 2;
    EXPECT_FALSE(Acl::fromBytes(badAceSize));
}
