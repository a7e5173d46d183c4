// The bulk pages of the real main window against two sandboxed Samba servers: browsing the first
// server's drive share, creating shares from its directories, and copying shares from the second
// server to the first. Everything created is read back through a fresh backend connection.
#include "app/TForm1.h"
#include "platform/SecurityDescriptor.h"
#include "platform/smb/codec/Utf.h"
#include "security/AclBuilding.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TreeTexts.h"
#include "tests/integration/TestServer.h"
#include "ui/Text.h"
#include "ui/UserLimitSpinBox.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace corvane;
using namespace corvane::integration;

namespace {

// Samba stores GENERIC_ALL with the specific rights it maps to added (0x101F01FF); either
// form is Full Control, a Change or Read mask is not.
constexpr std::uint32_t SpecificFullControl = 0x001F01FF;
bool isFullControl(std::uint32_t mask) {
    return (mask & GenericAll) != 0 || (mask & SpecificFullControl) == SpecificFullControl;
}

// The tree keeps the order the server lists directories in; compared as a set.
QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i)
        out << node->child(i)->text(0);
    out.sort();
    return out;
}

QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    qFatal("no child %s under %s", qPrintable(text), qPrintable(parent->text(0)));
}

// The record as the server holds it now, over a connection of its own (the window's
// connection may answer from before the change).
ShareInfo502 readBackRecord(const TestServer& server, const std::u16string& netname,
                            Status& result) {
    ShareInfo502 info;
    result = readBack(server, netname, info);
    return info;
}

QString parameter(const TestServer& server, const std::u16string& share, const char* name) {
    return QString::fromStdString(server.shareParameter(smb::toUtf8(share), name));
}

} // namespace

class BulkMainWindowIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void browseTwoLevelsAndCreateHiddenShares();
    void userOptionGivesTheAccountFullControl();
    void userOptionWithoutAnAccountAsks_data();
    void userOptionWithoutAnAccountAsks();
    void directoryDeeperThan260CharactersIsShared();
    void copyThreeSharesFromTheSecondServerUnderANewParent();

private:
    template <typename T> T* find(const char* page, const char* name) const {
        auto* tab = m_form->findChild<QWidget*>(QString::fromLatin1(page));
        T* w = tab ? tab->findChild<T*>(QString::fromLatin1(name)) : nullptr;
        if (!w)
            qFatal("no %s on %s", name, page);
        return w;
    }
    QTreeWidget* dirTree() const { return find<QTreeWidget>("TabSheet3", "DirTree1"); }
    QTreeWidget* dirList() const { return find<QTreeWidget>("TabSheet3", "DirList1"); }
    // Whether the computer opened; a test goes no further when it did not.
    bool openComputer(const std::u16string& name);
    QTreeWidgetItem* expand(QTreeWidgetItem* node);
    void selectDirectories(const QStringList& names);
    QString shownMessages() const { return m_messages->texts_shown().join(QLatin1String(" | ")); }

    const TestServer& m_first = TestServer::primary();
    const TestServer& m_second = TestServer::secondary();
    std::unique_ptr<Session> m_session;
    std::unique_ptr<test::ScriptedMessageBoxes> m_messages;
    std::unique_ptr<TForm1> m_form;
    std::filesystem::path m_madeDirectory;
};

void BulkMainWindowIntegrationTest::init() {
    QVERIFY(m_first.resetShares());
    QVERIFY(m_second.resetShares());
    // One backend for both servers: the administrator has the same name and password on each,
    // and an empty domain means each server's own.
    m_session = std::make_unique<Session>(m_first);
    m_messages = std::make_unique<test::ScriptedMessageBoxes>();
    m_form = std::make_unique<TForm1>(m_session->network, m_session->network, m_session->network,
                                      *m_messages);
    QVERIFY(m_form->constructedOk());
}

void BulkMainWindowIntegrationTest::cleanup() {
    m_form.reset();
    m_messages.reset();
    m_session.reset();
    QVERIFY(m_first.resetShares());
    QVERIFY(m_second.resetShares());
    if (!m_madeDirectory.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(m_madeDirectory, ignored);
        m_madeDirectory.clear();
    }
}

