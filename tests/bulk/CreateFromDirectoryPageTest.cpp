#include "bulk/CreateFromDirectoryPage.h"
#include "security/AclBuilding.h"
#include "security/TSecurityForm1.h"
#include "support/Fixture.h"
#include "ui/UserLimitSpinBox.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace corvane;
using corvane::fake::Call;
using corvane::test::ServicesFixture;
using Boxes = corvane::MessageBoxes;

namespace {

const std::u16string Server = u"SRV1";
const Sid AlphaSid = Sid::make(5, {21, 1, 2, 3, 1001});
const Sid GammaSid = Sid::make(5, {21, 1, 2, 3, 1003});

// Everyone allowed GENERIC_ALL with both inherit flags, as the start-up list holds it.
std::vector<std::uint8_t> everyoneFullControlDescriptor() {
    return {
        0x01, 0x00, 0x04, 0x80,             // revision 1, control: DACL present, self-relative
        0x00, 0x00, 0x00, 0x00,             // no owner
        0x00, 0x00, 0x00, 0x00,             // no group
        0x00, 0x00, 0x00, 0x00,             // no SACL
        0x14, 0x00, 0x00, 0x00,             // DACL at 20
        0x02, 0x00, 0x1C, 0x00,             // ACL revision 2, size 28
        0x01, 0x00, 0x00, 0x00,             // one entry
        0x00, 0x03, 0x14, 0x00,             // allowed, OI|CI, 20 bytes
        0x00, 0x00, 0x00, 0x10,             // GENERIC_ALL
        0x01, 0x01, 0x00, 0x00, 0x00, 0x00, // S-1-1-0
        0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    };
}

QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList out;
    for (int i = 0; i < node->childCount(); ++i)
        out << node->child(i)->text(0);
    return out;
}

} // namespace

class CreateFromDirectoryPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsWithPlainSharesWithoutLimit();
    void openingBuildsRootAndDrives();
    void openingAgainRebuildsTheTree();
    void drivesComeFromTheListedSharesWithoutACall();
    void openingAgainEmptiesTheListAndKeepsCurrentDirectory();
    void selectingADriveListsItsDirectoriesSorted();
    void nodePathOfADirectory();
    void dotDirectoriesAreLeftOut();
    void selectingTheRootEmptiesTheList();
    void unreadableSelectionShowsTheMessage();
    void expandingFindsNothing_data();
    void expandingFindsNothing();
    void expandingAnotherNodeKeepsTheSelection();
    void expansionReReadsTheDirectory();
    void collapsingAnAncestorSelectsIt_data();
    void collapsingAnAncestorSelectsIt();
    void selectingAnEmptyDriveListsNothingAndShowsNoMessage();
    void directoryListIsSortedCaseSensitively();
    void directoryDeeperThan260CharactersIsShared();
    void doubleClickWithTwoSelectedDoesNothing();
    void doubleClickDescends();

    void createDoesNothingWithoutSelection_data();
    void createDoesNothingWithoutSelection();
    void createsHiddenSharesWithExactRecords();
    void accountNotFoundAsks_data();
    void accountNotFoundAsks();
    void duplicateNameAsks();
    void maximumUsers_data();
    void maximumUsers();
    void securityDialogClosedAtOnceKeepsTheList();

private:
    QTreeWidget* tree() const { return m_page->findChild<QTreeWidget*>("DirTree1"); }
    QTreeWidget* dirList() const { return m_page->findChild<QTreeWidget*>("DirList1"); }
    QCheckBox* check(const char* name) const { return m_page->findChild<QCheckBox*>(name); }
    QTreeWidgetItem* node(const QStringList& textsFromDrive);
    void selectNode(const QStringList& textsFromDrive) {
        tree()->setCurrentItem(node(textsFromDrive));
    }
    void selectDirectories(const QStringList& names);

    std::unique_ptr<ServicesFixture> f;
    std::unique_ptr<TSecurityForm1> m_security;
    std::unique_ptr<CreateFromDirectoryPage> m_page;
};

