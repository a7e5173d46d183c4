#include "maintenance/FindReplace.h"
#include "maintenance/ShareMenuHandlers.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "support/Fixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace corvane;
using namespace corvane::test;
using fake::Call;
using Answer = MessageBoxes::Answer;

namespace {

// The dialog on a fixture, shown without a modal loop.
struct Dialog {
    ServicesFixture& f;
    TFindReplaceTextForm1 form{f.ctx};

    explicit Dialog(ServicesFixture& fixture) : f(fixture) { form.show(); }

    template <typename T> T* child(const char* name) {
        auto* w = form.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }

    void run(const QString& find, const QString& replacement, bool inPath = false) {
        child<QRadioButton>(inPath ? "LocalPath1" : "ShareName1")->setChecked(true);
        child<QLineEdit>("FindText1")->setText(find);
        child<QLineEdit>("ReplaceText1")->setText(replacement);
        button("Ok1")->click();
    }
    QStringList status() {
        QStringList out;
        auto* list = child<QListWidget>("StatusList1");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    // Ok1, Cancel1, Close1 enabled.
    QString buttons() {
        QString out;
        for (const char* name : {"Ok1", "Cancel1", "Close1"})
            out += button(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }
};

} // namespace

class FindReplaceTextTest : public QObject {
    Q_OBJECT
private slots:
    void replaceFirst_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected"); // null: no match
        QTest::newRow("case ignored, rest kept") << "MyShare1"
                                                 << "share"
                                                 << "data"
                                                 << "Mydata1";
        QTest::newRow("first occurrence only") << "banana"
                                               << "a"
                                               << "o"
                                               << "bonana";
        QTest::newRow("upper-case find") << "banana"
                                         << "NAN"
                                         << "x"
                                         << "baxa";
        QTest::newRow("drive of a path") << "C:\\Data\\C:"
                                         << "c:\\"
                                         << "D:\\"
                                         << "D:\\Data\\C:";
        QTest::newRow("at the end") << "Projects"
                                    << "TS"
                                    << "t$"
                                    << "Project$";
        QTest::newRow("whole value") << "Data"
                                     << "dATA"
                                     << "Data"
                                     << "Data";
        QTest::newRow("not there") << "public"
                                   << "share"
                                   << "x" << QString();
        QTest::newRow("longer than value") << "ab"
                                           << "abc"
                                           << "x" << QString();
        QTest::newRow("empty find") << "abc"
                                    << ""
                                    << "x" << QString();
        QTest::newRow("empty value") << ""
                                     << "a"
                                     << "x" << QString();
        QTest::newRow("accented letters") << "ÉTÉ-Été"
                                          << "été"
                                          << "hiver"
                                          << "hiver-Été";
        QTest::newRow("greek final sigma") << "ΟΔΟΣ"
                                           << "οδος"
                                           << "x"
                                           << "x";
        QTest::newRow("cyrillic") << "Общий"
                                  << "ОБЩ"
                                  << "Shared-"
                                  << "Shared-ий";
        QTest::newRow("beyond the BMP")
            << QString::fromUtf8("x\xF0\x90\x90\x80y") // x, DESERET CAPITAL LONG I, y
            << QString::fromUtf8("\xF0\x90\x90\xA8")   // its small letter
            << "z"
            << "xzy";
        QTest::newRow("no match starting inside a surrogate pair")
            << QString::fromUtf8("\xF0\x90\x90\xA8") << QString(QChar(0xDC28)) << "z" << QString();
        QTest::newRow("no match ending inside a surrogate pair")
            << QString::fromUtf8("x\xF0\x90\x90\xA8") << QString("x") + QChar(0xD801) << "z"
            << QString();
    }
    void replaceFirst() {
        QFETCH(QString, value);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        const auto result = replaceFirstIgnoringCase(value, find, replacement);
        QCOMPARE(result.has_value(), !expected.isNull());
        if (result)
            QCOMPARE(*result, expected);
    }

    void layoutAndReadyState() {
        ServicesFixture f;
        Dialog d(f);
        QCOMPARE(d.form.objectName(), QString("FindReplaceTextForm1"));
        QVERIFY(d.button("Ok1")->isDefault());
        QCOMPARE(d.buttons(), QString("101"));
        QVERIFY(d.child<QRadioButton>("ShareName1")->isChecked());
        QCOMPARE(d.child<QProgressBar>("ProgressBar1")->value(), 0);
    }

