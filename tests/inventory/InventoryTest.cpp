#include "inventory/Inventory.h"
#include "inventory/InventoryModel.h"
#include "platform/Acl.h"
#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "ui/Text.h"

#include <QTest>

using namespace corvane;
using corvane::fake::Call;
using corvane::fake::FakeNetwork;

namespace {

constexpr std::uint32_t FullControl = 0x001F01FF;
constexpr std::uint32_t Change = 0x00120116;
constexpr std::uint32_t Read = 0x001200A9;

InventoryShare share(const QString& name, const QString& path,
                     const QList<ReadableEntry>& entries = {}) {
    InventoryShare s;
    s.record.netname = toU16(name);
    s.record.path = toU16(path);
    for (const ReadableEntry& e : entries)
        s.entries.push_back({e, AccessAllowedAceType, 0, false});
    return s;
}

ReadableEntry entry(const QString& account, const QString& sid, const QString& access) {
    return {account, sid, QStringLiteral("Allow"), access};
}

// A descriptor that holds the entries, so that the import preview's comparison sees them.
std::vector<std::uint8_t> descriptorOf(const QList<ReadableEntry>& entries) {
    auto acl = Acl::initialize(512, 2);
    for (const ReadableEntry& e : entries)
        acl->addAllowedAce(0, e.access == QLatin1String("Read") ? Read : FullControl,
                           *Sid::fromString(e.sid->toStdString()));
    return SecurityDescriptor::withDacl(*acl).toSelfRelative();
}

InventoryRow row(const QString& account, const std::string& sid) {
    InventoryRow r;
    r.cells[static_cast<int>(Column::Account)] = account;
    r.sid = sid;
    return r;
}

} // namespace

