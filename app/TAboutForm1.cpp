#include "TAboutForm1.h"

#include "app/Version.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace corvane {

TAboutForm1::TAboutForm1(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("AboutForm1"));
    setWindowTitle(QStringLiteral("About..."));
    setFixedSize(304, 201);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(drawPicture());
    Image1->setGeometry(0, 0, 304, 201);
    Image1->installEventFilter(this);
}

QPixmap TAboutForm1::drawPicture() {
    // Drawn at the screen's scale, so that it stays sharp on a high-density screen.
    const qreal scale = qApp->devicePixelRatio();
    QPixmap picture(QSize(304, 201) * scale);
    picture.setDevicePixelRatio(scale);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, 201);
    sky.setColorAt(0, QColor(18, 52, 96));
    sky.setColorAt(1, QColor(64, 128, 176));
    p.fillRect(QRect(0, 0, 304, 201), sky);
    p.setRenderHint(QPainter::Antialiasing);
    // A stylised folder with a hand beneath it: the picture the program uses for shares.
    p.setBrush(QColor(240, 200, 80));
    p.setPen(QPen(QColor(120, 90, 20), 2));
    p.drawRoundedRect(QRectF(24, 48, 64, 46), 5, 5);
    p.drawRect(QRectF(24, 42, 26, 10));
    p.setBrush(QColor(250, 220, 180));
    p.setPen(QPen(QColor(130, 80, 50), 2));
    p.drawEllipse(QRectF(16, 88, 40, 18));
    p.drawRect(QRectF(8, 92, 14, 12));
    p.setPen(Qt::white);
    QFont title = p.font();
    title.setPointSize(26);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(104, 36, 190, 48), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(version::productName));
    QFont body = p.font();
    body.setPointSize(10);
    body.setBold(false);
    p.setFont(body);
    p.drawText(QRectF(106, 84, 190, 20), Qt::AlignLeft,
               QStringLiteral("Version %1").arg(QString::fromUtf8(version::titleVersion)));
    body.setPointSize(9);
    p.setFont(body);
    p.drawText(QRectF(106, 106, 190, 50), Qt::AlignLeft | Qt::TextWordWrap,
               QString::fromUtf8(version::fileDescription));
    body.setPointSize(8);
    p.setFont(body);
    p.drawText(QRectF(12, 160, 280, 32), Qt::AlignLeft | Qt::TextWordWrap,
               QStringLiteral("Copyright \u00A9 %1. All rights reserved.")
                   .arg(QString::fromUtf8(version::organization)));
    p.end();
    return picture;
}

void TAboutForm1::FormClick() {
    reject();
}

void TAboutForm1::mousePressEvent(QMouseEvent* event) {
    event->accept();
    FormClick();
}

bool TAboutForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        FormClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutForm1::showEvent(QShowEvent* event) {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace corvane
