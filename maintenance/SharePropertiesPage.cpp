#include "SharePropertiesPage.h"

#include "Messages.h"
#include "ShareProperties.h"
#include "platform/SecurityDescriptor.h"
#include "security/AclBuilding.h"
#include "security/PermissionEditor.h"
#include "shares/Messages.h"
#include "ui/SelectItemEvents.h"
#include "ui/Text.h"
#include "ui/UserLimitSpinBox.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <climits>

namespace corvane {

namespace {

constexpr int MaxUsersLimit = 1000;

QLabel* makeLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

QLineEdit* makeEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

} // namespace

SharePropertiesPage::SharePropertiesPage(AppContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("TabSheet1"));

    Label1 = makeLabel("Label1", QStringLiteral("Share name:"), this);
    ShareName1 = makeEdit("ShareName1", this);
    Label2 = makeLabel("Label2", QStringLiteral("Local path:"), this);
    LocalPath1 = makeEdit("LocalPath1", this);
    Label3 = makeLabel("Label3", QStringLiteral("Comment:"), this);
    Comment1 = makeEdit("Comment1", this);
    Label4 = makeLabel("Label4", QStringLiteral("Max Users:"), this);
    MaxUsers1 = new UserLimitSpinBox(MaxUsersLimit, this);
    MaxUsers1->setObjectName(QStringLiteral("MaxUsers1"));
    Label1->setBuddy(ShareName1);
    Label2->setBuddy(LocalPath1);
    Label3->setBuddy(Comment1);
    Label4->setBuddy(MaxUsers1);

