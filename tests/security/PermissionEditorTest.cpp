#include "security/PermissionEditor.h"
#include "AclText.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TreeTexts.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace corvane;
using namespace corvane::test;

namespace {

const char* const BoxNames[] = {"AllowFullControl1", "AllowChange1", "AllowRead1",
                                "DenyFullControl1",  "DenyChange1",  "DenyRead1"};

enum class Form { MainWindow, Dialog };

PermissionEditor::Options optionsFor(Form form) {
    PermissionEditor::Options o;
    o.fileSpecificMasks = form == Form::MainWindow;
    o.addedCaptionWithDomain = form == Form::Dialog;
    o.noListMeansFullControl = form == Form::MainWindow;
    return o;
}

struct Editor {
    fake::FakeNetwork net;
    ScriptedMessageBoxes messages;
    ImageList images;
    std::optional<Acl> acl;
    std::unique_ptr<PermissionEditor> editor;

    explicit Editor(Form form, const QStringList& entries = {}) {
        addTestAccounts(net, u"SRV");
        if (!entries.isEmpty())
            acl = aclFrom(entries);
        editor = std::make_unique<PermissionEditor>(net, messages, images, optionsFor(form));
        editor->bindAcl(&acl);
        editor->setComputerName(QStringLiteral("SRV"));
        editor->fillFromAcl();
    }
    QTreeWidget* list() const { return editor->findChild<QTreeWidget*>("UsersList1"); }
    QCheckBox* box(const char* name) const { return editor->findChild<QCheckBox*>(name); }
    void select(int row) const { list()->setCurrentItem(list()->topLevelItem(row)); }
    QString boxes() const {
        QString out;
        for (const char* name : BoxNames)
            out += box(name)->isChecked() ? '1' : '0';
        return out;
    }
    QStringList captions() const { return columnTexts(list()); }
    QList<int> images_() const {
        QList<int> out;
        for (int i = 0; i < list()->topLevelItemCount(); ++i)
            out << itemImage(list()->topLevelItem(i));
        return out;
    }
    void clickAdd() const { editor->findChild<QPushButton*>("Add1")->click(); }
    void clickRemove() const { editor->findChild<QPushButton*>("Remove1")->click(); }
};

} // namespace

class PermissionEditorTest : public QObject {
    Q_OBJECT
private slots:
    void panelStartsDisabled();
    void deselectingClearsAndDisablesThePanel();
    void rowRuleCaptionsImagesAndSids();
    void addAppendsAnAllowedFullControlEntry_data();
    void addAppendsAnAllowedFullControlEntry();
    void addRefusals_data();
    void addRefusals();
    void addKeepsTheSelectedEntryDesignated();
    void addWithoutAListBuildsOne();
    void remove_data();
    void remove();
    void removeOfARowWhoseEntryIsGone();
    void replacementOfALoadedList_data();
    void replacementOfALoadedList();
    void inertRowEnablesNothingAndIsNotRemoved();
};

void PermissionEditorTest::panelStartsDisabled() {
    Editor e(Form::MainWindow);
    QCOMPARE(e.editor->findChild<QFrame*>("Permissions1")->isEnabled(), false);
    QCOMPARE(e.list()->selectionMode(), QAbstractItemView::SingleSelection);
}

void PermissionEditorTest::deselectingClearsAndDisablesThePanel() {
    Editor e(Form::Dialog, {"A:alice:10000000", "D:bob:40000000"});
    e.select(0);
    QCOMPARE(e.boxes(), QStringLiteral("111000"));
    e.list()->clearSelection();
    QCOMPARE(e.boxes(), QStringLiteral("000000"));
    QVERIFY(!e.editor->selectedAce());
    QVERIFY(!e.editor->findChild<QFrame*>("Permissions1")->isEnabled());
    QCOMPARE(entriesOf(e.acl), (QStringList{"A:alice:10000000", "D:bob:40000000"}));
    // Moving from one row to another shows only the new row's entry.
    e.select(0);
    e.select(1);
    QCOMPARE(e.boxes(), QStringLiteral("000011"));
    QCOMPARE(entriesOf(e.acl), (QStringList{"A:alice:10000000", "D:bob:40000000"}));
}