    void showingAgainResets() {
        ServicesFixture f;
        f.addShare(u"alpha");
        f.addShare(u"beta");
        f.load({"alpha", "beta"});
        Dialog d(f);
        d.run("ph", "f", true); // finds nothing in the paths
        QCOMPARE(d.status().size(), 2);
        QCOMPARE(d.buttons(), QString("001"));
        d.button("Close1")->click();
        QVERIFY(!d.form.isVisible());
        d.form.show();
        QCOMPARE(d.buttons(), QString("101"));
        QVERIFY(d.status().isEmpty());
        QVERIFY(d.child<QRadioButton>("ShareName1")->isChecked());
        QVERIFY(d.child<QLineEdit>("FindText1")->text().isEmpty());
        QVERIFY(d.child<QLineEdit>("ReplaceText1")->text().isEmpty());
        QCOMPARE(d.child<QProgressBar>("ProgressBar1")->value(), 0);
    }

    void missingTexts_data() {
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("message");
        QTest::newRow("both empty") << ""
                                    << ""
                                    << "No find text specified!";
        QTest::newRow("find empty") << ""
                                    << "x"
                                    << "No find text specified!";
        QTest::newRow("replacement empty") << "x"
                                           << ""
                                           << "No replaced text specified!";
    }
    void missingTexts() {
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, message);
        ServicesFixture f;
        f.addShare(u"alpha");
        f.addShare(u"beta");
        f.load({"alpha", "beta"});
        Dialog d(f);
        d.run(find, replacement);
        QCOMPARE(f.messages.texts_shown(), QStringList{message});
        QCOMPARE(f.messages.shown.first().title, QString("ERROR"));
        QCOMPARE(f.messages.shown.first().icon, MessageBoxes::Icon::Error);
        QCOMPARE(f.messages.shown.first().buttons, MessageBoxes::Buttons::Ok);
        QVERIFY(f.calls().isEmpty());
        QCOMPARE(d.buttons(), QString("101")); // still ready
        QVERIFY(!d.form.isRunning());
    }

    void shareNameMode() {
        ServicesFixture f;
        const ShareInfo502 myShare = f.addShare(u"MyShare1");
        f.addShare(u"banana");
        f.addShare(u"public");
        f.load({"MyShare1", "banana", "public"});
        Dialog d(f);
        d.run("share", "data");
        // The list stands in name order, where "banana" comes before "MyShare1".
        QCOMPARE(f.calls(), (QStringList{"GetInfo banana", "GetInfo MyShare1", "Add Mydata1",
                                         "Remove MyShare1", "GetInfo public"}));
        ShareInfo502 expected = myShare;
        expected.netname = u"Mydata1";
        QCOMPARE(*f.net.callsOf(Call::Add).at(0).info, expected);
        QCOMPARE(d.status(),
                 (QStringList{"banana: Could not find \"share\".",
                              "Mydata1: Replaced \"MyShare1\" with \"Mydata1\" successfully.",
                              "public: Could not find \"share\"."}));
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(d.buttons(), QString("001"));
        QVERIFY(!d.form.isRunning());
    }

    void onlyFirstOccurrence() {
        ServicesFixture f;
        f.addShare(u"banana");
        f.addShare(u"cabana");
        f.load({"banana", "cabana"});
        Dialog d(f);
        d.run("A", "o");
        QCOMPARE(f.calls(), (QStringList{"GetInfo banana", "Add bonana", "Remove banana",
                                         "GetInfo cabana", "Add cobana", "Remove cabana"}));
        QVERIFY(f.hasShare(u"bonana"));
        QVERIFY(!f.hasShare(u"banana"));
    }

    void localPathMode() {
        ServicesFixture f;
        f.addShare(u"alpha", u"C:\\Alpha");
        f.addShare(u"beta", u"C:\\Beta\\C:\\");
        f.addShare(u"gamma", u"E:\\Gamma");
        f.load({"alpha", "beta", "gamma"});
        Dialog d(f);
        d.run("C:\\", "D:\\", true);
        QCOMPARE(f.calls(),
                 (QStringList{"GetInfo alpha", "SetInfo alpha", "GetInfo alpha", "Remove alpha",
                              "Add alpha", "GetInfo beta", "SetInfo beta", "GetInfo beta",
                              "Remove beta", "Add beta", "GetInfo gamma"}));
        QCOMPARE(f.net.findShare(Server, u"alpha")->path, u"D:\\Alpha");
        QCOMPARE(f.net.findShare(Server, u"beta")->path, u"D:\\Beta\\C:\\");
        QCOMPARE(f.net.findShare(Server, u"gamma")->path, u"E:\\Gamma");
        QCOMPARE(d.status(),
                 (QStringList{"alpha: Replaced \"C:\\Alpha\" with \"D:\\Alpha\" successfully.",
                              "beta: Replaced \"C:\\Beta\\C:\\\" with \"D:\\Beta\\C:\\\" "
                              "successfully.",
                              "gamma: Could not find \"C:\\\"."}));
    }

