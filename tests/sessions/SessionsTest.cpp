#include "app/TForm1.h"
#include "platform/fake/FakeNetwork.h"
#include "sessions/SessionsLogic.h"
#include "sessions/TSessionsForm1.h"
#include "support/Fixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace corvane;
using fake::Call;

namespace {

const std::u16string Server = u"SRV";

struct Window {
    fake::FakeNetwork net;
    test::ScriptedMessageBoxes messages;
    TSessionsForm1 form{net, messages};

    Window() {
        auto& c = net.computer(Server);
        c.sessions = {{u"PC1", u"alice", 9, 60, 5, false},
                      {u"PC2", u"bob", 10, 3600, 0, false},
                      {u"PC3", u"guest", 0, 1, 1, true}};
        c.openFiles = {{7, PermFileRead, 0, u"C:\\Data\\a.txt", u"alice"},
                       {8, PermFileRead | PermFileWrite, 2, u"C:\\Work\\b.doc", u"bob"},
                       {9, PermFileWrite, 0, u"C:\\data\\c.txt", u"bob"}};
        form.setComputer(QString::fromStdU16String(Server));
    }
    template <typename T> T* find(const char* name) const {
        return form.findChild<T*>(QString::fromLatin1(name));
    }
    QTreeWidget* sessions() const { return find<QTreeWidget>("SessionsList1"); }
    QTreeWidget* files() const { return find<QTreeWidget>("OpenFilesList1"); }
    QLineEdit* filter() const { return find<QLineEdit>("OpenFilesFilter1"); }
    QString note() const { return find<QLabel>("SessionsNote1")->text(); }

    static QStringList column(const QTreeWidget* list, int c, bool visibleOnly = false) {
        QStringList out;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (!visibleOnly || !list->topLevelItem(i)->isHidden())
                out << list->topLevelItem(i)->text(c);
        return out;
    }
    static void select(QTreeWidget* list, const QStringList& captions) {
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setSelected(captions.contains(list->topLevelItem(i)->text(0)));
    }
};

} // namespace

class SessionsTest : public QObject {
    Q_OBJECT
private slots:
    void openMode_data() {
        QTest::addColumn<uint>("permissions");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << 0u << "";
        QTest::newRow("read") << 1u << "read";
        QTest::newRow("write") << 2u << "write";
        QTest::newRow("create is writing") << 4u << "write";
        QTest::newRow("read+write") << 3u << "read+write";
        QTest::newRow("read+create") << 5u << "read+write";
    }
    void openMode() {
        QFETCH(uint, permissions);
        QFETCH(QString, text);
        QCOMPARE(sessions::openModeText(permissions), text);
    }

    void duration_data() {
        QTest::addColumn<uint>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0u << "0:00:00";
        QTest::newRow("minutes") << 307u << "0:05:07";
        QTest::newRow("last of a day") << 86399u << "23:59:59";
        QTest::newRow("a day") << 86400u << "1d 00:00:00";
        QTest::newRow("days") << 2u * 86400 + 3 * 3600 + 4 * 60 + 5 << "2d 03:04:05";
    }
    void duration() {
        QFETCH(uint, seconds);
        QFETCH(QString, text);
        QCOMPARE(sessions::durationText(seconds), text);
    }

    void outcome_data() {
        QTest::addColumn<uint>("result");
        QTest::addColumn<int>("listedAfter"); // -1: the lists could not be read
        QTest::addColumn<int>("outcome");
        using O = sessions::Outcome;
        QTest::newRow("done") << 0u << 1 << int(O::Done);
        QTest::newRow("denied, still listed") << 5u << 1 << int(O::Failed);
        // Samba answers "access denied" for a session that has already ended.
        QTest::newRow("denied, no longer listed") << 5u << 0 << int(O::Gone);
        QTest::newRow("no such session, unread") << 2312u << -1 << int(O::Gone);
        QTest::newRow("no such file id, unread") << 2314u << -1 << int(O::Gone);
        QTest::newRow("file not found, unread") << 2u << -1 << int(O::Gone);
        QTest::newRow("denied, unread") << 5u << -1 << int(O::Failed);
    }
    void outcome() {
        QFETCH(uint, result);
        QFETCH(int, listedAfter);
        QFETCH(int, outcome);
        const auto listed = listedAfter < 0 ? std::nullopt : std::optional<bool>(listedAfter == 1);
        QCOMPARE(int(sessions::outcomeOf(result, listed)), outcome);
    }

