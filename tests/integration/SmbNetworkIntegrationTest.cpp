// Every call of the backend against the real test server.
#include "TestServer.h"
#include "platform/SecurityDescriptor.h"
#include "platform/smb/codec/Utf.h"
#include "shares/DriveProbe.h"

#include <QString>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

using namespace corvane;
using namespace corvane::integration;

namespace {

const ShareInfo502* find(const std::vector<ShareInfo502>& shares, const std::u16string& name) {
    const auto it = std::find_if(shares.begin(), shares.end(),
                                 [&](const ShareInfo502& s) { return s.netname == name; });
    return it == shares.end() ? nullptr : &*it;
}

// A list in the program's own canonical form with specific masks (the server keeps those as
// they are; generic bits it maps to specific ones).
Acl makeDacl(const std::vector<std::pair<bool, Sid>>& entries, std::uint32_t mask) {
    std::size_t size = AclHeaderSize;
    for (const auto& e : entries)
        size += 8 + e.second.length();
    auto acl = *Acl::initialize(size, AclRevision);
    for (const auto& [deny, sid] : entries) {
        if (deny)
            acl.addDeniedAce(0, mask, sid);
        else
            acl.addAllowedAce(0, mask, sid);
    }
    return acl;
}

class ShareCalls : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TestServer::primary().resetShares()); }
    static void TearDownTestSuite() { TestServer::primary().resetShares(); }

    const TestServer& server = TestServer::primary();
    Session session;
    smb::SmbNetwork& net = session.network;

    Sid accountSid(const std::u16string& name) {
        Account a;
        EXPECT_EQ(net.lookupName(server.address(), name, a), status::Success) << smb::toUtf8(name);
        return a.sid;
    }
};

} // namespace

TEST_F(ShareCalls, EnumerateListsTheDemoSharesWithDescriptors) {
    Status result = 1;
    const auto shares = enumerateAll(net, server.address(), &result);
    ASSERT_EQ(result, status::Success);
    for (const char16_t* name :
         {u"C$", u"D$", u"Public", u"Data", u"Alpha", u"Beta", u"Work", u"Archive", u"Backup$",
          u"Donn\u00e9es", u"\u65e5\u672c\u8a9e", u"Open", u"Locked", u"Users", u"Scratch"}) {
        const auto* share = find(shares, name);
        ASSERT_TRUE(share) << smb::toUtf8(name);
        EXPECT_FALSE(share->securityDescriptor.empty()) << smb::toUtf8(name);
    }
    const auto* ipc = find(shares, u"IPC$");
    ASSERT_TRUE(ipc);
    EXPECT_EQ(ipc->type & 0xFF, StypeIpc);
    EXPECT_EQ(find(shares, u"Alpha")->path, server.serverPath("C", "Data/Alpha"));
    EXPECT_EQ(find(shares, u"Donn\u00e9es")->remark,
              u"Donn\u00e9es partag\u00e9es \u2014 \u00e9t\u00e9 2024");
}

TEST_F(ShareCalls, OpeningAComputerReusesOneBoundPipe) {
    ShareInfo502 info;
    std::vector<ShareInfo502> shares;
    std::uint32_t resume = 0;
    ASSERT_EQ(net.enumerate(server.address(), shares, resume), status::Success);
    for (int i = 0; i < 26; ++i)
        net.getInfo(server.address(), std::u16string(1, char16_t(u'A' + i)) + u"$", info);
    EXPECT_EQ(net.bindCount(server.address()), 1u);
}

TEST_F(ShareCalls, GetGivesTheRecordWithItsAccessList) {
    ShareInfo502 alpha;
    ASSERT_EQ(net.getInfo(server.address(), u"Alpha", alpha), status::Success);
    EXPECT_EQ(alpha.netname, u"Alpha");
    EXPECT_EQ(alpha.remark, u"Project Alpha");
    EXPECT_EQ(alpha.type, StypeDisktree);
    const auto dacl = daclOf(alpha.securityDescriptor);
    ASSERT_TRUE(dacl);
    ASSERT_EQ(dacl->aceCount(), 3);
    std::set<std::string> allowed, denied;
    for (std::size_t i = 0; i < 3; ++i) {
        const auto ace = dacl->ace(i);
        ASSERT_TRUE(ace && ace->sid);
        (ace->type == AccessDeniedAceType ? denied : allowed).insert(ace->sid->toString());
    }
    EXPECT_EQ(denied, std::set<std::string>{accountSid(server.user2()).toString()});
    EXPECT_EQ(allowed, (std::set<std::string>{accountSid(server.group()).toString(),
                                              accountSid(server.adminUser()).toString()}));
}

