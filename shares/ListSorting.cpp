#include "ListSorting.h"

#include <QCollator>
#include <QTreeWidget>

#include <algorithm>

namespace corvane {

namespace {

const QCollator& caseInsensitiveCollator() {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

QList<QTreeWidgetItem*> takeAll(QTreeWidget* list) {
    QList<QTreeWidgetItem*> rows;
    rows.reserve(list->topLevelItemCount());
    while (list->topLevelItemCount() > 0)
        rows.append(list->takeTopLevelItem(0));
    return rows;
}

} // namespace

int CompareByColumn(const QTreeWidgetItem* a, const QTreeWidgetItem* b, int column) {
    return caseInsensitiveCollator().compare(a->text(column), b->text(column));
}

void sortByColumn(QTreeWidget* list, int column) {
    const bool blocked = list->blockSignals(true);
    QList<QTreeWidgetItem*> rows = takeAll(list);
    std::stable_sort(rows.begin(), rows.end(),
                     [column](auto* a, auto* b) { return CompareByColumn(a, b, column) < 0; });
    list->addTopLevelItems(rows);
    list->blockSignals(blocked);
}

void sortItemsByCaption(QList<QTreeWidgetItem*>& rows) {
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::stable_sort(rows.begin(), rows.end(), [&collator](auto* a, auto* b) {
        return collator.compare(a->text(0), b->text(0)) < 0;
    });
}

void sortByCaption(QTreeWidget* list) {
    const bool blocked = list->blockSignals(true);
    QList<QTreeWidgetItem*> rows = takeAll(list);
    sortItemsByCaption(rows);
    list->addTopLevelItems(rows);
    list->blockSignals(blocked);
}

} // namespace corvane
