#include "TFindReplaceTextForm1.h"

#include "FindReplace.h"
#include "Messages.h"
#include "shares/Messages.h"
#include "ui/DesignedSize.h"
#include "ui/Named.h"
#include "ui/SelectionWalk.h"
#include "ui/Text.h"
#include "ui/WalkProgress.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

TFindReplaceTextForm1::TFindReplaceTextForm1(AppContext& ctx, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_ctx(ctx) {
    setObjectName(QStringLiteral("FindReplaceTextForm1"));
    setWindowTitle(QStringLiteral("Find & Replace Text..."));

    GroupBox1 = named(new QGroupBox(QStringLiteral("Search in..."), this), "GroupBox1");
    ShareName1 = named(new QRadioButton(QStringLiteral("Share Name"), GroupBox1), "ShareName1");
    LocalPath1 = named(new QRadioButton(QStringLiteral("Local Path"), GroupBox1), "LocalPath1");
    ShareName1->setChecked(true);
    auto* searchIn = new QHBoxLayout(GroupBox1);
    searchIn->setContentsMargins(6, 2, 6, 2);
    searchIn->addWidget(ShareName1);
    searchIn->addWidget(LocalPath1);

    Label1 = named(new QLabel(QStringLiteral("Find text:"), this), "Label1");
    FindText1 = named(new QLineEdit(this), "FindText1");
    Label1->setBuddy(FindText1);
    Label2 = named(new QLabel(QStringLiteral("Replace with:"), this), "Label2");
    ReplaceText1 = named(new QLineEdit(this), "ReplaceText1");
    Label2->setBuddy(ReplaceText1);

    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Ok1 = named(new QPushButton(QStringLiteral("&Ok"), this), "Ok1");
    Ok1->setDefault(true);
    Cancel1 = named(new QPushButton(QStringLiteral("C&ancel"), this), "Cancel1");
    Cancel1->setEnabled(false);
    Close1 = named(new QPushButton(QStringLiteral("&Close"), this), "Close1");

    StatusList1 = named(new QListWidget(this), "StatusList1");
    // Lines that do not fit flow into further columns, reached by scrolling sideways.
    StatusList1->setFlow(QListView::TopToBottom);
    StatusList1->setWrapping(true);
    StatusList1->setResizeMode(QListView::Adjust);

    auto* fields = new QVBoxLayout;
    fields->setSpacing(2);
    fields->addWidget(GroupBox1);
    fields->addWidget(Label1);
    fields->addWidget(FindText1);
    fields->addWidget(Label2);
    fields->addWidget(ReplaceText1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(Ok1);
    buttons->addWidget(Cancel1);
    buttons->addWidget(Close1);
    buttons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(fields, 1);
    top->addLayout(buttons);
    auto* form = new QVBoxLayout(this);
    form->setContentsMargins(8, 8, 8, 8);
    form->setSpacing(6);
    form->addLayout(top);
    form->addWidget(ProgressBar1);
    form->addWidget(StatusList1, 1);
    setDesignedSize(this, QSize(260, 275));

    connect(Ok1, &QPushButton::clicked, this, &TFindReplaceTextForm1::Ok1Click);
    connect(Cancel1, &QPushButton::clicked, this, &TFindReplaceTextForm1::Cancel1Click);
    connect(Close1, &QPushButton::clicked, this, &TFindReplaceTextForm1::Close1Click);
}

void TFindReplaceTextForm1::FormShow() {
    ShareName1->setChecked(true);
    FindText1->clear();
    ReplaceText1->clear();
    Ok1->setEnabled(true);
    Cancel1->setEnabled(false);
    Close1->setEnabled(true);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    StatusList1->clear();
}

void TFindReplaceTextForm1::Ok1Click() {
    runOn(selectedShareNames(m_ctx.sharesList));
}

void TFindReplaceTextForm1::runOn(const QStringList& shareNames) {
    if (Running)
        return;
    if (FindText1->text().isEmpty()) {
        m_ctx.messages.error(this, maintenance_text::noFindText());
        return;
    }
    if (ReplaceText1->text().isEmpty()) {
        m_ctx.messages.error(this, maintenance_text::noReplacementText());
        return;
    }
    Running = true;
    CancelRequested = false;
    Close1->setEnabled(false);
    Cancel1->setEnabled(true);
    Ok1->setEnabled(false);

    // One step per share, so the bar ends full for any number of shares.
    ProgressBar1->setRange(0, std::max<int>(1, static_cast<int>(shareNames.size())));
    ProgressBar1->setValue(0);

    const SearchField field = ShareName1->isChecked() ? SearchField::Name : SearchField::Path;
    const QString find = FindText1->text();
    const QString replacement = ReplaceText1->text();
    const std::u16string computer = toU16(m_ctx.state.computerName);

    Walk walk(m_ctx.walks, shares_text::replacingText(m_ctx.state.computerName),
              static_cast<int>(shareNames.size()));
    for (const QString& shareName : shareNames) {
        if (CancelRequested || walk.stopRequested())
            break;
        const bool goOn = replaceOne(computer, shareName, field, find, replacement);
        walk.advance();
        if (!goOn)
            return;
        ProgressBar1->setValue(ProgressBar1->value() + 1);
        // The only point where Cancel, Esc or the close box can act during a run.
        QCoreApplication::processEvents();
    }

    Running = false;
    Close1->setEnabled(true);
    Cancel1->setEnabled(false);
}

bool TFindReplaceTextForm1::replaceOne(const std::u16string& computer, const QString& shareName,
                                       SearchField field, const QString& find,
                                       const QString& replacement) {
    const ShareReplacement r =
        replaceInShare(m_ctx.shares, computer, shareName, field, find, replacement, m_ctx.journal);
    if (!r.statusLine.isEmpty())
        StatusList1->addItem(r.statusLine);
    if (r.errorText.isEmpty())
        return true;
    return m_ctx.messages.errorGoOn(this, r.errorText) || stopRun();
}

bool TFindReplaceTextForm1::stopRun() {
    Running = false;
    close();
    return false;
}

void TFindReplaceTextForm1::Cancel1Click() {
    CancelRequested = true;
}

void TFindReplaceTextForm1::Close1Click() {
    close();
}

void TFindReplaceTextForm1::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        // Placed at the centre of the desktop, not over the main window.
        if (const QScreen* desktop = screen())
            move(desktop->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
}

void TFindReplaceTextForm1::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFindReplaceTextForm1::keyPressEvent(QKeyEvent* event) {
    // Esc is the Cancel button's key: it requests a stop during a run and does nothing else.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Cancel1->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFindReplaceTextForm1::reject() {
    if (!FormCloseQuery())
        return;
    QDialog::reject();
}

} // namespace corvane
