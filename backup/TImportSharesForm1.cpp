#include "TImportSharesForm1.h"

#include "shares/Messages.h"
#include "ui/BusyCursor.h"
#include "ui/Named.h"
#include "ui/Text.h"
#include "ui/WalkProgress.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

TImportSharesForm1::TImportSharesForm1(AppContext& ctx, ShareFile file,
                                       std::vector<ExistingShare> existing, QWidget* parent)
    : QDialog(parent), m_ctx(ctx), m_file(std::move(file)), m_existing(std::move(existing)) {
    setObjectName(QStringLiteral("ImportSharesForm1"));
    setWindowTitle(QStringLiteral("Import shares"));

    auto* source = new QLabel(QStringLiteral("Shares of %1, exported %2:")
                                  .arg(m_file.computer, m_file.exported.toString(Qt::ISODate)),
                              this);
    ImportList1 = named(new QTreeWidget(this), "ImportList1");
    ImportList1->setColumnCount(4);
    ImportList1->setHeaderLabels({QStringLiteral("Share"), QStringLiteral("State"),
                                  QStringLiteral("Path"), QStringLiteral("Comment")});
    ImportList1->setRootIsDecorated(false);
    ImportList1->setUniformRowHeights(true);
    ImportList1->setSelectionMode(QAbstractItemView::NoSelection);
    ImportList1->header()->setStretchLastSection(true);
    ImportList1->setColumnWidth(0, 140);
    ImportList1->setColumnWidth(1, 180);
    ImportList1->setColumnWidth(2, 220);

    auto* parentLabel = new QLabel(QStringLiteral("New parent dir (optional):"), this);
    ImportNewParentDir1 = named(new QLineEdit(this), "ImportNewParentDir1");
    parentLabel->setBuddy(ImportNewParentDir1);
    ReplaceExisting1 =
        named(new QCheckBox(QStringLiteral("Replace existing shares"), this), "ReplaceExisting1");
    ReplaceExisting1->setChecked(false);

    Ok1 = named(new QPushButton(QStringLiteral("&Ok"), this), "Ok1");
    Ok1->setDefault(true);
    Cancel1 = named(new QPushButton(QStringLiteral("C&ancel"), this), "Cancel1");
    ImportStatusList1 = named(new QListWidget(this), "ImportStatusList1");

    auto* parentRow = new QHBoxLayout;
    parentRow->addWidget(parentLabel);
    parentRow->addWidget(ImportNewParentDir1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ReplaceExisting1);
    buttons->addStretch(1);
    buttons->addWidget(Ok1);
    buttons->addWidget(Cancel1);
    auto* form = new QVBoxLayout(this);
    form->addWidget(source);
    form->addWidget(ImportList1, 3);
    form->addLayout(parentRow);
    form->addLayout(buttons);
    form->addWidget(ImportStatusList1, 1);
    resize(700, 480);

    m_rows = planImport(m_file, QString(), m_existing);
    for (const ImportRow& row : m_rows)
        m_ticked.push_back(tickedByDefault(row));
    fillList();

    connect(ImportNewParentDir1, &QLineEdit::textChanged, this,
            &TImportSharesForm1::ImportNewParentDir1Change);
    connect(ImportList1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int) {
        const int index = ImportList1->indexOfTopLevelItem(item);
        if (index >= 0 && static_cast<std::size_t>(index) < m_ticked.size())
            m_ticked[static_cast<std::size_t>(index)] = item->checkState(0) == Qt::Checked;
    });
    connect(Ok1, &QPushButton::clicked, this, &TImportSharesForm1::Ok1Click);
    connect(Cancel1, &QPushButton::clicked, this, &QDialog::reject);
}

void TImportSharesForm1::ImportNewParentDir1Change() {
    std::vector<ImportRow> rows = planImport(m_file, ImportNewParentDir1->text(), m_existing);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool wasInvalid = m_rows[i].state == ImportRow::State::Invalid;
        const bool isInvalid = rows[i].state == ImportRow::State::Invalid;
        if (wasInvalid != isInvalid)
            m_ticked[i] = tickedByDefault(rows[i]);
    }
    m_rows = std::move(rows);
    fillList();
}

void TImportSharesForm1::fillList() {
    const QSignalBlocker quiet(ImportList1);
    ImportList1->clear();
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        const ImportRow& row = m_rows[i];
        auto* item = new QTreeWidgetItem(ImportList1);
        item->setText(0, fromU16(row.record.netname));
        item->setText(1, stateText(row));
        item->setText(2, fromU16(row.record.path));
        item->setText(3, fromU16(row.record.remark));
        const bool valid = row.state != ImportRow::State::Invalid;
        item->setFlags(valid ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled);
        item->setCheckState(0, valid && m_ticked[i] ? Qt::Checked : Qt::Unchecked);
    }
}

void TImportSharesForm1::Ok1Click() {
    if (m_ran)
        return;
    m_ran = true;
    Ok1->setEnabled(false);
    ImportList1->setEnabled(false);
    ImportNewParentDir1->setEnabled(false);
    ReplaceExisting1->setEnabled(false);
    Cancel1->setText(QStringLiteral("&Close"));

    const bool replace = ReplaceExisting1->isChecked();
    const std::u16string computer = toU16(m_ctx.state.computerName);
    const BusyCursor busy;
    const auto chosen = [this](std::size_t i) {
        return m_ticked[i] && m_rows[i].state != ImportRow::State::Invalid;
    };
    int total = 0;
    for (std::size_t i = 0; i < m_rows.size(); ++i)
        total += chosen(i) ? 1 : 0;
    Walk walk(m_ctx.walks, shares_text::importingShares(m_ctx.state.computerName), total);
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (!chosen(i))
            continue;
        if (walk.stopRequested())
            break;
        const WalkStep step(walk);
        const ImportOutcome outcome =
            importShare(m_ctx.shares, computer, m_rows[i], replace, m_ctx.journal);
        ImportStatusList1->addItem(outcome.statusLine);
        if (!outcome.errorText.isEmpty() && !m_ctx.messages.errorGoOn(this, outcome.errorText))
            break;
    }
}

} // namespace corvane
