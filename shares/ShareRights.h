#pragma once

#include <cstdint>

namespace corvane {

// The rights a share grants, as the permission panel's boxes and the export name them.
enum class Permission { None, FullControl, Change, Read };

// Which right an entry's mask stands for. The main window also knows the file-specific masks; the
// security dialog only the three generic ones. Recognition is by equality of the whole mask.
Permission recognisedPermission(std::uint32_t mask, bool fileSpecificMasks);

} // namespace corvane
