#include "AclEditSession.h"

#include "AclBuilding.h"

#include <array>
#include <optional>

namespace corvane {

std::u16string accountCaption(std::u16string_view name, std::u16string_view domain,
                              EmptyDomain emptyDomain) {
    std::u16string caption(name);
    if (domain.empty() && emptyDomain == EmptyDomain::NameAlone)
        return caption;
    caption += u" (";
    caption += domain;
    caption += u'\\';
    caption += name;
    caption += u')';
    return caption;
}

namespace {

using Box = AclEditSession::Box;

Box boxFor(bool allow, Permission permission) {
    switch (permission) {
    case Permission::Change:
        return allow ? Box::AllowChange : Box::DenyChange;
    case Permission::Read:
        return allow ? Box::AllowRead : Box::DenyRead;
    case Permission::FullControl:
    case Permission::None:
        break;
    }
    return allow ? Box::AllowFullControl : Box::DenyFullControl;
}

} // namespace

void AclEditSession::bind(std::optional<Acl>* acl) {
    m_acl = acl;
    m_selectedAce.reset();
}

void AclEditSession::select(const std::optional<Sid>& sid) {
    m_userSelected = true;
    m_selectedSid = sid;
    if (m_options.noListMeansFullControl && !hasList()) {
        set(Box::AllowFullControl, true);
        return;
    }
    showEntries();
}

void AclEditSession::deselect() {
    m_selectedAce.reset();
    m_userSelected = false;
    m_selectedSid.reset();
    set(Box::AllowRead, false);
    set(Box::DenyRead, false);
}

void AclEditSession::showEntries() {
    // Showing a user never changes the list: with several entries for one user the cascades
    // would otherwise rewrite the earlier entry while the later one is being shown.
    m_showing = true;
    set(Box::AllowRead, false);
    set(Box::DenyRead, false);
    if (m_selectedSid && hasList()) {
        const Acl& acl = **m_acl;
        for (std::size_t i = 0; i < acl.aceCount(); ++i) {
            const auto ace = acl.ace(i);
            if (!ace || !ace->isAllowedOrDenied() || ace->sid != m_selectedSid)
                continue;
            const bool allow = ace->type == AccessAllowedAceType;
            const Permission p = recognisedPermission(ace->mask, m_options.fileSpecificMasks);
            set(boxFor(allow, p), p != Permission::None);
            m_selectedAce = i;
        }
    }
    m_showing = false;
}

void AclEditSession::set(Box box, bool tick) {
    if (m_boxes[index(box)] == tick)
        return;
    m_boxes[index(box)] = tick;
    boxChanged(box, tick);
}

AclEditSession::ClickResult AclEditSession::click(Box box, bool tick) {
    if (!m_acl) {
        set(box, tick);
        return ClickResult::Done;
    }
    // The list as it was before the click comes back when a replacement could not be built,
    // so that a click never takes away entries it did not replace.
    const std::optional<Acl> before = *m_acl;
    m_replacementFailed = false;
    set(box, tick);
    if (!m_replacementFailed)
        return ClickResult::Done;
    m_replacementFailed = false;
    // The masks the nested handlers wrote go as well: the user's entries stay as they were.
    *m_acl = before;
    if (m_userSelected)
        showEntries();
    return ClickResult::ReplacementFailed;
}

namespace {

// What a box moves before it writes its own column: ticked, the lesser box of its column is
// ticked and the boxes it rules out are cleared; cleared, the greater box is cleared. Then its
// column's mask becomes `ticked` or `cleared`.
struct Cascade {
    std::optional<AclEditSession::Box> lesser;
    std::array<std::optional<AclEditSession::Box>, 2> rulesOut;
    bool allowSide;
    std::uint32_t ticked;
    std::optional<AclEditSession::Box> greater;
    std::uint32_t cleared;
};

const Cascade& cascadeOf(AclEditSession::Box box) {
    using B = AclEditSession::Box;
    static const std::array<Cascade, 6> table{{
        {B::AllowChange, {B::DenyRead, {}}, true, GenericAll, {}, GenericWrite},
        {B::AllowRead, {B::DenyRead, {}}, true, GenericWrite, B::AllowFullControl, GenericRead},
        {{}, {B::DenyRead, {}}, true, GenericRead, B::AllowChange, 0},
        {B::DenyChange, {B::AllowRead, {}}, false, GenericAll, {}, GenericWrite},
        {B::DenyRead, {B::AllowRead, {}}, false, GenericWrite, B::DenyFullControl, GenericRead},
        {{}, {B::AllowFullControl, B::AllowRead}, false, GenericRead, B::DenyChange, 0},
    }};
    return table[static_cast<std::size_t>(box)];
}

} // namespace

void AclEditSession::boxChanged(Box box, bool tick) {
    const Cascade& c = cascadeOf(box);
    if (tick) {
        if (c.lesser)
            set(*c.lesser, true);
        for (const auto& other : c.rulesOut)
            if (other)
                set(*other, false);
        tickedFor(c.allowSide, c.ticked);
    } else {
        if (c.greater)
            set(*c.greater, false);
        setSelectedMask(c.allowSide ? AccessAllowedAceType : AccessDeniedAceType, c.cleared);
    }
}

std::optional<std::uint8_t> AclEditSession::selectedType() const {
    if (!m_selectedAce || !hasList())
        return std::nullopt;
    const auto ace = (*m_acl)->ace(*m_selectedAce);
    if (!ace || !ace->isAllowedOrDenied())
        return std::nullopt;
    return ace->type;
}

void AclEditSession::setSelectedMask(std::uint8_t columnType, std::uint32_t mask) {
    if (m_showing || selectedType() != columnType)
        return;
    (*m_acl)->setMask(*m_selectedAce, mask);
}

// A box of the Allow (or Deny) column became ticked: the selected entry takes the mask when
// it is of that column's type, otherwise the user's entries are rebuilt.
void AclEditSession::tickedFor(bool allowSide, std::uint32_t mask) {
    const auto type = selectedType();
    if (m_showing || !type)
        return;
    if (*type == (allowSide ? AccessAllowedAceType : AccessDeniedAceType))
        (*m_acl)->setMask(*m_selectedAce, mask);
    else
        replaceEntries(allowSide, mask);
}

void AclEditSession::replaceEntries(bool allowSide, std::uint32_t mask) {
    const auto selected = (*m_acl)->ace(*m_selectedAce);
    if (!selected || !selected->sid)
        return;
    const Sid sid = *selected->sid;
    // The entries go from a copy: the list changes only once the new one is built.
    std::optional<Acl> without = **m_acl;
    // Allow side: every entry of the user goes; deny side: only the allowed ones.
    for (std::size_t i = 0; i < without->aceCount();) {
        const auto ace = without->ace(i);
        if (ace && ace->isAllowedOrDenied() && ace->sid == sid &&
            (allowSide || ace->type == AccessAllowedAceType)) {
            if (without->deleteAce(i))
                continue;
        }
        ++i;
    }
    auto rebuilt = AddAceToAcl(allowSide ? ExplicitAllow : ExplicitDeny, without, sid, mask);
    if (!rebuilt) {
        m_replacementFailed = true;
        return;
    }
    m_selectedAce.reset();
    *m_acl = std::move(*rebuilt);
    // Designate the new entry, so the outer handlers of the same cascade act on it.
    const std::uint8_t type = allowSide ? AccessAllowedAceType : AccessDeniedAceType;
    for (std::size_t i = 0; i < (*m_acl)->aceCount(); ++i) {
        const auto ace = (*m_acl)->ace(i);
        if (ace && ace->type == type && ace->sid == sid) {
            m_selectedAce = i;
            break;
        }
    }
}

bool AclEditSession::add(const Sid& sid) {
    if (!m_acl)
        return false;
    // The new entry goes after the leading explicit deny run; a selected entry at or after
    // that place moves down by one.
    std::size_t insertedAt = 0;
    if (*m_acl) {
        while (insertedAt < (*m_acl)->aceCount()) {
            const auto ace = (*m_acl)->ace(insertedAt);
            if (!ace || ace->type != AccessDeniedAceType || (ace->flags & InheritedAce))
                break;
            ++insertedAt;
        }
    }
    auto added = AddAceToAcl(ExplicitAllow, *m_acl, sid, GenericAll);
    if (!added)
        return false;
    *m_acl = std::move(*added);
    if (m_selectedAce && *m_selectedAce >= insertedAt)
        ++*m_selectedAce;
    return true;
}

AclEditSession::RemoveResult AclEditSession::remove(const std::optional<Sid>& sid) {
    if (!hasList())
        return RemoveResult::NoList;
    Acl& acl = **m_acl;
    std::size_t i = 0;
    for (; i < acl.aceCount(); ++i) {
        const auto ace = acl.ace(i);
        if (!ace)
            return RemoveResult::EntryUnreadable;
        if (ace->isAllowedOrDenied() && sid && ace->sid == sid)
            break;
    }
    if (!acl.deleteAce(i))
        return RemoveResult::DeletionFailed;
    deselect();
    return RemoveResult::Removed;
}

} // namespace corvane
