#include "TSessionsForm1.h"

#include "Messages.h"
#include "SessionsLogic.h"
#include "ui/BusyCursor.h"
#include "ui/MessageBoxes.h"
#include "ui/SelectionWalk.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace corvane {

namespace {

constexpr int SortKeyRole = Qt::UserRole;     // numbers sort by value, not by text
constexpr int TargetRole = Qt::UserRole + 1;  // session: client; file: id
constexpr int RefusalRole = Qt::UserRole + 2; // session: why it is not ended, if it is not

class Row : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;
    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QVariant a = data(column, SortKeyRole);
        const QVariant b = other.data(column, SortKeyRole);
        if (a.isValid() && b.isValid())
            return a.toULongLong() < b.toULongLong();
        return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
    }
};

QTreeWidget* makeList(const QString& name, const QStringList& headers, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(true);
    list->sortByColumn(0, Qt::AscendingOrder);
    return list;
}

void setNumber(QTreeWidgetItem* row, int column, QString text, std::uint32_t value) {
    row->setText(column, std::move(text));
    row->setData(column, SortKeyRole, QVariant::fromValue<qulonglong>(value));
}

QList<QTreeWidgetItem*> visibleSelection(const QTreeWidget* list) {
    QList<QTreeWidgetItem*> rows = selectedRows(list);
    rows.removeIf([](const QTreeWidgetItem* r) { return r->isHidden(); });
    return rows;
}

QString qs(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

// How the targets of a disconnect or close turned out once the lists were read again: how
// many had gone away by themselves, and the first real failure.
template <typename Target, typename IsListed>
std::pair<int, const Target*> tally(const std::vector<Target>& targets, bool listsRead,
                                    IsListed isListed) {
    int gone = 0;
    const Target* failed = nullptr;
    for (const Target& t : targets) {
        const std::optional<bool> listed =
            listsRead ? std::optional<bool>(isListed(t)) : std::nullopt;
        const auto outcome = sessions::outcomeOf(t.result, listed);
        if (outcome == sessions::Outcome::Gone)
            ++gone;
        else if (outcome == sessions::Outcome::Failed && !failed)
            failed = &t;
    }
    return {gone, failed};
}

} // namespace

TSessionsForm1::TSessionsForm1(SessionService& service, MessageBoxes& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), m_service(service), m_messages(messages) {
    setObjectName(QStringLiteral("SessionsForm1"));
    setWindowTitle(QStringLiteral("Sessions and open files"));
    resize(640, 400);

    auto* layout = new QVBoxLayout(this);
    m_computerLabel = new QLabel(this);
    m_computerLabel->setObjectName(QStringLiteral("SessionsComputer1"));
    layout->addWidget(m_computerLabel);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("SessionsPages1"));
    auto* sessionsPage = new QWidget(m_pages);
    sessionsPage->setObjectName(QStringLiteral("SessionsPage1"));
    auto* sessionsLayout = new QVBoxLayout(sessionsPage);
    SessionsList1 =
        makeList(QStringLiteral("SessionsList1"),
                 {QStringLiteral("Computer"), QStringLiteral("User"), QStringLiteral("Open files"),
                  QStringLiteral("Connected"), QStringLiteral("Idle"), QStringLiteral("Guest"),
                  QStringLiteral("Note")},
                 sessionsPage);
    sessionsLayout->addWidget(SessionsList1, 1);
    DisconnectSession1 = new QPushButton(QStringLiteral("&Disconnect"), sessionsPage);
    DisconnectSession1->setObjectName(QStringLiteral("DisconnectSession1"));
    auto* sessionsButtons = new QHBoxLayout;
    sessionsButtons->addStretch(1);
    sessionsButtons->addWidget(DisconnectSession1);
    sessionsLayout->addLayout(sessionsButtons);
    m_pages->addTab(sessionsPage, QStringLiteral("Sessions"));

    auto* filesPage = new QWidget(m_pages);
    filesPage->setObjectName(QStringLiteral("OpenFilesPage1"));
    auto* filesLayout = new QVBoxLayout(filesPage);
    auto* filterRow = new QHBoxLayout;
    auto* filterLabel = new QLabel(QStringLiteral("&Filter:"), filesPage);
    OpenFilesFilter1 = new QLineEdit(filesPage);
    OpenFilesFilter1->setObjectName(QStringLiteral("OpenFilesFilter1"));
    OpenFilesFilter1->setClearButtonEnabled(true);
    filterLabel->setBuddy(OpenFilesFilter1);
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(OpenFilesFilter1, 1);
    filesLayout->addLayout(filterRow);
    OpenFilesList1 = makeList(QStringLiteral("OpenFilesList1"),
                              {QStringLiteral("Path"), QStringLiteral("User"),
                               QStringLiteral("Locks"), QStringLiteral("Open mode")},
                              filesPage);
    OpenFilesList1->setColumnWidth(0, 320);
    filesLayout->addWidget(OpenFilesList1, 1);
    CloseFile1 = new QPushButton(QStringLiteral("&Close file"), filesPage);
    CloseFile1->setObjectName(QStringLiteral("CloseFile1"));
    auto* filesButtons = new QHBoxLayout;
    filesButtons->addStretch(1);
    filesButtons->addWidget(CloseFile1);
    filesLayout->addLayout(filesButtons);
    m_pages->addTab(filesPage, QStringLiteral("Open files"));
    layout->addWidget(m_pages, 1);

    auto* bottom = new QHBoxLayout;
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("SessionsNote1"));
    bottom->addWidget(m_note, 1);
    RefreshSessions1 = new QPushButton(QStringLiteral("&Refresh"), this);
    RefreshSessions1->setObjectName(QStringLiteral("RefreshSessions1"));
    bottom->addWidget(RefreshSessions1);
    layout->addLayout(bottom);

    connect(RefreshSessions1, &QPushButton::clicked, this, &TSessionsForm1::RefreshSessions1Click);
    connect(DisconnectSession1, &QPushButton::clicked, this,
            &TSessionsForm1::DisconnectSession1Click);
    connect(CloseFile1, &QPushButton::clicked, this, &TSessionsForm1::CloseFile1Click);
    connect(OpenFilesFilter1, &QLineEdit::textChanged, this, &TSessionsForm1::applyFilter);
    connect(SessionsList1, &QTreeWidget::itemSelectionChanged, this,
            &TSessionsForm1::updateButtons);
    connect(OpenFilesList1, &QTreeWidget::itemSelectionChanged, this,
            &TSessionsForm1::updateButtons);
    setComputer({});
}

