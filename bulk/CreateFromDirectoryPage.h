#pragma once

#include "shares/AppContext.h"

#include <QString>
#include <QStringList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

class TSecurityForm1;
class UserLimitSpinBox;

// The "Create from directory" page: a browser of the opened computer's directories through its
// drive shares, and the creation of one disk share per selected directory.
class CreateFromDirectoryPage : public QWidget {
    Q_OBJECT
public:
    CreateFromDirectoryPage(AppContext& ctx, TSecurityForm1* securityForm,
                            QWidget* parent = nullptr);

    // Rebuilds the tree for the computer just opened (ctx.state.computerName): the root and one
    // node per drive whose administrative share exists. Called once the main list holds the
    // computer's complete enumeration, which names those shares.
    void computerOpened();
    // Whether shares get a Full Control entry for the account named like the directory (the
    // security dialog lets the last user go only then).
    bool addDirectoryNameAsUserName() const;

    void DirTree1Change(QTreeWidgetItem* node);
    // Re-reads the children of `node`; runs before every expansion. Expanding a node other than
    // the selected one leaves the selection, the list and CurrentDirectory as they are.
    void DirTree1Expanding(QTreeWidgetItem* node);
    void DirList1DblClick();
    void Security1Click();
    void Create1Click();

private:
    QStringList driveLetters() const;
    QString nodePathOfNode(const QTreeWidgetItem* node) const;
    QTreeWidgetItem* selectedNode() const;
    void onItemExpanded(QTreeWidgetItem* node);
    void selectInsteadOfHiddenDescendant(QTreeWidgetItem* node);

    AppContext& m_ctx;
    TSecurityForm1* m_securityForm;
    // The computer the tree shows; it is read and its shares are created there.
    QString m_treeComputer;
    bool m_rereading = false;

    QTreeWidget* DirTree1;
    QTreeWidget* DirList1;
    QCheckBox* CreateAllSharesHidden1;
    QLabel* Label15;
    QLineEdit* CommonComment1;
    QLabel* Label16;
    UserLimitSpinBox* MaximumUsers1;
    QCheckBox* AddDirectoryNameAsUserName1;
    QPushButton* Security1;
    QPushButton* Create1;
};

} // namespace corvane
