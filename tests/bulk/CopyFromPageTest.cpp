#include "bulk/CopyFromPage.h"
#include "platform/SecurityDescriptor.h"
#include "platform/WellKnownAccounts.h"
#include "security/AclBuilding.h"
#include "support/Fixture.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace corvane;
using corvane::fake::Call;
using corvane::test::ServicesFixture;
using Boxes = corvane::MessageBoxes;

namespace {

const std::u16string Source = u"SRC";
const std::u16string Destination = u"DST";

// A descriptor whose DACL lets S-1-5-21-1-2-3-1001 read and denies Guests everything.
std::vector<std::uint8_t> sampleDescriptor() {
    auto acl = Acl::initialize(256, AclRevision);
    acl->addDeniedAce(ExplicitAceFlags, GenericAll, Sid::make(5, {32, 546}));
    acl->addAllowedAce(ExplicitAceFlags, GenericRead, Sid::make(5, {21, 1, 2, 3, 1001}));
    return SecurityDescriptor::withDacl(*acl).toSelfRelative();
}

} // namespace

class CopyFromPageTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsReadyToCopyToTheGivenParent();
    void openingListsTheSourceSortedByName();
    void enterInTheComputerBoxOpens();
    void openingSortsCaseSensitivelyInTheLocalesOrder();
    void columnClickSortsIgnoringCase_data();
    void columnClickSortsIgnoringCase();
    void selectingAShareShowsItsParent();
    void useSourceAsDestinationCopiesOnEveryClick();
    void nothingSelectedDoesNothing();
    void emptyDestinationIsRefused();
    void pathsThatLeaveTheParentAreRefused_data();
    void pathsThatLeaveTheParentAreRefused();
    void copyReRootsAndKeepsEverythingElse_data();
    void copyReRootsAndKeepsEverythingElse();
    void eachShareKeepsOnlyItsLastComponent();
    void driveRootSourceEndsTheCopyWhenRefused();
    void duplicateNameEndsTheCopyAndKeepsEarlierShares();
    void failedFetchEndsTheCopy();
    void copyFetchesFromTheListedComputer();
    void copyFollowsTheListOrder();

private:
    QTreeWidget* list() const {
        return m_page->findChild<QTreeWidget*>("SourceComputerSharesList1");
    }
    QLineEdit* edit(const char* name) const { return m_page->findChild<QLineEdit*>(name); }
    void open(const QString& computer = "SRC");
    void select(const QStringList& names);

    std::unique_ptr<ServicesFixture> f;
    std::unique_ptr<CopyFromPage> m_page;
};

void CopyFromPageTest::init() {
    f = std::make_unique<ServicesFixture>();
    f->state.computerName = "DST";
    f->net.addDiskShare(Destination, u"C$", u"C:\\");
    auto& data = f->net.addDiskShare(Source, u"Data", u"D:\\Old\\Data", u"team data");
    data.maxUses = 7;
    data.securityDescriptor = sampleDescriptor();
    f->net.addDiskShare(Source, u"tools", u"F:\\Misc\\Tools", u"Zeta");
    f->net.addDiskShare(Source, u"Archive", u"d:\\Archive\\", u"alpha");
    f->net.addDiskShare(Source, u"Root", u"D:\\", u"Beta");
    m_page = std::make_unique<CopyFromPage>(f->ctx);
}

void CopyFromPageTest::cleanup() {
    m_page.reset();
    f.reset();
}

void CopyFromPageTest::open(const QString& computer) {
    edit("SourceComputer1")->setText(computer);
    m_page->OpenCopyComputer1Click();
    f->net.clearCalls();
}

void CopyFromPageTest::select(const QStringList& names) {
    list()->clearSelection();
    for (const QString& name : names) {
        const auto found = list()->findItems(name, Qt::MatchExactly, 0);
        QCOMPARE(found.size(), 1);
        found.first()->setSelected(true);
    }
}

void CopyFromPageTest::startsReadyToCopyToTheGivenParent() {
    QVERIFY(edit("SourceComputerParentDir1")->isReadOnly());
    QVERIFY(!edit("DestinationComputerParentDir1")->isReadOnly());
    QVERIFY(!m_page->findChild<QCheckBox*>("UseSourceAsDestination1")->isChecked());
    QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
}

