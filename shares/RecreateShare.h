#pragma once

#include "ShareChanges.h"
#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

#include <string>

namespace corvane {

struct RecreateResult {
    enum class Outcome {
        Done,
        Untouched,              // nothing changed
        ChangeFailed,           // the change in place failed: the share stays under its name,
                                // perhaps with some of its fields already changed
        AdditionFailedRestored, // the original share has been re-created from `original`
        AdditionFailedLost,     // the share is gone: restoring it failed too
        Unanswered,             // the server did not answer, even when asked again, whether the
                                // share is there: it may be gone
        BothNames,              // renamed, but the old name could not be removed: both remain
                                // (or perhaps only the new one, when the removal went unanswered)
        NewNameUnanswered,      // renamed: the old share stays, and whether the new one was
                                // added could not be learnt
        NotRecorded,            // the journal could not record the change: nothing was sent
    };
    RecreateResult(Outcome outcome = Outcome::Done, Status status = status::Success,
                   QString journalError = {})
        : outcome(outcome), status(status), journalError(std::move(journalError)) {}
    Outcome outcome = Outcome::Done;
    Status status = status::Success; // the failing call's result
    QString journalError;            // for NotRecorded: why, with the journal's path
};

// Where a re-creation that removes the share or changes its name or path is written before its
// first call, so that a crash in between is offered back at the next open (the change journal
// is one). One record serves one re-creation.
class ChangeRecord {
public:
    virtual ~ChangeRecord() = default;
    // Writes the change of `original` to `newName` at `newPath`. Empty when it is written, else
    // why not: the change must then not go out.
    virtual QString begin(const ShareInfo502& original, const std::u16string& newName,
                          const std::u16string& newPath) = 0;
    // The share is known to be on the server, as `outcome` says.
    virtual void finish(const QString& outcome) = 0;
};

// Re-creates one share from `record`, so that a failure at any point, a server that dies
// included, leaves it under its old name, its new one or both, and the outcome says which:
// a call whose answer was lost is followed by a read of what the server holds (addShare,
// removeShare, changeShare).
// - under the same name and path as `original` it is only changed (NetrShareSetInfo);
// - under a new name the share is added first and the old one removed after;
// - under exactly the same name (a new path) it is changed in place and read back; servers
//   that keep the old path on a change (Windows does) get the removal and addition below;
// - under the same name in other letter case, or where the change in place did not take the
//   path, it has to be removed first. When the addition then fails it is added again from
//   `original` (the record as it was fetched), so it is lost only when that fails too.
// Every road but the plain change is first recorded in `changeRecord` (none records nothing)
// with `original`; the entry is finished when the share is known to be there, and left open
// when it is or may be gone, so that the next open offers it back.
RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original, ChangeRecord* changeRecord = nullptr);

} // namespace corvane
