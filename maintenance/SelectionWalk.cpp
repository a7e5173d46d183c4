#include "SelectionWalk.h"

#include <QTreeWidget>

namespace corvane {

QStringList selectedShareNames(const QTreeWidget* list) {
    QStringList names;
    if (!list)
        return names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        if (row->isSelected())
            names.append(row->text(0));
    }
    return names;
}

} // namespace corvane
