#pragma once

// The main window for the window tests, on the shared fixture's fake network.
#include "app/TForm1.h"
#include "support/Fixture.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <memory>

namespace corvane::test {

// Reaches the main window's controls by their names.
struct MainWindowControls {
    std::unique_ptr<TForm1> form;

    template <typename T> T* find(const char* name) const {
        T* w = form->findChild<T*>(QLatin1String(name));
        if (!w)
            qWarning("no %s", name);
        return w;
    }
    QTreeWidget* shares() const { return find<QTreeWidget>("SharesList1"); }
    void open(const QString& computer) {
        find<QLineEdit>("Computer1")->setText(computer);
        form->OpenComputer1Click();
    }
};

// The main window calling the fake network directly. start() builds it once the test has put
// on the network what the window should find.
struct WindowFixture : MainWindowControls {
    fake::FakeNetwork net;
    ScriptedMessageBoxes messages;

    WindowFixture() = default;
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;
    // The window goes before the network it calls.
    ~WindowFixture() { form.reset(); }

    void start() { form = std::make_unique<TForm1>(net, net, net, messages); }

    QStringList calls(std::optional<fake::Call> kind = {},
                      const std::optional<std::u16string>& server = {}) const {
        return callLog(net, kind, server);
    }
};

} // namespace corvane::test
