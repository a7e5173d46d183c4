#pragma once

#include "CallDispatcher.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QWindow;

namespace corvane {

// The small panel that names the server and the work while a call is out, with its Cancel
// button (WaitPanel1, CancelWait1). Shown by WaitIndicator; never created by hand.
class WaitPanel : public QWidget {
    Q_OBJECT
public:
    explicit WaitPanel(QWidget* parent);
    QLabel* Work1 = nullptr;
    QPushButton* CancelWait1 = nullptr;
};

// The user-interface side of a wait: the busy cursor from the start, the wait panel after
// about half a second, and no keyboard or mouse input (nor a close) for any window but the
// panel until the call is back. A question the call asks (a logon) hides the panel and lets
// input through to its dialog.
class WaitIndicator : public QObject, public WaitObserver {
    Q_OBJECT
public:
    static constexpr int PanelDelayMs = 500;

    // `home` is the window the panel shows over when no dialog is open.
    explicit WaitIndicator(CallDispatcher& dispatcher, QWidget* home = nullptr);
    ~WaitIndicator() override;

    void setHome(QWidget* home) { m_home = home; }

    void waitStarted(const QString& work) override;
    void waitEnded() override;
    void questionStarted() override;
    void questionEnded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPanel();
    bool reachesPanel(QObject* target) const;

    CallDispatcher& m_dispatcher;
    QPointer<QWidget> m_home;
    QPointer<WaitPanel> m_panel;
    QTimer m_delay;
    QString m_work;
    bool m_waiting = false;
    bool m_asking = false;
};

} // namespace corvane
