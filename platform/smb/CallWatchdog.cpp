#include "CallWatchdog.h"

#include <arpa/inet.h>
#include <cerrno>
#include <dirent.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace corvane::smb {

namespace {

constexpr auto Tick = std::chrono::milliseconds(100);
constexpr std::uint8_t StateSynSent = 2; // TCP_SYN_SENT

struct SmbSocket {
    int fd;
    unsigned long inode;
    std::string peer;
    std::uint64_t received;
};

// The text and port of an address; an empty text for other families.
std::pair<std::string, std::uint16_t> addressText(const sockaddr_storage& addr) {
    char text[INET6_ADDRSTRLEN] = {};
    if (addr.ss_family == AF_INET) {
        const auto* in = reinterpret_cast<const sockaddr_in*>(&addr);
        ::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text);
        return {text, ntohs(in->sin_port)};
    }
    if (addr.ss_family == AF_INET6) {
        const auto* in = reinterpret_cast<const sockaddr_in6*>(&addr);
        ::inet_ntop(AF_INET6, &in->sin6_addr, text, sizeof text);
        return {text, ntohs(in->sin6_port)};
    }
    return {};
}

std::string peerOf(int fd) {
    sockaddr_storage addr{};
    socklen_t length = sizeof addr;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
        return {};
    auto [text, port] = addressText(addr);
    if (port != 445 && port != 139)
        return {};
    return text;
}

// This process's TCP sockets to SMB ports. A socket still connecting has no peer yet and is
// listed with an empty one.
std::vector<SmbSocket> smbSockets() {
    std::vector<SmbSocket> out;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return out;
    const int own = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || fd == own)
            continue;
        struct stat st {};
        if (::fstat(static_cast<int>(fd), &st) != 0 || !S_ISSOCK(st.st_mode))
            continue;
        int type = 0;
        socklen_t length = sizeof type;
        if (::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_TYPE, &type, &length) != 0 ||
            type != SOCK_STREAM)
            continue;
        sockaddr_storage local{};
        socklen_t localLength = sizeof local;
        if (::getsockname(static_cast<int>(fd), reinterpret_cast<sockaddr*>(&local),
                          &localLength) != 0 ||
            (local.ss_family != AF_INET && local.ss_family != AF_INET6))
            continue;
        SmbSocket s{static_cast<int>(fd), static_cast<unsigned long>(st.st_ino),
                    peerOf(static_cast<int>(fd)), 0};
        tcp_info info{};
        socklen_t infoLength = sizeof info;
        if (::getsockopt(s.fd, IPPROTO_TCP, TCP_INFO, &info, &infoLength) != 0)
            continue;
        // Without an SMB peer only a connect under way may be ours: listening sockets and
        // connections to other ports are not.
        if (s.peer.empty() && info.tcpi_state != StateSynSent)
            continue;
        if (infoLength >= offsetof(tcp_info, tcpi_bytes_received) + sizeof info.tcpi_bytes_received)
            s.received = info.tcpi_bytes_received;
        out.push_back(std::move(s));
    }
    ::closedir(dir);
    return out;
}

void reset(const SmbSocket& s) {
    // The descriptor may have been closed and its number reused since it was listed.
    struct stat st {};
    if (::fstat(s.fd, &st) != 0 || static_cast<unsigned long>(st.st_ino) != s.inode)
        return;
    ::shutdown(s.fd, SHUT_RDWR);
    // Also aborts a connect still under way, which shutdown leaves alone.
    sockaddr unspec{};
    unspec.sa_family = AF_UNSPEC;
    ::connect(s.fd, &unspec, sizeof unspec);
}

} // namespace

ProgressClock::ProgressClock(std::chrono::milliseconds bound, std::uint64_t stepBytes,
                             WatchClock::time_point start)
    : m_bound(bound), m_stepBytes(stepBytes), m_lastProgress(start) {}

