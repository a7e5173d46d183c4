#include "SmbOptions.h"

#include <algorithm>

namespace corvane::smb {

namespace {

std::u16string normalName(std::u16string_view name) {
    while (!name.empty() && name.front() == u'\\')
        name.remove_prefix(1);
    while (!name.empty() && (name.back() == u' ' || name.back() == u'\t'))
        name.remove_suffix(1);
    std::u16string out(name);
    std::transform(out.begin(), out.end(), out.begin(), [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    });
    return out;
}

} // namespace

ConnectionSecurity securityFor(const SmbOptions& options, std::u16string_view server) {
    ConnectionSecurity security = options.security;
    const std::u16string name = normalName(server);
    if (std::any_of(options.unsignedAllowed.begin(), options.unsignedAllowed.end(),
                    [&](const std::u16string& allowed) { return normalName(allowed) == name; }))
        security.requireSigning = false;
    return security;
}

} // namespace corvane::smb
