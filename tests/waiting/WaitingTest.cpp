// The window while a call is out: it keeps running, takes input only on the wait panel, gives
// up a call on Cancel without waiting for the network, and asks for a logon from the worker.
#include "app/ConnectAsForm1.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "support/DispatchedWindow.h"
#include "waiting/UiThreadCredentials.h"

#include <QAction>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

using namespace corvane;
using namespace corvane::test;
using namespace std::chrono_literals;
using fake::Call;

namespace {

// Holds the worker inside a call until released (or for 20 s at most).
class Gate {
public:
    void hold() {
        std::unique_lock lock(m_mutex);
        m_held = true;
        m_changed.wait_for(lock, 20s, [this] { return m_open; });
        m_held = false;
    }
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    bool holding() const {
        const std::lock_guard lock(m_mutex);
        return m_held;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_held = false;
};

// A network that is told to give up its call, and is slow to do so: it goes on waiting.
struct CancellableFake : fake::FakeNetwork, CallCanceller {
    std::atomic<int> cancels{0};
    void cancelCurrentCall() override { ++cancels; }
};

// Notes the thread the question is asked on, and the buffer the answer's password is in.
struct ThreadNoting : CredentialProvider {
    CredentialProvider& inner;
    QThread* thread = nullptr;
    explicit ThreadNoting(CredentialProvider& i) : inner(i) {}
    const char16_t* typed = nullptr;
    std::optional<Credentials> credentialsFor(const std::u16string& server,
                                              const std::u16string& failure) override {
        thread = QThread::currentThread();
        auto answer = inner.credentialsFor(server, failure);
        if (answer)
            typed = answer->password.view().data();
        return answer;
    }
};

// Ends the call out on the network when told to, by what `onCancel` does.
struct FakeCanceller : CallCanceller {
    std::function<void()> onCancel;
    void cancelCurrentCall() override { onCancel(); }
};

// Counts the waits that showed the panel.
struct CountingObserver : WaitObserver {
    int waits = 0;
    void waitStarted(const QString&) override { ++waits; }
    void waitEnded() override {}
    void questionStarted() override {}
    void questionEnded() override {}
};

std::unique_ptr<CancellableFake> oneServer() {
    auto net = std::make_unique<CancellableFake>();
    net->addDiskShare(u"SRV", u"Data", u"C:\\Data");
    return net;
}

} // namespace

class WaitingTest : public QObject {
    Q_OBJECT
private slots:
    void cancelGivesUpAtOnceAndTheNextCallWaitsForTheWorker() {
        DispatchedWindow<CancellableFake> w(oneServer);
        w.dispatcher.setCanceller(w.network.get());
        w.form->show();
        Gate gate;
        w.network->beforeCall = [&gate](Call call, const std::u16string&) {
            if (call == Call::Enumerate)
                gate.hold();
        };
        auto* computer = w.find<QLineEdit>("Computer1");
        QString typedDuringWait;
        bool closedDuringWait = true;
        WaitWatch watch;
        watch.onPanel = [&](QPushButton* cancel) {
            // Everything but the panel is deaf while the call is out: what is typed waits.
            QTest::keyClicks(computer, "X");
            typedDuringWait = computer->text();
            closedDuringWait = w.form->close();
            QTest::mouseClick(cancel, Qt::LeftButton);
        };
        w.open("SRV");

        QVERIFY(gate.holding()); // the window did not wait for the network to give up
        QCOMPARE(w.network->cancels.load(), 1);
        QCOMPARE(watch.panelText, QStringLiteral("Listing the shares of SRV…"));
        QVERIFY(watch.busyCursor);
        QVERIFY(watch.ticks > 0);
        QCOMPARE(typedDuringWait, QStringLiteral("SRV"));
        QVERIFY(!closedDuringWait);
        QVERIFY(w.form->isVisible());
        // A failed open: empty list, nothing opened, no message, the ordinary cursor.
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
        QVERIFY(w.form->state().computerName.isEmpty());
        QVERIFY(w.messages.shown.isEmpty());
        QVERIFY(!QApplication::overrideCursor());
        // Typed during the wait, taken after it, in order.
        QTRY_COMPARE(computer->text(), QStringLiteral("SRVX"));

        // The next call waits until the given-up one has left the worker, then runs.
        QTimer::singleShot(300, [&gate] { gate.open(); });
        w.open("SRV");
        QCOMPARE(w.shares()->topLevelItemCount(), 1);
        QCOMPARE(w.form->state().computerName, QStringLiteral("SRV"));
        QCOMPARE(w.network->callsOf(Call::Enumerate).size(), std::size_t(2));
    }

