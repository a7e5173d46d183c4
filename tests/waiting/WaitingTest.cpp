// The window while a call is out: it keeps running, takes input only on the wait panel, gives
// up a call on Cancel without waiting for the network, and asks for a logon from the worker.
#include "app/ConnectAsForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "support/DispatchedWindow.h"
#include "waiting/UiThreadCredentials.h"

#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <condition_variable>
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
struct ThreadNoting : smb::CredentialProvider {
    smb::CredentialProvider& inner;
    QThread* thread = nullptr;
    explicit ThreadNoting(smb::CredentialProvider& i) : inner(i) {}
    const char16_t* typed = nullptr;
    std::optional<smb::Credentials> credentialsFor(const std::u16string& server,
                                                   const std::u16string& failure) override {
        thread = QThread::currentThread();
        auto answer = inner.credentialsFor(server, failure);
        if (answer)
            typed = answer->password.view().data();
        return answer;
    }
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
            // Everything but the panel is deaf while the call is out.
            QTest::keyClicks(computer, "X");
            QTest::keyClick(computer, Qt::Key_Return);
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

        // The next call waits until the given-up one has left the worker, then runs.
        QTimer::singleShot(300, [&gate] { gate.open(); });
        w.open("SRV");
        QCOMPARE(w.shares()->topLevelItemCount(), 1);
        QCOMPARE(w.form->state().computerName, QStringLiteral("SRV"));
        QCOMPARE(w.network->callsOf(Call::Enumerate).size(), std::size_t(2));
    }

    void logonIsAskedOnTheWindowsThreadWithInputLetThrough() {
        ConnectAsForm1 dialog;
        ConnectAsCredentials askUser(dialog);
        ThreadNoting noting(askUser);
        std::optional<smb::Credentials> answer;
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
};

QTEST_MAIN(WaitingTest)
#include "WaitingTest.moc"
