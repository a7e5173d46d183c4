#pragma once

#include "AclEditSession.h"
#include "Messages.h"
#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace corvane {

// Picture of a users-list row for an account kind: 15 for users, 16 for groups, aliases and
// well-known groups, 0 for any other kind (rows filled from a list).
int accountImage(SidNameUse use);
// Picture of a row added by name: 16 for a group account, 15 for every other kind.
int addedAccountImage(SidNameUse use);

// The users list, the permission panel and Add / Remove, as they stand on both the Share
// Properties page and the security dialog. It edits a list it does not own (bound with
// bindAcl): the main window's CurrentAcl or the dialog's Acl. The editing rules are those of
// AclEditSession; the editor shows its state and forwards the user's actions to it.
//
// A row keeps its entry's SID in string form in column 0 under SidRole (the hidden sub-item);
// rows without one (the default-share notice) are inert.
class PermissionEditor : public QWidget {
    Q_OBJECT
public:
    static constexpr int SidRole = 0x0100 + 51;

    struct Options {
        // Main window: the file-specific masks are recognised too.
        bool fileSpecificMasks = false;
        // Security dialog: an added row reads "{entered} ({domain}\{entered})"; main window:
        // the entered text as typed.
        bool addedCaptionWithDomain = false;
        // Shown when Add's lookup fails; empty shows nothing.
        QString lookupFailedMessage = security_text::userNotFound();
        // Whether the last row may be removed now (the dialog's exception); none: never.
        std::function<bool()> lastUserRemovable;
        // Main window: selecting a row while there is no list shows Full Control.
        bool noListMeansFullControl = false;
    };

    PermissionEditor(AccountService& accounts, MessageBoxes& messages, const ImageList& images,
                     Options options, QWidget* parent = nullptr);

    // The list edited; it must outlive the editor or be re-bound.
    void bindAcl(std::optional<Acl>* acl);
    std::optional<Acl>* boundAcl() const { return m_session.list(); }
    void setComputerName(const QString& name) { m_computerName = name; }
    const QString& computerName() const { return m_computerName; }
    void setLastUserRemovable(std::function<bool()> rule) {
        m_options.lastUserRemovable = std::move(rule);
    }

    // Removes every row and clears the panel; SelectedAce becomes none.
    void clearRows();
    // clearRows, then one row per allowed or denied entry of the bound list (the row rule).
    void fillFromAcl();
    // Appends a fixed row (no SID when `sid` is empty: the row is inert).
    QTreeWidgetItem* addRow(const QString& caption, int image, const QString& sid = QString());

    // Index of the entry the panel edits, inside the bound list.
    std::optional<std::size_t> selectedAce() const { return m_session.selectedAce(); }

    QTreeWidget* usersList() const { return UsersList1; }
    QFrame* permissionsPanel() const { return Permissions1; }
    QPushButton* addButton() const { return Add1; }
    QPushButton* removeButton() const { return Remove1; }
    QCheckBox* box(bool allow, Permission permission) const;
    // The row holding Add and Remove, where a form may put its own buttons.
    QHBoxLayout* buttonRow() const { return m_buttonRow; }

public slots:
    void UsersList1SelectItem(QTreeWidgetItem* item, bool selected);
    void AllowFullControl1Click(bool checked);
    void AllowChange1Click(bool checked);
    void AllowRead1Click(bool checked);
    void DenyFullControl1Click(bool checked);
    void DenyChange1Click(bool checked);
    void DenyRead1Click(bool checked);
    void Add1Click();
    void Remove1Click();

private:
    void boxClicked(AclEditSession::Box box, bool checked);
    // Shows the session's boxes (without running their handlers again) and whether the panel
    // is open for editing.
    void showPanel();

    AccountService& m_accounts;
    MessageBoxes& m_messages;
    const ImageList& m_images;
    Options m_options;
    AclEditSession m_session;
    QString m_computerName;

    QLabel* Label5;
    QTreeWidget* UsersList1;
    QLabel* Label6;
    QFrame* Permissions1;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QLabel* Label10;
    QLabel* Label11;
    QCheckBox* AllowFullControl1;
    QCheckBox* AllowChange1;
    QCheckBox* AllowRead1;
    QCheckBox* DenyFullControl1;
    QCheckBox* DenyChange1;
    QCheckBox* DenyRead1;
    QPushButton* Add1;
    QPushButton* Remove1;
    QHBoxLayout* m_buttonRow;
};

} // namespace corvane
