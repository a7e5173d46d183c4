// A share file as the import reads it, from anywhere. Whatever it accepts must write back into
// a file that reads again to the same shares.
#include "backup/ShareFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto read = readShareFile(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (!read.file) {
        if (read.error.isEmpty())
            std::abort();
        return 0;
    }
    const auto again = readShareFile(writeShareFile(*read.file));
    // The file keeps the time to the second.
    if (!again.file || again.file->shares != read.file->shares ||
        again.file->computer != read.file->computer ||
        again.file->exported.toSecsSinceEpoch() != read.file->exported.toSecsSinceEpoch())
        std::abort();
    return 0;
}
