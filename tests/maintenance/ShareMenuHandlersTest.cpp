#include "maintenance/ShareMenuHandlers.h"
#include "support/Fixture.h"
#include "ui/SelectionWalk.h"

#include <QAction>
#include <QApplication>
#include <QTest>

using namespace corvane;
using namespace corvane::test;
using fake::Call;
using Answer = MessageBoxes::Answer;

Q_DECLARE_METATYPE(corvane::fake::Call)

namespace {

enum class Operation { Delete, Hide };

void run(ShareMenuHandlers& handlers, Operation op) {
    if (op == Operation::Delete)
        handlers.DeleteSelected1Click();
    else
        handlers.HideSelected1Click();
}

} // namespace

Q_DECLARE_METATYPE(Operation)

class ShareMenuHandlersTest : public QObject {
    Q_OBJECT
private slots:
    void menuEnabling_data() {
        QTest::addColumn<QStringList>("shares");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<bool>("deleteAndHide");
        QTest::addColumn<bool>("findReplace");
        const QStringList three{"alpha", "beta", "gamma"};
        QTest::newRow("empty list") << QStringList{} << QStringList{} << false << false;
        QTest::newRow("nothing selected") << three << QStringList{} << false << false;
        QTest::newRow("one selected") << three << QStringList{"beta"} << true << false;
        QTest::newRow("two selected") << three << QStringList{"alpha", "gamma"} << true << true;
        QTest::newRow("all selected") << three << three << true << true;
    }
    void menuEnabling() {
        QFETCH(QStringList, shares);
        QFETCH(QStringList, selected);
        QFETCH(bool, deleteAndHide);
        QFETCH(bool, findReplace);
        ServicesFixture f;
        for (const QString& s : shares)
            f.addShare(toU16(s));
        f.load(selected);
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        // Start from the opposite state, so each item is seen to be set.
        QAction del, hide, find;
        del.setEnabled(!deleteAndHide);
        hide.setEnabled(!deleteAndHide);
        find.setEnabled(!findReplace);
        handlers.SharesMenu1Popup(&del, &hide, &find);
        QCOMPARE(del.isEnabled(), deleteAndHide);
        QCOMPARE(hide.isEnabled(), deleteAndHide);
        QCOMPARE(find.isEnabled(), findReplace);
        QVERIFY(f.calls().isEmpty());
    }

    void selectionWalkFollowsPresentOrder() {
        QTreeWidget list;
        list.setSelectionMode(QAbstractItemView::MultiSelection);
        for (const char* name : {"delta", "alpha", "charlie", "bravo"})
            list.addTopLevelItem(new QTreeWidgetItem(QStringList{QString::fromLatin1(name)}));
        // Selected in another order than they stand.
        list.topLevelItem(3)->setSelected(true);
        list.topLevelItem(0)->setSelected(true);
        list.topLevelItem(2)->setSelected(true);
        QCOMPARE(selectedShareNames(&list), (QStringList{"delta", "charlie", "bravo"}));
        list.sortItems(0, Qt::AscendingOrder);
        QCOMPARE(selectedShareNames(&list), (QStringList{"bravo", "charlie", "delta"}));
        QVERIFY(selectedShareNames(nullptr).isEmpty());
    }

