#pragma once

#include "platform/Acl.h"
#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

#include <optional>

namespace corvane {

// Whether a share without a security descriptor is one of the platform's own: IPC$ and
// ADMIN$ in any letter case, or a drive letter followed by "$".
bool isDefaultShare(const QString& name);

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
    QString message; // the error to show when !ok
};

// Writes the edits to the share `current` names on `computer`: set-info in place, or
// re-creation when the name or path changed. `loaded` is the share as it was fetched, from
// which a failed re-creation restores it. On success `current` holds the applied record. An
// empty name, or an empty path for a share that has one, is refused before any call.
ApplyResult applyShareChanges(ShareService& service, const QString& computer, ShareInfo502& current,
                              const ShareInfo502& loaded, const ShareEdits& edits,
                              const std::optional<Acl>& acl);

} // namespace corvane