    // A walk over five shares shows as one wait with its count from its first call. Cancel on
    // the panel, or the find and replace dialog's Cancel clicked while the second share's calls
    // are out, lets that share finish and starts no other.
    void walkStopsBetweenTwoShares_data() {
        QTest::addColumn<bool>("panelCancel");
        QTest::newRow("wait panel's Cancel, hiding") << true;
        QTest::newRow("dialog's Cancel, find and replace") << false;
    }
    void walkStopsBetweenTwoShares() {
        QFETCH(bool, panelCancel);
        std::atomic<int> secondOut{0};
        DispatchedWindow<CancellableFake> w([&] {
            auto net = std::make_unique<CancellableFake>();
            for (const char16_t* name : {u"S1", u"S2", u"S3", u"S4", u"S5"})
                net->addDiskShare(u"SRV", name, std::u16string(u"C:\\") + name);
            net->beforeCall = [&](Call call, const std::u16string& name) {
                if (call == Call::Enumerate || call == Call::GetInfo)
                    return;
                if (name.rfind(u"S2", 0) == 0)
                    ++secondOut;
                QThread::msleep(150);
            };
            return net;
        });
        w.form->setWalkProgress(&w.dispatcher);
        QString stopped;
        QObject::connect(&w.dispatcher, &CallDispatcher::walkStopped,
                         [&](const QString&, int done, int total) {
                             stopped = QStringLiteral("%1 of %2").arg(done).arg(total);
                         });
        w.form->show();
        w.open("SRV");
        QStringList all = {"S1", "S2", "S3", "S4", "S5"};
        QString panelText;
        bool pressed = false;
        auto* dialog = w.form->findReplaceTextForm();
        QTimer presser;
        presser.setInterval(10);
        QObject::connect(&presser, &QTimer::timeout, [&] {
            for (QWidget* widget : QApplication::allWidgets())
                if (widget->objectName() == QLatin1String("WaitPanel1") && widget->isVisible() &&
                    panelText.isEmpty())
                    panelText = widget->findChild<QLabel*>()->text();
            if (pressed || secondOut.load() == 0)
                return;
            pressed = true;
            if (panelCancel) {
                for (QWidget* widget : QApplication::allWidgets())
                    if (widget->objectName() == QLatin1String("CancelWait1") && widget->isVisible())
                        QTest::mouseClick(static_cast<QPushButton*>(widget), Qt::LeftButton);
            } else {
                QTest::mouseClick(dialog->findChild<QPushButton*>("Cancel1"), Qt::LeftButton);
            }
        });
        presser.start();
        if (panelCancel) {
            w.shares()->selectAll();
            w.form->findChild<QAction*>("HideSelected1")->trigger();
        } else {
            dialog->show();
            dialog->findChild<QLineEdit*>("FindText1")->setText("S");
            dialog->findChild<QLineEdit*>("ReplaceText1")->setText("T");
            dialog->runOn(all);
        }
        presser.stop();
        QVERIFY(pressed);
        QVERIFY2(panelText.endsWith(QLatin1String(" of 5")), qPrintable(panelText));
        const QStringList changed = panelCancel ? QStringList{"S1$", "S2$", "S3", "S4", "S5"}
                                                : QStringList{"S3", "S4", "S5", "T1", "T2"};
        QStringList names;
        for (const ShareInfo502& share : w.network->computer(u"SRV").shares)
            names << QString::fromStdU16String(share.netname);
        names.sort();
        QCOMPARE(names, changed);
        if (panelCancel)
            QCOMPARE(stopped, QStringLiteral("2 of 5"));
    }

