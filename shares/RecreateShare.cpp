#include "RecreateShare.h"

namespace corvane {

namespace {

using Outcome = RecreateResult::Outcome;
using Kind = ChangeOutcome::Kind;

// Removes the share and adds it from `record`, restoring `original` when the addition fails.
RecreateResult removeThenAdd(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    const ChangeOutcome removed = removeShare(service, computer, presentName);
    if (removed.kind == Kind::NotDone)
        return {Outcome::Untouched, removed.status};
    // Whether an unanswered removal went through or not, adding tells: a share that is still
    // there refuses the addition as a duplicate.
    const ChangeOutcome added = addShare(service, computer, record);
    if (added.done())
        return {Outcome::Done, status::Success};
    if (added.kind == Kind::Unknown)
        return {Outcome::Unanswered, added.status};
    if (!removed.done() && added.status == status::DuplicateShare)
        return {Outcome::Untouched, removed.status};
    const ChangeOutcome restored = addShare(service, computer, original);
    if (restored.done())
        return {Outcome::AdditionFailedRestored, added.status};
    if (!removed.done() && restored.status == status::DuplicateShare)
        return {Outcome::Untouched, removed.status};
    if (restored.kind == Kind::Unknown || !removed.done())
        return {Outcome::Unanswered, removed.done() ? restored.status : removed.status};
    return {Outcome::AdditionFailedLost, added.status};
}

RecreateResult changeInPlace(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    const ChangeOutcome set = changeShare(service, computer, presentName, record, original);
    return {set.done() ? Outcome::Done : Outcome::ChangeFailed, set.status};
}

// What the journal's finish line says the re-creation came to.
QString outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Done:
        return QStringLiteral("done");
    case Outcome::Untouched:
        return QStringLiteral("left as it was");
    case Outcome::ChangeFailed:
        return QStringLiteral("changed in place in part");
    case Outcome::AdditionFailedRestored:
        return QStringLiteral("restored");
    case Outcome::BothNames:
        return QStringLiteral("under both names");
    case Outcome::NewNameUnanswered:
        return QStringLiteral("under its old name");
    case Outcome::AdditionFailedLost:
    case Outcome::Unanswered:
    case Outcome::NotRecorded:
        break;
    }
    return {};
}

RecreateResult recreate(ShareService& service, const std::u16string& computer,
                        const std::u16string& presentName, const ShareInfo502& record,
                        const ShareInfo502& original) {
    if (!sameShareName(presentName, record.netname)) {
        const ChangeOutcome added = addShare(service, computer, record);
        if (added.kind == Kind::NotDone)
            return {Outcome::Untouched, added.status};
        if (added.kind == Kind::Unknown)
            return {Outcome::NewNameUnanswered, added.status};
        const ChangeOutcome removed = removeShare(service, computer, presentName);
        if (!removed.done())
            return {Outcome::BothNames, removed.status};
        return {Outcome::Done, status::Success};
    }
    if (presentName == record.netname) {
        // The share never leaves the server on this road. The path is sent first with the
        // share as it was, so that a server that keeps its paths (Windows) is left exactly as
        // it was for the removal and addition below.
        ShareInfo502 moved = original;
        moved.netname = presentName;
        moved.path = record.path;
        const Status set = service.setInfo(computer, presentName, moved);
        if (set != status::Success && !answerMayBeLost(set))
            return {Outcome::ChangeFailed, set};
        // Read back whether the path took; after a lost answer, also whether the call arrived.
        ShareInfo502 now;
        Status read = set == status::Success ? service.getInfo(computer, presentName, now)
                                             : service.checkInfo(computer, presentName, now);
        if (read != status::Success && answerMayBeLost(read))
            read = service.checkInfo(computer, presentName, now);
        if (read != status::Success)
            return {Outcome::ChangeFailed, set == status::Success ? read : set};
        if (samePath(now.path, record.path)) {
            if (!(record == moved))
                return changeInPlace(service, computer, presentName, record, original);
            return {Outcome::Done, status::Success};
        }
        if (set == status::Cancelled)
            return {Outcome::Untouched, set};
    }
    return removeThenAdd(service, computer, presentName, record, original);
}

} // namespace

RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original, ChangeRecord* changeRecord) {
    // Neither name nor path changes: the share is only changed, never removed.
    if (presentName == record.netname && record.path == original.path)
        return changeInPlace(service, computer, presentName, record, original);
    if (changeRecord)
        if (QString error = changeRecord->begin(original, record.netname, record.path);
            !error.isEmpty())
            return {Outcome::NotRecorded, status::Success, std::move(error)};
    const RecreateResult result = recreate(service, computer, presentName, record, original);
    if (changeRecord && result.outcome != Outcome::AdditionFailedLost &&
        result.outcome != Outcome::Unanswered)
        changeRecord->finish(outcomeName(result.outcome));
    return result;
}

} // namespace corvane