bool BulkMainWindowIntegrationTest::openComputer(const std::u16string& name) {
    auto* box = m_form->findChild<QLineEdit*>(QStringLiteral("Computer1"));
    if (!box)
        return false;
    box->clear();
    QTest::keyClicks(box, fromU16(name));
    QTest::keyClick(box, Qt::Key_Return);
    return m_form->state().computerName == fromU16(name) &&
           m_form->findChild<QTreeWidget*>(QStringLiteral("DirTree1"))->topLevelItemCount() > 0;
}

QTreeWidgetItem* BulkMainWindowIntegrationTest::expand(QTreeWidgetItem* node) {
    node->setExpanded(true);
    return node;
}

void BulkMainWindowIntegrationTest::selectDirectories(const QStringList& names) {
    QTreeWidget* list = dirList();
    list->clearSelection();
    for (const QString& name : names) {
        const auto rows = list->findItems(name, Qt::MatchExactly);
        QVERIFY2(rows.size() == 1, qPrintable(name));
        rows.first()->setSelected(true);
    }
}

void BulkMainWindowIntegrationTest::browseTwoLevelsAndCreateHiddenShares() {
    QVERIFY(openComputer(m_first.address()));
    QTreeWidget* tree = dirTree();
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    QCOMPARE(root->text(0), fromU16(m_first.address()));
    QCOMPARE(childTexts(root), (QStringList{"C:", "D:"}));

    // Down two levels: C: -> Data -> Alpha, each node's children read from the server.
    QTreeWidgetItem* c = expand(child(root, "C:"));
    const QStringList top = childTexts(c);
    for (const char* name : {"Data", "Users", "Hidden", "Windows"})
        QVERIFY2(top.contains(name), qPrintable(top.join(',')));
    QVERIFY2(!top.contains(".config"), qPrintable(top.join(',')));
    QTreeWidgetItem* data = expand(child(c, "Data"));
    QCOMPARE(childTexts(data), (QStringList{"Alpha", "Beta"}));
    QTreeWidgetItem* alpha = expand(child(data, "Alpha"));
    QCOMPARE(childTexts(alpha), QStringList{"Docs"});
    tree->setCurrentItem(alpha);
    QCOMPARE(m_form->state().currentDirectory, QString(R"(C$\Data\Alpha\)"));
    QCOMPARE(test::columnTexts(dirList()), QStringList{"Docs"});

    tree->setCurrentItem(data);
    QCOMPARE(m_form->state().currentDirectory, QString(R"(C$\Data\)"));
    QCOMPARE(test::columnTexts(dirList()), (QStringList{"Alpha", "Beta"}));

    selectDirectories({"Alpha", "Beta"});
    const QString comment = QString::fromUtf8("Créé depuis les dossiers");
    find<QLineEdit>("TabSheet3", "CommonComment1")->setText(comment);
    find<UserLimitSpinBox>("TabSheet3", "MaximumUsers1")->setValue(4);
    find<QCheckBox>("TabSheet3", "CreateAllSharesHidden1")->setChecked(true);
    QTest::mouseClick(find<QPushButton>("TabSheet3", "Create1"), Qt::LeftButton);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownMessages()));

    const std::pair<const char16_t*, const char*> created[] = {{u"Alpha$", "Data/Alpha"},
                                                               {u"Beta$", "Data/Beta"}};
    for (const auto& [name, relative] : created) {
        Status result = 1;
        const ShareInfo502 back = readBackRecord(m_first, name, result);
        QCOMPARE(result, status::Success);
        QCOMPARE(back.type, StypeDisktree);
        QCOMPARE(fromU16(back.path), fromU16(m_first.serverPath("C", relative)));
        QCOMPARE(fromU16(back.remark), comment);
        // Samba keeps the limit as "max connections"; the backend reads it back at level 2.
        QCOMPARE(parameter(m_first, name, "max connections"), QString("4"));
        QCOMPARE(back.maxUses, 4u);
        // The list for new shares: Everyone allowed full control, inheritable as given.
        const auto dacl = daclOf(back.securityDescriptor);
        QVERIFY(dacl);
        QCOMPARE(dacl->aceCount(), std::uint16_t(1));
        const auto ace = dacl->ace(0);
        QVERIFY(ace && ace->sid);
        QCOMPARE(ace->type, AccessAllowedAceType);
        QCOMPARE(ace->flags, ExplicitAceFlags);
        QCOMPARE(QString::fromStdString(ace->sid->toString()), QString("S-1-1-0"));
        QVERIFY2(isFullControl(ace->mask), qPrintable(QString::number(ace->mask, 16)));
    }
    // The originals are untouched and the main list shows the new shares.
    Status result = 1;
    QCOMPARE(fromU16(readBackRecord(m_first, u"Alpha", result).path),
             fromU16(m_first.serverPath("C", "Data/Alpha")));
    auto* shares = m_form->findChild<QTreeWidget*>(QStringLiteral("SharesList1"));
    QVERIFY(shares);
    QCOMPARE(shares->findItems("Alpha$", Qt::MatchExactly).size(), 1);
    QCOMPARE(shares->findItems("Beta$", Qt::MatchExactly).size(), 1);
}

