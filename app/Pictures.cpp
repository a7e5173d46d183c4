#include "Pictures.h"

#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace corvane {

namespace {

constexpr int Size = 16;

QPixmap themed(const QStringList& names, QChar fallbackLetter, QColor fallbackColour) {
    for (const QString& name : names) {
        const QIcon icon = QIcon::fromTheme(name);
        if (!icon.isNull()) {
            const QPixmap pixmap = icon.pixmap(Size, Size);
            if (!pixmap.isNull())
                return pixmap;
        }
    }
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(fallbackColour);
    p.setPen(fallbackColour.darker(160));
    p.drawRoundedRect(QRectF(0.5, 0.5, Size - 1, Size - 1), 3, 3);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, Size, Size), Qt::AlignCenter, QString(fallbackLetter));
    return pixmap;
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

QPixmap dithered(const QPixmap& source) {
    QImage image = greyed(source).toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x + y) % 2)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

// The hand that marks a shared object: an open palm held under the bottom-left corner.
QPixmap withSharingHand(const QPixmap& source) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.drawPixmap(QRect(2, 0, Size - 2, Size - 2), source);
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
    const QPixmap computer = themed({"computer", "video-display"}, 'C', Qt::darkCyan);
    const QPixmap drive = themed({"drive-harddisk", "drive-removable-media"}, 'D', Qt::darkGray);
    const QPixmap folder = themed({"folder"}, 'F', QColor(220, 170, 40));
    const QPixmap printer = themed({"printer", "document-print"}, 'P', Qt::darkBlue);
    const QPixmap person =
        themed({"user-identity", "im-user", "avatar-default"}, 'U', Qt::darkGreen);
    const QPixmap persons =
        themed({"system-users", "user-group-properties", "system-users-symbolic"}, 'G',
               QColor(0, 110, 60));

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
    icons[18] = greyed(computer);
    icons[19] = dithered(computer);
    icons[20] = dithered(computer);
    icons[21] = greyed(person);
    icons[22] = greyed(persons);
    icons[ImageList::DriveShare] = withSharingHand(drive);
    icons[ImageList::FolderShare] = withSharingHand(folder);
    icons[ImageList::PrinterShare] = withSharingHand(printer);
    return ImageList(std::move(icons));
}

} // namespace corvane
