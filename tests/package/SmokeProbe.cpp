// Loaded with LD_PRELOAD into the installed program by tools/package-smoke.sh. It drives the
// real window by its control names as a person would: types the computer, answers "Connect
// as", asks for help, and once the shares list has rows prints what a person sees, one
// "KEY value" line each, then ends the program. Settings come from the environment:
// CORVANE_PROBE_COMPUTER, CORVANE_PROBE_USER, CORVANE_PROBE_PASSWORD, CORVANE_PROBE_SHOT
// (a PNG of the screen, optional).
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {

QString env(const char* name) {
    return qEnvironmentVariable(name);
}

void say(const QString& key, const QString& value) {
    std::printf("%s %s\n", qPrintable(key), qPrintable(value));
    std::fflush(stdout);
}

QString iconSizes(const QIcon& icon) {
    QList<int> widths;
    for (const QSize& s : icon.availableSizes())
        widths << s.width();
    std::sort(widths.begin(), widths.end());
    QStringList sizes;
    for (int w : widths)
        sizes << QString::number(w);
    return sizes.isEmpty() ? QStringLiteral("none") : sizes.join(QLatin1Char(','));
}

template <typename T> T* find(const char* name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->objectName() == QLatin1String(name))
            return qobject_cast<T*>(top);
        if (auto* child = top->findChild<T*>(QLatin1String(name)))
            return child;
    }
    return nullptr;
}

// Receives the address the program hands the desktop for its help.
class HelpCatcher : public QObject {
    Q_OBJECT
public slots:
    void open(const QUrl& url) {
        say(QStringLiteral("HELP"), url.toLocalFile());
        say(QStringLiteral("HELP-EXISTS"),
            QFileInfo::exists(url.toLocalFile()) ? QStringLiteral("yes") : QStringLiteral("no"));
    }
};

class Probe : public QObject {
public:
    Probe() {
        m_clock.start();
        connect(&m_timer, &QTimer::timeout, this, [this] { step(); });
        m_timer.start(200);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_help, "open");
    }

private:
    // Each action runs from its own event, so that a dialog it opens runs its loop while the
    // probe goes on looking.
    static void later(QPushButton* button) { QTimer::singleShot(0, button, &QPushButton::click); }

    void step() {
        if (m_clock.elapsed() > 60000) {
            say(QStringLiteral("TIMEOUT"), m_stage);
            QApplication::exit(1);
            return;
        }
        auto* form = find<QWidget>("Form1");
        if (!form || !form->isVisible())
            return;
        if (m_stage == QLatin1String("start")) {
            say(QStringLiteral("TITLE"), form->windowTitle());
            say(QStringLiteral("ICON"), iconSizes(form->windowIcon()));
            find<QLineEdit>("Computer1")->setText(env("CORVANE_PROBE_COMPUTER"));
            later(find<QPushButton>("OpenComputer1"));
            m_stage = QStringLiteral("open");
            return;
        }
        auto* connectAs = find<QWidget>("ConnectAsForm1");
        if (connectAs && connectAs->isVisible()) {
            say(QStringLiteral("CONNECT-AS-ICON"), iconSizes(connectAs->windowIcon()));
            connectAs->findChild<QLineEdit*>(QStringLiteral("UserName1"))
                ->setText(env("CORVANE_PROBE_USER"));
            connectAs->findChild<QLineEdit*>(QStringLiteral("Password1"))
                ->setText(env("CORVANE_PROBE_PASSWORD"));
            later(connectAs->findChild<QPushButton*>(QStringLiteral("Ok1")));
            return;
        }
        auto* list = find<QTreeWidget>("SharesList1");
        if (m_stage != QLatin1String("open") || !list || list->topLevelItemCount() == 0 ||
            !find<QTabWidget>("PageControl1")->isEnabled())
            return;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            say(QStringLiteral("SHARE"), list->topLevelItem(i)->text(0));
        if (auto* contents = form->findChild<QAction*>(QStringLiteral("Contents1")))
            contents->trigger();
        m_stage = QStringLiteral("done");
        const QString shot = env("CORVANE_PROBE_SHOT");
        QTimer::singleShot(shot.isEmpty() ? 0 : 1000, qApp, [shot] {
            if (!shot.isEmpty())
                QGuiApplication::primaryScreen()->grabWindow(0).save(shot);
            say(QStringLiteral("DONE"), QString());
            QApplication::exit(0);
        });
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    HelpCatcher m_help;
    QString m_stage = QStringLiteral("start");
};

void startProbe() {
    // Made once the application object exists; it lives as long as the application.
    auto* probe = new Probe;
    probe->setParent(QCoreApplication::instance());
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startProbe)

#include "SmokeProbe.moc"
