#pragma once

#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <string>

namespace corvane {

// Whether two share names name the same share (the services ignore letter case).
bool sameShareName(const std::u16string& a, const std::u16string& b);

// Whether two local paths name the same place as a server reports them: letter case, the kind
// of separator and trailing separators aside.
bool samePath(const std::u16string& a, const std::u16string& b);

// Whether a failed call may still have been carried out: the connection broke or the wait was
// ended before its answer came, so only the server knows.
bool answerMayBeLost(Status status);

// Whether `now`, as the server reports a share, holds what `intended` asked for: the same path,
// comment and user limit, and the same descriptor where one was sent.
bool holdsRecord(const ShareInfo502& now, const ShareInfo502& intended);

// What a change came to on the server. A change whose answer was lost is followed by a read of
// the share (ShareService::checkInfo), and a request that never arrived is sent once more, so
// Unknown is left only when even the server's answers to that could not tell.
struct ChangeOutcome {
    enum class Kind { Done, NotDone, Unknown };
    Kind kind = Kind::Done;
    Status status = status::Success; // the failure (NotDone, Unknown); Success when done

    bool done() const { return kind == Kind::Done; }
};

// Adds `record`; Done when the server now holds it.
ChangeOutcome addShare(ShareService& service, const std::u16string& computer,
                       const ShareInfo502& record);
// Removes the share `name`; Done when the server no longer holds it.
ChangeOutcome removeShare(ShareService& service, const std::u16string& computer,
                          const std::u16string& name);
// Changes the share `name` to `record` (same name and path); Done when the server holds it.
ChangeOutcome changeShare(ShareService& service, const std::u16string& computer,
                          const std::u16string& name, const ShareInfo502& record);

} // namespace corvane
