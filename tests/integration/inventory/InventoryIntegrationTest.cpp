#include "inventory/InventoryForm1.h"
#include "inventory/InventoryModel.h"
#include "tests/integration/TestServer.h"
#include "ui/Text.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;

namespace {

const QString Silent = QStringLiteral(CORVANE_TEST_SILENT);

// A host that takes SMB connections and never answers: the kernel completes them for a
// listening socket that accepts none.
class SilentHost {
public:
    SilentHost() : m_fd(::socket(AF_INET, SOCK_STREAM, 0)) {
        const int on = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(445);
        ::inet_pton(AF_INET, CORVANE_TEST_SILENT, &addr.sin_addr);
        m_listening = ::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                      ::listen(m_fd, 64) == 0;
    }
    ~SilentHost() { ::close(m_fd); }
    bool listening() const { return m_listening; }

private:
    int m_fd;
    bool m_listening = false;
};

QString address(const TestServer& server) {
    return QString::fromStdString(server.addressUtf8());
}

// RFC 4180 fields back from a CSV file.
QList<QStringList> parseCsv(const QString& text) {
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.last() << std::exchange(field, {});
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.last() << std::exchange(field, {});
            rows << QStringList{};
            ++i;
        } else {
            field += c;
        }
    }
    rows.removeLast(); // after the last line end
    return rows;
}

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run cli(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(CORVANE_CLI), arguments);
    process.waitForFinished(120000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class InventoryIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        smb::enableConcurrentNetworks();
        QVERIFY(TestServer::primary().resetShares());
        QVERIFY(TestServer::secondary().resetShares());
    }

    // The silent server holds its thread until its bound; the live ones end long before.
    void windowScansLiveServersBesideASilentOne() {
        SilentHost silent;
        QVERIFY(silent.listening());
        smb::StaticCredentials credentials(TestServer::primary().adminCredentials());
        InventoryForm1 form(credentials, integrationOptions(std::chrono::seconds(6)));
        form.InventoryServers1->setPlainText(
            QStringLiteral("%1\n%2, %3")
                .arg(Silent, address(TestServer::primary()), address(TestServer::secondary())));
        form.InventoryJobs1->setValue(2);
        QSignalSpy finished(&form, &InventoryForm1::scanFinished);
        form.ScanServers1Click();
        const auto line = [&form](int i) { return form.InventoryServersList1->item(i)->text(); };
        QTRY_VERIFY_WITH_TIMEOUT(line(1).contains(QStringLiteral(": done, ")) &&
                                     line(2).contains(QStringLiteral(": done, ")),
                                 30000);
        QCOMPARE(line(0), Silent + QStringLiteral(": scanning"));
        QVERIFY(finished.wait(30000));
        QCOMPARE(line(0), Silent + QStringLiteral(": failed, did not answer within 6 s (121)"));
        QCOMPARE(form.InventoryProgress1->value(), 3);
        QCOMPARE(credentials.timesAsked(), 1); // one logon for the whole scan

        // Every share of the live servers, as a plain enumeration lists them, has its rows.
        const QAbstractItemModel* results = form.InventoryResults1->model();
        for (const TestServer* server : {&TestServer::primary(), &TestServer::secondary()}) {
            Session session(*server);
            QSet<QString> listed, shown;
            for (const ShareInfo502& share : enumerateAll(session.network, server->address()))
                listed << fromU16(share.netname);
            for (int r = 0; r < results->rowCount(); ++r)
                if (results->index(r, int(Column::Server)).data().toString() == address(*server))
                    shown << results->index(r, int(Column::Share)).data().toString();
            QVERIFY(!listed.isEmpty());
            QCOMPARE(shown, listed);
        }

        // The account box: by name only the account's own entries and those of everybody; its
        // group's once its servers have said which groups it is in.
        const auto accounts = [results] {
            QSet<QString> out;
            for (int r = 0; r < results->rowCount(); ++r)
                out << results->index(r, int(Column::Account)).data().toString().section('\\', 1);
            return out;
        };
        const QString alice = fromU16(TestServer::primary().user1());
        const QString staff = fromU16(TestServer::primary().group());
        form.InventoryAccount1->setText(alice);
        QCOMPARE(accounts(), (QSet<QString>{alice, QString()}));
        QSignalSpy read(&form, &InventoryForm1::membershipsRead);
        form.readMemberships();
        QVERIFY(read.wait(30000));
        QCOMPARE(accounts(), (QSet<QString>{alice, staff, QString()}));
    }

    void commandLine() {
        QTemporaryDir dir;
        const QString auth = dir.filePath(QStringLiteral("auth"));
        {
            const Credentials admin = TestServer::primary().adminCredentials();
            QFile file(auth);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QStringLiteral("# the test server's administrator\nusername = %1\n"
                                      "password = %2\n")
                           .arg(fromU16(admin.user), fromU16(std::u16string(admin.password.view())))
                           .toUtf8());
        }
        const QString primary = address(TestServer::primary());
        QCOMPARE(cli({QStringLiteral("inventory"), QStringLiteral("--password"),
                      QStringLiteral("x"), primary})
                     .exitCode,
                 2);
        QCOMPARE(cli({QStringLiteral("inventory")}).exitCode, 2);

        // A baseline from the export, then changed: one share left out (new on the server), one
        // that the server lacks (missing), one with another path (changed).
        const QString baseline = dir.filePath(QStringLiteral("baseline.json"));
        QCOMPARE(
            cli({QStringLiteral("-A"), auth, QStringLiteral("export"), primary, baseline}).exitCode,
            0);
        QFile file(baseline);
        QVERIFY(file.open(QIODevice::ReadOnly));
        ShareFileReadResult read = readShareFile(file.readAll());
        file.close();
        QVERIFY2(read.file && read.file->shares.size() >= 3, qPrintable(read.error));
        ShareFile& shares = *read.file;
        const QString leftOut = fromU16(shares.shares[0].record.netname);
        const QString moved = fromU16(shares.shares[1].record.netname);
        shares.shares.erase(shares.shares.begin());
        shares.shares[0].record.path += u"\\elsewhere";
        ExportedShare gone = shares.shares[1];
        gone.record.netname = u"GoneShare";
        shares.shares.push_back(gone);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(writeShareFile(shares));
        file.close();

        SilentHost silent;
        QVERIFY(silent.listening());
        const QString output = dir.filePath(QStringLiteral("inventory.csv"));
        const Run run =
            cli({QStringLiteral("-A"), auth, QStringLiteral("inventory"), QStringLiteral("--jobs"),
                 QStringLiteral("2"), QStringLiteral("--baseline"), baseline,
                 QStringLiteral("--output"), output, primary, Silent});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err.trimmed(),
                 Silent + QStringLiteral(": failed, did not answer within 20 s (121)"));
        QFile csv(output);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QList<QStringList> rows = parseCsv(QString::fromUtf8(csv.readAll()));
        QVERIFY(rows.size() > 1);
        QCOMPARE(rows[0].size(), int(Column::Count));
        QCOMPARE(rows[0][int(Column::Drift)], QStringLiteral("Baseline"));
        QMap<QString, QString> drift;
        for (const QStringList& row : rows.mid(1)) {
            QCOMPARE(row.size(), int(Column::Count));
            QCOMPARE(row[int(Column::Server)], primary);
            drift[row[int(Column::Share)]] = row[int(Column::Drift)];
        }
        QCOMPARE(drift.value(leftOut), QStringLiteral("new"));
        QCOMPARE(drift.value(moved), QStringLiteral("changed: path"));
        QCOMPARE(drift.value(QStringLiteral("GoneShare")), QStringLiteral("missing"));
        QCOMPARE(drift.value(fromU16(shares.shares[1].record.netname)), QStringLiteral("same"));
    }
};

QTEST_MAIN(InventoryIntegrationTest)
#include "InventoryIntegrationTest.moc"
