#include "InventoryForm1.h"

#include "InventoryModel.h"
#include "InventorySummary.h"
#include "Messages.h"
#include "backup/ShareExport.h"
#include "ui/Named.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <condition_variable>
#include <mutex>

namespace corvane {

namespace text = inventory_text;

namespace {

// A file of server names is read whole; a longer one is no list of servers.
constexpr qint64 MaxServersFileSize = 16 * 1024 * 1024;
constexpr int DefaultJobs = 8;

} // namespace

InventoryForm1::InventoryForm1(CredentialProvider& askUser, const smb::SmbOptions& options,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), m_askUser(askUser), m_options(scanOptions(options)),
      m_nextOptions(m_options) {
    setObjectName(QStringLiteral("InventoryForm1"));
    setWindowTitle(QStringLiteral("Inventory of servers"));
    resize(1000, 700);

    InventoryServers1 = named(new QPlainTextEdit(this), "InventoryServers1");
    InventoryServers1->setPlaceholderText(
        QStringLiteral("Server names or addresses, one per line or separated by spaces or commas"));
    LoadServers1 = named(new QPushButton(QStringLiteral("&Load..."), this), "LoadServers1");
    InventoryJobs1 = named(new QSpinBox(this), "InventoryJobs1");
    InventoryJobs1->setRange(ScanEngine::MinJobs, ScanEngine::MaxJobs);
    InventoryJobs1->setValue(DefaultJobs);
    ScanServers1 = named(new QPushButton(QStringLiteral("&Scan"), this), "ScanServers1");
    CancelScan1 = named(new QPushButton(QStringLiteral("&Cancel"), this), "CancelScan1");
    CancelScan1->setEnabled(false);
    InventoryProgress1 = named(new QProgressBar(this), "InventoryProgress1");
    InventoryProgress1->setRange(0, 1);
    InventoryProgress1->setValue(0);
    InventoryProgress1->setFormat(QStringLiteral("%v of %m servers"));
    InventoryServersList1 = named(new QListWidget(this), "InventoryServersList1");
    InventoryFilter1 = named(new QLineEdit(this), "InventoryFilter1");
    InventoryFilter1->setPlaceholderText(QStringLiteral("Filter"));
    InventoryAccount1 = named(new QLineEdit(this), "InventoryAccount1");
    InventoryAccount1->setPlaceholderText(
        QStringLiteral("Account: DOMAIN\\user, user@realm or SID"));
    BroadAccessOnly1 =
        named(new QCheckBox(QStringLiteral("&Broad write access only"), this), "BroadAccessOnly1");
    InventoryNote1 = named(new QLabel(this), "InventoryNote1");
    InventoryNote1->setWordWrap(true);
    InventorySummary1 = named(new InventorySummary(this), "InventorySummary1");
    ExportInventory1 =
        named(new QPushButton(QStringLiteral("&Export..."), this), "ExportInventory1");
    CompareBaseline1 = named(new QPushButton(QStringLiteral("Compare with &baseline..."), this),
                             "CompareBaseline1");

    m_model = new InventoryModel(this);
    m_model->setWarningIcon(style()->standardIcon(QStyle::SP_MessageBoxWarning));
    m_filter = new InventoryFilter(*m_model, this);
    InventoryResults1 = named(new QTableView(this), "InventoryResults1");
    InventoryResults1->setModel(m_filter);
    InventoryResults1->setSortingEnabled(true);
    InventoryResults1->sortByColumn(-1, Qt::AscendingOrder);
    InventoryResults1->setSelectionBehavior(QAbstractItemView::SelectRows);
    InventoryResults1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    InventoryResults1->verticalHeader()->hide();
    InventoryResults1->horizontalHeader()->setStretchLastSection(true);

    auto* top = new QHBoxLayout;
    auto* serversColumn = new QVBoxLayout;
    serversColumn->addWidget(InventoryServers1);
    auto* controls = new QHBoxLayout;
    controls->addWidget(LoadServers1);
    controls->addWidget(new QLabel(QStringLiteral("Jobs:"), this));
    controls->addWidget(InventoryJobs1);
    controls->addStretch();
    controls->addWidget(ScanServers1);
    controls->addWidget(CancelScan1);
    serversColumn->addLayout(controls);
    serversColumn->addWidget(InventoryProgress1);
    top->addLayout(serversColumn, 1);
    top->addWidget(InventoryServersList1, 1);

    auto* filters = new QHBoxLayout;
    filters->addWidget(InventoryFilter1, 1);
    filters->addWidget(InventoryAccount1, 1);
    filters->addWidget(BroadAccessOnly1);
    auto* fileButtons = new QHBoxLayout;
    fileButtons->addStretch();
    fileButtons->addWidget(CompareBaseline1);
    fileButtons->addWidget(ExportInventory1);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(filters);
    outer->addWidget(InventoryNote1);
    outer->addWidget(InventorySummary1);
    outer->addWidget(InventoryResults1, 3);
    outer->addLayout(fileButtons);

    m_makeJob = [this](ServerScan& out) -> std::unique_ptr<ScanJob> {
        return makeScanJob(*m_logon, m_options, out);
    };
    saveFileName = [this] {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export inventory"), QString(),
                                            QStringLiteral("CSV (*.csv);;JSON (*.json)"));
    };
    baselineFileNames = [this] {
        return QFileDialog::getOpenFileNames(this, QStringLiteral("Baseline share files"),
                                             QString(), QStringLiteral("Share files (*.json)"));
    };
    serversFileName = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Servers"));
    };

    connect(LoadServers1, &QPushButton::clicked, this, &InventoryForm1::LoadServers1Click);
    connect(ScanServers1, &QPushButton::clicked, this, &InventoryForm1::ScanServers1Click);
    connect(CancelScan1, &QPushButton::clicked, this, &InventoryForm1::CancelScan1Click);
    connect(ExportInventory1, &QPushButton::clicked, this, &InventoryForm1::ExportInventory1Click);
    connect(CompareBaseline1, &QPushButton::clicked, this, &InventoryForm1::CompareBaseline1Click);
    connect(InventoryFilter1, &QLineEdit::textChanged, m_filter, &InventoryFilter::setText);
    connect(BroadAccessOnly1, &QCheckBox::toggled, m_filter, &InventoryFilter::setBroadOnly);
    connect(InventoryAccount1, &QLineEdit::textChanged, this, &InventoryForm1::accountChanged);
    connect(InventoryAccount1, &QLineEdit::returnPressed, this, &InventoryForm1::readMemberships);
    connect(InventoryResults1, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        const QModelIndex source = m_filter->mapToSource(index);
        if (!source.isValid())
            return;
        const InventoryRow& row = m_model->row(source.row());
        emit openShare(row.cell(Column::Server), row.share);
    });
}

