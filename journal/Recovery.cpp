#include "Recovery.h"

#include "Messages.h"
#include "RecoverSharesForm1.h"
#include "shares/ShareChanges.h"
#include "ui/BusyCursor.h"

namespace corvane {

namespace text = journal_text;

int restoreShares(ChangeJournal& journal, ShareService& shares, MessageBoxes& messages,
                  QWidget* owner, const QString& computer,
                  const std::vector<journal::Offer>& offers) {
    int restored = 0;
    for (const journal::Offer& offer : offers) {
        const ChangeOutcome added = addShare(shares, computer.toStdU16String(), offer.entry.share);
        const bool present =
            added.kind == ChangeOutcome::Kind::NotDone && added.status == status::DuplicateShare;
        if (added.done() || present) {
            const QString outcome = added.done() ? text::outcomeRestored() : text::outcomePresent();
            journal.finish(computer, offer.entry.id, outcome);
            for (const QString& id : offer.alsoSettles)
                journal.finish(computer, id, outcome);
            restored += added.done() ? 1 : 0;
            continue;
        }
        if (!messages.errorGoOn(
                owner, text::restoreFailed(QString::fromStdU16String(offer.entry.share.netname),
                                           added.status)))
            break;
    }
    return restored;
}

RecoveryResult recoverAtOpen(ChangeJournal& journal, ShareService& shares, MessageBoxes& messages,
                             QWidget* owner, const QString& computer,
                             const std::vector<std::u16string>& listed) {
    RecoveryResult result;
    ChangeJournal::Opened opened = journal.open(computer, QDateTime::currentDateTimeUtc());
    result.notes = opened.notes;
    const journal::RecoveryPlan plan = journal::planRecovery(opened.unfinished, listed);
    for (const QString& id : plan.settled)
        journal.finish(computer, id, text::outcomePresent());
    if (plan.offers.empty())
        return result;
    RecoverSharesForm1 form(computer, plan.offers, owner);
    {
        // An open holds the busy cursor; a dialog waiting for an answer must not look busy.
        const NormalCursor pointer;
        if (form.exec() != QDialog::Accepted)
            return result;
    }
    std::vector<journal::Offer> chosen;
    for (std::size_t i : form.checkedOffers())
        chosen.push_back(plan.offers[i]);
    result.restored = restoreShares(journal, shares, messages, owner, computer, chosen);
    if (result.restored > 0)
        result.notes << text::restoredNote(result.restored, computer);
    return result;
}

} // namespace corvane
