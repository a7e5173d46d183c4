#pragma once

#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"

#include <QString>
#include <QWidget>

#include <cstdint>
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

// The boxes of the permission panel, in the panel's own terms.
enum class Permission { None, FullControl, Change, Read };

// Which box an entry's mask ticks. The main window also knows the file-specific masks; the
// security dialog only the three generic ones. Recognition is by equality of the whole mask.
Permission recognisedPermission(std::uint32_t mask, bool fileSpecificMasks);

// Caption of a users-list row from a lookup: "{name} ({domain}\{name})", or the name alone
// when the domain is empty.
QString accountCaption(const QString& name, const QString& domain);

// Picture of a users-list row for an account kind: 15 for users, 16 for groups, aliases and
// well-known groups, 0 for any other kind (rows filled from a list).
int accountImage(SidNameUse use);
// Picture of a row added by name: 16 for a group account, 15 for every other kind.
int addedAccountImage(SidNameUse use);

// The users list, the permission panel and Add / Remove, as they stand on both the Share
// Properties page and the security dialog. It edits a list it does not own (bound with
// bindAcl): the main window's CurrentAcl or the dialog's Acl.
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
        QString lookupFailedMessage = QStringLiteral("Could not find user on system!");
        // Whether the last row may be removed now (the dialog's exception); none: never.
        std::function<bool()> lastUserRemovable;
        // Main window: selecting a row while there is no list shows Full Control.
        bool noListMeansFullControl = false;
    };

    PermissionEditor(AccountService& accounts, MessageBoxes& messages, const ImageList& images,
                     Options options, QWidget* parent = nullptr);

    // The list edited; it must outlive the editor or be re-bound.
    void bindAcl(std::optional<Acl>* acl);
    std::optional<Acl>* boundAcl() const { return m_acl; }
    void setComputerName(const QString& name) { m_computerName = name; }
    const QString& computerName() const { return m_computerName; }
    void setOptions(Options options) { m_options = std::move(options); }
    Options& options() { return m_options; }

    // Removes every row and clears the panel; SelectedAce becomes none.
    void clearRows();
    // clearRows, then one row per allowed or denied entry of the bound list (the row rule).
    void fillFromAcl();
    // Appends a fixed row (no SID when `sid` is empty: the row is inert).
    QTreeWidgetItem* addRow(const QString& caption, int image, const QString& sid = QString());

    // Index of the entry the panel edits, inside the bound list.
    std::optional<std::size_t> selectedAce() const { return m_selectedAce; }

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
    void showEntriesOf(QTreeWidgetItem* item);
    void setSelectedMask(std::uint8_t columnType, std::uint32_t mask);
    void ticked(bool allowSide, std::uint32_t mask);
    void replaceEntries(bool allowSide, std::uint32_t mask);
    // Runs one box's handler. A click runs nested handlers; the outermost one keeps the list
    // as it was before the click and puts it back when a replacement could not be built, so
    // that a click never takes away entries it did not replace.
    void asOneEdit(const std::function<void()>& handler);
    std::optional<std::uint8_t> selectedType() const;
    void usersSelectionChanged();

    AccountService& m_accounts;
    MessageBoxes& m_messages;
    const ImageList& m_images;
    Options m_options;
    std::optional<Acl>* m_acl = nullptr;
    QString m_computerName;
    std::optional<std::size_t> m_selectedAce;
    QTreeWidgetItem* m_selectedRow = nullptr;
    // While a row's entries are being shown the cascades only move boxes.
    bool m_showing = false;
    int m_editDepth = 0;
    bool m_replacementFailed = false;

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
