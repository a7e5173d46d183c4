#include "TForm1.h"

#include "Pictures.h"
#include "PreferencesForm1.h"
#include "TAboutForm1.h"
#include "app/Version.h"
#include "backup/ShareBackup.h"
#include "bulk/CopyFromPage.h"
#include "bulk/CreateFromDirectoryPage.h"
#include "journal/Recovery.h"
#include "maintenance/ShareMenuHandlers.h"
#include "maintenance/SharePropertiesPage.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "security/AclBuilding.h"
#include "security/TSecurityForm1.h"
#include "sessions/TSessionsForm1.h"
#include "shares/FillSharesList.h"
#include "shares/Messages.h"
#include "ui/BusyCursor.h"
#include "ui/ListSorting.h"
#include "ui/Text.h"

#include <QAction>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace corvane {

TForm1::TForm1(ShareService& shares, AccountService& accounts, DirectoryService& directories,
               MessageBoxes& messages, QWidget* parent)
    : QMainWindow(parent),
      m_images(makeImageList()), m_context{shares,   accounts, directories, messages,
                                           m_images, m_state,  nullptr} {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(version::windowTitle));
    openUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

    buildLayout();
    buildMenus();
    m_context.sharesList = SharesList1;

    std::optional<DefaultAcls> defaults;
    if (const Status built = buildDefaultAcls(accounts, defaults); built == status::Success) {
        m_state.currentAcl = defaults->currentAcl;
        m_state.newShareAcl = defaults->newShareAcl;
    } else {
        m_constructedOk = false;
        messages.error(this, QString::fromStdString(defaultAclsFailure(built)));
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }

    m_context.endedEarly = [this](const QString& work, Status failure) {
        showStatus(shares_text::endedEarly(work, failure, m_callBound));
    };
    m_findReplace = new TFindReplaceTextForm1(m_context, this);
    m_about = new TAboutForm1(this);
    m_security = new TSecurityForm1(accounts, messages, m_images, this);
    buildPages();
}

TForm1::~TForm1() = default;

namespace {
constexpr int DesignedPagesWidth = 289;
} // namespace

