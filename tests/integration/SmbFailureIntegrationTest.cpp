// Refused logons, a server that stops and comes back, a server that never answers.
#include "TestServer.h"

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;
using namespace std::chrono_literals;

TEST(Logon, WrongPasswordGivesLogonFailureAfterAskingAgain) {
    const auto& server = TestServer::primary();
    auto wrong = server.adminCredentials();
    wrong.password = u"not-the-password";
    smb::StaticCredentials credentials(std::move(wrong));
    smb::SmbNetwork net(credentials, integrationOptions());
    std::vector<ShareInfo502> shares;
    std::uint32_t resume = 0;
    EXPECT_EQ(net.enumerate(server.address(), shares, resume), status::LogonFailure);
    EXPECT_TRUE(shares.empty());
    EXPECT_EQ(credentials.timesAsked(), 2);
    EXPECT_FALSE(credentials.lastFailure().empty());
    // The object stays usable: later calls fail the same way, without a crash.
    std::vector<std::u16string> names;
    EXPECT_EQ(net.listDirectories(server.address(), u"C$\\", names), status::LogonFailure);
}

TEST(Logon, CancelGivesLogonFailure) {
    smb::StaticCredentials nobody;
    smb::SmbNetwork net(nobody, integrationOptions());
    ShareInfo502 info;
    EXPECT_EQ(net.getInfo(TestServer::primary().address(), u"Alpha", info), status::LogonFailure);
    EXPECT_EQ(nobody.timesAsked(), 1);
}

TEST(Logon, AskedOncePerServer) {
    const auto& server = TestServer::primary();
    smb::StaticCredentials credentials(server.adminCredentials());
    smb::SmbNetwork net(credentials, integrationOptions());
    ShareInfo502 info;
    Account account;
    std::vector<std::u16string> names;
    ASSERT_EQ(net.getInfo(server.address(), u"Alpha", info), status::Success);
    ASSERT_EQ(net.lookupName(server.address(), u"Everyone", account), status::Success);
    ASSERT_EQ(net.listDirectories(server.address(), u"C$\\", names), status::Success);
    EXPECT_EQ(credentials.timesAsked(), 1);
}

namespace {

// A server of its own, so that stopping it disturbs nobody.
struct OwnServer {
    TestServer server{"127.0.0.4"};
    OwnServer() { EXPECT_TRUE(server.start()); }
    ~OwnServer() { server.stop(); }
};

} // namespace

TEST(ServerRestart, NextCallFailsThenSucceedsWithTheSameObject) {
    OwnServer own;
    const auto& server = own.server;
    Session session(server, integrationOptions(3s));
    auto& net = session.network;
    ShareInfo502 info;
    ASSERT_EQ(net.getInfo(server.address(), u"Alpha", info), status::Success);
    ASSERT_EQ(net.bindCount(server.address()), 1u);

    ASSERT_TRUE(server.stop());
    const auto before = std::chrono::steady_clock::now();
    EXPECT_NE(net.getInfo(server.address(), u"Alpha", info), status::Success);
    // A guard against hanging, not a measurement: the call must come back at all, and well
    // before a frozen window would be noticed.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 30s);

    ASSERT_TRUE(server.start());
    EXPECT_EQ(net.getInfo(server.address(), u"Alpha", info), status::Success);
    EXPECT_EQ(info.netname, u"Alpha");
    EXPECT_EQ(net.bindCount(server.address()), 2u);
}

TEST(StalledServer, CallComesBackWithAnErrorAfterTheTimeout) {
    // Accepts connections on port 445 and never answers.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    const int yes = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(445);
    ::inet_pton(AF_INET, "127.0.0.5", &addr.sin_addr);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 8), 0);

    smb::StaticCredentials credentials(Credentials{u"u", u"", u"p"});
    smb::SmbNetwork net(credentials, integrationOptions(2s));
    std::vector<ShareInfo502> shares;
    std::uint32_t resume = 0;
    const auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(net.enumerate(u"127.0.0.5", shares, resume), status::SemaphoreTimeout);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 30s); // a hang guard, as above
    ::close(listener);
}

TEST(UnreachableServer, NothingListeningGivesBadNetPath) {
    Session session(TestServer::primary(), integrationOptions(2s));
    ShareInfo502 info;
    EXPECT_EQ(session.network.getInfo(u"127.0.0.6", u"Alpha", info), status::BadNetPath);
}
