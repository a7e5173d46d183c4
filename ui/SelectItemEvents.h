#pragma once

#include <functional>

class QItemSelection;
class QObject;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// A list's OnSelectItem event: `item` became selected (true) or stopped being selected (false).
using SelectItemHandler = std::function<void(QTreeWidgetItem* item, bool selected)>;

// Turns one change of a flat list's selection into one report per row: first every row that
// lost the selection, then every row that gained it, the list's current row last, so that the
// row the user acted on is the one reported last. A row reported as deselected may be on its
// way out of the list (rows are deselected as they are removed): compare it, don't read it.
void reportSelectItems(const QTreeWidget* list, const QItemSelection& selected,
                       const QItemSelection& deselected, const SelectItemHandler& onSelectItem);

// Reports every selection change of `list` to `onSelectItem`, for as long as `context` lives.
void connectSelectItem(QTreeWidget* list, QObject* context, SelectItemHandler onSelectItem);

} // namespace corvane