void BulkMainWindowIntegrationTest::userOptionGivesTheAccountFullControl() {
    QVERIFY(openComputer(m_first.address()));
    QTreeWidget* tree = dirTree();
    QTreeWidgetItem* c = expand(child(tree->topLevelItem(0), "C:"));
    QTreeWidgetItem* users = child(c, "Users");
    tree->setCurrentItem(users);
    QCOMPARE(m_form->state().currentDirectory, QString(R"(C$\Users\)"));
    const QStringList homes = test::columnTexts(dirList());
    QVERIFY2(homes.contains(fromU16(m_first.user1())) && homes.contains(fromU16(m_first.user2())),
             qPrintable(homes.join(',')));

    selectDirectories({fromU16(m_first.user1()), fromU16(m_first.user2())});
    find<QCheckBox>("TabSheet3", "CreateAllSharesHidden1")->setChecked(true);
    find<QCheckBox>("TabSheet3", "AddDirectoryNameAsUserName1")->setChecked(true);
    find<QLineEdit>("TabSheet3", "CommonComment1")->setText("Home folder");
    find<UserLimitSpinBox>("TabSheet3", "MaximumUsers1")->setValue(1);
    QTest::mouseClick(find<QPushButton>("TabSheet3", "Create1"), Qt::LeftButton);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownMessages()));

    for (const std::u16string& user : {m_first.user1(), m_first.user2()}) {
        // The account of the first server, where the share was made (the second has its own).
        Account account;
        QCOMPARE(m_session->network.lookupName(m_first.address(), user, account), status::Success);
        Status result = 1;
        const ShareInfo502 back = readBackRecord(m_first, user + u"$", result);
        QCOMPARE(result, status::Success);
        QCOMPARE(back.type, StypeDisktree);
        QCOMPARE(fromU16(back.path),
                 fromU16(m_first.serverPath("C", "Users/" + smb::toUtf8(user))));
        QCOMPARE(fromU16(back.remark), QString("Home folder"));
        QCOMPARE(parameter(m_first, user + u"$", "max connections"), QString("1"));
        QCOMPARE(back.maxUses, 1u);
        const auto dacl = daclOf(back.securityDescriptor);
        QVERIFY(dacl);
        QCOMPARE(dacl->aceCount(), std::uint16_t(2));
        int accountFull = 0, everyoneFull = 0;
        for (std::size_t i = 0; i < dacl->aceCount(); ++i) {
            const auto ace = dacl->ace(i);
            QVERIFY(ace && ace->sid);
            const bool full = ace->type == AccessAllowedAceType && isFullControl(ace->mask);
            accountFull += full && *ace->sid == account.sid;
            everyoneFull += full && ace->sid->toString() == "S-1-1-0";
        }
        QCOMPARE(accountFull, 1);
        QCOMPARE(everyoneFull, 1);
    }
}