TEST_F(ShareCalls, NullAndEmptyAccessListsAreToldApart) {
    ShareInfo502 open, locked;
    ASSERT_EQ(net.getInfo(server.address(), u"Open", open), status::Success);
    ASSERT_EQ(net.getInfo(server.address(), u"Locked", locked), status::Success);
    const auto openSd = SecurityDescriptor::parse(open.securityDescriptor);
    const auto lockedSd = SecurityDescriptor::parse(locked.securityDescriptor);
    ASSERT_TRUE(openSd && lockedSd);
    EXPECT_EQ(openSd->daclState(), DaclState::Null);
    EXPECT_EQ(lockedSd->daclState(), DaclState::Present);
    EXPECT_EQ(lockedSd->dacl()->aceCount(), 0);
}

TEST_F(ShareCalls, SetChangesCommentLimitAndAccessList) {
    ShareInfo502 scratch;
    ASSERT_EQ(net.getInfo(server.address(), u"Scratch", scratch), status::Success);
    const Acl dacl = makeDacl({{true, accountSid(server.user2())},
                               {false, accountSid(server.user1())},
                               {false, *Sid::fromString("S-1-1-0")}},
                              0x001301BF);
    scratch.remark = u"Changed by the test \u00e9";
    scratch.maxUses = 7;
    scratch.securityDescriptor = SecurityDescriptor::withDacl(dacl).toSelfRelative();
    ASSERT_EQ(net.setInfo(server.address(), u"Scratch", scratch), status::Success);

    ShareInfo502 back;
    ASSERT_EQ(net.getInfo(server.address(), u"Scratch", back), status::Success);
    EXPECT_EQ(back.remark, u"Changed by the test \u00e9");
    EXPECT_EQ(back.path, scratch.path);
    const auto backDacl = daclOf(back.securityDescriptor);
    ASSERT_TRUE(backDacl);
    EXPECT_EQ(backDacl->bytes(), dacl.bytes());
    EXPECT_EQ(back.maxUses, 7u);
    EXPECT_EQ(server.shareParameter("Scratch", "max connections"), "7");
}

// Samba serves RPC calls from several worker processes, each with the share definitions it last
// loaded, so a share removed over another connection can still be read over this one. A check of
// what a change did must not believe that read.
TEST_F(ShareCalls, ACheckIsNotFooledByAShareAnotherConnectionRemoved) {
    ShareInfo502 record, now;
    ASSERT_EQ(net.getInfo(server.address(), u"Scratch", record), status::Success);
    record.netname = u"Vanishing";
    Session other;
    ASSERT_EQ(other.network.add(server.address(), record), status::Success);
    ASSERT_EQ(net.getInfo(server.address(), u"Vanishing", now), status::Success);
    ASSERT_EQ(other.network.remove(server.address(), u"Vanishing"), status::Success);
    if (net.getInfo(server.address(), u"Vanishing", now) != status::Success)
        GTEST_SKIP() << "one process served both connections: nothing was left behind";
    EXPECT_EQ(net.checkInfo(server.address(), u"Vanishing", now), status::NetNameNotFound);
}

namespace {

struct LimitRow {
    const char16_t* share;
    std::uint32_t maxUses;
};

class DemoLimits : public ::testing::TestWithParam<LimitRow> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TestServer::primary().resetShares()); }
    const TestServer& server = TestServer::primary();
    Session session;
};

} // namespace

// Level 502 reports "no limit" for all of them on Samba; getInfo must give the real one.
TEST_P(DemoLimits, GetReadsTheShareLimit) {
    ShareInfo502 info;
    ASSERT_EQ(session.network.getInfo(server.address(), GetParam().share, info), status::Success);
    EXPECT_EQ(info.netname, GetParam().share);
    EXPECT_EQ(info.maxUses, GetParam().maxUses);
}

