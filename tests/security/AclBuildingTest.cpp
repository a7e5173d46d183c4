#include "security/AclBuilding.h"
#include "platform/fake/FakeNetwork.h"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

const Sid A = Sid::make(5, {21, 1, 2, 3, 1001});
const Sid B = Sid::make(5, {21, 1, 2, 3, 1002});
const Sid C = Sid::make(5, {21, 1, 2, 3, 1003});
const Sid D = Sid::make(5, {21, 1, 2, 3, 1004});
const Sid E = Sid::make(5, {21, 1, 2, 3, 1005});

enum Type : std::uint8_t { Allow = AccessAllowedAceType, Deny = AccessDeniedAceType, Other = 9 };

struct Entry {
    std::uint8_t type;
    std::uint8_t flags;
    Sid sid;
    std::uint32_t mask;
};

// A list holding `entries` in order, with `spare` free bytes at the end.
Acl listOf(const std::vector<Entry>& entries, std::size_t spare = 0) {
    std::size_t size = AclHeaderSize + spare;
    for (const auto& e : entries)
        size += 8 + e.sid.length();
    auto acl = Acl::initialize(size, AclRevision);
    for (const auto& e : entries) {
        if (e.type == Other) {
            std::vector<std::uint8_t> raw(8 + e.sid.length(), 0);
            raw[0] = Other;
            raw[1] = e.flags;
            raw[2] = static_cast<std::uint8_t>(raw.size());
            std::copy(e.sid.bytes().begin(), e.sid.bytes().end(), raw.begin() + 8);
            EXPECT_TRUE(acl->addAce(raw));
        } else if (e.type == Allow) {
            EXPECT_TRUE(acl->addAllowedAce(e.flags, e.mask, e.sid));
        } else {
            EXPECT_TRUE(acl->addDeniedAce(e.flags, e.mask, e.sid));
        }
    }
    return *acl;
}

const Entry dA{Deny, 3, A, 1};
const Entry aB{Allow, 3, B, 2};
const Entry idC{Deny, 0x13, C, 3};
const Entry iaD{Allow, 0x13, D, 4};
const Entry oD{Other, 0, D, 0};
const Entry dA_afterAllow{Deny, 3, A, 1};

Entry newEntry(std::int32_t kind) {
    switch (kind) {
    case ExplicitAllow:
        return {Allow, 3, E, 0x10000000};
    case ExplicitDeny:
        return {Deny, 3, E, 0x10000000};
    case InheritedDeny:
        return {Deny, 0x13, E, 0x10000000};
    default:
        return {Allow, 0x13, E, 0x10000000};
    }
}

struct InsertionCase {
    const char* name;
    std::vector<Entry> before;
    std::int32_t kind;
    std::vector<int> order; // indices into `before`, -1 for the new entry
};

class AddAceToAclTest : public ::testing::TestWithParam<InsertionCase> {};

