#include "maintenance/SharePropertiesPage.h"
#include "maintenance/ShareProperties.h"
#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "security/AclText.h"
#include "security/PermissionEditor.h"
#include "shares/FillSharesList.h"
#include "shares/ShareRules.h"
#include "support/Fixture.h"
#include "ui/Text.h"
#include "ui/UserLimitSpinBox.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace corvane;
using namespace corvane::test;
Q_DECLARE_METATYPE(std::vector<corvane::fake::Call>)

namespace {

using fake::Call;

std::vector<std::uint8_t> descriptorOf(const QStringList& entries) {
    return SecurityDescriptor::withDacl(*aclFrom(entries)).toSelfRelative();
}

// Computer SRV with a few shares, the main list filled from it and the page wired to it, as
// the main window wires them.
struct Page : ServicesFixture {
    std::unique_ptr<SharePropertiesPage> page;

    Page() {
        addTestAccounts(net, u"SRV");
        list.setSelectionBehavior(QAbstractItemView::SelectRows);
        addShare(u"Data", u"C:\\Data", u"team data", 10,
                 descriptorOf({"D:carol:80000000", "A:admins:10000000", "A:alice:80000000"}));
        addShare(u"Public", u"C:\\Public", u"", NoUserLimit, descriptorOf({"A:everyone:80000000"}));
        addShare(u"Open", u"C:\\Open", u"null list", NoUserLimit,
                 SecurityDescriptor::withNullDacl().toSelfRelative());
        addShare(u"Plain", u"C:\\Plain", u"no descriptor", 3, {});
        addShare(u"Broken", u"C:\\Broken", u"", 3, {1, 2, 3});
        addShare(u"C$", u"C:\\", u"Default share", NoUserLimit, {});
        addShare(u"Big", u"C:\\Big", u"", 5000, descriptorOf({"A:bob:10000000"}));
        page = std::make_unique<SharePropertiesPage>(ctx);
        open(u"SRV");
    }
    void addShare(const std::u16string& name, const std::u16string& path,
                  const std::u16string& remark, std::uint32_t maxUses,
                  std::vector<std::uint8_t> descriptor) {
        ShareInfo502 s;
        s.netname = name;
        s.path = path;
        s.remark = remark;
        s.maxUses = maxUses;
        s.securityDescriptor = std::move(descriptor);
        net.addShare(u"SRV", s);
    }
    void open(const std::u16string& computer) {
        QCOMPARE(FillSharesList(net, fromU16(computer), &list, images), status::Success);
        state.computerName = fromU16(computer);
        page->computerOpened();
        net.clearCalls();
    }
    QTreeWidgetItem* row(const QString& name) const {
        const auto found = list.findItems(name, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    // A plain click: the share alone becomes selected.
    void click(const QString& name) {
        list.setCurrentItem(row(name), 0, QItemSelectionModel::ClearAndSelect);
    }
    // A ctrl-click: the share joins the selection.
    void ctrlClick(const QString& name) {
        list.setCurrentItem(row(name), 0, QItemSelectionModel::Select);
    }
    template <typename T> T* get(const char* name) const { return page->findChild<T*>(name); }
    QLineEdit* edit(const char* name) const { return get<QLineEdit>(name); }
    UserLimitSpinBox* maxUsers() const { return get<UserLimitSpinBox>("MaxUsers1"); }
    QTreeWidget* users() const { return get<QTreeWidget>("UsersList1"); }
    QStringList captions() const { return columnTexts(users()); }
    void apply() { get<QPushButton>("Apply1")->click(); }
    std::vector<Call> calls() const {
        std::vector<Call> out;
        for (const auto& c : net.calls())
            if (c.call != Call::LookupSid && c.call != Call::LookupName)
                out.push_back(c.call);
        return out;
    }
    const ShareInfo502* share(const std::u16string& name) const {
        return net.findShare(u"SRV", name);
    }
};

} // namespace

class SharePropertiesPageTest : public QObject {
    Q_OBJECT
private slots:
    void startsWithNothingSelected();
    void defaultShareRule_data();
    void defaultShareRule();
    void selectingAShareShowsIt();
    void selectionStates_data();
    void selectionStates();
    void listIsACopyOfTheShares();
    void fetchFailureReportsAndReleases();
    void ctrlClickOfASecondShareEmptiesAndDisables();
    void selectingTheSameShareTwiceFetchesTwice();
    void theLocalComputerWorksLikeAnyOther();
    void applyBeforeAnySelectionChangesNothing();
    void applyWithNothingEditedSetsInfoThenRefills();
    void applyWritesTheEditsAndTheList();
    void applyOnAShareWithoutDescriptorWritesTheShownList();
    void addOnAShareWithoutAListThenApply();
    void applyRecreatesOnNameOrPathChange_data();
    void applyRecreatesOnNameOrPathChange();
    void applyFailures_data();
    void applyFailures();
    void failedSecondApplyRestoresTheFirst();
    void applyNeverWritesAnotherComputersRecord();
    void applyRefusesWhatItMustNotWrite();
    void applyNeverRemovesAShareForAnEmptyBox_data();
    void applyNeverRemovesAShareForAnEmptyBox();
    void maxUsersAboveTheRangeIsKept();
};

void SharePropertiesPageTest::startsWithNothingSelected() {
    Page p;
    // Nothing selected since the computer was opened.
    QVERIFY(!p.edit("ShareName1")->isEnabled());
    QVERIFY(p.get<QPushButton>("Add1")->isEnabled());
    QVERIFY(p.get<QPushButton>("Apply1")->isEnabled());
}

void SharePropertiesPageTest::defaultShareRule_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("isDefault");
    for (const char* name : {"C$", "D$", "z$", "ADMIN$", "admin$", "Admin$", "IPC$", "ipc$"})
        QTest::newRow(name) << name << true;
    for (const char* name : {"1$", "AB$", "C", "$$", "C$$", "ADMIN", "IPC", "", "é$"})
        QTest::newRow(name) << name << false;
}

void SharePropertiesPageTest::defaultShareRule() {
    QFETCH(QString, name);
    QFETCH(bool, isDefault);
    QCOMPARE(isDefaultShare(name), isDefault);
}

void SharePropertiesPageTest::selectingAShareShowsIt() {
    Page p;
    p.click("Data");
    QCOMPARE(p.edit("ShareName1")->text(), QStringLiteral("Data"));
    QCOMPARE(p.edit("LocalPath1")->text(), QStringLiteral("C:\\Data"));
    QCOMPARE(p.edit("Comment1")->text(), QStringLiteral("team data"));
    QCOMPARE(p.maxUsers()->value(), 10);
    QCOMPARE(p.captions(),
             (QStringList{"carol (SRV\\carol)", "Administrators (BUILTIN\\Administrators)",
                          "alice (SRV\\alice)"}));
    QCOMPARE(itemImage(p.users()->topLevelItem(0)), 15);
    QCOMPARE(itemImage(p.users()->topLevelItem(1)), 16);
    QCOMPARE(entriesOf(p.state.currentAcl),
             (QStringList{"D:carol:80000000", "A:admins:10000000", "A:alice:80000000"}));
    QVERIFY(p.state.currentShareInfo);
    QCOMPARE(p.state.currentShareInfo->netname, std::u16string(u"Data"));
    QVERIFY(p.messages.shown.isEmpty());
    const auto fetches = p.net.callsOf(Call::GetInfo);
    QCOMPARE(fetches.size(), std::size_t(1));
    QCOMPARE(fetches[0].server, std::u16string(u"SRV"));
    QCOMPARE(fetches[0].name, std::u16string(u"Data"));
    // Unlimited shows -1.
    p.click("Public");
    QCOMPARE(p.maxUsers()->value(), -1);
    QCOMPARE(p.maxUsers()->text(), QStringLiteral("-1"));
    QCOMPARE(p.captions(), QStringList{"Everyone"});
}

void SharePropertiesPageTest::selectionStates_data() {
    QTest::addColumn<QString>("share");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("acl");
    QTest::addColumn<int>("image"); // of the first row

    QTest::newRow("descriptor with a list")
        << "Public" << true << QStringList{"Everyone"} << QStringList{"A:everyone:80000000"} << 16;
    QTest::newRow("null list") << "Open" << true << QStringList{} << QStringList{"<none>"} << 0;
    QTest::newRow("no descriptor")
        << "Plain" << true << QStringList{"Everyone"} << QStringList{"A:everyone:10000000"} << 16;
    QTest::newRow("invalid descriptor")
        << "Broken" << true << QStringList{"Everyone"} << QStringList{"A:everyone:10000000"} << 16;
    QTest::newRow("default share") << "C$" << false << QStringList{"Cannot modify a default share."}
                                   << QStringList{"<none>"} << -1;
}

void SharePropertiesPageTest::selectionStates() {
    QFETCH(QString, share);
    QFETCH(bool, editable);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, acl);
    QFETCH(int, image);

