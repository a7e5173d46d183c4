#include "AclText.h"
#include "security/AclBuilding.h"
#include "security/PermissionEditor.h"
#include "security/TSecurityForm1.h"
#include "shares/SharedState.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

using namespace corvane;
using namespace corvane::test;

namespace {

struct Dialog {
    fake::FakeNetwork net;
    ScriptedMessageBoxes messages;
    ImageList images;
    SharedState state;
    TSecurityForm1 form{net, messages, images};

    Dialog() {
        addTestAccounts(net, u"SRV");
        form.setComputerName(QStringLiteral("SRV"));
        state.newShareAcl = everyoneFullControlAcl();
    }
    QTreeWidget* list() const { return form.findChild<QTreeWidget*>("UsersList1"); }

    // Runs the dialog as the Security button does; `whileShown` acts on the shown dialog and
    // must close it.
    void run(std::function<void()> whileShown) {
        bool ran = false;
        QTimer::singleShot(0, &form, [&] {
            QVERIFY(form.isVisible());
            whileShown();
            ran = true;
            if (form.isVisible()) // a failed check inside must not leave the dialog up
                form.close();
        });
        runSecurityDialog(form, state.newShareAcl);
        QVERIFY(ran);
        QVERIFY(!form.isVisible());
    }
};

} // namespace

class SecurityDialogTest : public QObject {
    Q_OBJECT
private slots:
    void formProperties();
    void closedAtOnceLeavesTheListAsItWas_data();
    void closedAtOnceLeavesTheListAsItWas();
    void addThenCloseBoxKeepsTheEntry();
    void addOfAPresentUserIsRefused();
    void rebuildHandsBackTheNewList();
    void editsAccumulateFromRunToRun();
    void lastUserRemovableOnlyWhenTheRuleSaysSo();
    void missingListStartsFromTheDefault();
};

void SecurityDialogTest::formProperties() {
    Dialog d;
    QCOMPARE(d.form.objectName(), QStringLiteral("SecurityForm1"));
    QCOMPARE(d.form.minimumSize(), d.form.maximumSize());
    const Qt::WindowFlags flags = d.form.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QVERIFY(d.form.findChild<QPushButton*>("Ok1"));
    QVERIFY(d.form.findChild<QPushButton*>("Add1"));
    QVERIFY(d.form.findChild<QPushButton*>("Remove1"));
    QVERIFY(d.list());
    // The dialog recognises the generic masks only: the file rights' full mask ticks nothing.
    d.form.SetAcl(*aclFrom({"A:alice:1f01ff"}));
    d.list()->setCurrentItem(d.list()->topLevelItem(0));
    for (const char* name : {"AllowFullControl1", "AllowChange1", "AllowRead1", "DenyFullControl1",
                             "DenyChange1", "DenyRead1"}) {
        const auto* box = d.form.findChild<QCheckBox*>(name);
        QVERIFY2(box, name);
        QVERIFY2(!box->isChecked(), name);
    }
}

void SecurityDialogTest::closedAtOnceLeavesTheListAsItWas_data() {
    QTest::addColumn<QString>("closing");
    QTest::newRow("Ok") << "Ok";
    QTest::newRow("close box") << "close box";
    // The dialog has no default button: Enter presses nothing.
    QTest::newRow("Enter, then close box") << "Enter";
}

void SecurityDialogTest::closedAtOnceLeavesTheListAsItWas() {
    QFETCH(QString, closing);
    Dialog d;
    d.state.newShareAcl = aclFrom({"D:carol:80000000", "A:alice:10000000"});
    const Acl before = *d.state.newShareAcl;
    d.run([&] {
        QCOMPARE(d.list()->topLevelItemCount(), 2);
        if (closing == "Enter") {
            QTest::keyClick(&d.form, Qt::Key_Return);
            QVERIFY(d.messages.prompts.isEmpty());
            QVERIFY(d.form.isVisible());
        }
        if (closing == "Ok")
            d.form.findChild<QPushButton*>("Ok1")->click();
        else
            d.form.close();
    });
    QVERIFY(d.state.newShareAcl);
    QCOMPARE(d.state.newShareAcl->bytes(), before.bytes());
}

