#pragma once

#include "ChangeJournal.h"
#include "shares/RecreateShare.h"

#include <QString>

#include <optional>
#include <string>

namespace corvane {

// One change of a share held in the journal from before its first destructive call until its
// outcome is known. Without a journal (tests that do not look at it) nothing is recorded.
class PendingChange {
public:
    PendingChange(ChangeJournal* journal, const QString& server, journal::Walk walk,
                  const ShareInfo502& share, const std::u16string& newName,
                  const std::u16string& newPath);

    // False when the entry could not be written: the change must not go out.
    bool recorded() const { return m_error.isEmpty(); }
    // Why it could not, with the journal's path.
    const QString& error() const { return m_error; }
    // The server's state after the change is known; a second call does nothing.
    void finish(const QString& outcome);

private:
    ChangeJournal* m_journal;
    QString m_server;
    QString m_id;
    QString m_error;
};

// The journal as the record of one re-creation of a share of `server` in `walk`.
class JournalRecord final : public ChangeRecord {
public:
    JournalRecord(ChangeJournal* journal, const QString& server, journal::Walk walk)
        : m_journal(journal), m_server(server), m_walk(walk) {}

    QString begin(const ShareInfo502& original, const std::u16string& newName,
                  const std::u16string& newPath) override;
    void finish(const QString& outcome) override;

private:
    ChangeJournal* m_journal;
    QString m_server;
    journal::Walk m_walk;
    std::optional<PendingChange> m_change;
};

} // namespace corvane
