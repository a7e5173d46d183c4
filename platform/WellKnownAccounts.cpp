#include "WellKnownAccounts.h"

#include <array>

namespace corvane {

namespace {

struct Entry {
    std::u16string_view name;
    std::u16string_view domain;
    SidNameUse use;
    std::uint64_t authority;
    std::array<std::uint32_t, 2> subs;
    std::size_t subCount;
};

constexpr Entry kTable[] = {
    {u"Everyone", u"", SidNameUse::WellKnownGroup, 1, {0, 0}, 1},
    {u"CREATOR OWNER", u"", SidNameUse::WellKnownGroup, 3, {0, 0}, 1},
    {u"CREATOR GROUP", u"", SidNameUse::WellKnownGroup, 3, {1, 0}, 1},
    {u"NETWORK", u"NT AUTHORITY", SidNameUse::WellKnownGroup, 5, {2, 0}, 1},
    {u"INTERACTIVE", u"NT AUTHORITY", SidNameUse::WellKnownGroup, 5, {4, 0}, 1},
    {u"ANONYMOUS LOGON", u"NT AUTHORITY", SidNameUse::WellKnownGroup, 5, {7, 0}, 1},
    {u"Authenticated Users", u"NT AUTHORITY", SidNameUse::WellKnownGroup, 5, {11, 0}, 1},
    {u"SYSTEM", u"NT AUTHORITY", SidNameUse::WellKnownGroup, 5, {18, 0}, 1},
    {u"Administrators", u"BUILTIN", SidNameUse::Alias, 5, {32, 544}, 2},
    {u"Users", u"BUILTIN", SidNameUse::Alias, 5, {32, 545}, 2},
    {u"Guests", u"BUILTIN", SidNameUse::Alias, 5, {32, 546}, 2},
    {u"Power Users", u"BUILTIN", SidNameUse::Alias, 5, {32, 547}, 2},
    {u"Account Operators", u"BUILTIN", SidNameUse::Alias, 5, {32, 548}, 2},
    {u"Server Operators", u"BUILTIN", SidNameUse::Alias, 5, {32, 549}, 2},
    {u"Print Operators", u"BUILTIN", SidNameUse::Alias, 5, {32, 550}, 2},
    {u"Backup Operators", u"BUILTIN", SidNameUse::Alias, 5, {32, 551}, 2},
};

Account toAccount(const Entry& e) {
    Sid sid = e.subCount == 1 ? Sid::make(e.authority, {e.subs[0]})
                              : Sid::make(e.authority, {e.subs[0], e.subs[1]});
    return Account{sid, std::u16string(e.name), std::u16string(e.domain), e.use};
}

} // namespace

std::u16string asciiLower(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

std::optional<Account> wellKnownAccountByName(std::u16string_view name) {
    const std::u16string wanted = asciiLower(name);
    for (const Entry& e : kTable) {
        if (wanted == asciiLower(e.name))
            return toAccount(e);
        if (!e.domain.empty()) {
            std::u16string qualified(e.domain);
            qualified += u'\\';
            qualified += e.name;
            if (wanted == asciiLower(qualified))
                return toAccount(e);
        }
    }
    return std::nullopt;
}

std::optional<Account> wellKnownAccountBySid(const Sid& sid) {
    for (const Entry& e : kTable) {
        Account a = toAccount(e);
        if (a.sid == sid)
            return a;
    }
    return std::nullopt;
}

} // namespace corvane
