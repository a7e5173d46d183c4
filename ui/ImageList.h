#pragma once

#include <QIcon>
#include <QVector>

class QTreeWidgetItem;

namespace corvane {

// The main window's 26 pictures of 16 x 16, shared by every list and the directory tree.
// Index -1 means no picture.
class ImageList {
public:
    static constexpr int Count = 26;
    static constexpr int DiskDrive = 3;
    static constexpr int OpenFolder = 4;
    static constexpr int ClosedFolder = 5;
    static constexpr int Computer = 14;
    static constexpr int User = 15;
    static constexpr int Group = 16;
    static constexpr int DriveShare = 23;
    static constexpr int FolderShare = 24;
    static constexpr int PrinterShare = 25;

    ImageList() = default;
    explicit ImageList(QVector<QIcon> icons) : m_icons(std::move(icons)) {}
    QIcon icon(int index) const {
        return index >= 0 && index < m_icons.size() ? m_icons[index] : QIcon();
    }
    int count() const { return static_cast<int>(m_icons.size()); }

private:
    QVector<QIcon> m_icons;
};

// The index a row or node shows is kept in this role of column 0, so that code and tests can
// read it back.
inline constexpr int ImageIndexRole = 0x0100 + 50;
// The index shown while the row or node is selected, when it differs.
inline constexpr int SelectedImageIndexRole = ImageIndexRole + 1;

void setItemImage(QTreeWidgetItem* item, const ImageList& images, int index);
// Picture `index`, and picture `selectedIndex` while the item is selected.
void setItemImage(QTreeWidgetItem* item, const ImageList& images, int index, int selectedIndex);
int itemImage(const QTreeWidgetItem* item);
int itemSelectedImage(const QTreeWidgetItem* item);

} // namespace corvane
