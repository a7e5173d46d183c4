// The program killed (SIGKILL) between a share's removal and its addition, then started again
// with the same data folder: the next open offers the share back and restores it.
#include "integration/WindowOnServer.h"
#include "journal/ChangeJournal.h"
#include "shares/ShareChanges.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <csignal>

using namespace corvane;
using namespace corvane::integration;

namespace {

const char* const ChildRole = "CORVANE_JOURNAL_CRASH_CHILD";

// The program that is killed, its journal in $XDG_DATA_HOME as the program keeps it: Apply of a
// new path to Work, which a server that cannot move a share in place takes as a removal and an
// addition.
int applyNewPath() {
    ChangeJournal journal(ChangeJournal::defaultDirectory());
    WindowOnServer w;
    w.form.setChangeJournal(&journal);
    if (!w.open() || !w.select({"Work"}))
        return 2;
    w.find<QLineEdit>("LocalPath1")->setText(fromU16(w.server.serverPath("D", "Scratch")));
    w.find<QPushButton>("Apply1")->click();
    return 0;
}

} // namespace

class JournalCrashIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() {
        TestServer::primary().run("fault clear move");
        TestServer::primary().resetShares();
    }

    void killedBetweenRemovalAndAdditionIsRestoredAtTheNextOpen() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        ShareInfo502 before;
        QCOMPARE(readBack(server, u"Work", before), status::Success);
        // The deletion is done at once and answered 12 s later, within the call's bound.
        QCOMPARE(server.run("fault no-move slow-delete=12/1"), 0);

        QTemporaryDir data;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        qputenv(ChildRole, "1");
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        const QDeadlineTimer deadline(std::chrono::seconds(10));
        while (listedOn(server, u"Work") && !deadline.hasExpired() &&
               child.state() == QProcess::Running)
            QThread::msleep(50);
        QCOMPARE(child.state(), QProcess::Running);
        QVERIFY(!listedOn(server, u"Work"));
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished());
        QCOMPARE(server.run("fault clear move"), 0);

        ChangeJournal journal(ChangeJournal::defaultDirectory());
        WindowOnServer next;
        next.form.setChangeJournal(&journal);
        QStringList offered;
        QTimer::singleShot(0, [&] {
            QWidget* form = QApplication::activeModalWidget();
            QVERIFY(form && form->objectName() == "RecoverSharesForm1");
            auto* list = form->findChild<QTreeWidget*>(QStringLiteral("RecoverList1"));
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                offered << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(2);
            form->findChild<QPushButton*>(QStringLiteral("Ok1"))->click();
        });
        QVERIFY(next.open());
        QCOMPARE(offered, QStringList{"Work Work in progress"});
        QVERIFY(next.rows().contains("Work"));
        ShareInfo502 after;
        QCOMPARE(readBack(server, u"Work", after), status::Success);
        QVERIFY(holdsRecord(after, before)); // path, comment and limit
        QVERIFY(after.securityDescriptor == before.securityDescriptor);

        bool askedAgain = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* form = QApplication::activeModalWidget()) {
                askedAgain = true;
                form->close();
            }
        });
        QVERIFY(next.open());
        QCoreApplication::processEvents();
        QVERIFY(!askedAgain);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(ChildRole))
        return applyNewPath();
    JournalCrashIntegrationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "JournalCrashIntegrationTest.moc"
