#pragma once

#include "Sid.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace corvane {

inline constexpr std::uint8_t AccessAllowedAceType = 0;
inline constexpr std::uint8_t AccessDeniedAceType = 1;
inline constexpr std::uint8_t ObjectInheritAce = 0x01;
inline constexpr std::uint8_t ContainerInheritAce = 0x02;
inline constexpr std::uint8_t InheritedAce = 0x10;
inline constexpr std::uint8_t AclRevision = 2;
inline constexpr std::uint8_t AclRevisionDs = 4;
inline constexpr std::uint8_t MinAclRevision = 2;
inline constexpr std::uint8_t MaxAclRevision = 4;
inline constexpr std::size_t AclHeaderSize = 8;
inline constexpr std::size_t MaxAclSize = 0xFFFC;
// The generic rights a share's entries grant.
inline constexpr std::uint32_t GenericAll = 0x10000000;
inline constexpr std::uint32_t GenericWrite = 0x40000000;
inline constexpr std::uint32_t GenericRead = 0x80000000;

// Size information of a list, as the platform reports it for AclSizeInformation.
struct AclSizeInfo {
    std::uint32_t aceCount = 0;
    std::uint32_t bytesInUse = 0;
    std::uint32_t bytesFree = 0;
};

// One entry read out of a list: header fields, and for allowed and denied entries the mask
// and the SID at byte 8. `raw` holds the entry's AceSize bytes.
struct Ace {
    std::uint8_t type = 0;
    std::uint8_t flags = 0;
    std::uint16_t size = 0;
    std::uint32_t mask = 0;
    std::optional<Sid> sid; // only for allowed and denied entries with a well-formed SID
    std::vector<std::uint8_t> raw;

    bool isAllowedOrDenied() const {
        return type == AccessAllowedAceType || type == AccessDeniedAceType;
    }
};

// A discretionary access list in its exact byte layout: an 8-byte header (AclRevision, Sbz1,
// AclSize, AceCount, Sbz2, little-endian) and AceCount entries back to back; the block is
// AclSize bytes long and may have free space after the last entry.
class Acl {
public:
    // An empty list of `size` bytes (at least the header, at most 0xFFFC) with the given
    // revision: 2 to 4, as fromBytes takes them, so that a list read from a server is always
    // rebuilt at its own revision (its entries stay valid for it).
    static std::optional<Acl> initialize(std::size_t size, std::uint8_t revision);
    // Validates and takes a list from the start of `bytes` (AclSize bytes are taken); every
    // entry must fit inside AclSize.
    static std::optional<Acl> fromBytes(std::span<const std::uint8_t> bytes);

    std::uint8_t revision() const { return m_bytes[0]; }
    std::uint16_t aclSize() const { return static_cast<std::uint16_t>(m_bytes.size()); }
    std::uint16_t aceCount() const;
    AclSizeInfo sizeInfo() const;
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

    std::optional<Ace> ace(std::size_t index) const;
    // Appends a copy of a whole entry (its AceSize bytes) at the end; fails when the list has
    // no room for it or the entry is malformed.
    bool addAce(std::span<const std::uint8_t> entry);
    bool addAllowedAce(std::uint8_t flags, std::uint32_t mask, const Sid& sid);
    bool addDeniedAce(std::uint8_t flags, std::uint32_t mask, const Sid& sid);
    // Removes entry `index` in place; later entries move down. Fails past the end.
    bool deleteAce(std::size_t index);
    // Writes the mask of an allowed or denied entry in place.
    bool setMask(std::size_t index, std::uint32_t mask);

    friend bool operator==(const Acl&, const Acl&) = default;

private:
    Acl() = default;
    std::optional<std::size_t> offsetOf(std::size_t index) const;
    std::size_t bytesInUse() const;
    bool addKnownAce(std::uint8_t type, std::uint8_t flags, std::uint32_t mask, const Sid& sid);
    void setAceCount(std::uint16_t count);

    std::vector<std::uint8_t> m_bytes;
};

} // namespace corvane