InventoryForm1::~InventoryForm1() {
    *m_closing = true;
    // Cancel and wait for the threads.
    m_membershipEngine.reset();
    m_engine.reset();
}

void InventoryForm1::LoadServers1Click() {
    const QString fileName = serversFileName();
    if (fileName.isEmpty())
        return;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxServersFileSize) {
        InventoryNote1->setText(text::serversFileUnreadable(
            fileName, file.isOpen() ? text::serversFileTooLarge() : file.errorString()));
        return;
    }
    InventoryServers1->setPlainText(QString::fromUtf8(file.read(MaxServersFileSize)));
}

void InventoryForm1::ScanServers1Click() {
    if (m_engine || m_membershipEngine)
        return;
    const QStringList servers = parseServerList(InventoryServers1->toPlainText());
    if (servers.isEmpty())
        return;
    m_scans.assign(static_cast<std::size_t>(servers.size()), ServerScan{});
    InventoryServersList1->clear();
    for (qsizetype i = 0; i < servers.size(); ++i) {
        m_scans[static_cast<std::size_t>(i)].server = servers[i];
        InventoryServersList1->addItem(text::serverWaiting(servers[i]));
    }
    m_ended = 0;
    m_options = m_nextOptions; // the threads read them from now until the scan ends
    InventoryProgress1->setRange(0, static_cast<int>(servers.size()));
    InventoryProgress1->setValue(0);
    m_model->setRows({});
    ScanServers1->setEnabled(false);
    CancelScan1->setEnabled(true);
    m_logon = std::make_unique<SharedLogon>(
        [this](const std::u16string& server) { return askOnWindowThread(server); });
    // The threads report through the event queue; only this thread touches the widgets.
    m_engine = std::make_unique<ScanEngine>(
        m_scans.size(), InventoryJobs1->value(),
        [this](std::size_t i) { return m_makeJob(m_scans[i]); },
        [this](std::size_t i, ScanEngine::State state, Status result) {
            QMetaObject::invokeMethod(
                this, [this, i, state, result] { serverChanged(i, state, result); },
                Qt::QueuedConnection);
        },
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { allEnded(); }, Qt::QueuedConnection);
        });
}

void InventoryForm1::CancelScan1Click() {
    if (m_engine)
        m_engine->cancel();
}

void InventoryForm1::serverChanged(std::size_t index, ScanEngine::State state, Status result) {
    if (index >= m_scans.size())
        return;
    const QString& server = m_scans[index].server;
    QString line;
    switch (state) {
    case ScanEngine::State::Waiting:
        line = text::serverWaiting(server);
        break;
    case ScanEngine::State::Scanning:
        line = text::serverScanning(server);
        break;
    case ScanEngine::State::Done:
        line = text::serverDone(server, static_cast<qsizetype>(m_scans[index].shares.size()));
        break;
    case ScanEngine::State::Failed:
        line = text::serverFailed(server, result, m_options.timeout);
        break;
    case ScanEngine::State::Cancelled:
        line = text::serverCancelled(server);
        break;
    }
    if (QListWidgetItem* item = InventoryServersList1->item(static_cast<int>(index)))
        item->setText(line);
    if (state != ScanEngine::State::Waiting && state != ScanEngine::State::Scanning)
        InventoryProgress1->setValue(static_cast<int>(++m_ended));
}

