// A TCP forwarding proxy for tests and benchmarks: every chunk is held for a fixed delay in each
// direction (a slow link), forwarding stops and resumes on request (a server or link that hangs
// without closing the connection), and the server-service (srvsvc) calls carried inside the
// SMB2 traffic are counted and can be made to fail one at a time.
//
//   corvane_proxy --listen ADDR:PORT --target ADDR:PORT [--delay-ms N]
//
// It reads the traffic but never changes a byte (signed SMB stays valid); it can only hold,
// drop or close. A srvsvc call is a DCE/RPC request PDU in an SMB2 WRITE or
// FSCTL_PIPE_TRANSCEIVE on a pipe bound to the srvsvc interface; the count runs over every
// connection from the last "reset".
//
// Commands, one a line on standard input (each answered "ok" unless said otherwise):
//   reset               count from zero again, forget the calls seen and the armed fault
//   arm N late MS       the Nth call goes to the server, its answer is held MS milliseconds
//   arm N lose-answer   the Nth call goes to the server; the connection is dropped (both
//                       sides) when its answer comes, which is never forwarded
//   arm N lose-request  the connection is dropped when the Nth call comes, without forwarding
//   arm N pause         when the Nth call and each later one comes, "reached K OPNUM" is
//                       printed and the call is held until "go" (or 60 s): the test can stop
//                       or kill the server, or see what the calls before did, meanwhile. The
//                       server closing that connection meanwhile reaches the client only then.
//   go                  lets a paused call go on to the server (no answer)
//   calls               answers "calls applied=K OP OP ..." (K: 1 once the armed fault acted;
//                       the opnums of the calls since the reset)
//   trips               answers "trips N": the round trips since the reset, over every
//                       connection. A connection's handshake is one; after that each time
//                       the clients send again once the server has answered something is one
//                       more. Requests sent together, before any answer, share one trip.
//   stall, resume       as SIGUSR1 and SIGUSR2 (no answer)
// SIGUSR1 stops forwarding in both directions (bytes are still accepted and held), SIGUSR2
// resumes, SIGTERM or SIGINT ends the proxy. "listening" is printed once the socket accepts,
// and "stalled" or "resumed" once a change of state is in force, so that a test can wait for
// it: a signal arrives whenever the proxy next runs, which may be after the client's next
// request.

#include "RpcInspect.h"

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
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace corvane::proxy;
using Clock = std::chrono::steady_clock;

std::atomic<bool> g_stalled{false};
volatile std::sig_atomic_t g_stop = 0;
std::chrono::milliseconds g_delay{0};

