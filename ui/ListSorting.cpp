#include "ListSorting.h"

#include <QCollator>
#include <QItemSelectionModel>
#include <QTreeWidget>

#include <algorithm>

namespace corvane {

namespace {

// The user's locale, or English where the process runs in the C locale, whose collation is
// plain code-point order (every capital before every small letter).
QLocale collationLocale() {
    const QLocale locale;
    return locale.language() == QLocale::C ? QLocale(QLocale::English) : locale;
}

const QCollator& collator(Qt::CaseSensitivity sensitivity) {
    static const QCollator insensitive = [] {
        QCollator c(collationLocale());
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    static const QCollator sensitive = [] {
        QCollator c(collationLocale());
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return sensitivity == Qt::CaseInsensitive ? insensitive : sensitive;
}

// Reorders the rows in place of `list`, keeping which rows are selected and the current row,
// and without reporting selection changes: sorting is not a selection.
template <typename Less> void reorder(QTreeWidget* list, Less less) {
    QItemSelectionModel* selection = list->selectionModel();
    const bool listBlocked = list->blockSignals(true);
    const bool selectionBlocked = selection->blockSignals(true);
    QList<QTreeWidgetItem*> selected = list->selectedItems();
    QTreeWidgetItem* current = list->currentItem();
    QList<QTreeWidgetItem*> rows;
    rows.reserve(list->topLevelItemCount());
    while (list->topLevelItemCount() > 0)
        rows.append(list->takeTopLevelItem(0));
    std::stable_sort(rows.begin(), rows.end(), less);
    list->addTopLevelItems(rows);
    if (current)
        list->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* row : selected)
        row->setSelected(true);
    selection->blockSignals(selectionBlocked);
    list->blockSignals(listBlocked);
    list->viewport()->update();
}

} // namespace

int CompareByColumn(const QTreeWidgetItem* a, const QTreeWidgetItem* b, int column) {
    return collator(Qt::CaseInsensitive).compare(a->text(column), b->text(column));
}

void sortByColumn(QTreeWidget* list, int column) {
    reorder(list, [column](auto* a, auto* b) { return CompareByColumn(a, b, column) < 0; });
}

void sortItemsByCaption(QList<QTreeWidgetItem*>& rows) {
    const QCollator& c = collator(Qt::CaseSensitive);
    std::stable_sort(rows.begin(), rows.end(),
                     [&c](auto* a, auto* b) { return c.compare(a->text(0), b->text(0)) < 0; });
}

void sortByCaption(QTreeWidget* list) {
    const QCollator& c = collator(Qt::CaseSensitive);
    reorder(list, [&c](auto* a, auto* b) { return c.compare(a->text(0), b->text(0)) < 0; });
}

} // namespace corvane