INSTANTIATE_TEST_SUITE_P(DemoShares, DemoLimits,
                         ::testing::Values(LimitRow{u"Alpha", 5}, LimitRow{u"Beta", 10},
                                           LimitRow{u"Work", 25}, LimitRow{u"Users", 1},
                                           LimitRow{u"Donn\u00e9es", 3},
                                           LimitRow{u"Public", NoUserLimit},
                                           LimitRow{u"C$", NoUserLimit}));

TEST_F(ShareCalls, LimitIsSetAndClearedKeepingCommentAndAccessList) {
    ShareInfo502 beta;
    ASSERT_EQ(net.getInfo(server.address(), u"Beta", beta), status::Success);
    ASSERT_EQ(beta.maxUses, 10u);
    const auto dacl = daclOf(beta.securityDescriptor);
    ASSERT_TRUE(dacl);

    for (const std::uint32_t limit : {3u, NoUserLimit, 10u}) {
        beta.maxUses = limit;
        ASSERT_EQ(net.setInfo(server.address(), u"Beta", beta), status::Success) << limit;
        // Read back on this connection and on a new one opened as the program opens a
        // computer. (A new connection may reach a server process that still holds the old
        // definition until an enumeration makes it reload the shares.)
        Session fresh;
        std::vector<ShareInfo502> listed;
        std::uint32_t resume = 0;
        ASSERT_EQ(fresh.network.enumerate(server.address(), listed, resume), status::Success);
        for (smb::SmbNetwork* reader : {&net, &fresh.network}) {
            ShareInfo502 back;
            ASSERT_EQ(reader->getInfo(server.address(), u"Beta", back), status::Success);
            EXPECT_EQ(back.maxUses, limit);
            EXPECT_EQ(back.remark, u"Project Beta");
            EXPECT_EQ(back.path, beta.path);
            const auto backDacl = daclOf(back.securityDescriptor);
            ASSERT_TRUE(backDacl);
            EXPECT_EQ(backDacl->bytes(), dacl->bytes()) << limit;
        }
    }
    EXPECT_EQ(server.shareParameter("Beta", "max connections"), "10");
}

TEST_F(ShareCalls, LimitIsSetWithoutADescriptorInTheRecord) {
    ShareInfo502 work;
    ASSERT_EQ(net.getInfo(server.address(), u"Work", work), status::Success);
    const auto before = work.securityDescriptor;
    work.securityDescriptor.clear(); // only level 502 and level 2 go out
    work.maxUses = 2;
    ASSERT_EQ(net.setInfo(server.address(), u"Work", work), status::Success);
    ShareInfo502 back;
    ASSERT_EQ(net.getInfo(server.address(), u"Work", back), status::Success);
    EXPECT_EQ(back.maxUses, 2u);
    EXPECT_EQ(back.securityDescriptor, before);
    EXPECT_EQ(server.shareParameter("Work", "max connections"), "2");

    work.maxUses = 25;
    ASSERT_EQ(net.setInfo(server.address(), u"Work", work), status::Success);
    ASSERT_EQ(net.getInfo(server.address(), u"Work", back), status::Success);
    EXPECT_EQ(back.maxUses, 25u);
    EXPECT_EQ(server.shareParameter("Work", "max connections"), "25");
}

TEST_F(ShareCalls, AddWithDescriptorReadsBackByteEqualThenDelete) {
    // Many entries make the request larger than one fragment (4,280 bytes on a named pipe).
    Session fragmented(server);
    std::vector<std::pair<bool, Sid>> entries{{true, accountSid(server.user2())}};
    for (std::uint32_t rid = 2000; rid < 2200; ++rid)
        entries.push_back({false, Sid::make(5, {21, 1111, 2222, 3333, rid})});
    entries.push_back({false, *Sid::fromString("S-1-5-32-544")});
    const Acl dacl = makeDacl(entries, 0x001F01FF);
    ASSERT_GT(dacl.bytes().size(), 4280u);

    ShareInfo502 info;
    info.netname = u"ItAdded";
    info.remark = u"Added by the integration test";
    info.path = server.serverPath("D", "Scratch");
    info.maxUses = 4;
    info.securityDescriptor = SecurityDescriptor::withDacl(dacl).toSelfRelative();
    auto& net2 = fragmented.network;
    net2.remove(server.address(), u"ItAdded"); // left over from an interrupted run
    ASSERT_EQ(net2.add(server.address(), info), status::Success);
    EXPECT_EQ(net2.add(server.address(), info), status::DuplicateShare);

    ShareInfo502 back;
    ASSERT_EQ(net2.getInfo(server.address(), u"ItAdded", back), status::Success);
    EXPECT_EQ(back.remark, info.remark);
    EXPECT_EQ(back.path, info.path);
    EXPECT_EQ(back.maxUses, 4u);
    const auto backDacl = daclOf(back.securityDescriptor);
    ASSERT_TRUE(backDacl);
    EXPECT_EQ(backDacl->bytes(), dacl.bytes());

    ASSERT_EQ(net2.remove(server.address(), u"ItAdded"), status::Success);
    EXPECT_EQ(net2.getInfo(server.address(), u"ItAdded", back), status::NetNameNotFound);
}

