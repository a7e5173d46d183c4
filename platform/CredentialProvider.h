#pragma once

#include "Secret.h"

#include <optional>
#include <string>

namespace corvane {

// A logon for one server. Kept in memory for the run only; never written or logged. Moved,
// never copied: the password stays in its one buffer on its way to the backend.
struct Credentials {
    std::u16string user;
    std::u16string domain; // empty: the server's own
    Secret password;
};

// Asked for the logon to a server the first time the program connects to it, and again, with
// the reason, when the server refused the last answer. No answer (nullopt) means cancel: the
// call fails with the logon-failure status.
class CredentialProvider {
public:
    virtual ~CredentialProvider() = default;
    virtual std::optional<Credentials> credentialsFor(const std::u16string& server,
                                                      const std::u16string& failure) = 0;
};

} // namespace corvane
