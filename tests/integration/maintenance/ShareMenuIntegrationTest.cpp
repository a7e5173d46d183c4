// Delete, hide and find and replace through the real main window against the test server.
#include "integration/WindowOnServer.h"
#include "maintenance/Messages.h"
#include "maintenance/TFindReplaceTextForm1.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace corvane;
using namespace corvane::integration;
using Answer = MessageBoxes::Answer;

namespace {

const QString HideQuestion =
    QStringLiteral("Are you sure you would like to hide the selected share(s)?");
const QString DeleteQuestion =
    QStringLiteral("Are you sure you would like to delete the selected share(s)?");

bool contains(const std::vector<std::u16string>& names, const QString& name) {
    return std::find(names.begin(), names.end(), name.toStdU16String()) != names.end();
}

QString daclText(const ShareInfo502& share) {
    const auto sd = SecurityDescriptor::parse(share.securityDescriptor);
    if (!sd)
        return QStringLiteral("no descriptor");
    switch (sd->daclState()) {
    case DaclState::Absent:
        return QStringLiteral("absent");
    case DaclState::Null:
        return QStringLiteral("null");
    case DaclState::Present:
        break;
    }
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(sd->dacl()->bytes().data()),
                                          static_cast<qsizetype>(sd->dacl()->bytes().size()))
                                   .toHex());
}

QString limitOf(const TestServer& server, const QString& share) {
    return QString::fromStdString(userLimit(server, share.toStdU16String()));
}

} // namespace

class ShareMenuIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { TestServer::primary().resetShares(); }

    void hideKeepsPathCommentLimitAndAccessList_data() {
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("limit");
        QTest::newRow("deny entry first, limit") << "Alpha"
                                                 << "5";
        QTest::newRow("non-ASCII name and comment") << QString::fromUtf8("Donn\u00e9es") << "3";
        QTest::newRow("empty access list") << "Locked"
                                           << "0";
        QTest::newRow("null access list") << "Open"
                                          << "0";
    }
    void hideKeepsPathCommentLimitAndAccessList() {
        QFETCH(QString, share);
        QFETCH(QString, limit);
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        const std::u16string name = share.toStdU16String();
        ShareInfo502 before;
        QCOMPARE(readBack(server, name, before), status::Success);
        QCOMPARE(limitOf(server, share), limit);

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select({share}));
        QVERIFY(w.trigger("HideSelected1"));
        QCOMPARE(w.messages.texts_shown(), QStringList{HideQuestion});
        QVERIFY(w.rows().contains(share + QLatin1Char('$')));
        QVERIFY(!w.rows().contains(share));

        ShareInfo502 hidden;
        QCOMPARE(readBack(server, name + u"$", hidden), status::Success);
        QCOMPARE(fromU16(hidden.netname), share + QLatin1Char('$'));
        QCOMPARE(fromU16(hidden.path), fromU16(before.path));
        QCOMPARE(fromU16(hidden.remark), fromU16(before.remark));
        QCOMPARE(hidden.type, before.type);
        QCOMPARE(daclText(hidden), daclText(before));
        QCOMPARE(hidden.maxUses, before.maxUses);
        QCOMPARE(limitOf(server, share + QLatin1Char('$')), limit);
        ShareInfo502 gone;
        QCOMPARE(readBack(server, name, gone), status::NetNameNotFound);
        QVERIFY(!contains(shareNames(server), share));
    }

    void deleteThreeSharesLeavesTheOthers() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        const QStringList doomed{"Work", "Archive", "Public"};
        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select(doomed));

        // No to the question touches nothing.
        w.messages.answers.enqueue(Answer::No);
        QVERIFY(w.trigger("DeleteSelected1"));
        auto names = shareNames(server);
        for (const QString& share : doomed)
            QVERIFY2(contains(names, share), qPrintable(share));

        QVERIFY(w.trigger("DeleteSelected1"));
        QCOMPARE(w.messages.texts_shown(), (QStringList{DeleteQuestion, DeleteQuestion}));
        names = shareNames(server);
        for (const QString& share : doomed) {
            QVERIFY2(!contains(names, share), qPrintable(share));
            QVERIFY2(!w.rows().contains(share), qPrintable(share));
        }
        for (const char* kept : {"C$", "D$", "Data", "Alpha", "Beta", "Backup$", "Open", "Locked",
                                 "Users", "Scratch"}) {
            QVERIFY2(contains(names, QLatin1String(kept)), kept);
            QVERIFY2(w.rows().contains(QLatin1String(kept)), kept);
        }
    }

    // Three shares move to the same directories elsewhere; a fourth has no match. On Samba they
    // move from the C tree of this server's sandbox to the other server's (both exist on this
    // machine), which Samba does in place; on Windows, which never moves a share in place, from
    // C:\Data to D:\Data, each share removed and added again.
    void findAndReplaceInThreePaths() {
        const TestServer& server = TestServer::primary();
        const TestServer& mirror = TestServer::secondary();
        const bool windows = server.windowsLike();
        const auto target = [&](const std::string& dir) {
            return fromU16(windows ? server.serverPath("D", dir) : mirror.serverPath("C", dir));
        };
        QVERIFY(server.resetShares());
        const QList<QPair<QString, std::string>> moved{
            {"Data", "Data"}, {"Alpha", "Data/Alpha"}, {"Beta", "Data/Beta"}};
        QMap<QString, ShareInfo502> before;
        QMap<QString, QString> limits;
        for (const auto& [share, dir] : moved) {
            QCOMPARE(readBack(server, share.toStdU16String(), before[share]), status::Success);
            QCOMPARE(fromU16(before[share].path), fromU16(server.serverPath("C", dir)));
            limits[share] = limitOf(server, share);
        }
        ShareInfo502 work;
        QCOMPARE(readBack(server, u"Work", work), status::Success);

        // Typed in other letter case: the match ignores it, the rest of the path is kept.
        const QString from =
            fromU16(windows ? server.serverPath("C", "Data") : server.serverPath("C"));
        const QString find = from.toLower();
        const QString replacement = windows ? target("Data") : target("");
        QVERIFY(find != from);

        const std::string hookLog =
            server.value("CORVANE_TEST_SERVER_DIR") + "/log/share-hooks.log";
        const auto deletions = [&hookLog] {
            std::string out;
            shell("grep -c \"^.*delete '\" " + quoted(hookLog) + " || true", &out);
            return out;
        };
        const std::string deletionsBefore = windows ? std::string() : deletions();

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select({"Data", "Alpha", "Beta", "Work"}));
        QStringList statusLines;
        bool dialogSeen = false;
        QTimer::singleShot(0, &w.form, [&] {
            TFindReplaceTextForm1* dialog = w.form.findReplaceTextForm();
            dialogSeen = dialog && dialog->isVisible();
            if (!dialog)
                return;
            dialog->findChild<QRadioButton*>("LocalPath1")->setChecked(true);
            dialog->findChild<QLineEdit*>("FindText1")->setText(find);
            dialog->findChild<QLineEdit*>("ReplaceText1")->setText(replacement);
            dialog->findChild<QPushButton*>("Ok1")->click();
            auto* list = dialog->findChild<QListWidget*>("StatusList1");
            for (int i = 0; i < list->count(); ++i)
                statusLines << list->item(i)->text();
            dialog->findChild<QPushButton*>("Close1")->click();
        });
        QVERIFY(w.trigger("FindReplaceText1"));
        QVERIFY(dialogSeen);
        QVERIFY(w.messages.shown.isEmpty());

        QStringList expectedLines{maintenance_text::notFoundLine("Work", find)};
        for (const auto& [share, dir] : moved)
            expectedLines << maintenance_text::replacedLine(share, fromU16(before[share].path),
                                                            target(dir));
        statusLines.sort();
        expectedLines.sort();
        QCOMPARE(statusLines, expectedLines);

        for (const auto& [share, dir] : moved) {
            ShareInfo502 after;
            QCOMPARE(readBack(server, share.toStdU16String(), after), status::Success);
            QCOMPARE(fromU16(after.path), target(dir));
            QCOMPARE(fromU16(after.remark), fromU16(before[share].remark));
            QCOMPARE(daclText(after), daclText(before[share]));
            QCOMPARE(after.maxUses, before[share].maxUses);
            QCOMPARE(limitOf(server, share), limits[share]);
            QVERIFY2(w.rows().contains(share), qPrintable(share));
        }
        ShareInfo502 workAfter;
        QCOMPARE(readBack(server, u"Work", workAfter), status::Success);
        QCOMPARE(fromU16(workAfter.path), fromU16(work.path));
        // Samba changed the paths in place: no share was ever taken off the server.
        if (!windows)
            QCOMPARE(deletions(), deletionsBefore);
    }

    // A path that does not exist: Samba refuses the change in place and nothing is removed;
    // Windows ignores the path of a change, so each share is removed, refused its addition and
    // restored. Either way each share stays as it was and the walk goes on.
    void findAndReplaceToAMissingDirectoryKeepsTheShares() {
        const TestServer& server = TestServer::primary();
        const QString ending = server.windowsLike()
                                   ? QStringLiteral(").\nThe original share has been restored.")
                                   : QStringLiteral(").\nContinue?");
        QVERIFY(server.resetShares());
        const QStringList shares{"Alpha", "Beta"};
        QMap<QString, ShareInfo502> before;
        QMap<QString, QString> limits;
        for (const QString& share : shares) {
            QCOMPARE(readBack(server, share.toStdU16String(), before[share]), status::Success);
            limits[share] = limitOf(server, share);
        }

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select(shares));
        QStringList statusLines;
        QTimer::singleShot(0, &w.form, [&] {
            TFindReplaceTextForm1* dialog = w.form.findReplaceTextForm();
            if (!dialog)
                return;
            dialog->findChild<QRadioButton*>("LocalPath1")->setChecked(true);
            dialog->findChild<QLineEdit*>("FindText1")->setText("\\Data\\");
            dialog->findChild<QLineEdit*>("ReplaceText1")->setText("\\NoSuchDirectory\\");
            dialog->findChild<QPushButton*>("Ok1")->click();
            auto* list = dialog->findChild<QListWidget*>("StatusList1");
            for (int i = 0; i < list->count(); ++i)
                statusLines << list->item(i)->text();
            dialog->findChild<QPushButton*>("Close1")->click();
        });
        QVERIFY(w.trigger("FindReplaceText1"));
        QVERIFY(statusLines.isEmpty());
        QCOMPARE(w.messages.shown.size(), 2); // Yes (the default answer) goes on
        for (const auto& box : w.messages.shown) {
            QVERIFY2(box.text.startsWith("Could not update share "), qPrintable(box.text));
            QVERIFY2(box.text.endsWith(ending), qPrintable(box.text));
        }

        for (const QString& share : shares) {
            ShareInfo502 after;
            QCOMPARE(readBack(server, share.toStdU16String(), after), status::Success);
            QCOMPARE(fromU16(after.path), fromU16(before[share].path));
            QCOMPARE(fromU16(after.remark), fromU16(before[share].remark));
            QCOMPARE(daclText(after), daclText(before[share]));
            QCOMPARE(limitOf(server, share), limits[share]);
            QVERIFY2(w.rows().contains(share), qPrintable(share));
        }
    }
};

QTEST_MAIN(ShareMenuIntegrationTest)
#include "ShareMenuIntegrationTest.moc"
