#pragma once

#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

namespace corvane {

struct RecreateResult {
    enum class Outcome {
        Done,
        Untouched,              // the first call failed: nothing changed
        AdditionFailedRestored, // the original share has been re-created from `original`
        AdditionFailedLost,     // the share is gone: restoring it failed too
        BothNames,              // renamed, but the old name could not be removed: both remain
    };
    Outcome outcome = Outcome::Done;
    Status status = status::Success; // the failing call's result
};

// Whether two share names name the same share (the services ignore letter case).
bool sameShareName(const std::u16string& a, const std::u16string& b);

// Re-creates one share from `record`. Under a new name the share is added first and the old
// one removed after, so that a failure at any point, a server that dies included, leaves it
// under its old name, its new one or both. Under the same name (a new path, or only the letter
// case changed) it has to be removed first; when the addition then fails it is added again
// from `original` (the record as it was fetched), so it is lost only when that fails too.
RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original);

// The line after "Could not update share({error})." when the addition failed: whether the
// original share came back. Apply and find and replace word it the same way.
const char* additionFailureConsequence(RecreateResult::Outcome outcome);

// The line saying that a renamed share is there under both names.
QString bothNamesConsequence(const std::u16string& oldName, const std::u16string& newName);

} // namespace corvane
