#include "SelectItemEvents.h"

#include <QItemSelectionModel>
#include <QTreeWidget>

namespace corvane {

void reportSelectItems(const QTreeWidget* list, const QItemSelection& selected,
                       const QItemSelection& deselected, const SelectItemHandler& onSelectItem) {
    if (!list)
        return;
    const auto rowsOf = [list](const QItemSelection& selection) {
        QList<QTreeWidgetItem*> rows;
        for (const QModelIndex& index : selection.indexes()) {
            if (index.column() != 0 || index.parent().isValid())
                continue;
            if (QTreeWidgetItem* row = list->topLevelItem(index.row()))
                rows.append(row);
        }
        return rows;
    };
    for (QTreeWidgetItem* row : rowsOf(deselected))
        onSelectItem(row, false);
    QTreeWidgetItem* current = list->currentItem();
    bool currentGained = false;
    for (QTreeWidgetItem* row : rowsOf(selected)) {
        if (row == current)
            currentGained = true;
        else
            onSelectItem(row, true);
    }
    if (currentGained)
        onSelectItem(current, true);
}

void connectSelectItem(QTreeWidget* list, QObject* context, SelectItemHandler onSelectItem) {
    QObject::connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, context,
                     [list, onSelectItem = std::move(onSelectItem)](
                         const QItemSelection& selected, const QItemSelection& deselected) {
                         reportSelectItems(list, selected, deselected, onSelectItem);
                     });
}

} // namespace corvane
