#include "app/ConnectAsForm1.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace corvane;

// Drives the modal dialog from inside its own event loop.
class ConnectAsFormTest : public QObject {
    Q_OBJECT
private slots:
    void controlsCarryTheirNames() {
        ConnectAsForm1 form;
        QCOMPARE(form.objectName(), QString("ConnectAsForm1"));
        for (const char* name : {"UserName1", "Domain1", "Password1"})
            QVERIFY2(form.findChild<QLineEdit*>(name), name);
        QVERIFY(form.findChild<QPushButton*>("Ok1"));
        QVERIFY(form.findChild<QPushButton*>("Cancel1"));
        QCOMPARE(form.findChild<QLineEdit*>("Password1")->echoMode(), QLineEdit::Password);
    }

    void messageNamesServerAndFailure_data() {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first") << QString() << QString("Connect to SRV1 as:");
        QTest::newRow("again") << QString("The user name or password is incorrect.")
                               << QString("The user name or password is incorrect.\n"
                                          "Connect to SRV1 as:");
    }
    void messageNamesServerAndFailure() {
        QFETCH(QString, failure);
        QFETCH(QString, expected);
        ConnectAsForm1 form;
        QTimer::singleShot(0, &form, [&] {
            QCOMPARE(form.Message1->text(), expected);
            form.Cancel1->click();
        });
        form.ask("SRV1", failure);
    }

    void okGivesTheTypedLogonThroughTheProvider() {
        ConnectAsForm1 form;
        ConnectAsCredentials provider(form);
        QTimer::singleShot(0, &form, [&] {
            // DOMAIN\user names the domain over the Domain box.
            QTest::keyClicks(form.UserName1, "CORVANE\\admin");
            QTest::keyClicks(form.Domain1, "OTHER");
            QTest::keyClicks(form.Password1, "s3cret");
            form.Ok1->click();
        });
        const auto answer = provider.credentialsFor(u"SRV1", u"");
        QVERIFY(answer);
        QCOMPARE(QString::fromStdU16String(answer->user), QString("admin"));
        QCOMPARE(QString::fromStdU16String(answer->domain), QString("CORVANE"));
        QVERIFY(answer->password.view() == u"s3cret");
        // The password does not stay in the dialog, nor in its undo history.
        QVERIFY(form.Password1->text().isEmpty());
        QVERIFY(!form.Password1->isUndoAvailable());
    }

    void cancelGivesNothing() {
        ConnectAsForm1 form;
        ConnectAsCredentials provider(form);
        QTimer::singleShot(0, &form, [&] {
            QTest::keyClicks(form.Password1, "typed");
            form.Cancel1->click();
        });
        QVERIFY(!provider.credentialsFor(u"SRV1", u""));
        QVERIFY(form.Password1->text().isEmpty());
        QVERIFY(!form.Password1->isUndoAvailable());
    }

    void askingAgainKeepsTheUserNameButNotThePassword() {
        ConnectAsForm1 form;
        QTimer::singleShot(0, &form, [&] {
            QTest::keyClicks(form.UserName1, "admin");
            QTest::keyClicks(form.Password1, "wrong");
            form.Ok1->click();
        });
        QVERIFY(form.ask("SRV1", ""));
        QTimer::singleShot(0, &form, [&] {
            QCOMPARE(form.UserName1->text(), QString("admin"));
            QVERIFY(form.Password1->text().isEmpty());
            form.Cancel1->click();
        });
        QVERIFY(!form.ask("SRV1", "The user name or password is incorrect."));
    }
};

QTEST_MAIN(ConnectAsFormTest)
#include "ConnectAsFormTest.moc"