TEST_F(ShareCalls, MissingSharesGiveNetNameNotFound) {
    ShareInfo502 info;
    EXPECT_EQ(net.getInfo(server.address(), u"NoSuchShare", info), status::NetNameNotFound);
    EXPECT_EQ(net.remove(server.address(), u"NoSuchShare"), status::NetNameNotFound);
    info.netname = u"NoSuchShare";
    info.path = server.serverPath("D", "Scratch");
    EXPECT_EQ(net.setInfo(server.address(), u"NoSuchShare", info), status::NetNameNotFound);
}

TEST_F(ShareCalls, ListShowsWhatTheEnumerationHolds) {
    Status result = 1;
    const auto full = enumerateAll(net, server.address(), &result);
    ASSERT_EQ(result, status::Success);
    std::vector<ShareInfo502> listed, part;
    std::uint32_t resume = 0;
    do {
        result = net.listShares(server.address(), part, resume);
        listed.insert(listed.end(), part.begin(), part.end());
    } while (result == status::MoreData);
    ASSERT_EQ(result, status::Success);
    ASSERT_EQ(listed.size(), full.size());
    for (const ShareInfo502& share : full) {
        const auto* same = find(listed, share.netname);
        ASSERT_TRUE(same) << smb::toUtf8(share.netname);
        EXPECT_EQ(same->type, share.type) << smb::toUtf8(share.netname);
        EXPECT_EQ(same->path, share.path) << smb::toUtf8(share.netname);
        EXPECT_EQ(same->remark, share.remark) << smb::toUtf8(share.netname);
    }
}

TEST_F(ShareCalls, DriveProbeAndEnumerationFindExactlyCAndD) {
    EXPECT_EQ(probeDriveShares(net, QString::fromStdU16String(server.address())),
              (QStringList{"C", "D"}));
    // The tree an open reads from its enumeration is the one the probes find.
    Status result = 1;
    QStringList names;
    for (const ShareInfo502& share : enumerateAll(net, server.address(), &result))
        names.append(QString::fromStdU16String(share.netname));
    ASSERT_EQ(result, status::Success);
    EXPECT_EQ(driveSharesAmong(names), (QStringList{"C", "D"}));
}

class ManyShares : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TestServer::primary().bulkShares(2000)); }
    static void TearDownTestSuite() { TestServer::primary().resetShares(); }
    const TestServer& server = TestServer::primary();
};

TEST_F(ManyShares, AllTwoThousandArriveInFragments) {
    // The answer of some 400 KB arrives in about a hundred fragments.
    Session session(server);
    Status result = 1;
    const auto shares = enumerateAll(session.network, server.address(), &result);
    ASSERT_EQ(result, status::Success);
    std::set<std::u16string> names;
    for (const auto& s : shares)
        names.insert(s.netname);
    EXPECT_EQ(names.size(), shares.size());
    for (int i = 1; i <= 2000; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Bulk%05d", i);
        ASSERT_TRUE(names.count(smb::fromUtf8(name))) << name;
    }
    EXPECT_TRUE(names.count(u"Alpha"));
}

TEST_F(ManyShares, ResumeHandleContinuesWhereItPoints) {
    Session session(server);
    std::vector<ShareInfo502> all, rest;
    std::uint32_t resume = 0;
    ASSERT_EQ(session.network.enumerate(server.address(), all, resume), status::Success);
    ASSERT_GT(all.size(), 2000u);
    resume = 1500;
    ASSERT_EQ(session.network.enumerate(server.address(), rest, resume), status::Success);
    ASSERT_EQ(rest.size(), all.size() - 1500);
    EXPECT_EQ(rest.front().netname, all[1500].netname);
    EXPECT_EQ(rest.back().netname, all.back().netname);
}