class InventoryTest : public QObject {
    Q_OBJECT
private slots:
    void serverList_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("servers");
        QTest::newRow("lines") << "a\nb\r\nc\n" << QStringList{"a", "b", "c"};
        QTest::newRow("blanks and commas") << " a, b ,,c\t d " << QStringList{"a", "b", "c", "d"};
        QTest::newRow("backslashes") << "\\\\fs1 \\fs2" << QStringList{"fs1", "fs2"};
        QTest::newRow("repeated, case aside") << "fs1 FS1 fs2 Fs1" << QStringList{"fs1", "fs2"};
        QTest::newRow("nothing") << " ,\n " << QStringList{};
    }
    void serverList() {
        QFETCH(QString, text);
        QFETCH(QStringList, servers);
        QCOMPARE(parseServerList(text), servers);
    }

    void broadWrite_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("sid");
        QTest::addColumn<uint>("mask");
        QTest::addColumn<bool>("broad");
        const int allow = AccessAllowedAceType, deny = AccessDeniedAceType;
        QTest::newRow("Everyone full") << allow << "S-1-1-0" << uint(FullControl) << true;
        QTest::newRow("Everyone generic all") << allow << "S-1-1-0" << 0x10000000u << true;
        QTest::newRow("Authenticated change") << allow << "S-1-5-11" << uint(Change) << true;
        QTest::newRow("Users generic write") << allow << "S-1-5-32-545" << 0x40000000u << true;
        QTest::newRow("Guests write data") << allow << "S-1-5-32-546" << 0x2u << true;
        QTest::newRow("Domain Users change")
            << allow << "S-1-5-21-1-2-3-513" << uint(Change) << true;
        QTest::newRow("Everyone read") << allow << "S-1-1-0" << uint(Read) << false;
        QTest::newRow("Everyone denied") << deny << "S-1-1-0" << uint(FullControl) << false;
        QTest::newRow("a user") << allow << "S-1-5-21-1-2-3-1001" << uint(FullControl) << false;
        QTest::newRow("a domain's 513 lookalike")
            << allow << "S-1-5-21-1-2-513" << uint(Change) << false;
        QTest::newRow("Administrators") << allow << "S-1-5-32-544" << uint(FullControl) << false;
    }
    void broadWrite() {
        QFETCH(int, type);
        QFETCH(QString, sid);
        QFETCH(uint, mask);
        QFETCH(bool, broad);
        QCOMPARE(grantsBroadWrite(static_cast<std::uint8_t>(type), sid.toStdString(), mask), broad);
    }

    void csv_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "C:\\data"
                               << "C:\\data";
        QTest::newRow("comma") << "a,b"
                               << "\"a,b\"";
        QTest::newRow("quote") << "say \"hi\""
                               << "\"say \"\"hi\"\"\"";
        QTest::newRow("line break") << "a\nb"
                                    << "\"a\nb\"";
        QTest::newRow("leading blank") << " a"
                                       << "\" a\"";
        QTest::newRow("empty") << ""
                               << "";
    }
    void csv() {
        QFETCH(QString, value);
        QFETCH(QString, field);
        QCOMPARE(csvField(value), field);
    }
    void drift_data() {
        QTest::addColumn<QString>("server");   // share name: path, in the scan
        QTest::addColumn<QString>("baseline"); // share name: path, in the baseline
        QTest::addColumn<QString>("drift");
        QTest::newRow("same") << "Data:C:\\d"
                              << "Data:C:\\d"
                              << "same";
        QTest::newRow("same, other case") << "DATA:C:\\d"
                                          << "data:C:\\d"
                                          << "same";
        QTest::newRow("path") << "Data:C:\\e"
                              << "Data:C:\\d"
                              << "changed: path";
        QTest::newRow("new") << "Data:C:\\d"
                             << ""
                             << "new";
        QTest::newRow("missing") << ""
                                 << "Data:C:\\d"
                                 << "missing";
    }
    void drift() {
        QFETCH(QString, server);
        QFETCH(QString, baseline);
        ServerScan scan;
        if (!server.isEmpty())
            scan.shares.push_back(share(server.section(':', 0, 0), server.section(':', 1)));
        ShareFile file;
        if (!baseline.isEmpty()) {
            ExportedShare s;
            s.record = share(baseline.section(':', 0, 0), baseline.section(':', 1)).record;
            file.shares.push_back(s);
        }
        compareWithBaseline(scan, file);
        QFETCH(QString, drift);
        QCOMPARE(scan.shares.size(), std::size_t(1));
        QCOMPARE(scan.shares[0].drift, drift);
    }
    // Which entries differ, by account: added, removed, and changed in their rights.
    void driftOfEntries() {
        const QList<ReadableEntry> before = {entry("Everyone", "S-1-1-0", "Read"),
                                             entry("X\\alice", "S-1-5-21-1-2-3-1001", "Read")};
        const QList<ReadableEntry> now = {entry("Everyone", "S-1-1-0", "Full Control"),
                                          entry("X\\bob", "S-1-5-21-1-2-3-1002", "Read")};
        ServerScan scan;
        scan.shares.push_back(share("Data", "C:\\d", now));
        scan.shares[0].record.securityDescriptor = descriptorOf(now);
        ShareFile file;
        ExportedShare s;
        s.record = share("Data", "C:\\d").record;
        s.record.securityDescriptor = descriptorOf(before);
        s.entries = before;
        file.shares.push_back(s);
        compareWithBaseline(scan, file);
        QCOMPARE(scan.shares[0].drift,
                 QStringLiteral("changed: entries added: X\\bob Allow Read; entries removed: "
                                "X\\alice Allow Read; entries changed: Everyone Allow Read to "
                                "Full Control"));
    }

    // Every share of a server that answers in parts, each with what its access list says.
    void scan_data() {
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("accounts"); // the rows' account cells, with broad write marked
        QTest::newRow("listed") << "Listed"
                                << "Everyone*;FS1\\alice";
        QTest::newRow("null list") << "Null"
                                   << "Everyone*";
        QTest::newRow("empty list") << "Empty"
                                    << "(nobody: the access list is empty)";
        QTest::newRow("no descriptor") << "None"
                                       << "(no access list: the server's default)";
    }
    void scan() {
        QFETCH(QString, share);
        QFETCH(QString, accounts);
        FakeNetwork net;
        net.computer(u"fs1").enumerationPartSize = 1;
        const Sid alice = *Sid::fromString("S-1-5-21-1-2-3-1001");
        net.addAccount(u"fs1", u"alice", u"FS1", SidNameUse::User, alice);
        auto acl = Acl::initialize(256, 2);
        acl->addAllowedAce(0, Change, *Sid::fromString("S-1-1-0"));
        acl->addAllowedAce(0, Read, alice);
        net.addDiskShare(u"fs1", u"Listed", u"C:\\l").securityDescriptor =
            SecurityDescriptor::withDacl(*acl).toSelfRelative();
        net.addDiskShare(u"fs1", u"Null", u"C:\\n").securityDescriptor =
            SecurityDescriptor::withNullDacl().toSelfRelative();
        net.addDiskShare(u"fs1", u"Empty", u"C:\\e").securityDescriptor =
            SecurityDescriptor::withDacl(*Acl::initialize(8, 2)).toSelfRelative();
        net.addDiskShare(u"fs1", u"None", u"C:\\x");
        const std::vector<InventoryRow> rows =
            inventoryRows({scanServer(net, net, QStringLiteral("fs1"))});
        QCOMPARE(rows.size(), std::size_t(5));
        QStringList got;
        for (const InventoryRow& r : rows)
            if (r.cell(Column::Share) == share)
                got << r.cell(Column::Account) + (r.broadWrite ? QStringLiteral("*") : QString());
        QCOMPARE(got.join(';'), accounts);
    }
    void scanFailure() {
        FakeNetwork net;
        net.addDiskShare(u"fs1", u"A", u"C:\\a");
        net.failNext(Call::Enumerate, status::AccessDenied);
        const ServerScan scan = scanServer(net, net, QStringLiteral("fs1"));
        QCOMPARE(scan.status, status::AccessDenied);
        QVERIFY(scan.shares.empty());
    }

    void accountFilter_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("kept");
        const QStringList always = {"S-1-1-0", "S-1-5-11"};
        QTest::newRow("domain and user")
            << "corvane\\ALICE" << always + QStringList{"S-1-5-21-9-1001"};
        QTest::newRow("principal name")
            << "alice@corvane.test" << always + QStringList{"S-1-5-21-9-1001"};
        QTest::newRow("bare user, every domain")
            << "alice" << always + QStringList{"S-1-5-21-8-1001", "S-1-5-21-9-1001"};
        QTest::newRow("SID") << "s-1-5-21-9-1002" << always + QStringList{"S-1-5-21-9-1002"};
        QTest::newRow("other realm") << "alice@other.test" << always;
        QTest::newRow("unknown") << "CORVANE\\carol" << always;
    }
    // Letter case aside, equal rows in the source's order either way round; sorted again after
    // the results change; the filter's text found in a cell its share's rows hold together.
    void filterSortsAndSearches() {
        const auto servers = [](std::initializer_list<const char*> names) {
            std::vector<InventoryRow> rows;
            QString shared;
            for (const char* name : names) {
                if (shared != QLatin1String(name))
                    shared = QString::fromLatin1(name);
                rows.push_back(row({}, {}));
                rows.back().cells[int(Column::Server)] = shared; // a copy, as a share's rows
            }
            return rows;
        };
        InventoryModel model;
        model.setRows(servers({"b", "a", "a", "B", "A"}));
        InventoryFilter filter(model);
        const auto order = [&filter] {
            QString out;
            for (int r = 0; r < filter.rowCount(); ++r)
                out += QString::number(filter.mapToSource(filter.index(r, 0)).row());
            return out;
        };
        filter.sort(int(Column::Server), Qt::AscendingOrder);
        QCOMPARE(order(), QStringLiteral("12403"));
        filter.sort(int(Column::Server), Qt::DescendingOrder);
        QCOMPARE(order(), QStringLiteral("03124"));
        model.setRows(servers({"c", "b", "d", "a", "a"}));
        QCOMPARE(order(), QStringLiteral("20134"));
        filter.setText(QStringLiteral("A"));
        QCOMPARE(order(), QStringLiteral("34"));
    }

    // Groups count on the server that reported them only.
    void accountKeepsGroupsPerServer() {
        InventoryRow onFs1 = row("FS1\\staff", "S-1-5-21-8-1100");
        onFs1.cells[int(Column::Server)] = QStringLiteral("FS1");
        InventoryRow onFs2 = onFs1;
        onFs2.cells[int(Column::Server)] = QStringLiteral("fs2");
        const std::map<QString, std::set<std::string>> groups = {{"fs1", {"S-1-5-21-8-1100"}}};
        QVERIFY(accountKeeps(onFs1, {"S-1-1-0"}, groups));
        QVERIFY(!accountKeeps(onFs2, {"S-1-1-0"}, groups));
        QVERIFY(accountKeeps(onFs2, {"S-1-5-21-8-1100"}, {}));
    }
    void accountFilter() {
        QFETCH(QString, typed);
        QFETCH(QStringList, kept);
        const std::vector<InventoryRow> rows = {
            row("Everyone", "S-1-1-0"),
            row("NT AUTHORITY\\Authenticated Users", "S-1-5-11"),
            row("BUILTIN\\Users", "S-1-5-32-545"),
            row("CORVANE\\alice", "S-1-5-21-9-1001"),
            row("CORVANE\\bob", "S-1-5-21-9-1002"),
            row("FS1\\alice", "S-1-5-21-8-1001"),
        };
        const auto sids = corvane::accountFilter(typed, rows);
        QVERIFY(sids);
        QStringList got;
        for (const std::string& sid : *sids)
            got << QString::fromStdString(sid);
        kept.sort();
        got.sort();
        QCOMPARE(got, kept);
        QVERIFY(!corvane::accountFilter(QStringLiteral("  "), rows));
    }
};

QTEST_GUILESS_MAIN(InventoryTest)
#include "InventoryTest.moc"
