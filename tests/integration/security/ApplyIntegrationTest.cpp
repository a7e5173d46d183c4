// The Share Properties page's Apply through the real main window against the test server.
#include "integration/WindowOnServer.h"
#include "platform/smb/codec/Utf.h"
#include "security/AclBuilding.h"
#include "security/PermissionEditor.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace corvane;
using namespace corvane::integration;

namespace {

// Samba keeps an entry's generic rights and adds the file rights they stand for; Windows keeps
// the descriptor as it was given.
std::uint32_t asStored(std::uint32_t mask) {
    if (TestServer::primary().windowsLike())
        return mask;
    if (mask & GenericAll)
        mask |= 0x001F01FF;
    if (mask & GenericWrite)
        mask |= 0x00120116;
    if (mask & GenericRead)
        mask |= 0x00120089;
    return mask;
}

QString entry(std::uint8_t type, std::uint8_t flags, const Sid& sid, std::uint32_t mask) {
    return QStringLiteral("%1 %2 %3 %4")
        .arg(type == AccessDeniedAceType ? QStringLiteral("deny") : QStringLiteral("allow"))
        .arg(flags)
        .arg(QString::fromStdString(sid.toString()))
        .arg(mask, 8, 16, QLatin1Char('0'));
}

// A share's list as "type flags SID mask" lines, in order.
QStringList entries(const ShareInfo502& share) {
    QStringList out;
    const auto dacl = daclOf(share.securityDescriptor);
    if (!dacl)
        return {QStringLiteral("no list")};
    for (std::size_t i = 0; i < dacl->aceCount(); ++i) {
        const auto ace = dacl->ace(i);
        if (!ace || !ace->sid)
            out << QStringLiteral("unreadable entry");
        else
            out << entry(ace->type, ace->flags, *ace->sid, ace->mask);
    }
    return out;
}

// The Share Properties page of a window (the security dialog has controls of the same names).
struct Page {
    WindowOnServer& w;
    QWidget* sheet = w.form.findChild<QWidget*>(QStringLiteral("TabSheet1"));

    template <typename T> T* find(const char* name) const {
        T* c = sheet->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QTreeWidget* users() const { return find<QTreeWidget>("UsersList1"); }
    QCheckBox* box(const char* name) const { return find<QCheckBox>(name); }

    // Selects the users-list row of the account; false when there is none.
    bool selectUser(const Sid& sid) {
        const QString text = QString::fromStdString(sid.toString());
        for (int i = 0; i < users()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = users()->topLevelItem(i);
            if (row->data(0, PermissionEditor::SidRole).toString() == text) {
                users()->setCurrentItem(row);
                return row->isSelected();
            }
        }
        return false;
    }
    // Allow Full, Change, Read, Deny Full, Change, Read as 0/1.
    QString ticks() const {
        QString out;
        for (const char* name : {"AllowFullControl1", "AllowChange1", "AllowRead1",
                                 "DenyFullControl1", "DenyChange1", "DenyRead1"})
            out += box(name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }
};

Sid sidOf(WindowOnServer& w, const std::u16string& account) {
    Account a;
    if (w.session.network.lookupName(w.server.address(), account, a) != status::Success)
        qFatal("no account %s", smb::toUtf8(account).c_str());
    return a.sid;
}

} // namespace

class ApplyIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase() { TestServer::primary().resetShares(); }

    // Beta: alice full control, bob Read. bob becomes denied Change, the administrator is
    // added with Change, the comment and the limit change.
    void commentLimitAndPermissionsReadBack() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        WindowOnServer w;
        QVERIFY(w.open());
        const Sid alice = sidOf(w, server.user1());
        const Sid bob = sidOf(w, server.user2());
        const Sid admin = sidOf(w, server.adminUser());
        ShareInfo502 before;
        QCOMPARE(readBack(server, u"Beta", before), status::Success);
        const auto beforeDacl = daclOf(before.securityDescriptor);
        QVERIFY(beforeDacl && beforeDacl->aceCount() == 2);
        std::uint8_t aliceFlags = 0;
        for (std::size_t i = 0; i < 2; ++i)
            if (beforeDacl->ace(i)->sid == alice)
                aliceFlags = beforeDacl->ace(i)->flags;