    void replacementEqualToFoundStillWrites() {
        ServicesFixture f;
        const ShareInfo502 data = f.addShare(u"Data");
        f.addShare(u"Docs");
        f.load({"Data", "Docs"});
        Dialog d(f);
        d.run("data", "Data");
        QCOMPARE(f.calls(), (QStringList{"GetInfo Data", "SetInfo Data", "GetInfo Docs"}));
        QCOMPARE(*f.net.findShare(Server, u"Data"), data);
        QCOMPARE(d.status().first(),
                 QString("Data: Replaced \"Data\" with \"Data\" successfully."));
    }

    void progressEndsFull_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("three") << 3;
        QTest::newRow("over a hundred") << 101;
    }
    void progressEndsFull() {
        QFETCH(int, count);
        ServicesFixture f;
        QStringList names;
        for (int i = 0; i < count; ++i) {
            names << QString("s%1").arg(i, 3, 10, QLatin1Char('0'));
            f.addShare(toU16(names.last()));
        }
        f.load(names);
        Dialog d(f);
        int seenAtSecond = -1;
        f.net.beforeCall = [&](Call call, const std::u16string& name) {
            if (call == Call::GetInfo && name == u"s001")
                seenAtSecond = d.child<QProgressBar>("ProgressBar1")->value();
        };
        d.run("s", "t");
        auto* bar = d.child<QProgressBar>("ProgressBar1");
        QCOMPARE(seenAtSecond, 1);
        QCOMPARE(bar->value(), bar->maximum());
        QCOMPARE(bar->maximum(), count);
        QCOMPARE(f.net.callsOf(Call::Add).size(), std::size_t(count));
    }

    // Cancel (the button or Esc) pressed while the second of five shares is handled.
    void cancelBetweenShares_data() {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Cancel1") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelBetweenShares() {
        QFETCH(bool, byEscape);
        ServicesFixture f;
        const QStringList names{"a1", "a2", "a3", "a4", "a5"};
        for (const QString& n : names)
            f.addShare(toU16(n));
        f.load(names);
        Dialog d(f);
        QString buttonsWhileRunning;
        f.net.beforeCall = [&](Call call, const std::u16string& name) {
            if (call != Call::GetInfo || name != u"a2")
                return;
            buttonsWhileRunning = d.buttons();
            // Queued like real input: seen only when the run lets input through.
            if (byEscape)
                QCoreApplication::postEvent(
                    &d.form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
            else
                QMetaObject::invokeMethod(d.button("Cancel1"), &QPushButton::click,
                                          Qt::QueuedConnection);
        };
        d.run("a", "b");
        QCOMPARE(buttonsWhileRunning, QString("010"));
        QCOMPARE(f.calls(), (QStringList{"GetInfo a1", "Add b1", "Remove a1", "GetInfo a2",
                                         "Add b2", "Remove a2"}));
        QCOMPARE(d.status().size(), 2);
        QVERIFY(d.form.cancelRequested());
        QVERIFY(!d.form.isRunning());
        QVERIFY(d.form.isVisible());
        QCOMPARE(d.buttons(), QString("001"));
        QCOMPARE(d.child<QProgressBar>("ProgressBar1")->value(), 2);
    }

    void escapeOutsideARunDoesNotClose() {
        ServicesFixture f;
        Dialog d(f);
        QTest::keyClick(&d.form, Qt::Key_Escape);
        QVERIFY(d.form.isVisible());
        QVERIFY(!d.form.cancelRequested());
    }

    void closeBoxDoesNothingWhileRunning() {
        ServicesFixture f;
        for (auto n : {u"a1", u"a2", u"a3"})
            f.addShare(n);
        f.load({"a1", "a2", "a3"});
        Dialog d(f);
        bool closedDirectly = true;
        f.net.beforeCall = [&](Call call, const std::u16string& name) {
            if (call != Call::GetInfo || name != u"a2")
                return;
            closedDirectly = d.form.close();
            // The window manager's close box, delivered between shares.
            QCoreApplication::postEvent(&d.form, new QCloseEvent);
        };
        d.run("a", "b");
        QVERIFY(!closedDirectly);
        QVERIFY(d.form.isVisible());
        QCOMPARE(f.net.callsOf(Call::Add).size(), std::size_t(3));
        QCOMPARE(d.buttons(), QString("001"));
        // Finished: now the close box works.
        QVERIFY(d.form.close());
        QVERIFY(!d.form.isVisible());
    }

    // Each failure of a share asks Yes/No; Yes goes on with the next share, with no status line
    // for the failed one.
    void failuresAskAndGoOn_data() {
        QTest::addColumn<Call>("failing");
        QTest::addColumn<std::u16string>("failingName");
        QTest::addColumn<int>("times");
        QTest::addColumn<QStringList>("expectedCalls");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("firstShareExists");
        QTest::addColumn<bool>("firstNewNameExists");
        QTest::newRow("fetch fails")
            << Call::GetInfo << std::u16string(u"share1") << 1
            << QStringList{"GetInfo share1!2310", "GetInfo share2", "Add data2", "Remove share2"}
            << "A system error occured (2310)\nwhile requesting information about the share "
               "share1."
            << true << false;
        QTest::newRow("new name refused")
            << Call::Add << std::u16string(u"data1") << 1
            << QStringList{"GetInfo share1", "Add data1!5", "GetInfo share2", "Add data2",
                           "Remove share2"}
            << "Could not update share share1(5).\nContinue?" << true << false;
        QTest::newRow("old name not removed")
            << Call::Remove << std::u16string(u"share1") << 1
            << QStringList{"GetInfo share1", "Add data1", "Remove share1!5",
                           "GetInfo share2", "Add data2", "Remove share2"}
            << "Could not update share share1(5).\nIt is now there under both names, share1 and "
               "data1.\nContinue?"
            << true << true;
    }
    void failuresAskAndGoOn() {
        QFETCH(Call, failing);
        QFETCH(std::u16string, failingName);
        QFETCH(int, times);
        QFETCH(QStringList, expectedCalls);
        QFETCH(QString, message);
        QFETCH(bool, firstShareExists);
        QFETCH(bool, firstNewNameExists);
        ServicesFixture f;
        const ShareInfo502 first = f.addShare(u"share1");
        f.addShare(u"share2");
        f.load({"share1", "share2"});
        for (int i = 0; i < times; ++i)
            f.net.failNext(
                failing, failing == Call::GetInfo ? status::NetNameNotFound : status::AccessDenied,
                failingName);
        Dialog d(f);
        d.run("share", "data");
        QCOMPARE(f.calls(), expectedCalls);
        QCOMPARE(f.messages.texts_shown(), QStringList{message});
        QCOMPARE(f.messages.shown.first().title, QString("ERROR"));
        QCOMPARE(f.messages.shown.first().icon, MessageBoxes::Icon::Error);
        QCOMPARE(f.messages.shown.first().buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(d.status(),
                 QStringList{"data2: Replaced \"share2\" with \"data2\" successfully."});
        if (firstShareExists)
            QCOMPARE(*f.net.findShare(Server, u"share1"), first);
        else
            QVERIFY(!f.hasShare(u"share1"));
        QCOMPARE(f.hasShare(u"data1"), firstNewNameExists);
        QCOMPARE(d.buttons(), QString("001"));
    }

    void noEndsTheRunAndCloses() {
        ServicesFixture f;
        f.addShare(u"share1");
        f.addShare(u"share2");
        f.load({"share1", "share2"});
        f.net.failNext(Call::Remove, status::AccessDenied, u"share1");
        f.messages.answers.enqueue(Answer::No);
        Dialog d(f);
        d.run("share", "data");
        QCOMPARE(f.calls(), (QStringList{"GetInfo share1", "Add data1", "Remove share1!5"}));
        QVERIFY(!d.form.isVisible());
        QVERIFY(!d.form.isRunning());
    }

    // However the dialog closes, the main list is reloaded afterwards.
    void menuItemReloadsWheneverDialogCloses_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("rowsAfter");
        QTest::newRow("closed without a run") << "close" << QStringList{"share1", "share2"};
        QTest::newRow("closed after a run") << "run" << QStringList{"data1", "data2"};
        QTest::newRow("No in an error box") << "no" << QStringList{"share1", "share2"};
    }
    void menuItemReloadsWheneverDialogCloses() {
        QFETCH(QString, how);
        QFETCH(QStringList, rowsAfter);
        ServicesFixture f;
        f.addShare(u"share1");
        f.addShare(u"share2");
        f.load({"share1", "share2"});
        if (how == "no") {
            f.net.failNext(Call::GetInfo, status::AccessDenied, u"share1");
            f.messages.answers.enqueue(Answer::No);
        }
        TFindReplaceTextForm1 form(f.ctx);
        ShareMenuHandlers handlers(f.ctx, nullptr, &form);
        QTimer::singleShot(0, &form, [&] {
            if (how != "close") {
                form.findChild<QLineEdit*>("FindText1")->setText("share");
                form.findChild<QLineEdit*>("ReplaceText1")->setText("data");
                form.findChild<QPushButton*>("Ok1")->click();
            }
            if (form.isVisible())
                form.findChild<QPushButton*>("Close1")->click();
        });
        handlers.FindReplaceText1Click();
        QVERIFY(!form.isVisible());
        QCOMPARE(f.calls().last(), QString("Enumerate"));
        QCOMPARE(f.rows(), rowsAfter);
    }
};

QTEST_MAIN(FindReplaceTextTest)
#include "FindReplaceTextTest.moc"
