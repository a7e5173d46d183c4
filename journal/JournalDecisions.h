#pragma once

#include "JournalFormat.h"

#include <QDateTime>
#include <QString>

#include <string>
#include <vector>

// What the journal keeps, and what an open does with the entries a crash left unfinished.
namespace corvane::journal {

inline constexpr int FinishedKeptDays = 30;
inline constexpr qint64 DefaultCapBytes = qint64(4) << 20;

// The bytes the entries' lines take together.
qint64 journalBytes(const std::vector<Entry>& entries);

// The entries to keep: finished ones older than `keptDays` go, then, while the lines pass
// `capBytes`, the oldest finished ones. Unfinished entries always stay: each may hold the only
// record of a share.
std::vector<Entry> prune(std::vector<Entry> entries, const QDateTime& now,
                         int keptDays = FinishedKeptDays, qint64 capBytes = DefaultCapBytes);

// An entry offered for restoring, with the older unfinished entries of the same share that
// its restoring settles too.
struct Offer {
    Entry entry;
    std::vector<QString> alsoSettles;
};

struct RecoveryPlan {
    // Unfinished entries the server's list settles: the share is there under its old or its
    // new name, or it was being deleted.
    std::vector<QString> settled;
    // Shares missing under both names, the newest entry of each.
    std::vector<Offer> offers;
};

// Compares the unfinished entries with the names the server lists (letter case aside).
RecoveryPlan planRecovery(const std::vector<Entry>& unfinished,
                          const std::vector<std::u16string>& listed);

} // namespace corvane::journal