void CopyFromPageTest::openingListsTheSourceSortedByName() {
    edit("SourceComputer1")->setText("SRC");
    m_page->OpenCopyComputer1Click();
    QCOMPARE(f->calls(Call::Enumerate, Source), QStringList{"Enumerate"});
    QCOMPARE(test::columnTexts(list()), (QStringList{"Archive", "Data", "Root", "tools"}));
    QCOMPARE(list()->topLevelItem(1)->text(1), QString(R"(D:\Old\Data)"));
    QCOMPARE(list()->topLevelItem(1)->text(2), QString("team data"));
    QCOMPARE(itemImage(list()->topLevelItem(2)), int(ImageList::DriveShare));
    QCOMPARE(itemImage(list()->topLevelItem(1)), int(ImageList::FolderShare));

    // Opening again refills rather than extends; an unreachable computer empties, silently.
    m_page->OpenCopyComputer1Click();
    QCOMPARE(list()->topLevelItemCount(), 4);
    f->net.computer(u"GONE").reachable = false;
    edit("SourceComputer1")->setText("GONE");
    m_page->OpenCopyComputer1Click();
    QCOMPARE(list()->topLevelItemCount(), 0);
    QVERIFY(f->messages.shown.isEmpty());
}

void CopyFromPageTest::enterInTheComputerBoxOpens() {
    QLineEdit* box = edit("SourceComputer1");
    QTest::keyClicks(box, "SRC");
    QVERIFY(f->calls(Call::Enumerate, Source).isEmpty());
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(f->calls(Call::Enumerate, Source), QStringList{"Enumerate"});
    QCOMPARE(list()->topLevelItemCount(), 4);
    QCOMPARE(box->text(), QString("SRC"));
}

void CopyFromPageTest::openingSortsCaseSensitivelyInTheLocalesOrder() {
    for (const char16_t* name : {u"Beta", u"beta", u"alpha"})
        f->net.addDiskShare(u"MIXED", name, u"C:\\Shares");
    edit("SourceComputer1")->setText("MIXED");
    m_page->OpenCopyComputer1Click();
    // Small before capital of the same word; neither code-point order nor ignoring case.
    QCOMPARE(test::columnTexts(list()), (QStringList{"alpha", "beta", "Beta"}));
}

void CopyFromPageTest::columnClickSortsIgnoringCase_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("order");
    // (The name column is the order an open gives: a click on it would show nothing.)
    QTest::newRow("Path") << 1 << QStringList{"Root", "Archive", "Data", "tools"};
    QTest::newRow("Comment") << 2 << QStringList{"Archive", "Root", "Data", "tools"};
}

void CopyFromPageTest::columnClickSortsIgnoringCase() {
    QFETCH(int, column);
    QFETCH(QStringList, order);
    open();
    m_page->SourceComputerSharesList1ColumnClick(column);
    QCOMPARE(test::columnTexts(list()), order);
    // Ascending only: the same click again gives the same order.
    emit list()->header()->sectionClicked(column);
    QCOMPARE(test::columnTexts(list()), order);
}

void CopyFromPageTest::selectingAShareShowsItsParent() {
    open();
    select({"Data"});
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(D:\Old\)"));
    QCOMPARE(edit("DestinationComputerParentDir1")->text(), QString());

    m_page->findChild<QCheckBox*>("UseSourceAsDestination1")->setChecked(true);
    // Selected one after another, the boxes show the parent of the last one.
    select({"Root", "Data"});
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(D:\Old\)"));
    QCOMPARE(edit("DestinationComputerParentDir1")->text(), QString(R"(D:\Old\)"));
    select({"Archive"});
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(d:\)"));
    QCOMPARE(edit("DestinationComputerParentDir1")->text(), QString(R"(d:\)"));
    // Deselecting changes nothing.
    list()->clearSelection();
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(d:\)"));

    // A shift-click range upwards: the row clicked last gives the parent, not the lowest one.
    m_page->resize(400, 400);
    m_page->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
    const auto click = [&](const QString& name, Qt::KeyboardModifiers modifiers) {
        const QRect row = list()->visualItemRect(list()->findItems(name, Qt::MatchExactly)[0]);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, modifiers, row.center());
    };
    click("tools", Qt::NoModifier);
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(F:\Misc\)"));
    click("Archive", Qt::ShiftModifier);
    QCOMPARE(list()->selectedItems().size(), 4);
    QCOMPARE(edit("SourceComputerParentDir1")->text(), QString(R"(d:\)"));
}

