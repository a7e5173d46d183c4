// Re-creating one share under a new name, path or letter case, with the server failing or
// dying at each step: where the share ends up and what the caller is told.
#include "shares/RecreateShare.h"
#include "platform/fake/FakeNetwork.h"

#include <QTest>

#include <set>

using namespace corvane;
using fake::Call;
using Outcome = RecreateResult::Outcome;

Q_DECLARE_METATYPE(Outcome)

namespace {

const std::u16string Server = u"SRV";

struct Step {
    Call call;
    Status result;
    bool happens = false; // the call takes effect, and only its answer is lost
    int skip = 0;         // matching calls that go through first
};

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class RecreateShareTest : public QObject {
    Q_OBJECT
private slots:
    void outcomes_data() {
        QTest::addColumn<bool>("inPlace"); // the server changes paths in place (Samba)
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QString>("newPath");
        QTest::addColumn<QList<Step>>("faults");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<Status>("status");
        QTest::addColumn<QString>("shares"); // name=path of what the server holds after

        const QString oldPath = "C:\\Old", newPath = "C:\\New";
        const auto row = [](const char* name) -> QTestData& { return QTest::newRow(name); };
        row("new path, changed in place") << true << "Data" << newPath << QList<Step>{}
                                          << Outcome::Done << status::Success << "Data=C:\\New";
        row("new path, server keeps paths: removed and added")
            << false << "Data" << newPath << QList<Step>{} << Outcome::Done << status::Success
            << "Data=C:\\New";
        row("change in place refused")
            << true << "Data" << newPath << QList<Step>{{Call::SetInfo, status::AccessDenied}}
            << Outcome::ChangeFailed << status::AccessDenied << "Data=C:\\Old";
        row("server dies before the read-back")
            << true << "Data" << newPath
            << QList<Step>{{Call::GetInfo, status::SemaphoreTimeout},
                           {Call::GetInfo, status::SemaphoreTimeout}}
            << Outcome::ChangeFailed << status::SemaphoreTimeout << "Data=C:\\New";
        row("path change unanswered, not taken: read back, removed and added")
            << false << "Data" << newPath << QList<Step>{{Call::SetInfo, status::SemaphoreTimeout}}
            << Outcome::Done << status::Success << "Data=C:\\New";
        row("path change cancelled, not taken")
            << false << "Data" << newPath << QList<Step>{{Call::SetInfo, status::Cancelled}}
            << Outcome::Untouched << status::Cancelled << "Data=C:\\Old";
        row("removal refused") << false << "Data" << newPath
                               << QList<Step>{{Call::Remove, status::AccessDenied}}
                               << Outcome::Untouched << status::AccessDenied << "Data=C:\\Old";
        row("addition refused: restored")
            << false << "Data" << newPath << QList<Step>{{Call::Add, status::PathNotFound}}
            << Outcome::AdditionFailedRestored << status::PathNotFound << "Data=C:\\Old";
        row("addition and restoring fail: lost")
            << false << "Data" << newPath
            << QList<Step>{{Call::Add, status::PathNotFound}, {Call::Add, status::AccessDenied}}
            << Outcome::AdditionFailedLost << status::PathNotFound << "";
        row("removal unanswered, not done: read back and sent again")
            << false << "Data" << newPath << QList<Step>{{Call::Remove, status::SemaphoreTimeout}}
            << Outcome::Done << status::Success << "Data=C:\\New";
        row("removal unanswered but done: added")
            << false << "Data" << newPath
            << QList<Step>{{Call::Remove, status::SemaphoreTimeout, true}} << Outcome::Done
            << status::Success << "Data=C:\\New";
        row("addition unanswered but done: read back")
            << false << "Data" << newPath << QList<Step>{{Call::Add, status::NetNameDeleted, true}}
            << Outcome::Done << status::Success << "Data=C:\\New";
        row("removal unanswered but done, server gone")
            << false << "Data" << newPath
            << QList<Step>{{Call::Remove, status::SemaphoreTimeout, true},
                           {Call::GetInfo, status::SemaphoreTimeout, false, 1},
                           {Call::Add, status::SemaphoreTimeout},
                           {Call::GetInfo, status::SemaphoreTimeout}}
            << Outcome::Unanswered << status::SemaphoreTimeout << "";
        row("letter case only") << true << "DATA" << oldPath << QList<Step>{} << Outcome::Done
                                << status::Success << "DATA=C:\\Old";
        row("rename: added first") << true << "Files" << oldPath << QList<Step>{} << Outcome::Done
                                   << status::Success << "Files=C:\\Old";
        row("rename refused") << true << "Files" << oldPath
                              << QList<Step>{{Call::Add, status::DuplicateShare}}
                              << Outcome::Untouched << status::DuplicateShare << "Data=C:\\Old";
        row("rename, old name's removal unanswered")
            << true << "Files" << oldPath
            << QList<Step>{{Call::Remove, status::SemaphoreTimeout},
                           {Call::GetInfo, status::SemaphoreTimeout}}
            << Outcome::BothNames << status::SemaphoreTimeout << "Data=C:\\Old Files=C:\\Old";
        row("rename, addition unanswered but done")
            << true << "Files" << oldPath << QList<Step>{{Call::Add, status::NetNameDeleted, true}}
            << Outcome::Done << status::Success << "Files=C:\\Old";
        row("rename, addition unanswered")
            << true << "Files" << oldPath
            << QList<Step>{{Call::Add, status::SemaphoreTimeout},
                           {Call::GetInfo, status::SemaphoreTimeout}}
            << Outcome::NewNameUnanswered << status::SemaphoreTimeout << "Data=C:\\Old";
    }

    void outcomes() {
        QFETCH(bool, inPlace);
        QFETCH(QString, newName);
        QFETCH(QString, newPath);
        QFETCH(QList<Step>, faults);
        QFETCH(Outcome, outcome);
        QFETCH(Status, status);
        QFETCH(QString, shares);

        fake::FakeNetwork net;
        net.computer(Server).pathChangesInPlace = inPlace;
        const ShareInfo502 original = net.addDiskShare(Server, u"Data", u"C:\\Old", u"comment");
        for (const Step& step : faults)
            net.failNext(step.call, step.result, {}, step.skip);
        ShareInfo502 record = original;
        record.netname = newName.toStdU16String();
        record.path = newPath.toStdU16String();
        // A removal or addition the server carries out before its answer is lost.
        std::set<Call> happening;
        for (const Step& step : faults)
            if (step.happens)
                happening.insert(step.call);
        net.beforeCall = [&](Call call, const std::u16string& name) {
            if (!happening.erase(call))
                return;
            auto& held = net.computer(Server).shares;
            if (call == Call::Remove)
                std::erase_if(held, [&](const ShareInfo502& s) { return s.netname == name; });
            else
                held.push_back(record);
        };

        const RecreateResult result = RecreateShare(net, Server, u"Data", record, original);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.status, status);

        QStringList held;
        for (const ShareInfo502& s : net.computer(Server).shares) {
            held << QString::fromStdU16String(s.netname) + "=" + QString::fromStdU16String(s.path);
            QCOMPARE(QString::fromStdU16String(s.remark), QStringLiteral("comment"));
        }
        held.sort();
        QCOMPARE(held.join(' '), shares);
        // Where the server changes paths in place, a new path never takes the share away.
        if (inPlace && newName == "Data")
            QVERIFY(net.callsOf(Call::Remove).empty());
    }

