#include "platform/SecurityDescriptor.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {
Acl everyoneFull() {
    auto acl = Acl::initialize(28, 2);
    acl->addAllowedAce(3, 0x10000000, Sid::make(1, {0}));
    return *acl;
}
} // namespace

TEST(SecurityDescriptor, ThreeDaclStatesSurviveARoundTrip) {
    SecurityDescriptor absent;
    SecurityDescriptor null = SecurityDescriptor::withNullDacl();
    SecurityDescriptor present = SecurityDescriptor::withDacl(everyoneFull());

    const auto a = SecurityDescriptor::parse(absent.toSelfRelative());
    const auto n = SecurityDescriptor::parse(null.toSelfRelative());
    const auto p = SecurityDescriptor::parse(present.toSelfRelative());
    ASSERT_TRUE(a && n && p);
    EXPECT_EQ(a->daclState(), DaclState::Absent);
    EXPECT_EQ(n->daclState(), DaclState::Null);
    EXPECT_FALSE(n->dacl());
    EXPECT_EQ(p->daclState(), DaclState::Present);
    EXPECT_EQ(p->dacl()->bytes(), everyoneFull().bytes());
}

TEST(SecurityDescriptor, SelfRelativeLayoutOfADaclOnlyDescriptor) {
    const auto bytes = SecurityDescriptor::withDacl(everyoneFull()).toSelfRelative();
    ASSERT_EQ(bytes.size(), 20u + 28u);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[2] | bytes[3] << 8, SeSelfRelative | SeDaclPresent);
    EXPECT_EQ(bytes[16], 20); // DACL right after the header
    for (int i = 4; i < 16; ++i)
        EXPECT_EQ(bytes[i], 0) << i;
}

TEST(SecurityDescriptor, ParsesOwnerAndGroupAndKeepsThem) {
    // Header, owner S-1-5-32-544 at 20, group S-1-5-18 at 36, DACL at 48.
    std::vector<std::uint8_t> bytes{1, 0, 0x04, 0x80, 20, 0, 0,  0, 36, 0,
                                    0, 0, 0,    0,    0,  0, 48, 0, 0,  0};
    const auto owner = Sid::make(5, {32, 544}).bytes();
    const auto group = Sid::make(5, {18}).bytes();
    bytes.insert(bytes.end(), owner.begin(), owner.end());
    bytes.insert(bytes.end(), group.begin(), group.end());
    const auto dacl = everyoneFull().bytes();
    bytes.insert(bytes.end(), dacl.begin(), dacl.end());
    const auto sd = SecurityDescriptor::parse(bytes);
    ASSERT_TRUE(sd);
    EXPECT_EQ(sd->owner(), Sid::make(5, {32, 544}));
    EXPECT_EQ(sd->group(), Sid::make(5, {18}));
    EXPECT_EQ(sd->dacl()->bytes(), dacl);
    const auto again = SecurityDescriptor::parse(sd->toSelfRelative());
    ASSERT_TRUE(again);
    EXPECT_EQ(*again, *sd);
}

TEST(SecurityDescriptor, RejectsHostileOffsetsAndTruncation) {
    const auto good = SecurityDescriptor::withDacl(everyoneFull()).toSelfRelative();
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_FALSE(SecurityDescriptor::parse(std::span(good.data(), n))) << n;
    auto pastEnd = good;
    pastEnd[16] = 200;
    EXPECT_FALSE(SecurityDescriptor::parse(pastEnd));
    auto intoHeader = good;
    intoHeader[16] = 4;
    EXPECT_FALSE(SecurityDescriptor::parse(intoHeader));
    auto absolute = good;
    absolute[3] = 0;
    EXPECT_FALSE(SecurityDescriptor::parse(absolute));
}

TEST(SecurityDescriptor, DaclOfGivesOnlyPresentLists) {
    EXPECT_FALSE(daclOf({}));
    EXPECT_FALSE(daclOf(SecurityDescriptor::withNullDacl().toSelfRelative()));
    EXPECT_FALSE(daclOf(SecurityDescriptor().toSelfRelative()));
    EXPECT_EQ(daclOf(SecurityDescriptor::withDacl(everyoneFull()).toSelfRelative())->bytes(),
              everyoneFull().bytes());
}

TEST(SecurityDescriptor, NullSaclSurvivesARoundTrip) {
    auto bytes = SecurityDescriptor::withDacl(everyoneFull()).toSelfRelative();
    bytes[2] |= SeSaclPresent; // present, offset 0: a null SACL
    const auto sd = SecurityDescriptor::parse(bytes);
    ASSERT_TRUE(sd);
    EXPECT_EQ(sd->toSelfRelative(), bytes);
}
