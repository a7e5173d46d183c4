#pragma once

#include <string>
#include <sys/types.h>

namespace corvane::integration {

// The forwarding proxy (tools/proxy) on LISTEN:445 in front of TARGET:445, delaying each
// direction's data by `delayMs`. It ends with the object, or with the test process.
class Proxy {
public:
    Proxy(const std::string& listen, const std::string& target, int delayMs = 0);
    ~Proxy();
    Proxy(const Proxy&) = delete;
    Proxy& operator=(const Proxy&) = delete;

    bool ready() const { return m_ready; }
    // Returns once the proxy holds back what it receives.
    bool stall() const;
    // Lets it forward again.
    void resume() const;

private:
    // Reads what the proxy says until `word` comes, the output ends or 5 s pass.
    bool waitFor(const std::string& word) const;

    pid_t m_pid = -1;
    int m_said = -1;
    bool m_ready = false;
};

} // namespace corvane::integration
