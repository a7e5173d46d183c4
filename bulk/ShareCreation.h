#pragma once

#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

#include <optional>
#include <string>

namespace corvane {

// What every share of one run of "Create from directory" gets from the page.
struct NewShareOptions {
    QString comment;
    int maximumUsers = -1; // -1: no limit
    bool hidden = false;   // a "$" after each share name
    // A Full Control entry for the account named like the directory.
    bool addDirectoryNameAsUser = false;
};

// Where the shares of a run go: the computer, the node path of the directory whose
// subdirectories are shared ("C$\Data\"), and the path the drive share of that node is served
// from (empty when it could not be read).
struct NewShareTarget {
    std::u16string server;
    QString nodePath;
    QString driveRoot;
};

// The target for shares of directories under `nodePath` on `server`. Windows serves C$ from C:\,
// but a server may serve it from elsewhere (Samba: from a directory of its own), where
// C:\Data\Alpha names no directory and every addition would fail. So the new shares' paths
// start where the drive share does: one read of the drive share, made here. When it cannot be
// read, the Windows rule (letter + ":") is used.
NewShareTarget newShareTarget(ShareService& shares, const std::u16string& server,
                              const QString& nodePath);

// The record added for `directory`: a disk share with the options' name, comment and limit, its
// path under the target, and a descriptor holding `acl`.
ShareInfo502 newShareRecord(const NewShareTarget& target, const NewShareOptions& options,
                            const QString& directory, const Acl& acl);

// What creating one directory's share came to. Whenever no share was made, `question` is the
// text of the Yes/No error box that asks whether to go on with the next directory.
struct DirectoryCreation {
    enum class Kind {
        Created,
        NoList,          // no usable list for new shares
        AccountNotFound, // the directory's account could not be looked up
        EntryNotAdded,   // the account's entry did not fit the list
        AddFailed,       // the share service refused the share
    };
    Kind kind = Kind::Created;
    Status status = status::Success; // of the failed addition
    QString question;
};

// Creates the share of `directory` with a copy of `newShareAcl` (the list for new shares) as its
// permissions, with the account's Full Control entry added when the options ask for it. A
// missing or unreadable list never becomes a null list (everyone full access): the directory
// then gets no share.
DirectoryCreation createDirectoryShare(ShareService& shares, AccountService& accounts,
                                       const NewShareTarget& target, const NewShareOptions& options,
                                       const std::optional<Acl>& newShareAcl,
                                       const QString& directory);

} // namespace corvane
