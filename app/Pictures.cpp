#include "Pictures.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>

namespace corvane {

namespace {

// Every picture is made at 16 pixels and again at 32, so that lists stay sharp at a scale
// factor of 2.
constexpr int Sizes[] = {16, 32};

// The icon's picture of exactly size x size device pixels, whatever the screen's scale.
QPixmap at(const QIcon& icon, int size) {
    QPixmap pixmap = icon.pixmap(QSize(size, size), 1.0);
    if (!pixmap.isNull() && pixmap.size() != QSize(size, size))
        pixmap = pixmap.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(1.0);
    return pixmap;
}

QPixmap themedAt(const QStringList& names, QChar fallbackLetter, QColor fallbackColour, int size) {
    for (const QString& name : names) {
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull()) {
            const QPixmap pixmap = at(icon, size);
            if (!pixmap.isNull())
                return pixmap;
        }
    }
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    p.setBrush(fallbackColour);
    p.setPen(fallbackColour.darker(160));
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString(fallbackLetter));
    return pixmap;
}

// One picture at both sizes, each made by `make`.
template <typename Make> QIcon bothSizes(Make make) {
    QIcon icon;
    for (int size : Sizes)
        icon.addPixmap(make(size));
    return icon;
}

QIcon themed(const QStringList& names, QChar fallbackLetter, QColor fallbackColour) {
    return bothSizes(
        [&](int size) { return themedAt(names, fallbackLetter, fallbackColour, size); });
}

QPixmap greyed(const QPixmap& source) {
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb px = image.pixel(x, y);
            const int grey = (qGray(px) + 2 * 192) / 3;
            image.setPixel(x, y, qRgba(grey, grey, grey, qAlpha(px)));
        }
    }
    return QPixmap::fromImage(image);
}

// The checker pattern keeps its 16-pixel grid at every size.
QPixmap dithered(const QPixmap& source) {
    QImage image = greyed(source).toImage();
    const int cell = std::max(1, image.width() / 16);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x / cell + y / cell) % 2)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

// The hand that marks a shared object: an open palm held under the bottom-left corner, drawn on
// a 16-unit grid.
QPixmap withSharingHand(const QPixmap& source) {
    const int size = source.width();
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.scale(size / 16.0, size / 16.0);
    p.drawPixmap(QRectF(2, 0, 14, 14), source, QRectF(source.rect()));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath hand;
    hand.moveTo(0, 11);
    hand.lineTo(4, 11);
    hand.cubicTo(7, 10, 10, 10, 12, 12);
    hand.lineTo(13, 13.5);
    hand.lineTo(8, 13.5);
    hand.lineTo(8, 15.5);
    hand.lineTo(0, 15.5);
    hand.closeSubpath();
    p.setPen(QPen(QColor(90, 50, 20), 1));
    p.setBrush(QColor(255, 214, 160));
    p.drawPath(hand);
    p.setBrush(QColor(40, 90, 200));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(0, 11, 2.5, 4.5)); // the sleeve
    return pixmap;
}

} // namespace

ImageList makeImageList() {
    // A desktop without an icon theme of its own still gets real pictures.
    if (QIcon::fromTheme(QStringLiteral("folder")).isNull()) {
        for (const char* theme : {"breeze", "Adwaita"}) {
            QIcon::setThemeName(QString::fromLatin1(theme));
            if (!QIcon::fromTheme(QStringLiteral("folder")).isNull())
                break;
        }
    }
    const QIcon computer = themed({"computer", "video-display"}, 'C', Qt::darkCyan);
    const QIcon drive = themed({"drive-harddisk", "drive-removable-media"}, 'D', Qt::darkGray);
    const QIcon folder = themed({"folder"}, 'F', QColor(220, 170, 40));
    const QIcon printer = themed({"printer", "document-print"}, 'P', Qt::darkBlue);
    const QIcon person = themed({"user-identity", "im-user", "avatar-default"}, 'U', Qt::darkGreen);
    const QIcon persons = themed({"system-users", "user-group-properties", "system-users-symbolic"},
                                 'G', QColor(0, 110, 60));
    const auto derived = [](const QIcon& source, QPixmap (*change)(const QPixmap&)) {
        return bothSizes([&](int size) { return change(at(source, size)); });
    };

    QVector<QIcon> icons(ImageList::Count);
    icons[0] = themed({"start-here", "distributor-logo", "emblem-system"}, 'W', Qt::darkRed);
    icons[1] = themed({"video-display", "preferences-desktop-display"}, 'M', Qt::darkCyan);
    icons[2] = themed({"preferences-desktop-display", "preferences-system"}, 'T', Qt::darkCyan);
    icons[ImageList::DiskDrive] = drive;
    icons[ImageList::OpenFolder] = themed({"folder-open"}, 'O', QColor(230, 180, 60));
    icons[ImageList::ClosedFolder] = folder;
    icons[6] = themed({"computer", "computer-symbolic"}, 'C', Qt::darkCyan);
    icons[7] = themed({"folder-documents"}, 'F', QColor(220, 170, 40));
    icons[8] = themed({"folder-remote", "network-server", "drive-harddisk"}, 'N', Qt::darkGray);
    icons[9] = themed({"document-open", "folder-open"}, 'O', QColor(230, 180, 60));
    icons[10] = themed({"network-workgroup", "network-server"}, 'N', Qt::darkBlue);
    icons[11] = themed({"network-wired", "network-server"}, 'N', Qt::darkBlue);
    icons[12] = themed({"dialog-password", "password-manager", "document-encrypt"}, 'K',
                       QColor(200, 160, 0));
    icons[13] = printer;
    icons[ImageList::Computer] = computer;
    icons[ImageList::User] = person;
    icons[ImageList::Group] = persons;
    icons[17] = themed({"window", "applications-other", "preferences-system-windows"}, 'A',
                       Qt::darkMagenta);
    icons[18] = derived(computer, greyed);
    icons[19] = derived(computer, dithered);
    icons[20] = derived(computer, dithered);
    icons[21] = derived(person, greyed);
    icons[22] = derived(persons, greyed);
    icons[ImageList::DriveShare] = derived(drive, withSharingHand);
    icons[ImageList::FolderShare] = derived(folder, withSharingHand);
    icons[ImageList::PrinterShare] = derived(printer, withSharingHand);
    return ImageList(std::move(icons));
}

} // namespace corvane
