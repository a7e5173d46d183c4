#include "Proxy.h"

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::integration {

Proxy::Proxy(const std::string& listen, const std::string& target, int delayMs) {
    const std::string from = listen + ":445", to = target + ":445";
    const std::string delay = std::to_string(delayMs);
    int ready[2];
    if (::pipe(ready) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(ready[1], STDOUT_FILENO);
        ::close(ready[0]);
        ::execl(CORVANE_PROXY, CORVANE_PROXY, "--listen", from.c_str(), "--target", to.c_str(),
                "--delay-ms", delay.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(ready[1]);
    m_said = ready[0];
    m_ready = m_pid > 0 && waitFor("listening");
}

Proxy::~Proxy() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_said >= 0)
        ::close(m_said);
}

bool Proxy::stall() const {
    ::kill(m_pid, SIGUSR1);
    return waitFor("stalled");
}

void Proxy::resume() const {
    ::kill(m_pid, SIGUSR2);
}

bool Proxy::waitFor(const std::string& word) const {
    using Clock = std::chrono::steady_clock;
    std::string said;
    const auto until = Clock::now() + std::chrono::seconds(5);
    while (said.find(word) == std::string::npos && Clock::now() < until) {
        pollfd p{m_said, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buffer[64];
        const ssize_t n = ::read(m_said, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        said.append(buffer, static_cast<std::size_t>(n));
    }
    return said.find(word) != std::string::npos;
}

} // namespace corvane::integration
