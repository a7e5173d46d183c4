#pragma once

#include "platform/Acl.h"
#include "platform/SecurityDescriptor.h"
#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

#include <optional>

namespace corvane {

class ChangeJournal;

// The share's security descriptor; nullopt when it has none or none that is valid.
std::optional<SecurityDescriptor> shareDescriptor(const ShareInfo502& info);

// What the Share Properties page is showing, which decides the controls that may be used.
enum class ShareView {
    Empty,        // no share since the computer was opened
    Several,      // two or more shares selected: none is shown
    Fetching,     // one share selected and being fetched, or its fetch failed
    Editable,     // a share with a valid descriptor, or without one and not a default share
    DefaultShare, // a default share without a descriptor: shown, not editable
};

// The view for a selection of `selectedRows` shares, `name` being the share whose row became
// selected and `fetched` its record (null before the fetch, or when it failed). Several shares
// are not fetched.
ShareView shareViewFor(int selectedRows, const QString& name, const ShareInfo502* fetched);

// The controls a view enables. Apply is enabled in every view.
struct ShareViewEnabling {
    bool edits = false;            // name, path, comment and max users
    std::optional<bool> usersList; // nullopt: left as the previous view left it
    bool addRemove = false;        // Add and Remove
};
ShareViewEnabling enablingOf(ShareView view);

// The edit fields of the Share Properties page.
struct ShareEdits {
    QString name;
    QString path;
    QString comment;
    int maxUsers = -1; // -1: no limit
};

// Re-creation is needed when the name or the path changed, letter case included.
bool needsRecreation(const ShareInfo502& record, const ShareEdits& edits);

// The record with the edits written in and a descriptor holding `acl` (a present, null DACL
// when there is no list). Other fields stay as loaded.
ShareInfo502 editedRecord(const ShareInfo502& record, const ShareEdits& edits,
                          const std::optional<Acl>& acl);

struct ApplyResult {
    bool ok = false;
    QString message;     // the error to show when !ok
    bool listed = false; // !ok, but the server's list of shares may have changed all the same
};

// Writes the edits to the share `current` names on `computer`: set-info in place, or
// re-creation when the name or path changed. `loaded` is the share as it was fetched, from
// which a failed re-creation restores it. On success `current` holds the applied record. An
// empty name, or an empty path for a share that has one, is refused before any call. A
// re-creation is recorded in `changeJournal` first (RecreateShare).
ApplyResult applyShareChanges(ShareService& service, const QString& computer, ShareInfo502& current,
                              const ShareInfo502& loaded, const ShareEdits& edits,
                              const std::optional<Acl>& acl,
                              ChangeJournal* changeJournal = nullptr);

} // namespace corvane
