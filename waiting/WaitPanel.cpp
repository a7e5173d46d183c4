#include "WaitPanel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
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

} // namespace

WaitPanel::WaitPanel(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("WaitPanel1"));
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* frame = new QVBoxLayout(this);
    Work1 = new QLabel(this);
    Work1->setObjectName(QStringLiteral("Work1"));
    Work1->setWordWrap(true);
    Work1->setMinimumWidth(260);
    CancelWait1 = new QPushButton(QStringLiteral("Cancel"), this);
    CancelWait1->setObjectName(QStringLiteral("CancelWait1"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelWait1);
    frame->addWidget(Work1);
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
    m_delay.start();
}

void WaitIndicator::waitEnded() {
    m_waiting = false;
    m_delay.stop();
    if (m_panel)
        m_panel->hide();
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

void WaitIndicator::questionStarted() {
    m_asking = true;
    m_delay.stop();
    if (m_panel)
        m_panel->hide();
}

void WaitIndicator::questionEnded() {
    m_asking = false;
    if (m_waiting)
        m_delay.start();
}

void WaitIndicator::showPanel() {
    if (!m_waiting || m_asking)
        return;
    // Over the dialog that is open, if any, so that its modality does not shut the panel out.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner || owner == m_panel)
        owner = m_home;
    if (!m_panel) {
        m_panel = new WaitPanel(owner);
        connect(m_panel->CancelWait1, &QPushButton::clicked, &m_dispatcher,
                &CallDispatcher::cancel);
    } else if (m_panel->parentWidget() != owner) {
        m_panel->setParent(owner, m_panel->windowFlags());
    }
    m_panel->Work1->setText(m_work);
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
    return true;
}

} // namespace corvane
