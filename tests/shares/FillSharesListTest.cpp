#include "shares/FillSharesList.h"
#include "platform/fake/FakeNetwork.h"
#include "shares/DriveProbe.h"
#include "support/TreeTexts.h"
#include "ui/ListSorting.h"
#include "ui/UserLimitSpinBox.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;
using fake::Call;

namespace {

QStringList column(const QTreeWidget& list, int c) {
    return test::columnTexts(&list, c);
}

ShareInfo502 share(const char16_t* name, std::uint32_t type, const char16_t* path,
                   const char16_t* remark = u"") {
    ShareInfo502 s;
    s.netname = name;
    s.type = type;
    s.path = path;
    s.remark = remark;
    return s;
}

// A server that answers every enumeration with `perCall` shares and "more", handing out the
// scripted resume handles in turn (repeating the last), or ever new ones when none are
// scripted; with `lastCall`, that call ends the enumeration.
class EndlessShares : public ShareService {
public:
    explicit EndlessShares(std::vector<std::uint32_t> handles, int perCall = 1,
                           std::u16string remark = {}, int lastCall = 1000000)
        : m_handles(std::move(handles)), m_perCall(perCall), m_remark(std::move(remark)),
          m_lastCall(lastCall) {}
    int calls = 0;
    // The rows `watched` shows as each call comes.
    const QTreeWidget* watched = nullptr;
    std::vector<int> seen;

    Status enumerate(const std::u16string&, std::vector<ShareInfo502>& out,
                     std::uint32_t& resumeHandle) override {
        if (watched)
            seen.push_back(watched->topLevelItemCount());
        const auto i = static_cast<std::size_t>(calls++);
        out.assign(static_cast<std::size_t>(m_perCall), share(u"s", 0, u"C:\\x", m_remark.c_str()));
        if (m_handles.empty())
            resumeHandle = static_cast<std::uint32_t>(calls);
        else
            resumeHandle = m_handles[std::min(i, m_handles.size() - 1)];
        return calls >= m_lastCall ? status::Success : status::MoreData; // ends a broken fix
    }
    Status getInfo(const std::u16string&, const std::u16string&, ShareInfo502&) override {
        return status::NotSupported;
    }
    Status setInfo(const std::u16string&, const std::u16string&, const ShareInfo502&) override {
        return status::NotSupported;
    }
    Status add(const std::u16string&, const ShareInfo502&) override { return status::NotSupported; }
    Status remove(const std::u16string&, const std::u16string&) override {
        return status::NotSupported;
    }

private:
    std::vector<std::uint32_t> m_handles;
    int m_perCall;
    std::u16string m_remark;
    int m_lastCall;
};

} // namespace

class FillSharesListTest : public QObject {
    Q_OBJECT
private slots:
    void pictureByTypeAndPath_data() {
        QTest::addColumn<uint>("type");
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("image");
        QTest::newRow("folder") << uint(StypeDisktree) << "C:\\Data" << 24;
        QTest::newRow("drive root") << uint(StypeDisktree) << "C:\\" << 23;
        QTest::newRow("empty path") << uint(StypeDisktree) << "" << 23;
        QTest::newRow("four characters") << uint(StypeDisktree) << "C:\\a" << 24;
        QTest::newRow("printer") << uint(StypePrintq) << "" << 25;
        QTest::newRow("printer with path") << uint(StypePrintq) << "C:\\Spool\\P" << 25;
        QTest::newRow("device") << uint(StypeDevice) << "C:\\Dev\\ice" << 23;
        QTest::newRow("ipc") << uint(StypeIpc) << "" << 23;
        QTest::newRow("admin disk C$") << uint(StypeDisktree | StypeSpecial) << "C:\\" << 23;
        QTest::newRow("ADMIN$") << uint(StypeDisktree | StypeSpecial) << "C:\\Windows" << 23;
        QTest::newRow("IPC$") << uint(StypeIpc | StypeSpecial) << "" << 23;
        QTest::newRow("temporary folder") << uint(StypeTemporary) << "C:\\Data" << 23;
    }
    void pictureByTypeAndPath() {
        QFETCH(uint, type);
        QFETCH(QString, path);
        QFETCH(int, image);
        fake::FakeNetwork net;
        ShareInfo502 s;
        s.netname = u"x";
        s.type = type;
        s.path = path.toStdU16String();
        net.addShare(u"SRV1", s);
        QTreeWidget list;
        QCOMPARE(FillSharesList(net, "SRV1", &list, ImageList()), status::Success);
        QCOMPARE(list.topLevelItemCount(), 1);
        QCOMPARE(itemImage(list.topLevelItem(0)), image);
    }

