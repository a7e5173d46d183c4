#include "ImageList.h"

#include <QTreeWidgetItem>

namespace corvane {

void setItemImage(QTreeWidgetItem* item, const ImageList& images, int index) {
    item->setData(0, ImageIndexRole, index);
    item->setIcon(0, images.icon(index));
}

int itemImage(const QTreeWidgetItem* item) {
    const QVariant v = item->data(0, ImageIndexRole);
    return v.isValid() ? v.toInt() : -1;
}

} // namespace corvane
