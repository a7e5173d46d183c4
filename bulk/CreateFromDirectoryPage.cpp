#include "CreateFromDirectoryPage.h"

#include "BulkPaths.h"
#include "Messages.h"
#include "ShareCreation.h"
#include "security/TSecurityForm1.h"
#include "shares/DriveProbe.h"
#include "shares/Messages.h"
#include "ui/BusyCursor.h"
#include "ui/ListSorting.h"
#include "ui/SelectionWalk.h"
#include "ui/Text.h"
#include "ui/UserLimitSpinBox.h"
#include "ui/WalkProgress.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include <vector>

namespace corvane {

namespace {

constexpr int MaximumUsersLimit = 32767;

int levelOf(const QTreeWidgetItem* node) {
    int level = 0;
    for (const QTreeWidgetItem* p = node->parent(); p; p = p->parent())
        ++level;
    return level;
}

bool isNodeAncestorOf(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* node) {
    for (const QTreeWidgetItem* p = node ? node->parent() : nullptr; p; p = p->parent())
        if (p == ancestor)
            return true;
    return false;
}

} // namespace

CreateFromDirectoryPage::CreateFromDirectoryPage(AppContext& ctx, TSecurityForm1* securityForm,
                                                 QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_securityForm(securityForm) {
    setObjectName(QStringLiteral("TabSheet3"));

    DirTree1 = new QTreeWidget(this);
    DirTree1->setObjectName(QStringLiteral("DirTree1"));
    DirTree1->setHeaderHidden(true);
    DirTree1->setColumnCount(1);
    DirTree1->setIndentation(19);
    DirTree1->setSelectionMode(QAbstractItemView::SingleSelection);
    DirTree1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DirTree1->setSortingEnabled(false);
    DirTree1->setExpandsOnDoubleClick(true);

    DirList1 = new QTreeWidget(this);
    DirList1->setObjectName(QStringLiteral("DirList1"));
    DirList1->setHeaderLabels({QStringLiteral("Directory")});
    DirList1->setColumnWidth(0, 200);
    DirList1->header()->setSectionsClickable(false);
    DirList1->setRootIsDecorated(false);
    DirList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DirList1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DirList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DirList1->setSortingEnabled(false);

    CreateAllSharesHidden1 = new QCheckBox(QStringLiteral("Create all shares hidden"), this);
    CreateAllSharesHidden1->setObjectName(QStringLiteral("CreateAllSharesHidden1"));
    Label15 = new QLabel(QStringLiteral("Common comment:"), this);
    Label15->setObjectName(QStringLiteral("Label15"));
    CommonComment1 = new QLineEdit(this);
    CommonComment1->setObjectName(QStringLiteral("CommonComment1"));
    CommonComment1->setMaxLength(256);
    Label15->setBuddy(CommonComment1);
    Label16 = new QLabel(QStringLiteral("Maximum users::"), this);
    Label16->setObjectName(QStringLiteral("Label16"));
    MaximumUsers1 = new UserLimitSpinBox(MaximumUsersLimit, this);
    MaximumUsers1->setObjectName(QStringLiteral("MaximumUsers1"));
    Label16->setBuddy(MaximumUsers1);
    AddDirectoryNameAsUserName1 =
        new QCheckBox(QStringLiteral("Add directory name as username with Full Control"), this);
    AddDirectoryNameAsUserName1->setObjectName(QStringLiteral("AddDirectoryNameAsUserName1"));
    Security1 = new QPushButton(QStringLiteral("S&ecurity"), this);
    Security1->setObjectName(QStringLiteral("Security1"));
    Security1->setAutoDefault(false);
    Create1 = new QPushButton(QStringLiteral("C&reate"), this);
    Create1->setObjectName(QStringLiteral("Create1"));
    Create1->setAutoDefault(false);

    auto* browser = new QHBoxLayout;
    browser->addWidget(DirTree1, 1);
    browser->addWidget(DirList1, 1);
    auto* options = new QGridLayout;
    options->addWidget(CreateAllSharesHidden1, 0, 0, 1, 2);
    options->addWidget(Label15, 1, 0);
    options->addWidget(CommonComment1, 1, 1);
    options->addWidget(Label16, 2, 0);
    options->addWidget(MaximumUsers1, 2, 1);
    options->addWidget(AddDirectoryNameAsUserName1, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Security1);
    buttons->addStretch(1);
    buttons->addWidget(Create1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(browser, 1);
    layout->addLayout(options);
    layout->addLayout(buttons);

    connect(DirTree1, &QTreeWidget::itemSelectionChanged, this,
            [this] { DirTree1Change(selectedNode()); });
    connect(DirTree1, &QTreeWidget::itemExpanded, this, &CreateFromDirectoryPage::onItemExpanded);
    connect(DirTree1, &QTreeWidget::itemCollapsed, this,
            &CreateFromDirectoryPage::selectInsteadOfHiddenDescendant);
    connect(DirList1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { DirList1DblClick(); });
    connect(Security1, &QPushButton::clicked, this, &CreateFromDirectoryPage::Security1Click);
    connect(Create1, &QPushButton::clicked, this, &CreateFromDirectoryPage::Create1Click);
}

bool CreateFromDirectoryPage::addDirectoryNameAsUserName() const {
    return AddDirectoryNameAsUserName1->isChecked();
}

void CreateFromDirectoryPage::computerOpened() {
    m_treeComputer = m_ctx.state.computerName;
    DirTree1->clear();
    auto* root = new QTreeWidgetItem({m_treeComputer});
    setItemImage(root, m_ctx.images, ImageList::Computer);
    root->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    DirTree1->addTopLevelItem(root);
    for (const QString& letter : driveLetters()) {
        auto* drive = new QTreeWidgetItem(root, {letter + QLatin1Char(':')});
        setItemImage(drive, m_ctx.images, ImageList::DiskDrive);
        drive->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    root->setExpanded(true);
}

QStringList CreateFromDirectoryPage::driveLetters() const {
    // The main list has just been filled with the whole enumeration: the drive shares are read
    // from it, no call needed. Without any there, each letter is asked for.
    QStringList names;
    for (int i = 0; m_ctx.sharesList && i < m_ctx.sharesList->topLevelItemCount(); ++i)
        names.append(m_ctx.sharesList->topLevelItem(i)->text(0));
    if (QStringList listed = driveSharesAmong(names); !listed.isEmpty())
        return listed;
    // A server that keeps its drive shares out of its listing (Samba's "browseable = no") still
    // answers for each of them.
    Status endedEarly = status::Success;
    QStringList probed = probeDriveShares(m_ctx.shares, m_treeComputer, &endedEarly);
    if (endedEarly != status::Success && m_ctx.endedEarly)
        m_ctx.endedEarly(shares_text::readingDriveShares(m_treeComputer), endedEarly);
    return probed;
}

QTreeWidgetItem* CreateFromDirectoryPage::selectedNode() const {
    const QList<QTreeWidgetItem*> selected = DirTree1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

QString CreateFromDirectoryPage::nodePathOfNode(const QTreeWidgetItem* node) const {
    QStringList texts;
    for (const QTreeWidgetItem* n = node; n && n->parent(); n = n->parent())
        texts.prepend(n->text(0));
    return nodePathOf(texts);
}

void CreateFromDirectoryPage::DirTree1Change(QTreeWidgetItem* node) {
    DirList1->clear();
    if (!node || levelOf(node) == 0)
        return;
    m_ctx.state.currentDirectory = nodePathOfNode(node);
    std::vector<std::u16string> names;
    const Status result = m_ctx.directories.listDirectories(
        toU16(m_treeComputer), toU16(m_ctx.state.currentDirectory), names);
    if (result != status::Success) {
        m_ctx.messages.error(this, bulk_text::noPath());
        return;
    }
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(names.size()));
    for (const std::u16string& name : names) {
        auto* row = new QTreeWidgetItem({fromU16(name)});
        setItemImage(row, m_ctx.images, ImageList::ClosedFolder);
        rows.append(row);
    }
    sortItemsByCaption(rows);
    DirList1->addTopLevelItems(rows);
}

void CreateFromDirectoryPage::onItemExpanded(QTreeWidgetItem* node) {
    if (!m_rereading)
        DirTree1Expanding(node);
}

// A collapse hides the node's descendants; a selected one among them hands the selection to the
// collapsed node, which the list then shows. So the tree never holds a hidden selection, and a
// later expansion of this node is the expansion of the selected node, which keeps the list.
void CreateFromDirectoryPage::selectInsteadOfHiddenDescendant(QTreeWidgetItem* node) {
    if (isNodeAncestorOf(node, selectedNode()))
        DirTree1->setCurrentItem(node);
}

void CreateFromDirectoryPage::DirTree1Expanding(QTreeWidgetItem* node) {
    if (!node || levelOf(node) == 0)
        return;
    qDeleteAll(node->takeChildren());
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);

    std::vector<std::u16string> names;
    const Status result = m_ctx.directories.listDirectories(toU16(m_treeComputer),
                                                            toU16(nodePathOfNode(node)), names);
    if (result != status::Success)
        return;
    for (const std::u16string& name : names) {
        auto* child = new QTreeWidgetItem(node, {fromU16(name)});
        setItemImage(child, m_ctx.images, ImageList::ClosedFolder, ImageList::OpenFolder);
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
}

void CreateFromDirectoryPage::DirList1DblClick() {
    QTreeWidgetItem* node = selectedNode();
    const QList<QTreeWidgetItem*> selected = DirList1->selectedItems();
    if (!node || selected.size() != 1)
        return;
    const QString caption = selected.first()->text(0);

    // The children are re-read on every double click, even when the node is already expanded
    // or was found empty before (a collapsed-looking node would otherwise never be asked): the
    // list has just shown this directory, so the tree must have the child that was clicked.
    DirTree1Expanding(node);
    m_rereading = true;
    node->setExpanded(true);
    m_rereading = false;

    for (int i = 0; i < node->childCount(); ++i) {
        if (node->child(i)->text(0) == caption) {
            DirTree1->setCurrentItem(node->child(i));
            return;
        }
    }
}

void CreateFromDirectoryPage::Security1Click() {
    if (m_securityForm)
        runSecurityDialog(*m_securityForm, m_ctx.state.newShareAcl);
}

void CreateFromDirectoryPage::Create1Click() {
    QTreeWidgetItem* node = selectedNode();
    if (!node || levelOf(node) == 0)
        return;
    const QList<QTreeWidgetItem*> directories = selectedRows(DirList1);
    if (directories.isEmpty())
        return;

    BusyCursor busy;
    NewShareOptions options;
    options.comment = CommonComment1->text();
    options.hidden = CreateAllSharesHidden1->isChecked();
    options.addDirectoryNameAsUser = AddDirectoryNameAsUserName1->isChecked();
    options.maximumUsers = MaximumUsers1->value();
    const NewShareTarget target =
        newShareTarget(m_ctx.shares, toU16(m_treeComputer), m_ctx.state.currentDirectory);

    Walk walk(m_ctx.walks, shares_text::creatingShares(m_treeComputer),
              static_cast<int>(directories.size()));
    for (const QTreeWidgetItem* item : directories) {
        if (walk.stopRequested())
            break;
        const WalkStep step(walk);
        const QString directory = item->text(0);
        const DirectoryCreation created = createDirectoryShare(
            m_ctx.shares, m_ctx.accounts, target, options, m_ctx.state.newShareAcl, directory);
        // Every box of the run is titled with the directory it concerns; Yes goes on.
        if (created.kind != DirectoryCreation::Kind::Created &&
            !m_ctx.messages.errorGoOn(this, created.question, directory))
            break;
    }
    m_ctx.reloadSharesList();
}

} // namespace corvane
