// The program killed (SIGKILL) between a share's removal and its addition, then started again
// with the same data folder: the next open offers the share back and restores it.
#include "integration/WindowOnServer.h"
#include "journal/ChangeJournal.h"

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

// The window as the program makes it, its journal in $XDG_DATA_HOME.
struct Program {
    ChangeJournal journal{ChangeJournal::defaultDirectory()};
    WindowOnServer w;
    Program() { w.form.setChangeJournal(&journal); }
};

// The program that is killed: Apply of a new path to Work, which a server that cannot move a
// share in place takes as a removal and an addition.
int applyNewPath() {
    Program p;
    if (!p.w.open() || !p.w.select({"Work"}))
        return 2;
    auto* sheet = p.w.form.findChild<QWidget*>(QStringLiteral("TabSheet1"));
    sheet->findChild<QLineEdit*>(QStringLiteral("LocalPath1"))
        ->setText(fromU16(p.w.server.serverPath("D", "Scratch")));
    sheet->findChild<QPushButton*>(QStringLiteral("Apply1"))->click();
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
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(ChildRole), QStringLiteral("1"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        child.setProcessEnvironment(env);
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

        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        Program next;
        QStringList offered;
        QTimer::singleShot(0, [&] {
            QWidget* form = QApplication::activeModalWidget();
            QVERIFY(form && form->objectName() == "RecoverSharesForm1");
            auto* list = form->findChild<QTreeWidget*>(QStringLiteral("RecoverList1"));
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                offered << list->topLevelItem(i)->text(0) + " " + list->topLevelItem(i)->text(2);
            form->findChild<QPushButton*>(QStringLiteral("Ok1"))->click();
        });
        QVERIFY(next.w.open());
        QCOMPARE(offered, QStringList{"Work Work in progress"});
        QVERIFY(next.w.rows().contains("Work"));
        ShareInfo502 after;
        QCOMPARE(readBack(server, u"Work", after), status::Success);
        QCOMPARE(fromU16(after.path), fromU16(before.path));
        QCOMPARE(fromU16(after.remark), fromU16(before.remark));
        QVERIFY(after.securityDescriptor == before.securityDescriptor);
        QCOMPARE(userLimit(server, u"Work"), std::string("25"));

        bool askedAgain = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* form = QApplication::activeModalWidget()) {
                askedAgain = true;
                form->close();
            }
        });
        QVERIFY(next.w.open());
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