void ProgressClock::observe(std::uint64_t received, std::size_t connections,
                            WatchClock::time_point now) {
    if (!m_sampled) {
        m_sampled = true;
        m_mark = received;
        m_connections = connections;
        return;
    }
    // A closed connection takes its count with it.
    if (received < m_mark)
        m_mark = received;
    if (received - m_mark >= m_stepBytes || connections > m_connections) {
        m_mark = received;
        m_lastProgress = now;
    }
    m_connections = connections;
}

CallWatchdog::CallWatchdog(std::chrono::milliseconds bound, std::uint64_t stepBytes,
                           bool concurrent)
    : m_bound(bound), m_stepBytes(stepBytes), m_concurrent(concurrent),
      m_clock(bound, stepBytes, WatchClock::now()), m_thread([this] { run(); }) {}

CallWatchdog::~CallWatchdog() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void CallWatchdog::begin(std::set<std::string>& peers, std::uint64_t maxBytes) {
    std::set<unsigned long> before;
    for (const auto& s : smbSockets())
        before.insert(s.inode);
    {
        std::lock_guard lock(m_mutex);
        m_before = std::move(before);
        m_peers = &peers;
        m_ending = Ending::Normal;
        m_clock = ProgressClock(m_bound, m_stepBytes, WatchClock::now());
        m_maxBytes = maxBytes;
        m_firstReceived.reset();
        m_active = true;
    }
    m_wake.notify_all();
}

CallWatchdog::Ending CallWatchdog::end() {
    const auto sockets = smbSockets();
    std::lock_guard lock(m_mutex);
    m_active = false;
    if (!m_concurrent)
        for (const auto& s : sockets)
            if (!s.peer.empty() && !m_before.contains(s.inode))
                m_peers->insert(s.peer);
    m_peers = nullptr;
    return m_ending;
}

void CallWatchdog::cancel() {
    std::lock_guard lock(m_mutex);
    if (!m_active || m_ending != Ending::Normal)
        return;
    m_ending = Ending::Cancelled;
    abortLocked();
}

bool CallWatchdog::ownsLocked(const std::string& peer, unsigned long inode) const {
    if (!peer.empty() && m_peers->contains(peer))
        return true;
    // Beside other threads' connections only a connect still under way may be the call's.
    return !m_before.contains(inode) && (!m_concurrent || peer.empty());
}

void CallWatchdog::abortLocked() {
    for (const auto& s : smbSockets())
        if (ownsLocked(s.peer, s.inode))
            reset(s);
}

void CallWatchdog::resetConnections(const std::set<std::string>& peers) {
    for (const auto& s : smbSockets())
        if (!s.peer.empty() && peers.contains(s.peer))
            reset(s);
}

std::set<std::string> CallWatchdog::localAddresses(const std::set<std::string>& peers) {
    std::set<std::string> out;
    for (const auto& s : smbSockets()) {
        if (s.peer.empty() || !peers.contains(s.peer))
            continue;
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (::getsockname(s.fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
            if (auto text = addressText(local).first; !text.empty())
                out.insert(std::move(text));
    }
    return out;
}

void CallWatchdog::run() {
    std::unique_lock lock(m_mutex);
    while (!m_quit) {
        if (!m_active) {
            m_wake.wait(lock, [this] { return m_quit || m_active; });
            continue;
        }
        m_wake.wait_for(lock, Tick);
        if (m_quit || !m_active)
            continue;
        if (m_ending != Ending::Normal) {
            // The library may open another connection (a second port) after a reset one.
            abortLocked();
            continue;
        }
        std::uint64_t received = 0;
        std::size_t connections = 0;
        for (const auto& s : smbSockets()) {
            if (ownsLocked(s.peer, s.inode)) {
                received += s.received;
                ++connections;
            }
        }
        const auto now = WatchClock::now();
        m_clock.observe(received, connections, now);
        if (!m_firstReceived)
            m_firstReceived = received;
        if (m_maxBytes && received > *m_firstReceived + m_maxBytes) {
            m_ending = Ending::TooLarge;
            abortLocked();
        } else if (m_clock.expired(now)) {
            m_ending = Ending::TimedOut;
            abortLocked();
        }
    }
}

} // namespace corvane::smb
