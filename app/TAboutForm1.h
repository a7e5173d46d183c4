#pragma once

#include <QDialog>

class QLabel;

namespace corvane {

// The about box: a borderless picture of the product's name, version and maker's notice,
// centred on the screen, closed by a click anywhere on it.
class TAboutForm1 : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm1(QWidget* parent = nullptr);

    void FormClick();

    static QPixmap drawPicture();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* Image1;
};

} // namespace corvane
