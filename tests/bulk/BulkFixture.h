#pragma once

#include "platform/fake/FakeNetwork.h"
#include "shares/AppContext.h"
#include "support/ScriptedMessageBoxes.h"

#include <QTreeWidget>

#include <memory>

namespace corvane::test {

// A fresh fake network with the context the main window would hand to a page.
struct BulkFixture {
    fake::FakeNetwork net;
    ScriptedMessageBoxes messages;
    ImageList images;
    SharedState state;
    std::unique_ptr<QTreeWidget> sharesList = std::make_unique<QTreeWidget>();
    AppContext ctx{net, net, net, messages, images, state, sharesList.get()};

    int enumerationsOf(const std::u16string& server) const {
        int n = 0;
        for (const auto& c : net.callsOf(fake::Call::Enumerate))
            n += c.server == server;
        return n;
    }
};

} // namespace corvane::test
