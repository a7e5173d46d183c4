#include "AppContext.h"

#include "FillSharesList.h"

namespace corvane {

bool AppContext::reloadSharesList() {
    if (!sharesList)
        return false;
    return FillSharesList(shares, state.computerName, sharesList, images);
}

} // namespace corvane