void InventoryForm1::allEnded() {
    m_engine.reset();
    ScanServers1->setEnabled(true);
    CancelScan1->setEnabled(false);
    showResults();
    emit scanFinished();
}

void InventoryForm1::showResults() {
    const std::vector<ServerScan> marked = withDrift(m_scans, m_baselines);
    InventorySummary1->setSummary(summaryOf(marked));
    m_model->setRows(inventoryRows(marked));
    accountChanged();
}

void InventoryForm1::accountChanged() {
    const QString typed = InventoryAccount1->text().trimmed();
    m_filter->setAccountSids(accountFilter(typed, m_model->rows()));
    if (typed.isEmpty()) {
        InventoryNote1->clear();
        return;
    }
    // Groups read for another account say nothing of this one.
    if (typed != m_membershipsOf) {
        m_filter->setMemberships({});
        InventoryNote1->setText(text::membershipsNotRead(typed));
    }
}

void InventoryForm1::readMemberships() {
    const QString typed = InventoryAccount1->text().trimmed();
    if (typed.isEmpty() || m_engine || m_membershipEngine || !m_logon)
        return;
    m_memberships.clear();
    for (const ServerScan& scan : m_scans)
        if (scan.status == status::Success)
            m_memberships.push_back({scan.server, status::Success, {}, {}});
    if (m_memberships.empty())
        return;
    m_membershipsOf = typed;
    InventoryNote1->setText(text::readingMemberships(typed));
    m_membershipEngine = std::make_unique<ScanEngine>(
        m_memberships.size(), InventoryJobs1->value(),
        [this, typed](std::size_t i) {
            return makeMembershipJob(*m_logon, m_options, typed, m_memberships[i]);
        },
        [](std::size_t, ScanEngine::State, Status) {},
        [this] {
            QMetaObject::invokeMethod(
                this, [this] { membershipsEnded(); }, Qt::QueuedConnection);
        });
}

void InventoryForm1::membershipsEnded() {
    m_membershipEngine.reset();
    std::map<QString, std::set<std::string>> byServer;
    QStringList unread;
    for (const Membership& m : m_memberships) {
        if (m.status != status::Success) {
            unread << text::membershipUnread(m.server, m.status, m_options.timeout);
            continue;
        }
        auto& sids = byServer[m.server.toLower()];
        sids.insert(m.account);
        sids.insert(m.groups.begin(), m.groups.end());
    }
    if (InventoryAccount1->text().trimmed() != m_membershipsOf)
        return; // the box says another account by now
    m_filter->setMemberships(std::move(byServer));
    InventoryNote1->setText(unread.isEmpty()
                                ? text::membershipsRead(m_membershipsOf)
                                : text::membershipsPartlyRead(m_membershipsOf, unread));
    emit membershipsRead();
}

void InventoryForm1::ExportInventory1Click() {
    const QString fileName = saveFileName();
    if (fileName.isEmpty())
        return;
    std::vector<InventoryRow> shown;
    for (int r = 0; r < m_filter->rowCount(); ++r)
        shown.push_back(m_model->row(m_filter->mapToSource(m_filter->index(r, 0)).row()));
    const QString failure =
        writeFileAtomically(fileName, wantsJson(fileName) ? toJson(shown) : toCsv(shown));
    if (!failure.isEmpty())
        QMessageBox::critical(this, QStringLiteral("ERROR"), text::exportFailed(fileName, failure));
}

void InventoryForm1::CompareBaseline1Click() {
    const QStringList files = baselineFileNames();
    if (files.isEmpty())
        return;
    m_baselines = readBaselines(files);
    showResults();
    if (!m_baselines.problems.isEmpty())
        InventoryNote1->setText(m_baselines.problems.join(QLatin1Char('\n')));
}

std::optional<Credentials> InventoryForm1::askOnWindowThread(const std::u16string& server) {
    struct Answer {
        std::mutex mutex;
        std::condition_variable ready;
        bool done = false;
        std::optional<Credentials> logon;
    };
    auto answer = std::make_shared<Answer>();
    QMetaObject::invokeMethod(
        this,
        [this, answer, server] {
            auto logon = m_askUser.credentialsFor(server, {});
            std::lock_guard lock(answer->mutex);
            answer->logon = std::move(logon);
            answer->done = true;
            answer->ready.notify_all();
        },
        Qt::QueuedConnection);
    // A window that closes meanwhile answers nothing; its scan is being cancelled.
    const auto closing = m_closing;
    std::unique_lock lock(answer->mutex);
    while (!answer->done && !*closing)
        answer->ready.wait_for(lock, std::chrono::milliseconds(100));
    if (!answer->done)
        return std::nullopt;
    return std::move(answer->logon);
}

} // namespace corvane
