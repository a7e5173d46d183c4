#pragma once

#include "Status.h"

#include <string>
#include <vector>

namespace corvane {

// Directory listing through a computer's administrative drive shares.
class DirectoryService {
public:
    virtual ~DirectoryService() = default;
    // Lists the sub-directories of `nodePath` on `server`, where nodePath is a drive share
    // followed by a path, each part ending in a backslash ("C$\", "D$\Work\"). Keeps only
    // directories whose names do not begin with "."; hidden and system directories are kept.
    // Names come in the order the server gives them. No length limit applies to the path.
    virtual Status listDirectories(const std::u16string& server, const std::u16string& nodePath,
                                   std::vector<std::u16string>& names) = 0;
};

} // namespace corvane