    GroupBox1 = new QGroupBox(QStringLiteral("Security"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    PermissionEditor::Options options;
    options.fileSpecificMasks = true;
    options.addedCaptionWithDomain = false;
    options.noListMeansFullControl = true;
    m_editor =
        new PermissionEditor(ctx.accounts, ctx.messages, ctx.images, std::move(options), GroupBox1);
    m_editor->bindAcl(&ctx.state.currentAcl);
    m_editor->setComputerName(ctx.state.computerName);
    Apply1 = new QPushButton(QStringLiteral("&Apply"), this);
    Apply1->setObjectName(QStringLiteral("Apply1"));
    m_editor->buttonRow()->addWidget(Apply1);
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->addWidget(m_editor);

    auto* form = new QFormLayout;
    form->addRow(Label1, ShareName1);
    form->addRow(Label2, LocalPath1);
    form->addRow(Label3, Comment1);
    form->addRow(Label4, MaxUsers1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(GroupBox1, 1);

    showView(ShareView::Empty);
    connect(Apply1, &QPushButton::clicked, this, &SharePropertiesPage::ApplyButton1Click);
    if (ctx.sharesList)
        connect(ctx.sharesList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
                &SharePropertiesPage::sharesSelectionChanged);
}

void SharePropertiesPage::sharesSelectionChanged(const QItemSelection& selected,
                                                 const QItemSelection& deselected) {
    reportSelectItems(m_ctx.sharesList, selected, deselected,
                      [this](QTreeWidgetItem* item, bool isSelected) {
                          SharesList1SelectItem(item, isSelected);
                      });
    // Back from several shares to one without a new row being selected: show that one.
    if (m_showsSeveral) {
        const QList<QTreeWidgetItem*> rows = m_ctx.sharesList->selectedItems();
        if (rows.size() == 1)
            SharesList1SelectItem(rows.first(), true);
    }
}

void SharePropertiesPage::showView(ShareView view) {
    const ShareViewEnabling enabling = enablingOf(view);
    ShareName1->setEnabled(enabling.edits);
    LocalPath1->setEnabled(enabling.edits);
    Comment1->setEnabled(enabling.edits);
    MaxUsers1->setEnabled(enabling.edits);
    if (enabling.usersList)
        m_editor->usersList()->setEnabled(*enabling.usersList);
    m_editor->addButton()->setEnabled(enabling.addRemove);
    m_editor->removeButton()->setEnabled(enabling.addRemove);
}

void SharePropertiesPage::clearView() {
    m_editor->clearRows();
    ShareName1->clear();
    LocalPath1->clear();
    Comment1->clear();
    MaxUsers1->setValue(-1);
    MaxUsers1->clear();
}

void SharePropertiesPage::releaseRecord() {
    m_ctx.state.currentShareInfo.reset();
    m_ctx.state.loadedShareInfo.reset();
    m_ctx.state.currentAcl.reset();
    m_recordComputer.clear();
    m_readOnly = false;
}

void SharePropertiesPage::computerOpened() {
    m_showsSeveral = false;
    releaseRecord();
    clearView();
    showView(ShareView::Empty);
    m_editor->setComputerName(m_ctx.state.computerName);
}

void SharePropertiesPage::SharesList1SelectItem(QTreeWidgetItem* item, bool selected) {
    SharedState& state = m_ctx.state;
    if (!selected || !item)
        return;
    m_editor->setComputerName(state.computerName);
    m_editor->clearRows();

    const QString name = item->text(0);
    const int selectedRows = m_ctx.sharesList ? int(m_ctx.sharesList->selectedItems().size()) : 0;
    // Several shares selected: nothing is shown and Apply has nothing to write.
    m_showsSeveral = shareViewFor(selectedRows, name, nullptr) == ShareView::Several;
    if (m_showsSeveral) {
        releaseRecord();
        clearView();
        showView(ShareView::Several);
        return;
    }
    showView(ShareView::Fetching);

    ShareInfo502 info;
    const Status fetched = m_ctx.shares.getInfo(toU16(state.computerName), toU16(name), info);
    if (fetched != status::Success) {
        releaseRecord();
        m_ctx.messages.error(this, shares_text::fetchFailed(fetched));
        return;
    }
    state.currentShareInfo = info;
    state.loadedShareInfo = info;
    m_recordComputer = state.computerName;
    m_readOnly = false;

    ShareName1->setText(fromU16(info.netname));
    LocalPath1->setText(fromU16(info.path));
    Comment1->setText(fromU16(info.remark));
    const int maxUsers = info.maxUses == NoUserLimit
                             ? -1
                             : static_cast<int>(std::min<std::uint32_t>(info.maxUses, INT_MAX));
    MaxUsers1->setValue(maxUsers);

    const ShareView view = shareViewFor(selectedRows, name, &info);
    showView(view);
    if (view == ShareView::DefaultShare) {
        state.currentAcl.reset();
        m_readOnly = true;
        m_editor->addRow(maintenance_text::defaultShareReadOnly(), -1);
        return;
    }
    if (const auto descriptor = shareDescriptor(info)) {
        // The page edits its own copy; the record keeps the list as loaded.
        if (descriptor->daclState() == DaclState::Present && descriptor->dacl()) {
            auto copy = CopyAcl(*descriptor->dacl());
            state.currentAcl = copy ? std::move(copy) : descriptor->dacl();
        } else {
            state.currentAcl.reset();
        }
        m_editor->fillFromAcl();
        return;
    }
    // No descriptor of its own: show, and on Apply write, the default list.
    state.currentAcl = everyoneFullControlAcl();
    m_editor->addRow(QStringLiteral("Everyone"), ImageList::Group,
                     QString::fromStdString(Sid::make(1, {0}).toString()));
}

void SharePropertiesPage::ApplyButton1Click() {
    SharedState& state = m_ctx.state;
    if (!state.currentShareInfo || !state.loadedShareInfo || m_readOnly)
        return;
    if (m_ctx.sharesList && m_ctx.sharesList->selectedItems().size() >= 2)
        return;
    // A record read from one computer is never written to another.
    if (m_recordComputer != state.computerName)
        return;
    const ShareEdits edits{ShareName1->text(), LocalPath1->text(), Comment1->text(),
                           MaxUsers1->value()};
    const ApplyResult result =
        applyShareChanges(m_ctx.shares, state.computerName, *state.currentShareInfo,
                          *state.loadedShareInfo, edits, state.currentAcl, m_ctx.journal);
    if (!result.ok) {
        m_ctx.messages.error(this, result.message);
        if (result.listed)
            m_ctx.reloadSharesList();
        return;
    }
    state.loadedShareInfo = state.currentShareInfo;
    m_ctx.reloadSharesList();
}

} // namespace corvane
