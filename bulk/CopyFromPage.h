#pragma once

#include "shares/AppContext.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// The "Copy From" page: lists the shares of a second computer and re-creates the selected ones
// on the opened computer under a new parent directory, with their comment, limits and
// permissions.
class CopyFromPage : public QWidget {
    Q_OBJECT
public:
    explicit CopyFromPage(AppContext& ctx, QWidget* parent = nullptr);

    // The computer the source list was loaded from; the copy fetches from it.
    const QString& sourceComputer() const { return m_sourceComputer; }

    // Enter in the computer box opens it, like the Open button.
    void SourceComputer1KeyPress(int key);
    void OpenCopyComputer1Click();
    void SourceComputerSharesList1ColumnClick(int column);
    void SourceComputerSharesList1SelectItem(QTreeWidgetItem* item, bool selected);
    void UseSourceAsDestination1Click();
    void Copy1Click();

private:
    void onSelectionChanged();

    AppContext& m_ctx;
    QString m_sourceComputer;

    QLabel* Label12;
    QLineEdit* SourceComputer1;
    QPushButton* OpenCopyComputer1;
    QTreeWidget* SourceComputerSharesList1;
    QLabel* Label13;
    QLineEdit* SourceComputerParentDir1;
    QLabel* Label14;
    QLineEdit* DestinationComputerParentDir1;
    QCheckBox* UseSourceAsDestination1;
    QPushButton* Copy1;
};

} // namespace corvane