        QVERIFY(w.select({"Beta"}));
        Page page{w};
        QVERIFY(page.selectUser(bob));
        QCOMPARE(page.ticks(), QStringLiteral("001000"));
        page.box("DenyChange1")->click();
        QCOMPARE(page.ticks(), QStringLiteral("000011"));

        w.messages.texts.enqueue(fromU16(server.adminUser()));
        page.find<QPushButton>("Add1")->click();
        QVERIFY(page.selectUser(admin));
        QCOMPARE(page.ticks(), QStringLiteral("111000"));
        page.box("AllowFullControl1")->click();
        QCOMPARE(page.ticks(), QStringLiteral("011000"));

        const QString comment = QString::fromUtf8("Changed in the window \u00e9t\u00e9");
        page.find<QLineEdit>("Comment1")->setText(comment);
        page.find<QSpinBox>("MaxUsers1")->setValue(12);
        page.find<QPushButton>("Apply1")->click();
        QCOMPARE(w.messages.texts_shown(), QStringList());

        ShareInfo502 after;
        QCOMPARE(readBack(server, u"Beta", after), status::Success);
        QCOMPARE(fromU16(after.remark), comment);
        QCOMPARE(fromU16(after.path), fromU16(before.path));
        // The new entries are explicit (inheriting to files and folders); the added one goes
        // after the leading deny.
        QCOMPARE(entries(after), (QStringList{
                                     entry(AccessDeniedAceType, 3, bob, asStored(GenericWrite)),
                                     entry(AccessAllowedAceType, 3, admin, asStored(GenericWrite)),
                                     entry(AccessAllowedAceType, aliceFlags, alice, 0x001F01FF),
                                 }));
        QCOMPARE(after.maxUses, 12u);
        QCOMPARE(QString::fromStdString(userLimit(server, u"Beta")), QStringLiteral("12"));

        // A second window shows the stored rights with the same boxes.
        WindowOnServer second;
        QVERIFY(second.open());
        QVERIFY(second.select({"Beta"}));
        Page secondPage{second};
        QVERIFY(secondPage.selectUser(bob));
        QCOMPARE(secondPage.ticks(), QStringLiteral("000011"));
        QVERIFY(secondPage.selectUser(admin));
        QCOMPARE(secondPage.ticks(), QStringLiteral("011000"));
        QVERIFY(secondPage.selectUser(alice));
        QCOMPARE(secondPage.ticks(), QStringLiteral("111000"));
        QCOMPARE(secondPage.find<QLineEdit>("Comment1")->text(), comment);
        QCOMPARE(secondPage.find<QSpinBox>("MaxUsers1")->value(), 12);
    }

    void renameRecreatesWithTheSameAccessList_data() {
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("renamed");
        QTest::addColumn<QString>("limit");
        QTest::newRow("new name") << "Alpha"
                                  << "AlphaRenamed"
                                  << "5";
        QTest::newRow("letter case only") << "Alpha"
                                          << "ALPHA"
                                          << "5";
        QTest::newRow("non-ASCII, space") << QString::fromUtf8("Donn\u00e9es")
                                          << QString::fromUtf8("Donn\u00e9es \u00e9t\u00e9") << "3";
    }
    void renameRecreatesWithTheSameAccessList() {
        QFETCH(QString, share);
        QFETCH(QString, renamed);
        QFETCH(QString, limit);
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        ShareInfo502 before;
        QCOMPARE(readBack(server, share.toStdU16String(), before), status::Success);
        const auto beforeDacl = daclOf(before.securityDescriptor);
        QVERIFY(beforeDacl && beforeDacl->aceCount() > 0);

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select({share}));
        Page page{w};
        page.find<QLineEdit>("ShareName1")->setText(renamed);
        page.find<QPushButton>("Apply1")->click();
        QCOMPARE(w.messages.texts_shown(), QStringList());
        QVERIFY(w.rows().contains(renamed));
        QVERIFY(!w.rows().contains(share));

