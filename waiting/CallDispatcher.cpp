#include "CallDispatcher.h"

#include <QEventLoop>

namespace corvane {

struct CallDispatcher::Job {
    std::function<Status()> run;
    bool tellUi = true; // post the end to the user-interface thread
    // Guarded by the dispatcher's mutex.
    Status result = status::Success;
    bool started = false;
    bool done = false;
    bool abandoned = false; // its wait was cancelled: nobody reads the result
    bool uiWaits = false;   // the user-interface thread waits in its event loop
};

namespace {
// How long a call may keep the window from its event loop before the loop runs, and how long
// the window blocks for a call before it waits in the loop instead.
constexpr std::chrono::milliseconds KeepAliveInterval{100};
constexpr std::chrono::milliseconds QuickCall{2};
} // namespace

CallDispatcher::CallDispatcher(QObject* parent) : QObject(parent) {
    m_worker = std::thread([this] { workerLoop(); });
}

CallDispatcher::~CallDispatcher() {
    CallCanceller* canceller = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
        if (m_running)
            canceller = m_canceller;
    }
    m_wake.notify_all();
    m_done.notify_all();
    if (canceller)
        canceller->cancelCurrentCall();
    m_worker.join();
}

void CallDispatcher::setCanceller(CallCanceller* canceller) {
    const std::lock_guard lock(m_mutex);
    m_canceller = canceller;
}

void CallDispatcher::enqueue(std::shared_ptr<Job> job) {
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void CallDispatcher::workerLoop() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_closing || !m_queue.empty(); });
        if (m_queue.empty())
            return; // closing, and everything asked for has run
        std::shared_ptr<Job> job = std::move(m_queue.front());
        m_queue.pop_front();
        if (job->abandoned)
            continue; // cancelled before it began: it never reaches the network
        job->started = true;
        m_running = job;
        lock.unlock();
        const Status result = job->run();
        lock.lock();
        job->result = result;
        job->done = true;
        m_running.reset();
        m_done.notify_all();
        if (job->tellUi && job->uiWaits)
            QMetaObject::invokeMethod(
                this, [this, job] { jobFinished(job); }, Qt::QueuedConnection);
    }
}

void CallDispatcher::jobFinished(const std::shared_ptr<Job>& job) {
    if (job == m_current && m_loop)
        m_loop->quit();
}

std::optional<Status> CallDispatcher::call(const QString& work, std::function<Status()> job) {
    // Input is held off during a wait, so nothing should call in the middle of one; if
    // something does, it must not queue behind the call that waits for it.
    if (m_current)
        return status::NetworkBusy;
    auto queued = std::make_shared<Job>();
    queued->run = std::move(job);
    const auto done = [this, queued] {
        const std::lock_guard lock(m_mutex);
        return queued->done;
    };
    enqueue(queued);
    // A quick call is waited for without the event loop, as long as the window went through
    // its loop a moment ago: a run of quick calls still lets it repaint several times a second.
    if (Clock::now() - m_lastLoop < KeepAliveInterval) {
        std::unique_lock lock(m_mutex);
        if (m_done.wait_for(lock, QuickCall, [&queued] { return queued->done; }))
            return queued->result;
    }
    {
        const std::lock_guard lock(m_mutex);
        queued->uiWaits = true;
    }
    m_current = queued;
    m_cancelled = false;
    m_work = work;
    if (m_observer)
        m_observer->waitStarted(work);
    {
        QEventLoop loop;
        m_loop = &loop;
        // A loop left for another reason (the application quitting) is entered again: the
        // caller waits for its answer either way.
        while (!m_cancelled && !done())
            loop.exec();
        m_loop = nullptr;
    }
    m_lastLoop = Clock::now();
    m_current.reset();
    if (m_observer)
        m_observer->waitEnded();
    const std::lock_guard lock(m_mutex);
    if (!queued->done)
        return std::nullopt;
    return queued->result;
}

void CallDispatcher::runOnWorker(const std::function<void()>& job) {
    auto queued = std::make_shared<Job>();
    queued->run = [&job] {
        job();
        return status::Success;
    };
    queued->tellUi = false;
    enqueue(queued);
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&queued] { return queued->done; });
}

void CallDispatcher::cancel() {
    if (!m_current || m_cancelled)
        return;
    m_cancelled = true;
    CallCanceller* canceller = nullptr;
    {
        const std::lock_guard lock(m_mutex);
        m_current->abandoned = true;
        // Whatever runs now is either this call or one given up before it: both may end.
        if (m_running)
            canceller = m_canceller;
    }
    m_done.notify_all();
    if (canceller)
        canceller->cancelCurrentCall();
    if (m_loop)
        m_loop->quit();
    emit waitCancelled(m_work);
}

void CallDispatcher::beginWalk(const QString& work, int total) {
    if (m_walkDepth++ > 0)
        return;
    m_walk = {work, total, 0, false};
    if (m_observer)
        m_observer->walkStarted(work, total);
}

void CallDispatcher::walkAdvanced(int done) {
    if (m_walkDepth != 1)
        return;
    m_walk.done = done;
    if (m_observer)
        m_observer->walkAdvanced(done, m_walk.total);
}

void CallDispatcher::endWalk() {
    if (m_walkDepth == 0 || --m_walkDepth > 0)
        return;
    if (m_observer)
        m_observer->walkEnded();
    if (m_walk.stop && m_walk.done < m_walk.total)
        emit walkStopped(m_walk.work, m_walk.done, m_walk.total);
    m_walk = {};
}

bool CallDispatcher::askOnUiThread(std::function<void()> question) {
    struct Asked {
        bool answered = false;
        bool dropped = false;
    };
    auto asked = std::make_shared<Asked>();
    std::shared_ptr<Job> job;
    {
        const std::lock_guard lock(m_mutex);
        if (m_closing || !m_running || m_running->abandoned)
            return false;
        job = m_running;
    }
    const auto gone = [this, job, asked] { return asked->dropped || job->abandoned || m_closing; };
    QMetaObject::invokeMethod(
        this,
        [this, asked, gone, question = std::move(question)] {
            {
                const std::lock_guard lock(m_mutex);
                if (gone())
                    return;
            }
            if (m_observer)
                m_observer->questionStarted();
            question();
            if (m_observer)
                m_observer->questionEnded();
            {
                const std::lock_guard lock(m_mutex);
                asked->answered = true;
            }
            m_done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return asked->answered || gone(); });
    if (!asked->answered)
        asked->dropped = true;
    return asked->answered;
}

} // namespace corvane
