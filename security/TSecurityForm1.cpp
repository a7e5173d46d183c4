#include "TSecurityForm1.h"

#include "AclBuilding.h"
#include "PermissionEditor.h"
#include "ui/DesignedSize.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvane {

TSecurityForm1::TSecurityForm1(AccountService& accounts, MessageBoxes& messages,
                               const ImageList& images, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("SecurityForm1"));
    setWindowTitle(QStringLiteral("Security"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setModal(true);

    PermissionEditor::Options options;
    options.fileSpecificMasks = false;
    options.addedCaptionWithDomain = true;
    options.noListMeansFullControl = false;
    m_editor = new PermissionEditor(accounts, messages, images, std::move(options), this);
    m_editor->bindAcl(&m_acl);

    Ok1 = new QPushButton(QStringLiteral("&Ok"), this);
    Ok1->setObjectName(QStringLiteral("Ok1"));
    connect(Ok1, &QPushButton::clicked, this, &TSecurityForm1::Ok1Click);

    m_editor->buttonRow()->addWidget(Ok1);
    // The dialog has no default button: Enter must not press Add (or any other button).
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(m_editor);
    setDesignedSize(this, QSize(280, 255));
}

void TSecurityForm1::SetAcl(Acl acl) {
    m_acl = std::move(acl);
    m_editor->bindAcl(&m_acl);
    m_editor->fillFromAcl();
}

Acl TSecurityForm1::GetAcl() const {
    if (m_acl)
        return *m_acl;
    return *Acl::initialize(AclHeaderSize, AclRevision);
}

void TSecurityForm1::setComputerName(const QString& name) {
    m_editor->setComputerName(name);
}

void TSecurityForm1::setLastUserRemovable(std::function<bool()> rule) {
    m_editor->setLastUserRemovable(std::move(rule));
}

void TSecurityForm1::Ok1Click() {
    accept();
}

void runSecurityDialog(TSecurityForm1& dialog, std::optional<Acl>& newShareAcl) {
    // A list must go in; should the start-up copy be missing, start from the default list.
    if (!newShareAcl)
        newShareAcl = everyoneFullControlAcl();
    if (newShareAcl)
        dialog.SetAcl(std::move(*newShareAcl));
    dialog.exec();
    newShareAcl = dialog.GetAcl();
}

} // namespace corvane
