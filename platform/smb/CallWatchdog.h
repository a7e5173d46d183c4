#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace corvane::smb {

using WatchClock = std::chrono::steady_clock;

// When a call has gone without progress for too long. Progress is a step of `stepBytes`
// received (about one answer fragment), or one more connection opened (a connection step);
// a server that trickles a byte at a time makes none, a long answer that keeps arriving
// makes it all the time.
class ProgressClock {
public:
    ProgressClock(std::chrono::milliseconds bound, std::uint64_t stepBytes,
                  WatchClock::time_point start);
    // A sample of the call's connections: bytes received on them so far, and how many there are.
    void observe(std::uint64_t received, std::size_t connections, WatchClock::time_point now);
    bool expired(WatchClock::time_point now) const { return now - m_lastProgress >= m_bound; }

private:
    std::chrono::milliseconds m_bound;
    std::uint64_t m_stepBytes;
    WatchClock::time_point m_lastProgress;
    std::uint64_t m_mark = 0;
    std::size_t m_connections = 0;
    bool m_sampled = false;
};

// Watches the one call that is out at a time, from a thread of its own, and ends it from
// outside when its server stops making progress or when the user cancels it: the call's SMB
// connections are reset under the library, which then fails the call at once. The call's
// connections are the sockets to the server's addresses seen on earlier calls, and every SMB
// socket opened while the call runs.
class CallWatchdog {
public:
    enum class Ending { Normal, TimedOut, Cancelled, TooLarge };

    // `concurrent`: other threads of the process open SMB connections of their own meanwhile,
    // so a connection opened during the call is the call's only when it goes to `peers`.
    CallWatchdog(std::chrono::milliseconds bound, std::uint64_t stepBytes, bool concurrent = false);
    ~CallWatchdog();
    CallWatchdog(const CallWatchdog&) = delete;
    CallWatchdog& operator=(const CallWatchdog&) = delete;

    // Starts watching a call to the server whose known addresses are `peers`. With
    // `maxBytes`, a call that receives more than that many bytes is ended too (TooLarge).
    void begin(std::set<std::string>& peers, std::uint64_t maxBytes = 0);
    // Stops watching; the addresses of connections the call opened join `peers`.
    Ending end();
    // From any thread: ends the watched call (nothing when none is out).
    void cancel();
    // Resets every connection to `peers` (a server given up on), so nothing stays half-read.
    static void resetConnections(const std::set<std::string>& peers);
    // The addresses this process's open connections to `peers` come from, as the server sees
    // them (without a translating router in between).
    static std::set<std::string> localAddresses(const std::set<std::string>& peers);

private:
    void run();
    void abortLocked();
    // Whether a socket listed now belongs to the watched call.
    bool ownsLocked(const std::string& peer, unsigned long inode) const;

    std::chrono::milliseconds m_bound;
    std::uint64_t m_stepBytes;
    bool m_concurrent;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_active = false;
    bool m_quit = false;
    Ending m_ending = Ending::Normal;
    std::set<std::string>* m_peers = nullptr;
    std::set<unsigned long> m_before; // socket inodes present when the call began
    ProgressClock m_clock;
    std::uint64_t m_maxBytes = 0;
    std::optional<std::uint64_t> m_firstReceived;
    std::thread m_thread;
};

} // namespace corvane::smb
