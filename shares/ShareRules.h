#pragma once

#include <QString>

// What holds for every share, whoever asks: which shares are the platform's own, and how a
// share's path is taken apart and put below another parent.
namespace corvane {

// Whether a share without a security descriptor is one of the platform's own: IPC$ and
// ADMIN$ in any letter case, or a drive letter followed by "$".
bool isDefaultShare(const QString& name);

// The parent of a share's path, keeping its trailing backslash: D:\Shares\Data and
// D:\Shares\Data\ give D:\Shares\; D:\Data gives D:\; D:\ and "" give "".
QString sourceParentDirOf(const QString& path);

// The last component of a path: D:\Shares\Data and D:\Shares\Data\ give Data; D:\ gives D:.
QString lastComponentOf(const QString& path);

// What keeps a path from being taken as it reads: a "." or ".." component, which the server
// resolves against the directories around it (E:\Shares\.. is E:\), or one that Windows turns
// into those by dropping trailing dots and spaces ("...", ". "); or a "/", which the server
// takes as a separator where the backslashes show none. Empty when there is none, else the
// first such component, or "/".
QString pathFlawOf(const QString& path);

// Where a copied share goes: the destination parent (with a backslash added when it has none)
// followed by the last component of the source path. E:\Shares and D:\Old\Data give
// E:\Shares\Data. Empty when either path has a flaw (pathFlawOf): the share would not end up
// in the directory the parent names.
QString destinationPathOf(const QString& destinationParent, const QString& sourcePath);

} // namespace corvane
