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

// Why a listed session may not be ended from here; None when it may. The program's own
// sessions are never ended (that would cut it off, and with it every other connection of that
// user from this computer), nor a session without a user name: a server may take a request
// without a user as one for every user of that client.
enum class Refusal { None, ThisProgram, NoUser };
Refusal disconnectRefusal(const SessionInfo& session);

// An open file chosen from the list, checked against the open files read again just before
// closing: only the same id with the same path and user is the same open (a server may give a
// closed file's id to another open). Closed: the id is gone, the file was closed meanwhile;
// Changed: the id now names another open.
enum class FileCheck { Close, Closed, Changed };
FileCheck checkBeforeClose(const OpenFileInfo& chosen, const std::vector<OpenFileInfo>& current);

// Every part of an enumeration, following MoreData, at most MaxParts calls.
inline constexpr int MaxParts = 10000;
Status readAllSessions(SessionService& service, const std::u16string& server,
                       std::vector<SessionInfo>& out);
Status readAllFiles(SessionService& service, const std::u16string& server,
                    std::vector<OpenFileInfo>& out);

} // namespace corvane::sessions