    Page p;
    p.click("Data"); // a list from another share must not carry over
    p.click(share);
    QCOMPARE(p.captions(), rows);
    if (!rows.isEmpty())
        QCOMPARE(itemImage(p.users()->topLevelItem(0)), image);
    QCOMPARE(entriesOf(p.state.currentAcl), acl);
    QCOMPARE(p.edit("ShareName1")->text(), share); // shown either way
    for (const char* name :
         {"ShareName1", "LocalPath1", "Comment1", "MaxUsers1", "UsersList1", "Add1", "Remove1"})
        QVERIFY2(p.page->findChild<QWidget*>(name)->isEnabled() == editable, name);
    QVERIFY(p.get<QPushButton>("Apply1")->isEnabled());

    // The single row of a share without a descriptor: Everyone carries its SID and shows what
    // Apply writes; the default-share notice is inert.
    if (!rows.isEmpty()) {
        p.users()->setCurrentItem(p.users()->topLevelItem(0));
        QCOMPARE(p.get<QWidget>("Permissions1")->isEnabled(), share != "C$");
        QCOMPARE(p.get<QCheckBox>("AllowFullControl1")->isChecked(),
                 acl.first().endsWith("10000000"));
    }
}

void SharePropertiesPageTest::listIsACopyOfTheShares() {
    Page p;
    p.click("Public");
    const auto loaded = p.state.currentShareInfo->securityDescriptor;
    p.users()->setCurrentItem(p.users()->topLevelItem(0));
    p.get<QCheckBox>("DenyRead1")->setChecked(true);
    QCOMPARE(entriesOf(p.state.currentAcl), QStringList{"D:everyone:80000000"});
    QCOMPARE(p.state.currentShareInfo->securityDescriptor, loaded);
    QCOMPARE(p.share(u"Public")->securityDescriptor, loaded);
    QCOMPARE(p.calls(), std::vector<Call>{Call::GetInfo});
}

