#pragma once

#include "platform/AccountService.h"
#include "platform/Acl.h"
#include "shares/ImageList.h"
#include "shares/MessageBoxes.h"

#include <QDialog>

#include <functional>

namespace corvane {

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
};

} // namespace corvane
