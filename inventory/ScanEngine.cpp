#include "ScanEngine.h"

#include <algorithm>

namespace corvane {

ScanEngine::ScanEngine(std::size_t count, int jobs, MakeJob makeJob, Report report,
                       Finished finished)
    : m_count(count), m_makeJob(std::move(makeJob)), m_report(std::move(report)),
      m_finished(std::move(finished)) {
    const auto threads =
        std::min<std::size_t>(count, static_cast<std::size_t>(std::clamp(jobs, MinJobs, MaxJobs)));
    if (threads == 0) {
        if (m_finished)
            m_finished();
        m_allEnded = true;
        return;
    }
    for (std::size_t i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

ScanEngine::~ScanEngine() {
    cancel();
    for (auto& thread : m_threads)
        thread.join();
}

void ScanEngine::cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    for (ScanJob* job : m_running)
        job->cancel();
}

void ScanEngine::wait() {
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [this] { return m_allEnded; });
}

void ScanEngine::work() {
    for (;;) {
        std::size_t server = 0;
        bool cancelled = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_next == m_count)
                return;
            server = m_next++;
            cancelled = m_cancelled;
        }
        State state = State::Cancelled;
        Status result = status::Cancelled;
        if (!cancelled) {
            m_report(server, State::Scanning, status::Success);
            std::unique_ptr<ScanJob> job = m_makeJob(server);
            {
                std::lock_guard lock(m_mutex);
                if (m_cancelled)
                    job->cancel();
                m_running.push_back(job.get());
            }
            result = job->run();
            {
                std::lock_guard lock(m_mutex);
                std::erase(m_running, job.get());
                cancelled = m_cancelled;
            }
            job.reset(); // its connections close on this thread, as they were opened
            state = result == status::Success                  ? State::Done
                    : cancelled && result == status::Cancelled ? State::Cancelled
                                                               : State::Failed;
        }
        m_report(server, state, result);
        bool last = false;
        {
            std::lock_guard lock(m_mutex);
            last = ++m_ended == m_count;
        }
        if (last) {
            if (m_finished)
                m_finished();
            std::lock_guard lock(m_mutex);
            m_allEnded = true;
            m_done.notify_all();
        }
    }
}

} // namespace corvane
