// The transport's waits through a forwarding proxy in front of the primary test server: a
// server that goes silent, a call cancelled from another thread, a long answer over a slow
// link, and the users' SIDs resolved in one lookup.
#include "Proxy.h"
#include "TestServer.h"

#include "platform/SecurityDescriptor.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

// The forwarding proxy on 127.0.0.7:445 (or CORVANE_TEST_PROXY_ADDRESS) in front of the
// primary server.
const std::string ProxyAddressUtf8 = [] {
    const char* chosen = std::getenv("CORVANE_TEST_PROXY_ADDRESS");
    return std::string(chosen && *chosen ? chosen : "127.0.0.7");
}();
const std::u16string ProxyAddress(ProxyAddressUtf8.begin(), ProxyAddressUtf8.end());
Proxy proxyToPrimary(int delayMs = 0) {
    return Proxy(ProxyAddressUtf8, TestServer::primary().addressUtf8(), delayMs);
}

Clock::duration timed(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return Clock::now() - start;
}

} // namespace

TEST(SilentServer, TimesOutThenFailsFastUntilTheNextOperation) {
    const Proxy proxy = proxyToPrimary();
    ASSERT_TRUE(proxy.ready());
    Session session(TestServer::primary(), integrationOptions(2s));
    auto& net = session.network;
    ShareInfo502 info;
    ASSERT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);

    ASSERT_TRUE(proxy.stall());
    Status result = 0;
    // Hang guards, not measurements: the bound is 2 s.
    EXPECT_LT(timed([&] { result = net.getInfo(ProxyAddress, u"Alpha", info); }), 8s);
    EXPECT_EQ(result, status::SemaphoreTimeout);
    // The rest of the operation does not wait for the silent server again.
    EXPECT_LT(timed([&] { result = net.getInfo(ProxyAddress, u"C$", info); }), 1s);
    EXPECT_EQ(result, status::SemaphoreTimeout);
    Account account;
    EXPECT_EQ(net.lookupName(ProxyAddress, u"Everyone", account), status::SemaphoreTimeout);

    proxy.resume();
    net.beginOperation();
    EXPECT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);
    EXPECT_EQ(info.netname, u"Alpha");
    EXPECT_EQ(net.bindCount(ProxyAddress), 2u); // connected afresh
}

TEST(CancelledCall, EndsWithCancelledAndTheNextCallConnectsAfresh) {
    const Proxy proxy = proxyToPrimary();
    ASSERT_TRUE(proxy.ready());
    Session session(TestServer::primary(), integrationOptions(20s));
    auto& net = session.network;
    ShareInfo502 info;
    ASSERT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);

    ASSERT_TRUE(proxy.stall());
    std::thread canceller([&] {
        std::this_thread::sleep_for(300ms);
        net.cancelCurrentCall();
    });
    Status result = 0;
    EXPECT_LT(timed([&] { result = net.getInfo(ProxyAddress, u"Alpha", info); }), 5s);
    canceller.join();
    EXPECT_EQ(result, status::Cancelled);

    proxy.resume();
    EXPECT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);
    // A cancel with no call out does nothing to the next call.
    net.cancelCurrentCall();
    EXPECT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);
}

TEST(SlowLink, LongAnswerThatKeepsArrivingIsNotCutOff) {
    const auto& server = TestServer::primary();
    ASSERT_TRUE(server.bulkShares(1000));
    {
        // 40 ms round trip: the answer takes many times the 1 s bound, in steady steps.
        const Proxy proxy = proxyToPrimary(20);
        ASSERT_TRUE(proxy.ready());
        Session session(server, integrationOptions(1s));
        Status result = 0;
        const auto shares = enumerateAll(session.network, ProxyAddress, &result);
        EXPECT_EQ(result, status::Success);
        EXPECT_GE(shares.size(), 1000u);
    }
    EXPECT_TRUE(server.bulkShares(0));
}

TEST(BatchLookup, ManySidsInOneCallAnswerAsOneEach) {
    const auto& server = TestServer::primary();
    Session session(server);
    auto& net = session.network;
    std::vector<Sid> sids;
    for (const auto& name :
         {std::u16string(u"Everyone"), server.adminUser(), server.user1(), server.group()}) {
        Account a;
        ASSERT_EQ(net.lookupName(server.address(), name, a), status::Success);
        sids.push_back(a.sid);
    }
    sids.insert(sids.begin() + 2, *Sid::fromString("S-1-5-21-1-2-3-999999")); // nobody's
    std::vector<Account> accounts;
    std::vector<Status> results;
    net.lookupSids(server.address(), sids, accounts, results);
    ASSERT_EQ(results.size(), sids.size());
    for (std::size_t i = 0; i < sids.size(); ++i) {
        Account one;
        const Status expected = net.lookupSid(server.address(), sids[i], one);
        EXPECT_EQ(results[i], expected) << i;
        EXPECT_EQ(accounts[i].name, expected == status::Success ? one.name : u"") << i;
        EXPECT_EQ(accounts[i].domain, one.domain) << i;
    }
    EXPECT_EQ(results[2], status::NoneMapped);
}

TEST(SharedConnection, LookupsGoOverTheSharesConnectionAndKnownNamesAreNotAskedAgain) {
    Proxy proxy = proxyToPrimary();
    ASSERT_TRUE(proxy.ready());
    Session session(TestServer::primary());
    auto& net = session.network;
    ShareInfo502 info;
    ASSERT_EQ(net.getInfo(ProxyAddress, u"Alpha", info), status::Success);
    std::vector<Sid> sids;
    const auto dacl = daclOf(info.securityDescriptor);
    ASSERT_TRUE(dacl);
    for (std::size_t i = 0; i < dacl->aceCount(); ++i)
        if (const auto ace = dacl->ace(i); ace && ace->sid)
            sids.push_back(*ace->sid);
    ASSERT_FALSE(sids.empty());

    const auto lookUp = [&](std::vector<Account>& accounts) {
        std::vector<Status> results;
        net.lookupSids(ProxyAddress, sids, accounts, results);
        for (Status s : results)
            EXPECT_EQ(s, status::Success);
    };
    std::vector<Account> first, again, fresh;
    ASSERT_TRUE(proxy.reset());
    lookUp(first);
    // The lsarpc pipe is opened beside the srvsvc one: open, bind, policy, lookup. A connection
    // of its own would add the handshake, negotiation, logon and tree connection (five more).
    EXPECT_EQ(proxy.trips(), 4);
    ASSERT_TRUE(proxy.reset());
    lookUp(again);
    EXPECT_EQ(proxy.trips(), 0);
    // A list read from its beginning forgets the names; the pipe and policy handle stay.
    std::vector<ShareInfo502> part;
    std::uint32_t resume = 0;
    ASSERT_EQ(net.enumerate(ProxyAddress, part, resume), status::Success);
    ASSERT_TRUE(proxy.reset());
    lookUp(fresh);
    EXPECT_EQ(proxy.trips(), 1);
    for (std::size_t i = 0; i < sids.size(); ++i) {
        EXPECT_EQ(again[i].name, first[i].name) << i;
        EXPECT_EQ(fresh[i].name, first[i].name) << i;
    }
}