void SecurityDialogTest::addThenCloseBoxKeepsTheEntry() {
    Dialog d;
    d.messages.texts.enqueue(QStringLiteral("bob"));
    d.run([&] {
        d.form.findChild<QPushButton*>("Add1")->click();
        QCOMPARE(d.list()->topLevelItem(1)->text(0), QStringLiteral("bob (SRV\\bob)"));
        d.form.close();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl),
             (QStringList{"A:bob:10000000", "A:everyone:10000000"}));
}

void SecurityDialogTest::addOfAPresentUserIsRefused() {
    Dialog d;
    d.messages.texts.enqueue(QStringLiteral("eVeRyOnE"));
    d.run([&] {
        d.form.findChild<QPushButton*>("Add1")->click();
        QCOMPARE(d.messages.texts_shown(), QStringList{"Username is already present!"});
        QCOMPARE(d.messages.shown[0].title, QStringLiteral("ERROR"));
        QCOMPARE(d.list()->topLevelItemCount(), 1);
        d.form.close();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl), QStringList{"A:everyone:10000000"});
}

void SecurityDialogTest::rebuildHandsBackTheNewList() {
    Dialog d;
    d.run([&] {
        d.list()->setCurrentItem(d.list()->topLevelItem(0));
        d.form.findChild<QCheckBox*>("DenyRead1")->setChecked(true);
        d.form.findChild<QPushButton*>("Ok1")->click();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl), QStringList{"D:everyone:80000000"});
    QCOMPARE(entriesOf(d.form.GetAcl()), QStringList{"D:everyone:80000000"});
    // The rebuilt list is exactly sized.
    QCOMPARE(d.state.newShareAcl->sizeInfo().bytesFree, 0u);
}

void SecurityDialogTest::editsAccumulateFromRunToRun() {
    Dialog d;
    d.messages.texts.enqueue(QStringLiteral("alice"));
    d.run([&] {
        d.form.findChild<QPushButton*>("Add1")->click();
        d.form.close();
    });
    d.messages.texts.enqueue(QStringLiteral("staff"));
    d.run([&] {
        QCOMPARE(d.list()->topLevelItemCount(), 2);
        QCOMPARE(d.list()->topLevelItem(0)->text(0), QStringLiteral("alice (SRV\\alice)"));
        d.form.findChild<QPushButton*>("Add1")->click();
        d.form.close();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl),
             (QStringList{"A:staff:10000000", "A:alice:10000000", "A:everyone:10000000"}));
}

void SecurityDialogTest::lastUserRemovableOnlyWhenTheRuleSaysSo() {
    Dialog d;
    bool removable = false;
    d.form.setLastUserRemovable([&] { return removable; });
    d.run([&] {
        d.list()->setCurrentItem(d.list()->topLevelItem(0));
        d.form.findChild<QPushButton*>("Remove1")->click();
        QCOMPARE(d.messages.texts_shown(), QStringList{"At least one user MUST exist!"});
        removable = true;
        d.form.findChild<QPushButton*>("Remove1")->click();
        QCOMPARE(d.list()->topLevelItemCount(), 0);
        d.form.close();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl), QStringList{});
    QCOMPARE(d.state.newShareAcl->aceCount(), 0);
}

void SecurityDialogTest::missingListStartsFromTheDefault() {
    Dialog d;
    d.state.newShareAcl.reset();
    d.run([&] {
        QCOMPARE(d.list()->topLevelItemCount(), 1);
        QCOMPARE(d.list()->topLevelItem(0)->text(0), QStringLiteral("Everyone"));
        d.form.close();
    });
    QCOMPARE(entriesOf(d.state.newShareAcl), QStringList{"A:everyone:10000000"});
}

QTEST_MAIN(SecurityDialogTest)
#include "SecurityDialogTest.moc"
