#pragma once

#include "Status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace corvane {

// One session on a server: who is connected from where, for how long (seconds).
struct SessionInfo {
    std::u16string client; // as the server names it, without leading backslashes
    std::u16string user;
    std::uint32_t openFiles = 0;
    std::uint32_t activeSeconds = 0;
    std::uint32_t idleSeconds = 0;
    bool guest = false;
    // One of this program's own connections to the server (as the backend tells them), whose
    // ending would cut this program off, and with it every other connection of that user
    // from this computer.
    bool thisProgram = false;
};

// Open-mode bits of an open file.
inline constexpr std::uint32_t PermFileRead = 0x1;
inline constexpr std::uint32_t PermFileWrite = 0x2;
inline constexpr std::uint32_t PermFileCreate = 0x4;

// One file a client holds open on a server.
struct OpenFileInfo {
    std::uint32_t id = 0;
    std::uint32_t permissions = 0; // PermFile* bits
    std::uint32_t locks = 0;
    std::u16string path;
    std::u16string user;
};

// Sessions and open files of a server, and ending them. `server` as the program holds it.
// Every result is a Win32/NERR status; the enumerations follow ShareService::enumerate's
// contract (clear `out`, Success or MoreData with a new resume handle, `out` empty on failure).
class SessionService {
public:
    virtual ~SessionService() = default;

    virtual Status enumerateSessions(const std::u16string& server, std::vector<SessionInfo>& out,
                                     std::uint32_t& resumeHandle) = 0;
    // Ends the session of `user` from `client` (a name as enumerateSessions gave it).
    virtual Status deleteSession(const std::u16string& server, const std::u16string& client,
                                 const std::u16string& user) = 0;
    virtual Status enumerateFiles(const std::u16string& server, std::vector<OpenFileInfo>& out,
                                  std::uint32_t& resumeHandle) = 0;
    virtual Status closeFile(const std::u16string& server, std::uint32_t id) = 0;
};

} // namespace corvane
