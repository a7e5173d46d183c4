#pragma once

// The texts of a list's rows, as the tests compare them.
#include <QStringList>
#include <QTreeWidget>

namespace corvane::test {

// The texts in column `column` of the list's top-level rows, top to bottom.
inline QStringList columnTexts(const QTreeWidget* list, int column = 0) {
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

} // namespace corvane::test
