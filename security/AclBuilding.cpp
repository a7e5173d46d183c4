#include "AclBuilding.h"

#include "platform/WellKnownAccounts.h"

namespace corvane {

namespace {

bool isExplicitDeny(const Ace& ace) {
    return ace.type == AccessDeniedAceType && !(ace.flags & InheritedAce);
}
bool isExplicitAllow(const Ace& ace) {
    return ace.type == AccessAllowedAceType && !(ace.flags & InheritedAce);
}
bool isDeny(const Ace& ace) {
    return ace.type == AccessDeniedAceType;
}
bool isAnything(const Ace&) {
    return true;
}

} // namespace

std::optional<Acl> AddAceToAcl(std::int32_t kind, const std::optional<Acl>& old, const Sid& sid,
                               std::uint32_t mask) {
    if (!sid.isValid() || kind < ExplicitAllow || kind > InheritedAllow)
        return std::nullopt;
    AclSizeInfo info{0, AclHeaderSize, 0};
    if (old)
        info = old->sizeInfo();
    const std::size_t newSize = info.bytesInUse + 8 + sid.length();
    const std::uint8_t revision = old ? old->revision() : AclRevision;
    auto result = Acl::initialize(newSize, revision);
    if (!result)
        return std::nullopt;
    Acl& acl = *result;

    struct Phase {
        std::int32_t kind;
        std::uint8_t type;
        std::uint8_t flags;
        bool (*belongs)(const Ace&);
    };
    const Phase phases[] = {
        {ExplicitDeny, AccessDeniedAceType, ExplicitAceFlags, isExplicitDeny},
        {ExplicitAllow, AccessAllowedAceType, ExplicitAceFlags, isExplicitAllow},
        {InheritedDeny, AccessDeniedAceType, InheritedAceFlags, isDeny},
        {InheritedAllow, AccessAllowedAceType, InheritedAceFlags, isAnything},
    };
    std::size_t i = 0;
    for (const Phase& phase : phases) {
        if (kind == phase.kind) {
            const bool added = phase.type == AccessDeniedAceType
                                   ? acl.addDeniedAce(phase.flags, mask, sid)
                                   : acl.addAllowedAce(phase.flags, mask, sid);
            if (!added)
                return std::nullopt;
        }
        while (i < info.aceCount) {
            const auto ace = old->ace(i);
            if (!ace)
                return std::nullopt;
            if (!phase.belongs(*ace))
                break;
            if (!acl.addAce(ace->raw))
                return std::nullopt;
            ++i;
        }
    }
    return result;
}

std::optional<Acl> CopyAcl(const Acl& acl) {
    const AclSizeInfo info = acl.sizeInfo();
    auto copy = Acl::initialize(info.bytesInUse, acl.revision());
    if (!copy)
        return std::nullopt;
    for (std::size_t i = 0; i < info.aceCount; ++i) {
        const auto ace = acl.ace(i);
        if (!ace || !copy->addAce(ace->raw))
            return std::nullopt;
    }
    return copy;
}

Status buildDefaultAcls(AccountService& accounts, std::optional<DefaultAcls>& out) {
    Account everyone;
    if (const Status found = accounts.lookupName(u"", u"Everyone", everyone);
        found != status::Success)
        // InsufficientBuffer names the second step; a lookup that failed so is still not found.
        return found == status::InsufficientBuffer ? status::NoneMapped : found;
    auto current = AddAceToAcl(ExplicitAllow, std::nullopt, everyone.sid, GenericAll);
    if (!current)
        return status::InsufficientBuffer;
    auto copy = CopyAcl(*current);
    if (!copy)
        return status::InsufficientBuffer;
    out = DefaultAcls{std::move(*current), std::move(*copy)};
    return status::Success;
}

std::string defaultAclsFailure(Status failure) {
    if (failure == status::InsufficientBuffer)
        return "Could not add 'Everyone' to the default share security!";
    return "Could not find SID of 'Everyone'!";
}

std::optional<Acl> everyoneFullControlAcl() {
    const auto everyone = wellKnownAccountByName(u"Everyone");
    if (!everyone)
        return std::nullopt;
    return AddAceToAcl(ExplicitAllow, std::nullopt, everyone->sid, GenericAll);
}

} // namespace corvane