    void rowsInNameOrderWithPathAndComment() {
        fake::FakeNetwork net;
        net.addShare(u"SRV1", share(u"zeta", 0, u"C:\\Z", u"last"));
        net.addShare(u"SRV1", share(u"Alpha$", 0, u"C:\\A", u"hidden"));
        net.addShare(u"SRV1", share(u"beta", 0, u"C:\\B"));
        QTreeWidget list;
        list.setColumnCount(3);
        QCOMPARE(FillSharesList(net, "SRV1", &list, ImageList()), status::Success);
        QCOMPARE(column(list, 0), QStringList({"Alpha$", "beta", "zeta"}));
        QCOMPARE(column(list, 1), QStringList({"C:\\A", "C:\\B", "C:\\Z"}));
        QCOMPARE(column(list, 2), QStringList({"hidden", "", "last"}));
    }

    void asServedKeepsTheServiceOrder() {
        fake::FakeNetwork net;
        net.addShare(u"SRV1", share(u"zeta", 0, u"C:\\Z"));
        net.addShare(u"SRV1", share(u"alpha", 0, u"C:\\A"));
        QTreeWidget list;
        QCOMPARE(FillSharesList(net, "SRV1", &list, ImageList(), FillOrder::AsServed),
                 status::Success);
        QCOMPARE(column(list, 0), QStringList({"zeta", "alpha"}));
    }

    void threePartsWithMoreDataGiveAllRows() {
        fake::FakeNetwork net;
        for (int i = 0; i < 7; ++i)
            net.addShare(u"SRV1",
                         share(QString("s%1").arg(i).toStdU16String().c_str(), 0, u"C:\\x"));
        net.computer(u"SRV1").enumerationPartSize = 3;
        QTreeWidget list;
        QCOMPARE(FillSharesList(net, "SRV1", &list, ImageList()), status::Success);
        QCOMPARE(list.topLevelItemCount(), 7);
        QCOMPARE(net.callsOf(Call::Enumerate).size(), size_t(3));
    }

    void rowsReadShowWhileTheRestIsRead() {
        EndlessShares server({}, 2, {}, 4);
        QTreeWidget list;
        server.watched = &list;
        QCOMPARE(FillSharesList(server, "SRV1", &list, ImageList()), status::Success);
        QCOMPARE(server.seen.size(), size_t(4));
        QCOMPARE(server.seen[0], 0);
        QCOMPARE(server.seen[1], 2);
        QCOMPARE(list.topLevelItemCount(), 8);
    }

    void failureInALaterPartKeepsEarlierRowsAndReportsFalse() {
        fake::FakeNetwork net;
        for (int i = 0; i < 5; ++i)
            net.addShare(u"SRV1",
                         share(QString("s%1").arg(i).toStdU16String().c_str(), 0, u"C:\\x"));
        net.computer(u"SRV1").enumerationPartSize = 3;
        net.failNext(Call::Enumerate, status::AccessDenied, {}, 1);
        QTreeWidget list;
        QVERIFY(FillSharesList(net, "SRV1", &list, ImageList()) != status::Success);
        QCOMPARE(column(list, 0), QStringList({"s0", "s1", "s2"}));
        net.failNext(Call::Enumerate, status::AccessDenied);
        QVERIFY(FillSharesList(net, "SRV1", &list, ImageList()) != status::Success);
        QCOMPARE(list.topLevelItemCount(), 0);
    }

