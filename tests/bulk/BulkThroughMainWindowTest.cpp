#include "app/TForm1.h"
#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "security/AclBuilding.h"
#include "security/TSecurityForm1.h"
#include "support/ScriptedMessageBoxes.h"
#include "ui/UserLimitSpinBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

using namespace corvane;
using corvane::fake::Call;

namespace {

const Sid AliceSid = Sid::make(5, {21, 7, 8, 9, 1001});

std::vector<std::uint8_t> descriptorAllowing(const Sid& sid, std::uint32_t mask) {
    auto acl = Acl::initialize(64, AclRevision);
    acl->addAllowedAce(ExplicitAceFlags, mask, sid);
    return SecurityDescriptor::withDacl(*acl).toSelfRelative();
}

} // namespace

// The bulk pages as the main window wires them, on the fake network: what a person does with
// the mouse and keyboard, found by the controls' names.
class BulkThroughMainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void browseAndCreateHiddenSharesWithTheUserOption();
    void browserStaysOnTheOpenedComputer();
    void copyThreeSharesUnderANewParent();
    void securityDialogDecidesTheNewSharesList();

private:
    template <typename T> T* find(const char* name) const {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no %s", name);
        return w;
    }
    void openComputer(const QString& name);
    QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text);
    void selectDirectories(const QStringList& names);

    std::unique_ptr<fake::FakeNetwork> m_net;
    std::unique_ptr<test::ScriptedMessageBoxes> m_messages;
    std::unique_ptr<TForm1> m_form;
};

void BulkThroughMainWindowTest::init() {
    m_net = std::make_unique<fake::FakeNetwork>();
    m_messages = std::make_unique<test::ScriptedMessageBoxes>();
    for (const char16_t* server : {u"SRV1", u"SRV2"}) {
        m_net->addDiskShare(server, u"C$", u"C:\\");
        m_net->addDiskShare(server, u"D$", u"D:\\");
    }
    m_net->addDirectory(u"SRV1", u"C$\\Users\\alice\\Mail");
    m_net->addDirectory(u"SRV1", u"C$\\Users\\bob");
    m_net->addDirectory(u"SRV1", u"C$\\Users\\carol");
    m_net->addAccount(u"SRV1", u"alice", u"SRV1", SidNameUse::User, AliceSid);
    m_net->addAccount(u"SRV1", u"bob", u"SRV1", SidNameUse::User, Sid::make(5, {21, 7, 8, 9, 2}));
    m_net->addDirectory(u"OTHER", u"C$\\Users\\mallory");
    m_net->addDiskShare(u"OTHER", u"C$", u"C:\\");

    auto& a = m_net->addDiskShare(u"SRV2", u"Projects", u"D:\\Old\\Projects", u"projects");
    a.maxUses = 12;
    a.securityDescriptor = descriptorAllowing(AliceSid, GenericAll);
    auto& b = m_net->addDiskShare(u"SRV2", u"Reports", u"D:\\Old\\Reports\\", u"reports");
    b.securityDescriptor = descriptorAllowing(Sid::make(1, {0}), GenericRead);
    auto& c = m_net->addDiskShare(u"SRV2", u"Tools$", u"F:\\Misc\\Tools", u"");
    c.securityDescriptor = descriptorAllowing(Sid::make(5, {32, 544}), GenericAll);
    m_net->addDiskShare(u"SRV2", u"Unwanted", u"D:\\Old\\Unwanted");

    m_form = std::make_unique<TForm1>(*m_net, *m_net, *m_net, *m_messages);
    QVERIFY(m_form->constructedOk());
}

void BulkThroughMainWindowTest::cleanup() {
    m_form.reset();
    m_messages.reset();
    m_net.reset();
}

void BulkThroughMainWindowTest::openComputer(const QString& name) {
    auto* box = find<QLineEdit>("Computer1");
    box->clear();
    QTest::keyClicks(box, name);
    QTest::keyClick(box, Qt::Key_Return);
}

QTreeWidgetItem* BulkThroughMainWindowTest::child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    qFatal("no child %s", qPrintable(text));
}

void BulkThroughMainWindowTest::selectDirectories(const QStringList& names) {
    auto* list = find<QTreeWidget>("DirList1");
    list->clearSelection();
    for (const QString& name : names)
        list->findItems(name, Qt::MatchExactly).value(0)->setSelected(true);
}

void BulkThroughMainWindowTest::browseAndCreateHiddenSharesWithTheUserOption() {
    openComputer("SRV1");
    auto* tree = find<QTreeWidget>("DirTree1");
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), QString("SRV1"));
    QTreeWidgetItem* c = child(root, "C:");
    c->setExpanded(true);
    QTreeWidgetItem* users = child(c, "Users");
    users->setExpanded(true);
    tree->setCurrentItem(users);
    QCOMPARE(m_form->state().currentDirectory, QString(R"(C$\Users\)"));
    QCOMPARE(find<QTreeWidget>("DirList1")->topLevelItemCount(), 3);

    selectDirectories({"alice", "bob"});
    find<QCheckBox>("CreateAllSharesHidden1")->setChecked(true);
    find<QCheckBox>("AddDirectoryNameAsUserName1")->setChecked(true);
    find<QLineEdit>("CommonComment1")->setText("Home folder");
    find<UserLimitSpinBox>("MaximumUsers1")->setValue(2);
    QTest::mouseClick(find<QPushButton>("Create1"), Qt::LeftButton);

    QVERIFY(m_messages->shown.isEmpty());
    for (const char16_t* name : {u"alice$", u"bob$"}) {
        const ShareInfo502* share = m_net->findShare(u"SRV1", name);
        QVERIFY(share);
        QCOMPARE(share->type, StypeDisktree);
        QCOMPARE(share->remark, std::u16string(u"Home folder"));
        QCOMPARE(share->maxUses, 2u);
        const auto dacl = daclOf(share->securityDescriptor);
        QVERIFY(dacl);
        QCOMPARE(dacl->aceCount(), std::uint16_t(2));
    }
    QVERIFY(m_net->findShare(u"SRV1", u"alice$")->path == u"C:\\Users\\alice");
    const auto aliceDacl = daclOf(m_net->findShare(u"SRV1", u"alice$")->securityDescriptor);
    bool aliceFull = false;
    for (std::size_t i = 0; i < aliceDacl->aceCount(); ++i)
        aliceFull |= aliceDacl->ace(i)->sid == AliceSid && aliceDacl->ace(i)->mask == GenericAll;
    QVERIFY(aliceFull);
    // The main list was reloaded and shows the new shares.
    auto* shares = find<QTreeWidget>("SharesList1");
    QCOMPARE(shares->findItems("alice$", Qt::MatchExactly).size(), 1);
    QCOMPARE(shares->findItems("bob$", Qt::MatchExactly).size(), 1);
}

