#pragma once

#include <QList>

class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// Compares two rows by one column ignoring case, over the whole texts: negative when `a`
// comes first, 0 when equal, positive when `b` comes first.
int CompareByColumn(const QTreeWidgetItem* a, const QTreeWidgetItem* b, int column);

// Sorts all rows once, ascending, with CompareByColumn. Equal rows keep their order.
void sortByColumn(QTreeWidget* list, int column);

// Sorts rows by caption in the locale's order, case-sensitive (the order of a list sorted by
// text).
void sortItemsByCaption(QList<QTreeWidgetItem*>& rows);
void sortByCaption(QTreeWidget* list);

} // namespace corvane
