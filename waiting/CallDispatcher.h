#pragma once

#include "platform/CallCanceller.h"
#include "platform/Status.h"
#include "ui/WalkProgress.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QEventLoop;

namespace corvane {

// Told on the user-interface thread when a wait begins and ends, and when a question from the
// worker (a logon to ask for) is shown in the middle of one.
class WaitObserver {
public:
    virtual ~WaitObserver() = default;
    virtual void waitStarted(const QString& work) = 0;
    virtual void waitEnded() = 0;
    virtual void questionStarted() = 0;
    virtual void questionEnded() = 0;
    // A walk over many shares, shown as a whole across its calls.
    virtual void walkStarted(const QString& /*work*/, int /*total*/) {}
    virtual void walkAdvanced(int /*done*/, int /*total*/) {}
    virtual void walkEnded() {}
};

// Runs every network call on one worker thread, which alone touches the network objects, while
// the user-interface thread waits in a local event loop: the window keeps repainting and its
// timers run, and the observer keeps user input away from everything but the wait panel. The
// callers stay synchronous: call() returns when the call is done, or at once when the wait is
// cancelled. Calls run one at a time, in the order given; a call made after a cancelled one
// waits until the worker is free.
class CallDispatcher : public QObject, public WalkProgress {
    Q_OBJECT
public:
    explicit CallDispatcher(QObject* parent = nullptr);
    ~CallDispatcher() override;
    CallDispatcher(const CallDispatcher&) = delete;
    CallDispatcher& operator=(const CallDispatcher&) = delete;

    void setObserver(WaitObserver* observer) { m_observer = observer; }
    // The network that can end its call out when a wait is cancelled.
    void setCanceller(CallCanceller* canceller);

    // Runs `job` on the worker and waits for it; `work` says what it does, for the wait panel.
    // nullopt when the wait was cancelled: the job then runs to its end on the worker, so it
    // must own everything it writes to. Called from the user-interface thread only.
    std::optional<Status> call(const QString& work, std::function<Status()> job);

    // Runs `job` on the worker and blocks until it is done, without an event loop: for creating
    // and destroying what the worker owns.
    void runOnWorker(const std::function<void()>& job);

    // Ends the present wait as a cancelled call and asks the network to end the call out.
    void cancel();
    bool waiting() const { return static_cast<bool>(m_current); }

    // A walk: its calls are shown as one wait. A walk begun inside another is part of it.
    void beginWalk(const QString& work, int total) override;
    void walkAdvanced(int done) override;
    bool walkStopRequested() const override { return m_walk.stop; }
    void endWalk() override;
    bool walking() const { return m_walkDepth > 0; }
    // Asks the walk to stop before its next share; the call out goes on to its end.
    void stopWalk() { m_walk.stop = true; }

    // From the worker, inside a job: runs `question` on the user-interface thread and waits
    // for it. False when it was not run, because the job's wait was cancelled or the dispatcher
    // is closing; `question` must then own what it writes to.
    bool askOnUiThread(std::function<void()> question);

signals:
    // A wait the user cancelled, with what it was doing.
    void waitCancelled(const QString& work);
    // A walk that stopped on the user's word before its end.
    void walkStopped(const QString& work, int done, int total);

private:
    struct Job;
    void workerLoop();
    void enqueue(std::shared_ptr<Job> job);
    void jobFinished(const std::shared_ptr<Job>& job);

    WaitObserver* m_observer = nullptr;
    std::shared_ptr<Job> m_current; // the job the user-interface thread waits for
    QEventLoop* m_loop = nullptr;
    bool m_cancelled = false;
    QString m_work; // what the present wait does
    struct WalkState {
        QString work;
        int total = 0;
        int done = 0;
        bool stop = false;
    } m_walk;
    int m_walkDepth = 0;
    using Clock = std::chrono::steady_clock;
    Clock::time_point m_lastLoop; // when a wait last ran the event loop

    mutable std::mutex m_mutex;
    std::condition_variable m_wake; // work for the worker
    std::condition_variable m_done; // a job or a question came to its end
    std::deque<std::shared_ptr<Job>> m_queue;
    std::shared_ptr<Job> m_running; // the job on the worker now
    CallCanceller* m_canceller = nullptr;
    bool m_closing = false;
    std::thread m_worker;
};

} // namespace corvane