    void noToConfirmationChangesNothing_data() {
        QTest::addColumn<Operation>("op");
        QTest::addColumn<QString>("question");
        QTest::newRow("delete") << Operation::Delete
                                << "Are you sure you would like to delete the selected share(s)?";
        QTest::newRow("hide") << Operation::Hide
                              << "Are you sure you would like to hide the selected share(s)?";
    }
    void noToConfirmationChangesNothing() {
        QFETCH(Operation, op);
        QFETCH(QString, question);
        ServicesFixture f;
        f.addShare(u"data");
        f.addShare(u"docs");
        f.load({"data", "docs"});
        f.messages.answers.enqueue(Answer::No);
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        run(handlers, op);
        QCOMPARE(f.messages.shown.size(), 1);
        const auto& box = f.messages.shown.first();
        QCOMPARE(box.title, QString());
        QCOMPARE(box.text, question);
        QCOMPARE(box.icon, MessageBoxes::Icon::Question);
        QCOMPARE(box.buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(f.calls(), QStringList{});
        QCOMPARE(selectedShareNames(&f.list), (QStringList{"data", "docs"}));
        QVERIFY(!QApplication::overrideCursor());
    }

    void hideAddsHiddenCopyBeforeRemoving() {
        ServicesFixture f;
        const ShareInfo502 original = f.addShare(u"data", u"D:\\Data");
        f.addShare(u"other");
        f.load({"data"});
        bool busyDuringWalk = false;
        f.net.beforeCall = [&](Call call, const std::u16string&) {
            if (call == Call::GetInfo)
                busyDuringWalk = QApplication::overrideCursor() &&
                                 QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        };
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        handlers.HideSelected1Click();

        QCOMPARE(f.calls(), (QStringList{"GetInfo data", "Add data$", "Remove data", "Enumerate"}));
        const auto adds = f.net.callsOf(Call::Add);
        ShareInfo502 expected = original;
        expected.netname = u"data$";
        QCOMPARE(*adds.at(0).info, expected);
        QVERIFY(!f.hasShare(u"data"));
        QCOMPARE(f.rows(), (QStringList{"data$", "other"}));
        QCOMPARE(f.messages.shown.size(), 1); // only the confirmation
        QVERIFY(busyDuringWalk);
        QVERIFY(!QApplication::overrideCursor());
    }

    void hideSkipsSharesAlreadyHidden() {
        ServicesFixture f;
        const ShareInfo502 hidden = f.addShare(u"admin$");
        f.addShare(u"pub");
        f.load({"admin$", "pub"});
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        handlers.HideSelected1Click();
        QCOMPARE(f.calls(), (QStringList{"GetInfo admin$", "GetInfo pub", "Add pub$", "Remove pub",
                                         "Enumerate"}));
        QCOMPARE(*f.net.findShare(Server, u"admin$"), hidden);
        QCOMPARE(f.rows(), (QStringList{"admin$", "pub$"}));
    }

    void hideWhenHiddenNameTakenLeavesShareAndGoesOn() {
        ServicesFixture f;
        f.addShare(u"data");
        f.addShare(u"data$");
        f.addShare(u"pub");
        f.load({"data", "pub"});
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        handlers.HideSelected1Click(); // confirmation and the error box: Yes
        QCOMPARE(f.calls(), (QStringList{"GetInfo data", "Add data$!2118", "GetInfo pub",
                                         "Add pub$", "Remove pub", "Enumerate"}));
        QCOMPARE(f.messages.texts_shown().at(1),
                 QString("Could not create hidden share data$(2118).\nContinue?"));
        QCOMPARE(f.messages.shown.at(1).title, QString("ERROR"));
        QCOMPARE(f.messages.shown.at(1).icon, MessageBoxes::Icon::Error);
        QCOMPARE(f.messages.shown.at(1).buttons, MessageBoxes::Buttons::YesNo);
        QVERIFY(f.hasShare(u"data"));
        QCOMPARE(f.rows(), (QStringList{"data", "data$", "pub$"}));
    }

    void deleteGoesOnAfterYes() {
        ServicesFixture f;
        for (auto name : {u"one", u"three", u"two", u"zkeep"})
            f.addShare(name);
        f.load({"one", "three", "two"});
        f.net.failNext(Call::Remove, status::AccessDenied, u"one");
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        handlers.DeleteSelected1Click();
        QCOMPARE(f.calls(),
                 (QStringList{"Remove one!5", "Remove three", "Remove two", "Enumerate"}));
        QCOMPARE(f.messages.texts_shown(),
                 (QStringList{"Are you sure you would like to delete the selected share(s)?",
                              "Could not remove old share one(5).\nContinue?"}));
        QCOMPARE(f.rows(), (QStringList{"one", "zkeep"}));
    }

    // Yes in an error box goes on with the next share.
    void hideYesAfterAnErrorGoesOn_data() {
        QTest::addColumn<Call>("failing");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("fetch fails, share left as it is")
            << Call::GetInfo
            << QStringList{"GetInfo data!5", "GetInfo pub", "Add pub$", "Remove pub", "Enumerate"}
            << "A system error has occured (5) while\nrequesting information about the share."
            << QStringList{"data", "pub$"};
        QTest::newRow("removal fails, both names kept")
            << Call::Remove
            << QStringList{"GetInfo data", "Add data$",  "Remove data!5", "GetInfo pub",
                           "Add pub$",     "Remove pub", "Enumerate"}
            << "Could not remove old share data(5).\nContinue?"
            << QStringList{"data", "data$", "pub$"};
    }
    void hideYesAfterAnErrorGoesOn() {
        QFETCH(Call, failing);
        QFETCH(QStringList, expectedCalls);
        QFETCH(QString, error);
        QFETCH(QStringList, rows);
        ServicesFixture f;
        f.addShare(u"data");
        f.addShare(u"pub");
        f.load({"data", "pub"});
        f.net.failNext(failing, status::AccessDenied, u"data");
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        handlers.HideSelected1Click();
        QCOMPARE(f.calls(), expectedCalls);
        QCOMPARE(f.messages.texts_shown().at(1), error);
        QCOMPARE(f.rows(), rows);
    }

    // No in any error box stops at once: later shares untouched, no reload, normal cursor.
    void noStopsTheWalk_data() {
        QTest::addColumn<Operation>("op");
        QTest::addColumn<Call>("failing");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<QString>("error");
        QTest::newRow("delete, removal")
            << Operation::Delete << Call::Remove << QStringList{"Remove alpha", "Remove beta!5"}
            << "Could not remove old share beta(5).\nContinue?";
        QTest::newRow("hide, fetch")
            << Operation::Hide << Call::GetInfo
            << QStringList{"GetInfo alpha", "Add alpha$", "Remove alpha", "GetInfo beta!5"}
            << "A system error has occured (5) while\nrequesting information about the share.";
        QTest::newRow("hide, addition")
            << Operation::Hide << Call::Add
            << QStringList{"GetInfo alpha", "Add alpha$", "Remove alpha", "GetInfo beta",
                           "Add beta$!5"}
            << "Could not create hidden share beta$(5).\nContinue?";
        QTest::newRow("hide, removal")
            << Operation::Hide << Call::Remove
            << QStringList{"GetInfo alpha", "Add alpha$", "Remove alpha",
                           "GetInfo beta",  "Add beta$",  "Remove beta!5"}
            << "Could not remove old share beta(5).\nContinue?";
    }
    void noStopsTheWalk() {
        QFETCH(Operation, op);
        QFETCH(Call, failing);
        QFETCH(QStringList, expectedCalls);
        QFETCH(QString, error);
        ServicesFixture f;
        for (auto name : {u"alpha", u"beta", u"gamma"})
            f.addShare(name);
        f.load({"alpha", "beta", "gamma"});
        const std::u16string failingName = failing == Call::Add ? u"beta$" : u"beta";
        f.net.failNext(failing, status::AccessDenied, failingName);
        f.messages.answers << Answer::Yes << Answer::No;
        ShareMenuHandlers handlers(f.ctx, nullptr, nullptr);
        run(handlers, op);
        QCOMPARE(f.calls(), expectedCalls);
        QCOMPARE(f.messages.shown.size(), 2);
        QCOMPARE(f.messages.shown.at(1).text, error);
        QCOMPARE(f.messages.shown.at(1).title, QString("ERROR"));
        QCOMPARE(f.messages.shown.at(1).buttons, MessageBoxes::Buttons::YesNo);
        // Not reloaded: the list still shows the old names, selection and all.
        QCOMPARE(f.rows(), (QStringList{"alpha", "beta", "gamma"}));
        QCOMPARE(selectedShareNames(&f.list), (QStringList{"alpha", "beta", "gamma"}));
        QVERIFY(!QApplication::overrideCursor());
        QVERIFY(f.hasShare(u"gamma"));
    }
};

QTEST_MAIN(ShareMenuHandlersTest)
#include "ShareMenuHandlersTest.moc"
