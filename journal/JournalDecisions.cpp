#include "JournalDecisions.h"

#include <algorithm>

namespace corvane::journal {

qint64 journalBytes(const std::vector<Entry>& entries) {
    qint64 total = 0;
    for (const Entry& e : entries)
        total += e.beginLine.size() + e.finishLine.size();
    return total;
}

std::vector<Entry> prune(std::vector<Entry> entries, const QDateTime& now, int keptDays,
                         qint64 capBytes) {
    const QDateTime oldest = now.addDays(-keptDays);
    std::erase_if(entries, [&](const Entry& e) { return e.finished && *e.finished < oldest; });
    qint64 bytes = journalBytes(entries);
    if (bytes <= capBytes)
        return entries;
    std::vector<std::size_t> finished;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].finished)
            finished.push_back(i);
    std::stable_sort(finished.begin(), finished.end(), [&](std::size_t a, std::size_t b) {
        return *entries[a].finished < *entries[b].finished;
    });
    std::vector<bool> drop(entries.size(), false);
    for (std::size_t i : finished) {
        if (bytes <= capBytes)
            break;
        drop[i] = true;
        bytes -= entries[i].beginLine.size() + entries[i].finishLine.size();
    }
    std::vector<Entry> kept;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (!drop[i])
            kept.push_back(std::move(entries[i]));
    return kept;
}

namespace {

bool sameName(const std::u16string& a, const std::u16string& b) {
    return QString::fromStdU16String(a).compare(QString::fromStdU16String(b),
                                                Qt::CaseInsensitive) == 0;
}

bool listedAs(const std::vector<std::u16string>& listed, const std::u16string& name) {
    return !name.empty() && std::any_of(listed.begin(), listed.end(),
                                        [&](const auto& l) { return sameName(l, name); });
}

} // namespace

RecoveryPlan planRecovery(const std::vector<Entry>& unfinished,
                          const std::vector<std::u16string>& listed) {
    RecoveryPlan plan;
    for (const Entry& e : unfinished) {
        if (e.walk == Walk::Delete || listedAs(listed, e.share.netname) ||
            listedAs(listed, e.newName)) {
            plan.settled.push_back(e.id);
            continue;
        }
        const auto same = std::find_if(plan.offers.begin(), plan.offers.end(), [&](const Offer& o) {
            return sameName(o.entry.share.netname, e.share.netname);
        });
        if (same == plan.offers.end()) {
            plan.offers.push_back({e, {}});
        } else if (same->entry.begun <= e.begun) {
            // The newer record is the share as it was last.
            same->alsoSettles.push_back(same->entry.id);
            same->entry = e;
        } else {
            same->alsoSettles.push_back(e.id);
        }
    }
    return plan;
}

} // namespace corvane::journal
