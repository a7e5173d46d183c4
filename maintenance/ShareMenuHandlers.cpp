#include "ShareMenuHandlers.h"

#include "Messages.h"
#include "TFindReplaceTextForm1.h"
#include "journal/Messages.h"
#include "journal/PendingChange.h"
#include "shares/Messages.h"
#include "ui/BusyCursor.h"
#include "ui/SelectionWalk.h"
#include "ui/Text.h"
#include "ui/WalkProgress.h"

#include <QAction>
#include <QCoreApplication>
#include <QTreeWidget>

namespace corvane {

namespace text = maintenance_text;

SharesMenuEnabling sharesMenuEnabling(int rowCount, int selectedCount) {
    SharesMenuEnabling e;
    e.hideSelected = selectedCount > 0 && rowCount > 0;
    e.deleteSelected = e.hideSelected;
    e.findReplaceText = selectedCount > 1;
    return e;
}

ShareMenuHandlers::ShareMenuHandlers(AppContext& ctx, QWidget* owner,
                                     TFindReplaceTextForm1* findReplaceForm)
    : QObject(owner), m_ctx(ctx), m_owner(owner), m_findReplaceForm(findReplaceForm) {}

void ShareMenuHandlers::SharesMenu1Popup(QAction* deleteSelected, QAction* hideSelected,
                                         QAction* findReplaceText) {
    const QTreeWidget* list = m_ctx.sharesList;
    const int rows = list ? list->topLevelItemCount() : 0;
    const int selected = static_cast<int>(selectedShareNames(list).size());
    const SharesMenuEnabling e = sharesMenuEnabling(rows, selected);
    if (deleteSelected)
        deleteSelected->setEnabled(e.deleteSelected);
    if (hideSelected)
        hideSelected->setEnabled(e.hideSelected);
    if (findReplaceText)
        findReplaceText->setEnabled(e.findReplaceText);
}

void ShareMenuHandlers::DeleteSelected1Click() {
    if (!m_ctx.messages.confirm(m_owner, text::confirmDelete()))
        return;
    const std::u16string computer = toU16(m_ctx.state.computerName);
    const bool walked = walkOver(
        m_ctx.walks, shares_text::deletingShares(m_ctx.state.computerName),
        selectedShareNames(m_ctx.sharesList), [&](const QString& name) {
            // The record goes into the journal for the administrator's eyes; a delete is never
            // offered back, and a share that cannot be read is deleted all the same.
            ShareInfo502 record;
            if (m_ctx.journal &&
                m_ctx.shares.getInfo(computer, toU16(name), record) != status::Success) {
                record = ShareInfo502();
                record.netname = toU16(name);
            }
            PendingChange change(m_ctx.journal, m_ctx.state.computerName, journal::Walk::Delete,
                                 record, {}, {});
            if (!change.recorded())
                return goOnUnrecorded(name, change);
            const ChangeOutcome removed = removeShare(m_ctx.shares, computer, toU16(name));
            if (removed.kind != ChangeOutcome::Kind::Unknown)
                change.finish(removed.done() ? QStringLiteral("deleted") : QStringLiteral("kept"));
            return removed.done() || goOnAfterFailedRemoval(name, removed);
        });
    if (walked)
        m_ctx.reloadSharesList();
}

bool ShareMenuHandlers::goOnUnrecorded(const QString& name, const PendingChange& change) {
    return m_ctx.messages.errorGoOn(
        m_owner, shares_text::goOnAfter(journal_text::changeNotRecorded(name, change.error())));
}

bool ShareMenuHandlers::goOnAfterFailedRemoval(const QString& name, const ChangeOutcome& removed) {
    return m_ctx.messages.errorGoOn(m_owner, removed.kind == ChangeOutcome::Kind::Unknown
                                                 ? text::removalUnanswered(name, removed.status)
                                                 : text::removalFailed(name, removed.status));
}

void ShareMenuHandlers::HideSelected1Click() {
    if (!m_ctx.messages.confirm(m_owner, text::confirmHide()))
        return;
    const BusyCursor busy;
    // Lets the busy cursor show before the first call.
    QCoreApplication::processEvents();
    const std::u16string computer = toU16(m_ctx.state.computerName);
    const bool walked = walkOver(
        m_ctx.walks, shares_text::hidingShares(m_ctx.state.computerName),
        selectedShareNames(m_ctx.sharesList), [&](const QString& name) {
            ShareInfo502 record;
            const Status fetched = m_ctx.shares.getInfo(computer, toU16(name), record);
            if (fetched != status::Success)
                return m_ctx.messages.errorGoOn(m_owner, shares_text::fetchFailed(fetched));
            if (!record.netname.empty() && record.netname.back() == u'$')
                return true;
            PendingChange change(m_ctx.journal, m_ctx.state.computerName, journal::Walk::Hide,
                                 record, record.netname + u'$', record.path);
            if (!change.recorded())
                return goOnUnrecorded(name, change);
            // The hidden share is added before the old one is removed, so a failure leaves the
            // share reachable under at least one name.
            record.netname += u'$';
            const ChangeOutcome added = addShare(m_ctx.shares, computer, record);
            if (!added.done()) {
                change.finish(QStringLiteral("under its old name"));
                const QString hidden = fromU16(record.netname);
                return m_ctx.messages.errorGoOn(
                    m_owner, added.kind == ChangeOutcome::Kind::Unknown
                                 ? text::hiddenCreationUnanswered(hidden, name, added.status)
                                 : text::hiddenCreationFailed(hidden, added.status));
            }
            const ChangeOutcome removed = removeShare(m_ctx.shares, computer, toU16(name));
            change.finish(removed.done() ? QStringLiteral("hidden")
                                         : QStringLiteral("hidden, the old name perhaps kept"));
            return removed.done() || goOnAfterFailedRemoval(name, removed);
        });
    if (walked)
        m_ctx.reloadSharesList();
}

void ShareMenuHandlers::FindReplaceText1Click() {
    if (m_findReplaceForm)
        m_findReplaceForm->exec();
    m_ctx.reloadSharesList();
}

} // namespace corvane
