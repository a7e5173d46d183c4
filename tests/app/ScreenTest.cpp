#include "app/TForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "support/ScriptedMessageBoxes.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;

// Shows the real window on an X server (Xvfb in CI) and checks what a person would see: the
// control bar on top, the tab pages on the left, the shares list filling the rest.
class ScreenTest : public QObject {
    Q_OBJECT
private slots:
    void mainWindowShowsItsLayout() {
        QCOMPARE(QGuiApplication::platformName(), QString("xcb"));
        fake::FakeNetwork net;
        net.addDiskShare(u"SRV1", u"C$", u"C:\\");
        net.addDiskShare(u"SRV1", u"Data", u"C:\\Data", u"Team data");
        net.addDiskShare(u"SRV1", u"Public", u"D:\\Public", u"Everyone's");
        test::ScriptedMessageBoxes messages;
        TForm1 form(net, net, net, messages);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* box = form.findChild<QLineEdit*>("Computer1");
        // Without a window manager the window may never become active; the focus widget is
        // still the one that takes the keyboard when it does.
        QTRY_COMPARE(form.focusWidget(), static_cast<QWidget*>(box));
        box->setText("SRV1");
        form.OpenComputer1Click();

        auto* bar = form.findChild<QWidget*>("ControlBar1");
        auto* pages = form.findChild<QTabWidget*>("PageControl1");
        auto* list = form.findChild<QTreeWidget*>("SharesList1");
        const QRect barRect(bar->mapTo(&form, QPoint()), bar->size());
        const QRect pagesRect(pages->mapTo(&form, QPoint()), pages->size());
        const QRect listRect(list->mapTo(&form, QPoint()), list->size());
        QVERIFY(bar->isVisible() && pages->isVisible() && list->isVisible());
        QVERIFY(barRect.bottom() < pagesRect.top());
        QVERIFY(barRect.bottom() < listRect.top());
        QCOMPARE(pagesRect.left(), 0);
        QCOMPARE(pagesRect.width(), 289);
        QVERIFY(pagesRect.right() < listRect.left());
        QVERIFY(listRect.right() >= form.width() - 4);
        QVERIFY(pages->isEnabled());
        QCOMPARE(list->topLevelItemCount(), 3);
        QVERIFY(list->visualItemRect(list->topLevelItem(0)).height() > 0);

        QTest::qWait(300); // let the X server receive the repaint before reading it back
        const QPixmap shot = form.screen()->grabWindow(form.winId());
        QVERIFY(!shot.isNull());
        QVERIFY(shot.save("corvane-main-window.png"));

        // Each tab page is laid out and readable once shown.
        for (int page = 1; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(200);
            QVERIFY(pages->currentWidget()->isVisible());
            QVERIFY(form.screen()
                        ->grabWindow(form.winId())
                        .save(QString("corvane-page-%1.png").arg(page + 1)));
        }
    }
};

QTEST_MAIN(ScreenTest)
#include "ScreenTest.moc"
