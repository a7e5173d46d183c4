#include "ShareRights.h"

#include "platform/Acl.h"

namespace corvane {

Permission recognisedPermission(std::uint32_t mask, bool fileSpecificMasks) {
    switch (mask) {
    case GenericAll:
        return Permission::FullControl;
    case GenericWrite:
        return Permission::Change;
    case GenericRead:
        return Permission::Read;
    default:
        break;
    }
    if (!fileSpecificMasks)
        return Permission::None;
    // Samba keeps the generic right of an entry written with one and adds the file rights it
    // stands for, so the program's own entries come back as e.g. 0x101F01FF.
    switch (mask) {
    case 0x001F01FF:
    case GenericAll | 0x001F01FF:
        return Permission::FullControl;
    case 0x00100116:
    case 0x00120116:
    case GenericWrite | 0x00120116:
        return Permission::Change;
    case 0x00120089:
    case 0x001200A9:
    case GenericRead | 0x00120089:
        return Permission::Read;
    default:
        return Permission::None;
    }
}

} // namespace corvane