void SharePropertiesPageTest::fetchFailureReportsAndReleases() {
    Page p;
    p.click("Data");
    p.net.failNext(Call::GetInfo, status::AccessDenied, u"Public");
    p.click("Public");
    QCOMPARE(p.messages.shown.size(), 1);
    QCOMPARE(p.messages.shown[0].title, QStringLiteral("ERROR"));
    QCOMPARE(p.messages.shown[0].text,
             QStringLiteral("A system error has occured (5) while\nrequesting information "
                            "about the share."));
    QCOMPARE(p.messages.shown[0].icon, MessageBoxes::Icon::Error);
    QCOMPARE(p.messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
    QVERIFY(!p.state.currentShareInfo);
    QVERIFY(p.captions().isEmpty());
    p.net.clearCalls();
    p.apply();
    QVERIFY(p.calls().empty());
}

void SharePropertiesPageTest::ctrlClickOfASecondShareEmptiesAndDisables() {
    Page p;
    p.click("Data");
    p.ctrlClick("Public");
    QCOMPARE(p.list.selectedItems().size(), 2);
    for (const char* name : {"ShareName1", "LocalPath1", "Comment1"}) {
        QVERIFY2(!p.edit(name)->isEnabled(), name);
        QVERIFY2(p.edit(name)->text().isEmpty(), name);
    }
    QVERIFY(!p.maxUsers()->isEnabled());
    QVERIFY(p.maxUsers()->text().isEmpty());
    QVERIFY(!p.users()->isEnabled());
    QVERIFY(p.captions().isEmpty());
    QVERIFY(!p.get<QPushButton>("Add1")->isEnabled());
    p.net.clearCalls();
    p.apply();
    QVERIFY(p.calls().empty());
    QVERIFY(p.messages.shown.isEmpty());
    // Back to one share, it is shown again.
    p.row("Data")->setSelected(false);
    QCOMPARE(p.list.selectedItems().size(), 1);
    QCOMPARE(p.edit("ShareName1")->text(), QStringLiteral("Public"));
    QVERIFY(p.edit("ShareName1")->isEnabled());
    QCOMPARE(p.maxUsers()->text(), QStringLiteral("-1"));
}

void SharePropertiesPageTest::selectingTheSameShareTwiceFetchesTwice() {
    Page p;
    p.click("Data");
    p.page->SharesList1SelectItem(p.row("Data"), true);
    QCOMPARE(p.net.callsOf(Call::GetInfo).size(), std::size_t(2));
    QCOMPARE(p.users()->topLevelItemCount(), 3);
    // A deselection report does nothing.
    p.page->SharesList1SelectItem(p.row("Data"), false);
    QCOMPARE(p.net.callsOf(Call::GetInfo).size(), std::size_t(2));
}

// Typing only backslashes opens the local computer, whose name is empty: it works like any other.
void SharePropertiesPageTest::theLocalComputerWorksLikeAnyOther() {
    Page p;
    p.net.computer(u"") = p.net.computer(u"SRV");
    p.open(u"");
    p.click("Data");
    QCOMPARE(p.edit("ShareName1")->text(), QStringLiteral("Data"));
    QCOMPARE(p.captions().size(), 3);
    p.edit("Comment1")->setText(QStringLiteral("local"));
    p.apply();
    QVERIFY(p.messages.shown.isEmpty());
    QCOMPARE(p.net.findShare(u"", u"Data")->remark, std::u16string(u"local"));
}

void SharePropertiesPageTest::applyBeforeAnySelectionChangesNothing() {
    Page p;
    p.apply();
    QVERIFY(p.calls().empty());
    QVERIFY(p.messages.shown.isEmpty());
}

void SharePropertiesPageTest::applyWithNothingEditedSetsInfoThenRefills() {
    Page p;
    p.click("Data");
    const ShareInfo502 before = *p.share(u"Data");
    p.apply();
    QCOMPARE(p.calls(), (std::vector<Call>{Call::GetInfo, Call::SetInfo, Call::Enumerate}));
    const auto set = p.net.callsOf(Call::SetInfo).at(0);
    QCOMPARE(set.name, std::u16string(u"Data"));
    QCOMPARE(set.server, std::u16string(u"SRV"));
    QCOMPARE(*set.info, before);
    QVERIFY(p.messages.shown.isEmpty());
    QVERIFY(p.list.selectedItems().isEmpty());
    QCOMPARE(p.list.topLevelItemCount(), 7);
}

void SharePropertiesPageTest::applyWritesTheEditsAndTheList() {
    Page p;
    p.click("Data");
    p.edit("Comment1")->setText(QStringLiteral("new comment"));
    p.maxUsers()->setValue(-1);
    p.users()->setCurrentItem(p.users()->topLevelItem(2)); // alice, allowed read
    p.get<QCheckBox>("DenyRead1")->setChecked(true);
    p.apply();
    const ShareInfo502* s = p.share(u"Data");
    QCOMPARE(s->remark, std::u16string(u"new comment"));
    QCOMPARE(s->maxUses, NoUserLimit);
    const auto sd = SecurityDescriptor::parse(s->securityDescriptor);
    QVERIFY(sd);
    QCOMPARE(sd->daclState(), DaclState::Present);
    QVERIFY(!sd->owner());
    QCOMPARE(entriesOf(sd->dacl()),
             (QStringList{"D:alice:80000000", "D:carol:80000000", "A:admins:10000000"}));
    // A second Apply without a new selection works on the share as applied.
    p.edit("Comment1")->setText(QStringLiteral("again"));
    p.net.clearCalls();
    p.apply();
    QCOMPARE(p.calls(), (std::vector<Call>{Call::SetInfo, Call::Enumerate}));
    QCOMPARE(p.share(u"Data")->remark, std::u16string(u"again"));
}

void SharePropertiesPageTest::applyOnAShareWithoutDescriptorWritesTheShownList() {
    Page p;
    p.click("Data");
    p.click("Plain");
    p.apply();
    const auto sd = SecurityDescriptor::parse(p.share(u"Plain")->securityDescriptor);
    QVERIFY(sd);
    QCOMPARE(entriesOf(sd->dacl()), QStringList{"A:everyone:10000000"});
    // A null list stays a null list.
    p.click("Open");
    p.apply();
    const auto open = SecurityDescriptor::parse(p.share(u"Open")->securityDescriptor);
    QCOMPARE(open->daclState(), DaclState::Null);
}

void SharePropertiesPageTest::addOnAShareWithoutAListThenApply() {
    Page p;
    p.click("Open");
    QVERIFY(p.captions().isEmpty());
    p.messages.texts.enqueue(QStringLiteral("bob"));
    p.get<QPushButton>("Add1")->click();
    QCOMPARE(p.captions(), QStringList{"bob"});
    QCOMPARE(entriesOf(p.state.currentAcl), QStringList{"A:bob:10000000"});
    p.apply();
    const auto sd = SecurityDescriptor::parse(p.share(u"Open")->securityDescriptor);
    QCOMPARE(sd->daclState(), DaclState::Present);
    QCOMPARE(entriesOf(sd->dacl()), QStringList{"A:bob:10000000"});
}

void SharePropertiesPageTest::applyRecreatesOnNameOrPathChange_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::addColumn<std::vector<Call>>("writes");
    QTest::newRow("letter case of the name")
        << "DATA"
        << "C:\\Data" << std::vector<Call>{Call::Remove, Call::Add};
    // A new name is added before the old one goes.
    QTest::newRow("new name") << "Data2"
                              << "C:\\Data" << std::vector<Call>{Call::Add, Call::Remove};
    // The path is tried in place first and read back; this server keeps its paths.
    QTest::newRow("path only") << "Data"
                               << "C:\\Data2"
                               << std::vector<Call>{Call::SetInfo, Call::GetInfo, Call::Remove,
                                                    Call::Add};
}

