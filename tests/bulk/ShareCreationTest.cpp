#include "bulk/ShareCreation.h"
#include "platform/SecurityDescriptor.h"
#include "platform/fake/FakeNetwork.h"
#include "security/AclBuilding.h"

#include <QTest>

#include <memory>

using namespace corvane;
using corvane::fake::Call;

namespace {

const std::u16string Server = u"SRV1";
const Sid AlphaSid = Sid::make(5, {21, 1, 2, 3, 1001});
const QString NodePath = QStringLiteral(R"(C$\Data\)");

} // namespace

class ShareCreationTest : public QObject {
    Q_OBJECT
private slots:
    void init();

    void userOptionAddsTheAccountsFullControl_data();
    void userOptionAddsTheAccountsFullControl();
    void entryThatDoesNotFitAsks();
    void pathsStartWhereTheDriveShareDoes_data();
    void pathsStartWhereTheDriveShareDoes();
    void emptyNewShareListGivesEmptyDacl();
    void missingNewShareListCreatesNothing();

private:
    DirectoryCreation create(const NewShareOptions& options, const std::optional<Acl>& list,
                             const QString& directory) {
        return createDirectoryShare(net(), net(), newShareTarget(net(), Server, NodePath), options,
                                    list, directory);
    }

    std::unique_ptr<fake::FakeNetwork> m_net;
    fake::FakeNetwork& net() { return *m_net; }
};

void ShareCreationTest::init() {
    m_net = std::make_unique<fake::FakeNetwork>();
    net().addDiskShare(Server, u"C$", u"C:\\");
    net().addAccount(Server, u"Alpha", u"SRV1", SidNameUse::User, AlphaSid);
}

void ShareCreationTest::userOptionAddsTheAccountsFullControl_data() {
    QTest::addColumn<QString>("domain");
    QTest::newRow("short domain") << "SRV1";
    QTest::newRow("domain of 26 characters") << "CORPORATE-HEADQUARTERS-EU1";
}

void ShareCreationTest::userOptionAddsTheAccountsFullControl() {
    QFETCH(QString, domain);
    net().computer(Server).accounts.clear();
    net().addAccount(Server, u"Alpha", domain.toStdU16String(), SidNameUse::User, AlphaSid);
    NewShareOptions options;
    options.hidden = true;
    options.addDirectoryNameAsUser = true;
    net().clearCalls();
    const DirectoryCreation created = create(options, everyoneFullControlAcl(), "Alpha");

    QCOMPARE(created.kind, DirectoryCreation::Kind::Created);
    QVERIFY(created.question.isEmpty());
    const auto lookups = net().callsOf(Call::LookupName);
    QCOMPARE(lookups.size(), size_t(1));
    QVERIFY(lookups[0].server == Server);
    QVERIFY(lookups[0].name == u"Alpha");
    const ShareInfo502* share = net().findShare(Server, u"Alpha$");
    QVERIFY(share);
    const auto sd = SecurityDescriptor::parse(share->securityDescriptor);
    QVERIFY(sd);
    QCOMPARE(sd->daclState(), DaclState::Present);
    QVERIFY(!sd->owner());
    const Acl& dacl = *sd->dacl();
    QCOMPARE(dacl.aceCount(), std::uint16_t(2));
    bool everyone = false, alpha = false;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto ace = dacl.ace(i);
        QCOMPARE(ace->type, AccessAllowedAceType);
        QCOMPARE(ace->mask, GenericAll);
        QCOMPARE(ace->flags, ExplicitAceFlags);
        everyone |= ace->sid == Sid::make(1, {0});
        alpha |= ace->sid == AlphaSid;
    }
    QVERIFY(everyone && alpha);
    QCOMPARE(dacl.aclSize(), std::uint16_t(8 + 20 + 8 + AlphaSid.length()));
}

void ShareCreationTest::entryThatDoesNotFitAsks() {
    // A list for new shares so full that the account's entry no longer fits.
    auto full = Acl::initialize(MaxAclSize, AclRevision);
    while (full->addAllowedAce(ExplicitAceFlags, GenericRead, Sid::make(1, {0}))) {
    }
    NewShareOptions options;
    options.addDirectoryNameAsUser = true;
    net().clearCalls();
    const DirectoryCreation created = create(options, full, "Alpha");
    QCOMPARE(created.kind, DirectoryCreation::Kind::EntryNotAdded);
    QCOMPARE(created.question,
             QString("Could not add directory name as user to share!\nThe share has not been "
                     "created. Continue?"));
    QVERIFY(net().callsOf(Call::Add).empty());
}

void ShareCreationTest::pathsStartWhereTheDriveShareDoes_data() {
    QTest::addColumn<QString>("drivePath");
    QTest::addColumn<bool>("driveReadable");
    QTest::addColumn<QString>("path");
    QTest::newRow("served elsewhere")
        << R"(C:\srv\corvane\C)" << true << R"(C:\srv\corvane\C\Data\Alpha)";
    // The letter rule, as Windows serves C$ from C:\.
    QTest::newRow("drive share unreadable: Windows-style fallback")
        << R"(C:\srv\corvane\C)" << false << R"(C:\Data\Alpha)";
}

void ShareCreationTest::pathsStartWhereTheDriveShareDoes() {
    QFETCH(QString, drivePath);
    QFETCH(bool, driveReadable);
    QFETCH(QString, path);
    const_cast<ShareInfo502*>(net().findShare(Server, u"C$"))->path = drivePath.toStdU16String();
    if (!driveReadable)
        net().failNext(Call::GetInfo, status::AccessDenied, u"C$");
    create({}, everyoneFullControlAcl(), "Alpha");
    QCOMPARE(QString::fromStdU16String(net().findShare(Server, u"Alpha")->path), path);
}

void ShareCreationTest::emptyNewShareListGivesEmptyDacl() {
    create({}, Acl::initialize(AclHeaderSize, AclRevision), "Alpha");
    const std::vector<std::uint8_t> expected = {0x01, 0x00, 0x04, 0x80, 0, 0, 0,    0, 0, 0,
                                                0,    0,    0,    0,    0, 0, 0x14, 0, 0, 0,
                                                0x02, 0x00, 0x08, 0x00, 0, 0, 0,    0};
    QVERIFY(net().findShare(Server, u"Alpha")->securityDescriptor == expected);
}

void ShareCreationTest::missingNewShareListCreatesNothing() {
    // Never a share without a list (which would let everyone in).
    net().clearCalls();
    const DirectoryCreation created = create({}, std::nullopt, "Alpha");
    QCOMPARE(created.kind, DirectoryCreation::Kind::NoList);
    QCOMPARE(created.question,
             QString("A system error has occured. Could not assign security list to share.\n"
                     "The share has not been created. Continue?"));
    QVERIFY(net().callsOf(Call::Add).empty());
}

QTEST_MAIN(ShareCreationTest)
#include "ShareCreationTest.moc"
