#pragma once

#include "ChangeJournal.h"
#include "platform/ShareService.h"
#include "ui/MessageBoxes.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

class QWidget;

namespace corvane {

struct RecoveryResult {
    QStringList notes; // for the status line
    int restored = 0;  // shares added back; the list needs a reload when any were
};

// What opening `computer` does with its journal: entries the server's `listed` names settle
// are finished silently; shares missing under both their old and their new name are offered in
// RecoverSharesForm1, and OK adds the checked ones back with their records and descriptors.
// Cancel leaves them for the next open.
RecoveryResult recoverAtOpen(ChangeJournal& journal, ShareService& shares, MessageBoxes& messages,
                             QWidget* owner, const QString& computer,
                             const std::vector<std::u16string>& listed);

// Adds each offered share back as the journal recorded it, by the ordinary addition (a lost
// answer is settled by reading the share back). A share the server then holds (added, or
// refused as already there) has its entries finished; any other failure is reported, its entry
// stays open, and No ends the walk. Returns the number added.
int restoreShares(ChangeJournal& journal, ShareService& shares, MessageBoxes& messages,
                  QWidget* owner, const QString& computer,
                  const std::vector<journal::Offer>& offers);

} // namespace corvane
