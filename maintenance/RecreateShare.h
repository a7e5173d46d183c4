#pragma once

#include "platform/ShareInfo.h"
#include "platform/ShareService.h"
#include "shares/ShareChanges.h"

#include <QString>

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
    };
    Outcome outcome = Outcome::Done;
    Status status = status::Success; // the failing call's result
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
RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original);

} // namespace corvane