        const auto names = shareNames(server);
        QVERIFY(std::find(names.begin(), names.end(), renamed.toStdU16String()) != names.end());
        QVERIFY(std::find(names.begin(), names.end(), share.toStdU16String()) == names.end());
        ShareInfo502 after;
        QCOMPARE(readBack(server, renamed.toStdU16String(), after), status::Success);
        QCOMPARE(fromU16(after.netname), renamed);
        QCOMPARE(fromU16(after.path), fromU16(before.path));
        QCOMPARE(fromU16(after.remark), fromU16(before.remark));
        const auto afterDacl = daclOf(after.securityDescriptor);
        QVERIFY(afterDacl);
        QVERIFY(afterDacl->bytes() == beforeDacl->bytes());
        QCOMPARE(after.maxUses, before.maxUses);
        QCOMPARE(QString::fromStdString(userLimit(server, renamed.toStdU16String())), limit);
    }

    // A new path: Samba moves the share in place, Windows ignores the path of a change, so the
    // share is removed and added again there; either way it keeps its comment, limit and list.
    void applyWithANewPathMovesTheShare() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        ShareInfo502 before;
        QCOMPARE(readBack(server, u"Alpha", before), status::Success);

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select({"Alpha"}));
        Page page{w};
        const QString moved = fromU16(server.serverPath("D", "Projects/Orion"));
        page.find<QLineEdit>("LocalPath1")->setText(moved);
        page.find<QPushButton>("Apply1")->click();
        QCOMPARE(w.messages.texts_shown(), QStringList());

        ShareInfo502 after;
        QCOMPARE(readBack(server, u"Alpha", after), status::Success);
        QCOMPARE(fromU16(after.path), moved);
        QCOMPARE(fromU16(after.remark), fromU16(before.remark));
        QCOMPARE(QString::fromStdString(userLimit(server, u"Alpha")), QStringLiteral("5"));
        QVERIFY(daclOf(after.securityDescriptor)->bytes() ==
                daclOf(before.securityDescriptor)->bytes());
    }

    // A new path the server does not have. Samba refuses the change in place and the share stays
    // as it was loaded, never removed; Windows ignores the path of a change, so the share is
    // removed and added again, and when the addition is refused it is restored as it was.
    void applyWithAMissingPathKeepsTheShare() {
        const TestServer& server = TestServer::primary();
        QVERIFY(server.resetShares());
        ShareInfo502 before;
        QCOMPARE(readBack(server, u"Alpha", before), status::Success);

        WindowOnServer w;
        QVERIFY(w.open());
        QVERIFY(w.select({"Alpha"}));
        Page page{w};
        page.find<QLineEdit>("LocalPath1")
            ->setText(fromU16(server.serverPath("C", "NoSuchDirectory")));
        page.find<QLineEdit>("Comment1")->setText("Not to be kept");
        page.find<QPushButton>("Apply1")->click();
        QCOMPARE(w.messages.shown.size(), 1);
        const QString text = w.messages.shown.first().text;
        QVERIFY2(text.startsWith("Could not update share("), qPrintable(text));
        const QString ending = server.windowsLike()
                                   ? QStringLiteral(").\nThe original share has been restored.")
                                   : QStringLiteral(").");
        QVERIFY2(text.endsWith(ending), qPrintable(text));

        ShareInfo502 after;
        QCOMPARE(readBack(server, u"Alpha", after), status::Success);
        QCOMPARE(fromU16(after.path), fromU16(before.path));
        QCOMPARE(fromU16(after.remark), fromU16(before.remark));
        QCOMPARE(after.maxUses, before.maxUses);
        QCOMPARE(QString::fromStdString(userLimit(server, u"Alpha")), QStringLiteral("5"));
        QVERIFY(daclOf(after.securityDescriptor)->bytes() ==
                daclOf(before.securityDescriptor)->bytes());
    }
};

QTEST_MAIN(ApplyIntegrationTest)
#include "ApplyIntegrationTest.moc"
