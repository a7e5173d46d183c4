#pragma once

#include <QList>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// The selected rows, top to bottom in the list's present order: the walk every operation over
// a selection follows (delete, hide, find and replace, copy, create).
QList<QTreeWidgetItem*> selectedRows(const QTreeWidget* list);

// The captions of the selected rows in that order. The walks over shares take this snapshot
// first, so that nothing they do to the list while walking can change which shares they handle.
QStringList selectedShareNames(const QTreeWidget* list);

} // namespace corvane
