#include "ShareProperties.h"

#include "Messages.h"
#include "journal/Messages.h"
#include "journal/PendingChange.h"
#include "platform/SecurityDescriptor.h"
#include "shares/Messages.h"
#include "shares/ShareRules.h"
#include "ui/Text.h"

namespace corvane {

namespace text = maintenance_text;

std::optional<SecurityDescriptor> shareDescriptor(const ShareInfo502& info) {
    if (info.securityDescriptor.empty())
        return std::nullopt;
    return SecurityDescriptor::parse(info.securityDescriptor);
}

ShareView shareViewFor(int selectedRows, const QString& name, const ShareInfo502* fetched) {
    if (selectedRows >= 2)
        return ShareView::Several;
    if (!fetched)
        return ShareView::Fetching;
    if (shareDescriptor(*fetched) || !isDefaultShare(name))
        return ShareView::Editable;
    return ShareView::DefaultShare;
}

ShareViewEnabling enablingOf(ShareView view) {
    switch (view) {
    case ShareView::Empty:
        return {false, true, true};
    case ShareView::Several:
    case ShareView::DefaultShare:
        return {false, false, false};
    case ShareView::Fetching:
        return {true, std::nullopt, true};
    case ShareView::Editable:
        return {true, true, true};
    }
    return {};
}

bool needsRecreation(const ShareInfo502& record, const ShareEdits& edits) {
    return toU16(edits.name) != record.netname || toU16(edits.path) != record.path;
}

ShareInfo502 editedRecord(const ShareInfo502& record, const ShareEdits& edits,
                          const std::optional<Acl>& acl) {
    ShareInfo502 out = record;
    out.netname = toU16(edits.name);
    out.path = toU16(edits.path);
    out.remark = toU16(edits.comment);
    out.maxUses = static_cast<std::uint32_t>(edits.maxUsers); // -1: all bits set, no limit
    const SecurityDescriptor descriptor =
        acl ? SecurityDescriptor::withDacl(*acl) : SecurityDescriptor::withNullDacl();
    out.securityDescriptor = descriptor.toSelfRelative();
    return out;
}

ApplyResult applyShareChanges(ShareService& service, const QString& computer, ShareInfo502& current,
                              const ShareInfo502& loaded, const ShareEdits& edits,
                              const std::optional<Acl>& acl, ChangeJournal* changeJournal) {
    // An emptied name or path box would remove the share and fail to add it back (a share that
    // never had a path, such as IPC$, may keep it empty).
    if (edits.name.isEmpty())
        return {false, text::emptyShareName()};
    if (edits.path.isEmpty() && !current.path.empty())
        return {false, text::emptyLocalPath()};
    const std::u16string server = toU16(computer);
    const std::u16string presentName = current.netname;
    const bool recreate = needsRecreation(current, edits);
    const ShareInfo502 record = editedRecord(current, edits, acl);
    const auto failed = [](const QString& text) { return ApplyResult{false, text}; };
    const auto failedListed = [](const QString& text) { return ApplyResult{false, text, true}; };
    if (recreate) {
        // A failed addition restores the share from the record as the server last held it.
        JournalRecord change(changeJournal, computer, journal::Walk::Apply);
        const RecreateResult result =
            RecreateShare(service, server, presentName, record, loaded, &change);
        switch (result.outcome) {
        case RecreateResult::Outcome::Done:
            break;
        case RecreateResult::Outcome::Untouched:
            return failed(text::applyUntouched(result.status));
        case RecreateResult::Outcome::ChangeFailed:
            return failed(text::applyFailed(result.status));
        case RecreateResult::Outcome::BothNames:
        case RecreateResult::Outcome::NewNameUnanswered:
            return failedListed(text::applyFailedLeaving(
                result.status, shares_text::renameConsequence(result.outcome, presentName,
                                                              record.netname, result.status)));
        case RecreateResult::Outcome::AdditionFailedRestored:
            return failed(text::applyFailedLeaving(
                result.status, shares_text::additionFailureConsequence(result.outcome)));
        case RecreateResult::Outcome::AdditionFailedLost:
        case RecreateResult::Outcome::Unanswered:
            return failedListed(text::applyFailedLeaving(
                result.status, shares_text::additionFailureConsequence(result.outcome)));
        case RecreateResult::Outcome::NotRecorded:
            return failed(
                journal_text::changeNotRecorded(fromU16(presentName), result.journalError));
        }
    } else {
        const ChangeOutcome changed = changeShare(service, server, presentName, record, loaded);
        if (!changed.done())
            return failed(text::applyFailed(changed.status));
    }
    current = record;
    return {true, QString()};
}

} // namespace corvane
