#pragma once

#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"

#include <QDialog>

#include <functional>
#include <optional>

class QPushButton;

namespace corvane {

class PermissionEditor;

// The security dialog: edits the access list that shares created from directories receive,
// with the same users list and permission panel as the Share Properties page.
class TSecurityForm1 : public QDialog {
    Q_OBJECT
public:
    TSecurityForm1(AccountService& accounts, MessageBoxes& messages, const ImageList& images,
                   QWidget* parent = nullptr);

    // Makes `acl` the list being edited and fills the users list from it.
    void SetAcl(Acl acl);
    // The list as edited (the one handed in, or the one that replaced it).
    Acl GetAcl() const;
    // The computer on which Add looks accounts up.
    void setComputerName(const QString& name);
    // Whether the last user may be removed (the main window's "Add directory name as username
    // with Full Control" box).
    void setLastUserRemovable(std::function<bool()> rule);

    PermissionEditor* editor() const { return m_editor; }

public slots:
    void Ok1Click();

private:
    std::optional<Acl> m_acl; // Acl: none until the first SetAcl
    PermissionEditor* m_editor;
    QPushButton* Ok1;
};

// Runs the dialog on the main window's NewShareAcl: hands the list in, shows the dialog
// modally and takes the edited list back, however the dialog was closed.
void runSecurityDialog(TSecurityForm1& dialog, std::optional<Acl>& newShareAcl);

} // namespace corvane
