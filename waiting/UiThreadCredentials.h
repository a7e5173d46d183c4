#pragma once

#include "CallDispatcher.h"
#include "platform/CredentialProvider.h"

#include <memory>

namespace corvane {

// Asks `inner` (the "Connect as" dialog) on the user-interface thread for a call that runs on
// the dispatcher's worker, and waits for the answer there. No answer (cancel) when the call's
// wait was given up before the question could be shown. The answer is moved from thread to
// thread, never copied: its password stays in the one buffer it was typed into.
class UiThreadCredentials : public CredentialProvider {
public:
    UiThreadCredentials(CallDispatcher& dispatcher, CredentialProvider& inner)
        : m_dispatcher(dispatcher), m_inner(inner) {}

    std::optional<Credentials> credentialsFor(const std::u16string& server,
                                              const std::u16string& failure) override {
        auto answer = std::make_shared<std::optional<Credentials>>();
        const bool asked = m_dispatcher.askOnUiThread([answer, &inner = m_inner, server, failure] {
            *answer = inner.credentialsFor(server, failure);
        });
        if (!asked)
            return std::nullopt;
        return std::move(*answer);
    }

private:
    CallDispatcher& m_dispatcher;
    CredentialProvider& m_inner;
};

} // namespace corvane
