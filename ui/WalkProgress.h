#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// A walk over many shares shown as a whole, from its first call: what it does, how many of how
// many are done, and a way to stop it between two shares. Implemented by whoever waits for the
// calls; the walks see only this.
class WalkProgress {
public:
    virtual ~WalkProgress() = default;
    virtual void beginWalk(const QString& work, int total) = 0;
    virtual void walkAdvanced(int done) = 0;
    // The user asked to stop: the walk ends before its next share.
    virtual bool walkStopRequested() const = 0;
    virtual void endWalk() = 0;
};

// One walk over `total` shares, shown when it has more than a few; inert without `progress`.
class Walk {
public:
    static constexpr int FewItems = 3;

    Walk(WalkProgress* progress, const QString& work, int total)
        : m_progress(total > FewItems ? progress : nullptr) {
        if (m_progress)
            m_progress->beginWalk(work, total);
    }
    ~Walk() {
        if (m_progress)
            m_progress->endWalk();
    }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

    // Asked before each share: true when the walk is to stop there.
    bool stopRequested() const { return m_progress && m_progress->walkStopRequested(); }
    // Told after each share, done or not.
    void advance() {
        ++m_done;
        if (m_progress)
            m_progress->walkAdvanced(m_done);
    }

private:
    WalkProgress* m_progress;
    int m_done = 0;
};

// One share of a walk: counted done when it goes out of scope, however its handling ended.
class WalkStep {
public:
    explicit WalkStep(Walk& walk) : m_walk(walk) {}
    ~WalkStep() { m_walk.advance(); }
    WalkStep(const WalkStep&) = delete;
    WalkStep& operator=(const WalkStep&) = delete;

private:
    Walk& m_walk;
};

// Runs `each` on every name in turn as one walk. `each` returns false to end the walk there;
// then walkOver does too. A walk the user stopped between two names counts as walked.
template <typename Each>
bool walkOver(WalkProgress* progress, const QString& work, const QStringList& names, Each each) {
    Walk walk(progress, work, static_cast<int>(names.size()));
    for (const QString& name : names) {
        if (walk.stopRequested())
            break;
        const WalkStep step(walk);
        if (!each(name))
            return false;
    }
    return true;
}

} // namespace corvane
