#include "CopyFromPage.h"

#include "BulkPaths.h"
#include "Messages.h"
#include "shares/FillSharesList.h"
#include "shares/Messages.h"
#include "shares/ShareChanges.h"
#include "shares/ShareRules.h"
#include "ui/BusyCursor.h"
#include "ui/ListSorting.h"
#include "ui/SelectItemEvents.h"
#include "ui/SelectionWalk.h"
#include "ui/Text.h"
#include "ui/WalkProgress.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace corvane {

CopyFromPage::CopyFromPage(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("TabSheet2"));

    Label12 = new QLabel(QStringLiteral("Computer:"), this);
    Label12->setObjectName(QStringLiteral("Label12"));
    SourceComputer1 = new QLineEdit(this);
    SourceComputer1->setObjectName(QStringLiteral("SourceComputer1"));
    Label12->setBuddy(SourceComputer1);
    OpenCopyComputer1 = new QPushButton(QStringLiteral("Open"), this);
    OpenCopyComputer1->setObjectName(QStringLiteral("OpenCopyComputer1"));
    OpenCopyComputer1->setAutoDefault(false);

    SourceComputerSharesList1 = new QTreeWidget(this);
    SourceComputerSharesList1->setObjectName(QStringLiteral("SourceComputerSharesList1"));
    SourceComputerSharesList1->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Path"), QStringLiteral("Comment")});
    SourceComputerSharesList1->setColumnWidth(0, 200);
    SourceComputerSharesList1->setColumnWidth(1, 100);
    SourceComputerSharesList1->setRootIsDecorated(false);
    SourceComputerSharesList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SourceComputerSharesList1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SourceComputerSharesList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SourceComputerSharesList1->setSortingEnabled(false);
    SourceComputerSharesList1->header()->setSectionsClickable(true);
    SourceComputerSharesList1->header()->setSortIndicatorShown(false);

    Label13 = new QLabel(QStringLiteral("Source parent dir:"), this);
    Label13->setObjectName(QStringLiteral("Label13"));
    SourceComputerParentDir1 = new QLineEdit(this);
    SourceComputerParentDir1->setObjectName(QStringLiteral("SourceComputerParentDir1"));
    SourceComputerParentDir1->setReadOnly(true);
    Label13->setBuddy(SourceComputerParentDir1);

    Label14 = new QLabel(QStringLiteral("Destination parent dir:"), this);
    Label14->setObjectName(QStringLiteral("Label14"));
    DestinationComputerParentDir1 = new QLineEdit(this);
    DestinationComputerParentDir1->setObjectName(QStringLiteral("DestinationComputerParentDir1"));
    Label14->setBuddy(DestinationComputerParentDir1);

    UseSourceAsDestination1 = new QCheckBox(QStringLiteral("Use source as destination"), this);
    UseSourceAsDestination1->setObjectName(QStringLiteral("UseSourceAsDestination1"));
    Copy1 = new QPushButton(QStringLiteral("C&opy"), this);
    Copy1->setObjectName(QStringLiteral("Copy1"));
    Copy1->setAutoDefault(false);

    auto* computerRow = new QHBoxLayout;
    computerRow->addWidget(Label12);
    computerRow->addWidget(SourceComputer1, 1);
    computerRow->addWidget(OpenCopyComputer1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(computerRow);
    layout->addWidget(SourceComputerSharesList1, 1);
    layout->addWidget(Label13);
    layout->addWidget(SourceComputerParentDir1);
    layout->addWidget(Label14);
    layout->addWidget(DestinationComputerParentDir1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(UseSourceAsDestination1);
    bottomRow->addStretch(1);
    bottomRow->addWidget(Copy1);
    layout->addLayout(bottomRow);

    connect(SourceComputer1, &QLineEdit::returnPressed, this,
            [this] { SourceComputer1KeyPress(Qt::Key_Return); });
    connect(OpenCopyComputer1, &QPushButton::clicked, this, &CopyFromPage::OpenCopyComputer1Click);
    connect(SourceComputerSharesList1->header(), &QHeaderView::sectionClicked, this,
            &CopyFromPage::SourceComputerSharesList1ColumnClick);
    // The row the user acted on is reported last, so the boxes show its parent.
    connectSelectItem(SourceComputerSharesList1, this,
                      [this](QTreeWidgetItem* item, bool selected) {
                          SourceComputerSharesList1SelectItem(item, selected);
                      });
    connect(UseSourceAsDestination1, &QCheckBox::clicked, this,
            &CopyFromPage::UseSourceAsDestination1Click);
    connect(Copy1, &QPushButton::clicked, this, &CopyFromPage::Copy1Click);
}

void CopyFromPage::SourceComputer1KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        OpenCopyComputer1->click();
}

