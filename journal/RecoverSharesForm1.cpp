#include "RecoverSharesForm1.h"

#include "Messages.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvane {

RecoverSharesForm1::RecoverSharesForm1(const QString& server,
                                       const std::vector<journal::Offer>& offers, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("RecoverSharesForm1"));
    setWindowTitle(QStringLiteral("Recover shares"));
    setModal(true);
    resize(640, 300);

    Message1 = new QLabel(journal_text::recoverIntro(server), this);
    Message1->setObjectName(QStringLiteral("Message1"));
    Message1->setWordWrap(true);
    RecoverList1 = new QTreeWidget(this);
    RecoverList1->setObjectName(QStringLiteral("RecoverList1"));
    RecoverList1->setRootIsDecorated(false);
    RecoverList1->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("Path"),
                                   QStringLiteral("Comment"), QStringLiteral("Change"),
                                   QStringLiteral("When")});
    for (const journal::Offer& offer : offers) {
        const journal::Entry& e = offer.entry;
        auto* row = new QTreeWidgetItem(RecoverList1);
        row->setText(0, QString::fromStdU16String(e.share.netname));
        row->setText(1, QString::fromStdU16String(e.share.path));
        row->setText(2, QString::fromStdU16String(e.share.remark));
        row->setText(3, journal_text::whatWasDone(e));
        row->setText(4, QLocale().toString(e.begun.toLocalTime(), QLocale::ShortFormat));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Checked);
    }
    RecoverList1->header()->resizeSections(QHeaderView::ResizeToContents);

    Ok1 = new QPushButton(QStringLiteral("OK"), this);
    Ok1->setObjectName(QStringLiteral("Ok1"));
    Ok1->setDefault(true);
    Cancel1 = new QPushButton(QStringLiteral("Cancel"), this);
    Cancel1->setObjectName(QStringLiteral("Cancel1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Ok1);
    buttons->addWidget(Cancel1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Message1);
    layout->addWidget(RecoverList1);
    layout->addLayout(buttons);

    connect(Ok1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Cancel1, &QPushButton::clicked, this, &QDialog::reject);
}

std::vector<std::size_t> RecoverSharesForm1::checkedOffers() const {
    std::vector<std::size_t> out;
    for (int i = 0; i < RecoverList1->topLevelItemCount(); ++i)
        if (RecoverList1->topLevelItem(i)->checkState(0) == Qt::Checked)
            out.push_back(static_cast<std::size_t>(i));
    return out;
}

} // namespace corvane
