#include "PermissionEditor.h"

#include "AclBuilding.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

Permission recognisedPermission(std::uint32_t mask, bool fileSpecificMasks) {
    switch (mask) {
    case GenericAll:
        return Permission::FullControl;
    case GenericWrite:
        return Permission::Change;
    case GenericRead:
        return Permission::Read;
    default:
        break;
    }
    if (!fileSpecificMasks)
        return Permission::None;
    // Samba keeps the generic right of an entry written with one and adds the file rights it
    // stands for, so the program's own entries come back as e.g. 0x101F01FF.
    switch (mask) {
    case 0x001F01FF:
    case GenericAll | 0x001F01FF:
        return Permission::FullControl;
    case 0x00100116:
    case 0x00120116:
    case GenericWrite | 0x00120116:
        return Permission::Change;
    case 0x00120089:
    case 0x001200A9:
    case GenericRead | 0x00120089:
        return Permission::Read;
    default:
        return Permission::None;
    }
}

QString accountCaption(const QString& name, const QString& domain) {
    if (domain.isEmpty())
        return name;
    return name + QStringLiteral(" (") + domain + QLatin1Char('\\') + name + QLatin1Char(')');
}

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
      m_options(std::move(options)) {
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
    connect(UsersList1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PermissionEditor::usersSelectionChanged);
}

void PermissionEditor::bindAcl(std::optional<Acl>* acl) {
    m_acl = acl;
    m_selectedAce.reset();
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

void PermissionEditor::usersSelectionChanged() {
    // Single selection: report the row that lost the selection before the one that gained it,
    // so that SelectedAce is none while the new row's boxes are ticked.
    const QList<QTreeWidgetItem*> now = UsersList1->selectedItems();
    QTreeWidgetItem* current = now.isEmpty() ? nullptr : now.first();
    if (current == m_selectedRow)
        return;
    if (m_selectedRow)
        UsersList1SelectItem(m_selectedRow, false);
    if (current)
        UsersList1SelectItem(current, true);
}

void PermissionEditor::clearRows() {
    if (m_selectedRow)
        UsersList1SelectItem(m_selectedRow, false);
    m_selectedRow = nullptr;
    m_selectedAce.reset();
    AllowRead1->setChecked(false);
    DenyRead1->setChecked(false);
    Permissions1->setEnabled(false);
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
    if (!m_acl || !*m_acl)
        return;
    const Acl& acl = **m_acl;
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
            addRow(accountCaption(fromU16(accounts[k].name), fromU16(accounts[k].domain)),
                   accountImage(accounts[k].use), sidText);
        else
            addRow(sidText, -1, sidText);
    }
}

void PermissionEditor::UsersList1SelectItem(QTreeWidgetItem* item, bool selected) {
    if (!selected) {
        m_selectedAce.reset();
        if (item == m_selectedRow)
            m_selectedRow = nullptr;
        Permissions1->setEnabled(false);
        AllowRead1->setChecked(false);
        DenyRead1->setChecked(false);
        return;
    }
    m_selectedRow = item;
    // A row without a SID (the default-share notice) stands for no entry: nothing to edit.
    if (!item || item->data(0, SidRole).toString().isEmpty())
        return;
    Permissions1->setEnabled(true);
    if (m_options.noListMeansFullControl && (!m_acl || !*m_acl)) {
        AllowFullControl1->setChecked(true);
        return;
    }
    showEntriesOf(item);
}

void PermissionEditor::showEntriesOf(QTreeWidgetItem* item) {
    // Showing a row never changes the list: with several entries for one user the cascades
    // would otherwise rewrite the earlier entry while the later one is being shown.
    m_showing = true;
    AllowRead1->setChecked(false);
    DenyRead1->setChecked(false);
    const auto sid = Sid::fromString(item->data(0, SidRole).toString().toStdString());
    if (sid && m_acl && *m_acl) {
        const Acl& acl = **m_acl;
        for (std::size_t i = 0; i < acl.aceCount(); ++i) {
            const auto ace = acl.ace(i);
            if (!ace || !ace->isAllowedOrDenied() || ace->sid != sid)
                continue;
            const bool allow = ace->type == AccessAllowedAceType;
            const Permission p = recognisedPermission(ace->mask, m_options.fileSpecificMasks);
            if (p == Permission::None)
                box(allow, Permission::FullControl)->setChecked(false);
            else
                box(allow, p)->setChecked(true);
            m_selectedAce = i;
        }
    }
    m_showing = false;
}

