#include "app/TForm1.h"
#include "app/TAboutForm1.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "security/PermissionEditor.h"
#include "security/TSecurityForm1.h"
#include "support/WindowFixture.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using namespace corvane;
using fake::Call;

namespace {

struct Window : test::WindowFixture {
    Window() {
        net.addDiskShare(u"SRV1", u"C$", u"C:\\");
        net.addDiskShare(u"SRV1", u"D$", u"D:\\");
        net.addShare(u"SRV1", [] {
            ShareInfo502 s;
            s.netname = u"IPC$";
            s.type = StypeIpc | StypeSpecial;
            return s;
        }());
        net.addDiskShare(u"SRV1", u"zeta", u"C:\\Zeta", u"delta");
        net.addDiskShare(u"SRV1", u"Data", u"C:\\Data", u"Bravo");
        net.addDiskShare(u"SRV1", u"root", u"E:\\", u"alpha");
        net.addShare(u"SRV1", [] {
            ShareInfo502 s;
            s.netname = u"laser";
            s.type = StypePrintq;
            s.remark = u"Charlie";
            return s;
        }());
        start();
    }

    QLineEdit* computerBox() const { return find<QLineEdit>("Computer1"); }
    QTreeWidget* tree() const { return find<QTreeWidget>("DirTree1"); }
    QTabWidget* pages() const { return find<QTabWidget>("PageControl1"); }

