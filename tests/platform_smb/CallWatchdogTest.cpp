// The watchdog on real loopback connections to an SMB port: 139, where none of the test
// servers listens. Listening there needs root; without it the test is skipped.
#include "platform/smb/CallWatchdog.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace corvane::smb;
using namespace std::chrono_literals;
using Ending = CallWatchdog::Ending;

namespace {

constexpr const char* Address = "127.0.0.36";

struct SmbPort {
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    std::vector<int> fds;
    sockaddr_in address{AF_INET, htons(139), {}, {}};

    bool listening() {
        const int on = 1;
        ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        ::inet_pton(AF_INET, Address, &address.sin_addr);
        return ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
               ::listen(listener, 4) == 0;
    }
    // A connection to the port: its client end and its server end.
    std::pair<int, int> connect() {
        const int client = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        fds.push_back(client);
        fds.push_back(::accept(listener, nullptr, nullptr));
        return {client, fds.back()};
    }
    ~SmbPort() {
        for (int fd : fds)
            ::close(fd);
        ::close(listener);
    }
};

// Whether the connection was reset under its owner within `wait`.
bool resetWithin(int fd, std::chrono::milliseconds wait) {
    pollfd p{fd, 0, 0};
    return ::poll(&p, 1, static_cast<int>(wait.count())) == 1 && (p.revents & POLLHUP);
}

} // namespace

TEST(CallWatchdog, EndsASilentCall) {
    SmbPort port;
    if (!port.listening())
        GTEST_SKIP() << "cannot listen on port 139";
    std::set<std::string> peers;
    CallWatchdog dog(300ms, 1000);
    dog.begin(peers);
    const int client = port.connect().first;
    EXPECT_TRUE(resetWithin(client, 5s));
    EXPECT_EQ(dog.end(), Ending::TimedOut);
}

// A connection the call opened is the server's from then on: a later call that reuses it is
// cancelled on it, and what it received before that call does not count against its limit.
TEST(CallWatchdog, WatchesConnectionsKeptFromEarlierCalls) {
    SmbPort port;
    if (!port.listening())
        GTEST_SKIP() << "cannot listen on port 139";
    std::set<std::string> peers;
    CallWatchdog dog(10s, 1000);
    dog.begin(peers);
    const auto [kept, server] = port.connect();
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
