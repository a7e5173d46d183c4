#include "ImageList.h"

#include <QTreeWidgetItem>

namespace corvane {

void setItemImage(QTreeWidgetItem* item, const ImageList& images, int index) {
    item->setData(0, ImageIndexRole, index);
    item->setIcon(0, images.icon(index));
}

void setItemImage(QTreeWidgetItem* item, const ImageList& images, int index, int selectedIndex) {
    item->setData(0, ImageIndexRole, index);
    item->setData(0, SelectedImageIndexRole, selectedIndex);
    QIcon icon = images.icon(index);
    const QIcon selected = images.icon(selectedIndex);
    for (const QSize& size : selected.availableSizes())
        icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    item->setIcon(0, icon);
}

int itemImage(const QTreeWidgetItem* item) {
    const QVariant v = item->data(0, ImageIndexRole);
    return v.isValid() ? v.toInt() : -1;
}

int itemSelectedImage(const QTreeWidgetItem* item) {
    const QVariant v = item->data(0, SelectedImageIndexRole);
    return v.isValid() ? v.toInt() : itemImage(item);
}

} // namespace corvane