    void repeatedResumeHandleEndsTheEnumeration_data() {
        QTest::addColumn<std::vector<std::uint32_t>>("handles");
        QTest::addColumn<int>("calls");
        QTest::newRow("cycle") << std::vector<std::uint32_t>{1, 2, 1, 2} << 3;
        QTest::newRow("same again") << std::vector<std::uint32_t>{5, 5} << 2;
        QTest::newRow("back to the start") << std::vector<std::uint32_t>{0} << 1;
    }

    void repeatedResumeHandleEndsTheEnumeration() {
        QFETCH(std::vector<std::uint32_t>, handles);
        QFETCH(int, calls);
        EndlessShares server(handles);
        QTreeWidget list;
        QCOMPARE(FillSharesList(server, "SRV1", &list, ImageList()), status::RpcProtocolError);
        QCOMPARE(server.calls, calls);
        QCOMPARE(list.topLevelItemCount(), calls); // the rows read stay
    }

    void endlessNewResumeHandlesEndTheEnumeration() {
        EndlessShares server({});
        QTreeWidget list;
        QCOMPARE(FillSharesList(server, "SRV1", &list, ImageList()), status::RpcProtocolError);
        QVERIFY(server.calls < 1000000);
        QCOMPARE(list.topLevelItemCount(), server.calls);
    }

