#pragma once

#include "CallDispatcher.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <deque>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QWindow;

namespace corvane {

// The small panel that names the server and the work while a call is out, with its Cancel
// button (WaitPanel1, CancelWait1), and for a walk over many shares how far it has come
// (WaitProgress1). Shown by WaitIndicator; never created by hand.
class WaitPanel : public QWidget {
    Q_OBJECT
public:
    explicit WaitPanel(QWidget* parent);
    QLabel* Work1 = nullptr;
    QProgressBar* WaitProgress1 = nullptr;
    QPushButton* CancelWait1 = nullptr;
};

// The user-interface side of a wait: the busy cursor from the start, the wait panel after
// about half a second (from the first call of a walk), and no input for any window but the
// panel until the call is back. Clicks and keys meant for other windows are held, in order,
// and delivered when the window next runs its event loop outside a wait: between two shares
// of a walk that lets input through there, or after the operation. A close is refused. A
// question the call asks (a logon) hides the panel and lets input through to its dialog.
// The panel's Cancel gives up the call out; during a walk it stops the walk before its next
// share instead, so that no share is left half changed.
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
    void walkStarted(const QString& work, int total) override;
    void walkAdvanced(int done, int total) override;
    void walkEnded() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPanel();
    void cancelClicked();
    void deliverHeld();
    bool reachesPanel(QObject* target) const;

    CallDispatcher& m_dispatcher;
    QPointer<QWidget> m_home;
    QPointer<WaitPanel> m_panel;
    QTimer m_delay;
    QString m_work;
    bool m_waiting = false;
    bool m_asking = false;
    bool m_walking = false;
    QString m_walkWork;
    int m_walkDone = 0;
    int m_walkTotal = 0;
    struct Held {
        QPointer<QObject> target;
        std::unique_ptr<QEvent> event;
    };
    std::deque<Held> m_held;
};

} // namespace corvane
