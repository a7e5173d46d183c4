#pragma once

// The shared fixture of the page, window and service tests: the fake network, the message
// script, and one way to read back the calls the services were asked.
#include "platform/SecurityDescriptor.h"
#include "platform/Sid.h"
#include "platform/fake/FakeNetwork.h"
#include "shares/AppContext.h"
#include "support/ScriptedMessageBoxes.h"
#include "support/TreeTexts.h"
#include "ui/Text.h"

#include <QStringList>
#include <QTreeWidget>

#include <optional>
#include <string>

namespace corvane::test {

inline const std::u16string Server = u"SRV";

// The calls the fake network recorded since it last forgot them, one line each: the call, then
// the share, account, directory, session or file it named, and "!status" after a failed call
// ("GetInfo data", "Add data$!2118", "ListDirectories C$\Data\"). `kind` keeps the calls of one
// kind, `server` those to one computer.
inline QStringList callLog(const fake::FakeNetwork& net, std::optional<fake::Call> kind = {},
                           const std::optional<std::u16string>& server = {}) {
    static const char* const names[] = {"Enumerate",     "GetInfo",         "SetInfo",
                                        "Add",           "Remove",          "LookupName",
                                        "LookupSid",     "ListDirectories", "EnumerateSessions",
                                        "DeleteSession", "EnumerateFiles",  "CloseFile"};
    QStringList out;
    for (const fake::RecordedCall& c : net.calls()) {
        if ((kind && c.call != *kind) || (server && c.server != *server))
            continue;
        QString line = QLatin1String(names[static_cast<int>(c.call)]);
        if (!c.name.empty())
            line += QLatin1Char(' ') + fromU16(c.name);
        if (c.result != status::Success && c.result != status::MoreData)
            line += QLatin1Char('!') + QString::number(c.result);
        out << line;
    }
    return out;
}

// The services on the fake network, the message script and a main list on computer SRV, wired
// into the context the main window hands to its pages.
struct ServicesFixture {
    fake::FakeNetwork net;
    ScriptedMessageBoxes messages;
    ImageList images;
    SharedState state;
    QTreeWidget list;
    AppContext ctx{net, net, net, messages, images, state, &list};

    ServicesFixture() {
        state.computerName = fromU16(Server);
        list.setSelectionMode(QAbstractItemView::ExtendedSelection);
        list.setColumnCount(3);
    }

    QStringList calls(std::optional<fake::Call> kind = {},
                      const std::optional<std::u16string>& server = {}) const {
        return callLog(net, kind, server);
    }

    // A folder share on SRV with a comment, a user limit and a descriptor of its own.
    ShareInfo502& addShare(const std::u16string& name, const std::u16string& path = {}) {
        ShareInfo502 s;
        s.netname = name;
        s.path = path.empty() ? u"C:\\Shares\\" + name : path;
        s.remark = u"comment of " + name;
        s.maxUses = 7;
        s.permissions = 0;
        auto acl = Acl::initialize(64, 2);
        acl->addDeniedAce(0, 0x10000000, *Sid::fromString("S-1-5-32-546"));
        acl->addAllowedAce(0, 0xA0000000, *Sid::fromString("S-1-1-0"));
        s.securityDescriptor = SecurityDescriptor::withDacl(*acl).toSelfRelative();
        return net.addShare(Server, s);
    }

    // Loads the list from the fake, selects the named rows and forgets the calls so far.
    void load(const QStringList& selected) {
        ctx.reloadSharesList();
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            list.topLevelItem(i)->setSelected(selected.contains(list.topLevelItem(i)->text(0)));
        net.clearCalls();
    }

    QStringList rows() const { return columnTexts(&list); }

    bool hasShare(const std::u16string& name) const { return net.findShare(Server, name); }
};

} // namespace corvane::test
