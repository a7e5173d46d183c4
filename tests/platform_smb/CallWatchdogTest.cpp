// The watchdog on real loopback connections to an SMB port: 139, where none of the test
// servers listens. Listening there needs root; without it the test is skipped.
#include "platform/smb/CallWatchdog.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace corvane::smb;
using namespace std::chrono_literals;
using Ending = CallWatchdog::Ending;

namespace {

constexpr const char* Address = "127.0.0.36";

// Whether the connection was reset under its owner within `wait`.
bool resetWithin(int fd, std::chrono::milliseconds wait) {
    pollfd p{fd, 0, 0};
    return ::poll(&p, 1, static_cast<int>(wait.count())) == 1 && (p.revents & POLLHUP);
}

} // namespace

// A silent call is ended; a connection a call opened is the server's from then on: a later
// call on it is cancelled on it, and what it received before that call does not count against
// the call's size limit.
TEST(CallWatchdog, EndsCallsOnTheirOwnAndKeptConnections) {
    sockaddr_in port{AF_INET, htons(139), {}, {}};
    ::inet_pton(AF_INET, Address, &port.sin_addr);
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int on = 1; // the connections of an earlier run may still hold the port
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&port), sizeof port) != 0 ||
        ::listen(listener, 4) != 0)
        GTEST_SKIP() << "cannot listen on port 139";
    const auto connect = [&] {
        const int client = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&port), sizeof port), 0);
        return std::pair{client, ::accept(listener, nullptr, nullptr)};
    };
    std::set<std::string> peers;
    CallWatchdog silent(300ms, 1000);
    silent.begin(peers);
    EXPECT_TRUE(resetWithin(connect().first, 5s));
    EXPECT_EQ(silent.end(), Ending::TimedOut);

    CallWatchdog dog(10s, 1000);
    dog.begin(peers);
    const auto [kept, server] = connect();
    EXPECT_EQ(dog.end(), Ending::Normal);
    EXPECT_EQ(peers, std::set<std::string>{Address});
    const std::string answer(3000, 'x');
    ASSERT_EQ(::send(server, answer.data(), answer.size(), 0), ssize_t(answer.size()));
    dog.begin(peers, 1000);
    std::this_thread::sleep_for(300ms); // a few looks of the watchdog
    EXPECT_EQ(dog.end(), Ending::Normal);
    dog.cancel(); // between calls: nothing to end
    EXPECT_FALSE(resetWithin(kept, 0ms));
    dog.begin(peers);
    dog.cancel();
    EXPECT_TRUE(resetWithin(kept, 5s));
    EXPECT_EQ(dog.end(), Ending::Cancelled);
}