std::optional<std::uint8_t> PermissionEditor::selectedType() const {
    if (!m_selectedAce || !m_acl || !*m_acl)
        return std::nullopt;
    const auto ace = (*m_acl)->ace(*m_selectedAce);
    if (!ace || !ace->isAllowedOrDenied())
        return std::nullopt;
    return ace->type;
}

void PermissionEditor::setSelectedMask(std::uint8_t columnType, std::uint32_t mask) {
    if (m_showing || selectedType() != columnType)
        return;
    (*m_acl)->setMask(*m_selectedAce, mask);
}

void PermissionEditor::replaceEntries(bool allowSide, std::uint32_t mask) {
    const auto selected = (*m_acl)->ace(*m_selectedAce);
    if (!selected || !selected->sid)
        return;
    const Sid sid = *selected->sid;
    // The entries go from a copy: the form's list changes only once the new one is built.
    std::optional<Acl> without = **m_acl;
    // Allow side: every entry of the user goes; deny side: only the allowed ones.
    for (std::size_t i = 0; i < without->aceCount();) {
        const auto ace = without->ace(i);
        if (ace && ace->isAllowedOrDenied() && ace->sid == sid &&
            (allowSide || ace->type == AccessAllowedAceType)) {
            if (without->deleteAce(i))
                continue;
        }
        ++i;
    }
    auto rebuilt = AddAceToAcl(allowSide ? ExplicitAllow : ExplicitDeny, without, sid, mask);
    if (!rebuilt) {
        m_replacementFailed = true;
        return;
    }
    m_selectedAce.reset();
    *m_acl = std::move(*rebuilt);
    // Designate the new entry, so the outer handlers of the same cascade act on it.
    const std::uint8_t type = allowSide ? AccessAllowedAceType : AccessDeniedAceType;
    for (std::size_t i = 0; i < (*m_acl)->aceCount(); ++i) {
        const auto ace = (*m_acl)->ace(i);
        if (ace && ace->type == type && ace->sid == sid) {
            m_selectedAce = i;
            break;
        }
    }
}

void PermissionEditor::asOneEdit(const std::function<void()>& handler) {
    if (m_editDepth > 0 || m_showing || !m_acl) {
        handler();
        return;
    }
    const std::optional<Acl> before = *m_acl;
    m_replacementFailed = false;
    ++m_editDepth;
    handler();
    --m_editDepth;
    if (!m_replacementFailed)
        return;
    m_replacementFailed = false;
    // The masks the nested handlers wrote go as well: the user's entries stay as they were.
    *m_acl = before;
    m_messages.error(this, QStringLiteral("Could not add user to list!"));
    if (m_selectedRow)
        showEntriesOf(m_selectedRow);
}

// A box of the Allow (or Deny) column became ticked: the selected entry takes the mask when
// it is of that column's type, otherwise the user's entries are rebuilt.
void PermissionEditor::ticked(bool allowSide, std::uint32_t mask) {
    const auto type = selectedType();
    if (m_showing || !type)
        return;
    if (*type == (allowSide ? AccessAllowedAceType : AccessDeniedAceType))
        (*m_acl)->setMask(*m_selectedAce, mask);
    else
        replaceEntries(allowSide, mask);
}

void PermissionEditor::AllowFullControl1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            AllowChange1->setChecked(true);
            DenyRead1->setChecked(false);
            ticked(true, GenericAll);
        } else {
            setSelectedMask(AccessAllowedAceType, GenericWrite);
        }
    });
}

