#include "Acl.h"

#include "ByteOrder.h"

#include <algorithm>

namespace corvane {

std::optional<Acl> Acl::initialize(std::size_t size, std::uint8_t revision) {
    if (size < AclHeaderSize || size > MaxAclSize)
        return std::nullopt;
    if (revision < MinAclRevision || revision > MaxAclRevision)
        return std::nullopt;
    Acl acl;
    acl.m_bytes.assign(size, 0);
    acl.m_bytes[0] = revision;
    putLe16(acl.m_bytes.data() + 2, static_cast<std::uint16_t>(size));
    return acl;
}

std::optional<Acl> Acl::fromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < AclHeaderSize)
        return std::nullopt;
    const std::size_t size = getLe16(bytes.data() + 2);
    const std::size_t count = getLe16(bytes.data() + 4);
    if (size < AclHeaderSize || size > bytes.size())
        return std::nullopt;
    if (bytes[0] < MinAclRevision || bytes[0] > MaxAclRevision)
        return std::nullopt;
    std::size_t at = AclHeaderSize;
    for (std::size_t i = 0; i < count; ++i) {
        if (at + 4 > size)
            return std::nullopt;
        const std::size_t aceSize = getLe16(bytes.data() + at + 2);
        if (aceSize < 4 || at + aceSize > size)
            return std::nullopt;
        at += aceSize;
    }
    Acl acl;
    acl.m_bytes.assign(bytes.begin(), bytes.begin() + size);
    return acl;
}

std::uint16_t Acl::aceCount() const {
    return getLe16(m_bytes.data() + 4);
}

void Acl::setAceCount(std::uint16_t count) {
    putLe16(m_bytes.data() + 4, count);
}

std::optional<std::size_t> Acl::offsetOf(std::size_t index) const {
    if (index > aceCount())
        return std::nullopt;
    std::size_t at = AclHeaderSize;
    for (std::size_t i = 0; i < index; ++i) {
        if (at + 4 > m_bytes.size())
            return std::nullopt;
        const std::size_t aceSize = getLe16(m_bytes.data() + at + 2);
        if (aceSize < 4 || at + aceSize > m_bytes.size())
            return std::nullopt;
        at += aceSize;
    }
    return at;
}

std::size_t Acl::bytesInUse() const {
    return offsetOf(aceCount()).value_or(m_bytes.size());
}

AclSizeInfo Acl::sizeInfo() const {
    const std::size_t used = bytesInUse();
    return {aceCount(), static_cast<std::uint32_t>(used),
            static_cast<std::uint32_t>(m_bytes.size() - used)};
}

std::optional<Ace> Acl::ace(std::size_t index) const {
    if (index >= aceCount())
        return std::nullopt;
    const auto at = offsetOf(index);
    if (!at || *at + 4 > m_bytes.size())
        return std::nullopt;
    Ace ace;
    ace.type = m_bytes[*at];
    ace.flags = m_bytes[*at + 1];
    ace.size = getLe16(m_bytes.data() + *at + 2);
    if (ace.size < 4 || *at + ace.size > m_bytes.size())
        return std::nullopt;
    ace.raw.assign(m_bytes.begin() + *at, m_bytes.begin() + *at + ace.size);
    if (ace.isAllowedOrDenied() && ace.size >= 8) {
        ace.mask = getLe32(ace.raw.data() + 4);
        ace.sid = Sid::fromBytes(std::span(ace.raw).subspan(8));
    }
    return ace;
}

bool Acl::addAce(std::span<const std::uint8_t> entry) {
    if (entry.size() < 4)
        return false;
    const std::size_t aceSize = getLe16(entry.data() + 2);
    if (aceSize < 4 || aceSize > entry.size() || aceCount() == 0xFFFF)
        return false;
    const std::size_t used = bytesInUse();
    if (used + aceSize > m_bytes.size())
        return false;
    std::copy_n(entry.begin(), aceSize, m_bytes.begin() + used);
    setAceCount(aceCount() + 1);
    return true;
}

bool Acl::addKnownAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid) {
    if (!sid.isValid())
        return false;
    std::vector<std::uint8_t> entry(8 + sid.length());
    entry[0] = type;
    entry[1] = flags;
    putLe16(entry.data() + 2, static_cast<std::uint16_t>(entry.size()));
    putLe32(entry.data() + 4, mask);
    std::copy(sid.bytes().begin(), sid.bytes().end(), entry.begin() + 8);
    return addAce(entry);
}

bool Acl::addAllowedAce(std::uint8_t flags, std::uint32_t mask, const Sid& sid) {
    return addKnownAce(AccessAllowedAceType, flags, mask, sid);
}

bool Acl::addDeniedAce(std::uint8_t flags, std::uint32_t mask, const Sid& sid) {
    return addKnownAce(AccessDeniedAceType, flags, mask, sid);
}

bool Acl::deleteAce(std::size_t index) {
    if (index >= aceCount())
        return false;
    const auto at = offsetOf(index);
    const std::size_t used = bytesInUse();
    if (!at || *at + 4 > used)
        return false;
    const std::size_t aceSize = getLe16(m_bytes.data() + *at + 2);
    if (*at + aceSize > used)
        return false;
    std::copy(m_bytes.begin() + *at + aceSize, m_bytes.begin() + used, m_bytes.begin() + *at);
    std::fill(m_bytes.begin() + used - aceSize, m_bytes.begin() + used, 0);
    setAceCount(aceCount() - 1);
    return true;
}

bool Acl::setMask(std::size_t index, std::uint32_t mask) {
    if (index >= aceCount())
        return false;
    const auto at = offsetOf(index);
    if (!at || *at + 8 > m_bytes.size())
        return false;
    const std::uint8_t type = m_bytes[*at];
    if (type != AccessAllowedAceType && type != AccessDeniedAceType)
        return false;
    putLe32(m_bytes.data() + *at + 4, mask);
    return true;
}

} // namespace corvane
