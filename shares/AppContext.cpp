#include "AppContext.h"

#include "FillSharesList.h"
#include "ShareChanges.h"
#include "ui/Text.h"

namespace corvane {

bool AppContext::reloadSharesList() {
    if (!sharesList)
        return false;
    const Status failure = FillSharesList(shares, state.computerName, sharesList, images);
    if (failure == status::Success)
        return true;
    // The list after a change must show what the server holds, not nothing because its answer
    // was lost: wait (within the bound, as a check does) until the server answers, then list
    // again once.
    const bool unreached = failure == status::BadNetPath || failure == status::RpcServerUnavailable;
    if ((!answerMayBeLost(failure) && !unreached) || failure == status::Cancelled)
        return false;
    ShareInfo502 probe;
    const Status reached = shares.checkInfo(toU16(state.computerName), u"IPC$", probe);
    if (reached != status::Success && reached != status::NetNameNotFound)
        return false;
    return FillSharesList(shares, state.computerName, sharesList, images) == status::Success;
}

} // namespace corvane