void CreateFromDirectoryPageTest::init() {
    f = std::make_unique<ServicesFixture>();
    f->state.computerName = "SRV1";
    f->state.newShareAcl = everyoneFullControlAcl();
    f->net.addDiskShare(Server, u"C$", u"C:\\");
    f->net.addDiskShare(Server, u"D$", u"D:\\");
    for (const char16_t* dir :
         {u"C$\\Data\\Gamma", u"C$\\Data\\Alpha\\Inner", u"C$\\Data\\Beta", u"C$\\Data\\.config",
          u"C$\\Empty", u"C$\\Locked\\Sub", u"D$\\Work\\Deep\\Deeper"})
        f->net.addDirectory(Server, dir);
    f->net.computer(Server).unreadable.insert(u"c$\\locked\\");
    f->net.addAccount(Server, u"Alpha", u"SRV1", SidNameUse::User, AlphaSid);
    f->net.addAccount(Server, u"Gamma", u"SRV1", SidNameUse::User, GammaSid);

    m_security = std::make_unique<TSecurityForm1>(f->net, f->messages, f->images);
    m_page = std::make_unique<CreateFromDirectoryPage>(f->ctx, m_security.get());
    m_page->computerOpened();
    f->net.clearCalls();
}

void CreateFromDirectoryPageTest::cleanup() {
    m_page.reset();
    m_security.reset();
    f.reset();
}

// Finds a node by its texts from the drive node down, expanding each level on the way.
QTreeWidgetItem* CreateFromDirectoryPageTest::node(const QStringList& textsFromDrive) {
    QTreeWidgetItem* at = tree()->topLevelItem(0);
    for (const QString& text : textsFromDrive) {
        if (at->parent())
            at->setExpanded(true);
        QTreeWidgetItem* next = nullptr;
        for (int i = 0; i < at->childCount() && !next; ++i)
            if (at->child(i)->text(0) == text)
                next = at->child(i);
        if (!next)
            qFatal("no node %s", qPrintable(text));
        at = next;
    }
    return at;
}

void CreateFromDirectoryPageTest::selectDirectories(const QStringList& names) {
    dirList()->clearSelection();
    for (const QString& name : names) {
        const auto found = dirList()->findItems(name, Qt::MatchExactly, 0);
        QCOMPARE(found.size(), 1);
        found.first()->setSelected(true);
    }
}

void CreateFromDirectoryPageTest::startsWithPlainSharesWithoutLimit() {
    QCOMPARE(dirList()->selectionMode(), QAbstractItemView::ExtendedSelection);
    QVERIFY(!check("CreateAllSharesHidden1")->isChecked());
    QVERIFY(!m_page->addDirectoryNameAsUserName());
    check("AddDirectoryNameAsUserName1")->setChecked(true);
    QVERIFY(m_page->addDirectoryNameAsUserName());
    QCOMPARE(m_page->findChild<UserLimitSpinBox*>("MaximumUsers1")->value(), -1);
}

