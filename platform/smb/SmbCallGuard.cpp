// The call guard: every step of a call runs under the watchdog; a cancel, a timeout or a stall
// ends it and leaves no half-read connection behind.
#include "SmbNetworkParts.h"

#include "SmbContext.h"

namespace corvane::smb {

Status SmbNetwork::guarded(Server& server, const std::function<Status()>& step,
                           std::uint64_t maxBytes) {
    const auto now = WatchClock::now();
    // Only reads are spared: a change, or a check of what a change did, always goes out.
    if (m_kind == CallKind::Read && now < server.stalledUntil) {
        server.stalledUntil = now + StallHold;
        return status::SemaphoreTimeout;
    }
    {
        std::lock_guard lock(m_cancelMutex);
        if (m_cancelRequested)
            return status::Cancelled;
    }
    m_watchdog->begin(server.peers, maxBytes);
    {
        // Cancelled after the check above: the watchdog ends the step at its first tick.
        std::lock_guard lock(m_cancelMutex);
        if (m_cancelRequested)
            m_watchdog->cancel();
    }
    Status s = step();
    switch (m_watchdog->end()) {
    case CallWatchdog::Ending::Normal:
        if (s != status::SemaphoreTimeout) {
            server.stalledUntil = {}; // the server answers again
            return s;
        }
        break; // the library gave up by itself: the same as our own timeout
    case CallWatchdog::Ending::TimedOut:
        s = status::SemaphoreTimeout;
        break;
    case CallWatchdog::Ending::Cancelled:
        s = status::Cancelled;
        break;
    case CallWatchdog::Ending::TooLarge:
        s = status::MoreData;
        break;
    }
    if (s == status::SemaphoreTimeout && m_kind == CallKind::Read)
        server.stalledUntil = WatchClock::now() + StallHold;
    // Nothing half-read stays behind: the next call to the server starts on new connections.
    dropPipes(server);
    CallWatchdog::resetConnections(server.peers);
    m_context->purgeConnections();
    return s;
}

void SmbNetwork::cancelCurrentCall() {
    std::lock_guard lock(m_cancelMutex);
    if (!m_busy)
        return;
    m_cancelRequested = true;
    m_watchdog->cancel();
}

void SmbNetwork::beginOperation() {
    for (auto& [name, server] : m_servers)
        server->stalledUntil = {};
}

void SmbNetwork::freshStart(const std::u16string& server, std::uint32_t resumeHandle) {
    if (resumeHandle == 0)
        serverFor(server).stalledUntil = {};
}

Status SmbNetwork::withRetry(const Attempt& attempt) {
    bool retryable = false;
    Status s = attempt(retryable);
    if (s != status::Success && retryable)
        s = attempt(retryable);
    return s;
}

} // namespace corvane::smb
