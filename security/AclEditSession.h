#pragma once

#include "platform/Acl.h"
#include "platform/Sid.h"
#include "shares/ShareRights.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// What a users-list caption shows for an account whose domain is empty.
enum class EmptyDomain {
    NameAlone, // "{name}": the rows filled from a list
    Kept,      // "{name} (\{name})": the security dialog's added rows
};

// Caption of a users-list row: "{name} ({domain}\{name})".
std::u16string accountCaption(std::u16string_view name, std::u16string_view domain,
                              EmptyDomain emptyDomain = EmptyDomain::NameAlone);

// The editing rules of the users list and permission panel, over an access list the session
// does not own (the main window's CurrentAcl or the security dialog's Acl) and the entry the
// panel edits. The session keeps the state of the six boxes; a form shows them and forwards
// its users' clicks, selections, additions and removals.
//
// A box changed here runs its handler at once, and only when its state changes: a handler
// first moves other boxes (whose handlers run and finish first), then writes the selected
// entry, so the outermost handler's write is the last one.
class AclEditSession {
public:
    enum class Box {
        AllowFullControl,
        AllowChange,
        AllowRead,
        DenyFullControl,
        DenyChange,
        DenyRead
    };
    static constexpr std::size_t BoxCount = 6;
    using Boxes = std::array<bool, BoxCount>;

    struct Options {
        // Main window: the file-specific masks are recognised too.
        bool fileSpecificMasks = false;
        // Main window: selecting a user while there is no list shows Full Control.
        bool noListMeansFullControl = false;
    };

    enum class ClickResult {
        Done,
        // A replacement of the user's entries could not be built: the list is as it was before
        // the click, and the boxes show the user's entries again.
        ReplacementFailed,
    };

    enum class RemoveResult {
        Removed,
        NoList,          // there is no list to remove from
        EntryUnreadable, // an entry before the user's could not be read
        DeletionFailed,  // no entry of the user is left, or it could not be deleted
    };

    explicit AclEditSession(Options options) : m_options(options) {}

    // The list edited; it must outlive the session or be re-bound. Binding forgets the
    // selected entry.
    void bind(std::optional<Acl>* acl);
    std::optional<Acl>* list() const { return m_acl; }

    // A user's row became selected (its SID; none when the row's SID cannot be read). The
    // boxes show every entry of the user, without changing any, and the panel edits the last.
    void select(const std::optional<Sid>& sid);
    // The selected row stopped being selected: no entry is edited and every box is clear.
    void deselect();
    // Whether a user's row is selected, so that the panel is open for editing.
    bool userSelected() const { return m_userSelected; }

    // Index of the entry the panel edits, inside the list.
    std::optional<std::size_t> selectedAce() const { return m_selectedAce; }
    const Boxes& boxes() const { return m_boxes; }

    // The user set `box` to `tick`: the cascade runs and writes the selected entry, or
    // rebuilds the user's entries when the entry is of the other column's type.
    ClickResult click(Box box, bool tick);

    // Adds an allowed Full Control entry for `sid` after the leading explicit deny run,
    // building a list when there is none. The selected entry stays designated. False when the
    // entry could not be added; the list is then unchanged.
    bool add(const Sid& sid);

    // Removes the first entry of the user `sid`; on success nothing stays selected.
    RemoveResult remove(const std::optional<Sid>& sid);

private:
    static constexpr std::size_t index(Box box) { return static_cast<std::size_t>(box); }
    bool hasList() const { return m_acl && *m_acl; }
    // Moves a box; when its state changes, its handler runs before this returns.
    void set(Box box, bool tick);
    void boxChanged(Box box, bool tick);
    void showEntries();
    std::optional<std::uint8_t> selectedType() const;
    void setSelectedMask(std::uint8_t columnType, std::uint32_t mask);
    void tickedFor(bool allowSide, std::uint32_t mask);
    void replaceEntries(bool allowSide, std::uint32_t mask);

    Options m_options;
    std::optional<Acl>* m_acl = nullptr;
    Boxes m_boxes{};
    std::optional<std::size_t> m_selectedAce;
    bool m_userSelected = false;
    std::optional<Sid> m_selectedSid;
    // While a user's entries are being shown the cascades only move boxes.
    bool m_showing = false;
    bool m_replacementFailed = false;
};

} // namespace corvane