void CopyFromPageTest::useSourceAsDestinationCopiesOnEveryClick() {
    open();
    select({"Data"});
    auto* box = m_page->findChild<QCheckBox*>("UseSourceAsDestination1");
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(box->isChecked());
    QCOMPARE(edit("DestinationComputerParentDir1")->text(), QString(R"(D:\Old\)"));
    edit("DestinationComputerParentDir1")->setText(R"(E:\Other)");
    QTest::mouseClick(box, Qt::LeftButton);
    QVERIFY(!box->isChecked());
    QCOMPARE(edit("DestinationComputerParentDir1")->text(), QString(R"(D:\Old\)"));
}

void CopyFromPageTest::nothingSelectedDoesNothing() {
    open();
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    m_page->Copy1Click();
    QVERIFY(f->net.calls().empty());
    QVERIFY(f->messages.shown.isEmpty());
}

void CopyFromPageTest::emptyDestinationIsRefused() {
    open();
    select({"Data"});
    m_page->Copy1Click();
    QVERIFY(f->net.calls().empty());
    QCOMPARE(f->messages.shown.size(), 1);
    QCOMPARE(f->messages.shown[0].title, QString("ERROR"));
    QCOMPARE(f->messages.shown[0].text,
             QString("No parent directory specified for destination computer!"));
    QCOMPARE(f->messages.shown[0].icon, Boxes::Icon::Error);
    QCOMPARE(f->messages.shown[0].buttons, Boxes::Buttons::Ok);
}

// A copy never goes out with an empty or escaping path: a flawed parent is refused before any
// call, a flawed source path ends the copy at that share, keeping the ones made before it.
void CopyFromPageTest::pathsThatLeaveTheParentAreRefused_data() {
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QString>("says");
    QTest::newRow("parent") << R"(E:\..\Windows)"
                            << R"(The destination parent directory E:\..\Windows holds "..")";
    QTest::newRow("source") << R"(E:\Shares)"
                            << R"(The share Odd was not copied: its path)";
}

void CopyFromPageTest::pathsThatLeaveTheParentAreRefused() {
    QFETCH(QString, parent);
    QFETCH(QString, says);
    f->net.addDiskShare(Source, u"Odd", u"D:\\Old\\..");
    open();
    select({"Archive", "Odd", "tools"});
    edit("DestinationComputerParentDir1")->setText(parent);
    m_page->Copy1Click();
    QCOMPARE(f->messages.shown.size(), 1);
    QVERIFY2(f->messages.shown[0].text.startsWith(says), qPrintable(f->messages.shown[0].text));
    const auto adds = f->net.callsOf(Call::Add);
    QCOMPARE(adds.size(), size_t(parent.contains("..") ? 0 : 1));
    for (const auto& add : adds)
        QVERIFY(add.info->path == u"E:\\Shares\\Archive");
}

void CopyFromPageTest::copyReRootsAndKeepsEverythingElse_data() {
    QTest::addColumn<QString>("parent");
    QTest::newRow("without backslash") << R"(E:\Shares)";
    QTest::newRow("with backslash") << R"(E:\Shares\)";
}

void CopyFromPageTest::copyReRootsAndKeepsEverythingElse() {
    QFETCH(QString, parent);
    open();
    select({"Data"});
    edit("DestinationComputerParentDir1")->setText(parent);
    m_page->Copy1Click();

    QVERIFY(f->messages.shown.isEmpty());
    const auto& calls = f->net.calls();
    QCOMPARE(calls.size(), size_t(3));
    QCOMPARE(calls[0].call, Call::GetInfo);
    QVERIFY(calls[0].server == Source);
    QVERIFY(calls[0].name == u"Data");
    QCOMPARE(calls[1].call, Call::Add);
    QVERIFY(calls[1].server == Destination);
    QCOMPARE(calls[1].result, status::Success);
    ShareInfo502 expected = *f->net.findShare(Source, u"Data");
    expected.path = u"E:\\Shares\\Data";
    QVERIFY(calls[1].info == expected);
    QVERIFY(calls[1].info->securityDescriptor == sampleDescriptor());
    QCOMPARE(calls[2].call, Call::Enumerate); // the main list reloaded
    QVERIFY(calls[2].server == Destination);
    QVERIFY(!f->list.findItems("Data", Qt::MatchExactly, 0).isEmpty());
}

