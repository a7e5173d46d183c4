#pragma once

#include <QStringList>

class QTreeWidget;

namespace corvane {

// The captions of the selected rows, top to bottom in the list's present order. The walks over
// a selection (delete, hide, find and replace) take this snapshot first, so that nothing they
// do to the list while walking can change which shares they handle.
QStringList selectedShareNames(const QTreeWidget* list);

} // namespace corvane