void SharePropertiesPageTest::applyRecreatesOnNameOrPathChange() {
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(std::vector<Call>, writes);
    Page p;
    p.click("Data");
    const auto descriptor = p.share(u"Data")->securityDescriptor;
    p.edit("ShareName1")->setText(name);
    p.edit("LocalPath1")->setText(path);
    p.apply();
    writes.insert(writes.begin(), Call::GetInfo);
    writes.push_back(Call::Enumerate);
    QCOMPARE(p.calls(), writes);
    QCOMPARE(p.net.callsOf(Call::Remove).at(0).name, std::u16string(u"Data"));
    const ShareInfo502* s = p.share(toU16(name));
    QVERIFY(s);
    QCOMPARE(s->netname, toU16(name)); // exactly as typed
    QCOMPARE(s->path, toU16(path));
    QCOMPARE(s->remark, std::u16string(u"team data"));
    QCOMPARE(s->maxUses, 10u);
    QCOMPARE(s->securityDescriptor, descriptor);
    QVERIFY(p.row(name));
    QVERIFY(p.messages.shown.isEmpty());
}

void SharePropertiesPageTest::applyFailures_data() {
    QTest::addColumn<QString>("name");      // the name typed before Apply
    QTest::addColumn<QString>("path");      // the path typed, when not empty
    QTest::addColumn<QList<int>>("faults"); // Call, status pairs
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("originalStays");
    QTest::addColumn<bool>("newNameStays");

    QTest::newRow("set-info fails") << "Data" << QString() << QList<int>{int(Call::SetInfo), 5}
                                    << "Could not update share(5)." << true << false;
    QTest::newRow("new name refused") << "Renamed" << QString() << QList<int>{int(Call::Add), 2118}
                                      << "Could not update share(2118)" << true << false;
    QTest::newRow("old name not removed")
        << "Renamed" << QString() << QList<int>{int(Call::Remove), 5}
        << "Could not update share(5).\nIt is now there under both names, Data and Renamed." << true
        << true;
    QTest::newRow("removal fails") << "Data"
                                   << "C:\\New" << QList<int>{int(Call::Remove), 5}
                                   << "Could not update share(5)" << true << false;
    QTest::newRow("addition fails, original restored")
        << "Data"
        << "C:\\New" << QList<int>{int(Call::Add), 2118}
        << "Could not update share(2118).\nThe original share has been restored." << true << false;
    QTest::newRow("addition and restore fail")
        << "Data"
        << "C:\\New" << QList<int>{int(Call::Add), 87, int(Call::Add), 5}
        << "Could not update share(87).\nThe share had to be deleted." << false << false;
}

