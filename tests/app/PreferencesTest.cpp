// The connection preferences as the dialog gives them, and the security each server's
// connections then get.
#include "app/Preferences.h"
#include "app/PreferencesForm1.h"

#include <QCheckBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTest>

using namespace corvane;

class PreferencesTest : public QObject {
    Q_OBJECT
private slots:
    void connectionSecurity_data() {
        QTest::addColumn<QString>("unsignedServers"); // as typed in the box
        QTest::addColumn<bool>("encryption");
        QTest::addColumn<bool>("neverNtlm");
        QTest::addColumn<QString>("server");
        QTest::addColumn<bool>("signing");

        QTest::newRow("defaults: signed") << "" << false << false << "fs1" << true;
        QTest::newRow("listed: may go unsigned")
            << "old-nas\nfs2" << false << false << "fs2" << false;
        QTest::newRow("listed in other case, with backslashes")
            << "\\\\OLD-NAS, fs2" << false << false << "old-nas" << false;
        QTest::newRow("another server stays signed")
            << "old-nas" << false << false << "old-nas2" << true;
        QTest::newRow("encryption and Kerberos only") << "" << true << true << "fs1" << true;
        QTest::newRow("listed, encryption still required")
            << "fs1" << true << false << "\\\\FS1" << false;
    }
    void connectionSecurity() {
        QFETCH(QString, unsignedServers);
        QFETCH(bool, encryption);
        QFETCH(bool, neverNtlm);
        QFETCH(QString, server);
        QFETCH(bool, signing);

        PreferencesForm1 form;
        form.UnsignedServers1->setPlainText(unsignedServers);
        form.RequireEncryption1->setChecked(encryption);
        form.NeverNtlm1->setChecked(neverNtlm);
        smb::SmbOptions options;
        applyPreferences(form.preferences(), options);
        const smb::ConnectionSecurity security = smb::securityFor(options, server.toStdU16String());
        QCOMPARE(security.requireSigning, signing);
        QCOMPARE(security.requireEncryption, encryption);
        QCOMPARE(security.kerberosOnly, neverNtlm);
    }

    // What is saved comes back, and the box shows it again as it was kept.
    void keptPerUser() {
        QSettings settings(QDir(QDir::tempPath()).filePath("corvane-preferences-test.ini"),
                           QSettings::IniFormat);
        settings.clear();
        QCOMPARE(loadPreferences(settings), Preferences{});
        const Preferences chosen{{"old-nas", "10.0.0.9"}, true, false};
        savePreferences(settings, chosen);
        QCOMPARE(loadPreferences(settings), chosen);
        PreferencesForm1 form;
        form.setPreferences(chosen);
        QCOMPARE(form.preferences(), chosen);
        settings.clear();
    }
};

QTEST_MAIN(PreferencesTest)
#include "PreferencesTest.moc"
