#pragma once

// The real main window on the SMB backend, opened on a test server, for the integration tests
// of the shares menu and of the Share Properties page.
#include "app/TForm1.h"
#include "integration/TestServer.h"
#include "platform/SecurityDescriptor.h"
#include "platform/smb/Utf.h"
#include "support/ScriptedMessageBoxes.h"

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

inline QString qs(const std::u16string& s) {
    return QString::fromStdU16String(s);
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
        find<QLineEdit>("Computer1")->setText(qs(server.address()));
        form.OpenComputer1Click();
        return form.state().computerName == qs(server.address());
    }

    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < shares()->topLevelItemCount(); ++i)
            out << shares()->topLevelItem(i)->text(0);
        return out;
    }

    // Selects exactly the named rows, as ctrl-clicks would; false when one is missing.
    bool select(const QStringList& names) {
        shares()->clearSelection();
        int found = 0;
        for (int i = 0; i < shares()->topLevelItemCount(); ++i) {
            QTreeWidgetItem* row = shares()->topLevelItem(i);
            if (names.contains(row->text(0))) {
                row->setSelected(true);
                ++found;
            }
        }
        return found == names.size();
    }

    // Opens the shares menu (which sets the items' enabling), and triggers the item when it is
    // enabled; false when it was not.
    bool trigger(const char* action) {
        auto* menu = find<QMenu>("SharesMenu1");
        auto* item = find<QAction>(action);
        menu->popup(QPoint(0, 0));
        const bool enabled = item->isEnabled();
        menu->hide();
        if (enabled)
            item->trigger();
        return enabled;
    }
};

// All shares as a second connection lists them.
inline std::vector<ShareInfo502> enumerateAll(ShareService& service, const std::u16string& server) {
    std::vector<ShareInfo502> all, part;
    std::uint32_t resume = 0;
    Status result;
    do {
        result = service.enumerate(server, part, resume);
        all.insert(all.end(), part.begin(), part.end());
    } while (result == status::MoreData);
    return all;
}

// A share as a second connection reads it. Samba's share service may answer a get-info with
// a definition it read before the last change (also on a new connection); a listing first
// makes it read the definitions again.
inline Status readBack(const TestServer& server, const std::u16string& name, ShareInfo502& out) {
    Session fresh(server);
    enumerateAll(fresh.network, server.address());
    return fresh.network.getInfo(server.address(), name, out);
}

inline std::vector<std::u16string> shareNames(const TestServer& server) {
    Session fresh(server);
    std::vector<std::u16string> names;
    for (const auto& s : enumerateAll(fresh.network, server.address()))
        names.push_back(s.netname);
    return names;
}

// The limit as the server keeps it ("max connections"; 0 or nothing is no limit). Samba does
// not report it at the level the backend reads.
inline std::string userLimit(const TestServer& server, const std::u16string& share) {
    const std::string value = server.shareParameter(smb::toUtf8(share), "max connections");
    return value.empty() ? "0" : value;
}

} // namespace corvane::integration
