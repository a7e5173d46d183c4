#include "SelectionWalk.h"

#include <QTreeWidget>

namespace corvane {

QList<QTreeWidgetItem*> selectedRows(const QTreeWidget* list) {
    QList<QTreeWidgetItem*> rows;
    if (!list)
        return rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        if (row->isSelected())
            rows.append(row);
    }
    return rows;
}

QStringList selectedShareNames(const QTreeWidget* list) {
    QStringList names;
    for (const QTreeWidgetItem* row : selectedRows(list))
        names.append(row->text(0));
    return names;
}

} // namespace corvane