void PermissionEditorTest::rowRuleCaptionsImagesAndSids() {
    Editor e(Form::MainWindow,
             {"A:admins:10000000", "D:alice:80000000", "A:everyone:80000000", "A:ghost:40000000",
              "X:carol:10000000", "A:staff:80000000:13", "A:host:80000000"});
    QCOMPARE(e.captions(),
             (QStringList{"Administrators (BUILTIN\\Administrators)", "alice (SRV\\alice)",
                          "Everyone", sidText("ghost"), "staff (SRV\\staff)", "host (SRV\\host)"}));
    QCOMPARE(e.images_(), (QList<int>{16, 15, 16, -1, 16, 0}));
    QCOMPARE(e.list()->topLevelItem(1)->data(0, PermissionEditor::SidRole).toString(),
             sidText("alice"));
    QCOMPARE(e.list()->topLevelItem(3)->data(0, PermissionEditor::SidRole).toString(),
             sidText("ghost"));
    // Account names are looked up on the form's computer.
    const auto lookups = e.net.callsOf(fake::Call::LookupSid);
    QCOMPARE(lookups.size(), std::size_t(6));
    for (const auto& call : lookups)
        QCOMPARE(call.server, std::u16string(u"SRV"));
}

void PermissionEditorTest::addAppendsAnAllowedFullControlEntry_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("image");
    QTest::addColumn<QStringList>("expected");

    const int main = int(Form::MainWindow);
    const int dialog = int(Form::Dialog);
    const QStringList after{"D:carol:80000000", "A:alice:10000000", "A:bob:40000000"};
    QTest::newRow("main: caption as typed") << main << "ALICE"
                                            << "ALICE" << 15 << after;
    QTest::newRow("dialog: caption with domain") << dialog << "alice"
                                                 << "alice (SRV\\alice)" << 15 << after;
    QTest::newRow("dialog: group picture")
        << dialog << "staff"
        << "staff (SRV\\staff)" << 16
        << QStringList{"D:carol:80000000", "A:staff:10000000", "A:bob:40000000"};
    QTest::newRow("dialog: well-known group, empty domain kept in the caption")
        << dialog << "Everyone"
        << "Everyone (\\Everyone)" << 15
        << QStringList{"D:carol:80000000", "A:everyone:10000000", "A:bob:40000000"};
    QTest::newRow("main: alias gets the single-person picture")
        << main << "Administrators"
        << "Administrators" << 15
        << QStringList{"D:carol:80000000", "A:admins:10000000", "A:bob:40000000"};
    QTest::newRow("main: group gets the group picture")
        << main << "staff"
        << "staff" << 16 << QStringList{"D:carol:80000000", "A:staff:10000000", "A:bob:40000000"};
}

void PermissionEditorTest::addAppendsAnAllowedFullControlEntry() {
    QFETCH(int, form);
    QFETCH(QString, typed);
    QFETCH(QString, caption);
    QFETCH(int, image);
    QFETCH(QStringList, expected);

    Editor e(Form(form), {"D:carol:80000000", "A:bob:40000000"});
    e.messages.texts.enqueue(typed);
    e.clickAdd();
    QCOMPARE(e.messages.prompts.size(), 1);
    QCOMPARE(e.messages.prompts[0].title, QStringLiteral("Username..."));
    QCOMPARE(e.messages.prompts[0].text,
             QStringLiteral("Please enter the username you wish to add."));
    QVERIFY(e.messages.shown.isEmpty());
    QCOMPARE(entriesOf(e.acl), expected);
    QCOMPARE(e.captions().last(), caption);
    QCOMPARE(e.images_().last(), image);
    QCOMPARE(e.list()->topLevelItemCount(), 3);
    QVERIFY(e.list()->selectedItems().isEmpty());
    // Looked up on the form's computer.
    QCOMPARE(e.net.callsOf(fake::Call::LookupName).back().server, std::u16string(u"SRV"));
}

void PermissionEditorTest::addRefusals_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QVariant>("typed"); // null: the dialog is cancelled
    QTest::addColumn<QString>("message");

    const int main = int(Form::MainWindow);
    const int dialog = int(Form::Dialog);
    QTest::newRow("cancelled") << main << QVariant() << QString();
    QTest::newRow("empty") << dialog << QVariant(QString()) << QString();
    QTest::newRow("main: duplicate ignoring case")
        << main << QVariant(QStringLiteral("eVeRyOnE")) << "Username is already present!";
    QTest::newRow("dialog: duplicate ignoring case")
        << dialog << QVariant(QStringLiteral("EVERYONE")) << "Username is already present!";
    QTest::newRow("dialog: unknown user")
        << dialog << QVariant(QStringLiteral("nobody")) << "Could not find user on system!";
    QTest::newRow("main: unknown user")
        << main << QVariant(QStringLiteral("nobody")) << "Could not find user on system!";
}

