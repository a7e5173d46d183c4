#pragma once

#include "platform/SessionService.h"

#include <QString>

#include <optional>
#include <vector>

namespace corvane::sessions {

// "read", "write", "read+write" (creating counts as writing); empty for neither.
QString openModeText(std::uint32_t permissions);

// A time span for the lists: "0:05:07" below a day, "2d 03:04:05" from a day on.
QString durationText(std::uint32_t seconds);

// Whether an open file's path passes the filter box: the filter's text anywhere in the path,
// ignoring case; an empty filter passes everything.
bool pathMatchesFilter(const QString& path, const QString& filter);

// How ending a session or closing a file turned out, judged after the lists were read again.
enum class Outcome { Done, Gone, Failed };
// `listedAfter`: whether the target is still listed after the re-read (nullopt when that read
// failed). A failed call whose target is no longer listed, or that says "no such session /
// file" when the list could not be read, went away on its own and is not an error.
Outcome outcomeOf(Status result, std::optional<bool> listedAfter);

// Every part of an enumeration, following MoreData, at most MaxParts calls.
inline constexpr int MaxParts = 10000;
Status readAllSessions(SessionService& service, const std::u16string& server,
                       std::vector<SessionInfo>& out);
Status readAllFiles(SessionService& service, const std::u16string& server,
                    std::vector<OpenFileInfo>& out);

} // namespace corvane::sessions
