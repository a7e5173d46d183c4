#include "PermissionEditor.h"

#include "ui/SelectItemEvents.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

int accountImage(SidNameUse use) {
    switch (use) {
    case SidNameUse::User:
        return ImageList::User;
    case SidNameUse::Group:
    case SidNameUse::Alias:
    case SidNameUse::WellKnownGroup:
        return ImageList::Group;
    default:
        return 0;
    }
}

int addedAccountImage(SidNameUse use) {
    // An added row shows two persons only for a group account proper; aliases and well-known
    // groups get the single-person picture here, unlike the rows the list is filled with.
    return use == SidNameUse::Group ? ImageList::Group : ImageList::User;
}

namespace {

QCheckBox* makeBox(const char* name, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace

PermissionEditor::PermissionEditor(AccountService& accounts, MessageBoxes& messages,
                                   const ImageList& images, Options options, QWidget* parent)
    : QWidget(parent), m_accounts(accounts), m_messages(messages), m_images(images),
      m_options(std::move(options)),
      m_session({m_options.fileSpecificMasks, m_options.noListMeansFullControl}) {
    Label5 = makeLabel("Label5", QStringLiteral("Users:"), this);
    UsersList1 = new QTreeWidget(this);
    UsersList1->setObjectName(QStringLiteral("UsersList1"));
    UsersList1->setColumnCount(1);
    UsersList1->setHeaderLabels({QStringLiteral("Name")});
    UsersList1->setColumnWidth(0, 250);
    UsersList1->setHeaderHidden(true);
    UsersList1->setRootIsDecorated(false);
    UsersList1->setSelectionMode(QAbstractItemView::SingleSelection);
    UsersList1->setSelectionBehavior(QAbstractItemView::SelectRows);
    UsersList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    UsersList1->setIconSize(QSize(16, 16));
    Label5->setBuddy(UsersList1);

    Label6 = makeLabel("Label6", QStringLiteral("Permissions:"), this);
    Permissions1 = new QFrame(this);
    Permissions1->setObjectName(QStringLiteral("Permissions1"));
    Permissions1->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    Label7 = makeLabel("Label7", QStringLiteral("Full Control"), Permissions1);
    Label8 = makeLabel("Label8", QStringLiteral("Change"), Permissions1);
    Label9 = makeLabel("Label9", QStringLiteral("Read"), Permissions1);
    Label10 = makeLabel("Label10", QStringLiteral("Allow"), Permissions1);
    Label11 = makeLabel("Label11", QStringLiteral("Deny"), Permissions1);
    AllowFullControl1 = makeBox("AllowFullControl1", Permissions1);
    AllowChange1 = makeBox("AllowChange1", Permissions1);
    AllowRead1 = makeBox("AllowRead1", Permissions1);
    DenyFullControl1 = makeBox("DenyFullControl1", Permissions1);
    DenyChange1 = makeBox("DenyChange1", Permissions1);
    DenyRead1 = makeBox("DenyRead1", Permissions1);
    auto* grid = new QGridLayout(Permissions1);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(0);
    grid->addWidget(Label10, 0, 1, Qt::AlignHCenter);
    grid->addWidget(Label11, 0, 2, Qt::AlignHCenter);
    grid->addWidget(Label7, 1, 0);
    grid->addWidget(AllowFullControl1, 1, 1, Qt::AlignHCenter);
    grid->addWidget(DenyFullControl1, 1, 2, Qt::AlignHCenter);
    grid->addWidget(Label8, 2, 0);
    grid->addWidget(AllowChange1, 2, 1, Qt::AlignHCenter);
    grid->addWidget(DenyChange1, 2, 2, Qt::AlignHCenter);
    grid->addWidget(Label9, 3, 0);
    grid->addWidget(AllowRead1, 3, 1, Qt::AlignHCenter);
    grid->addWidget(DenyRead1, 3, 2, Qt::AlignHCenter);
    Permissions1->setEnabled(false);

    Add1 = new QPushButton(QStringLiteral("A&dd"), this);
    Add1->setObjectName(QStringLiteral("Add1"));
    Remove1 = new QPushButton(QStringLiteral("&Remove"), this);
    Remove1->setObjectName(QStringLiteral("Remove1"));

    m_buttonRow = new QHBoxLayout;
    m_buttonRow->addWidget(Add1);
    m_buttonRow->addWidget(Remove1);
    m_buttonRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(Label5);
    layout->addWidget(UsersList1, 1);
    layout->addWidget(Label6);
    layout->addWidget(Permissions1);
    layout->addLayout(m_buttonRow);

    // The cascades rest on `toggled`: it fires for a user's click and for setChecked, but only
    // when the state changes.
    connect(AllowFullControl1, &QCheckBox::toggled, this,
            &PermissionEditor::AllowFullControl1Click);
    connect(AllowChange1, &QCheckBox::toggled, this, &PermissionEditor::AllowChange1Click);
    connect(AllowRead1, &QCheckBox::toggled, this, &PermissionEditor::AllowRead1Click);
    connect(DenyFullControl1, &QCheckBox::toggled, this, &PermissionEditor::DenyFullControl1Click);
    connect(DenyChange1, &QCheckBox::toggled, this, &PermissionEditor::DenyChange1Click);
    connect(DenyRead1, &QCheckBox::toggled, this, &PermissionEditor::DenyRead1Click);
    connect(Add1, &QPushButton::clicked, this, &PermissionEditor::Add1Click);
    connect(Remove1, &QPushButton::clicked, this, &PermissionEditor::Remove1Click);
    // Single selection: the row that lost the selection is reported before the one that
    // gained it, so that no entry is designated while the new row's boxes are ticked.
    connectSelectItem(UsersList1, this, [this](QTreeWidgetItem* item, bool selected) {
        UsersList1SelectItem(item, selected);
    });
}

void PermissionEditor::bindAcl(std::optional<Acl>* acl) {
    m_session.bind(acl);
}

QCheckBox* PermissionEditor::box(bool allow, Permission permission) const {
    switch (permission) {
    case Permission::FullControl:
        return allow ? AllowFullControl1 : DenyFullControl1;
    case Permission::Change:
        return allow ? AllowChange1 : DenyChange1;
    case Permission::Read:
        return allow ? AllowRead1 : DenyRead1;
    case Permission::None:
        break;
    }
    return nullptr;
}

void PermissionEditor::showPanel() {
    QCheckBox* const boxes[AclEditSession::BoxCount] = {AllowFullControl1, AllowChange1, AllowRead1,
                                                        DenyFullControl1,  DenyChange1,  DenyRead1};
    const AclEditSession::Boxes& ticked = m_session.boxes();
    for (std::size_t i = 0; i < AclEditSession::BoxCount; ++i) {
        // The session has run the cascade already.
        const QSignalBlocker quiet(boxes[i]);
        boxes[i]->setChecked(ticked[i]);
    }
    Permissions1->setEnabled(m_session.userSelected());
}

void PermissionEditor::clearRows() {
    m_session.deselect();
    showPanel();
    UsersList1->clear();
}

QTreeWidgetItem* PermissionEditor::addRow(const QString& caption, int image, const QString& sid) {
    auto* row = new QTreeWidgetItem(UsersList1);
    row->setText(0, caption);
    setItemImage(row, m_images, image);
    if (!sid.isEmpty())
        row->setData(0, SidRole, sid);
    return row;
}

void PermissionEditor::fillFromAcl() {
    clearRows();
    const std::optional<Acl>* list = m_session.list();
    if (!list || !*list)
        return;
    const Acl& acl = **list;
    std::vector<Sid> sids;
    for (std::size_t i = 0; i < acl.aceCount(); ++i) {
        const auto ace = acl.ace(i);
        if (ace && ace->isAllowedOrDenied() && ace->sid && ace->sid->isValid())
            sids.push_back(*ace->sid);
    }
    // One lookup for the whole list; each row takes its own answer from it.
    std::vector<Account> accounts;
    std::vector<Status> results;
    m_accounts.lookupSids(toU16(m_computerName), sids, accounts, results);
    for (std::size_t k = 0; k < sids.size(); ++k) {
        const QString sidText = QString::fromStdString(sids[k].toString());
        if (results[k] == status::Success)
            addRow(fromU16(accountCaption(accounts[k].name, accounts[k].domain)),
                   accountImage(accounts[k].use), sidText);
        else
            addRow(sidText, -1, sidText);
    }
}

void PermissionEditor::UsersList1SelectItem(QTreeWidgetItem* item, bool selected) {
    if (selected) {
        // A row without a SID (the default-share notice) stands for no entry: nothing to edit.
        if (!item)
            return;
        const QString sidText = item->data(0, SidRole).toString();
        if (sidText.isEmpty())
            return;
        m_session.select(Sid::fromString(sidText.toStdString()));
    } else {
        m_session.deselect();
    }
    showPanel();
}

void PermissionEditor::boxClicked(AclEditSession::Box box, bool checked) {
    const auto result = m_session.click(box, checked);
    showPanel();
    if (result == AclEditSession::ClickResult::ReplacementFailed)
        m_messages.error(this, security_text::userNotAdded());
}

void PermissionEditor::AllowFullControl1Click(bool checked) {
    boxClicked(AclEditSession::Box::AllowFullControl, checked);
}

void PermissionEditor::AllowChange1Click(bool checked) {
    boxClicked(AclEditSession::Box::AllowChange, checked);
}

void PermissionEditor::AllowRead1Click(bool checked) {
    boxClicked(AclEditSession::Box::AllowRead, checked);
}

void PermissionEditor::DenyFullControl1Click(bool checked) {
    boxClicked(AclEditSession::Box::DenyFullControl, checked);
}

void PermissionEditor::DenyChange1Click(bool checked) {
    boxClicked(AclEditSession::Box::DenyChange, checked);
}

void PermissionEditor::DenyRead1Click(bool checked) {
    boxClicked(AclEditSession::Box::DenyRead, checked);
}

void PermissionEditor::Add1Click() {
    if (!m_session.list())
        return;
    const auto entered =
        m_messages.getText(this, security_text::addUserTitle(), security_text::addUserPrompt());
    if (!entered || entered->isEmpty())
        return;
    const QString name = *entered;
    Account account;
    if (m_accounts.lookupName(toU16(m_computerName), toU16(name), account) != status::Success) {
        if (!m_options.lookupFailedMessage.isEmpty())
            m_messages.error(this, m_options.lookupFailedMessage);
        return;
    }
    const QString sidText = QString::fromStdString(account.sid.toString());
    const QLocale locale;
    const QString lowered = locale.toLower(name);
    for (int i = 0; i < UsersList1->topLevelItemCount(); ++i) {
        if (locale.toLower(UsersList1->topLevelItem(i)->text(0)) == lowered) {
            m_messages.error(this, security_text::userAlreadyPresent());
            return;
        }
    }
    if (!m_session.add(account.sid)) {
        m_messages.error(this, security_text::userNotAdded());
        return;
    }
    const QString caption =
        m_options.addedCaptionWithDomain
            ? fromU16(accountCaption(toU16(name), account.domain, EmptyDomain::Kept))
            : name;
    addRow(caption, addedAccountImage(account.use), sidText);
}

void PermissionEditor::Remove1Click() {
    const QList<QTreeWidgetItem*> selected = UsersList1->selectedItems();
    if (selected.isEmpty())
        return;
    QTreeWidgetItem* row = selected.first();
    const QString sidText = row->data(0, SidRole).toString();
    if (sidText.isEmpty())
        return; // the default-share notice stands for no entry
    if (UsersList1->topLevelItemCount() == 1 &&
        !(m_options.lastUserRemovable && m_options.lastUserRemovable())) {
        m_messages.error(this, security_text::lastUserStays());
        return;
    }
    switch (m_session.remove(Sid::fromString(sidText.toStdString()))) {
    case AclEditSession::RemoveResult::Removed:
        break;
    case AclEditSession::RemoveResult::NoList:
        m_messages.error(this, security_text::noSecurityList());
        return;
    case AclEditSession::RemoveResult::EntryUnreadable:
        m_messages.error(this, security_text::noUserInList());
        return;
    case AclEditSession::RemoveResult::DeletionFailed:
        m_messages.error(this, security_text::userNotRemoved());
        return;
    }
    // No other row takes over the selection, so the panel ends cleared and disabled.
    UsersList1->setCurrentItem(nullptr);
    UsersList1->clearSelection();
    showPanel();
    delete row;
}

} // namespace corvane
