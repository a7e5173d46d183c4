// The real main window on the domain controller, logged on with a Kerberos ticket: the users
// list of a share with domain accounts, and a share made from a directory named like a domain
// user.
#include "DomainController.h"
#include "app/TForm1.h"
#include "platform/SecurityDescriptor.h"
#include "platform/smb/SmbNetwork.h"
#include "platform/smb/codec/Utf.h"
#include "security/AclBuilding.h"
#include "support/ScriptedMessageBoxes.h"
#include "tests/integration/TestServer.h"
#include "ui/ImageList.h"
#include "ui/Text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace corvane;
using namespace corvane::integration;

class DomainWindowIntegrationTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        QVERIFY(m_dc.resetShares());
        m_cache = std::make_unique<TicketCache>(newTicketCachePath("window"));
        QVERIFY(m_dc.ticket("Administrator", m_cache->path()));
        smb::SmbOptions options = integrationOptions();
        options.kerberos = smb::KerberosMode::Auto;
        m_network = std::make_unique<smb::SmbNetwork>(m_credentials, options);
        m_form = std::make_unique<TForm1>(*m_network, *m_network, *m_network, m_messages);
        QVERIFY(m_form->constructedOk());
        auto* box = find<QLineEdit>("Computer1");
        QTest::keyClicks(box, fromU16(m_dc.name()));
        QTest::keyClick(box, Qt::Key_Return);
        QVERIFY2(m_form->state().computerName == fromU16(m_dc.name()),
                 qPrintable(m_form->statusText()));
        QCOMPARE(m_credentials.timesAsked(), 0);
    }

    void cleanup() {
        m_form.reset();
        m_network.reset();
        m_cache.reset();
        QVERIFY(m_dc.resetShares());
    }

    // Users and groups of the domain, the built-in Domain Admins among them, with their
    // pictures and "name (DOMAIN\name)" captions, in the server's order (deny first, then
    // by SID).
    void usersListShowsDomainAccounts() {
        auto* shares = find<QTreeWidget>("SharesList1");
        const auto rows = shares->findItems("Staff", Qt::MatchExactly);
        QCOMPARE(rows.size(), 1);
        rows.first()->setSelected(true);
        QVERIFY(m_messages.shown.isEmpty());

        auto* users = find<QTreeWidget>("UsersList1");
        QStringList got;
        for (int i = 0; i < users->topLevelItemCount(); ++i)
            got << users->topLevelItem(i)->text(0) + " " +
                       users->topLevelItem(i)->data(0, ImageIndexRole).toString();
        QCOMPARE(got,
                 QStringList({"bob (CORVANE\\bob) 15", "Domain Admins (CORVANE\\Domain Admins) 16",
                              "corvane-staff (CORVANE\\corvane-staff) 16"}));
    }

    // "Add directory name as username with Full Control" on D$\Homes\alice gives the domain
    // user alice Full Control.
    void directoryNameGivesTheDomainUserFullControl() {
        auto* tree = find<QTreeWidget>("DirTree1");
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QTreeWidgetItem* homes = nullptr;
        for (int i = 0; i < root->childCount(); ++i)
            if (root->child(i)->text(0) == "D:") {
                root->child(i)->setExpanded(true);
                for (int j = 0; j < root->child(i)->childCount(); ++j)
                    if (root->child(i)->child(j)->text(0) == "Homes")
                        homes = root->child(i)->child(j);
            }
        QVERIFY(homes);
        tree->setCurrentItem(homes);
        auto* dirs = find<QTreeWidget>("DirList1");
        const auto alice = dirs->findItems("alice", Qt::MatchExactly);
        QCOMPARE(alice.size(), 1);
        dirs->clearSelection();
        alice.first()->setSelected(true);
        find<QCheckBox>("AddDirectoryNameAsUserName1")->setChecked(true);
        QTest::mouseClick(find<QPushButton>("Create1"), Qt::LeftButton);
        QVERIFY(m_messages.shown.isEmpty());

        Account account;
        QCOMPARE(m_network->lookupName(m_dc.name(), u"CORVANE\\alice", account), status::Success);
        enumerateAll(*m_network, m_dc.name());
        ShareInfo502 made;
        QCOMPARE(m_network->getInfo(m_dc.name(), u"alice", made), status::Success);
        const auto dacl = daclOf(made.securityDescriptor);
        QVERIFY(dacl);
        bool aliceFull = false;
        for (std::size_t i = 0; i < dacl->aceCount(); ++i) {
            const auto ace = dacl->ace(i);
            aliceFull |= ace && ace->sid && *ace->sid == account.sid &&
                         ace->type == AccessAllowedAceType && (ace->mask & GenericAll) != 0;
        }
        QVERIFY(aliceFull);
    }

private:
    template <typename T> T* find(const char* name) const {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }

    const DomainController& m_dc = DomainController::instance();
    smb::StaticCredentials m_credentials;
    test::ScriptedMessageBoxes m_messages;
    std::unique_ptr<TicketCache> m_cache;
    std::unique_ptr<smb::SmbNetwork> m_network;
    std::unique_ptr<TForm1> m_form;
};

QTEST_MAIN(DomainWindowIntegrationTest)
#include "DomainWindowIntegrationTest.moc"