void CopyFromPageTest::eachShareKeepsOnlyItsLastComponent() {
    open();
    select({"Data", "tools", "Archive"});
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    m_page->Copy1Click();
    QVERIFY(f->net.findShare(Destination, u"Data")->path == u"E:\\Shares\\Data");
    QVERIFY(f->net.findShare(Destination, u"tools")->path == u"E:\\Shares\\Tools");
    QVERIFY(f->net.findShare(Destination, u"Archive")->path == u"E:\\Shares\\Archive");
}

void CopyFromPageTest::driveRootSourceEndsTheCopyWhenRefused() {
    open();
    select({"Root", "tools"});
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    f->net.failNext(Call::Add, status::InvalidName, u"Root");
    m_page->Copy1Click();

    const auto adds = f->net.callsOf(Call::Add);
    QCOMPARE(adds.size(), size_t(1));
    QVERIFY(adds[0].info->path == u"E:\\Shares\\D:");
    QCOMPARE(f->messages.shown.size(), 1);
    QCOMPARE(f->messages.shown[0].title, QString("ERROR"));
    QCOMPARE(f->messages.shown[0].text,
             QString("A system error has occured (123) while\ncreating the share Root."));
    QCOMPARE(f->messages.shown[0].buttons, Boxes::Buttons::Ok);
    QVERIFY(f->calls(Call::Enumerate, Destination).isEmpty()); // not reloaded
    QVERIFY(!f->net.findShare(Destination, u"tools"));
}

void CopyFromPageTest::duplicateNameEndsTheCopyAndKeepsEarlierShares() {
    f->net.addDiskShare(Destination, u"Data", u"C:\\Data");
    open();
    select({"Archive", "Data", "tools"});
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    m_page->Copy1Click();

    QCOMPARE(f->messages.texts_shown(),
             QStringList{"A system error has occured (2118) while\ncreating the share Data."});
    QVERIFY(f->net.findShare(Destination, u"Archive"));
    QVERIFY(f->net.findShare(Destination, u"Data")->path == u"C:\\Data"); // untouched
    QVERIFY(!f->net.findShare(Destination, u"tools"));
    QCOMPARE(f->net.callsOf(Call::GetInfo).size(), size_t(2));
}

void CopyFromPageTest::failedFetchEndsTheCopy() {
    open();
    select({"Archive", "Data"});
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    f->net.failNext(Call::GetInfo, status::AccessDenied, u"Archive");
    m_page->Copy1Click();
    QCOMPARE(f->messages.texts_shown(),
             QStringList{"A system error has occured (5) while\nrequesting information about "
                         "the share Archive."});
    QVERIFY(f->net.callsOf(Call::Add).empty());
    QCOMPARE(f->net.callsOf(Call::GetInfo).size(), size_t(1));
    QVERIFY(f->calls(Call::Enumerate, Destination).isEmpty());
}

void CopyFromPageTest::copyFetchesFromTheListedComputer() {
    f->net.addDiskShare(u"OTHER", u"Data", u"X:\\Elsewhere\\Data");
    open("SRC");
    select({"Data"});
    edit("SourceComputer1")->setText("OTHER");
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    m_page->Copy1Click();
    QCOMPARE(m_page->sourceComputer(), QString("SRC"));
    const auto fetches = f->net.callsOf(Call::GetInfo);
    QCOMPARE(fetches.size(), size_t(1));
    QVERIFY(fetches[0].server == Source);
    QVERIFY(f->net.findShare(Destination, u"Data")->remark == u"team data");
}

void CopyFromPageTest::copyFollowsTheListOrder() {
    open();
    m_page->SourceComputerSharesList1ColumnClick(2); // alpha, Beta, team data, Zeta
    select({"tools", "Archive", "Data"});
    edit("DestinationComputerParentDir1")->setText(R"(E:\Shares)");
    m_page->Copy1Click();
    QStringList order;
    for (const auto& c : f->net.callsOf(Call::Add))
        order << QString::fromStdU16String(c.name);
    QCOMPARE(order, (QStringList{"Archive", "Data", "tools"}));
}

QTEST_MAIN(CopyFromPageTest)
#include "CopyFromPageTest.moc"