// A small preferred length: Windows answers in parts, each ending in MoreData and a resume
// handle that points past it; Samba answers everything at once whatever the length.
TEST_F(ManyShares, SmallPreferredLengthPagesOnlyOnWindows) {
    smb::SmbOptions options = integrationOptions();
    options.enumPreferredLength = 16 * 1024;
    Session session(server, options);
    std::set<std::u16string> names;
    std::vector<ShareInfo502> part;
    std::uint32_t resume = 0;
    int parts = 0;
    Status last = status::Success;
    do {
        last = session.network.enumerate(server.address(), part, resume);
        ASSERT_TRUE(last == status::Success || last == status::MoreData) << last;
        ++parts;
        for (const auto& s : part)
            EXPECT_TRUE(names.insert(s.netname).second) << smb::toUtf8(s.netname);
    } while (last == status::MoreData && parts < 1000);
    EXPECT_EQ(last, status::Success);
    EXPECT_GT(names.size(), 2000u);
    if (server.windowsLike())
        EXPECT_GT(parts, 10);
    else
        EXPECT_EQ(parts, 1);
}

namespace {

struct LookupRow {
    const char* name;
    std::u16string account; // "" entries are filled from the server below
    const char* role;       // which test account, when `account` is empty
    SidNameUse use;         // as Samba answers
    SidNameUse windowsUse;  // as Windows answers: a computer's own group is an alias there
    const char* domain;     // "NETBIOS" for the server's own name
    const char* sid;        // expected SID, or "" when it is the server's
};

class Lookups : public ::testing::TestWithParam<LookupRow> {
protected:
    const TestServer& server = TestServer::primary();
    Session session;

    std::u16string accountName(const LookupRow& row) const {
        if (!row.account.empty())
            return row.account;
        const std::string role = row.role;
        return role == "admin"  ? server.adminUser()
               : role == "user" ? server.user1()
                                : server.group();
    }
};

} // namespace