    void listsSortNumbersByValue() {
        Window w;
        w.net.computer(Server).enumerationPartSize = 1; // every record in a part of its own
        w.form.showSessions();
        QCOMPARE(Window::column(w.sessions(), 0), QStringList({"PC1", "PC2", "PC3"}));
        w.sessions()->sortByColumn(2, Qt::AscendingOrder);
        QCOMPARE(Window::column(w.sessions(), 2), QStringList({"0", "9", "10"}));
        QCOMPARE(Window::column(w.sessions(), 3), QStringList({"0:00:01", "0:01:00", "1:00:00"}));
        QCOMPARE(Window::column(w.sessions(), 5), QStringList({"Yes", "No", "No"}));
        QCOMPARE(Window::column(w.files(), 3), QStringList({"read", "write", "read+write"}));
        QVERIFY(w.messages.shown.isEmpty());
    }

    void filterNarrowsByPathAndCloseTakesOnlyVisibleRows() {
        Window w;
        w.form.showOpenFiles(QStringLiteral("c:\\DATA"));
        QCOMPARE(w.form.findChild<QTabWidget*>()->currentWidget()->objectName(),
                 QString("OpenFilesPage1"));
        QCOMPARE(Window::column(w.files(), 0, true),
                 QStringList({"C:\\Data\\a.txt", "C:\\data\\c.txt"}));
        Window::select(w.files(), {"C:\\Data\\a.txt", "C:\\Work\\b.doc"});
        w.filter()->setText(QStringLiteral("a.txt")); // b.doc was hidden before; a.txt stays
        w.messages.answers.enqueue(test::ScriptedMessageBoxes::Answer::Yes);
        w.form.CloseFile1Click();
        QCOMPARE(w.messages.shown.value(0).text, QString("Close the selected file?"));
        QCOMPARE(test::callLog(w.net, Call::CloseFile), QStringList({"CloseFile 7"}));
        QCOMPARE(Window::column(w.files(), 0), QStringList({"C:\\data\\c.txt", "C:\\Work\\b.doc"}));
    }

    void disconnectAsksThenEndsTheSelectedSessions() {
        Window w;
        w.form.showSessions();
        Window::select(w.sessions(), {"PC1", "PC2"});
        w.messages.answers.enqueue(test::ScriptedMessageBoxes::Answer::No);
        w.form.DisconnectSession1Click();
        QVERIFY(w.net.callsOf(Call::DeleteSession).empty());
        Window::select(w.sessions(), {"PC1", "PC2"});
        w.form.DisconnectSession1Click();
        QCOMPARE(w.messages.shown.value(1).text, QString("Disconnect the 2 selected sessions?"));
        QCOMPARE(test::callLog(w.net, Call::DeleteSession),
                 QStringList({"DeleteSession PC1\\alice", "DeleteSession PC2\\bob"}));
        QCOMPARE(Window::column(w.sessions(), 0), QStringList({"PC3"}));
        QCOMPARE(w.messages.shown.size(), 2); // the two questions, no error
    }

    void aGoneSessionIsANoteAndARefusedOneABox() {
        Window w;
        w.form.showSessions();
        Window::select(w.sessions(), {"PC1", "PC2"});
        // PC1's session ends by itself before the call arrives, and the server says "access
        // denied" for it (as Samba does); PC2's is refused and stays.
        w.net.beforeCall = [&](Call call, const std::u16string& name) {
            if (call == Call::DeleteSession && name == u"PC1\\alice")
                w.net.computer(Server).sessions.erase(w.net.computer(Server).sessions.begin());
        };
        w.net.failNext(Call::DeleteSession, status::AccessDenied, u"PC1\\alice");
        w.net.failNext(Call::DeleteSession, status::AccessDenied, u"PC2\\bob");
        w.form.DisconnectSession1Click();
        QCOMPARE(w.note(), QString("1 of the selected sessions had already ended."));
        QCOMPARE(w.messages.shown.size(), 2);
        QCOMPARE(w.messages.shown[1].title, QString("ERROR"));
        QCOMPARE(w.messages.shown[1].icon, MessageBoxes::Icon::Error);
        QCOMPARE(w.messages.shown[1].text,
                 QString("Could not disconnect bob from PC2(5)\n"
                         "The account needs to be an administrator of SRV."));
        QCOMPARE(Window::column(w.sessions(), 0), QStringList({"PC2", "PC3"}));
    }