void CreateFromDirectoryPageTest::openingBuildsRootAndDrives() {
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree()->topLevelItem(0);
    QCOMPARE(root->text(0), QString("SRV1"));
    QCOMPARE(itemImage(root), int(ImageList::Computer));
    QVERIFY(root->isExpanded());
    QCOMPARE(childTexts(root), (QStringList{"C:", "D:"}));
    for (int i = 0; i < root->childCount(); ++i) {
        QCOMPARE(itemImage(root->child(i)), int(ImageList::DiskDrive));
        QCOMPARE(root->child(i)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        QCOMPARE(root->child(i)->childCount(), 0);
    }
}

void CreateFromDirectoryPageTest::openingAgainRebuildsTheTree() {
    node({"C:", "Data"});
    f->net.addDiskShare(Server, u"E$", u"E:\\");
    m_page->computerOpened();
    QCOMPARE(tree()->topLevelItemCount(), 1);
    QCOMPARE(childTexts(tree()->topLevelItem(0)), (QStringList{"C:", "D:", "E:"}));
    QCOMPARE(tree()->topLevelItem(0)->child(0)->childCount(), 0);
    QCOMPARE(f->net.callsOf(Call::GetInfo).size(), size_t(26));
}

void CreateFromDirectoryPageTest::drivesComeFromTheListedSharesWithoutACall() {
    // The main list as an open leaves it: E$ is listed, C$ and D$ are not.
    for (const char* name : {"Data", "e$", "IPC$"})
        f->list.addTopLevelItem(new QTreeWidgetItem({QString::fromLatin1(name)}));
    m_page->computerOpened();
    QCOMPARE(childTexts(tree()->topLevelItem(0)), (QStringList{"E:"}));
    QVERIFY(f->net.callsOf(Call::GetInfo).empty());
}

void CreateFromDirectoryPageTest::openingAgainEmptiesTheListAndKeepsCurrentDirectory() {
    selectNode({"C:", "Data"});
    QCOMPARE(dirList()->topLevelItemCount(), 3);
    m_page->computerOpened();
    QCOMPARE(dirList()->topLevelItemCount(), 0);
    QVERIFY(tree()->selectedItems().isEmpty());
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
}

void CreateFromDirectoryPageTest::selectingADriveListsItsDirectoriesSorted() {
    selectNode({"C:"});
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\)"));
    const auto lists = f->net.callsOf(Call::ListDirectories);
    QCOMPARE(lists.size(), size_t(1));
    QVERIFY(lists[0].server == Server);
    QVERIFY(lists[0].name == u"C$\\");
    QStringList rows;
    for (int i = 0; i < dirList()->topLevelItemCount(); ++i) {
        rows << dirList()->topLevelItem(i)->text(0);
        QCOMPARE(itemImage(dirList()->topLevelItem(i)), int(ImageList::ClosedFolder));
    }
    QCOMPARE(rows, (QStringList{"Data", "Empty", "Locked"}));
}

void CreateFromDirectoryPageTest::nodePathOfADirectory() {
    selectNode({"D:", "Work"});
    QCOMPARE(f->state.currentDirectory, QString(R"(D$\Work\)"));
    // expanding D:, then selecting Work
    QCOMPARE(f->calls(Call::ListDirectories),
             (QStringList{R"(ListDirectories D$\)", R"(ListDirectories D$\Work\)"}));
    QTreeWidgetItem* work = node({"D:", "Work"});
    QCOMPARE(itemImage(work), int(ImageList::ClosedFolder));
    QCOMPARE(itemSelectedImage(work), int(ImageList::OpenFolder));
    QCOMPARE(work->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    QCOMPARE(dirList()->topLevelItemCount(), 1);
    QCOMPARE(dirList()->topLevelItem(0)->text(0), QString("Deep"));
}

void CreateFromDirectoryPageTest::dotDirectoriesAreLeftOut() {
    selectNode({"C:", "Data"});
    QCOMPARE(dirList()->findItems(".config", Qt::MatchExactly).size(), 0);
    QCOMPARE(dirList()->topLevelItemCount(), 3);
    QTreeWidgetItem* data = node({"C:", "Data"});
    data->setExpanded(true);
    QCOMPARE(childTexts(data), (QStringList{"Gamma", "Alpha", "Beta"})); // as the server gives
}

void CreateFromDirectoryPageTest::selectingTheRootEmptiesTheList() {
    selectNode({"C:", "Data"});
    QVERIFY(dirList()->topLevelItemCount() > 0);
    f->net.clearCalls();
    tree()->setCurrentItem(tree()->topLevelItem(0));
    QCOMPARE(dirList()->topLevelItemCount(), 0);
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
    QVERIFY(f->net.calls().empty());
}

void CreateFromDirectoryPageTest::unreadableSelectionShowsTheMessage() {
    selectNode({"C:"});
    selectNode({"C:", "Locked"});
    QCOMPARE(dirList()->topLevelItemCount(), 0);
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Locked\)"));
    QCOMPARE(f->messages.shown.size(), 1);
    QCOMPARE(f->messages.shown[0].title, QString("ERROR"));
    QCOMPARE(f->messages.shown[0].text, QString("Could not retrieve path!"));
    QCOMPARE(f->messages.shown[0].icon, Boxes::Icon::Error);
    QCOMPARE(f->messages.shown[0].buttons, Boxes::Buttons::Ok);
}

