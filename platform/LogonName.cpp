#include "LogonName.h"

namespace corvane {

namespace {

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::pair<std::u16string, std::u16string> splitLogonName(std::u16string_view user,
                                                         std::u16string_view domain) {
    user = trimmed(user);
    domain = trimmed(domain);
    if (const auto slash = user.find(u'\\'); slash != std::u16string_view::npos)
        return {std::u16string(user.substr(slash + 1)), std::u16string(user.substr(0, slash))};
    if (user.find(u'@') != std::u16string_view::npos)
        return {std::u16string(user), {}};
    return {std::u16string(user), std::u16string(domain)};
}

std::u16string describeLogonFailure(Status result) {
    if (result == status::NtlmBlocked)
        return u"No password logon can be made: the server accepts none (NTLM is disabled there), "
               u"or \"Never use NTLM\" is on in Preferences. Get a Kerberos ticket (kinit "
               u"user@REALM) and open the server by its full DNS name.";
    return {};
}

} // namespace corvane
