#pragma once

#include <QString>
#include <QStringList>

namespace corvane {

// The node path of a tree node below the computer, from the drive node's text down: "D:" and
// "Work" give "D$\Work\"; the drive node alone gives "D$\". Only the first text is a drive, so
// a directory whose name holds a colon keeps its name.
QString nodePathOf(const QStringList& textsFromDriveDown);

// The local path of directory `name` under a node path, on a drive whose administrative share
// serves `driveRoot`: "C$\Data\" and "Docs" give "C:\Data\Docs" for the root "C:\" (as Windows
// serves C$) or for no known root; a server that serves C$ from "C:\srv\c" gives
// "C:\srv\c\Data\Docs". Empty when the node path is too short to name a drive.
QString localPathOf(const QString& nodePath, const QString& name, const QString& driveRoot = {});

// The share name of a directory: its name, with "$" appended for a hidden share.
QString shareNameOf(const QString& directoryName, bool hidden);

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
