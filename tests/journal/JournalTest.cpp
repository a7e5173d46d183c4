#include "journal/ChangeJournal.h"
#include "journal/Recovery.h"
#include "platform/fake/FakeNetwork.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::journal;

Q_DECLARE_METATYPE(std::vector<corvane::journal::Entry>)

namespace {

const QDateTime Now = QDateTime(QDate(2026, 12, 7), QTime(20, 0), QTimeZone::utc());

Entry entry(const QString& id, const QString& server = "fs1", Walk walk = Walk::Apply,
            const std::u16string& name = u"work", const std::u16string& newName = u"work") {
    Entry e;
    e.id = id;
    e.begun = Now.addSecs(id.size());
    e.server = server;
    e.walk = walk;
    e.share.netname = name;
    e.share.path = u"C:\\Data\\" + name;
    e.share.remark = u"Ünïcode comment";
    e.share.permissions = 7;
    e.share.securityDescriptor = {1, 0, 4, 0x80, 0xFF};
    e.newName = newName;
    e.newPath = u"D:\\New";
    return e;
}
QByteArray begun(const char* id, const char* server = "fs1") {
    return encodeEntry(entry(QString::fromLatin1(id), QString::fromLatin1(server)));
}
QByteArray done(const char* id) {
    return encodeFinish(QString::fromLatin1(id), Now, "done");
}
QByteArray replaced(QByteArray line, const char* from, const char* to) {
    Q_ASSERT(line.contains(from));
    return line.replace(from, to);
}

// "id" per entry read, with " done" when it was finished.
QStringList summary(const std::vector<Entry>& entries) {
    QStringList out;
    for (const Entry& e : entries)
        out << e.id + (e.finished ? " done" : "");
    return out;
}

} // namespace

