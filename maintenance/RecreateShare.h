#pragma once

#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

namespace corvane {

struct RecreateResult {
    enum class Outcome {
        Done,
        RemovalFailed,          // the share is untouched
        AdditionFailedRestored, // the original share has been re-created from `original`
        AdditionFailedLost,     // the share is gone: restoring it failed too
    };
    Outcome outcome = Outcome::Done;
    Status status = status::Success; // the failing removal's or addition's result
};

// Re-creates one share: removes `presentName`, then adds `record`. When the addition fails
// the share is added again from `original` (the record as it was fetched), so a failed
// re-creation never loses a share unless that restoring fails too.
RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original);

// The line after "Could not update share({error})." when the addition failed: whether the
// original share came back. Apply and find and replace word it the same way.
const char* additionFailureConsequence(RecreateResult::Outcome outcome);

} // namespace corvane
