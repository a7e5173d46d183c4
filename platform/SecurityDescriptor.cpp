#include "SecurityDescriptor.h"

#include "ByteOrder.h"

namespace corvane {

SecurityDescriptor SecurityDescriptor::withDacl(const Acl& dacl) {
    SecurityDescriptor sd;
    sd.setDacl(dacl);
    return sd;
}

SecurityDescriptor SecurityDescriptor::withNullDacl() {
    SecurityDescriptor sd;
    sd.setNullDacl();
    return sd;
}

void SecurityDescriptor::setDacl(const Acl& dacl) {
    m_daclState = DaclState::Present;
    m_dacl = dacl;
    m_control = static_cast<std::uint16_t>((m_control | SeDaclPresent) & ~SeDaclDefaulted);
}

void SecurityDescriptor::setNullDacl() {
    m_daclState = DaclState::Null;
    m_dacl.reset();
    m_control = static_cast<std::uint16_t>((m_control | SeDaclPresent) & ~SeDaclDefaulted);
}

void SecurityDescriptor::removeDacl() {
    m_daclState = DaclState::Absent;
    m_dacl.reset();
    m_control = static_cast<std::uint16_t>(m_control & ~(SeDaclPresent | SeDaclDefaulted));
}

std::optional<SecurityDescriptor> SecurityDescriptor::parse(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 20 || bytes[0] != 1)
        return std::nullopt;
    SecurityDescriptor sd;
    sd.m_control = getLe16(bytes.data() + 2);
    if (!(sd.m_control & SeSelfRelative))
        return std::nullopt;
    const std::uint32_t ownerAt = getLe32(bytes.data() + 4);
    const std::uint32_t groupAt = getLe32(bytes.data() + 8);
    const std::uint32_t saclAt = getLe32(bytes.data() + 12);
    const std::uint32_t daclAt = getLe32(bytes.data() + 16);
    auto sidAt = [&](std::uint32_t at) -> std::optional<std::optional<Sid>> {
        if (at == 0)
            return std::optional<Sid>{};
        if (at < 20 || at >= bytes.size())
            return std::nullopt;
        auto sid = Sid::fromBytes(bytes.subspan(at));
        if (!sid)
            return std::nullopt;
        return std::optional<Sid>(*sid);
    };
    auto aclAt = [&](std::uint32_t at) -> std::optional<Acl> {
        if (at < 20 || at >= bytes.size())
            return std::nullopt;
        return Acl::fromBytes(bytes.subspan(at));
    };
    const auto owner = sidAt(ownerAt);
    const auto group = sidAt(groupAt);
    if (!owner || !group)
        return std::nullopt;
    sd.m_owner = *owner;
    sd.m_group = *group;
    if (sd.m_control & SeSaclPresent) {
        if (saclAt == 0) {
            sd.m_nullSacl = true;
        } else {
            sd.m_sacl = aclAt(saclAt);
            if (!sd.m_sacl)
                return std::nullopt;
        }
    }
    if (sd.m_control & SeDaclPresent) {
        if (daclAt == 0) {
            sd.m_daclState = DaclState::Null;
        } else {
            sd.m_dacl = aclAt(daclAt);
            if (!sd.m_dacl)
                return std::nullopt;
            sd.m_daclState = DaclState::Present;
        }
    }
    return sd;
}

std::vector<std::uint8_t> SecurityDescriptor::toSelfRelative() const {
    std::vector<std::uint8_t> out(20, 0);
    out[0] = 1;
    std::uint16_t control = m_control | SeSelfRelative;
    if (!m_sacl && !m_nullSacl)
        control &= static_cast<std::uint16_t>(~SeSaclPresent);
    auto append = [&](const std::vector<std::uint8_t>& part) {
        const auto at = static_cast<std::uint32_t>(out.size());
        out.insert(out.end(), part.begin(), part.end());
        return at;
    };
    // Parts in the order servers lay them out: SACL, DACL, owner, group.
    std::uint32_t saclAt = 0, daclAt = 0, ownerAt = 0, groupAt = 0;
    if (m_sacl)
        saclAt = append(m_sacl->bytes());
    if (m_daclState == DaclState::Present && m_dacl)
        daclAt = append(m_dacl->bytes());
    if (m_owner)
        ownerAt = append(m_owner->bytes());
    if (m_group)
        groupAt = append(m_group->bytes());
    putLe16(out.data() + 2, control);
    putLe32(out.data() + 4, ownerAt);
    putLe32(out.data() + 8, groupAt);
    putLe32(out.data() + 12, saclAt);
    putLe32(out.data() + 16, daclAt);
    return out;
}

std::optional<Acl> daclOf(std::span<const std::uint8_t> descriptorBytes) {
    if (descriptorBytes.empty())
        return std::nullopt;
    const auto sd = SecurityDescriptor::parse(descriptorBytes);
    if (!sd || sd->daclState() != DaclState::Present)
        return std::nullopt;
    return sd->dacl();
}

} // namespace corvane
