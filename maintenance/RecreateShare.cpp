#include "RecreateShare.h"

namespace corvane {

bool sameShareName(const std::u16string& a, const std::u16string& b) {
    return QString::fromStdU16String(a).compare(QString::fromStdU16String(b),
                                                Qt::CaseInsensitive) == 0;
}

RecreateResult RecreateShare(ShareService& service, const std::u16string& computer,
                             const std::u16string& presentName, const ShareInfo502& record,
                             const ShareInfo502& original) {
    if (!sameShareName(presentName, record.netname)) {
        const Status added = service.add(computer, record);
        if (added != status::Success)
            return {RecreateResult::Outcome::Untouched, added};
        const Status removed = service.remove(computer, presentName);
        if (removed != status::Success)
            return {RecreateResult::Outcome::BothNames, removed};
        return {RecreateResult::Outcome::Done, status::Success};
    }
    const Status removed = service.remove(computer, presentName);
    if (removed != status::Success)
        return {RecreateResult::Outcome::Untouched, removed};
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

QString bothNamesConsequence(const std::u16string& oldName, const std::u16string& newName) {
    return QStringLiteral("It is now there under both names, %1 and %2.")
        .arg(QString::fromStdU16String(oldName), QString::fromStdU16String(newName));
}

} // namespace corvane