void CreateFromDirectoryPageTest::expandingFindsNothing_data() {
    QTest::addColumn<QString>("directory");
    QTest::newRow("no sub-directories") << "Empty";
    QTest::newRow("cannot be read") << "Locked";
}

void CreateFromDirectoryPageTest::expandingFindsNothing() {
    QFETCH(QString, directory);
    QTreeWidgetItem* dir = node({"C:", directory});
    QCOMPARE(dir->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    dir->setExpanded(true);
    QCOMPARE(dir->childCount(), 0);
    QCOMPARE(dir->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    QVERIFY(f->messages.shown.isEmpty());
}

void CreateFromDirectoryPageTest::expandingAnotherNodeKeepsTheSelection() {
    selectNode({"C:", "Data"});
    f->net.clearCalls();
    node({"D:", "Work"})->setExpanded(true);
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
    QCOMPARE(dirList()->topLevelItemCount(), 3);
    QCOMPARE(tree()->currentItem()->text(0), QString("Data"));
    QCOMPARE(f->calls(Call::ListDirectories),
             (QStringList{R"(ListDirectories D$\)", R"(ListDirectories D$\Work\)"}));
}

void CreateFromDirectoryPageTest::expansionReReadsTheDirectory() {
    QTreeWidgetItem* data = node({"C:", "Data"});
    data->setExpanded(true);
    QCOMPARE(data->childCount(), 3);
    f->net.addDirectory(Server, u"C$\\Data\\Delta");
    data->setExpanded(false);
    data->setExpanded(true);
    QCOMPARE(childTexts(data), (QStringList{"Gamma", "Alpha", "Beta", "Delta"}));
}

void CreateFromDirectoryPageTest::collapsingAnAncestorSelectsIt_data() {
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QStringList>("children");
    QTest::addColumn<QString>("listing");
    QTest::newRow("re-read") << true << QStringList{"Gamma", "Alpha", "Beta"}
                             << QString(R"(ListDirectories C$\Data\)");
    QTest::newRow("unreadable now")
        << false << QStringList{} << QString(R"(ListDirectories C$\Data\!5)");
}

// Collapsing hands the hidden selection to the collapsed node, which the list then shows; the
// later expansion is of the selected node, re-reads only it and keeps the list, silently.
void CreateFromDirectoryPageTest::collapsingAnAncestorSelectsIt() {
    QFETCH(bool, readable);
    QFETCH(QStringList, children);
    QFETCH(QString, listing);
    selectNode({"C:", "Data", "Alpha"});
    QTreeWidgetItem* data = node({"C:", "Data"});
    data->setExpanded(false);
    QCOMPARE(tree()->currentItem(), data);
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
    QCOMPARE(dirList()->topLevelItemCount(), 3);
    if (!readable)
        f->net.failNext(Call::ListDirectories, status::AccessDenied, u"C$\\Data\\");
    f->net.clearCalls();
    data->setExpanded(true);
    QCOMPARE(tree()->selectedItems(), QList<QTreeWidgetItem*>{data});
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
    QCOMPARE(dirList()->topLevelItemCount(), 3);
    QVERIFY(f->messages.shown.isEmpty());
    QCOMPARE(f->calls(Call::ListDirectories), QStringList{listing});
    QCOMPARE(childTexts(data), children);
}

void CreateFromDirectoryPageTest::selectingAnEmptyDriveListsNothingAndShowsNoMessage() {
    f->net.addDiskShare(Server, u"E$", u"E:\\");
    m_page->computerOpened();
    selectNode({"E:"});
    QCOMPARE(f->state.currentDirectory, QString(R"(E$\)"));
    QCOMPARE(dirList()->topLevelItemCount(), 0);
    QVERIFY(f->messages.shown.isEmpty());
    // Expanded, it has nothing to show and loses its expand button.
    QTreeWidgetItem* drive = node({"E:"});
    drive->setExpanded(true);
    QCOMPARE(drive->childCount(), 0);
    QCOMPARE(drive->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
    QVERIFY(f->messages.shown.isEmpty());
}

void CreateFromDirectoryPageTest::directoryListIsSortedCaseSensitively() {
    for (const char16_t* dir : {u"C$\\Mixed\\Beta", u"C$\\Mixed\\beta", u"C$\\Mixed\\alpha"})
        f->net.addDirectory(Server, dir);
    selectNode({"C:", "Mixed"});
    const QStringList rows = test::columnTexts(dirList());
    // The locale's order: small before capital of the same word, not code-point order.
    QCOMPARE(rows, (QStringList{"alpha", "beta", "Beta"}));
    // The tree keeps the order the server gave.
    QTreeWidgetItem* mixed = node({"C:", "Mixed"});
    mixed->setExpanded(true);
    QCOMPARE(childTexts(mixed), (QStringList{"Beta", "beta", "alpha"}));
}

void CreateFromDirectoryPageTest::directoryDeeperThan260CharactersIsShared() {
    QStringList texts{"C:", "Deep"};
    QString path = R"(C$\Deep)";
    for (int level = 1; level <= 10; ++level) {
        texts << QString("Level%1_").arg(level, 2, 10, QChar('0')).leftJustified(30, 'x');
        path += '\\' + texts.last();
    }
    f->net.addDirectory(Server, (path + R"(\Bottom)").toStdU16String());
    selectNode(texts);
    QVERIFY(f->state.currentDirectory.size() > 260);
    QVERIFY(f->messages.shown.isEmpty());
    selectDirectories({"Bottom"});
    m_page->Create1Click();
    QVERIFY(f->messages.shown.isEmpty());
    const ShareInfo502* share = f->net.findShare(Server, u"Bottom");
    QVERIFY(share);
    const QString expected = "C:" + path.mid(2) + R"(\Bottom)";
    QVERIFY(expected.size() > 260);
    QCOMPARE(QString::fromStdU16String(share->path), expected);
}

void CreateFromDirectoryPageTest::doubleClickWithTwoSelectedDoesNothing() {
    selectNode({"C:", "Data"});
    selectDirectories({"Alpha", "Beta"});
    f->net.clearCalls();
    m_page->DirList1DblClick();
    QCOMPARE(tree()->currentItem()->text(0), QString("Data"));
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\)"));
    QVERIFY(f->net.calls().empty());
}

void CreateFromDirectoryPageTest::doubleClickDescends() {
    selectNode({"C:", "Data"});
    f->net.addDirectory(Server, u"C$\\Data\\Alpha\\Second");
    selectDirectories({"Alpha"});
    emit dirList()->itemDoubleClicked(dirList()->findItems("Alpha", Qt::MatchExactly)[0], 0);
    QCOMPARE(tree()->currentItem()->text(0), QString("Alpha"));
    QCOMPARE(tree()->currentItem()->parent()->text(0), QString("Data"));
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\Alpha\)"));
    QCOMPARE(test::columnTexts(dirList()), (QStringList{"Inner", "Second"}));

    // Again one level down, where the node was already expanded and has since gained a child.
    QTreeWidgetItem* alpha = tree()->currentItem();
    alpha->setExpanded(true);
    f->net.addDirectory(Server, u"C$\\Data\\Alpha\\Third");
    selectDirectories({"Inner"});
    m_page->DirList1DblClick();
    QCOMPARE(f->state.currentDirectory, QString(R"(C$\Data\Alpha\Inner\)"));
    QCOMPARE(childTexts(alpha), (QStringList{"Inner", "Second", "Third"}));
}

void CreateFromDirectoryPageTest::createDoesNothingWithoutSelection_data() {
    QTest::addColumn<int>("situation");
    QTest::newRow("root selected") << 0;
    QTest::newRow("no directory selected") << 1;
    QTest::newRow("no tree node selected") << 2;
}

void CreateFromDirectoryPageTest::createDoesNothingWithoutSelection() {
    QFETCH(int, situation);
    selectNode({"C:", "Data"});
    if (situation == 0) {
        selectDirectories({"Alpha"});
        // Selecting the root empties the list, so put a selected row back by hand.
        tree()->setCurrentItem(tree()->topLevelItem(0));
        auto* row = new QTreeWidgetItem(dirList(), {"Alpha"});
        row->setSelected(true);
    } else if (situation == 1) {
        selectDirectories({});
    } else {
        selectDirectories({"Alpha"});
        tree()->blockSignals(true);
        tree()->clearSelection();
        tree()->blockSignals(false);
    }
    f->net.clearCalls();
    m_page->Create1Click();
    QVERIFY(f->net.calls().empty());
    QVERIFY(f->messages.shown.isEmpty());
}

void CreateFromDirectoryPageTest::createsHiddenSharesWithExactRecords() {
    selectNode({"C:", "Data"});
    selectDirectories({"Beta", "Alpha"});
    check("CreateAllSharesHidden1")->setChecked(true);
    m_page->findChild<QLineEdit*>("CommonComment1")->setText("Project data");
    f->net.clearCalls();
    m_page->Create1Click();

    QVERIFY(f->messages.shown.isEmpty());
    const auto& calls = f->net.calls();
    QCOMPARE(calls.size(), size_t(4));
    QCOMPARE(calls[0].call, Call::GetInfo); // where C$ starts
    QVERIFY(calls[0].name == u"C$");
    for (int i = 1; i < 3; ++i) {
        QCOMPARE(calls[i].call, Call::Add);
        QVERIFY(calls[i].server == Server);
        QCOMPARE(calls[i].result, status::Success);
    }
    ShareInfo502 expected;
    expected.netname = u"Alpha$";
    expected.type = StypeDisktree;
    expected.remark = u"Project data";
    expected.permissions = 0;
    expected.maxUses = NoUserLimit;
    expected.currentUses = 0;
    expected.path = u"C:\\Data\\Alpha";
    expected.reserved = 0;
    expected.securityDescriptor = everyoneFullControlDescriptor();
    QVERIFY(calls[1].info == expected); // list order: Alpha before Beta
    expected.netname = u"Beta$";
    expected.path = u"C:\\Data\\Beta";
    QVERIFY(calls[2].info == expected);
    QVERIFY(!calls[2].info->passwd);
    QCOMPARE(calls[3].call, Call::Enumerate);
    QVERIFY(calls[3].server == Server);
    QCOMPARE(f->list.findItems("Alpha$", Qt::MatchExactly).size(), 1);
    // The list for new shares is only copied.
    QVERIFY(f->state.newShareAcl == everyoneFullControlAcl());
}

void CreateFromDirectoryPageTest::accountNotFoundAsks_data() {
    QTest::addColumn<bool>("lookupFault");
    QTest::addColumn<bool>("answerYes");
    QTest::addColumn<QStringList>("created");
    QTest::newRow("no account, Yes") << false << true << QStringList{"Add Alpha", "Add Gamma"};
    QTest::newRow("no account, No") << false << false << QStringList{"Add Alpha"};
    QTest::newRow("lookup fails, Yes") << true << true << QStringList{"Add Alpha", "Add Gamma"};
}

void CreateFromDirectoryPageTest::accountNotFoundAsks() {
    QFETCH(bool, lookupFault);
    QFETCH(bool, answerYes);
    QFETCH(QStringList, created);
    if (lookupFault) {
        f->net.addAccount(Server, u"Beta", u"SRV1", SidNameUse::User, Sid::make(5, {21, 9}));
        f->net.failNext(Call::LookupName, status::RpcServerUnavailable, u"Beta");
    }
    selectNode({"C:", "Data"});
    selectDirectories({"Alpha", "Beta", "Gamma"});
    check("AddDirectoryNameAsUserName1")->setChecked(true);
    f->messages.answers.enqueue(answerYes ? Boxes::Answer::Yes : Boxes::Answer::No);
    f->net.clearCalls();
    m_page->Create1Click();

    QCOMPARE(f->messages.shown.size(), 1);
    QCOMPARE(f->messages.shown[0].title, QString("Beta"));
    QCOMPARE(f->messages.shown[0].text,
             QString("A system error has occured. Could not find user on network.\nThe share has "
                     "not been created. Continue?"));
    QCOMPARE(f->messages.shown[0].icon, Boxes::Icon::Error);
    QCOMPARE(f->messages.shown[0].buttons, Boxes::Buttons::YesNo);
    QCOMPARE(f->calls(Call::Add), created);
    QVERIFY(!f->net.findShare(Server, u"Beta"));
    QCOMPARE(f->net.calls().back().call, Call::Enumerate); // reloaded either way
}

void CreateFromDirectoryPageTest::duplicateNameAsks() {
    f->net.addDiskShare(Server, u"Beta", u"C:\\Elsewhere");
    selectNode({"C:", "Data"});
    selectDirectories({"Alpha", "Beta", "Gamma"});
    f->net.clearCalls();
    m_page->Create1Click(); // the scripted answer is Yes
    QCOMPARE(f->messages.texts_shown(),
             QStringList{"A system error has occured (2118).\nCould not create share. Continue?"});
    QCOMPARE(f->messages.shown[0].title, QString("Beta"));
    QCOMPARE(f->messages.shown[0].buttons, Boxes::Buttons::YesNo);
    QCOMPARE(f->calls(Call::Add), (QStringList{"Add Alpha", "Add Beta!2118", "Add Gamma"}));
    QVERIFY(f->net.findShare(Server, u"Beta")->path == u"C:\\Elsewhere");
    QVERIFY(f->net.findShare(Server, u"Gamma"));
}

void CreateFromDirectoryPageTest::maximumUsers_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<quint32>("maxUses");
    QTest::newRow("no limit") << -1 << quint32(0xFFFFFFFF);
    QTest::newRow("zero") << 0 << quint32(0);
    QTest::newRow("thousands") << 1500 << quint32(1500);
    QTest::newRow("top") << 32767 << quint32(32767);
}

void CreateFromDirectoryPageTest::maximumUsers() {
    QFETCH(int, value);
    QFETCH(quint32, maxUses);
    m_page->findChild<UserLimitSpinBox*>("MaximumUsers1")->setValue(value);
    selectNode({"C:", "Data"});
    selectDirectories({"Alpha"});
    m_page->Create1Click();
    QCOMPARE(f->net.findShare(Server, u"Alpha")->maxUses, maxUses);
}

void CreateFromDirectoryPageTest::securityDialogClosedAtOnceKeepsTheList() {
    auto list = everyoneFullControlAcl();
    list->addDeniedAce(ExplicitAceFlags, GenericWrite, AlphaSid);
    f->state.newShareAcl = list;
    bool shown = false;
    QTimer::singleShot(0, m_security.get(), [&] {
        shown = m_security->isVisible();
        m_security->close();
    });
    QTest::mouseClick(m_page->findChild<QPushButton*>("Security1"), Qt::LeftButton);
    QVERIFY(shown);
    QVERIFY(f->state.newShareAcl == list);
}

QTEST_MAIN(CreateFromDirectoryPageTest)
#include "CreateFromDirectoryPageTest.moc"
