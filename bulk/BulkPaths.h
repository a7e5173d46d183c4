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

} // namespace corvane