void PermissionEditorTest::addRefusals() {
    QFETCH(int, form);
    QFETCH(QVariant, typed);
    QFETCH(QString, message);

    const QStringList entries{"A:everyone:10000000", "A:bob:40000000"};
    Editor e(Form(form), entries);
    if (typed.isValid())
        e.messages.texts.enqueue(typed.toString());
    e.clickAdd();
    QCOMPARE(entriesOf(e.acl), entries);
    QCOMPARE(e.list()->topLevelItemCount(), 2);
    if (message.isEmpty()) {
        QVERIFY(e.messages.shown.isEmpty());
    } else {
        QCOMPARE(e.messages.shown.size(), 1);
        QCOMPARE(e.messages.shown[0].text, message);
        QCOMPARE(e.messages.shown[0].title, QStringLiteral("ERROR"));
        QCOMPARE(e.messages.shown[0].icon, MessageBoxes::Icon::Error);
        QCOMPARE(e.messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
    }
}

void PermissionEditorTest::addKeepsTheSelectedEntryDesignated() {
    // The caption "alice (SRV\alice)" is not the typed name, so a second entry is added; the
    // selected row's entry moves down and the panel still edits it.
    Editor e(Form::MainWindow, {"D:carol:80000000", "A:alice:10000000"});
    e.select(1);
    e.messages.texts.enqueue(QStringLiteral("alice"));
    e.clickAdd();
    QCOMPARE(entriesOf(e.acl),
             (QStringList{"D:carol:80000000", "A:alice:10000000", "A:alice:10000000"}));
    e.box("AllowFullControl1")->setChecked(false);
    QCOMPARE(entriesOf(e.acl),
             (QStringList{"D:carol:80000000", "A:alice:10000000", "A:alice:40000000"}));
}

void PermissionEditorTest::addWithoutAListBuildsOne() {
    Editor e(Form::MainWindow);
    QVERIFY(!e.acl);
    e.messages.texts.enqueue(QStringLiteral("bob"));
    e.clickAdd();
    QCOMPARE(entriesOf(e.acl), QStringList{"A:bob:10000000"});
    QCOMPARE(e.captions(), QStringList{"bob"});
    QCOMPARE(e.acl->revision(), AclRevision);
}

void PermissionEditorTest::remove_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("row"); // -1: nothing selected
    QTest::addColumn<bool>("lastRemovable");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("message");

    const int main = int(Form::MainWindow);
    const int dialog = int(Form::Dialog);
    QTest::newRow("nothing selected")
        << main << QStringList{"A:alice:10000000", "A:bob:1"} << -1 << false
        << QStringList{"A:alice:10000000", "A:bob:1"} << QString();
    QTest::newRow("removes the row's entry")
        << main << QStringList{"A:alice:10000000", "D:bob:80000000"} << 1 << false
        << QStringList{"A:alice:10000000"} << QString();
    QTest::newRow("only the first entry of the user")
        << dialog << QStringList{"D:alice:80000000", "A:bob:1", "A:alice:10000000"} << 2 << false
        << QStringList{"A:bob:1", "A:alice:10000000"} << QString();
    QTest::newRow("main: last row refused")
        << main << QStringList{"A:alice:10000000"} << 0 << true << QStringList{"A:alice:10000000"}
        << "At least one user MUST exist!";
    QTest::newRow("dialog: last row refused")
        << dialog << QStringList{"A:alice:10000000"} << 0 << false
        << QStringList{"A:alice:10000000"} << "At least one user MUST exist!";
    QTest::newRow("dialog: last row removable with directory name as user")
        << dialog << QStringList{"A:alice:10000000"} << 0 << true << QStringList{} << QString();
}

void PermissionEditorTest::remove() {
    QFETCH(int, form);
    QFETCH(QStringList, entries);
    QFETCH(int, row);
    QFETCH(bool, lastRemovable);
    QFETCH(QStringList, expected);
    QFETCH(QString, message);

    Editor e(Form(form), entries);
    if (Form(form) == Form::Dialog)
        e.editor->setLastUserRemovable([lastRemovable] { return lastRemovable; });
    if (row >= 0)
        e.select(row);
    const int rowsBefore = e.list()->topLevelItemCount();
    e.clickRemove();
    QCOMPARE(entriesOf(e.acl), expected);
    QCOMPARE(e.list()->topLevelItemCount(), rowsBefore - (entries.size() - expected.size()));
    if (message.isEmpty()) {
        QVERIFY(e.messages.shown.isEmpty());
    } else {
        QCOMPARE(e.messages.texts_shown(), QStringList{message});
    }
    if (expected.size() < entries.size()) {
        QVERIFY(!e.editor->selectedAce());
        QCOMPARE(e.boxes(), QStringLiteral("000000"));
        QVERIFY(!e.editor->findChild<QFrame*>("Permissions1")->isEnabled());
    }
}

