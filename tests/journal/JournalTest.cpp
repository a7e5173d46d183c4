#include "journal/ChangeJournal.h"
#include "journal/Recovery.h"
#include "platform/fake/FakeNetwork.h"
#include "support/ScriptedMessageBoxes.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QTreeWidget>

using namespace corvane;
using namespace corvane::journal;

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
    e.share.permissions = 7;
    e.share.securityDescriptor = {1, 0, 4, 0x80, 0xFF};
    e.newName = newName;
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
        QTest::newRow("two servers, names as typed")
            << begun("a") + begun("b", "fs2") + begun("c", "\\\\FS1 ") + done("b")
            << QStringList{"a", "c"} << 1 << false;
        QTest::newRow("negative number")
            << replaced(begun("a"), "\"permissions\":7", "\"permissions\":-7") << QStringList{} << 1
            << false;
        QTest::newRow("fraction") << replaced(begun("a"), "\"permissions\":7",
                                              "\"permissions\":7.5")
                                  << QStringList{} << 1 << false;
        QTest::newRow("descriptor not base64")
            << replaced(begun("a"), "\"AQAEgP8=\"", "\"AQ!EgP8=\"") << QStringList{} << 1 << false;
        QTest::newRow("line past the bound")
            << begun("a") + "\"" + QByteArray(MaxLineBytes, 'x') + "\"\n"
            << QStringList{"a"} << 1 << false;
    }
    void reader() {
        QFETCH(QByteArray, file);
        const ReadResult read = readJournal(file, "fs1");
        QStringList entries; // "id", with " done" when it was finished
        for (const Entry& e : read.entries)
            entries << e.id + (e.finished ? " done" : "");
        QTEST(entries, "entries");
        QTEST(read.unreadableLines, "unreadable");
        QTEST(read.tornLastLine, "torn");
    }

    void fileNames_data() {
        QTest::addColumn<QStringList>("serverAndFile");
        QTest::newRow("as typed") << QStringList{" \\\\FileServer1", "fileserver1.jsonl"};
        QTest::newRow("separators") << QStringList{"../etc/x", "..%2Fetc%2Fx.jsonl"};
        QTest::newRow("sign and colon") << QStringList{"fe80::1%eth0", "fe80%3A%3A1%25eth0.jsonl"};
        QTest::newRow("not ASCII") << QStringList{"Ü", "%C3%BC.jsonl"};
        QTest::newRow("empty") << QStringList{"", "~e3b0c44298fc1c14.jsonl"};
    }
    void fileNames() {
        QFETCH(QStringList, serverAndFile);
        QCOMPARE(journalFileName(serverAndFile[0]), serverAndFile[1]);
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

    // Entries as "id walk name new-name"; the server lists "Work" and "hidden$".
    void recoveryPlan_data() {
        QTest::addColumn<QStringList>("unfinished");
        QTest::addColumn<QStringList>("settled");
        QTest::addColumn<QStringList>("offered");
        const QStringList none;
        QTest::newRow("there as it was, in other case")
            << QStringList{"a apply work work"} << QStringList{"a"} << none;
        QTest::newRow("there as intended")
            << QStringList{"a hide hidden hidden$"} << QStringList{"a"} << none;
        QTest::newRow("missing under both names")
            << QStringList{"a apply data data2"} << none << QStringList{"a"};
        QTest::newRow("deleted on purpose")
            << QStringList{"a delete data data"} << QStringList{"a"} << none;
        QTest::newRow("newest of one share, the older settled with it")
            << QStringList{"a apply DATA DATA", "bb apply data data", "ccc hide x x$"} << none
            << QStringList{"bb+a", "ccc"};
    }
    void recoveryPlan() {
        QFETCH(QStringList, unfinished);
        std::vector<Entry> entries;
        for (const QString& row : unfinished) {
            const QStringList f = row.split(' ');
            entries.push_back(entry(f[0], "fs1", f[1] == "delete" ? Walk::Delete : Walk::Apply,
                                    f[2].toStdU16String(), f[3].toStdU16String()));
        }
        const RecoveryPlan plan = planRecovery(entries, {u"Work", u"hidden$"});
        QTEST(QStringList(plan.settled.begin(), plan.settled.end()), "settled");
        QStringList offered;
        for (const Offer& o : plan.offers)
            offered << (QStringList{o.entry.id} +
                        QStringList(o.alsoSettles.begin(), o.alsoSettles.end()))
                           .join('+');
        QTEST(offered, "offered");
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
        // Room for three entries and a half (their ids are longer than "x").
        ChangeJournal journal(dir.path(), begun("x").size() * 7 / 2);
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

    void cancelOrAFailedRestoreKeepsTheOffer() {
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
    }
};

QTEST_MAIN(JournalTest)
#include "JournalTest.moc"
