#include "Proxy.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvane::integration {

Proxy::Proxy(const std::string& listen, const std::string& target, int delayMs) {
    const std::string from = listen + ":445", to = target + ":445";
    const std::string delay = std::to_string(delayMs);
    int said[2], told[2];
    if (::pipe(said) != 0)
        return;
    if (::pipe(told) != 0) {
        ::close(said[0]);
        ::close(said[1]);
        return;
    }
    m_pid = ::fork();
    if (m_pid == 0) {
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        ::dup2(said[1], STDOUT_FILENO);
        ::dup2(told[0], STDIN_FILENO);
        ::close(said[0]);
        ::close(told[1]);
        ::execl(CORVANE_PROXY, CORVANE_PROXY, "--listen", from.c_str(), "--target", to.c_str(),
                "--delay-ms", delay.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(said[1]);
    ::close(told[0]);
    m_said = said[0];
    m_told = told[1];
    m_reader = std::thread(&Proxy::readLines, this);
    m_ready = m_pid > 0 && waitFor("listening");
}

Proxy::~Proxy() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_told >= 0)
        ::close(m_told);
    if (m_reader.joinable())
        m_reader.join();
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

bool Proxy::reset() {
    return command("reset", "ok");
}

bool Proxy::arm(std::size_t nth, Fault fault, int holdMs) {
    static const char* const names[] = {"late", "lose-answer", "lose-request", "pause"};
    return command("arm " + std::to_string(nth) + " " + names[static_cast<int>(fault)] + " " +
                       std::to_string(holdMs),
                   "ok");
}

void Proxy::onReached(std::function<void(std::size_t)> hook) {
    std::lock_guard lock(m_mutex);
    m_onReached = std::move(hook);
}

std::vector<std::uint16_t> Proxy::calls(bool* applied) {
    std::string line;
    std::vector<std::uint16_t> out;
    if (!command("calls", "") || !waitFor("calls ", &line))
        return out;
    // "calls applied=K OP OP ..."
    std::size_t at = line.find("applied=");
    if (applied)
        *applied = at != std::string::npos && line.compare(at + 8, 1, "1") == 0;
    at = line.find(' ', at);
    while (at != std::string::npos && at + 1 < line.size()) {
        out.push_back(static_cast<std::uint16_t>(std::stoul(line.substr(at + 1))));
        at = line.find(' ', at + 1);
    }
    return out;
}

long Proxy::trips() {
    std::string line;
    if (!command("trips", "") || !waitFor("trips ", &line))
        return -1;
    return std::stol(line.substr(6));
}

bool Proxy::command(const std::string& line, const std::string& answer) {
    const std::string text = line + "\n";
    if (m_told < 0 || ::write(m_told, text.data(), text.size()) != ssize_t(text.size()))
        return false;
    return answer.empty() || waitFor(answer);
}

void Proxy::readLines() {
    std::string partial;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(m_said, buffer, sizeof buffer);
        if (n <= 0)
            break;
        partial.append(buffer, static_cast<std::size_t>(n));
        std::size_t end;
        while ((end = partial.find('\n')) != std::string::npos) {
            std::string line = partial.substr(0, end);
            partial.erase(0, end + 1);
            if (line.starts_with("reached ")) {
                std::function<void(std::size_t)> hook;
                {
                    std::lock_guard lock(m_mutex);
                    hook = m_onReached;
                }
                if (hook)
                    hook(std::stoul(line.substr(8)));
                command("go", "");
                continue;
            }
            std::lock_guard lock(m_mutex);
            m_lines.push_back(std::move(line));
            m_arrived.notify_all();
        }
    }
    std::lock_guard lock(m_mutex);
    m_ended = true;
    m_arrived.notify_all();
}

bool Proxy::waitFor(const std::string& prefix, std::string* line) const {
    std::unique_lock lock(m_mutex);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        for (auto it = m_lines.begin(); it != m_lines.end(); ++it) {
            if (!it->starts_with(prefix))
                continue;
            if (line)
                *line = *it;
            m_lines.erase(it);
            return true;
        }
        if (m_ended || m_arrived.wait_until(lock, until) == std::cv_status::timeout)
            return false;
    }
}

} // namespace corvane::integration