void BulkMainWindowIntegrationTest::copyThreeSharesFromTheSecondServerUnderANewParent() {
    // Three shares only the second server has, from two parents, one hidden, each carrying the
    // access list of a demo share (deny entries, groups, accounts of that server). Names the
    // first server never had: Samba's RPC workers may answer a share name they have already
    // looked up from memory, so a re-used name would read back stale.
    struct Copied {
        const char16_t* name;
        const char* sourceDirectory;
        const char16_t* listFrom;
        const char* directory;
        std::uint32_t maxUses;
    };
    const Copied copied[] = {{u"Orion", "Projects/Orion", u"Alpha", "Orion", 9},
                             {u"Vega$", "Projects/Vega", u"Backup$", "Vega", NoUserLimit},
                             {u"Reports", "Work/Reports", u"Work", "Reports", 250}};
    for (const Copied& c : copied) {
        ShareInfo502 info;
        QCOMPARE(m_session->network.getInfo(m_second.address(), c.listFrom, info), status::Success);
        info.netname = c.name;
        info.path = m_second.serverPath("D", c.sourceDirectory);
        info.remark = std::u16string(u"Copy source ") + c.name;
        info.maxUses = NoUserLimit;
        QCOMPARE(m_session->network.add(m_second.address(), info), status::Success);
        // The limit set afterwards, as an administrator would edit it on the source.
        info.maxUses = c.maxUses;
        QCOMPARE(m_session->network.setInfo(m_second.address(), c.name, info), status::Success);
    }
    // The new parent on the first server, with the directories the re-rooted paths name.
    m_madeDirectory = std::filesystem::path(m_first.value("CORVANE_TEST_C_ROOT")) / "Copied";
    for (const Copied& c : copied) {
        std::error_code error;
        std::filesystem::create_directories(m_madeDirectory / c.directory, error);
        QVERIFY2(!error, error.message().c_str());
    }
    const QString parent = fromU16(m_first.serverPath("C", "Copied"));

    QVERIFY(openComputer(m_first.address()));
    auto* sourceBox = find<QLineEdit>("TabSheet2", "SourceComputer1");
    QTest::keyClicks(sourceBox, fromU16(m_second.address()));
    QTest::mouseClick(find<QPushButton>("TabSheet2", "OpenCopyComputer1"), Qt::LeftButton);
    auto* source = find<QTreeWidget>("TabSheet2", "SourceComputerSharesList1");
    const QStringList offered = test::columnTexts(source);
    for (const Copied& c : copied) {
        const auto rows = source->findItems(fromU16(c.name), Qt::MatchExactly);
        QVERIFY2(rows.size() == 1, qPrintable(offered.join(',')));
        rows.first()->setSelected(true);
    }
    // The parent of the share selected last (Reports, below the second server's D\Work).
    QCOMPARE(find<QLineEdit>("TabSheet2", "SourceComputerParentDir1")->text(),
             fromU16(m_second.serverPath("D", "Work")) + "\\");
    QTest::keyClicks(find<QLineEdit>("TabSheet2", "DestinationComputerParentDir1"), parent);
    QTest::mouseClick(find<QPushButton>("TabSheet2", "Copy1"), Qt::LeftButton);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownMessages()));

    auto* shares = m_form->findChild<QTreeWidget*>(QStringLiteral("SharesList1"));
    QVERIFY(shares);
    for (const Copied& c : copied) {
        const QString expectedPath = parent + "\\" + c.directory;
        Status result = 1;
        const ShareInfo502 original = readBackRecord(m_second, c.name, result);
        QCOMPARE(result, status::Success);
        const ShareInfo502 copy = readBackRecord(m_first, c.name, result);
        QCOMPARE(result, status::Success);
        QCOMPARE(copy.type, StypeDisktree);
        QCOMPARE(fromU16(copy.path), expectedPath);
        QCOMPARE(fromU16(copy.remark), fromU16(original.remark));
        QCOMPARE(original.maxUses, c.maxUses);
        QCOMPARE(copy.maxUses, original.maxUses);
        const auto sourceDacl = daclOf(original.securityDescriptor);
        const auto copyDacl = daclOf(copy.securityDescriptor);
        QVERIFY(sourceDacl && copyDacl);
        QVERIFY(sourceDacl->aceCount() > 0);
        QVERIFY(copyDacl->bytes() == sourceDacl->bytes());
        // The main list was reloaded from the first server and shows the copy where it is.
        const auto rows = shares->findItems(fromU16(c.name), Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first()->text(1), expectedPath);
    }
}

