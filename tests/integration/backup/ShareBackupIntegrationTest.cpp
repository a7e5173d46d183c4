// Export and import of share definitions through the real main window on the test servers.
#include "backup/ShareBackup.h"
#include "backup/ShareFile.h"
#include "integration/WindowOnServer.h"
#include "maintenance/TFindReplaceTextForm1.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace corvane;
using namespace corvane::integration;

namespace {

class AnsweredFileDialogs : public FileDialogs {
public:
    QString fileName;
    QString saveFileName(QWidget*, const QString&) override { return fileName; }
    QString openFileName(QWidget*) override { return fileName; }
};

// What an import's preview showed and what its run wrote.
struct ImportRun {
    QStringList states; // "share: state"
    QStringList statusLines;
    bool replaceOffAtFirst = false;
};

// Imports `fileName` into the window's computer: shows the preview, types `newParent`, sets
// "Replace existing shares", presses Ok and closes the dialog.
ImportRun importFile(WindowOnServer& w, AnsweredFileDialogs& dialogs, const QString& newParent,
                     bool replace) {
    ImportRun run;
    QTimer::singleShot(0, &w.form, [&] {
        auto* preview = w.form.findChild<QDialog*>("ImportSharesForm1");
        if (!preview)
            return;
        auto* replaceExisting = preview->findChild<QCheckBox*>("ReplaceExisting1");
        run.replaceOffAtFirst = !replaceExisting->isChecked();
        preview->findChild<QLineEdit*>("ImportNewParentDir1")->setText(newParent);
        replaceExisting->setChecked(replace);
        auto* list = preview->findChild<QTreeWidget*>("ImportList1");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            run.states << list->topLevelItem(i)->text(0) + ": " + list->topLevelItem(i)->text(1);
        preview->findChild<QPushButton*>("Ok1")->click();
        auto* status = preview->findChild<QListWidget*>("ImportStatusList1");
        for (int i = 0; i < status->count(); ++i)
            run.statusLines << status->item(i)->text();
        preview->findChild<QPushButton*>("Cancel1")->click();
    });
    w.form.findChild<ShareBackup*>("ShareBackup")->setFileDialogs(dialogs);
    if (!w.trigger("ImportShares1"))
        run.states << "ImportShares1 disabled";
    return run;
}

} // namespace

class ShareBackupIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() {
        TestServer::primary().resetShares();
        TestServer::secondary().resetShares();
    }

    // Alpha has a deny entry and a limit; Gamma is added here with a limit and a null list.
    // They are created on the other server under its own C:\...\Data, as they were.
    void exportedSharesAreCreatedOnTheOtherServer() {
        const TestServer& source = TestServer::primary();
        const TestServer& target = TestServer::secondary();
        QVERIFY(source.resetShares());
        QVERIFY(target.resetShares());
        // One backend for both servers, as the administrator is the same on each.
        Session session(source);
        {
            ShareInfo502 gamma;
            gamma.netname = u"Gamma";
            gamma.path = source.serverPath("C", "Data/Beta");
            gamma.remark = u"Third share";
            gamma.maxUses = 2;
            gamma.securityDescriptor = SecurityDescriptor::withNullDacl().toSelfRelative();
            QCOMPARE(session.network.add(source.address(), gamma), status::Success);
        }
        const QList<QPair<QString, std::string>> shares{
            {"Alpha", "Data/Alpha"}, {"Beta", "Data/Beta"}, {"Gamma", "Data/Beta"}};
        QMap<QString, ShareInfo502> before;
        QMap<QString, std::string> limits;
        for (const auto& [share, dir] : shares) {
            QCOMPARE(readBack(source, share.toStdU16String(), before[share]), status::Success);
            limits[share] = userLimit(source, share.toStdU16String());
        }
        QCOMPARE(limits["Alpha"], std::string("5"));
        QCOMPARE(limits["Gamma"], std::string("2"));

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        AnsweredFileDialogs dialogs;
        dialogs.fileName = dir.filePath("shares.json");
        {
            WindowOnServer w(source);
            QVERIFY(w.open());
            QVERIFY(w.select({"Alpha", "Beta", "Gamma"}));
            w.form.findChild<ShareBackup*>("ShareBackup")->setFileDialogs(dialogs);
            QVERIFY(w.trigger("ExportShares1"));
            QCOMPARE(w.messages.texts_shown(), QStringList());
        }
        {
            // The readable entries name the accounts as the server resolves them.
            QFile exported(dialogs.fileName);
            QVERIFY(exported.open(QIODevice::ReadOnly));
            const ShareFileReadResult read = readShareFile(exported.readAll());
            QVERIFY2(read.file, qPrintable(read.error));
            QCOMPARE(read.file->shares.size(), std::size_t(3));
            const auto alpha =
                std::find_if(read.file->shares.begin(), read.file->shares.end(),
                             [](const ExportedShare& s) { return s.record.netname == u"Alpha"; });
            QVERIFY(alpha != read.file->shares.end());
            const ReadableEntry first = alpha->entries.value(0);
            QCOMPARE(first.account.value_or("none"),
                     fromU16(source.netbiosName() + u"\\" + source.user2()));
            QCOMPARE(first.type, QStringLiteral("Deny"));
        }
        for (const char16_t* name : {u"Alpha", u"Beta"})
            QCOMPARE(session.network.remove(target.address(), name), status::Success);

        // The other server in a window on the same backend.
        WindowOnServer w(source);
        w.form.findChild<QLineEdit*>("Computer1")->setText(fromU16(target.address()));
        w.form.OpenComputer1Click();
        QCOMPARE(w.form.state().computerName, fromU16(target.address()));
        const ImportRun run =
            importFile(w, dialogs, fromU16(target.serverPath("C", "Data")), false);
        QCOMPARE(run.states, (QStringList{"Alpha: new", "Beta: new", "Gamma: new"}));
        QCOMPARE(run.statusLines,
                 (QStringList{"Alpha: Created.", "Beta: Created.", "Gamma: Created."}));
        QCOMPARE(w.messages.texts_shown(), QStringList());
        for (const auto& [share, path] : shares) {
            ShareInfo502 after;
            QCOMPARE(readBack(target, share.toStdU16String(), after), status::Success);
            QCOMPARE(fromU16(after.path), fromU16(target.serverPath("C", path)));
            QCOMPARE(fromU16(after.remark), fromU16(before[share].remark));
            QCOMPARE(after.securityDescriptor, before[share].securityDescriptor);
            QCOMPARE(userLimit(target, share.toStdU16String()), limits[share]);
            QVERIFY2(w.rows().contains(share), qPrintable(share));
        }
    }

    // Export, a find and replace that moves two shares, then the import with replacing on: both
    // are back as they were, and nothing else is touched.
    void importWithReplacingUndoesFindAndReplace() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        const QStringList moved{"Alpha", "Beta"};
        QMap<QString, ShareInfo502> before;
        QMap<QString, std::string> limits;
        for (const QString& share : moved) {
            QCOMPARE(readBack(server, share.toStdU16String(), before[share]), status::Success);
            limits[share] = userLimit(server, share.toStdU16String());
        }

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        AnsweredFileDialogs dialogs;
        dialogs.fileName = dir.filePath("before.json");
        WindowOnServer w(server);
        QVERIFY(w.open());
        w.shares()->clearSelection();
        w.form.findChild<ShareBackup*>("ShareBackup")->setFileDialogs(dialogs);
        QVERIFY(w.trigger("ExportShares1"));

        QVERIFY(w.select(moved));
        QTimer::singleShot(0, &w.form, [&] {
            TFindReplaceTextForm1* dialog = w.form.findReplaceTextForm();
            dialog->findChild<QRadioButton*>("LocalPath1")->setChecked(true);
            // Samba's sandboxes differ in their C roots; Windows' C:\Data has a twin D:\Data.
            const bool windows = server.windowsLike();
            dialog->findChild<QLineEdit*>("FindText1")
                ->setText(fromU16(server.serverPath("C", windows ? "Data" : "")));
            dialog->findChild<QLineEdit*>("ReplaceText1")
                ->setText(fromU16(windows ? server.serverPath("D", "Data")
                                          : TestServer::secondary().serverPath("C")));
            dialog->findChild<QPushButton*>("Ok1")->click();
            dialog->findChild<QPushButton*>("Close1")->click();
        });
        QVERIFY(w.trigger("FindReplaceText1"));
        ShareInfo502 movedAlpha;
        QCOMPARE(readBack(server, u"Alpha", movedAlpha), status::Success);
        QVERIFY(movedAlpha.path != before["Alpha"].path);

        const ImportRun run = importFile(w, dialogs, QString(), true);
        QVERIFY(run.replaceOffAtFirst);
        QVERIFY2(run.states.contains("Alpha: differs: path"), qPrintable(run.states.join('\n')));
        QVERIFY2(run.states.contains("Public: same"), qPrintable(run.states.join('\n')));
        QVERIFY2(!run.states.join('\n').contains("C$"), qPrintable(run.states.join('\n')));
        QCOMPARE(run.statusLines, (QStringList{"Alpha: Replaced.", "Beta: Replaced."}));
        QCOMPARE(w.messages.texts_shown(), QStringList());
        for (const QString& share : moved) {
            ShareInfo502 after;
            QCOMPARE(readBack(server, share.toStdU16String(), after), status::Success);
            QCOMPARE(fromU16(after.path), fromU16(before[share].path));
            QCOMPARE(fromU16(after.remark), fromU16(before[share].remark));
            QCOMPARE(after.securityDescriptor, before[share].securityDescriptor);
            QCOMPARE(userLimit(server, share.toStdU16String()), limits[share]);
        }
    }
};

QTEST_MAIN(ShareBackupIntegrationTest)
#include "ShareBackupIntegrationTest.moc"