void TSessionsForm1::setComputer(const QString& name) {
    m_computer = name;
    m_computerLabel->setText(QStringLiteral("Computer: %1").arg(name));
    SessionsList1->clear();
    OpenFilesList1->clear();
    showNote({});
    updateButtons();
}

void TSessionsForm1::showSessions() {
    m_pages->setCurrentIndex(0);
    show();
    raise();
    activateWindow();
    refresh();
}

void TSessionsForm1::showOpenFiles(const QString& filter) {
    m_pages->setCurrentIndex(1);
    OpenFilesFilter1->setText(filter);
    show();
    raise();
    activateWindow();
    refresh();
}

void TSessionsForm1::RefreshSessions1Click() {
    showNote({});
    refresh();
}

bool TSessionsForm1::refresh() {
    SessionsList1->clear();
    OpenFilesList1->clear();
    updateButtons();
    if (m_computer.isEmpty())
        return false;
    BusyCursor busy;
    const std::u16string server = m_computer.toStdU16String();
    std::vector<SessionInfo> sessionRecords;
    if (Status s = sessions::readAllSessions(m_service, server, sessionRecords);
        s != status::Success) {
        m_messages.error(
            this, sessions_text::failure(sessions_text::readSessionsFailed(), s, m_computer));
        return false;
    }
    std::vector<OpenFileInfo> fileRecords;
    const Status filesStatus = sessions::readAllFiles(m_service, server, fileRecords);

    SessionsList1->setSortingEnabled(false);
    for (const SessionInfo& s : sessionRecords) {
        auto* row = new Row(SessionsList1);
        row->setText(0, qs(s.client));
        row->setData(0, TargetRole, qs(s.client));
        row->setText(1, qs(s.user));
        setNumber(row, 2, QString::number(s.openFiles), s.openFiles);
        setNumber(row, 3, sessions::durationText(s.activeSeconds), s.activeSeconds);
        setNumber(row, 4, sessions::durationText(s.idleSeconds), s.idleSeconds);
        row->setText(5, s.guest ? QStringLiteral("Yes") : QStringLiteral("No"));
        if (s.thisProgram)
            row->setText(6, QStringLiteral("this program"));
        row->setData(0, RefusalRole, int(sessions::disconnectRefusal(s)));
    }
    SessionsList1->setSortingEnabled(true);

    OpenFilesList1->setSortingEnabled(false);
    for (const OpenFileInfo& f : fileRecords) {
        auto* row = new Row(OpenFilesList1);
        row->setText(0, qs(f.path));
        row->setData(0, TargetRole, QVariant::fromValue<uint>(f.id));
        row->setText(1, qs(f.user));
        setNumber(row, 2, QString::number(f.locks), f.locks);
        row->setText(3, sessions::openModeText(f.permissions));
    }
    OpenFilesList1->setSortingEnabled(true);
    applyFilter();
    updateButtons();

    if (filesStatus != status::Success) {
        m_messages.error(this, sessions_text::failure(sessions_text::readFilesFailed(), filesStatus,
                                                      m_computer));
        return false;
    }
    return true;
}