void BulkThroughMainWindowTest::browserStaysOnTheOpenedComputer() {
    openComputer("SRV1");
    auto* tree = find<QTreeWidget>("DirTree1");
    QTreeWidgetItem* c = child(tree->topLevelItem(0), "C:");
    // The box now names another computer, but nothing has been opened since.
    find<QLineEdit>("Computer1")->setText("OTHER");
    c->setExpanded(true);
    tree->setCurrentItem(child(c, "Users"));
    QCOMPARE(find<QTreeWidget>("DirList1")->topLevelItemCount(), 3);
    selectDirectories({"carol"});
    m_net->clearCalls();
    QTest::mouseClick(find<QPushButton>("Create1"), Qt::LeftButton);
    for (const auto& call : m_net->calls())
        QVERIFY2(call.server == u"SRV1", qPrintable(QString::fromStdU16String(call.server)));
    QVERIFY(m_net->findShare(u"SRV1", u"carol"));
    QVERIFY(!m_net->findShare(u"OTHER", u"carol"));
}

void BulkThroughMainWindowTest::copyThreeSharesUnderANewParent() {
    openComputer("SRV1");
    QTest::keyClicks(find<QLineEdit>("SourceComputer1"), "SRV2");
    QTest::keyClick(find<QLineEdit>("SourceComputer1"), Qt::Key_Return);
    auto* source = find<QTreeWidget>("SourceComputerSharesList1");
    QCOMPARE(source->topLevelItemCount(), 6);
    for (const char* name : {"Projects", "Reports", "Tools$"})
        source->findItems(name, Qt::MatchExactly).value(0)->setSelected(true);
    QTest::keyClicks(find<QLineEdit>("DestinationComputerParentDir1"), R"(E:\Moved)");
    QTest::mouseClick(find<QPushButton>("Copy1"), Qt::LeftButton);

    QVERIFY(m_messages->shown.isEmpty());
    const std::pair<const char16_t*, const char16_t*> expected[] = {
        {u"Projects", u"E:\\Moved\\Projects"},
        {u"Reports", u"E:\\Moved\\Reports"},
        {u"Tools$", u"E:\\Moved\\Tools"}};
    for (const auto& [name, path] : expected) {
        const ShareInfo502* copy = m_net->findShare(u"SRV1", name);
        const ShareInfo502* original = m_net->findShare(u"SRV2", name);
        QVERIFY(copy);
        QVERIFY(copy->path == path);
        QVERIFY(copy->securityDescriptor == original->securityDescriptor);
        QCOMPARE(copy->remark, original->remark);
        QCOMPARE(copy->maxUses, original->maxUses);
    }
    QVERIFY(!m_net->findShare(u"SRV1", u"Unwanted"));
    QCOMPARE(find<QTreeWidget>("SharesList1")->findItems("Tools$", Qt::MatchExactly).size(), 1);
}

void BulkThroughMainWindowTest::securityDialogDecidesTheNewSharesList() {
    openComputer("SRV1");
    // Tick the user option first: only then may the dialog's last user go.
    find<QCheckBox>("AddDirectoryNameAsUserName1")->setChecked(true);
    TSecurityForm1* dialog = m_form->securityForm();
    QTimer::singleShot(0, dialog, [dialog] {
        auto* users = dialog->findChild<QTreeWidget*>("UsersList1");
        QVERIFY(users);
        QCOMPARE(users->topLevelItemCount(), 1);
        users->setCurrentItem(users->topLevelItem(0));
        users->topLevelItem(0)->setSelected(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>("Remove1"), Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>("Ok1"), Qt::LeftButton);
    });
    QTest::mouseClick(find<QPushButton>("Security1"), Qt::LeftButton);
    QVERIFY(m_form->state().newShareAcl);
    QCOMPARE(m_form->state().newShareAcl->aceCount(), std::uint16_t(0));

    auto* tree = find<QTreeWidget>("DirTree1");
    QTreeWidgetItem* c = child(tree->topLevelItem(0), "C:");
    c->setExpanded(true);
    tree->setCurrentItem(child(c, "Users"));
    selectDirectories({"alice"});
    QTest::mouseClick(find<QPushButton>("Create1"), Qt::LeftButton);
    // Only the account's own entry: the emptied list was used.
    const auto dacl = daclOf(m_net->findShare(u"SRV1", u"alice")->securityDescriptor);
    QVERIFY(dacl);
    QCOMPARE(dacl->aceCount(), std::uint16_t(1));
    QVERIFY(dacl->ace(0)->sid == AliceSid);
}

QTEST_MAIN(BulkThroughMainWindowTest)
#include "BulkThroughMainWindowTest.moc"
