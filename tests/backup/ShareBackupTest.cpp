#include "backup/ShareBackup.h"
#include "backup/ImportPlan.h"
#include "backup/ShareExport.h"
#include "backup/ShareFile.h"
#include "support/Fixture.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvane;
using namespace corvane::test;
using State = ImportRow::State;

namespace {

// A descriptor whose list allows Everyone the given mask; 0 gives none at all.
std::vector<std::uint8_t> descriptor(std::uint32_t mask) {
    if (mask == 0)
        return {};
    auto acl = Acl::initialize(64, 2);
    acl->addAllowedAce(0, mask, *Sid::fromString("S-1-1-0"));
    return SecurityDescriptor::withDacl(*acl).toSelfRelative();
}

ExportedShare share(const QString& name, const QString& path, const QString& comment = {},
                    std::uint32_t limit = NoUserLimit, std::uint32_t mask = 0) {
    ExportedShare s;
    s.record.netname = toU16(name);
    s.record.path = toU16(path);
    s.record.remark = toU16(comment);
    s.record.maxUses = limit;
    s.record.securityDescriptor = descriptor(mask);
    return s;
}

class AnsweredFileDialogs : public FileDialogs {
public:
    QString fileName;
    QString saveFileName(QWidget*, const QString&) override { return fileName; }
    QString openFileName(QWidget*) override { return fileName; }
};

// A file holding one valid share, with `field` of that share (or of the file, for the first
// four) set to `value` as JSON text; an empty value removes the field.
QByteArray fileWith(const QString& field, const QString& value) {
    QMap<QString, QString> top{
        {"version", "1"}, {"computer", "\"SRV\""}, {"exported", "\"2026-12-07T11:00:00Z\""}};
    QMap<QString, QString> one{{"name", "\"Data\""},       {"type", "0"},
                               {"path", "\"D:\\\\Data\""}, {"comment", "\"\""},
                               {"maxUsers", "-1"},         {"securityDescriptor", "null"},
                               {"entries", "[]"}};
    QMap<QString, QString>& target = top.contains(field) ? top : one;
    if (value.isEmpty())
        target.remove(field);
    else
        target[field] = value;
    const auto object = [](const QMap<QString, QString>& fields) {
        QStringList parts;
        for (auto it = fields.begin(); it != fields.end(); ++it)
            parts << QLatin1Char('"') + it.key() + QStringLiteral("\": ") + it.value();
        return QLatin1Char('{') + parts.join(QStringLiteral(", "));
    };
    const QString shares = field == QStringLiteral("shares")
                               ? QString()
                               : QStringLiteral(", \"shares\": [") + object(one) + "}]";
    return (object(top) + shares + "}").toUtf8();
}

} // namespace

class ShareBackupTest : public QObject {
    Q_OBJECT
private slots:
    void exportTakesTheSelectionOrAllButThePlatformsOwn_data() {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("exported");
        QTest::newRow("none selected") << QStringList{} << QStringList{"Data", "Backup$", "Work"};
        QTest::newRow("selected one by one")
            << QStringList{"IPC$", "C$", "Work"} << QStringList{"IPC$", "C$", "Work"};
    }
    void exportTakesTheSelectionOrAllButThePlatformsOwn() {
        QFETCH(QStringList, selected);
        QFETCH(QStringList, exported);
        const QStringList listed{"ADMIN$", "C$", "Data", "IPC$", "Backup$", "d$", "Work"};
        QCOMPARE(sharesToExport(listed, selected), exported);
    }

    void fileReadsBackAsWritten() {
        ShareFile file;
        file.computer = QStringLiteral("SRV");
        file.exported = QDateTime(QDate(2026, 12, 7), QTime(11, 30, 5), Qt::UTC);
        file.shares.push_back(share(QString::fromUtf8("Donn\u00e9es"), "C:\\Donn\u00e9es",
                                    "\u00e9t\u00e9", 3, 0x101F01FF));
        file.shares.back().record.type = StypeDisktree | StypeSpecial;
        file.shares.back().entries = {
            {QStringLiteral("CORVANE2\\bob"), QStringLiteral("S-1-1-0"), QStringLiteral("Deny"),
             QStringLiteral("0x001301BF")},
            {std::nullopt, std::nullopt, QStringLiteral("0x05"), QStringLiteral("Read")}};
        file.shares.push_back(share("Open", "D:\\Projects"));             // no limit, no descriptor
        file.shares.push_back(share("Edge", "D:\\Edge", {}, 0xFFFFFFFE)); // largest values
        file.shares.back().record.type = 0xFFFFFFFF;
        const ShareFileReadResult read = readShareFile(writeShareFile(file));
        QVERIFY2(read.file, qPrintable(read.error));
        QCOMPARE(*read.file, file);
    }