void PermissionEditorTest::removeOfARowWhoseEntryIsGone() {
    // A replacement merges alice's two entries into one but leaves both of her rows.
    Editor e(Form::MainWindow, {"A:alice:10000000", "D:alice:80000000", "A:bob:10000000"});
    e.select(0);
    e.box("AllowRead1")->setChecked(true);
    QCOMPARE(entriesOf(e.acl), (QStringList{"A:alice:80000000", "A:bob:10000000"}));
    QCOMPARE(e.list()->topLevelItemCount(), 3);
    e.clickRemove();
    QCOMPARE(entriesOf(e.acl), QStringList{"A:bob:10000000"});
    QCOMPARE(e.captions(), (QStringList{"alice (SRV\\alice)", "bob (SRV\\bob)"}));
    QVERIFY(e.messages.shown.isEmpty());
    // The remaining alice row has no entry left to remove.
    e.select(0);
    e.clickRemove();
    QCOMPARE(e.messages.texts_shown(), QStringList{"Could not remove user from security list!"});
    QCOMPARE(e.messages.shown[0].title, QStringLiteral("ERROR"));
    QCOMPARE(entriesOf(e.acl), QStringList{"A:bob:10000000"});
    QCOMPARE(e.list()->topLevelItemCount(), 2);
}

// A list as a server may send it: its revision byte, and optionally an entry of another type
// that fills it to `fillTo` bytes.
void PermissionEditorTest::replacementOfALoadedList_data() {
    QTest::addColumn<int>("revision");
    QTest::addColumn<int>("fillTo"); // 0: no filler
    QTest::addColumn<bool>("rebuilt");
    QTest::newRow("revision 3 is rebuilt at revision 3") << 3 << 0 << true;
    // The user's entries out and one in gives the same size, more than a list may have.
    QTest::newRow("too large to build again: nothing changes") << 2 << 0xFFFF << false;
}

void PermissionEditorTest::replacementOfALoadedList() {
    QFETCH(int, revision);
    QFETCH(int, fillTo);
    QFETCH(bool, rebuilt);

    std::vector<std::uint8_t> bytes = aclFrom({"A:bob:10000000", "A:alice:10000000"})->bytes();
    bytes[0] = static_cast<std::uint8_t>(revision);
    if (fillTo) {
        const std::size_t filler = static_cast<std::size_t>(fillTo) - bytes.size();
        bytes.insert(bytes.end(), {2, 0, static_cast<std::uint8_t>(filler & 0xFF),
                                   static_cast<std::uint8_t>(filler >> 8)});
        bytes.resize(static_cast<std::size_t>(fillTo));
        bytes[2] = bytes[3] = 0xFF;
        bytes[4] = 3;
    }
    const std::optional<Acl> loaded = Acl::fromBytes(bytes);
    QVERIFY(loaded);
    Editor e(Form::MainWindow);
    e.acl = loaded;
    e.editor->fillFromAcl();
    e.select(1);
    e.box("DenyRead1")->setChecked(true);
    if (rebuilt) {
        QCOMPARE(entriesOf(e.acl), (QStringList{"D:alice:80000000", "A:bob:10000000"}));
        QCOMPARE(int(e.acl->revision()), revision);
        QCOMPARE(e.boxes(), QStringLiteral("000001"));
        QVERIFY(e.messages.shown.isEmpty());
    } else {
        QCOMPARE(e.acl->bytes(), loaded->bytes());
        QCOMPARE(e.boxes(), QStringLiteral("111000"));
        QCOMPARE(e.messages.texts_shown(), QStringList{"Could not add user to list!"});
        QCOMPARE(e.messages.shown[0].title, QStringLiteral("ERROR"));
    }
}

void PermissionEditorTest::inertRowEnablesNothingAndIsNotRemoved() {
    Editor e(Form::MainWindow, {"A:alice:10000000"});
    e.editor->clearRows();
    e.acl.reset();
    e.editor->addRow(QStringLiteral("Cannot modify a default share."), -1);
    e.editor->addRow(QStringLiteral("bob"), 15, sidText("bob"));
    e.select(0);
    QVERIFY(!e.editor->findChild<QFrame*>("Permissions1")->isEnabled());
    QCOMPARE(e.boxes(), QStringLiteral("000000"));
    e.clickRemove();
    QCOMPARE(e.list()->topLevelItemCount(), 2);
    QVERIFY(e.messages.shown.isEmpty());
    // The main window with no list shows Full Control for a selected user, and writes nothing.
    e.select(1);
    QCOMPARE(e.boxes(), QStringLiteral("111000"));
    QVERIFY(!e.acl);
}

QTEST_MAIN(PermissionEditorTest)
#include "PermissionEditorTest.moc"
