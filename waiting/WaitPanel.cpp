#include "WaitPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

namespace corvane {

namespace {

bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Input that a synchronous program would find in its queue once it looks again.
bool isHeldInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return true;
    default:
        return false;
    }
}

} // namespace

WaitPanel::WaitPanel(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("WaitPanel1"));
    // Not modal: input for other windows reaches the indicator's filter, which holds it.
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* frame = new QVBoxLayout(this);
    Work1 = new QLabel(this);
    Work1->setObjectName(QStringLiteral("Work1"));
    Work1->setWordWrap(true);
    Work1->setMinimumWidth(260);
    WaitProgress1 = new QProgressBar(this);
    WaitProgress1->setObjectName(QStringLiteral("WaitProgress1"));
    WaitProgress1->setTextVisible(false);
    WaitProgress1->hide();
    CancelWait1 = new QPushButton(QStringLiteral("Cancel"), this);
    CancelWait1->setObjectName(QStringLiteral("CancelWait1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelWait1);
    frame->addWidget(Work1);
    frame->addWidget(WaitProgress1);
    frame->addLayout(buttons);
    setAutoFillBackground(true);
}

WaitIndicator::WaitIndicator(CallDispatcher& dispatcher, QWidget* home)
    : m_dispatcher(dispatcher), m_home(home) {
    m_delay.setSingleShot(true);
    m_delay.setInterval(PanelDelayMs);
    connect(&m_delay, &QTimer::timeout, this, &WaitIndicator::showPanel);
    m_dispatcher.setObserver(this);
}

WaitIndicator::~WaitIndicator() {
    m_dispatcher.setObserver(nullptr);
    delete m_panel; // null when its owner window took it along
}

void WaitIndicator::waitStarted(const QString& work) {
    m_work = work;
    m_waiting = true;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    qApp->installEventFilter(this);
    if (m_walking)
        showPanel();
    else
        m_delay.start();
}

void WaitIndicator::waitEnded() {
    m_waiting = false;
    m_delay.stop();
    if (m_panel && !m_walking)
        m_panel->hide();
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
    if (!m_held.empty())
        QTimer::singleShot(0, this, &WaitIndicator::deliverHeld);
}

void WaitIndicator::deliverHeld() {
    // One at a time from the front: what a delivered event starts may hold more, behind these.
    while (!m_waiting && !m_held.empty()) {
        Held next = std::move(m_held.front());
        m_held.pop_front();
        if (next.target)
            QCoreApplication::sendEvent(next.target, next.event.get());
    }
}

void WaitIndicator::walkStarted(const QString& work, int total) {
    m_walking = true;
    m_walkWork = work;
    m_walkDone = 0;
    m_walkTotal = total;
    if (!m_asking)
        showPanel();
}

void WaitIndicator::walkAdvanced(int done, int total) {
    m_walkDone = done;
    m_walkTotal = total;
    if (m_panel && m_panel->isVisible())
        showPanel();
}

void WaitIndicator::walkEnded() {
    m_walking = false;
    if (m_panel) {
        m_panel->hide();
        m_panel->WaitProgress1->hide();
        m_panel->CancelWait1->setEnabled(true);
    }
}

void WaitIndicator::cancelClicked() {
    if (!m_dispatcher.walking()) {
        m_dispatcher.cancel();
        return;
    }
    m_dispatcher.stopWalk();
    m_panel->CancelWait1->setEnabled(false);
    showPanel();
}

void WaitIndicator::questionStarted() {
    m_asking = true;
    m_delay.stop();
    if (m_panel)
        m_panel->hide();
}

void WaitIndicator::questionEnded() {
    m_asking = false;
    if (m_walking)
        showPanel();
    else if (m_waiting)
        m_delay.start();
}

void WaitIndicator::showPanel() {
    if ((!m_waiting && !m_walking) || m_asking)
        return;
    // Over the dialog that is open, if any, so that its modality does not shut the panel out.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == m_panel)
        owner = m_home;
    if (!m_panel) {
        m_panel = new WaitPanel(owner);
        connect(m_panel->CancelWait1, &QPushButton::clicked, this, &WaitIndicator::cancelClicked);
    } else if (m_panel->parentWidget() != owner) {
        m_panel->setParent(owner, m_panel->windowFlags());
    }
    if (m_walking) {
        QString text =
            QStringLiteral("%1: %2 of %3")
                .arg(m_walkWork, QString::number(m_walkDone), QString::number(m_walkTotal));
        if (m_dispatcher.walkStopRequested())
            text += QStringLiteral("\nStopping after this share…");
        m_panel->Work1->setText(text);
        m_panel->WaitProgress1->setRange(0, m_walkTotal);
        m_panel->WaitProgress1->setValue(m_walkDone);
        m_panel->WaitProgress1->show();
    } else {
        m_panel->Work1->setText(m_work);
        m_panel->WaitProgress1->hide();
    }
    m_panel->adjustSize();
    if (owner)
        m_panel->move(owner->geometry().center() - m_panel->rect().center());
    m_panel->show();
    m_panel->raise();
}

bool WaitIndicator::reachesPanel(QObject* target) const {
    if (!m_panel)
        return false;
    if (auto* window = qobject_cast<QWindow*>(target))
        return window == m_panel->windowHandle();
    auto* widget = qobject_cast<QWidget*>(target);
    return widget && (widget == m_panel || m_panel->isAncestorOf(widget));
}

bool WaitIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (!m_waiting || m_asking || !isUserInput(event->type()) || reachesPanel(watched))
        return false;
    // A close that went through would end the program under a call still out.
    if (event->type() == QEvent::Close)
        event->ignore();
    else if (isHeldInput(event->type()))
        m_held.push_back({watched, std::unique_ptr<QEvent>(event->clone())});
    return true;
}

} // namespace corvane