void CopyFromPage::OpenCopyComputer1Click() {
    // The name is kept as typed; a computer that cannot be read leaves the list empty, silently.
    m_sourceComputer = SourceComputer1->text();
    FillSharesList(m_ctx.shares, m_sourceComputer, SourceComputerSharesList1, m_ctx.images,
                   FillOrder::AsServed);
    sortByCaption(SourceComputerSharesList1);
}

void CopyFromPage::SourceComputerSharesList1ColumnClick(int column) {
    sortByColumn(SourceComputerSharesList1, column);
}

void CopyFromPage::SourceComputerSharesList1SelectItem(QTreeWidgetItem* item, bool selected) {
    if (!selected || !item)
        return;
    const QString parentDir = sourceParentDirOf(item->text(1));
    SourceComputerParentDir1->setText(parentDir);
    if (UseSourceAsDestination1->isChecked())
        DestinationComputerParentDir1->setText(parentDir);
}

void CopyFromPage::UseSourceAsDestination1Click() {
    DestinationComputerParentDir1->setText(SourceComputerParentDir1->text());
}

void CopyFromPage::Copy1Click() {
    const QList<QTreeWidgetItem*> selected = selectedRows(SourceComputerSharesList1);
    if (selected.isEmpty())
        return;
    const QString destinationParent = DestinationComputerParentDir1->text();
    if (destinationParent.isEmpty()) {
        m_ctx.messages.error(this, bulk_text::noDestinationParent());
        return;
    }
    if (const QString flaw = pathFlawOf(destinationParent); !flaw.isEmpty()) {
        m_ctx.messages.error(this, bulk_text::destinationParentFlawed(destinationParent, flaw));
        return;
    }

    BusyCursor busy;
    // Let the window repaint before the first call; no user input is taken meanwhile.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    const std::u16string source = toU16(m_sourceComputer);
    const std::u16string destination = toU16(m_ctx.state.computerName);
    bool copiedAny = false;
    Walk walk(m_ctx.walks, shares_text::copyingShares(m_sourceComputer, m_ctx.state.computerName),
              static_cast<int>(selected.size()));
    for (const QTreeWidgetItem* item : selected) {
        if (walk.stopRequested())
            break;
        const WalkStep step(walk);
        ShareInfo502 info;
        Status result = m_ctx.shares.getInfo(source, toU16(item->text(0)), info);
        if (result != status::Success) {
            m_ctx.messages.error(this, shares_text::fetchFailed(result, item->text(0)));
            if (copiedAny)
                m_ctx.reloadSharesList();
            return;
        }
        const QString sourcePath = fromU16(info.path);
        info.path = toU16(destinationPathOf(destinationParent, sourcePath));
        if (info.path.empty()) {
            m_ctx.messages.error(this, bulk_text::copySourcePathFlawed(item->text(0), sourcePath,
                                                                       pathFlawOf(sourcePath)));
            if (copiedAny)
                m_ctx.reloadSharesList();
            return;
        }
        const ChangeOutcome added = addShare(m_ctx.shares, destination, info);
        if (!added.done()) {
            const QString name = fromU16(info.netname);
            m_ctx.messages.error(this, added.kind == ChangeOutcome::Kind::Unknown
                                           ? bulk_text::copyCreationUnanswered(added.status, name)
                                           : bulk_text::copyCreationFailed(added.status, name));
            // The shares copied before it are on the server: the list shows them.
            if (copiedAny)
                m_ctx.reloadSharesList();
            return;
        }
        copiedAny = true;
    }
    m_ctx.reloadSharesList();
}

} // namespace corvane
