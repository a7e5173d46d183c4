#pragma once

#include "platform/Acl.h"
#include "platform/Sid.h"
#include "platform/fake/FakeNetwork.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace corvane::test {

// The accounts of the test computer SRV, by the short names the tests write entries with.
inline const std::map<QString, Sid>& testSids() {
    static const std::map<QString, Sid> sids = {
        {QStringLiteral("alice"), Sid::make(5, {21, 7, 7, 7, 1001})},
        {QStringLiteral("bob"), Sid::make(5, {21, 7, 7, 7, 1002})},
        {QStringLiteral("carol"), Sid::make(5, {21, 7, 7, 7, 1003})},
        {QStringLiteral("staff"), Sid::make(5, {21, 7, 7, 7, 2001})},
        {QStringLiteral("host"), Sid::make(5, {21, 7, 7, 7, 3001})},
        {QStringLiteral("ghost"), Sid::make(5, {21, 7, 7, 7, 9999})}, // not known to SRV
        {QStringLiteral("everyone"), Sid::make(1, {0})},
        {QStringLiteral("admins"), Sid::make(5, {32, 544})},
    };
    return sids;
}

inline QString sidText(const QString& shortName) {
    return QString::fromStdString(testSids().at(shortName).toString());
}

inline void addTestAccounts(fake::FakeNetwork& net, const std::u16string& server) {
    net.addAccount(server, u"alice", u"SRV", SidNameUse::User, testSids().at("alice"));
    net.addAccount(server, u"bob", u"SRV", SidNameUse::User, testSids().at("bob"));
    net.addAccount(server, u"carol", u"SRV", SidNameUse::User, testSids().at("carol"));
    net.addAccount(server, u"staff", u"SRV", SidNameUse::Group, testSids().at("staff"));
    net.addAccount(server, u"host", u"SRV", SidNameUse::Computer, testSids().at("host"));
}

// An entry written "A:alice:10000000" (allowed, flags 3) or "D:bob:80000000:13" (denied,
// flags 0x13); "X:carol:1" is an entry of type 2 (neither allowed nor denied).
inline std::optional<Acl> aclFrom(const QStringList& entries) {
    std::size_t size = AclHeaderSize;
    for (const QString& e : entries)
        size += 8 + testSids().at(e.section(':', 1, 1)).length();
    auto acl = Acl::initialize(size, AclRevision);
    for (const QString& e : entries) {
        const QStringList p = e.split(':');
        const Sid& sid = testSids().at(p[1]);
        const std::uint32_t mask = p[2].toUInt(nullptr, 16);
        const auto flags = static_cast<std::uint8_t>(p.size() > 3 ? p[3].toUInt(nullptr, 16) : 3);
        if (p[0] == QLatin1String("A"))
            acl->addAllowedAce(flags, mask, sid);
        else if (p[0] == QLatin1String("D"))
            acl->addDeniedAce(flags, mask, sid);
        else {
            std::vector<std::uint8_t> raw = {2, flags, 0, 0};
            const auto length = static_cast<std::uint16_t>(8 + sid.length());
            raw[2] = static_cast<std::uint8_t>(length & 0xFF);
            raw[3] = static_cast<std::uint8_t>(length >> 8);
            for (int i = 0; i < 4; ++i)
                raw.push_back(static_cast<std::uint8_t>(mask >> (8 * i)));
            raw.insert(raw.end(), sid.bytes().begin(), sid.bytes().end());
            acl->addAce(raw);
        }
    }
    return acl;
}

// The entries of a list in the same notation (flags shown only when not 3).
inline QStringList entriesOf(const std::optional<Acl>& acl) {
    QStringList out;
    if (!acl)
        return {QStringLiteral("<none>")};
    for (std::size_t i = 0; i < acl->aceCount(); ++i) {
        const auto ace = acl->ace(i);
        QString who = QStringLiteral("?");
        if (ace->sid)
            for (const auto& [name, sid] : testSids())
                if (sid == *ace->sid)
                    who = name;
        const QString type = ace->type == AccessAllowedAceType  ? QStringLiteral("A")
                             : ace->type == AccessDeniedAceType ? QStringLiteral("D")
                                                                : QStringLiteral("X");
        QString text = type + ':' + who + ':' + QString::number(ace->mask, 16);
        if (ace->flags != 3)
            text += ':' + QString::number(ace->flags, 16);
        out << text;
    }
    return out;
}

} // namespace corvane::test