    // A new path with a new comment: the path moves first, then the rest is set in place; a
    // refusal of that second change is no success.
    void pathAndCommentTogether_data() {
        QTest::addColumn<bool>("secondRefused");
        QTest::newRow("both set") << false;
        QTest::newRow("second change refused") << true;
    }
    void pathAndCommentTogether() {
        QFETCH(bool, secondRefused);
        fake::FakeNetwork net;
        net.computer(Server).pathChangesInPlace = true;
        const ShareInfo502 original = net.addDiskShare(Server, u"Data", u"C:\\Old", u"comment");
        if (secondRefused)
            net.failNext(Call::SetInfo, status::AccessDenied, {}, 1);
        ShareInfo502 record = original;
        record.path = u"C:\\New";
        record.remark = u"new comment";
        const RecreateResult result = RecreateShare(net, Server, u"Data", record, original);
        QCOMPARE(result.outcome, secondRefused ? Outcome::ChangeFailed : Outcome::Done);
        QCOMPARE(net.findShare(Server, u"Data")->remark,
                 secondRefused ? original.remark : record.remark);
    }

    void pathsCompare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("letter case") << "C:\\Data"
                                     << "c:\\DATA" << true;
        QTest::newRow("separators") << "C:\\srv/data"
                                    << "C:/srv\\data" << true;
        QTest::newRow("trailing") << "C:\\Data\\"
                                  << "C:\\Data" << true;
        QTest::newRow("other directory") << "C:\\Data"
                                         << "C:\\Data2" << false;
        QTest::newRow("other drive") << "C:\\Data"
                                     << "D:\\Data" << false;
    }
    void pathsCompare() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(samePath(a.toStdU16String(), b.toStdU16String()), same);
    }
};

QTEST_MAIN(RecreateShareTest)
#include "RecreateShareTest.moc"