void TForm1::buildLayout() {
    resize(851, 452);
    setMinimumSize(400, 452);

    auto* controlBar = new QWidget(this);
    controlBar->setObjectName(QStringLiteral("ControlBar1"));
    auto* barLayout = new QHBoxLayout(controlBar);
    barLayout->setContentsMargins(2, 1, 2, 1);
    barLayout->setSpacing(4);

    auto* toolBar3 = new QToolBar(controlBar);
    toolBar3->setObjectName(QStringLiteral("ToolBar3"));
    toolBar3->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar3->setMovable(false);
    ToolButton3 = new QToolButton(toolBar3);
    ToolButton3->setObjectName(QStringLiteral("ToolButton3"));
    ToolButton3->setText(QStringLiteral("Ac&tions"));
    ToolButton3->setPopupMode(QToolButton::InstantPopup);
    ToolButton3->setAutoRaise(true);
    toolBar3->addWidget(ToolButton3);
    toolBar3->addSeparator()->setObjectName(QStringLiteral("ToolButton4"));
    Close1 = new QToolButton(toolBar3);
    Close1->setObjectName(QStringLiteral("Close1"));
    Close1->setText(QStringLiteral("&Close"));
    Close1->setAutoRaise(true);
    toolBar3->addWidget(Close1);
    toolBar3->addSeparator()->setObjectName(QStringLiteral("ToolButton5"));
    HelpButton1 = new QToolButton(toolBar3);
    HelpButton1->setObjectName(QStringLiteral("HelpButton1"));
    HelpButton1->setText(QStringLiteral("&Help"));
    // The Help button only drops down its menu; it never applies share edits.
    HelpButton1->setPopupMode(QToolButton::InstantPopup);
    HelpButton1->setAutoRaise(true);
    toolBar3->addWidget(HelpButton1);
    barLayout->addWidget(toolBar3);

    auto* toolBar1 = new QToolBar(controlBar);
    toolBar1->setObjectName(QStringLiteral("ToolBar1"));
    toolBar1->setMovable(false);
    auto* panel1 = new QLabel(QStringLiteral("Computer:"), toolBar1);
    panel1->setObjectName(QStringLiteral("Panel1"));
    panel1->setContentsMargins(4, 0, 4, 0);
    toolBar1->addWidget(panel1);
    Computer1 = new QLineEdit(toolBar1);
    Computer1->setObjectName(QStringLiteral("Computer1"));
    Computer1->setMinimumWidth(180);
    toolBar1->addWidget(Computer1);
    OpenComputer1 = new QPushButton(QStringLiteral("&Open"), toolBar1);
    OpenComputer1->setObjectName(QStringLiteral("OpenComputer1"));
    toolBar1->addWidget(OpenComputer1);
    barLayout->addWidget(toolBar1);
    barLayout->addStretch(1);
    controlBar->setFixedHeight(std::max(30, controlBar->sizeHint().height()));

    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(controlBar);
    // The tab pages start at their designed 289 pixels; the splitter lets the user widen them
    // until every caption shows whole. Tab titles that do not fit are elided, not scrolled.
    auto* body = new QSplitter(Qt::Horizontal, central);
    body->setObjectName(QStringLiteral("Splitter1"));
    body->setChildrenCollapsible(false);
    PageControl1 = new QTabWidget(body);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setMinimumWidth(289);
    PageControl1->setElideMode(Qt::ElideRight);
    PageControl1->setUsesScrollButtons(false);
    PageControl1->setEnabled(false);
    body->addWidget(PageControl1);
    SharesList1 = new QTreeWidget(body);
    SharesList1->setObjectName(QStringLiteral("SharesList1"));
    SharesList1->setColumnCount(3);
    SharesList1->setHeaderLabels(
        {QStringLiteral("Shares"), QStringLiteral("Path"), QStringLiteral("Comment")});
    for (int c = 0; c < 3; ++c)
        SharesList1->setColumnWidth(c, 200);
    SharesList1->setRootIsDecorated(false);
    SharesList1->setUniformRowHeights(true);
    SharesList1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    SharesList1->setSelectionBehavior(QAbstractItemView::SelectRows);
    SharesList1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SharesList1->setSortingEnabled(false);
    SharesList1->header()->setSectionsClickable(true);
    SharesList1->header()->setSortIndicatorShown(false);
    SharesList1->setIconSize(QSize(16, 16));
    SharesList1->setContextMenuPolicy(Qt::CustomContextMenu);
    body->addWidget(SharesList1);
    body->setStretchFactor(1, 1);
    body->setSizes({DesignedPagesWidth, width() - DesignedPagesWidth});
    outer->addWidget(body, 1);
    setCentralWidget(central);

    OpenStatus1 = new QLabel(this);
    OpenStatus1->setObjectName(QStringLiteral("OpenStatus1"));
    OpenStatus1->setTextInteractionFlags(Qt::TextSelectableByMouse);
    statusBar()->addWidget(OpenStatus1, 1);

    connect(OpenComputer1, &QPushButton::clicked, this, &TForm1::OpenComputer1Click);
    // Enter in the computer box opens, as the Open button does.
    connect(Computer1, &QLineEdit::returnPressed, this, &TForm1::OpenComputer1Click);
    connect(Close1, &QToolButton::clicked, this, &TForm1::Close1Click);
    connect(SharesList1->header(), &QHeaderView::sectionClicked, this,
            &TForm1::SharesList1ColumnClick);
    connect(SharesList1, &QWidget::customContextMenuRequested, this, &TForm1::showSharesMenu);
}

