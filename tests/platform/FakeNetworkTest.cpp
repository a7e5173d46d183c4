#include "platform/fake/FakeNetwork.h"
#include "platform/WellKnownAccounts.h"

#include <gtest/gtest.h>

using namespace corvane;
using corvane::fake::Call;
using corvane::fake::FakeNetwork;

TEST(FakeNetwork, ShareCallsFollowTheServiceRules) {
    FakeNetwork net;
    net.addDiskShare(u"SRV1", u"Data", u"C:\\Data", u"old");
    ShareInfo502 info;
    EXPECT_EQ(net.getInfo(u"SRV1", u"data", info), status::Success);
    EXPECT_EQ(info.netname, u"Data");
    EXPECT_EQ(net.getInfo(u"SRV1", u"nope", info), status::NetNameNotFound);
    EXPECT_EQ(net.add(u"SRV1", info), status::DuplicateShare);
    info.remark = u"new";
    info.path = u"D:\\Elsewhere";
    EXPECT_EQ(net.setInfo(u"SRV1", u"Data", info), status::Success);
    EXPECT_EQ(net.findShare(u"SRV1", u"Data")->remark, u"new");
    EXPECT_EQ(net.findShare(u"SRV1", u"Data")->path, u"C:\\Data"); // set does not move a share
    EXPECT_EQ(net.remove(u"SRV1", u"DATA"), status::Success);
    EXPECT_EQ(net.remove(u"SRV1", u"Data"), status::NetNameNotFound);
    EXPECT_EQ(net.getInfo(u"GHOST", u"x", info), status::BadNetPath);
}

TEST(FakeNetwork, FaultsHitTheNamedCallOnceAndAreRecorded) {
    FakeNetwork net;
    net.addDiskShare(u"SRV1", u"a", u"C:\\a");
    net.addDiskShare(u"SRV1", u"b", u"C:\\b");
    net.failNext(Call::Remove, status::AccessDenied, u"b");
    EXPECT_EQ(net.remove(u"SRV1", u"a"), status::Success);
    EXPECT_EQ(net.remove(u"SRV1", u"b"), status::AccessDenied);
    EXPECT_TRUE(net.findShare(u"SRV1", u"b"));
    EXPECT_EQ(net.remove(u"SRV1", u"b"), status::Success);
    const auto removes = net.callsOf(Call::Remove);
    ASSERT_EQ(removes.size(), 3u);
    EXPECT_EQ(removes[1].name, u"b");
    EXPECT_EQ(removes[1].result, status::AccessDenied);
}

TEST(FakeNetwork, AccountsResolveWellKnownOnesWithoutAServer) {
    FakeNetwork net;
    const Sid alice = *Sid::fromString("S-1-5-21-1-2-3-1001");
    net.addAccount(u"SRV1", u"alice", u"SRV1", SidNameUse::User, alice);
    Account a;
    ASSERT_EQ(net.lookupName(u"", u"everyone", a), status::Success);
    EXPECT_EQ(a.sid.toString(), "S-1-1-0");
    EXPECT_EQ(a.use, SidNameUse::WellKnownGroup);
    EXPECT_EQ(net.lookupName(u"", u"alice", a), status::NoneMapped);
    ASSERT_EQ(net.lookupName(u"SRV1", u"SRV1\\ALICE", a), status::Success);
    EXPECT_EQ(a.sid, alice);
    ASSERT_EQ(net.lookupSid(u"SRV1", Sid::make(5, {32, 544}), a), status::Success);
    EXPECT_EQ(a.domain, u"BUILTIN");
    EXPECT_EQ(a.use, SidNameUse::Alias);
    EXPECT_EQ(net.lookupSid(u"SRV1", Sid::make(5, {21, 9, 9, 9, 500}), a), status::NoneMapped);
}

TEST(FakeNetwork, DirectoriesNeedTheDriveShareAndHideDotNames) {
    FakeNetwork net;
    net.addDirectory(u"SRV1", u"C$\\Data\\Alpha");
    net.addDirectory(u"SRV1", u"C$\\.config");
    net.addDirectory(u"SRV1", u"C$\\Hidden");
    std::vector<std::u16string> names;
    EXPECT_EQ(net.listDirectories(u"SRV1", u"C$\\", names), status::BadNetName);
    net.addDiskShare(u"SRV1", u"C$", u"C:\\");
    ASSERT_EQ(net.listDirectories(u"SRV1", u"C$\\", names), status::Success);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Data", u"Hidden"}));
    ASSERT_EQ(net.listDirectories(u"SRV1", u"c$\\data\\", names), status::Success);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"Alpha"}));
    EXPECT_EQ(net.listDirectories(u"SRV1", u"C$\\Nope\\", names), status::PathNotFound);
}
