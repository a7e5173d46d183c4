// A TCP forwarding proxy for tests and benchmarks: every chunk is held for a fixed delay in each
// direction (a slow link), and forwarding stops and resumes on signals (a server or link that
// hangs without closing the connection).
//
//   corvane_proxy --listen ADDR:PORT --target ADDR:PORT [--delay-ms N]
//
// SIGUSR1 stops forwarding in both directions (bytes are still accepted and held), SIGUSR2
// resumes, SIGTERM or SIGINT ends the proxy. "listening" is printed once the socket accepts,
// and "stalled" or "resumed" once a change of state is in force, so that a test can wait for
// it: a signal arrives whenever the proxy next runs, which may be after the client's next
// request.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stalled{false};
volatile std::sig_atomic_t g_stop = 0;
std::chrono::milliseconds g_delay{0};

void onSignal(int sig) {
    if (sig == SIGUSR1)
        g_stalled = true;
    else if (sig == SIGUSR2)
        g_stalled = false;
    else
        g_stop = 1;
}

bool parseAddress(const std::string& text, sockaddr_in& out) {
    auto colon = text.rfind(':');
    if (colon == std::string::npos)
        return false;
    std::memset(&out, 0, sizeof out);
    out.sin_family = AF_INET;
    char* end = nullptr;
    long port = std::strtol(text.c_str() + colon + 1, &end, 10);
    if (*end != '\0' || port <= 0 || port > 65535)
        return false;
    out.sin_port = htons(static_cast<std::uint16_t>(port));
    return ::inet_pton(AF_INET, text.substr(0, colon).c_str(), &out.sin_addr) == 1;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// One direction of one connection: a reader that stamps each chunk with the time it may leave,
// and a writer that sends it then, unless forwarding is stopped.
struct Pump {
    int from;
    int to;
    std::mutex mutex;
    std::condition_variable changed;
    struct Chunk {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes; // empty: the sender closed its side
    };
    std::deque<Chunk> queue;
    bool failed = false;

    void read() {
        std::vector<std::uint8_t> buffer(64 * 1024);
        for (;;) {
            ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
            if (n < 0 && errno == EINTR)
                continue;
            std::lock_guard lock(mutex);
            queue.push_back({Clock::now() + g_delay,
                             n > 0 ? std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + n)
                                   : std::vector<std::uint8_t>{}});
            changed.notify_all();
            if (n <= 0 || failed)
                return;
        }
    }

    void write() {
        for (;;) {
            Chunk chunk;
            {
                std::unique_lock lock(mutex);
                for (;;) {
                    if (!queue.empty() && !g_stalled && Clock::now() >= queue.front().due)
                        break;
                    auto wait = std::chrono::milliseconds(10);
                    if (!queue.empty() && !g_stalled)
                        wait = std::min(wait, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  queue.front().due - Clock::now()) +
                                                  std::chrono::milliseconds(1));
                    changed.wait_for(lock, wait);
                }
                chunk = std::move(queue.front());
                queue.pop_front();
            }
            if (chunk.bytes.empty() || !writeAll(to, chunk.bytes.data(), chunk.bytes.size())) {
                {
                    std::lock_guard lock(mutex);
                    failed = true;
                }
                ::shutdown(to, SHUT_WR);
                ::shutdown(from, SHUT_RD);
                return;
            }
        }
    }
};

void serve(int client, sockaddr_in target) {
    int server = ::socket(AF_INET, SOCK_STREAM, 0);
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (server >= 0)
            ::close(server);
        ::close(client);
        return;
    }
    int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    Pump up{client, server, {}, {}, {}, false};
    Pump down{server, client, {}, {}, {}, false};
    std::thread threads[] = {std::thread(&Pump::read, &up), std::thread(&Pump::write, &up),
                             std::thread(&Pump::read, &down), std::thread(&Pump::write, &down)};
    for (auto& t : threads)
        t.join();
    ::close(server);
    ::close(client);
}

} // namespace

int main(int argc, char** argv) {
    sockaddr_in listenAddress{}, targetAddress{};
    bool haveListen = false, haveTarget = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i], value = argv[i + 1];
        if (option == "--listen")
            haveListen = parseAddress(value, listenAddress);
        else if (option == "--target")
            haveTarget = parseAddress(value, targetAddress);
        else if (option == "--delay-ms")
            g_delay = std::chrono::milliseconds(std::strtol(value.c_str(), nullptr, 10));
    }
    if (!haveListen || !haveTarget || argc % 2 == 0) {
        std::fprintf(stderr, "usage: %s --listen ADDR:PORT --target ADDR:PORT [--delay-ms N]\n",
                     argv[0]);
        return 2;
    }

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGUSR1, SIGUSR2, SIGTERM, SIGINT})
        ::sigaction(sig, &action, nullptr);

    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&listenAddress), sizeof listenAddress) != 0 ||
        ::listen(listener, 64) != 0) {
        std::perror("corvane_proxy: listen");
        return 1;
    }
    std::printf("listening\n");
    std::fflush(stdout);

    bool stalled = false;
    while (!g_stop) {
        if (stalled != g_stalled) {
            stalled = g_stalled;
            std::printf(stalled ? "stalled\n" : "resumed\n");
            std::fflush(stdout);
        }
        pollfd p{listener, POLLIN, 0};
        if (::poll(&p, 1, 10) <= 0)
            continue;
        int client = ::accept(listener, nullptr, nullptr);
        if (client >= 0)
            std::thread(serve, client, targetAddress).detach();
    }
    ::close(listener);
    return 0;
}