TEST_P(AddAceToAclTest, PlacesTheNewEntryByteExact) {
    const auto& c = GetParam();
    const Acl old = listOf(c.before);
    const auto result = AddAceToAcl(c.kind, old, E, 0x10000000);
    ASSERT_TRUE(result);
    std::vector<Entry> expected;
    for (int i : c.order)
        expected.push_back(i < 0 ? newEntry(c.kind) : c.before[i]);
    EXPECT_EQ(result->bytes(), listOf(expected).bytes());
    EXPECT_EQ(result->sizeInfo().bytesFree, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Phases, AddAceToAclTest,
    ::testing::Values(
        InsertionCase{"CanonicalExplicitDeny", {dA, aB, idC, iaD}, ExplicitDeny, {-1, 0, 1, 2, 3}},
        InsertionCase{
            "CanonicalExplicitAllow", {dA, aB, idC, iaD}, ExplicitAllow, {0, -1, 1, 2, 3}},
        InsertionCase{
            "CanonicalInheritedDeny", {dA, aB, idC, iaD}, InheritedDeny, {0, 1, -1, 2, 3}},
        InsertionCase{
            "CanonicalInheritedAllow", {dA, aB, idC, iaD}, InheritedAllow, {0, 1, 2, -1, 3}},
        InsertionCase{"NonCanonicalDenyGoesFirst", {aB, dA}, ExplicitDeny, {-1, 0, 1}},
        InsertionCase{"NonCanonicalAllowHasNoDenyRun", {aB, dA}, ExplicitAllow, {-1, 0, 1}},
        InsertionCase{"LateExplicitDenyIsInPhaseC", {aB, dA}, InheritedDeny, {0, -1, 1}},
        InsertionCase{"OtherTypeEndsRunsForAllow", {dA, oD, aB}, ExplicitAllow, {0, -1, 1, 2}},
        InsertionCase{"OtherTypeEndsRunsForDeny", {dA, oD, aB}, ExplicitDeny, {-1, 0, 1, 2}},
        InsertionCase{
            "OtherTypeEndsRunsForInheritedDeny", {dA, oD, aB}, InheritedDeny, {0, -1, 1, 2}},
        InsertionCase{
            "OtherTypeEndsRunsForInheritedAllow", {dA, oD, aB}, InheritedAllow, {0, -1, 1, 2}},
        InsertionCase{"EmptyListAllow", {}, ExplicitAllow, {-1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AddAceToAcl, NoOldListGivesOneEntryOf28BytesForEveryone) {
    const Sid everyone = Sid::make(1, {0});
    const auto acl = AddAceToAcl(ExplicitAllow, std::nullopt, everyone, GenericAll);
    ASSERT_TRUE(acl);
    const std::vector<std::uint8_t> expected{2, 0,    28, 0, 1, 0, 0, 0, 0, 3, 20, 0, 0, 0,
                                             0, 0x10, 1,  1, 0, 0, 0, 0, 0, 1, 0,  0, 0, 0};
    EXPECT_EQ(acl->bytes(), expected);
    const auto denied = AddAceToAcl(InheritedDeny, std::nullopt, everyone, GenericRead);
    EXPECT_EQ(denied->ace(0)->type, AccessDeniedAceType);
    EXPECT_EQ(denied->ace(0)->flags, 0x13);
}

TEST(AddAceToAcl, DuplicateSidGivesTwoEntries) {
    const Acl old = listOf({{Allow, 3, E, GenericRead}});
    const auto acl = AddAceToAcl(ExplicitAllow, old, E, GenericAll);
    ASSERT_TRUE(acl);
    ASSERT_EQ(acl->aceCount(), 2);
    EXPECT_EQ(acl->ace(0)->mask, GenericAll);
    EXPECT_EQ(acl->ace(1)->mask, GenericRead);
}

TEST(AddAceToAcl, KeepsTheOldRevisionAndDropsFreeSpace) {
    auto old = Acl::initialize(64, AclRevisionDs);
    ASSERT_TRUE(old->addAllowedAce(3, 1, A));
    const auto acl = AddAceToAcl(ExplicitDeny, *old, E, GenericRead);
    ASSERT_TRUE(acl);
    EXPECT_EQ(acl->revision(), AclRevisionDs);
    EXPECT_EQ(acl->aclSize(), 8 + 36 + 36);
}

TEST(AddAceToAcl, FailureLeavesTheOldListUntouched) {
    const Acl old = listOf({dA, aB});
    const auto before = old.bytes();
    EXPECT_FALSE(AddAceToAcl(ExplicitAllow, old, Sid(), GenericAll));
    // A list already at the largest size has no room for another entry.
    auto full = Acl::initialize(MaxAclSize, AclRevision);
    while (full->addAllowedAce(3, 1, A)) {
    }
    const auto fullBytes = full->bytes();
    EXPECT_FALSE(AddAceToAcl(ExplicitAllow, *full, E, GenericAll));
    EXPECT_EQ(full->bytes(), fullBytes);
    EXPECT_EQ(old.bytes(), before);
}

TEST(AddAceToAcl, UnknownKindAddsNothing) {
    const Acl old = listOf({dA, aB});
    EXPECT_FALSE(AddAceToAcl(4, old, E, GenericAll));
    EXPECT_FALSE(AddAceToAcl(-1, std::nullopt, E, GenericAll));
}

TEST(CopyAcl, CopiesEntriesWithoutFreeSpace) {
    const Acl source = listOf({dA, aB, oD}, 40);
    const auto copy = CopyAcl(source);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->aclSize(), source.sizeInfo().bytesInUse);
    EXPECT_EQ(copy->aceCount(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(copy->ace(i)->raw, source.ace(i)->raw);
    EXPECT_EQ(copy->sizeInfo().bytesFree, 0u);
    EXPECT_EQ(source.aclSize(), source.sizeInfo().bytesInUse + 40);
}

TEST(DefaultAcls, EveryoneAllowedGenericAll) {
    fake::FakeNetwork net;
    std::optional<DefaultAcls> acls;
    ASSERT_EQ(buildDefaultAcls(net, acls), status::Success);
    EXPECT_EQ(acls->currentAcl.aclSize(), 28);
    EXPECT_EQ(acls->currentAcl.ace(0)->mask, GenericAll);
    EXPECT_EQ(acls->currentAcl.ace(0)->flags, 3);
    EXPECT_EQ(acls->newShareAcl, acls->currentAcl);
}

TEST(DefaultAcls, UnresolvableEveryoneGivesTheMessage) {
    fake::FakeNetwork net;
    net.failNext(fake::Call::LookupName, status::NoneMapped);
    std::optional<DefaultAcls> acls;
    const Status built = buildDefaultAcls(net, acls);
    EXPECT_EQ(built, status::NoneMapped);
    EXPECT_EQ(defaultAclsFailure(built), "Could not find SID of 'Everyone'!");
}

} // namespace
