#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace corvane::integration {

// The forwarding proxy (tools/proxy) on LISTEN:445 in front of TARGET:445, delaying each
// direction's data by `delayMs`. It ends with the object, or with the test process. It counts
// the server-service calls it carries and fails the one a test arms (see tools/proxy/Proxy.cpp).
class Proxy {
public:
    enum class Fault { Late, LoseAnswer, LoseRequest, Pause };

    Proxy(const std::string& listen, const std::string& target, int delayMs = 0);
    ~Proxy();
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    bool ready() const { return m_ready; }
    // Returns once the proxy holds back what it receives.
    bool stall() const;
    // Lets it forward again.
    void resume() const;

    // Counts calls from zero again and disarms.
    bool reset();
    // Fails the `nth` call from the last reset (1-based); `holdMs` is a late answer's delay.
    // Pause holds the `nth` call and every later one while `onReached` runs with its number, on
    // the proxy's reader thread; the call then goes on to the server.
    bool arm(std::size_t nth, Fault fault, int holdMs = 0);
    void onReached(std::function<void(std::size_t)> hook);
    // The opnums of the calls since the reset, and whether the armed fault acted.
    std::vector<std::uint16_t> calls(bool* applied = nullptr);
    // The round trips since the reset (a connection's handshake counts one), or -1 unanswered.
    long trips();

private:
    bool command(const std::string& line, const std::string& answer);
    // Waits for a line that starts with `prefix`, the end of the output or 5 s; takes it out.
    bool waitFor(const std::string& prefix, std::string* line = nullptr) const;
    void readLines();

    pid_t m_pid = -1;
    int m_said = -1;
    int m_told = -1;
    bool m_ready = false;
    std::thread m_reader;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_arrived;
    mutable std::deque<std::string> m_lines;
    bool m_ended = false;
    std::function<void(std::size_t)> m_onReached;
};

} // namespace corvane::integration
