#pragma once

#include "Acl.h"
#include "Sid.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane {

inline constexpr std::uint16_t SeOwnerDefaulted = 0x0001;
inline constexpr std::uint16_t SeGroupDefaulted = 0x0002;
inline constexpr std::uint16_t SeDaclPresent = 0x0004;
inline constexpr std::uint16_t SeDaclDefaulted = 0x0008;
inline constexpr std::uint16_t SeSaclPresent = 0x0010;
inline constexpr std::uint16_t SeSaclDefaulted = 0x0020;
inline constexpr std::uint16_t SeSelfRelative = 0x8000;

// Whether a descriptor has no DACL (nothing said: the server's default applies), a DACL that
// is present but null (everyone has full access), or a present list (which may be empty:
// nobody has access).
enum class DaclState { Absent, Null, Present };

// A security descriptor in value form. Servers send and take the self-relative form: a
// 20-byte header (Revision, Sbz1, Control, then offsets of owner, group, SACL and DACL) with
// the parts it points to after it.
class SecurityDescriptor {
public:
    SecurityDescriptor() = default;

    // A descriptor with only a present DACL (a copy of `dacl`), as the program writes them.
    static SecurityDescriptor withDacl(const Acl& dacl);
    // A descriptor whose DACL is present but null.
    static SecurityDescriptor withNullDacl();

    // Parses a self-relative descriptor; every offset and length is checked against `bytes`.
    static std::optional<SecurityDescriptor> parse(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> toSelfRelative() const;

    DaclState daclState() const { return m_daclState; }
    // The DACL when it is present and not null.
    const std::optional<Acl>& dacl() const { return m_dacl; }
    const std::optional<Sid>& owner() const { return m_owner; }
    const std::optional<Sid>& group() const { return m_group; }
    std::uint16_t control() const { return m_control; }

    void setDacl(const Acl& dacl);
    void setNullDacl();
    void removeDacl();

    friend bool operator==(const SecurityDescriptor&, const SecurityDescriptor&) = default;

private:
    std::uint16_t m_control = SeSelfRelative;
    std::optional<Sid> m_owner;
    std::optional<Sid> m_group;
    std::optional<Acl> m_sacl;
    bool m_nullSacl = false; // SACL present with no list
    DaclState m_daclState = DaclState::Absent;
    std::optional<Acl> m_dacl;
};

// The list a share's descriptor bytes hold, when the descriptor is valid and its DACL present
// and not null (what the properties view shows).
std::optional<Acl> daclOf(std::span<const std::uint8_t> descriptorBytes);

} // namespace corvane
