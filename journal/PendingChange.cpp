#include "PendingChange.h"

namespace corvane {

PendingChange::PendingChange(ChangeJournal* journal, const QString& server, journal::Walk walk,
                             const ShareInfo502& share, const std::u16string& newName,
                             const std::u16string& newPath)
    : m_journal(journal), m_server(server) {
    if (!m_journal)
        return;
    ChangeJournal::Began began = m_journal->begin(server, walk, share, newName, newPath);
    m_id = began.id;
    m_error = began.error;
}

void PendingChange::finish(const QString& outcome) {
    if (!m_journal || m_id.isEmpty() || !m_error.isEmpty())
        return;
    // A finish that cannot be written leaves the entry open; the next open settles it against
    // the server's list.
    m_journal->finish(m_server, m_id, outcome);
    m_id.clear();
}

QString JournalRecord::begin(const ShareInfo502& original, const std::u16string& newName,
                             const std::u16string& newPath) {
    m_change.emplace(m_journal, m_server, m_walk, original, newName, newPath);
    return m_change->error();
}

void JournalRecord::finish(const QString& outcome) {
    if (m_change)
        m_change->finish(outcome);
}

} // namespace corvane
