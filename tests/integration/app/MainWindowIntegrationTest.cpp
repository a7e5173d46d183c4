// The main window opened on the real test server: shares list, pictures, drive nodes and the
// properties of a demo share, as a person typing the address sees them.
#include "../TestServer.h"
#include "app/TForm1.h"
#include "integration/WindowOnServer.h"
#include "platform/smb/codec/Utf.h"
#include "shares/Messages.h"
#include "support/ScriptedMessageBoxes.h"
#include "ui/ImageList.h"
#include "ui/Text.h"

#include <QCollator>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <memory>

using namespace corvane;
using namespace corvane::integration;

class MainWindowIntegrationTest : public QObject {
    Q_OBJECT

    const TestServer& server = TestServer::primary();
    std::unique_ptr<Session> session;
    test::ScriptedMessageBoxes messages;
    std::unique_ptr<TForm1> form;

    template <typename T> T* find(const char* name) const {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* shares() const { return find<QTreeWidget>("SharesList1"); }

    QTreeWidgetItem* row(const QString& name) const {
        const auto found = shares()->findItems(name, Qt::MatchExactly, 0);
        return found.size() == 1 ? found.first() : nullptr;
    }

private slots:
    void initTestCase() {
        QVERIFY(server.resetShares());
        session = std::make_unique<Session>(server);
        form = std::make_unique<TForm1>(session->network, session->network, session->network,
                                        messages);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        auto* computer = find<QLineEdit>("Computer1");
        QVERIFY(computer);
        QTest::keyClicks(computer, fromU16(server.address()));
        QTest::keyClick(computer, Qt::Key_Return);
        QCOMPARE(form->state().computerName, fromU16(server.address()));
        QVERIFY(find<QTabWidget>("PageControl1")->isEnabled());
        QVERIFY(messages.shown.isEmpty());
    }

    void cleanupTestCase() {
        form.reset();
        session.reset();
    }

    void sharesAppearInNameOrder() {
        const auto listed = enumerateAll(session->network, server.address());
        QVERIFY(listed.size() >= 16);
        QStringList expected;
        for (const auto& share : listed)
            expected << fromU16(share.netname);
        // The list's own rule: the locale's order, upper and lower case told apart.
        QCollator collator;
        collator.setCaseSensitivity(Qt::CaseSensitive);
        std::stable_sort(expected.begin(), expected.end(), [&](const QString& a, const QString& b) {
            return collator.compare(a, b) < 0;
        });
        const QStringList names = test::columnTexts(shares(), 0);
        QCOMPARE(names, expected);
        QVERIFY(names.indexOf("Alpha") < names.indexOf("Beta"));
        QVERIFY(names.indexOf("Beta") < names.indexOf("Work"));

        // Path and comment columns carry the server's values.
        QTreeWidgetItem* alpha = row("Alpha");
        QVERIFY(alpha);
        QCOMPARE(alpha->text(1), fromU16(server.serverPath("C", "Data/Alpha")));
        QCOMPARE(alpha->text(2), QString("Project Alpha"));
        QVERIFY(row(QString::fromUtf8("Donn\u00e9es")));
        QVERIFY(row(QString::fromUtf8("\u65e5\u672c\u8a9e")));
    }

    // Samba 4.17 marks only IPC$ special; C$, D$ and hidden shares such as Backup$ are plain
    // disk shares to it, served from long Unix paths ("C:\tmp\..."), so they get the folder
    // picture. Windows reports C$, D$ and ADMIN$ as special (C$ with the path "C:\"), which
    // gives the drive picture; a hidden share of its own such as Backup$ stays a folder.
    void picturesFollowTypeAndPath_data() {
        QTest::addColumn<QString>("share");
        QTest::addColumn<int>("image");
        const int special = server.windowsLike() ? ImageList::DriveShare : ImageList::FolderShare;
        QTest::newRow("IPC$") << "IPC$" << int(ImageList::DriveShare);
        QTest::newRow("C$") << "C$" << special;
        QTest::newRow("D$") << "D$" << special;
        if (server.windowsLike())
            QTest::newRow("ADMIN$") << "ADMIN$" << int(ImageList::DriveShare);
        for (const char* name : {"Backup$", "Alpha", "Public", "Work", "Open", "Locked", "Scratch"})
            QTest::newRow(name) << QString(name) << int(ImageList::FolderShare);
    }
    void picturesFollowTypeAndPath() {
        QFETCH(QString, share);
        QFETCH(int, image);
        QTreeWidgetItem* item = row(share);
        QVERIFY2(item, qPrintable(share));
        QCOMPARE(itemImage(item), image);
    }

    void everyRowHasThePictureOfItsRecord() {
        const auto listed = enumerateAll(session->network, server.address());
        QCOMPARE(shares()->topLevelItemCount(), int(listed.size()));
        for (const auto& share : listed) {
            QTreeWidgetItem* item = row(fromU16(share.netname));
            QVERIFY(item);
            // The test servers serve no printers and share no drive root but through the
            // administrative shares, which only Windows marks special.
            const bool special = (share.type & StypeSpecial) != 0;
            const bool administrative =
                share.netname == u"IPC$" ||
                (server.windowsLike() &&
                 (share.netname == u"C$" || share.netname == u"D$" || share.netname == u"ADMIN$"));
            QVERIFY2(special == administrative, qPrintable(item->text(0)));
            QVERIFY2(special || share.path.size() > 3, qPrintable(item->text(0)));
            QVERIFY2(itemImage(item) == (special ? ImageList::DriveShare : ImageList::FolderShare),
                     qPrintable(item->text(0)));
        }
    }

    void treeHoldsTheComputerAndItsTwoDrives() {
        auto* tree = find<QTreeWidget>("DirTree1");
        QVERIFY(tree);
        QCOMPARE(tree->topLevelItemCount(), 1);
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QCOMPARE(root->text(0), fromU16(server.address()));
        QStringList drives;
        for (int i = 0; i < root->childCount(); ++i)
            drives << root->child(i)->text(0);
        QCOMPARE(drives, QStringList({"C:", "D:"}));
    }

    // An account that is not an administrator: Samba lists the shares with their descriptors to
    // it, Windows refuses them (5), and the status line says so.
    void openAsAnotherUserSaysHowItEnded() {
        WindowOnServer w(server);
        w.session.credentials.set(
            server.address(),
            {server.user1(), u"", smb::fromUtf8(server.value("CORVANE_TEST_USER1_PASSWORD"))});
        const bool opened = w.open();
        const QString computer = fromU16(server.address());
        if (server.windowsLike()) {
            QVERIFY(w.rows().isEmpty());
            QCOMPARE(w.form.statusText(), shares_text::openFailed(computer, status::AccessDenied,
                                                                  std::chrono::seconds(20)));
        } else {
            QVERIFY(opened);
            QVERIFY(w.rows().contains("Alpha"));
            QCOMPARE(w.form.statusText(),
                     shares_text::sharesListed(computer, int(w.rows().size())));
        }
        QVERIFY(w.messages.shown.isEmpty());
    }

    void selectedShareShowsItsProperties_data() {
        QTest::addColumn<QString>("share");
        QTest::addColumn<QString>("drive");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("comment");
        QTest::addColumn<int>("limit");
        QTest::addColumn<QStringList>("accounts"); // domain-qualified where the server has one
        const QString domain = fromU16(server.netbiosName());
        const auto local = [&](const std::u16string& name) {
            const QString n = fromU16(name);
            return n + " (" + domain + "\\" + n + ")";
        };
        const QString admin = local(server.adminUser());
        const QString alice = local(server.user1());
        const QString bob = local(server.user2());
        const QString staff = local(server.group());
        QTest::newRow("Alpha") << "Alpha"
                               << "C"
                               << "Data/Alpha"
                               << "Project Alpha" << 5 << QStringList{bob, admin, staff};
        QTest::newRow("Beta") << "Beta"
                              << "C"
                              << "Data/Beta"
                              << "Project Beta" << 10 << QStringList{alice, bob};
        QTest::newRow("Work") << "Work"
                              << "D"
                              << "Work"
                              << "Work in progress" << 25 << QStringList{"Everyone", staff};
        QTest::newRow("Scratch") << "Scratch"
                                 << "D"
                                 << "Scratch"
                                 << "Scratch space for tests" << -1 << QStringList{"Everyone"};
    }
    void selectedShareShowsItsProperties() {
        QFETCH(QString, share);
        QFETCH(QString, drive);
        QFETCH(QString, directory);
        QFETCH(QString, comment);
        QFETCH(int, limit);
        QFETCH(QStringList, accounts);

        QTreeWidgetItem* item = row(share);
        QVERIFY(item);
        // A click on the row, as a person selects it.
        shares()->scrollToItem(item);
        const QRect rect = shares()->visualItemRect(item);
        QTest::mouseClick(shares()->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(shares()->selectedItems(), QList<QTreeWidgetItem*>{item});
        QVERIFY(messages.shown.isEmpty());

        QCOMPARE(find<QLineEdit>("ShareName1")->text(), share);
        QCOMPARE(find<QLineEdit>("LocalPath1")->text(),
                 fromU16(server.serverPath(drive.toStdString(), directory.toStdString())));
        QCOMPARE(find<QLineEdit>("Comment1")->text(), comment);
        QCOMPARE(find<QSpinBox>("MaxUsers1")->value(), limit);

        auto* users = find<QTreeWidget>("UsersList1");
        QVERIFY(users);
        QStringList captions = test::columnTexts(users, 0);
        // Samba keeps deny entries first; the list shows the entries in the server's order.
        if (share == "Alpha")
            QCOMPARE(captions.value(0), accounts.value(0));
        captions.sort();
        accounts.sort();
        QCOMPARE(captions, accounts);
    }
};

QTEST_MAIN(MainWindowIntegrationTest)
#include "MainWindowIntegrationTest.moc"
