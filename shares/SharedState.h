#pragma once

#include "platform/Acl.h"
#include "platform/ShareInfo.h"

#include <QString>

#include <optional>

namespace corvane {

// The state the main window owns and its pages share.
struct SharedState {
    // The opened computer; every share call of the pages addresses it.
    QString computerName;
    // The record of the share selected last, with the edits Apply wrote into it.
    std::optional<ShareInfo502> currentShareInfo;
    // The same record as it was fetched, so a failed re-creation can restore the share.
    std::optional<ShareInfo502> loadedShareInfo;
    // The list the Share Properties page edits; none for a share without an access list.
    std::optional<Acl> currentAcl;
    // The list shares created from directories receive.
    std::optional<Acl> newShareAcl;
    // Node path of the directory tree's selected node ("C$\Data\").
    QString currentDirectory;
};

} // namespace corvane
