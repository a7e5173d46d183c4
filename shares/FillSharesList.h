#pragma once

#include "platform/ShareInfo.h"
#include "platform/ShareService.h"
#include "ui/ImageList.h"

#include <QString>

#include <cstddef>

class QTreeWidget;

namespace corvane {

// The picture of a share's row, from its whole type value and its path.
int shareImageIndex(const ShareInfo502& share);

enum class FillOrder { ByName, AsServed };

// What one fill takes in total, far beyond any real server (each row costs much more memory
// here than its record on the wire): past either bound the server is broken or hostile.
struct FillLimits {
    std::size_t shares = 1'000'000;
    // UTF-16 bytes of names, paths and comments together.
    std::size_t textBytes = std::size_t{256} << 20;
};

// Empties `list` and fills it with one row per share of `computer`: caption = name, column 1
// = path, column 2 = comment, picture by type and path, as the service lists them for showing
// (ShareService::listShares). Calls the service again while it answers MoreData; the rows read
// so far show in the list meanwhile. Returns the status of the failed enumeration call when one
// fails; the rows read before the failure stay. A server that keeps answering "more" without
// new records fails with RpcProtocolError, the rows read staying; a fill that would pass
// `limits` fails with NotEnoughMemory and leaves the list empty. ByName leaves the rows in
// share-name order (locale-aware, case-sensitive), as the main list keeps them; AsServed keeps
// the service's order.
Status FillSharesList(ShareService& service, const QString& computer, QTreeWidget* list,
                      const ImageList& images, FillOrder order = FillOrder::ByName,
                      const FillLimits& limits = {});

} // namespace corvane
