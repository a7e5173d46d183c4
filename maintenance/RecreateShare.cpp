#include "RecreateShare.h"

namespace corvane {

RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    const Status removed = service.remove(computer, presentName);
    if (removed != status::Success)
        return {RecreateResult::Outcome::RemovalFailed, removed};
    const Status added = service.add(computer, record);
    if (added == status::Success)
        return {RecreateResult::Outcome::Done, status::Success};
    const Status restored = service.add(computer, original);
    return {restored == status::Success ? RecreateResult::Outcome::AdditionFailedRestored
                                        : RecreateResult::Outcome::AdditionFailedLost,
            added};
}

const char* additionFailureConsequence(RecreateResult::Outcome outcome) {
    return outcome == RecreateResult::Outcome::AdditionFailedRestored
               ? "The original share has been restored."
               : "The share had to be deleted.";
}

} // namespace corvane
