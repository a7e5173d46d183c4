// The window against servers that stop answering: a listener that never answers, a link that
// stalls after the logon, a server that dies in the middle of a walk and comes back.
#include "../Proxy.h"
#include "../TestServer.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "support/DispatchedWindow.h"
#include "ui/Text.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;
using namespace corvane::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Accepts connections on ADDR:445 and never answers.
class SilentListener {
public:
    explicit SilentListener(const char* address) {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(445);
        ::inet_pton(AF_INET, address, &addr.sin_addr);
        m_ok = ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
               ::listen(m_fd, 8) == 0;
    }
    ~SilentListener() { ::close(m_fd); }
    bool ok() const { return m_ok; }

private:
    int m_fd = -1;
    bool m_ok = false;
};

std::function<std::unique_ptr<smb::SmbNetwork>()> networkFor(CredentialProvider& credentials,
                                                             smb::SmbOptions options) {
    return
        [&credentials, options] { return std::make_unique<smb::SmbNetwork>(credentials, options); };
}

// A backend whose server is stopped before one share call and started again before a later
// one, on the worker, as the walk reaches them.
struct DyingServerNetwork : smb::SmbNetwork {
    using smb::SmbNetwork::SmbNetwork;
    const TestServer* server = nullptr;
    int calls = 0, stopBefore = 0, startBefore = 0;

    void step() {
        ++calls;
        if (calls == stopBefore)
            server->stop();
        if (calls == startBefore)
            server->start();
    }
    Status getInfo(const std::u16string& s, const std::u16string& n, ShareInfo502& out) override {
        step();
        return SmbNetwork::getInfo(s, n, out);
    }
    Status setInfo(const std::u16string& s, const std::u16string& n,
                   const ShareInfo502& info) override {
        step();
        return SmbNetwork::setInfo(s, n, info);
    }
    Status add(const std::u16string& s, const ShareInfo502& info) override {
        step();
        return SmbNetwork::add(s, info);
    }
    Status remove(const std::u16string& s, const std::u16string& n) override {
        step();
        return SmbNetwork::remove(s, n);
    }
};

} // namespace

class WaitIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    // Opening a computer that accepts the connection and never answers: the open fails as any
    // failed open does (empty list, no message), in time, and the window ran meanwhile.
    void silentListenerFailsTheOpenWhileTheWindowRuns() {
        SilentListener silent("127.0.0.5");
        QVERIFY(silent.ok());
        smb::StaticCredentials credentials(Credentials{u"u", u"", u"p"});
        DispatchedWindow<smb::SmbNetwork> w(networkFor(credentials, integrationOptions()));
        w.form->show();
        WaitWatch watch;
        const auto before = Clock::now();
        w.open("127.0.0.5");
        QVERIFY(Clock::now() - before < 21s);
        QVERIFY(watch.ticks > 0);
        QCOMPARE(watch.panelText, QStringLiteral("Listing the shares of 127.0.0.5…"));
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
        QVERIFY(w.form->state().computerName.isEmpty());
        QVERIFY(w.messages.shown.isEmpty());
        QCOMPARE(w.form->statusText(), QStringLiteral("Opening 127.0.0.5 failed while connecting: "
                                                      "did not answer within 20 s (121)"));
    }

    // A refused account and a server whose answers the program cannot use each leave the status
    // line naming the server and the reason; a good open says how many shares it listed.
    void statusLineSaysHowTheOpenEnded_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        QTest::newRow("listed") << "good"
                                << " shares on 127.0.0.2";
        QTest::newRow("refused account")
            << "refused"
            << "Opening 127.0.0.2 failed while logging on: logon failure (1326)";
        QTest::newRow("server answering at another level")
            << "stock"
            << "Opening 127.0.0.8 failed while reading the answer: the server answered at another "
               "level than asked (1733)";
    }
    void statusLineSaysHowTheOpenEnded() {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        const TestServer& server = TestServer::primary();
        std::string pid;
        if (kind == QLatin1String("stock")) {
            // impacket's own example server: it answers share listings at level 1 only.
            QVERIFY(shell("mkdir -p /tmp/corvane-stock && (/usr/bin/python3 "
                          "/usr/share/doc/python3-impacket/examples/smbserver.py -smb2support "
                          "-ip 127.0.0.8 -port 445 -username admin -password secret STOCK "
                          "/tmp/corvane-stock >/dev/null 2>&1 & echo $!)",
                          &pid) == 0);
            QTest::qWait(2000);
        }
        Credentials logon = server.adminCredentials();
        if (kind == QLatin1String("refused"))
            logon.password = Secret(u"not the password");
        else if (kind == QLatin1String("stock"))
            logon = Credentials{u"admin", u"", Secret(u"secret")};
        smb::StaticCredentials credentials(std::move(logon));
        DispatchedWindow<smb::SmbNetwork> w(networkFor(credentials, integrationOptions(5s)));
        w.form->show();
        w.open(kind == QLatin1String("stock") ? "127.0.0.8" : "127.0.0.2");
        if (!pid.empty())
            shell("kill " + pid);
        QVERIFY2(w.form->statusText().contains(says), qPrintable(w.form->statusText()));
        QVERIFY(w.messages.shown.isEmpty());
    }

    // Cancel on the panel ends the wait at once, as a failed open.
    void cancelOnThePanelEndsTheOpen() {
        SilentListener silent("127.0.0.5");
        QVERIFY(silent.ok());
        smb::StaticCredentials credentials(Credentials{u"u", u"", u"p"});
        DispatchedWindow<smb::SmbNetwork> w(networkFor(credentials, integrationOptions()));
        w.dispatcher.setCanceller(dynamic_cast<CallCanceller*>(w.network.get()));
        w.form->show();
        WaitWatch watch;
        Clock::time_point clicked;
        watch.onPanel = [&clicked](QPushButton* cancel) {
            clicked = Clock::now();
            QTest::mouseClick(cancel, Qt::LeftButton);
        };
        w.open("127.0.0.5");
        QVERIFY(clicked != Clock::time_point{});
        QVERIFY(Clock::now() - clicked < 500ms);
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
        QVERIFY(w.form->state().computerName.isEmpty());
        QVERIFY(w.messages.shown.isEmpty());
    }

    // The server's link stalls after the computer was opened: selecting a share shows the
    // error box of a failed read with the timeout's status, in time.
    void stalledLinkFailsSelectingAShare() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        const Proxy proxy("127.0.0.6", server.addressUtf8());
        QVERIFY(proxy.ready());
        smb::StaticCredentials credentials(server.adminCredentials());
        DispatchedWindow<smb::SmbNetwork> w(networkFor(credentials, integrationOptions()));
        w.form->show();
        w.open("127.0.0.6");
        QCOMPARE(w.form->state().computerName, QStringLiteral("127.0.0.6"));
        const auto rows = w.shares()->findItems("Alpha", Qt::MatchExactly, 0);
        QCOMPARE(rows.size(), 1);

        QVERIFY(proxy.stall());
        WaitWatch watch;
        const auto before = Clock::now();
        rows.first()->setSelected(true);
        QVERIFY(Clock::now() - before < 21s);
        QVERIFY(watch.ticks > 0);
        QCOMPARE(watch.panelText, QStringLiteral("Reading the share Alpha of 127.0.0.6…"));
        QCOMPARE(w.messages.texts_shown(),
                 QStringList{"A system error has occured (121) while\nrequesting information "
                             "about the share."});
    }

    // The server stops in the middle of hiding 30 shares and comes back later in the walk,
    // every error answered Yes: each share is still there, under its name or the hidden one.
    void hidingSurvivesTheServerDyingMidWalk() {
        const TestServer server("127.0.0.4");
        QVERIFY(server.start());
        QVERIFY(server.bulkShares(30));
        smb::StaticCredentials credentials(server.adminCredentials());
        DispatchedWindow<DyingServerNetwork> w([&] {
            auto net = std::make_unique<DyingServerNetwork>(credentials, integrationOptions(3s));
            net->server = &server;
            // Each share takes a read, an addition and a removal: the server goes away right
            // before the removal of the 14th share and is back for the 17th.
            net->stopBefore = 3 * 14;
            net->startBefore = 3 * 16 + 1;
            return net;
        });
        w.open(fromU16(server.address()));
        QCOMPARE(w.form->state().computerName, fromU16(server.address()));
        QStringList bulk;
        for (int i = 1; i <= 30; ++i)
            bulk << QStringLiteral("Bulk%1").arg(i, 5, 10, QLatin1Char('0'));
        for (QTreeWidgetItem* row : w.shares()->findItems("Bulk", Qt::MatchStartsWith, 0))
            row->setSelected(true);
        QCOMPARE(w.shares()->selectedItems().size(), 30);
        w.form->findChild<QAction*>("HideSelected1")->trigger();
        QVERIFY(!w.messages.shown.isEmpty()); // the failures were reported, and answered Yes

        QVERIFY(server.start()); // already running: only makes sure
        const auto names = shareNames(server);
        const auto listed = [&names](const QString& name) {
            return std::find(names.begin(), names.end(), toU16(name)) != names.end();
        };
        for (const QString& name : bulk)
            QVERIFY2(listed(name) || listed(name + "$"), qPrintable(name));
        QVERIFY(listed("Bulk00030$")); // the walk went on after the server came back
        QVERIFY(server.resetShares());
        QVERIFY(server.stop());
    }

    // The same for a new path in 12 shares: the server goes away between a share's change and
    // its reading back (where a removal and an addition would lose it), and comes back.
    void newPathsSurviveTheServerDyingMidWalk() {
        const TestServer server("127.0.0.4");
        QVERIFY(server.start());
        QVERIFY(server.bulkShares(12));
        smb::StaticCredentials credentials(server.adminCredentials());
        DispatchedWindow<DyingServerNetwork> w([&] {
            auto net = std::make_unique<DyingServerNetwork>(credentials, integrationOptions(3s));
            net->server = &server;
            return net;
        });
        w.open(fromU16(server.address()));
        QCOMPARE(w.form->state().computerName, fromU16(server.address()));
        for (QTreeWidgetItem* row : w.shares()->findItems("Bulk", Qt::MatchStartsWith, 0))
            row->setSelected(true);
        QCOMPARE(w.shares()->selectedItems().size(), 12);
        // Counted from the walk on: a share takes a read, the change and a read back. The
        // server stops before the 5th share's read back; while it is down each share fails at
        // its first read.
        DyingServerNetwork& net = *w.network;
        net.calls = 0;
        net.stopBefore = 3 * 4 + 3;
        net.startBefore = 3 * 4 + 3 + 3;
        QTimer::singleShot(0, w.form.get(), [&w] {
            TFindReplaceTextForm1* dialog = w.form->findReplaceTextForm();
            if (!dialog)
                return;
            dialog->findChild<QRadioButton*>("LocalPath1")->setChecked(true);
            dialog->findChild<QLineEdit*>("FindText1")->setText("\\D\\Bulk");
            dialog->findChild<QLineEdit*>("ReplaceText1")->setText("\\D");
            dialog->findChild<QPushButton*>("Ok1")->click();
            dialog->findChild<QPushButton*>("Close1")->click();
        });
        w.form->findChild<QAction*>("FindReplaceText1")->trigger();
        QVERIFY(!w.messages.shown.isEmpty()); // the failures were reported, and answered Yes

        QVERIFY(server.start());
        const std::u16string moved = server.serverPath("D");
        int movedCount = 0;
        for (int i = 1; i <= 12; ++i) {
            const auto name = QStringLiteral("Bulk%1").arg(i, 5, 10, QLatin1Char('0'));
            ShareInfo502 after;
            QVERIFY2(readBack(server, toU16(name), after) == status::Success, qPrintable(name));
            movedCount += after.path == moved;
        }
        QVERIFY(movedCount >= 4); // before the server went, and after it came back
        ShareInfo502 last;
        QCOMPARE(readBack(server, u"Bulk00012", last), status::Success);
        QCOMPARE(fromU16(last.path), fromU16(moved));
        QVERIFY(server.resetShares());
        QVERIFY(server.stop());
    }
};

QTEST_MAIN(WaitIntegrationTest)
#include "WaitIntegrationTest.moc"
