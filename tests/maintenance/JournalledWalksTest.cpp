// Each walk that removes shares: the journal entry is on disk before the removal, finished once
// the share is known to be there; an unwritable journal stops the walk before any call.
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

enum class Walk { Delete, Hide, ApplyPath, FindReplace, Import };

// Runs the walk on the share "work"; returns the error it showed or returned.
QString run(ServicesFixture& f, Walk walk) {
    ShareInfo502 work = *f.net.findShare(Server, u"work");
    const ShareEdits edits{"work", "D:\\Moved", fromU16(work.remark), 7};
    const ShareInfo502 moved = editedRecord(work, edits, std::nullopt);
    switch (walk) {
    case Walk::Delete:
    case Walk::Hide: {
        f.load({"work"});
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        walk == Walk::Delete ? handlers.DeleteSelected1Click() : handlers.HideSelected1Click();
        return f.messages.texts_shown().join('\n');
    }
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
    void entryBeforeEachRemovalFinishedOnceThere_data() {
        QTest::addColumn<Walk>("walk");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<int>("failedAdditions");
        QTest::addColumn<QStringList>("removals");
        QTest::addColumn<int>("leftOpen");
        const QStringList recorded{"work recorded"};
        QTest::newRow("delete") << Walk::Delete << true << 0 << recorded << 0;
        QTest::newRow("hide") << Walk::Hide << true << 0 << recorded << 0;
        QTest::newRow("apply, new path") << Walk::ApplyPath << true << 0 << recorded << 0;
        QTest::newRow("apply, share lost") << Walk::ApplyPath << true << 2 << recorded << 1;
        QTest::newRow("find and replace") << Walk::FindReplace << true << 0 << recorded << 0;
        QTest::newRow("import, replace") << Walk::Import << true << 0 << recorded << 0;
        for (Walk w : {Walk::Delete, Walk::Hide, Walk::ApplyPath, Walk::FindReplace, Walk::Import})
            QTest::addRow("%d, unwritable", int(w)) << w << false << 0 << QStringList{} << 0;
    }
    void entryBeforeEachRemovalFinishedOnceThere() {
        QFETCH(Walk, walk);
        QFETCH(bool, writable);
        QFETCH(int, failedAdditions);
        QTemporaryDir dir;
        QFile(dir.filePath("file")).open(QIODevice::WriteOnly);
        ChangeJournal journal(writable ? dir.path() : dir.filePath("file/journal"));
        ServicesFixture f;
        f.ctx.journal = &journal;
        f.addShare(u"work");
        for (int i = 0; i < failedAdditions; ++i)
            f.net.failNext(Call::Add, status::AccessDenied);
        QStringList removals;
        const auto unfinished = [&] {
            return ChangeJournal(journal.directory())
                .open("srv", QDateTime::currentDateTimeUtc())
                .unfinished.size();
        };
        f.net.beforeCall = [&](Call call, const std::u16string& name) {
            if (call == Call::Remove)
                removals << fromU16(name) + (unfinished() == 1 ? " recorded" : "");
        };
        const QString error = run(f, walk);
        QTEST(removals, "removals");
        QTEST(int(unfinished()), "leftOpen");
        // Nothing reaches the server without its record, and the message says why.
        QCOMPARE(error.contains(journal.directory()), !writable);
        if (!writable)
            QCOMPARE(f.calls(Call::Add) + f.calls(Call::SetInfo), QStringList());
    }
};

QTEST_MAIN(JournalledWalksTest)
#include "JournalledWalksTest.moc"
