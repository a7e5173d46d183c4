#pragma once

#include "ImageList.h"
#include "platform/ShareInfo.h"
#include "platform/ShareService.h"

#include <QString>

class QTreeWidget;

namespace corvane {

// The picture of a share's row, from its whole type value and its path.
int shareImageIndex(const ShareInfo502& share);

enum class FillOrder { ByName, AsServed };

// Empties `list` and fills it with one row per share of `computer`: caption = name, column 1
// = path, column 2 = comment, picture by type and path. Calls the service again while it
// answers MoreData. Returns false when any enumeration call fails; the rows read before the
// failure stay. ByName leaves the rows in share-name order (locale-aware, case-sensitive), as
// the main list keeps them; AsServed keeps the service's order.
bool FillSharesList(ShareService& service, const QString& computer, QTreeWidget* list,
                    const ImageList& images, FillOrder order = FillOrder::ByName);

} // namespace corvane
