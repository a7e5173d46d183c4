// Every walk that removes a share or changes its name or path: its journal entry is on disk
// before the removal goes out and is finished once the share is known to be there; with a
// journal that cannot be written nothing is sent.
#include "backup/ImportPlan.h"
#include "journal/ChangeJournal.h"
#include "maintenance/FindReplace.h"
#include "maintenance/ShareMenuHandlers.h"
#include "maintenance/ShareProperties.h"
#include "support/Fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvane;
using namespace corvane::test;
using fake::Call;

namespace {

enum class Walk { Delete, Hide, ApplyPath, ApplyRename, FindReplace, Import };

// Runs the walk on the share "work"; returns the error it showed or returned.
QString run(ServicesFixture& f, Walk walk) {
    ShareInfo502 work = *f.net.findShare(Server, u"work");
    ShareInfo502 moved = work;
    moved.path = u"D:\\Moved";
    ShareEdits edits{"work", "D:\\Moved", fromU16(work.remark), 7};
    switch (walk) {
    case Walk::Delete:
    case Walk::Hide: {
        f.load({"work"});
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        walk == Walk::Delete ? handlers.DeleteSelected1Click() : handlers.HideSelected1Click();
        return f.messages.texts_shown().join('\n');
    }
    case Walk::ApplyRename:
        edits = {"job", fromU16(work.path), fromU16(work.remark), 7};
        [[fallthrough]];
    case Walk::ApplyPath:
        return applyShareChanges(f.net, fromU16(Server), work, work, edits, std::nullopt,
                                 f.ctx.journal)
            .message;
    case Walk::FindReplace:
        return replaceInShare(f.net, Server, "work", SearchField::Name, "wo", "jo", f.ctx.journal)
            .errorText;
    case Walk::Import:
        return importShare(f.net, Server, ImportRow{ImportRow::State::Differs, moved, {}, {}, work},
                           true, f.ctx.journal)
            .errorText;
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Walk)

class JournalledWalksTest : public QObject {
    Q_OBJECT
private slots:
    void entryBeforeTheRemovalFinishedOnceThere_data() {
        QTest::addColumn<Walk>("walk");
        QTest::addColumn<int>("failedAdditions");
        QTest::addColumn<QStringList>("removals");
        QTest::addColumn<int>("leftOpen");
        const QStringList recorded{"work recorded"};
        QTest::newRow("delete") << Walk::Delete << 0 << recorded << 0;
        QTest::newRow("hide") << Walk::Hide << 0 << recorded << 0;
        QTest::newRow("hide, hidden share refused") << Walk::Hide << 1 << QStringList{} << 0;
        QTest::newRow("apply, new path") << Walk::ApplyPath << 0 << recorded << 0;
        QTest::newRow("apply, new path, share lost") << Walk::ApplyPath << 2 << recorded << 1;
        QTest::newRow("apply, new name") << Walk::ApplyRename << 0 << recorded << 0;
        QTest::newRow("find and replace") << Walk::FindReplace << 0 << recorded << 0;
        QTest::newRow("import, replace") << Walk::Import << 0 << recorded << 0;
    }
    void entryBeforeTheRemovalFinishedOnceThere() {
        QFETCH(Walk, walk);
        QFETCH(int, failedAdditions);
        QTemporaryDir dir;
        ChangeJournal journal(dir.path());
        ServicesFixture f;
        f.ctx.journal = &journal;
        f.addShare(u"work");
        for (int i = 0; i < failedAdditions; ++i)
            f.net.failNext(Call::Add, status::AccessDenied);
        QStringList removals;
        f.net.beforeCall = [&](Call call, const std::u16string& name) {
            const auto open =
                ChangeJournal(dir.path()).open("srv", QDateTime::currentDateTimeUtc());
            if (call == Call::Remove)
                removals << fromU16(name) + (open.unfinished.size() == 1 ? " recorded" : "");
        };
        run(f, walk);
        QTEST(removals, "removals");
        f.net.beforeCall = nullptr;
        QTEST(int(journal.open("SRV", QDateTime::currentDateTimeUtc()).unfinished.size()),
              "leftOpen");
    }

    void unwritableJournalSendsNothing_data() {
        QTest::addColumn<Walk>("walk");
        for (Walk w : {Walk::Delete, Walk::Hide, Walk::ApplyPath, Walk::ApplyRename,
                       Walk::FindReplace, Walk::Import})
            QTest::addRow("%d", int(w)) << w;
    }
    void unwritableJournalSendsNothing() {
        QFETCH(Walk, walk);
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        ChangeJournal journal(dir.filePath("file/journal"));
        ServicesFixture f;
        f.ctx.journal = &journal;
        f.addShare(u"work");
        const QString error = run(f, walk);
        QVERIFY2(error.contains("could not be recorded") && error.contains(journal.directory()),
                 qPrintable(error));
        for (Call c : {Call::Add, Call::Remove, Call::SetInfo})
            QCOMPARE(f.calls(c), QStringList());
        QVERIFY(f.hasShare(u"work"));
    }
};

QTEST_MAIN(JournalledWalksTest)
#include "JournalledWalksTest.moc"