void TForm1::buildMenus() {
    SharesMenu1 = new QMenu(this);
    SharesMenu1->setObjectName(QStringLiteral("SharesMenu1"));
    DeleteSelected1 = SharesMenu1->addAction(QStringLiteral("&Delete Selected"));
    DeleteSelected1->setObjectName(QStringLiteral("DeleteSelected1"));
    HideSelected1 = SharesMenu1->addAction(QStringLiteral("&Hide Selected"));
    HideSelected1->setObjectName(QStringLiteral("HideSelected1"));
    SharesMenu1->addSeparator()->setObjectName(QStringLiteral("N1"));
    FindReplaceText1 = SharesMenu1->addAction(QStringLiteral("&Find && Replace Text"));
    FindReplaceText1->setObjectName(QStringLiteral("FindReplaceText1"));
    ShowOpenFiles1 = SharesMenu1->addAction(QStringLiteral("Show open files"));
    ShowOpenFiles1->setObjectName(QStringLiteral("ShowOpenFiles1"));
    SharesMenu1->addSeparator()->setObjectName(QStringLiteral("N3"));
    ExportShares1 = SharesMenu1->addAction(QStringLiteral("E&xport shares..."));
    ExportShares1->setObjectName(QStringLiteral("ExportShares1"));
    ImportShares1 = SharesMenu1->addAction(QStringLiteral("&Import shares..."));
    ImportShares1->setObjectName(QStringLiteral("ImportShares1"));
    SharesMenu1->addSeparator()->setObjectName(QStringLiteral("N4"));
    Sessions1 = SharesMenu1->addAction(QStringLiteral("&Sessions and open files..."));
    Sessions1->setObjectName(QStringLiteral("Sessions1"));
    Inventory1 = SharesMenu1->addAction(QStringLiteral("&Inventory of servers..."));
    Inventory1->setObjectName(QStringLiteral("Inventory1"));
    Preferences1 = SharesMenu1->addAction(QStringLiteral("&Preferences..."));
    Preferences1->setObjectName(QStringLiteral("Preferences1"));
    ToolButton3->setMenu(SharesMenu1);

    HelpMenu1 = new QMenu(this);
    HelpMenu1->setObjectName(QStringLiteral("HelpMenu1"));
    QAction* contents = HelpMenu1->addAction(QStringLiteral("&Contents"));
    contents->setObjectName(QStringLiteral("Contents1"));
    HelpMenu1->addSeparator()->setObjectName(QStringLiteral("N2"));
    QAction* maker = HelpMenu1->addAction(QStringLiteral("Qentis &Software"));
    maker->setObjectName(QStringLiteral("QentisSoftware1"));
    QAction* about = HelpMenu1->addAction(QStringLiteral("&About..."));
    about->setObjectName(QStringLiteral("About1"));
    HelpButton1->setMenu(HelpMenu1);

    connect(contents, &QAction::triggered, this, &TForm1::Contents1Click);
    connect(maker, &QAction::triggered, this, &TForm1::QentisSoftware1Click);
    connect(about, &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::buildPages() {
    m_propertiesPage = new SharePropertiesPage(m_context, PageControl1);
    PageControl1->addTab(m_propertiesPage, QStringLiteral("Share Properties"));
    m_copyPage = new CopyFromPage(m_context, PageControl1);
    PageControl1->addTab(m_copyPage, QStringLiteral("Copy From"));
    m_createPage = new CreateFromDirectoryPage(m_context, m_security, PageControl1);
    PageControl1->addTab(m_createPage, QStringLiteral("Create from directory"));
    PageControl1->setCurrentIndex(0);
    // The pages start as wide as designed, or as wide as their titles and texts need under the
    // desktop's font when that is more.
    if (auto* body = findChild<QSplitter*>(QStringLiteral("Splitter1"))) {
        int pages = std::max(DesignedPagesWidth, PageControl1->tabBar()->sizeHint().width() + 4);
        for (int i = 0; i < PageControl1->count(); ++i)
            pages = std::max(pages, PageControl1->widget(i)->minimumSizeHint().width());
        body->setSizes({pages, width() - pages});
    }

    m_security->setLastUserRemovable(
        [page = m_createPage] { return page->addDirectoryNameAsUserName(); });

    m_menuHandlers = new ShareMenuHandlers(m_context, this, m_findReplace);
    m_backup = new ShareBackup(m_context, this);
    connect(SharesMenu1, &QMenu::aboutToShow, this, [this] {
        m_menuHandlers->SharesMenu1Popup(DeleteSelected1, HideSelected1, FindReplaceText1);
        m_backup->SharesMenu1Popup(ExportShares1, ImportShares1);
        const bool opened = m_sessions && !m_state.computerName.isEmpty();
        Sessions1->setEnabled(opened);
        ShowOpenFiles1->setEnabled(opened && SharesList1->selectedItems().size() == 1);
    });
    connect(DeleteSelected1, &QAction::triggered, m_menuHandlers,
            &ShareMenuHandlers::DeleteSelected1Click);
    connect(HideSelected1, &QAction::triggered, m_menuHandlers,
            &ShareMenuHandlers::HideSelected1Click);
    connect(FindReplaceText1, &QAction::triggered, m_menuHandlers,
            &ShareMenuHandlers::FindReplaceText1Click);
    connect(ExportShares1, &QAction::triggered, m_backup, &ShareBackup::ExportShares1Click);
    connect(ImportShares1, &QAction::triggered, m_backup, &ShareBackup::ImportShares1Click);
    connect(Sessions1, &QAction::triggered, this, &TForm1::Sessions1Click);
    connect(Preferences1, &QAction::triggered, this, &TForm1::Preferences1Click);
    connect(Inventory1, &QAction::triggered, this, [this] {
        if (m_inventory)
            m_inventory();
    });
    connect(ShowOpenFiles1, &QAction::triggered, this, &TForm1::ShowOpenFiles1Click);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    Computer1->setFocus();
}

void TForm1::OpenComputer1Click() {
    QString name = Computer1->text();
    if (name.isEmpty())
        return;
    if (name.startsWith(QLatin1String("\\\\"))) {
        name = name.mid(2);
        Computer1->setText(name);
    }
    BusyCursor busy;
    // A computer that cannot be listed leaves everything else as it was; the status line says
    // why. Rows read before the failure are dropped: they belong to the computer that failed,
    // not to ComputerName, and a delete or hide on them would reach the wrong computer.
    const int cancelsBefore = m_logonCancels ? m_logonCancels() : 0;
    if (const Status failure = FillSharesList(m_context.shares, name, SharesList1, m_images);
        failure != status::Success) {
        SharesList1->clear();
        const bool logonCancelled =
            failure == status::LogonFailure && m_logonCancels && m_logonCancels() > cancelsBefore;
        showStatus(logonCancelled ? shares_text::logonCancelled(name)
                                  : shares_text::openFailed(name, failure, m_callBound));
        return;
    }
    showStatus(shares_text::sharesListed(name, SharesList1->topLevelItemCount()));
    m_state.computerName = name;
    m_security->setComputerName(name);
    PageControl1->setEnabled(true);
    m_propertiesPage->computerOpened();
    m_createPage->computerOpened();
    if (m_sessionsForm)
        m_sessionsForm->setComputer(name);
    recoverFromJournal(name);
}

void TForm1::openShare(const QString& computer, const QString& share) {
    Computer1->setText(computer);
    OpenComputer1Click();
    if (m_state.computerName != computer)
        return;
    const auto rows = SharesList1->findItems(share, Qt::MatchFixedString, 0);
    if (rows.isEmpty())
        return;
    SharesList1->setCurrentItem(rows.front());
    SharesList1->scrollToItem(rows.front());
    raise();
    activateWindow();
}

void TForm1::recoverFromJournal(const QString& computer) {
    if (!m_context.journal)
        return;
    std::vector<std::u16string> listed;
    for (int i = 0; i < SharesList1->topLevelItemCount(); ++i)
        listed.push_back(toU16(SharesList1->topLevelItem(i)->text(0)));
    const RecoveryResult result = recoverAtOpen(*m_context.journal, m_context.shares,
                                                m_context.messages, this, computer, listed);
    if (result.restored > 0)
        m_context.reloadSharesList();
    if (!result.notes.isEmpty())
        showStatus(statusText() + QStringLiteral(". ") + result.notes.join(QLatin1Char(' ')));
}

void TForm1::showStatus(const QString& text) {
    OpenStatus1->setText(text);
}

QString TForm1::statusText() const {
    return OpenStatus1->text();
}

void TForm1::Close1Click() {
    close();
}

void TForm1::SharesList1ColumnClick(int column) {
    sortByColumn(SharesList1, column);
}

// The help pages sit in share/corvane/help beside the program's bin folder, both installed
// and in the build tree (app/corvane there, share/ at the tree's top).
QUrl TForm1::helpUrl() {
    return QUrl::fromLocalFile(
        QDir::cleanPath(QCoreApplication::applicationDirPath() +
                        QStringLiteral("/../share/corvane/help/Corvane.html")));
}

QUrl TForm1::makerUrl() {
    return QUrl(QString::fromUtf8(version::homepage));
}

// Failures to open help or the maker's page show nothing.
void TForm1::Contents1Click() {
    openUrl(helpUrl());
}

void TForm1::QentisSoftware1Click() {
    openUrl(makerUrl());
}

void TForm1::About1Click() {
    m_about->exec();
}

TSessionsForm1* TForm1::sessionsWindow() {
    if (!m_sessions || m_state.computerName.isEmpty())
        return nullptr;
    if (!m_sessionsForm) {
        m_sessionsForm = new TSessionsForm1(*m_sessions, m_context.messages, this);
        m_sessionsForm->setComputer(m_state.computerName);
    }
    return m_sessionsForm;
}

void TForm1::Sessions1Click() {
    if (TSessionsForm1* form = sessionsWindow())
        form->showSessions();
}

// Kept per user; the network takes the new settings for the connections it makes from now on.
void TForm1::Preferences1Click() {
    QSettings settings;
    PreferencesForm1 dialog(this);
    dialog.setPreferences(loadPreferences(settings));
    if (dialog.exec() != QDialog::Accepted)
        return;
    const Preferences chosen = dialog.preferences();
    savePreferences(settings, chosen);
    if (m_preferencesChanged)
        m_preferencesChanged(chosen);
}

// The open files below the selected share's path.
void TForm1::ShowOpenFiles1Click() {
    const auto rows = SharesList1->selectedItems();
    TSessionsForm1* form = rows.size() == 1 ? sessionsWindow() : nullptr;
    if (form)
        form->showOpenFiles(rows.front()->text(1));
}

void TForm1::showSharesMenu(const QPoint& pos) {
    SharesMenu1->popup(SharesList1->viewport()->mapToGlobal(pos));
}

} // namespace corvane
