#pragma once

#include "SharedState.h"
#include "platform/AccountService.h"
#include "platform/DirectoryService.h"
#include "platform/ShareService.h"
#include "ui/ImageList.h"
#include "ui/MessageBoxes.h"

#include <functional>

class QTreeWidget;

namespace corvane {

class ChangeJournal;
class WalkProgress;

// What the main window hands to each of its pages and dialogs: the services, the message seam,
// the pictures, the shared state and the main shares list.
struct AppContext {
    ShareService& shares;
    AccountService& accounts;
    DirectoryService& directories;
    MessageBoxes& messages;
    const ImageList& images;
    SharedState& state;
    QTreeWidget* sharesList = nullptr; // SharesList1
    // Where changes that remove a share or change its name or path are recorded before they go
    // out; none in tests that do not look at it.
    ChangeJournal* journal = nullptr;
    // Shows a walk over many shares as a whole and lets the user stop it between two shares;
    // none in tests that do not look at it.
    WalkProgress* walks = nullptr;

    // Tells the status line that a wait without a box of its own ended before its work was
    // done: `work` says what was left undone. None in tests that do not look at it.
    std::function<void(const QString& work, Status failure)> endedEarly = {};

    // Refills SharesList1 from the opened computer (the reload after every change).
    bool reloadSharesList();
};

} // namespace corvane