void PermissionEditor::AllowChange1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            AllowRead1->setChecked(true);
            DenyRead1->setChecked(false);
            ticked(true, GenericWrite);
        } else {
            AllowFullControl1->setChecked(false);
            setSelectedMask(AccessAllowedAceType, GenericRead);
        }
    });
}

void PermissionEditor::AllowRead1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            DenyRead1->setChecked(false);
            ticked(true, GenericRead);
        } else {
            AllowChange1->setChecked(false);
            setSelectedMask(AccessAllowedAceType, 0);
        }
    });
}

void PermissionEditor::DenyFullControl1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            DenyChange1->setChecked(true);
            AllowRead1->setChecked(false);
            ticked(false, GenericAll);
        } else {
            setSelectedMask(AccessDeniedAceType, GenericWrite);
        }
    });
}

void PermissionEditor::DenyChange1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            DenyRead1->setChecked(true);
            AllowRead1->setChecked(false);
            ticked(false, GenericWrite);
        } else {
            DenyFullControl1->setChecked(false);
            setSelectedMask(AccessDeniedAceType, GenericRead);
        }
    });
}

void PermissionEditor::DenyRead1Click(bool checked) {
    asOneEdit([&] {
        if (checked) {
            AllowFullControl1->setChecked(false);
            AllowRead1->setChecked(false);
            ticked(false, GenericRead);
        } else {
            DenyChange1->setChecked(false);
            setSelectedMask(AccessDeniedAceType, 0);
        }
    });
}

void PermissionEditor::Add1Click() {
    if (!m_acl)
        return;
    const auto entered =
        m_messages.getText(this, QStringLiteral("Username..."),
                           QStringLiteral("Please enter the username you wish to add."));
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
            m_messages.error(this, QStringLiteral("Username is already present!"));
            return;
        }
    }
    // The new entry goes after the leading explicit deny run; a selected entry at or after
    // that place moves down by one.
    std::size_t insertedAt = 0;
    if (*m_acl) {
        while (insertedAt < (*m_acl)->aceCount()) {
            const auto ace = (*m_acl)->ace(insertedAt);
            if (!ace || ace->type != AccessDeniedAceType || (ace->flags & InheritedAce))
                break;
            ++insertedAt;
        }
    }
    auto added = AddAceToAcl(ExplicitAllow, *m_acl, account.sid, GenericAll);
    if (!added) {
        m_messages.error(this, QStringLiteral("Could not add user to list!"));
        return;
    }
    *m_acl = std::move(*added);
    if (m_selectedAce && *m_selectedAce >= insertedAt)
        ++*m_selectedAce;
    const QString caption = m_options.addedCaptionWithDomain
                                ? name + QStringLiteral(" (") + fromU16(account.domain) +
                                      QLatin1Char('\\') + name + QLatin1Char(')')
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
        m_messages.error(this, QStringLiteral("At least one user MUST exist!"));
        return;
    }
    const auto sid = Sid::fromString(sidText.toStdString());
    if (!m_acl || !*m_acl) {
        m_messages.error(this,
                         QStringLiteral("Could not retrieve information about security list!"));
        return;
    }
    Acl& acl = **m_acl;
    std::size_t index = 0;
    for (; index < acl.aceCount(); ++index) {
        const auto ace = acl.ace(index);
        if (!ace) {
            m_messages.error(this, QStringLiteral("Could not find any user in security list!"));
            return;
        }
        if (ace->isAllowedOrDenied() && sid && ace->sid == sid)
            break;
    }
    if (!acl.deleteAce(index)) {
        m_messages.error(this, QStringLiteral("Could not remove user from security list!"));
        return;
    }
    // No other row takes over the selection, so the panel ends cleared and disabled.
    UsersList1->setCurrentItem(nullptr);
    UsersList1->clearSelection();
    UsersList1SelectItem(row, false);
    delete row;
}

} // namespace corvane