std::mutex g_outMutex;
void say(const std::string& line) {
    std::lock_guard lock(g_outMutex);
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// The calls seen and the one fault armed, over every connection.
enum class FaultKind { None, Late, LoseAnswer, LoseRequest, Pause };
struct Calls {
    std::mutex mutex;
    std::condition_variable released;
    std::vector<std::uint16_t> opnums;
    std::size_t armedAt = 0; // 1-based; 0: nothing armed
    FaultKind kind = FaultKind::None;
    std::chrono::milliseconds hold{0};
    bool applied = false;
    bool go = false;
    std::uint64_t generation = 0; // bumped by reset, so a stale pause ends
} g_calls;

// Round trips as the client sees them: it sends, and sends again only after an answer.
struct Trips {
    std::mutex mutex;
    std::uint64_t count = 0;
    bool answered = false; // something came down since the last trip began
    void connected() {
        std::lock_guard lock(mutex);
        ++count;
        answered = true;
    }
    void frame(bool upstream) {
        std::lock_guard lock(mutex);
        if (!upstream) {
            answered = true;
        } else if (answered) {
            ++count;
            answered = false;
        }
    }
    void reset() {
        std::lock_guard lock(mutex);
        count = 0;
        answered = true;
    }
} g_trips;

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

struct Connection;

// One direction of one connection: a reader that cuts the stream into NetBIOS frames, looks at
// each, and stamps it with the time it may leave; and a writer that sends it then, unless
// forwarding is stopped.
struct Pump {
    Connection& connection;
    int from;
    int to;
    bool upstream; // client to server
    std::mutex mutex;
    std::condition_variable changed;
    struct Chunk {
        Clock::time_point due;
        std::vector<std::uint8_t> bytes; // empty: the sender closed its side
    };
    std::deque<Chunk> queue;
    bool failed = false;

    void push(Clock::time_point due, std::vector<std::uint8_t> bytes) {
        std::lock_guard lock(mutex);
        queue.push_back({due, std::move(bytes)});
        changed.notify_all();
    }
    void fail() {
        std::lock_guard lock(mutex);
        failed = true;
        queue.clear();
        changed.notify_all();
    }
    void read();
    void write();
};

// What a connection knows of the pipes inside it and of the answer a fault waits for.
struct Connection {
    int client;
    int server;
    Pump up{*this, client, server, true, {}, {}, {}, false};
    Pump down{*this, server, client, false, {}, {}, {}, false};
    std::mutex mutex;
    std::set<FileId> srvsvcPipes;
    std::map<std::uint64_t, FileId> pipeReads; // READ message id -> pipe
    struct Awaited {
        FaultKind kind = FaultKind::None;
        std::uint32_t callId = 0;
        FileId fileId{};
        std::uint64_t messageId = 0; // of an IOCTL request, whose answer has the same id
        std::chrono::milliseconds hold{0};
    } awaited;
    std::atomic<bool> dropped{false};
    // Calls held by a pause: while one is, the server's side closing (a killed server) is not
    // passed on, so the client learns of it only when the call goes on.
    std::atomic<int> paused{0};

    Connection(int c, int s) : client(c), server(s) {}

    // Drops both sides at once: neither gets what is still queued.
    void drop() {
        dropped = true;
        ::shutdown(client, SHUT_RDWR);
        ::shutdown(server, SHUT_RDWR);
        up.fail();
        down.fail();
    }

    // A request frame from the client: false when it must not be forwarded.
    bool onRequestFrame(std::span<const std::uint8_t> frame);
    // An answer frame from the server: how long to hold it (0: no hold); false to drop.
    bool onAnswerFrame(std::span<const std::uint8_t> frame, std::chrono::milliseconds& hold);
};

bool Connection::onRequestFrame(std::span<const std::uint8_t> frame) {
    const FrameContents contents = inspectFrame(frame);
    if (contents.encrypted) {
        static std::once_flag warned;
        std::call_once(warned, [] { std::fprintf(stderr, "corvane_proxy: encrypted SMB3\n"); });
    }
    std::unique_lock lock(mutex);
    for (const PipeRead& r : contents.reads)
        if (srvsvcPipes.count(r.fileId))
            pipeReads[r.messageId] = r.fileId;
    for (const RpcPdu& pdu : contents.pdus) {
        if (!pdu.fileId)
            continue;
        if (pdu.kind == RpcPdu::Kind::Bind && pdu.bindsSrvsvc)
            srvsvcPipes.insert(*pdu.fileId);
        if (pdu.kind != RpcPdu::Kind::Request || !pdu.firstFragment ||
            !srvsvcPipes.count(*pdu.fileId))
            continue;
        std::unique_lock calls(g_calls.mutex);
        g_calls.opnums.push_back(pdu.opnum);
        const std::size_t index = g_calls.opnums.size();
        const bool pausing =
            g_calls.kind == FaultKind::Pause && g_calls.armedAt != 0 && index > g_calls.armedAt;
        if (index != g_calls.armedAt && !pausing)
            continue;
        g_calls.applied = true;
        switch (g_calls.kind) {
        case FaultKind::LoseRequest:
            return false;
        case FaultKind::Pause: {
            const std::uint64_t generation = g_calls.generation;
            g_calls.go = false;
            say("reached " + std::to_string(index) + " " + std::to_string(pdu.opnum));
            lock.unlock();
            ++paused;
            g_calls.released.wait_for(calls, std::chrono::seconds(60), [generation] {
                return g_calls.go || g_calls.generation != generation;
            });
            --paused;
            return true;
        }
        case FaultKind::Late:
        case FaultKind::LoseAnswer:
            awaited = {g_calls.kind, pdu.callId, *pdu.fileId, pdu.messageId, g_calls.hold};
            break;
        case FaultKind::None:
            break;
        }
    }
    return true;
}

bool Connection::onAnswerFrame(std::span<const std::uint8_t> frame,
                               std::chrono::milliseconds& hold) {
    std::lock_guard lock(mutex);
    if (awaited.kind == FaultKind::None)
        return true;
    const FrameContents contents = inspectFrame(frame);
    for (const RpcPdu& pdu : contents.pdus) {
        if (pdu.kind != RpcPdu::Kind::Response || pdu.callId != awaited.callId)
            continue;
        const bool samePipe = pdu.readAnswer ? (pipeReads.count(pdu.messageId) &&
                                                pipeReads[pdu.messageId] == awaited.fileId)
                                             : (pdu.fileId == awaited.fileId);
        if (!samePipe)
            continue;
        const Awaited was = awaited;
        awaited = {};
        pipeReads.erase(pdu.messageId);
        if (was.kind == FaultKind::LoseAnswer)
            return false;
        hold = was.hold;
        return true;
    }
    return true;
}

void Pump::read() {
    std::vector<std::uint8_t> buffer(64 * 1024), pending;
    for (;;) {
        ssize_t n = ::recv(from, buffer.data(), buffer.size(), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            for (int i = 0; !upstream && connection.paused > 0 && i < 6000; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            push(Clock::now() + g_delay, {});
            return;
        }
        pending.insert(pending.end(), buffer.begin(), buffer.begin() + n);
        // Whole frames only, so that a fault acts on one message and the bytes before it.
        while (std::size_t size = completeFrame(pending)) {
            std::vector<std::uint8_t> frame(pending.begin(),
                                            pending.begin() + static_cast<std::ptrdiff_t>(size));
            pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(size));
            auto due = Clock::now() + g_delay;
            g_trips.frame(upstream);
            if (upstream) {
                if (!connection.onRequestFrame(frame) || connection.dropped) {
                    connection.drop();
                    return;
                }
            } else {
                std::chrono::milliseconds hold{0};
                if (!connection.onAnswerFrame(frame, hold)) {
                    connection.drop();
                    return;
                }
                due += hold;
            }
            push(due, std::move(frame));
        }
        {
            std::lock_guard lock(mutex);
            if (failed)
                return;
        }
    }
}

void Pump::write() {
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock lock(mutex);
            for (;;) {
                if (failed)
                    return;
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

void serve(int client, sockaddr_in target) {
    int server = ::socket(AF_INET, SOCK_STREAM, 0);
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr*>(&target), sizeof target) != 0) {
        if (server >= 0)
            ::close(server);
        ::close(client);
        return;
    }
    g_trips.connected();
    int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto connection = std::make_unique<Connection>(client, server);
    Connection& c = *connection;
    std::thread threads[] = {std::thread(&Pump::read, &c.up), std::thread(&Pump::write, &c.up),
                             std::thread(&Pump::read, &c.down), std::thread(&Pump::write, &c.down)};
    for (auto& t : threads)
        t.join();
    ::close(server);
    ::close(client);
}

// Reads the commands of the header comment from standard input until it ends.
void control() {
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "reset") {
            std::lock_guard lock(g_calls.mutex);
            g_calls.opnums.clear();
            g_calls.armedAt = 0;
            g_calls.kind = FaultKind::None;
            g_calls.applied = false;
            ++g_calls.generation;
            g_calls.released.notify_all();
            g_trips.reset();
            say("ok");
        } else if (command == "arm") {
            std::size_t index = 0;
            std::string kind;
            long ms = 0;
            words >> index >> kind >> ms;
            std::lock_guard lock(g_calls.mutex);
            g_calls.armedAt = index;
            g_calls.applied = false;
            g_calls.hold = std::chrono::milliseconds(ms);
            g_calls.kind = kind == "late"           ? FaultKind::Late
                           : kind == "lose-answer"  ? FaultKind::LoseAnswer
                           : kind == "lose-request" ? FaultKind::LoseRequest
                           : kind == "pause"        ? FaultKind::Pause
                                                    : FaultKind::None;
            say(g_calls.kind == FaultKind::None ? "unknown fault" : "ok");
        } else if (command == "go") {
            std::lock_guard lock(g_calls.mutex);
            g_calls.go = true;
            g_calls.released.notify_all();
        } else if (command == "calls") {
            std::lock_guard lock(g_calls.mutex);
            std::string out = "calls applied=" + std::to_string(g_calls.applied ? 1 : 0);
            for (std::uint16_t op : g_calls.opnums)
                out += " " + std::to_string(op);
            say(out);
        } else if (command == "trips") {
            std::lock_guard lock(g_trips.mutex);
            say("trips " + std::to_string(g_trips.count));
        } else if (command == "stall") {
            g_stalled = true;
        } else if (command == "resume") {
            g_stalled = false;
        }
    }
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
    std::thread(control).detach();
    say("listening");

    bool stalled = false;
    while (!g_stop) {
        if (stalled != g_stalled) {
            stalled = g_stalled;
            say(stalled ? "stalled" : "resumed");
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