class JournalTest : public QObject {
    Q_OBJECT
private slots:
    void reader_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("unreadable");
        QTest::addColumn<bool>("torn");
        QTest::newRow("entries and a finish")
            << begun("a") + begun("b") + done("a") << QStringList{"a done", "b"} << 0 << false;
        QTest::newRow("torn last entry")
            << begun("a") + begun("b").left(60) << QStringList{"a"} << 1 << true;
        QTest::newRow("torn finish leaves the entry open")
            << begun("a") + done("a").left(20) << QStringList{"a"} << 1 << true;
        QTest::newRow("whole last line without its newline")
            << begun("a").chopped(1) << QStringList{"a"} << 0 << false;
        QTest::newRow("garbage between")
            << begun("a") + "{\"entry\":\n" + begun("b") << QStringList{"a", "b"} << 1 << false;
        QTest::newRow("unknown fields")
            << replaced(begun("a"), "{", "{\"later\":[1,{}],") << QStringList{"a"} << 0 << false;
        QTest::newRow("unknown share field")
            << replaced(begun("a"), "\"comment\"", "\"colour\":\"red\",\"comment\"")
            << QStringList{"a"} << 0 << false;
        QTest::newRow("two servers, names as typed")
            << begun("a") + begun("b", "fs2") + begun("c", "\\\\FS1 ") + done("b")
            << QStringList{"a", "c"} << 1 << false;
        QTest::newRow("an entry twice")
            << begun("a") + begun("a") << QStringList{"a"} << 1 << false;
        QTest::newRow("negative number")
            << replaced(begun("a"), "\"permissions\":7", "\"permissions\":-7") << QStringList{} << 1
            << false;
        QTest::newRow("fraction") << replaced(begun("a"), "\"permissions\":7",
                                              "\"permissions\":7.5")
                                  << QStringList{} << 1 << false;
        QTest::newRow("descriptor not base64")
            << replaced(begun("a"), "\"AQAEgP8=\"", "\"AQ!EgP8=\"") << QStringList{} << 1 << false;
        QTest::newRow("unknown walk")
            << replaced(begun("a"), "\"apply\"", "\"move\"") << QStringList{} << 1 << false;
        QTest::newRow("finish of an entry not read")
            << done("x") + begun("a") << QStringList{"a"} << 0 << false;
        QTest::newRow("line past the bound")
            << begun("a") + "\"" + QByteArray(MaxLineBytes, 'x') + "\"\n"
            << QStringList{"a"} << 1 << false;
    }
    void reader() {
        QFETCH(QByteArray, file);
        const ReadResult read = readJournal(file, "fs1");
        QTEST(summary(read.entries), "entries");
        QTEST(read.unreadableLines, "unreadable");
        QTEST(read.tornLastLine, "torn");
    }

    void entryKeepsTheWholeRecord() {
        Entry e = entry("a");
        e.share.maxUses = NoUserLimit;
        e.share.type = StypeDisktree | StypeSpecial;
        e.share.passwd = u"";
        const ReadResult read = readJournal(encodeEntry(e), "FS1");
        QCOMPARE(read.entries.size(), std::size_t(1));
        QVERIFY(read.entries[0].share == e.share);
        QVERIFY(read.entries[0].newName == e.newName && read.entries[0].newPath == e.newPath);
    }

    void fileNames_data() {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("file");
        QTest::newRow("address") << "127.0.0.34"
                                 << "127.0.0.34.jsonl";
        QTest::newRow("as typed") << " \\\\FileServer1"
                                  << "fileserver1.jsonl";
        QTest::newRow("separators") << "../etc/x"
                                    << "..%2Fetc%2Fx.jsonl";
        QTest::newRow("escape sign and colon") << "fe80::1%eth0"
                                               << "fe80%3A%3A1%25eth0.jsonl";
        QTest::newRow("not ASCII") << "Ü"
                                   << "%C3%BC.jsonl";
        QTest::newRow("empty") << ""
                               << "~e3b0c44298fc1c14.jsonl";
    }
    void fileNames() {
        QFETCH(QString, server);
        QTEST(journalFileName(server), "file");
    }

    void longNamesStayDistinctFileNames() {
        const QString a = journalFileName(QString(300, 'a') + "1");
        QVERIFY(a.toUtf8().size() <= 255);
        QVERIFY(a != journalFileName(QString(300, 'a') + "2"));
    }

    // Entries "f<days>" finished that many days ago, "u<days>" begun then and never finished.
    void pruning_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("capEntries");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("age") << QStringList{"f31", "f29", "u400"} << 10
                             << QStringList{"f29", "u400"};
        QTest::newRow("cap takes the oldest finished")
            << QStringList{"u9", "f2", "f5", "f1", "u1"} << 2 << QStringList{"u9", "f1", "u1"};
        QTest::newRow("open entries stay past the cap")
            << QStringList{"u3", "f1", "u2"} << 0 << QStringList{"u3", "u2"};
    }
    void pruning() {
        QFETCH(QStringList, entries);
        QFETCH(int, capEntries);
        std::vector<Entry> all;
        for (const QString& name : entries) {
            Entry e = entry(name);
            e.beginLine = QByteArray(100, 'x');
            if (name.startsWith('f')) {
                e.finished = Now.addDays(-name.mid(1).toInt());
                e.finishLine = QByteArray(100, 'y');
            }
            all.push_back(e);
        }
        QStringList kept;
        for (const Entry& e : prune(all, Now, FinishedKeptDays, capEntries * 200))
            kept << e.id;
        QTEST(kept, "kept");
    }

    void recoveryPlan_data() {
        QTest::addColumn<std::vector<Entry>>("unfinished");
        QTest::addColumn<QStringList>("settled");
        QTest::addColumn<QStringList>("offered");
        // The server lists "Work" and "hidden$".
        const auto e = [](const char* id, Walk walk, const char16_t* name, const char16_t* to) {
            return entry(QString::fromLatin1(id), "fs1", walk, name, to);
        };
        QTest::newRow("there as it was, in other case")
            << std::vector{e("a", Walk::Apply, u"work", u"work")} << QStringList{"a"}
            << QStringList{};
        QTest::newRow("there as intended") << std::vector{e("a", Walk::Hide, u"hidden", u"hidden$")}
                                           << QStringList{"a"} << QStringList{};
        QTest::newRow("missing under both names")
            << std::vector{e("a", Walk::FindReplace, u"data", u"data2")} << QStringList{}
            << QStringList{"a"};
        QTest::newRow("deleted on purpose") << std::vector{e("a", Walk::Delete, u"data", u"data")}
                                            << QStringList{"a"} << QStringList{};
        QTest::newRow("newest of one share, the older settled with it")
            << std::vector{e("a", Walk::Import, u"DATA", u"DATA"),
                           e("bb", Walk::Apply, u"data", u"data"),
                           e("ccc", Walk::Hide, u"x", u"x$")}
            << QStringList{} << QStringList{"bb+a", "ccc"};
    }
    void recoveryPlan() {
        QFETCH(std::vector<Entry>, unfinished);
        const RecoveryPlan plan = planRecovery(unfinished, {u"Work", u"hidden$"});
        QTEST(QStringList(plan.settled.begin(), plan.settled.end()), "settled");
        QStringList offered;
        for (const Offer& o : plan.offers)
            offered << (QStringList{o.entry.id} +
                        QStringList(o.alsoSettles.begin(), o.alsoSettles.end()))
                           .join('+');
        QTEST(offered, "offered");
    }

    void entriesOnDiskPerServerUntilFinished() {
        QTemporaryDir dir;
        ChangeJournal journal(dir.path() + "/new/journal");
        const auto a = journal.begin("FS1", Walk::Apply, entry("").share, u"work", u"D:\\x");
        const auto b = journal.begin("fs2", Walk::Hide, entry("").share, u"work$", u"D:\\x");
        QVERIFY(a.ok() && b.ok());
        QVERIFY(journal.finish("fs2", b.id, "done").isEmpty());
        QCOMPARE(summary(journal.open("\\\\fs1", Now).unfinished), QStringList{a.id});
        QVERIFY(journal.open("fs2", Now).unfinished.empty());
    }

    void unwritableJournalRefusesTheEntry() {
        QTemporaryDir dir;
        QFile blocker(dir.filePath("file"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        ChangeJournal journal(dir.filePath("file/journal"));
        const auto began = journal.begin("fs1", Walk::Apply, entry("").share, u"w", u"D:\\x");
        QVERIFY(!began.ok());
        QVERIFY(began.error.contains(dir.filePath("file/journal")));
    }

    void tornLineIsNotedOnceAndAppendsStayWhole() {
        QTemporaryDir dir;
        ChangeJournal journal(dir.path());
        QFile file(journal.pathFor("fs1"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(begun("a") + begun("b").left(30));
        file.close();
        QVERIFY(journal.begin("fs1", Walk::Apply, entry("").share, u"w", u"D:\\x").ok());
        const auto opened = journal.open("fs1", Now);
        QCOMPARE(opened.notes.size(), 1);
        QCOMPARE(opened.unfinished.size(), std::size_t(2));
        QVERIFY(journal.open("fs1", Now).notes.isEmpty());
    }

    void fullJournalDropsFinishedEntriesThenRefuses() {
        QTemporaryDir dir;
        const auto share = entry("").share;
        ChangeJournal measure(dir.filePath("measure"));
        QVERIFY(measure.begin("fs1", Walk::Apply, share, u"work", u"D:\\x").ok());
        ChangeJournal journal(dir.path(), QFileInfo(measure.pathFor("fs1")).size() * 7 / 2);
        for (int i = 0; i < 5; ++i) {
            const auto began = journal.begin("fs1", Walk::Apply, share, u"work", u"D:\\x");
            QVERIFY(began.ok());
            QVERIFY(journal.finish("fs1", began.id, "done").isEmpty());
        }
        int open = 0;
        while (journal.begin("fs1", Walk::Apply, share, u"work", u"D:\\x").ok())
            ++open;
        QCOMPARE(open, 3);
        QCOMPARE(journal.open("fs1", Now).unfinished.size(), std::size_t(3));
    }

    void cancelOrAFailedRestoreKeepsTheOfferAShareFoundSettlesIt() {
        QTemporaryDir dir;
        ChangeJournal journal(dir.path());
        QVERIFY(journal.begin("SRV", Walk::Apply, entry("").share, u"work", u"D:\\x").ok());
        fake::FakeNetwork net;
        test::ScriptedMessageBoxes messages;
        const auto answer = [](const char* button) {
            QTimer::singleShot(0, [button] {
                auto* form = QApplication::activeModalWidget();
                QVERIFY(form && form->objectName() == "RecoverSharesForm1");
                QCOMPARE(form->findChild<QTreeWidget*>("RecoverList1")->topLevelItemCount(), 1);
                form->findChild<QPushButton*>(button)->click();
            });
        };
        answer("Cancel1");
        QCOMPARE(recoverAtOpen(journal, net, messages, nullptr, "SRV", {}).restored, 0);
        net.failNext(fake::Call::Add, status::AccessDenied);
        answer("Ok1");
        QCOMPARE(recoverAtOpen(journal, net, messages, nullptr, "SRV", {}).restored, 0);
        QCOMPARE(messages.texts_shown(),
                 QStringList{"Could not restore share work(5).\nIt stays in the change journal "
                             "for the next open.\nContinue?"});
        QCOMPARE(journal.open("SRV", Now).unfinished.size(), std::size_t(1));
        // Made again by someone else meanwhile: there, so settled without a word.
        net.addShare(u"SRV", entry("").share);
        answer("Ok1");
        QCOMPARE(recoverAtOpen(journal, net, messages, nullptr, "SRV", {}).restored, 0);
        QCOMPARE(messages.shown.size(), 1);
        QVERIFY(journal.open("SRV", Now).unfinished.empty());
    }
};

QTEST_MAIN(JournalTest)
#include "JournalTest.moc"
