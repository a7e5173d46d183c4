#include "app/ConnectAsForm1.h"
#include "app/TAboutForm1.h"
#include "app/TForm1.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "security/TSecurityForm1.h"
#include "support/ScriptedMessageBoxes.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;

namespace {

// Screenshots at a scale factor other than 1 carry it in their names.
QString shotName(const QWidget& window, const QString& name) {
    const qreal scale = window.devicePixelRatioF();
    return scale == 1.0 ? name + ".png" : QString("%1@%2x.png").arg(name).arg(scale);
}

void saveShot(const QWidget& window, const QString& name) {
    QTest::qWait(200); // let the X server receive the repaint before reading it back
    QVERIFY(window.screen()->grabWindow(window.winId()).save(shotName(window, name)));
}

// The width a widget's text has on the screen: its own, less what its parents clip away.
int shownWidth(QWidget* w) {
    return std::min(w->width(), w->visibleRegion().boundingRect().width());
}

// Every shown label, check box, radio button and tab title under `root` whose text is wider
// than the space it has, as "name: text".
QStringList cutTexts(QWidget* root) {
    QStringList cut;
    const auto check = [&](QWidget* w, const QString& text, int needed, int has) {
        if (w->isVisible() && !text.isEmpty() && needed > has)
            cut << QString("%1: \"%2\" needs %3, has %4")
                       .arg(w->objectName(), text)
                       .arg(needed)
                       .arg(has);
    };
    for (QLabel* label : root->findChildren<QLabel*>())
        if (!label->wordWrap() && label->pixmap().isNull())
            check(label, label->text(), label->sizeHint().width(), shownWidth(label));
    for (QCheckBox* box : root->findChildren<QCheckBox*>())
        check(box, box->text(), box->sizeHint().width(), shownWidth(box));
    for (QRadioButton* radio : root->findChildren<QRadioButton*>())
        check(radio, radio->text(), radio->sizeHint().width(), shownWidth(radio));
    for (QTabBar* bar : root->findChildren<QTabBar*>()) {
        // The same titles on a bar that neither elides nor squeezes: the room each one needs.
        QTabBar whole;
        whole.setFont(bar->font());
        whole.setElideMode(Qt::ElideNone);
        whole.setExpanding(false);
        for (int i = 0; i < bar->count(); ++i)
            whole.addTab(bar->tabText(i));
        whole.resize(whole.sizeHint());
        for (int i = 0; i < bar->count(); ++i)
            check(bar, bar->tabText(i), whole.tabRect(i).width(),
                  bar->tabRect(i).intersected(bar->rect()).width());
    }
    return cut;
}

} // namespace

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
        QVERIFY(pagesRect.width() >= 289);
        QVERIFY(pagesRect.right() < listRect.left());
        QVERIFY(listRect.right() >= form.width() - 4);
        QVERIFY(pages->isEnabled());
        QCOMPARE(list->topLevelItemCount(), 3);
        QVERIFY(list->visualItemRect(list->topLevelItem(0)).height() > 0);

        saveShot(form, "corvane-main-window");

        // Each tab page is laid out and readable once shown.
        for (int page = 1; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(200);
            QVERIFY(pages->currentWidget()->isVisible());
            saveShot(form, QString("corvane-page-%1").arg(page + 1));
        }
    }

    // At the window's designed size, under the desktop's fonts, every tab title and every text
    // of every page shows whole. The dialogs show theirs at their designed sizes.
    void noTextIsCutOff() {
        fake::FakeNetwork net;
        net.addDiskShare(u"SRV1", u"Data", u"C:\\Data", u"Team data");
        test::ScriptedMessageBoxes messages;
        TForm1 form(net, net, net, messages);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.findChild<QLineEdit*>("Computer1")->setText("SRV1");
        form.OpenComputer1Click();
        auto* pages = form.findChild<QTabWidget*>("PageControl1");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            QTest::qWait(100);
            const QStringList cut = cutTexts(&form);
            QVERIFY2(cut.isEmpty(), qPrintable(cut.join("; ")));
        }
        saveShot(form, "corvane-designed-size");

        ConnectAsForm1 connectAs;
        const QList<QWidget*> dialogs{form.findReplaceTextForm(), form.securityForm(),
                                      form.aboutForm(), &connectAs};
        for (QWidget* dialog : dialogs) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            const QStringList cut = cutTexts(dialog);
            QVERIFY2(cut.isEmpty(), qPrintable(dialog->objectName() + ": " + cut.join("; ")));
            saveShot(*dialog, "corvane-" + dialog->objectName());
            dialog->hide();
        }
    }

    // At a scale factor of 2 the pictures of the lists come from sources of 32 pixels, not
    // from 16-pixel ones blown up.
    void picturesAreSharpWhenScaled() {
        const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
        if (scale < 2)
            QSKIP("runs at a scale factor of 2 (QT_SCALE_FACTOR=2)");
        fake::FakeNetwork net;
        test::ScriptedMessageBoxes messages;
        TForm1 form(net, net, net, messages);
        for (int i = 0; i < form.images().count(); ++i) {
            const QImage image = form.images().icon(i).pixmap(QSize(16, 16), scale).toImage();
            QCOMPARE(image.size(), QSize(32, 32));
            bool blocky = true;
            for (int y = 0; y < 32 && blocky; y += 2)
                for (int x = 0; x < 32 && blocky; x += 2)
                    blocky = image.pixel(x, y) == image.pixel(x + 1, y) &&
                             image.pixel(x, y) == image.pixel(x, y + 1) &&
                             image.pixel(x, y) == image.pixel(x + 1, y + 1);
            QVERIFY2(!blocky, qPrintable(QString("picture %1 is a 16-pixel one doubled").arg(i)));
        }
    }
};

QTEST_MAIN(ScreenTest)
#include "ScreenTest.moc"
