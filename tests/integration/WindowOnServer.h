#pragma once

// The real main window on the SMB backend, opened on a test server, for the integration tests
// that drive it.
#include "app/TForm1.h"
#include "integration/TestServer.h"
#include "platform/SecurityDescriptor.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TreeTexts.h"
#include "ui/Text.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStringList>
#include <QTreeWidget>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::integration {

// Selects exactly the rows of `list` captioned `names`, as ctrl-clicks would; false when one
// is missing.
inline bool selectRows(QTreeWidget* list, const QStringList& names) {
    list->clearSelection();
    int found = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = list->topLevelItem(i);
        if (names.contains(row->text(0))) {
            row->setSelected(true);
            ++found;
        }
    }
    return found == names.size();
}

// Opens the shares menu of `form` (which sets the items' enabling) and triggers the item when
// it is enabled; false when it was not.
inline bool triggerSharesMenuItem(QWidget& form, const char* action) {
    auto* menu = form.findChild<QMenu*>(QLatin1String("SharesMenu1"));
    auto* item = form.findChild<QAction*>(QLatin1String(action));
    if (!menu || !item)
        qFatal("no menu item %s", action);
    menu->popup(QPoint(0, 0));
    const bool enabled = item->isEnabled();
    menu->hide();
    if (enabled)
        item->trigger();
    return enabled;
}

struct WindowOnServer {
    const TestServer& server;
    Session session;
    test::ScriptedMessageBoxes messages;
    TForm1 form{session.network, session.network, session.network, messages};

    explicit WindowOnServer(const TestServer& s = TestServer::primary()) : server(s), session(s) {}

    template <typename T> T* find(const char* name) const {
        T* w = form.findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QTreeWidget* shares() const { return find<QTreeWidget>("SharesList1"); }

    // Types the server's address into the computer box and opens it.
    bool open() {
        find<QLineEdit>("Computer1")->setText(fromU16(server.address()));
        form.OpenComputer1Click();
        return form.state().computerName == fromU16(server.address());
    }

    QStringList rows() const { return test::columnTexts(shares()); }

    // Selects exactly the named rows, as ctrl-clicks would; false when one is missing.
    bool select(const QStringList& names) { return selectRows(shares(), names); }
    bool trigger(const char* action) { return triggerSharesMenuItem(form, action); }
};

} // namespace corvane::integration
