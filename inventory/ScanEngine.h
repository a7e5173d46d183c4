#pragma once

#include "platform/Status.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace corvane {

// One server's scan, run on a worker thread of the engine. It keeps what it reads itself; the
// engine only learns how it ended.
class ScanJob {
public:
    virtual ~ScanJob() = default;
    virtual Status run() = 0;
    // From another thread, while run() is out: ends it soon with Cancelled.
    virtual void cancel() = 0;
};

// Scans servers 0..count-1 on at most `jobs` threads at a time, each server with a job of its
// own, in order of the list. A server that does not answer holds up only the thread it is on.
// Cancel leaves waiting servers unscanned and cancels the jobs that run.
class ScanEngine {
public:
    enum class State { Waiting, Scanning, Done, Failed, Cancelled };
    using MakeJob = std::function<std::unique_ptr<ScanJob>(std::size_t server)>;
    // Called on the worker threads: a server's new state, with its job's status once it ended.
    // `finished` is called once, after the last server's end.
    using Report = std::function<void(std::size_t server, State state, Status result)>;
    using Finished = std::function<void()>;

    static constexpr int MinJobs = 1;
    static constexpr int MaxJobs = 32;

    ScanEngine(std::size_t count, int jobs, MakeJob makeJob, Report report, Finished finished);
    // Cancels what still runs and waits for the threads.
    ~ScanEngine();
    ScanEngine(const ScanEngine&) = delete;
    ScanEngine& operator=(const ScanEngine&) = delete;

    void cancel();
    // Blocks until every server has ended.
    void wait();

private:
    void work();

    std::size_t m_count;
    MakeJob m_makeJob;
    Report m_report;
    Finished m_finished;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::size_t m_next = 0;
    std::size_t m_ended = 0;
    bool m_cancelled = false;
    bool m_allEnded = false; // and `finished` was called
    std::vector<ScanJob*> m_running;
    std::vector<std::thread> m_threads;
};

} // namespace corvane