    // Bytes per share: 2 * (name 1 + path 4 + comment); 10 shares per call.
    void aFillPastItsBoundsFailsAndLeavesTheListEmpty_data() {
        QTest::addColumn<int>("commentLength");
        QTest::addColumn<int>("lastCall");
        QTest::addColumn<int>("maxShares");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<bool>("filled");
        QTest::addColumn<int>("calls");
        QTest::newRow("endless, share count") << 0 << 1000000 << 35 << 1000000 << false << 4;
        QTest::newRow("endless, text bytes") << 95 << 1000000 << 1000 << 5000 << false << 3;
        QTest::newRow("exactly the share count") << 0 << 3 << 30 << 1000000 << true << 3;
        QTest::newRow("exactly the text bytes") << 95 << 2 << 1000 << 4000 << true << 2;
    }
    void aFillPastItsBoundsFailsAndLeavesTheListEmpty() {
        QFETCH(int, commentLength);
        QFETCH(int, lastCall);
        QFETCH(int, maxShares);
        QFETCH(int, maxBytes);
        QFETCH(bool, filled);
        QFETCH(int, calls);
        EndlessShares server({}, 10, std::u16string(static_cast<std::size_t>(commentLength), u'c'),
                             lastCall);
        QTreeWidget list;
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));
        const FillLimits limits{static_cast<std::size_t>(maxShares),
                                static_cast<std::size_t>(maxBytes)};
        QCOMPARE(FillSharesList(server, "SRV1", &list, ImageList(), FillOrder::ByName, limits),
                 filled ? status::Success : status::NotEnoughMemory);
        QCOMPARE(server.calls, calls);
        QCOMPARE(list.topLevelItemCount(), filled ? 10 * calls : 0);
    }

    void unreachableAndEmptyComputers() {
        fake::FakeNetwork net;
        net.computer(u"EMPTY");
        net.computer(u"DOWN").reachable = false;
        net.addShare(u"DOWN", share(u"a", 0, u"C:\\A"));
        QTreeWidget list;
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));
        QCOMPARE(FillSharesList(net, "EMPTY", &list, ImageList()), status::Success);
        QCOMPARE(list.topLevelItemCount(), 0);
        list.addTopLevelItem(new QTreeWidgetItem(QStringList{"stale"}));
        QVERIFY(FillSharesList(net, "DOWN", &list, ImageList()) != status::Success);
        QCOMPARE(list.topLevelItemCount(), 0);
        QVERIFY(FillSharesList(net, "NOWHERE", &list, ImageList()) != status::Success);
    }

    void fillingTwiceGivesTheSameRows() {
        fake::FakeNetwork net;
        net.addShare(u"SRV1", share(u"a", 0, u"C:\\A"));
        net.addShare(u"SRV1", share(u"b", 0, u"C:\\B"));
        QTreeWidget list;
        FillSharesList(net, "SRV1", &list, ImageList());
        FillSharesList(net, "SRV1", &list, ImageList());
        QCOMPARE(column(list, 0), QStringList({"a", "b"}));
    }

    void columnSortIgnoresCaseAndIsStableOnRepeat() {
        QTreeWidget list;
        list.setColumnCount(3);
        const QList<QStringList> rows{{"a", "C:\\1", "delta"},
                                      {"b", "C:\\2", "Bravo"},
                                      {"c", "C:\\3", "alpha"},
                                      {"d", "C:\\4", "charlie"}};
        for (const auto& r : rows)
            list.addTopLevelItem(new QTreeWidgetItem(r));
        sortByColumn(&list, 2);
        QCOMPARE(column(list, 2), QStringList({"alpha", "Bravo", "charlie", "delta"}));
        sortByColumn(&list, 2);
        QCOMPARE(column(list, 0), QStringList({"c", "b", "d", "a"}));
        sortByColumn(&list, 0);
        QCOMPARE(column(list, 0), QStringList({"a", "b", "c", "d"}));
    }

    void compareByColumnSigns() {
        QTreeWidgetItem a(QStringList{"Data", "x"});
        QTreeWidgetItem b(QStringList{"data", "Y"});
        QCOMPARE(CompareByColumn(&a, &b, 0), 0);
        QVERIFY(CompareByColumn(&a, &b, 1) < 0);
        QVERIFY(CompareByColumn(&b, &a, 1) > 0);
    }

    void driveProbeFindsOnlyReadableAdminShares() {
        fake::FakeNetwork net;
        net.addDiskShare(u"SRV1", u"C$", u"C:\\");
        net.addDiskShare(u"SRV1", u"E$", u"E:\\");
        net.addDiskShare(u"SRV1", u"Data", u"C:\\Data");
        net.failNext(Call::GetInfo, status::AccessDenied, u"E$");
        QCOMPARE(probeDriveShares(net, "SRV1"), QStringList({"C"}));
        QCOMPARE(net.callsOf(Call::GetInfo).size(), size_t(26));
        QCOMPARE(net.callsOf(Call::GetInfo).front().name, std::u16string(u"A$"));
        QCOMPARE(net.callsOf(Call::GetInfo).back().name, std::u16string(u"Z$"));

        // A server that stops answering ends the probe there and says why.
        net.clearCalls();
        net.failNext(Call::GetInfo, status::SemaphoreTimeout, u"D$");
        Status endedEarly = status::Success;
        QCOMPARE(probeDriveShares(net, "SRV1", &endedEarly), QStringList({"C"}));
        QCOMPARE(endedEarly, status::SemaphoreTimeout);
        QCOMPARE(net.callsOf(Call::GetInfo).size(), size_t(4));
    }

    void driveSharesReadFromTheEnumeration_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("letters");
        QTest::newRow("drives in letter order")
            << QStringList{"IPC$", "Z$", "C$", "Data", "ADMIN$"} << QStringList{"C", "Z"};
        QTest::newRow("lower case") << QStringList{"d$", "a$"} << QStringList{"A", "D"};
        QTest::newRow("not drive shares")
            << QStringList{"$", "C", "C$$", "CC$", "1$", "C$ "} << QStringList{};
        QTest::newRow("letters beyond ASCII")
            << QStringList{QString::fromUtf8("\xc4\xb1$"), QString::fromUtf8("\xc3\xa9$")}
            << QStringList{};
        QTest::newRow("a drive listed twice") << QStringList{"C$", "c$"} << QStringList{"C"};
    }

    void driveSharesReadFromTheEnumeration() {
        QFETCH(QStringList, names);
        QFETCH(QStringList, letters);
        QCOMPARE(driveSharesAmong(names), letters);
    }

    void userLimitBoxValidation_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::newRow("digits") << "12" << int(QValidator::Acceptable);
        QTest::newRow("minus one as shown") << "-1" << int(QValidator::Acceptable);
        QTest::newRow("minus one being edited") << "-" << int(QValidator::Intermediate);
        QTest::newRow("minus two is no value") << "-2" << int(QValidator::Intermediate);
        QTest::newRow("letters") << "1a" << int(QValidator::Invalid);
        QTest::newRow("minus and letters") << "-a" << int(QValidator::Invalid);
        QTest::newRow("separator") << "1,000" << int(QValidator::Invalid);
        QTest::newRow("beyond the arrows' end") << "1001" << int(QValidator::Acceptable);
        QTest::newRow("beyond any count") << "99999999999" << int(QValidator::Invalid);
    }
    void userLimitBoxValidation() {
        QFETCH(QString, text);
        QFETCH(int, state);
        UserLimitSpinBox box(1000);
        int pos = text.size();
        QCOMPARE(int(box.validate(text, pos)), state);
    }

    void userLimitBoxRefusesATypedMinusAndReachesMinusOneByArrows() {
        UserLimitSpinBox box(1000);
        box.setValue(5);
        box.findChild<QLineEdit*>()->selectAll();
        QTest::keyClicks(&box, "-7");
        QCOMPARE(box.text(), QString("7"));
        box.setValue(1000);
        QCOMPARE(box.text(), QString("1000"));
        box.stepBy(-2000);
        QCOMPARE(box.value(), -1);
        QCOMPARE(box.text(), QString("-1"));
        // Editing away from -1 and leaving the box empty-handed puts -1 back.
        box.findChild<QLineEdit*>()->end(false);
        QTest::keyClick(&box, Qt::Key_Backspace);
        QCOMPARE(box.text(), QString("-"));
        box.interpretText();
        QCOMPARE(box.value(), -1);
    }

    void nameOrderIsCaseSensitiveLocaleOrder() {
        fake::FakeNetwork net;
        for (const char16_t* name : {u"zeta", u"Alpha", u"alpha", u"Zeta", u"beta", u"_x"})
            net.addShare(u"SRV1", share(name, 0, u"C:\\x"));
        QTreeWidget list;
        QCOMPARE(FillSharesList(net, "SRV1", &list, ImageList()), status::Success);
        // Small letters before capitals of the same word, and words in dictionary order, as
        // in the user's locale (English where the process runs in the C locale).
        QCOMPARE(column(list, 0), QStringList({"_x", "alpha", "Alpha", "beta", "zeta", "Zeta"}));
    }

    void columnSortKeepsTheSelectionAndReportsNoChange() {
        QTreeWidget list;
        list.setColumnCount(3);
        list.setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const auto& r : QList<QStringList>{{"a", "", "c"}, {"b", "", "A"}, {"c", "", "b"}})
            list.addTopLevelItem(new QTreeWidgetItem(r));
        list.topLevelItem(0)->setSelected(true);
        list.topLevelItem(2)->setSelected(true);
        int changes = 0;
        connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, [&] { ++changes; });
        sortByColumn(&list, 2);
        QCOMPARE(column(list, 0), QStringList({"b", "c", "a"}));
        QStringList selected;
        for (auto* item : list.selectedItems())
            selected << item->text(0);
        selected.sort();
        QCOMPARE(selected, QStringList({"a", "c"}));
        QCOMPARE(changes, 0);
    }
};

QTEST_MAIN(FillSharesListTest)
#include "FillSharesListTest.moc"