TEST_P(Lookups, NameAndSidBothWays) {
    const auto& row = GetParam();
    const SidNameUse use = server.windowsLike() ? row.windowsUse : row.use;
    Account byName;
    ASSERT_EQ(session.network.lookupName(server.address(), accountName(row), byName),
              status::Success);
    EXPECT_EQ(byName.use, use);
    const std::u16string domain =
        std::string(row.domain) == "NETBIOS" ? server.netbiosName() : smb::fromUtf8(row.domain);
    EXPECT_EQ(byName.domain, domain);
    if (*row.sid)
        EXPECT_EQ(byName.sid.toString(), row.sid);
    else
        EXPECT_TRUE(byName.sid.toString().starts_with("S-1-5-21-")) << byName.sid.toString();

    Account bySid;
    ASSERT_EQ(session.network.lookupSid(server.address(), byName.sid, bySid), status::Success);
    EXPECT_EQ(bySid.use, use);
    EXPECT_EQ(bySid.domain, domain);
    const auto& wanted = accountName(row);
    const auto slash = wanted.rfind(u'\\');
    EXPECT_EQ(bySid.name, slash == std::u16string::npos ? wanted : wanted.substr(slash + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Server, Lookups,
    ::testing::Values(
        LookupRow{"everyone", u"Everyone", "", SidNameUse::WellKnownGroup,
                  SidNameUse::WellKnownGroup, "", "S-1-1-0"},
        LookupRow{"administrator", u"", "admin", SidNameUse::User, SidNameUse::User, "NETBIOS", ""},
        LookupRow{"user", u"", "user", SidNameUse::User, SidNameUse::User, "NETBIOS", ""},
        LookupRow{"mappedGroup", u"", "group", SidNameUse::Group, SidNameUse::Alias, "NETBIOS", ""},
        LookupRow{"builtinAdministrators", u"BUILTIN\\Administrators", "", SidNameUse::Alias,
                  SidNameUse::Alias, "BUILTIN", "S-1-5-32-544"}),
    [](const auto& info) { return std::string(info.param.name); });

// An account that is not an administrator: Windows refuses the shares with their descriptors
// (level 502) and their paths (level 2) but names them at level 1; Samba answers level 502 to
// any user.
TEST(NonAdministrator, ListingWithDescriptors) {
    const auto& server = TestServer::primary();
    smb::StaticCredentials alice(Credentials{
        server.user1(), u"", smb::fromUtf8(server.value("CORVANE_TEST_USER1_PASSWORD"))});
    smb::SmbNetwork net(alice, integrationOptions());
    Status result = status::Success;
    const auto shares = enumerateAll(net, server.address(), &result);
    ShareInfo502 info;
    if (server.windowsLike()) {
        EXPECT_EQ(result, status::AccessDenied);
        EXPECT_TRUE(shares.empty());
        EXPECT_EQ(net.getInfo(server.address(), u"Alpha", info), status::AccessDenied);
    } else {
        EXPECT_EQ(result, status::Success);
        EXPECT_TRUE(find(shares, u"Alpha"));
        EXPECT_EQ(net.getInfo(server.address(), u"Alpha", info), status::Success);
    }
}

TEST(UnknownAccounts, AreNoneMapped) {
    Session session;
    const auto& server = TestServer::primary();
    Account a;
    EXPECT_EQ(session.network.lookupName(server.address(), u"no-such-account-xyz", a),
              status::NoneMapped);
    EXPECT_EQ(
        session.network.lookupSid(server.address(), *Sid::fromString("S-1-5-21-9-8-7-6543"), a),
        status::NoneMapped);
}

TEST(LocalComputerAccounts, UseOnlyTheWellKnownTable) {
    Session session;
    Account a;
    ASSERT_EQ(session.network.lookupName(u"", u"Everyone", a), status::Success);
    EXPECT_EQ(a.sid.toString(), "S-1-1-0");
    // A server's own accounts are not known without naming the server.
    EXPECT_EQ(session.network.lookupName(u"", TestServer::primary().user1(), a),
              status::NoneMapped);
}

namespace {

class Directories : public ::testing::Test {
protected:
    const TestServer& server = TestServer::primary();
    Session session;

    std::set<std::u16string> list(const std::u16string& path, Status expected = 0) {
        std::vector<std::u16string> names;
        EXPECT_EQ(session.network.listDirectories(server.address(), path, names), expected)
            << smb::toUtf8(path);
        return {names.begin(), names.end()};
    }
};

} // namespace

TEST_F(Directories, DriveRootListsDirectoriesOnlyKeepingHiddenOnes) {
    const auto c = list(u"C$\\");
    EXPECT_EQ(
        c, (std::set<std::u16string>{u"Hidden", u"Data", u"Users", u"Program Files",
                                     u"Donn\u00e9es", u"\u65e5\u672c\u8a9e", u"Windows", u"Deep"}));
    // No files (readme.txt) and no dot-names (.config).
    const auto d = list(u"D$\\");
    EXPECT_TRUE(d.count(u"Work"));
    EXPECT_FALSE(d.count(u"readme.txt"));
}

TEST_F(Directories, NestedAndNonAsciiPaths) {
    EXPECT_EQ(list(u"C$\\Data\\"), (std::set<std::u16string>{u"Alpha", u"Beta"}));
    EXPECT_EQ(list(u"C$\\Donn\u00e9es\\"), std::set<std::u16string>{u"\u00c9t\u00e9"});
    EXPECT_EQ(list(u"C$\\\u65e5\u672c\u8a9e\\"), std::set<std::u16string>{u"\u8cc7\u6599"});
    EXPECT_EQ(list(u"C$\\Users\\"),
              (std::set<std::u16string>{server.adminUser(), server.user1(), server.user2()}));
}

TEST_F(Directories, PathDeeperThan260Characters) {
    std::u16string path = u"C$\\Deep\\";
    for (int i = 1; i <= 9; ++i)
        path +=
            u"Level0" + std::u16string(1, char16_t(u'0' + i)) + u"-abcdefghijklmnopqrstuvwxyz\\";
    ASSERT_GT((u"\\\\?\\UNC\\" + server.address() + u"\\" + path + u"*.*").size(), 260u);
    EXPECT_EQ(list(path), std::set<std::u16string>{u"Bottom"});
}

TEST_F(Directories, MissingDirectoryAndDriveFail) {
    EXPECT_TRUE(list(u"C$\\NoSuchDirectory\\", status::PathNotFound).empty());
    std::vector<std::u16string> names;
    EXPECT_NE(session.network.listDirectories(server.address(), u"E$\\", names), status::Success);
}