    void malformedFilesAreRefusedBeforeAnyCall_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        const auto row = [](const char* name, const QByteArray& content, const QString& message) {
            QTest::newRow(name) << content << message;
        };
        row("empty", "", "The file is not JSON: illegal value at byte 0.");
        row("not JSON", "shares: Data", "The file is not JSON: illegal value at byte 1.");
        row("cut short", "{\"version\": 1, \"computer\": \"SRV\"",
            "The file is not JSON: unterminated string at byte 32.");
        row("a list, not an object", "[]", "The file does not hold a JSON object.");
        row("no version", fileWith("version", {}), "Field \"version\" is missing.");
        row("version as text", fileWith("version", "\"1\""),
            "Field \"version\" must be a whole number.");
        row("later version", fileWith("version", "2"),
            "Version 2 is not supported; this program reads version 1.");
        row("no computer", fileWith("computer", {}), "Field \"computer\" is missing.");
        row("time not ISO 8601", fileWith("exported", "\"yesterday\""),
            "Field \"exported\" is not a date and time in ISO 8601 form.");
        row("no share list", fileWith("shares", {}), "Field \"shares\" is missing.");
        row("share not an object", fileWith("version", "1").replace("[{", "[7, {"),
            "Share 1 is not an object.");
        row("name missing", fileWith("name", {}), "Share 1: field \"name\" is missing.");
        row("name a number", fileWith("name", "5"), "Share 1: field \"name\" must be a text.");
        row("name with a null character", fileWith("name", "\"Da\\u0000ta\""),
            "Share 1: field \"name\" holds a null character.");
        row("path with a lone surrogate", fileWith("path", "\"D:\\ud800\""),
            "Share 1 (Data): field \"path\" holds text that is not valid Unicode.");
        row("type negative", fileWith("type", "-1"),
            "Share 1 (Data): field \"type\" must be a whole number from 0 to 4294967295.");
        row("limit a fraction", fileWith("maxUsers", "2.5"),
            "Share 1 (Data): field \"maxUsers\" must be -1 (no limit) or a whole number from 0.");
        row("limit below -1", fileWith("maxUsers", "-2"),
            "Share 1 (Data): field \"maxUsers\" must be -1 (no limit) or a whole number from 0.");
        row("descriptor not base64", fileWith("securityDescriptor", "\"AQAE*A==\""),
            "Share 1 (Data): field \"securityDescriptor\" is not base64.");
        row("descriptor without its padding",
            fileWith("securityDescriptor", "\"AQAEgAAAAAAAAAAAAAAAAAAAAAA\""),
            "Share 1 (Data): field \"securityDescriptor\" is not base64.");
        row("descriptor cut short", fileWith("securityDescriptor", "\"AQAEgBQAAAA=\""),
            "Share 1 (Data): field \"securityDescriptor\" does not parse as a security "
            "descriptor.");
        row("entries not a list", fileWith("entries", "{}"),
            "Share 1 (Data): field \"entries\" must be a list.");
        row("entry SID malformed",
            fileWith("entries", "[{\"account\": null, \"sid\": \"S-1-x\", \"type\": \"Allow\", "
                                "\"access\": \"Read\"}]"),
            "Share 1 (Data), entry 1: field \"sid\" is not a SID.");
        row("over 64 MiB", QByteArray(), "The file is larger than 64 MiB.");
        row("a text over 1 MiB", fileWith("comment", '"' + QString(1024 * 1024 + 1, 'x') + '"'),
            "The text at byte 93 is longer than 1 MiB.");
        row("raw control character", fileWith("comment", "\"a\tb\""),
            "The text at byte 95 holds a control character that is not escaped.");
        row("too many shares",
            fileWith("version", "1").replace("[{", "[" + QByteArray("0, ").repeated(10000) + "{"),
            "The file holds 10001 shares; one file may hold at most 10000.");
    }
    void readerRefusesBytesOverItsLimit() { // as when a file grew after its size was checked
        const QByteArray bytes(MaxShareFileSize + 1, ' ');
        QCOMPARE(readShareFile(bytes).error, QStringLiteral("The file is larger than 64 MiB."));
    }
    void malformedFilesAreRefusedBeforeAnyCall() {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        AnsweredFileDialogs dialogs;
        dialogs.fileName = dir.filePath("shares.json");
        QFile file(dialogs.fileName);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (content.isNull())
            QVERIFY(file.resize(MaxShareFileSize + 1)); // sparse: nothing is allocated
        else
            QCOMPARE(file.write(content), content.size());
        file.close();

        ServicesFixture f;
        f.addShare(u"Data");
        ShareBackup backup(f.ctx, nullptr);
        backup.setFileDialogs(dialogs);
        bool previewShown = false;
        QTimer::singleShot(0, this, [&] {
            if (QWidget* preview = QApplication::activeModalWidget()) {
                previewShown = true;
                preview->close();
            }
        });
        backup.ImportShares1Click();
        QVERIFY(!previewShown);
        QCOMPARE(f.messages.texts_shown(),
                 QStringList{"Could not import " + dialogs.fileName + ":\n" + message});
        QCOMPARE(f.messages.shown.constFirst().title, QStringLiteral("ERROR"));
        QVERIFY(f.net.calls().empty());
    }

    void previewStates_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<quint32>("existingStatus");
        QTest::addColumn<QString>("existingPath");
        QTest::addColumn<QString>("existingComment");
        QTest::addColumn<quint32>("existingLimit");
        QTest::addColumn<quint32>("existingMask");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("sentPath");
        QTest::addColumn<quint32>("type");
        // The file's share: comment "c", limit 5, Everyone allowed 0x10000000.
        const auto row = [](const char* label, QString name, QString path, QString parent,
                            Status status, QString existingPath, QString existingComment,
                            quint32 existingLimit, quint32 existingMask, QString state,
                            QString sentPath, quint32 type = StypeDisktree) {
            QTest::newRow(label) << name << path << parent << quint32(status) << existingPath
                                 << existingComment << existingLimit << existingMask << state
                                 << sentPath << type;
        };
        const Status none = status::NetNameNotFound;
        const Status ok = status::Success;
        const QString p = "D:\\Old\\Data";
        row("new", "Data", p, "", none, "", "", 0, 0, "new", p);
        row("same", "Data", p, "", ok, p, "c", 5, 0x10000000, "same", p);
        row("same name in other case", "DATA", p, "", ok, p, "c", 5, 0x10000000, "same", p);
        row("path differs", "Data", p, "", ok, "D:\\New\\Data", "c", 5, 0x10000000, "differs: path",
            p);
        row("comment differs", "Data", p, "", ok, p, "C", 5, 0x10000000, "differs: comment", p);
        row("limit differs", "Data", p, "", ok, p, "c", NoUserLimit, 0x10000000, "differs: limit",
            p);
        row("permissions differ", "Data", p, "", ok, p, "c", 5, 0x80000000, "differs: permissions",
            p);
        row("no descriptor there", "Data", p, "", ok, p, "c", 5, 0, "differs: permissions", p);
        row("all differ", "Data", p, "", ok, "E:\\Data", "", 1, 0x80000000,
            "differs: path, comment, limit, permissions", p);
        row("re-rooted onto the same path", "Data", p, "E:\\Shares", ok, "E:\\Shares\\Data", "c", 5,
            0x10000000, "same", "E:\\Shares\\Data");
        row("re-rooted, parent with backslash", "Data", p, "E:\\Shares\\", none, "", "", 0, 0,
            "new", "E:\\Shares\\Data");
        row("re-rooting a drive root", "Data", "D:\\", "E:\\Shares", none, "", "", 0, 0,
            "invalid: the path D:\\ has no directory to put under the new parent",
            "E:\\Shares\\D:");
        row("IPC share not re-rooted", "IPC$", "", "E:\\Shares", ok, "", "c", 5, 0x10000000, "same",
            "", StypeIpc | StypeSpecial);
        row("imported path ending in ..", "Data", "X:\\data\\..", "", none, "", "", 0, 0,
            "invalid: the path X:\\data\\.. holds a \"..\" component, which names no directory "
            "of its own",
            "X:\\data\\..");
        row("parent with a slash", "Data", p, "E:/Shares", none, "", "", 0, 0,
            "invalid: the path E:/Shares holds a \"/\", which the server would read as a separator",
            p);
        row("no path", "Data", "", "", none, "", "", 0, 0, "invalid: no path", "");
        row("no name", "", p, "", none, "", "", 0, 0, "invalid: no name", p);
        row("name with a backslash", "Da\\ta", p, "", none, "", "", 0, 0,
            "invalid: the name holds a character share names cannot hold", p);
        row("name over 80 characters", QString(81, 'n'), p, "", none, "", "", 0, 0,
            "invalid: the name is longer than 80 characters", p);
        row("name of 80 characters", QString(80, 'n'), p, "", none, "", "", 0, 0, "new", p);
        row("name with a space", "Public Files", p, "", none, "", "", 0, 0, "new", p);
        row("name twice in the file", "first", p, "", none, "", "", 0, 0,
            "invalid: a share of this name comes earlier in the file", p);
        row("unreadable on the computer", "Data", p, "", status::AccessDenied, "", "", 0, 0,
            "invalid: the share could not be read on the computer (5)", p);
    }
    void previewStates() {
        QFETCH(QString, name);
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(quint32, existingStatus);
        QFETCH(QString, existingPath);
        QFETCH(QString, existingComment);
        QFETCH(quint32, existingLimit);
        QFETCH(quint32, existingMask);
        QFETCH(QString, state);
        QFETCH(QString, sentPath);
        QFETCH(quint32, type);
        ShareFile file;
        // A printer share before it, which "first" repeats in another letter case.
        file.shares.push_back(share("FIRST", ""));
        file.shares.back().record.type = StypePrintq;
        file.shares.push_back(share(name, path, "c", 5, 0x10000000));
        file.shares.back().record.type = type;
        std::vector<ExistingShare> existing(2);
        existing[1].status = existingStatus;
        existing[1].record =
            share("Data", existingPath, existingComment, existingLimit, existingMask).record;

        const std::vector<ImportRow> rows = planImport(file, parent, existing);
        QCOMPARE(rows.size(), std::size_t(2));
        QCOMPARE(stateText(rows[0]), QStringLiteral("new"));
        QCOMPARE(stateText(rows[1]), state);
        QCOMPARE(fromU16(rows[1].record.path), sentPath);
        QCOMPARE(tickedByDefault(rows[1]), state == "new" || state.startsWith("differs"));
    }

    void oneCancelEndsThePreviewRead() {
        ServicesFixture f;
        ShareFile file;
        file.shares = {share("A", "D:\\A"), share("B", "D:\\B")};
        f.net.failNext(fake::Call::GetInfo, status::Cancelled);
        std::vector<ExistingShare> existing;
        QCOMPARE(readExisting(f.net, Server, file, existing), status::Cancelled);
        QCOMPARE(f.calls(), QStringList{"GetInfo A!1223"});
    }

    // Replacing on a computer that keeps a share's path on a change, as Windows does. The
    // share there: path D:\Old, comment "comment of {name}", limit 7, a descriptor.
    void replacingChangesTheShareTheComputerHolds_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<bool>("descriptorInFile"); // the computer's; else none
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("report");
        const auto row = [](const char* label, QString fileName, QString path, QString comment,
                            bool descriptorInFile, QString state, QString report) {
            QTest::newRow(label) << fileName << path << comment << descriptorInFile << state
                                 << report;
        };
        const QString kept = "the file holds none; the computer's are kept.";
        row("name in other case", "DATA", "D:\\Old", "new", true, "differs: comment",
            "Data: Replaced.");
        row("new path", "Data", "D:\\New", "comment of Data", true, "differs: path",
            "Data: Replaced.");
        row("no descriptor in the file", "Data", "D:\\Old", "new", false,
            "differs: comment, permissions (none in the file)",
            "Data: Replaced, but not the permissions: " + kept);
        row("only the descriptor missing", "Data", "D:\\Old", "comment of Data", false,
            "differs: permissions (none in the file)",
            "Data: Not replaced: only the permissions differ, and " + kept);
    }
    void replacingChangesTheShareTheComputerHolds() {
        QFETCH(QString, fileName);
        QFETCH(QString, path);
        QFETCH(QString, comment);
        QFETCH(bool, descriptorInFile);
        QFETCH(QString, state);
        QFETCH(QString, report);
        ServicesFixture f;
        const ShareInfo502 before = f.addShare(u"Data", u"D:\\Old");
        ShareFile file;
        file.shares = {share(fileName, path, comment, 7)};
        if (descriptorInFile)
            file.shares[0].record.securityDescriptor = before.securityDescriptor;
        std::vector<ExistingShare> existing;
        QCOMPARE(readExisting(f.net, Server, file, existing), status::Success);
        const std::vector<ImportRow> rows = planImport(file, {}, existing);
        QCOMPARE(stateText(rows[0]), state);
        QCOMPARE(importShare(f.net, Server, rows[0], true).statusLine, report);
        const ShareInfo502 now = *f.net.findShare(Server, u"data");
        QCOMPARE(fromU16(now.netname), QStringLiteral("Data"));
        QCOMPARE(fromU16(now.path), path);
        QCOMPARE(fromU16(now.remark), comment);
        QVERIFY(now.securityDescriptor == before.securityDescriptor);
    }
};

QTEST_MAIN(ShareBackupTest)
#include "ShareBackupTest.moc"