    void logonIsAskedOnTheWindowsThreadWithInputLetThrough() {
        ConnectAsForm1 dialog;
        ConnectAsCredentials askUser(dialog);
        ThreadNoting noting(askUser);
        std::optional<Credentials> answer;
        std::unique_ptr<UiThreadCredentials> credentials;
        DispatchedWindow<CancellableFake> w([&] {
            auto net = oneServer();
            // A backend asks from inside its call, on the worker.
            net->beforeCall = [&](Call call, const std::u16string& server) {
                if (call == Call::Enumerate)
                    answer = credentials->credentialsFor(server, u"");
            };
            return net;
        });
        credentials = std::make_unique<UiThreadCredentials>(w.dispatcher, noting);
        w.form->show();
        bool modal = false;
        QTimer answerer;
        answerer.setInterval(20);
        QObject::connect(&answerer, &QTimer::timeout, [&] {
            if (!dialog.isVisible())
                return;
            answerer.stop();
            modal = dialog.isModal();
            QTest::keyClicks(dialog.UserName1, "alice");
            QTest::keyClicks(dialog.Password1, "secret");
            QTest::mouseClick(dialog.Ok1, Qt::LeftButton);
        });
        answerer.start();
        w.open("SRV");

        QCOMPARE(noting.thread, QThread::currentThread());
        QVERIFY(modal);
        QVERIFY(answer);
        QCOMPARE(answer->user, std::u16string(u"alice"));
        QVERIFY(answer->password.view() == u"secret");
        // Even a short password crosses the threads in its one buffer, leaving no copy behind.
        QCOMPARE(answer->password.view().data(), noting.typed);
        QCOMPARE(w.shares()->topLevelItemCount(), 1);
    }

    // A call cancelled while queued never runs; a call made inside a wait is refused at once
    // instead of queuing behind the call the wait is for; closing the program ends the call
    // still out before it waits for the worker.
    void queueCancelNestingAndShutdown() {
        Gate gate;
        bool closing = false, endedOnClose = false;
        FakeCanceller canceller;
        canceller.onCancel = [&] {
            if (closing) {
                endedOnClose = true;
                gate.open();
            }
        };
        auto d = std::make_unique<CallDispatcher>();
        d->setCanceller(&canceller);
        std::optional<Status> nested;
        QTimer::singleShot(50, [&] {
            nested = d->call("nested", [] { return status::Success; });
            d->cancel();
        });
        QVERIFY(!d->call("held", [&] { return gate.hold(), status::Success; }));
        QCOMPARE(nested.value_or(status::Success), status::NetworkBusy);
        bool queuedRan = false;
        QTimer::singleShot(50, [&] { d->cancel(); });
        QVERIFY(!d->call("queued", [&] { return queuedRan = true, status::Success; }));
        closing = true;
        d.reset();
        QVERIFY(endedOnClose);
        QVERIFY(!queuedRan);
    }

    // A call soon after a wait blocks the window only for a moment, then shows the panel.
    void quickCallsOnlyAreWaitedForWithoutThePanel() {
        CallDispatcher d;
        CountingObserver observer;
        d.setObserver(&observer);
        const auto slow = [] { return QThread::msleep(30), status::Success; };
        d.call("first", slow);
        d.call("soon after", slow);
        QCOMPARE(observer.waits, 2);
    }

    // A logon question whose call is cancelled before the question shows is not asked.
    void questionOfACancelledCallIsDropped() {
        CallDispatcher d;
        std::atomic<bool> cancelling = false, asking = false, asked = false, shown = false;
        QTimer::singleShot(0, [&] {
            cancelling = true;
            while (!asking)
                QThread::msleep(1);
            QThread::msleep(50); // the question is posted by now and cannot run before this ends
            d.cancel();
        });
        d.call("asks", [&] {
            while (!cancelling)
                QThread::msleep(1);
            asking = true;
            asked = d.askOnUiThread([&] { shown = true; });
            return status::Success;
        });
        QTest::qWait(100);
        d.runOnWorker([] {});
        QVERIFY(!shown);
        QVERIFY(!asked);
    }
};

QTEST_MAIN(WaitingTest)
#include "WaitingTest.moc"
