#pragma once

// The main window wired as the program wires it: every service call runs on the dispatcher's
// worker, which also creates and destroys the network, while the window waits.
#include "app/TForm1.h"
#include "support/WindowFixture.h"
#include "waiting/CallDispatcher.h"
#include "waiting/DispatchedServices.h"
#include "waiting/WaitPanel.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace corvane::test {

template <typename Network> struct DispatchedWindow : MainWindowControls {
    CallDispatcher dispatcher;
    std::unique_ptr<Network> network;
    std::unique_ptr<DispatchedServices> services;
    WaitIndicator waits{dispatcher};
    ScriptedMessageBoxes messages;

    explicit DispatchedWindow(const std::function<std::unique_ptr<Network>()>& make) {
        dispatcher.runOnWorker([&] { network = make(); });
        services = std::make_unique<DispatchedServices>(dispatcher, *network, *network, *network);
        form = std::make_unique<TForm1>(*services, *services, *services, messages);
        waits.setHome(form.get());
    }
    ~DispatchedWindow() {
        form.reset();
        dispatcher.runOnWorker([&] { network.reset(); });
    }
};

// Watches a wait from a timer of its own, which runs only while the window's event loop does:
// how often it ticked, and what the wait panel and the cursor showed. `onPanel` runs once, the
// first time the panel is seen.
struct WaitWatch {
    int ticks = 0;
    QString panelText;
    bool busyCursor = false;
    std::function<void(QPushButton* cancel)> onPanel;
    QTimer timer;

    WaitWatch() {
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            ++ticks;
            if (const QCursor* cursor = QApplication::overrideCursor())
                busyCursor = busyCursor || cursor->shape() == Qt::WaitCursor;
            for (QWidget* w : QApplication::allWidgets()) {
                if (w->objectName() != QLatin1String("WaitPanel1") || !w->isVisible() ||
                    !panelText.isEmpty())
                    continue;
                panelText = w->findChild<QLabel*>()->text();
                if (onPanel)
                    onPanel(w->findChild<QPushButton*>(QStringLiteral("CancelWait1")));
            }
        });
        timer.start();
    }
};

} // namespace corvane::test
