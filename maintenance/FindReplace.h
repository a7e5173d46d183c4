#pragma once

#include "platform/ShareService.h"

#include <QString>

#include <optional>
#include <string>

namespace corvane {

class ChangeJournal;

// Replaces the first occurrence of `find` in `value`, matching without regard to letter case
// (Unicode simple case folding, code point by code point). The parts of `value` before and
// after the occurrence are kept exactly; `replacement` is inserted as typed. nullopt when
// `find` is empty or does not occur.
std::optional<QString> replaceFirstIgnoringCase(const QString& value, const QString& find,
                                                const QString& replacement);

enum class SearchField { Name, Path };

// What one share of a find-and-replace run came to: a status line for the dialog's list, or
// the text of a Yes/No error box (Yes goes on with the next share, No ends the run).
struct ShareReplacement {
    enum class Kind {
        FetchFailed,
        NotFound,
        Replaced,
        Untouched,              // the re-creation's first call failed
        AdditionFailedRestored, // the original share is back
        AdditionFailedLost,     // the share is gone
        BothNames,              // renamed, and the old name is still there too
    };
    Kind kind = Kind::NotFound;
    Status status = status::Success;
    QString statusLine;
    QString errorText;
};

// Fetches `shareName`, replaces the first occurrence of `find` in its name or path and
// re-creates it from the fetched record (descriptor included) with that one value changed,
// also when the new value equals the old one. The re-creation is recorded in `changeJournal` first.
ShareReplacement replaceInShare(ShareService& service, const std::u16string& computer,
                                const QString& shareName, SearchField field, const QString& find,
                                const QString& replacement, ChangeJournal* changeJournal = nullptr);

} // namespace corvane
