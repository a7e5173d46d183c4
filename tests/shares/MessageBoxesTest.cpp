#include "ui/MessageBoxes.h"
#include "ui/BusyCursor.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace corvane;
using Boxes = MessageBoxes;

class MessageBoxesTest : public QObject {
    Q_OBJECT
private slots:
    // The boxes the program shows: icon and buttons as asked, Enter gives the first button,
    // Escape the last, and the pointer is the ordinary one even inside a busy run.
    void boxShowsAndAnswers_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("shownIcon");
        QTest::addColumn<int>("shownButtons");
        QTest::addColumn<int>("answer");
        const int ok = int(QMessageBox::Ok);
        const int yesNo = int(QMessageBox::Yes | QMessageBox::No);
        QTest::newRow("error, OK, Enter")
            << int(Boxes::Icon::Error) << int(Boxes::Buttons::Ok) << int(Qt::Key_Return)
            << int(QMessageBox::Critical) << ok << int(Boxes::Answer::Ok);
        QTest::newRow("error, Yes/No, Enter")
            << int(Boxes::Icon::Error) << int(Boxes::Buttons::YesNo) << int(Qt::Key_Return)
            << int(QMessageBox::Critical) << yesNo << int(Boxes::Answer::Yes);
        QTest::newRow("question, Yes/No, Escape")
            << int(Boxes::Icon::Question) << int(Boxes::Buttons::YesNo) << int(Qt::Key_Escape)
            << int(QMessageBox::Question) << yesNo << int(Boxes::Answer::No);
        QTest::newRow("information, OK, Escape")
            << int(Boxes::Icon::Information) << int(Boxes::Buttons::Ok) << int(Qt::Key_Escape)
            << int(QMessageBox::Information) << ok << int(Boxes::Answer::Ok);
        QTest::newRow("warning") << int(Boxes::Icon::Warning) << int(Boxes::Buttons::Ok)
                                 << int(Qt::Key_Return) << int(QMessageBox::Warning) << ok
                                 << int(Boxes::Answer::Ok);
        QTest::newRow("no icon") << int(Boxes::Icon::NoIcon) << int(Boxes::Buttons::Ok)
                                 << int(Qt::Key_Return) << int(QMessageBox::NoIcon) << ok
                                 << int(Boxes::Answer::Ok);
    }
    void boxShowsAndAnswers() {
        QFETCH(int, icon);
        QFETCH(int, buttons);
        QFETCH(int, key);
        QFETCH(int, shownIcon);
        QFETCH(int, shownButtons);
        QFETCH(int, answer);

        QtMessageBoxes boxes;
        QObject scope; // the timers go with the test
        const BusyCursor busy;
        QMessageBox* box = nullptr;
        Qt::CursorShape pointer = Qt::WaitCursor;
        QTimer::singleShot(0, &scope, [&] {
            box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            QCOMPARE(box->windowTitle(), QStringLiteral("ERROR"));
            QCOMPARE(box->text(), QStringLiteral("Could not remove old share."));
            QCOMPARE(int(box->icon()), shownIcon);
            QCOMPARE(int(box->standardButtons()), shownButtons);
            pointer = QApplication::overrideCursor()->shape();
            QTest::keyClick(box, Qt::Key(key));
        });
        // A box the key did not close must not hold the test up.
        bool stillUp = false;
        QTimer::singleShot(5000, &scope, [&] {
            if (auto* up = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                stillUp = true;
                up->done(-1);
            }
        });
        const Boxes::Answer given = boxes.show(nullptr, QStringLiteral("ERROR"),
                                               QStringLiteral("Could not remove old share."),
                                               Boxes::Icon(icon), Boxes::Buttons(buttons));
        QVERIFY(box);
        QVERIFY(!stillUp);
        QCOMPARE(int(given), answer);
        QCOMPARE(pointer, Qt::ArrowCursor);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
};

QTEST_MAIN(MessageBoxesTest)
#include "MessageBoxesTest.moc"