void SharePropertiesPageTest::applyFailures() {
    QFETCH(QString, name);
    QFETCH(QString, path);
    QFETCH(QList<int>, faults);
    QFETCH(QString, message);
    QFETCH(bool, originalStays);
    QFETCH(bool, newNameStays);

    Page p;
    p.click("Data");
    const ShareInfo502 original = *p.share(u"Data");
    p.edit("ShareName1")->setText(name);
    if (!path.isEmpty())
        p.edit("LocalPath1")->setText(path);
    p.edit("Comment1")->setText(QStringLiteral("edited"));
    for (int i = 0; i < faults.size(); i += 2)
        p.net.failNext(Call(faults[i]), Status(faults[i + 1]));
    p.net.clearCalls();
    p.apply();
    QCOMPARE(p.messages.texts_shown(), QStringList{message});
    QCOMPARE(p.messages.shown[0].title, QStringLiteral("ERROR"));
    QCOMPARE(p.messages.shown[0].icon, MessageBoxes::Icon::Error);
    QCOMPARE(p.messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
    // The list is read again only where the failure left it changed.
    QCOMPARE(!p.net.callsOf(Call::Enumerate).empty(), newNameStays || !originalStays);
    QCOMPARE(p.share(u"Renamed") != nullptr, newNameStays);
    if (originalStays)
        QCOMPARE(*p.share(u"Data"), original); // with its descriptor
    else
        QVERIFY(!p.share(u"Data"));

    // The page still addresses the share under its present name: a retry that works renames it.
    if (originalStays && !newNameStays) {
        p.net.clearCalls();
        p.messages.shown.clear();
        p.apply();
        QVERIFY(p.messages.shown.isEmpty());
        QVERIFY(p.share(toU16(name)));
        QCOMPARE(p.share(toU16(name))->remark, std::u16string(u"edited"));
    }
}

// After a rename, a failed second re-creation restores the share as the first one left it.
void SharePropertiesPageTest::failedSecondApplyRestoresTheFirst() {
    Page p;
    p.click("Data");
    p.edit("ShareName1")->setText(QStringLiteral("Data2"));
    p.edit("Comment1")->setText(QStringLiteral("renamed once"));
    p.apply();
    const ShareInfo502 renamed = *p.share(u"Data2");
    // A new path keeps the name, so the share is removed before it is added again.
    p.edit("LocalPath1")->setText(QStringLiteral("C:\\Moved"));
    p.net.failNext(Call::Add, status::DuplicateShare, u"Data2");
    p.apply();
    QCOMPARE(p.messages.texts_shown(),
             QStringList{"Could not update share(2118).\nThe original share has been restored."});
    QVERIFY(p.share(u"Data2"));
    QCOMPARE(*p.share(u"Data2"), renamed);
    QVERIFY(!p.share(u"Data"));
}

void SharePropertiesPageTest::applyNeverWritesAnotherComputersRecord() {
    Page p;
    p.net.addDiskShare(u"OTHER", u"Data", u"C:\\Elsewhere", u"theirs");
    p.click("Data");
    // Another computer is opened but the page is not told (it must still refuse).
    FillSharesList(p.net, QStringLiteral("OTHER"), &p.list, p.images);
    p.state.computerName = QStringLiteral("OTHER");
    p.net.clearCalls();
    p.apply();
    QVERIFY(p.calls().empty());
    // Told, it empties the view and releases the record.
    p.page->computerOpened();
    QVERIFY(!p.state.currentShareInfo);
    QVERIFY(!p.state.loadedShareInfo);
    QVERIFY(p.edit("ShareName1")->text().isEmpty());
    QVERIFY(!p.edit("ShareName1")->isEnabled());
    QVERIFY(p.captions().isEmpty());
    p.apply();
    QVERIFY(p.calls().empty());
    QCOMPARE(p.net.findShare(u"OTHER", u"Data")->remark, std::u16string(u"theirs"));
}

void SharePropertiesPageTest::applyRefusesWhatItMustNotWrite() {
    Page p;
    // A default share without a descriptor is shown, never written.
    p.click("Data");
    p.click("C$");
    p.net.clearCalls();
    p.apply();
    QVERIFY(p.calls().empty());
}

void SharePropertiesPageTest::applyNeverRemovesAShareForAnEmptyBox_data() {
    QTest::addColumn<QString>("share");
    QTest::addColumn<QString>("box");   // the edit box emptied
    QTest::addColumn<QString>("error"); // none: written

    QTest::newRow("name emptied") << "Data"
                                  << "ShareName1"
                                  << "The share name must not be empty.";
    QTest::newRow("path emptied") << "Data"
                                  << "LocalPath1"
                                  << "The local path must not be empty.";
    QTest::newRow("path empty as loaded") << "Pipe"
                                          << "LocalPath1" << QString();
}

void SharePropertiesPageTest::applyNeverRemovesAShareForAnEmptyBox() {
    QFETCH(QString, share);
    QFETCH(QString, box);
    QFETCH(QString, error);

    Page p;
    p.addShare(u"Pipe", u"", u"no path", NoUserLimit, descriptorOf({"A:everyone:10000000"}));
    p.open(u"SRV");
    p.click(share);
    const ShareInfo502 before = *p.share(toU16(share));
    p.edit(box.toLatin1().constData())->clear();
    p.edit("Comment1")->setText(QStringLiteral("edited"));
    p.net.clearCalls();
    p.apply();
    QVERIFY(p.share(toU16(share)));
    if (error.isEmpty()) {
        QVERIFY(p.messages.shown.isEmpty());
        QCOMPARE(p.calls(), (std::vector<Call>{Call::SetInfo, Call::Enumerate}));
        QCOMPARE(p.share(toU16(share))->remark, std::u16string(u"edited"));
    } else {
        QCOMPARE(p.messages.texts_shown(), QStringList{error});
        QCOMPARE(p.messages.shown[0].title, QStringLiteral("ERROR"));
        QCOMPARE(p.messages.shown[0].icon, MessageBoxes::Icon::Error);
        QCOMPARE(p.messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
        QVERIFY(p.calls().empty());
        QCOMPARE(*p.share(toU16(share)), before);
    }
}

void SharePropertiesPageTest::maxUsersAboveTheRangeIsKept() {
    Page p;
    p.click("Big");
    QCOMPARE(p.maxUsers()->value(), 5000);
    p.apply();
    QCOMPARE(p.share(u"Big")->maxUses, 5000u);
    // Typed beyond the arrows' end: kept as typed, and written so.
    p.click("Data");
    p.maxUsers()->selectAll();
    QTest::keyClicks(p.maxUsers(), QStringLiteral("1500"));
    QCOMPARE(p.maxUsers()->value(), 1500);
    p.apply();
    QCOMPARE(p.share(u"Data")->maxUses, 1500u);
    p.maxUsers()->stepBy(1);
    QCOMPARE(p.maxUsers()->value(), 1500);
}

QTEST_MAIN(SharePropertiesPageTest)
#include "SharePropertiesPageTest.moc"