    void disconnectNeverEndsThisProgramNorASessionWithoutUser() {
        Window w;
        auto& c = w.net.computer(Server);
        c.sessions[0].thisProgram = true;
        c.sessions.push_back({u"PC4", u"", 0, 1, 1, false});
        w.form.showSessions();
        QCOMPARE(Window::column(w.sessions(), 6), QStringList({"this program", "", "", ""}));
        Window::select(w.sessions(), {"PC1", "PC2", "PC4"});
        w.form.DisconnectSession1Click();
        QCOMPARE(test::callLog(w.net, Call::DeleteSession),
                 QStringList({"DeleteSession PC2\\bob"}));
        QCOMPARE(w.messages.texts_shown(),
                 QStringList({"These 2 sessions are not disconnected:\n"
                              "alice from PC1 is this program's own session: ending it would cut "
                              "this program off, and every other connection of alice from PC1 "
                              "with it.\n"
                              "The session from PC4 has no user name: the server could take the "
                              "request for every user of PC4, this program included.",
                              "Disconnect the selected session?"}));
        QCOMPARE(Window::column(w.sessions(), 0), QStringList({"PC1", "PC3", "PC4"}));
    }

    void closeTakesOnlyAFileStillOpenAsListed() {
        Window w;
        w.form.showOpenFiles({});
        Window::select(w.files(), {"C:\\Data\\a.txt", "C:\\Work\\b.doc"});
        // Since the list was read, a.txt was closed and its id given to another open, and
        // b.doc was closed.
        w.net.computer(Server).openFiles = {{7, PermFileRead, 0, u"C:\\Data\\x.txt", u"bob"},
                                            {9, PermFileWrite, 0, u"C:\\data\\c.txt", u"bob"}};
        w.form.CloseFile1Click();
        QVERIFY(w.net.callsOf(Call::CloseFile).empty());
        QCOMPARE(w.messages.texts_shown().value(1),
                 QString("C:\\Data\\a.txt is no longer open as listed, so it was not closed. "
                         "The list has been read again."));
        QCOMPARE(w.note(), QString("1 of the selected files was already closed."));
        QCOMPARE(Window::column(w.files(), 0), QStringList({"C:\\data\\c.txt", "C:\\Data\\x.txt"}));
    }

    void aRefusedListingShowsOneBoxAndEmptyLists() {
        Window w;
        w.net.failNext(Call::EnumerateSessions, status::AccessDenied);
        w.form.showSessions();
        QCOMPARE(w.messages.texts_shown(),
                 QStringList({"Could not read the sessions(5)\n"
                              "The account needs to be an administrator of SRV."}));
        QCOMPARE(w.sessions()->topLevelItemCount() + w.files()->topLevelItemCount(), 0);
        w.net.failNext(Call::EnumerateFiles, status::BadNetPath);
        w.form.RefreshSessions1Click();
        QCOMPARE(w.messages.texts_shown().value(1), QString("Could not read the open files(53)"));
        QCOMPARE(w.sessions()->topLevelItemCount(), 3);
    }

    void mainWindowOpensOnTheSharesFilesAndEmptiesOnANewOpen() {
        fake::FakeNetwork net;
        test::ScriptedMessageBoxes messages;
        net.addDiskShare(u"SRV", u"Data", u"C:\\Data");
        net.addDiskShare(u"OTHER", u"Work", u"C:\\Work");
        net.computer(u"SRV").openFiles = {{1, 1, 0, u"C:\\Data\\x", u"a"},
                                          {2, 1, 0, u"C:\\Work\\y", u"a"}};
        TForm1 form(net, net, net, messages);
        form.setSessionService(&net);
        auto* box = form.findChild<QLineEdit*>(QStringLiteral("Computer1"));
        box->setText(QStringLiteral("SRV"));
        form.OpenComputer1Click();
        form.findChild<QTreeWidget*>(QStringLiteral("SharesList1"))
            ->topLevelItem(0)
            ->setSelected(true);
        form.ShowOpenFiles1Click();
        TSessionsForm1* window = form.sessionsForm();
        QVERIFY(window);
        auto* files = window->findChild<QTreeWidget*>(QStringLiteral("OpenFilesList1"));
        QCOMPARE(window->findChild<QLineEdit*>(QStringLiteral("OpenFilesFilter1"))->text(),
                 QString("C:\\Data"));
        QCOMPARE(Window::column(files, 0, true), QStringList({"C:\\Data\\x"}));
        box->setText(QStringLiteral("OTHER"));
        form.OpenComputer1Click();
        QCOMPARE(window->computer(), QString("OTHER"));
        QCOMPARE(files->topLevelItemCount(), 0);
    }
};

QTEST_MAIN(SessionsTest)
#include "SessionsTest.moc"