    QStringList column(int c) const { return test::columnTexts(shares(), c); }
    QStringList treeTexts() const {
        QStringList out;
        for (int i = 0; i < tree()->topLevelItemCount(); ++i) {
            auto* root = tree()->topLevelItem(i);
            out << root->text(0);
            for (int j = 0; j < root->childCount(); ++j)
                out << "  " + root->child(j)->text(0);
        }
        return out;
    }
};

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT
private slots:
    void everyNamedControlExists_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        const QList<QPair<const char*, const char*>> controls{
            {"ControlBar1", "QWidget"},
            {"ToolBar3", "QToolBar"},
            {"ToolButton3", "QToolButton"},
            {"Close1", "QToolButton"},
            {"HelpButton1", "QToolButton"},
            {"ToolBar1", "QToolBar"},
            {"Panel1", "QLabel"},
            {"Computer1", "QLineEdit"},
            {"OpenComputer1", "QPushButton"},
            {"PageControl1", "QTabWidget"},
            {"SharesList1", "QTreeWidget"},
            {"SharesMenu1", "QMenu"},
            {"HelpMenu1", "QMenu"},
            {"TabSheet1", "QWidget"},
            {"TabSheet2", "QWidget"},
            {"TabSheet3", "QWidget"},
            {"ShareName1", "QLineEdit"},
            {"LocalPath1", "QLineEdit"},
            {"Comment1", "QLineEdit"},
            {"MaxUsers1", "QSpinBox"},
            {"GroupBox1", "QGroupBox"},
            {"UsersList1", "QTreeWidget"},
            {"Permissions1", "QWidget"},
            {"AllowFullControl1", "QCheckBox"},
            {"AllowChange1", "QCheckBox"},
            {"AllowRead1", "QCheckBox"},
            {"DenyFullControl1", "QCheckBox"},
            {"DenyChange1", "QCheckBox"},
            {"DenyRead1", "QCheckBox"},
            {"Add1", "QPushButton"},
            {"Remove1", "QPushButton"},
            {"Apply1", "QPushButton"},
            {"SourceComputer1", "QLineEdit"},
            {"OpenCopyComputer1", "QPushButton"},
            {"SourceComputerSharesList1", "QTreeWidget"},
            {"SourceComputerParentDir1", "QLineEdit"},
            {"DestinationComputerParentDir1", "QLineEdit"},
            {"UseSourceAsDestination1", "QCheckBox"},
            {"Copy1", "QPushButton"},
            {"DirTree1", "QTreeWidget"},
            {"DirList1", "QTreeWidget"},
            {"CreateAllSharesHidden1", "QCheckBox"},
            {"CommonComment1", "QLineEdit"},
            {"MaximumUsers1", "QSpinBox"},
            {"AddDirectoryNameAsUserName1", "QCheckBox"},
            {"Security1", "QPushButton"},
            {"Create1", "QPushButton"},
            {"Label1", "QLabel"},
            {"Label2", "QLabel"},
            {"Label3", "QLabel"},
            {"Label4", "QLabel"},
            {"Label5", "QLabel"},
            {"Label6", "QLabel"},
            {"Label7", "QLabel"},
            {"Label8", "QLabel"},
            {"Label9", "QLabel"},
            {"Label10", "QLabel"},
            {"Label11", "QLabel"},
            {"Label12", "QLabel"},
            {"Label13", "QLabel"},
            {"Label14", "QLabel"},
            {"Label15", "QLabel"},
            {"Label16", "QLabel"},
            // The window's own dialog, by its name.
            {"FindReplaceTextForm1/GroupBox1", "QGroupBox"},
            {"FindReplaceTextForm1/ShareName1", "QRadioButton"},
            {"FindReplaceTextForm1/LocalPath1", "QRadioButton"},
            {"FindReplaceTextForm1/Label1", "QLabel"},
            {"FindReplaceTextForm1/FindText1", "QLineEdit"},
            {"FindReplaceTextForm1/Label2", "QLabel"},
            {"FindReplaceTextForm1/ReplaceText1", "QLineEdit"},
            {"FindReplaceTextForm1/ProgressBar1", "QProgressBar"},
            {"FindReplaceTextForm1/Ok1", "QPushButton"},
            {"FindReplaceTextForm1/Cancel1", "QPushButton"},
            {"FindReplaceTextForm1/Close1", "QPushButton"},
            {"FindReplaceTextForm1/StatusList1", "QListWidget"},
        };
        for (const auto& [name, kind] : controls)
            QTest::newRow(name) << QString(name) << QString(kind);
    }
    void everyNamedControlExists() {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        Window w;
        QWidget* found = nullptr;
        if (const auto slash = name.indexOf('/'); slash >= 0) {
            if (auto* dialog = w.form->findChild<QWidget*>(name.left(slash)))
                found = dialog->findChild<QWidget*>(name.mid(slash + 1));
        } else {
            // Controls of the main window live outside its dialogs.
            for (QWidget* candidate : w.form->findChildren<QWidget*>(name)) {
                if (!candidate->window() || candidate->window() == w.form.get() ||
                    qobject_cast<QMenu*>(candidate))
                    found = candidate;
            }
        }
        QVERIFY2(found, qPrintable(name));
        QVERIFY2(found->inherits(kind.toLatin1()), qPrintable(found->metaObject()->className()));
    }

    void menusHoldTheirItemsInOrder() {
        Window w;
        auto names = [](QMenu* menu) {
            QStringList out;
            for (QAction* a : menu->actions())
                out << a->objectName();
            return out;
        };
        QCOMPARE(names(w.find<QMenu>("SharesMenu1")),
                 QStringList({"DeleteSelected1", "HideSelected1", "N1", "FindReplaceText1",
                              "ShowOpenFiles1", "N3", "ExportShares1", "ImportShares1", "N4",
                              "Sessions1", "Inventory1", "Preferences1"}));
        QCOMPARE(names(w.find<QMenu>("HelpMenu1")),
                 QStringList({"Contents1", "N2", "QentisSoftware1", "About1"}));
        QCOMPARE(w.find<QToolButton>("ToolButton3")->menu(), w.find<QMenu>("SharesMenu1"));
        QCOMPARE(w.find<QToolButton>("HelpButton1")->menu(), w.find<QMenu>("HelpMenu1"));
    }

    void startUpStateAndFormsInOrder() {
        Window w;
        QCOMPARE(w.form->objectName(), QString("Form1"));
        QVERIFY(w.form->constructedOk());
        QVERIFY(!w.pages()->isEnabled());
        QCOMPARE(w.pages()->currentIndex(), 0);
        const QObjectList children = w.form->children();
        const auto at = [&](QObject* o) { return children.indexOf(o); };
        QVERIFY(at(static_cast<QObject*>(w.form->findReplaceTextForm())) >= 0);
        QVERIFY(at(static_cast<QObject*>(w.form->findReplaceTextForm())) < at(w.form->aboutForm()));
        QVERIFY(at(w.form->aboutForm()) < at(static_cast<QObject*>(w.form->securityForm())));
        QVERIFY(w.form->state().computerName.isEmpty());
        QVERIFY(!w.form->state().currentShareInfo);
        const std::vector<std::uint8_t> everyoneFull{2, 0,    28, 0, 1, 0, 0, 0, 0, 3, 20, 0, 0, 0,
                                                     0, 0x10, 1,  1, 0, 0, 0, 0, 0, 1, 0,  0, 0, 0};
        QVERIFY(w.form->state().currentAcl);
        QVERIFY(w.form->state().currentAcl->bytes() == everyoneFull);
        QVERIFY(w.form->state().newShareAcl->bytes() == everyoneFull);
        QVERIFY(w.messages.shown.isEmpty());
    }

    void everyoneNotFoundEndsTheProgramWithTheMessage() {
        fake::FakeNetwork net;
        test::ScriptedMessageBoxes messages;
        net.failNext(Call::LookupName, status::NoneMapped, u"Everyone");
        TForm1 form(net, net, net, messages);
        QVERIFY(!form.constructedOk());
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].title, QString("ERROR"));
        QCOMPARE(messages.shown[0].text, QString("Could not find SID of 'Everyone'!"));
        QCOMPARE(messages.shown[0].icon, MessageBoxes::Icon::Error);
        QCOMPARE(messages.shown[0].buttons, MessageBoxes::Buttons::Ok);
        // The other forms still exist; the queued quit ends the loop.
        QVERIFY(form.findReplaceTextForm() && form.aboutForm() && form.securityForm());
        // A fallback in case the quit never comes; it goes with the test.
        bool timedOut = false;
        QObject scope;
        QTimer::singleShot(5000, &scope, [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        QCOMPARE(QCoreApplication::exec(), 0);
        QVERIFY(!timedOut);
    }

    void pictureListHasEveryIndex() {
        Window w;
        const ImageList& images = w.form->images();
        QCOMPARE(images.count(), 26);
        for (int i = 0; i < 26; ++i)
            QVERIFY2(!images.icon(i).pixmap(16, 16).isNull(), qPrintable(QString::number(i)));
        QVERIFY(images.icon(-1).isNull());
        const auto image = [&](int i) { return images.icon(i).pixmap(16, 16).toImage(); };
        // The share pictures carry the hand over the plain drive, folder and printer.
        QVERIFY(image(23) != image(3));
        QVERIFY(image(24) != image(5));
        QVERIFY(image(25) != image(13));
        QVERIFY(image(18) != image(14));
    }

    void windowStartsAtItsDesignedSize() {
        Window w;
        QCOMPARE(w.form->size(), QSize(851, 452));
        QVERIFY(w.find<QWidget>("ControlBar1")->height() >= 30);
        QVERIFY(w.form->minimumWidth() == 400);
    }

    void failedOpenDropsRowsOfTheComputerThatFailed() {
        Window w;
        w.open("SRV1");
        w.net.addDiskShare(u"SRV2", u"a", u"C:\\X");
        w.net.addDiskShare(u"SRV2", u"b", u"C:\\Y");
        w.net.computer(u"SRV2").enumerationPartSize = 1;
        w.net.failNext(Call::Enumerate, status::UnexpectedNetworkError, {}, 1);
        w.open("SRV2");
        QCOMPARE(w.form->state().computerName, QString("SRV1"));
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
    }

    void columnClickKeepsTheSelectionAndLoadsNothing() {
        Window w;
        w.open("SRV1");
        w.shares()->topLevelItem(2)->setSelected(true);
        w.shares()->topLevelItem(5)->setSelected(true);
        w.net.clearCalls();
        emit w.shares()->header()->sectionClicked(2);
        QStringList selected;
        for (auto* item : w.shares()->selectedItems())
            selected << item->text(0);
        selected.sort();
        QCOMPARE(selected, QStringList({"Data", "root"}));
        QVERIFY(w.net.calls().empty());
    }

    void emptyBoxDoesNothing() {
        Window w;
        w.open("SRV1");
        w.net.clearCalls();
        w.open("");
        QVERIFY(w.net.calls().empty());
        QCOMPARE(w.shares()->topLevelItemCount(), 7);
    }

    void leadingBackslashesAreStripped_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("two") << "\\\\SRV1"
                             << "SRV1";
        QTest::newRow("none") << "SRV1"
                              << "SRV1";
        QTest::newRow("four keep two") << "\\\\\\\\SRV1"
                                       << "\\\\SRV1";
        QTest::newRow("only two: the local computer") << "\\\\" << QString();
    }
    void leadingBackslashesAreStripped() {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Window w;
        w.net.computer(u"\\\\SRV1") = w.net.computer(u"SRV1");
        w.net.computer(u"") = w.net.computer(u"SRV1");
        w.open(typed);
        QVERIFY(w.pages()->isEnabled());
        QCOMPARE(w.computerBox()->text(), kept);
        QCOMPARE(w.form->state().computerName, kept);
        QCOMPARE(w.tree()->topLevelItem(0)->text(0), kept);
        QCOMPARE(w.form->securityForm()->editor()->computerName(), kept);
    }

    void unreachableFirstOpenChangesNothingAndSaysNothing() {
        Window w;
        w.net.computer(u"SRV1").reachable = false;
        w.open("SRV1");
        QVERIFY(!w.pages()->isEnabled());
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
        QVERIFY(w.form->state().computerName.isEmpty());
        QCOMPARE(w.tree()->topLevelItemCount(), 0);
        QVERIFY(w.messages.shown.isEmpty());
        QCOMPARE(w.net.callsOf(Call::GetInfo).size(), size_t(0));
    }

    // A failed open shows no box; the status line names the server, the step and the reason.
    void statusLineSaysHowTheOpenEnded_data() {
        QTest::addColumn<Status>("failure");
        QTest::addColumn<bool>("logonCancelled");
        QTest::addColumn<QString>("says");
        QTest::newRow("listed") << status::Success << false << "7 shares on SRV1";
        QTest::newRow("silent") << status::SemaphoreTimeout << false
                                << "Opening SRV1 failed while connecting: did not answer within "
                                   "20 s (121)";
        QTest::newRow("refused account") << status::LogonFailure << false
                                         << "Opening SRV1 failed while logging on: logon "
                                            "failure (1326)";
        QTest::newRow("logon cancelled") << status::LogonFailure << true
                                         << "Opening SRV1 failed while logging on: logon cancelled";
        QTest::newRow("NTLM refused") << status::NtlmBlocked << false << "NTLM";
        QTest::newRow("no right to list")
            << status::AccessDenied << false
            << "failed while listing the shares: access denied: this account may not list "
               "shares with their security (5)";
        QTest::newRow("answer at another level")
            << status::InvalidTag << false
            << "failed while reading the answer: the server answered at another level than "
               "asked (1733)";
    }
    void statusLineSaysHowTheOpenEnded() {
        QFETCH(Status, failure);
        QFETCH(bool, logonCancelled);
        QFETCH(QString, says);
        Window w;
        int cancels = 0;
        w.form->setLogonCancels([&] { return logonCancelled ? cancels++ : 0; });
        if (failure != status::Success)
            w.net.failNext(Call::Enumerate, failure);
        w.open("SRV1");
        QVERIFY(w.messages.shown.isEmpty());
        const QString line = w.form->findChild<QLabel*>("OpenStatus1")->text();
        QVERIFY2(line.contains(says), qPrintable(line));
        QCOMPARE(w.shares()->topLevelItemCount(), failure == status::Success ? 7 : 0);
    }

    void failedOpenLaterKeepsTheOpenedComputer() {
        Window w;
        w.open("SRV1");
        w.open("GHOST");
        QVERIFY(w.pages()->isEnabled());
        QCOMPARE(w.form->state().computerName, QString("SRV1"));
        QCOMPARE(w.tree()->topLevelItem(0)->text(0), QString("SRV1"));
    }

    void openFillsListInNameOrderWithPictures() {
        Window w;
        w.open("SRV1");
        QVERIFY(w.pages()->isEnabled());
        QCOMPARE(w.column(0), QStringList({"C$", "D$", "Data", "IPC$", "laser", "root", "zeta"}));
        QList<int> images;
        for (int i = 0; i < w.shares()->topLevelItemCount(); ++i)
            images << itemImage(w.shares()->topLevelItem(i));
        QCOMPARE(images, QList<int>({23, 23, 24, 23, 25, 23, 24}));
    }

    void enterInTheComputerBoxOpens() {
        Window w;
        w.computerBox()->setText("SRV1");
        QTest::keyClick(w.computerBox(), Qt::Key_Return);
        QCOMPARE(w.form->state().computerName, QString("SRV1"));
        QCOMPARE(w.shares()->topLevelItemCount(), 7);
        QTest::keyClick(w.computerBox(), Qt::Key_X);
        QCOMPARE(w.computerBox()->text(), QString("SRV1x"));
    }

    void columnClickSortsOnceIgnoringCaseAndRefillRestoresNameOrder() {
        Window w;
        w.open("SRV1");
        QHeaderView* header = w.shares()->header();
        QVERIFY(!header->isSortIndicatorShown());
        emit header->sectionClicked(2);
        QCOMPARE(w.column(2), QStringList({"", "", "", "alpha", "Bravo", "Charlie", "delta"}));
        const QStringList once = w.column(0);
        emit header->sectionClicked(2);
        QCOMPARE(w.column(0), once);
        QVERIFY(!header->isSortIndicatorShown());
        w.open("SRV1");
        QCOMPARE(w.column(0), QStringList({"C$", "D$", "Data", "IPC$", "laser", "root", "zeta"}));
    }

    void treeHoldsRootAndTheListedDriveShares() {
        Window w;
        w.net.addDiskShare(u"SRV1", u"Q$", u"Q:\\");
        w.open("SRV1");
        QCOMPARE(w.treeTexts(), QStringList({"SRV1", "  C:", "  D:", "  Q:"}));
        QTreeWidgetItem* root = w.tree()->topLevelItem(0);
        QCOMPARE(itemImage(root), 14);
        QVERIFY(root->isExpanded());
        QCOMPARE(itemImage(root->child(0)), 3);
        QCOMPARE(root->child(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    }

    void computerWithoutDriveSharesHasOnlyTheRoot() {
        Window w;
        w.net.addDiskShare(u"BARE", u"Data", u"C:\\Data");
        w.open("BARE");
        QCOMPARE(w.treeTexts(), QStringList({"BARE"}));
    }

    void twoOpensGiveTheSameListAndTree() {
        Window w;
        w.open("SRV1");
        const QStringList list = w.column(0);
        const QStringList tree = w.treeTexts();
        w.open("SRV1");
        QCOMPARE(w.column(0), list);
        QCOMPARE(w.treeTexts(), tree);
    }

    void serviceAnsweringInThreePartsGivesAllRows() {
        Window w;
        w.net.computer(u"SRV1").enumerationPartSize = 3;
        w.open("SRV1");
        QCOMPARE(w.shares()->topLevelItemCount(), 7);
        QCOMPARE(w.net.callsOf(Call::Enumerate).size(), size_t(3));
    }

    void computerWithNoSharesGivesAnEmptyList() {
        Window w;
        w.net.computer(u"EMPTY");
        w.open("EMPTY");
        QCOMPARE(w.shares()->topLevelItemCount(), 0);
        QVERIFY(w.pages()->isEnabled());
        QCOMPARE(w.treeTexts(), QStringList({"EMPTY"}));
    }

    void helpButtonOnlyDropsItsMenu() {
        Window w;
        w.open("SRV1");
        w.shares()->topLevelItem(2)->setSelected(true);
        w.net.clearCalls();
        // The press drops the menu down; close it as a person would, without choosing.
        auto* menu = w.find<QMenu>("HelpMenu1");
        bool dropped = false;
        QTimer::singleShot(50, menu, [&] {
            dropped = menu->isVisible();
            menu->close();
        });
        w.find<QToolButton>("HelpButton1")->click();
        QTRY_VERIFY(dropped);
        QVERIFY(w.net.callsOf(Call::SetInfo).empty());
        QVERIFY(w.net.callsOf(Call::Add).empty());
        QVERIFY(w.net.callsOf(Call::Remove).empty());
    }

    void openingAnotherComputerReleasesTheLoadedShare() {
        Window w;
        w.net.addDiskShare(u"SRV2", u"Data", u"C:\\Other");
        w.open("SRV1");
        w.shares()->topLevelItem(2)->setSelected(true);
        QVERIFY(w.form->state().currentShareInfo);
        w.open("SRV2");
        QVERIFY(!w.form->state().currentShareInfo);
        w.net.clearCalls();
        w.find<QPushButton>("Apply1")->click();
        QVERIFY(w.net.calls().empty());
    }

    void helpAndMakerPageOpenThroughTheDesktop() {
        Window w;
        QList<QUrl> opened;
        w.form->openUrl = [&](const QUrl& url) {
            opened << url;
            return false; // a failure shows nothing
        };
        w.form->findChild<QAction*>("Contents1")->trigger();
        w.form->findChild<QAction*>("QentisSoftware1")->trigger();
        QCOMPARE(opened.size(), 2);
        QVERIFY(opened[0].isLocalFile());
        QVERIFY(opened[0].path().endsWith("help/Corvane.html"));
        QCOMPARE(opened[1].scheme(), QString("https"));
        QVERIFY(w.messages.shown.isEmpty());
    }

    void aboutBoxIsFramelessAndClosesOnAClick() {
        Window w;
        TAboutForm1* about = w.form->aboutForm();
        QCOMPARE(about->objectName(), QString("AboutForm1"));
        QCOMPARE(about->size(), QSize(304, 201));
        QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
        about->show();
        QVERIFY(about->isVisible());
        QTest::mouseClick(about->findChild<QWidget*>("Image1"), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QCOMPARE(about->result(), int(QDialog::Rejected));
    }
};

QTEST_MAIN(TForm1Test)
#include "TForm1Test.moc"
