#pragma once

#include "ShareProperties.h"
#include "shares/AppContext.h"

#include <QString>
#include <QWidget>

class QGroupBox;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidgetItem;

namespace corvane {

class PermissionEditor;
class UserLimitSpinBox;

// The "Share Properties" tab page: shows the share selected in SharesList1 with its users
// and permissions, and writes edits back with Apply.
class SharePropertiesPage : public QWidget {
    Q_OBJECT
public:
    explicit SharePropertiesPage(AppContext& ctx, QWidget* parent = nullptr);

    // Called after each successful open of a computer: the view is emptied and the loaded
    // record released, so a record read from one computer is never written to another.
    void computerOpened();

    PermissionEditor* editor() const { return m_editor; }

public slots:
    // A row of SharesList1 became selected (`selected`) or stopped being selected.
    void SharesList1SelectItem(QTreeWidgetItem* item, bool selected);
    void ApplyButton1Click();

private:
    void sharesSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // Enables the controls the view may use.
    void showView(ShareView view);
    // Empties the edit boxes and the users list.
    void clearView();
    void releaseRecord();

    AppContext& m_ctx;
    PermissionEditor* m_editor;
    // The computer the loaded record was read from.
    QString m_recordComputer;
    // A default share without a descriptor: shown, not editable, never written.
    bool m_readOnly = false;
    // Several shares are selected: the view is empty and disabled.
    bool m_showsSeveral = false;

    QLabel* Label1;
    QLineEdit* ShareName1;
    QLabel* Label2;
    QLineEdit* LocalPath1;
    QLabel* Label3;
    QLineEdit* Comment1;
    QLabel* Label4;
    UserLimitSpinBox* MaxUsers1;
    QGroupBox* GroupBox1;
    QPushButton* Apply1;
};

} // namespace corvane