void BulkMainWindowIntegrationTest::userOptionWithoutAnAccountAsks_data() {
    QTest::addColumn<bool>("goOn");
    QTest::newRow("Yes goes on") << true;
    QTest::newRow("No stops") << false;
}

void BulkMainWindowIntegrationTest::userOptionWithoutAnAccountAsks() {
    QFETCH(bool, goOn);
    // A home folder named after nobody the server knows, first in the list's order.
    m_madeDirectory = std::filesystem::path(m_first.value("CORVANE_TEST_C_ROOT")) / "Users/aaron";
    std::error_code error;
    std::filesystem::create_directories(m_madeDirectory, error);
    QVERIFY2(!error, error.message().c_str());

    QVERIFY(openComputer(m_first.address()));
    QTreeWidget* tree = dirTree();
    QTreeWidgetItem* c = expand(child(tree->topLevelItem(0), "C:"));
    tree->setCurrentItem(child(c, "Users"));
    QCOMPARE(test::columnTexts(dirList()).value(0), QString("aaron"));
    selectDirectories({"aaron", fromU16(m_first.user1())});
    find<QCheckBox>("TabSheet3", "AddDirectoryNameAsUserName1")->setChecked(true);
    m_messages->answers.enqueue(goOn ? MessageBoxes::Answer::Yes : MessageBoxes::Answer::No);
    QTest::mouseClick(find<QPushButton>("TabSheet3", "Create1"), Qt::LeftButton);

    QCOMPARE(m_messages->shown.size(), 1);
    QCOMPARE(m_messages->shown[0].title, QString("aaron"));
    QVERIFY2(m_messages->shown[0].text.contains("Could not find user on network"),
             qPrintable(m_messages->shown[0].text));
    QVERIFY(!listedOn(m_first, u"aaron"));
    QCOMPARE(listedOn(m_first, m_first.user1()), goOn);
}

void BulkMainWindowIntegrationTest::directoryDeeperThan260CharactersIsShared() {
    QVERIFY(openComputer(m_first.address()));
    QTreeWidget* tree = dirTree();
    QTreeWidgetItem* c = expand(child(tree->topLevelItem(0), "C:"));
    tree->setCurrentItem(c);
    // Down eleven levels by double-clicking the list: Deep, Level01 to Level09, Bottom.
    std::string relative = "Deep";
    QTreeWidget* list = dirList();
    QString step = "Deep";
    for (int level = 0; level <= 10; ++level) {
        selectDirectories({step});
        emit list->itemDoubleClicked(list->selectedItems().value(0), 0);
        QCOMPARE(tree->currentItem()->text(0), step);
        if (level == 10)
            break;
        QCOMPARE(list->topLevelItemCount(), 1);
        step = list->topLevelItem(0)->text(0);
        relative += "/" + step.toStdString();
    }
    QCOMPARE(step, QString("Bottom"));
    QVERIFY(m_form->state().currentDirectory.size() > 260);
    // The node of the deepest level shows an empty list: Bottom has no sub-directories.
    QCOMPARE(list->topLevelItemCount(), 0);

    // Back to the parent of Bottom and share it from the list.
    tree->setCurrentItem(tree->currentItem()->parent());
    selectDirectories({"Bottom"});
    QTest::mouseClick(find<QPushButton>("TabSheet3", "Create1"), Qt::LeftButton);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(shownMessages()));
    Status result = 1;
    const ShareInfo502 back = readBackRecord(m_first, u"Bottom", result);
    QCOMPARE(result, status::Success);
    QCOMPARE(fromU16(back.path), fromU16(m_first.serverPath("C", relative)));
    QVERIFY(back.path.size() > 260);
}

QTEST_MAIN(BulkMainWindowIntegrationTest)
#include "BulkMainWindowIntegrationTest.moc"