void TSessionsForm1::DisconnectSession1Click() {
    struct Target {
        QString client, user;
        Status result = status::Success;
    };
    std::vector<Target> targets;
    QStringList refusals;
    for (const QTreeWidgetItem* row : visibleSelection(SessionsList1)) {
        Target t{row->data(0, TargetRole).toString(), row->text(1)};
        switch (sessions::Refusal(row->data(0, RefusalRole).toInt())) {
        case sessions::Refusal::None:
            targets.push_back(std::move(t));
            break;
        case sessions::Refusal::ThisProgram:
            refusals << sessions_text::ownSession(t.user, t.client);
            break;
        case sessions::Refusal::NoUser:
            refusals << sessions_text::sessionWithoutUser(t.client);
            break;
        }
    }
    if (!refusals.isEmpty())
        m_messages.show(this, QString(),
                        sessions_text::notDisconnected(int(refusals.size()), refusals),
                        MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok);
    if (targets.empty())
        return;
    if (!m_messages.confirm(this, sessions_text::confirmDisconnect(int(targets.size()))))
        return;
    {
        BusyCursor busy;
        const std::u16string server = m_computer.toStdU16String();
        for (Target& t : targets)
            t.result =
                m_service.deleteSession(server, t.client.toStdU16String(), t.user.toStdU16String());
    }
    const bool listsRead = refresh();
    const auto [gone, failed] = tally(targets, listsRead, [&](const Target& t) {
        const auto rows = SessionsList1->findItems(t.client, Qt::MatchFixedString, 0);
        return std::any_of(rows.begin(), rows.end(), [&](const QTreeWidgetItem* r) {
            return r->text(1).compare(t.user, Qt::CaseInsensitive) == 0;
        });
    });
    showNote(sessions_text::goneSessions(gone));
    if (failed)
        m_messages.error(this, sessions_text::failure(
                                   sessions_text::disconnectFailed(failed->user, failed->client),
                                   failed->result, m_computer));
}

void TSessionsForm1::CloseFile1Click() {
    struct Target {
        OpenFileInfo file; // as listed
        Status result = status::Success;
        bool changed = false; // its id names another open now: not closed
    };
    std::vector<Target> targets;
    for (const QTreeWidgetItem* row : visibleSelection(OpenFilesList1))
        targets.push_back({{row->data(0, TargetRole).toUInt(), 0, 0, row->text(0).toStdU16String(),
                            row->text(1).toStdU16String()}});
    if (targets.empty())
        return;
    if (!m_messages.confirm(this, sessions_text::confirmClose(int(targets.size()))))
        return;
    QStringList changed;
    {
        BusyCursor busy;
        const std::u16string server = m_computer.toStdU16String();
        // An id read at the last refresh may have gone to another open since: read them again
        // and close only what is still open as listed.
        std::vector<OpenFileInfo> current;
        if (Status s = sessions::readAllFiles(m_service, server, current); s != status::Success) {
            m_messages.error(
                this, sessions_text::failure(sessions_text::readFilesFailed(), s, m_computer));
            return;
        }
        for (Target& t : targets) {
            switch (sessions::checkBeforeClose(t.file, current)) {
            case sessions::FileCheck::Close:
                t.result = m_service.closeFile(server, t.file.id);
                break;
            case sessions::FileCheck::Closed:
                t.result = status::FileIdNotFound; // not sent: gone already
                break;
            case sessions::FileCheck::Changed:
                t.changed = true;
                changed << qs(t.file.path);
                break;
            }
        }
    }
    const bool listsRead = refresh();
    std::erase_if(targets, [](const Target& t) { return t.changed; });
    const auto [gone, failed] = tally(targets, listsRead, [&](const Target& t) {
        for (int i = 0; i < OpenFilesList1->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* row = OpenFilesList1->topLevelItem(i);
            if (row->data(0, TargetRole).toUInt() == t.file.id && row->text(0) == qs(t.file.path) &&
                row->text(1) == qs(t.file.user))
                return true;
        }
        return false;
    });
    showNote(sessions_text::goneFiles(gone));
    if (!changed.isEmpty())
        m_messages.show(this, QString(), sessions_text::noLongerOpenAsListed(changed),
                        MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
    if (failed)
        m_messages.error(this,
                         sessions_text::failure(sessions_text::closeFailed(qs(failed->file.path)),
                                                failed->result, m_computer));
}

void TSessionsForm1::applyFilter() {
    const QString filter = OpenFilesFilter1->text();
    for (int i = 0; i < OpenFilesList1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = OpenFilesList1->topLevelItem(i);
        const bool hide = !sessions::pathMatchesFilter(row->text(0), filter);
        row->setHidden(hide);
        if (hide)
            row->setSelected(false);
    }
    updateButtons();
}

void TSessionsForm1::updateButtons() {
    RefreshSessions1->setEnabled(!m_computer.isEmpty());
    DisconnectSession1->setEnabled(!visibleSelection(SessionsList1).isEmpty());
    CloseFile1->setEnabled(!visibleSelection(OpenFilesList1).isEmpty());
}

void TSessionsForm1::showNote(const QString& text) {
    m_note->setText(text);
}

} // namespace corvane
