#include "inventory/ScanEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

using namespace corvane;
using State = ScanEngine::State;

namespace {

// What a fake server does: answer at once with a status, or answer nothing until cancelled.
struct Server {
    Status answer = status::Success;
    bool silent = false;
};

// The servers' shared record: how many jobs run at once, and every server's last state.
struct Record {
    std::mutex mutex;
    std::condition_variable changed;
    int running = 0;
    int peak = 0;
    std::map<std::size_t, State> states;
    std::map<std::size_t, Status> results;
    std::vector<std::size_t> started;
    bool finished = false;

    std::size_t endedCount() {
        return static_cast<std::size_t>(std::count_if(states.begin(), states.end(), [](auto& s) {
            return s.second != State::Waiting && s.second != State::Scanning;
        }));
    }
};

class FakeJob : public ScanJob {
public:
    FakeJob(Record& record, std::size_t index, Server server, std::size_t holdUntilRunning)
        : m_record(record), m_index(index), m_server(server), m_hold(holdUntilRunning) {}
    Status run() override {
        std::unique_lock lock(m_record.mutex);
        m_record.started.push_back(m_index);
        m_record.peak = std::max(m_record.peak, ++m_record.running);
        m_record.changed.notify_all();
        // Every job waits until `m_hold` run together, so the peak shows the engine's bound.
        m_record.changed.wait(lock, [&] {
            return m_cancelled ||
                   (!m_server.silent && static_cast<std::size_t>(m_record.peak) >= m_hold);
        });
        --m_record.running;
        return m_cancelled ? status::Cancelled : m_server.answer;
    }
    void cancel() override {
        std::lock_guard lock(m_record.mutex);
        m_cancelled = true;
        m_record.changed.notify_all();
    }

private:
    Record& m_record;
    std::size_t m_index;
    Server m_server;
    std::size_t m_hold;
    bool m_cancelled = false;
};

struct Case {
    const char* name;
    std::vector<Server> servers;
    int jobs;
    int expectedPeak;
    std::vector<State> expected; // each server's last state, the silent ones once the rest ended
};

class ScanEngineTest : public testing::TestWithParam<Case> {};

} // namespace

TEST_P(ScanEngineTest, RunsEachServerOnceWithinTheBoundAndReportsHowItEnded) {
    const Case& c = GetParam();
    Record record;
    const std::size_t live = static_cast<std::size_t>(std::count_if(
        c.servers.begin(), c.servers.end(), [](const Server& s) { return !s.silent; }));
    {
        ScanEngine engine(
            c.servers.size(), c.jobs,
            [&](std::size_t i) {
                return std::make_unique<FakeJob>(record, i, c.servers[i],
                                                 static_cast<std::size_t>(c.expectedPeak));
            },
            [&](std::size_t i, State state, Status result) {
                std::lock_guard lock(record.mutex);
                record.states[i] = state;
                record.results[i] = result;
                record.changed.notify_all();
            },
            [&] {
                std::lock_guard lock(record.mutex);
                record.finished = true;
            });
        {
            // The live servers all end while the silent ones still hold their threads.
            std::unique_lock lock(record.mutex);
            record.changed.wait(lock, [&] { return record.endedCount() >= live; });
            // Silent servers fill every thread; a moment more lets any thread beyond the bound
            // show before Cancel.
            const int busy =
                std::min<int>(c.expectedPeak, static_cast<int>(c.servers.size() - live));
            record.changed.wait(lock, [&] { return record.running >= busy; });
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            lock.lock();
            if (live < c.servers.size()) {
                EXPECT_FALSE(record.finished);
            }
        }
        engine.cancel();
        engine.wait();
    }
    EXPECT_TRUE(record.finished);
    EXPECT_EQ(record.peak, c.expectedPeak);
    ASSERT_EQ(record.states.size(), c.servers.size());
    for (std::size_t i = 0; i < c.servers.size(); ++i) {
        EXPECT_EQ(record.states[i], c.expected[i]) << "server " << i;
        if (c.expected[i] == State::Failed) {
            EXPECT_EQ(record.results[i], c.servers[i].answer) << "server " << i;
        }
    }
    // Each started once.
    std::sort(record.started.begin(), record.started.end());
    EXPECT_EQ(std::adjacent_find(record.started.begin(), record.started.end()),
              record.started.end());
}

// With fewer threads than silent servers, the servers after them are never started: cancel
// leaves them unscanned.
TEST(ScanEngineCancel, LeavesWaitingServersUnscanned) {
    Record record;
    const std::vector<Server> servers = {{status::Success, true}, {}, {}};
    {
        ScanEngine engine(
            servers.size(), 1,
            [&](std::size_t i) { return std::make_unique<FakeJob>(record, i, servers[i], 1); },
            [&](std::size_t i, State state, Status) {
                std::lock_guard lock(record.mutex);
                record.states[i] = state;
                record.changed.notify_all();
            },
            {});
        {
            std::unique_lock lock(record.mutex);
            record.changed.wait(lock, [&] { return record.running == 1; });
        }
        engine.cancel();
        engine.wait();
    }
    EXPECT_EQ(record.started, std::vector<std::size_t>{0});
    EXPECT_EQ(record.states[0], State::Cancelled);
    EXPECT_EQ(record.states[1], State::Cancelled);
    EXPECT_EQ(record.states[2], State::Cancelled);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScanEngineTest,
    testing::Values(Case{"more_servers_than_jobs",
                         {{}, {}, {}, {}, {}},
                         2,
                         2,
                         std::vector<State>(5, State::Done)},
                    Case{"fewer_servers_than_jobs", {{}, {}}, 8, 2, {State::Done, State::Done}},
                    Case{"jobs_above_the_limit", std::vector<Server>(34, {status::Success, true}),
                         40, ScanEngine::MaxJobs, std::vector<State>(34, State::Cancelled)},
                    Case{"failures_stay_per_server",
                         {{status::BadNetPath}, {}, {status::AccessDenied}, {}},
                         4,
                         4,
                         {State::Failed, State::Done, State::Failed, State::Done}},
                    Case{"a_silent_server_holds_only_its_thread",
                         {{status::Success, true}, {}, {}, {}},
                         2,
                         2,
                         {State::Cancelled, State::Done, State::Done, State::Done}}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });
