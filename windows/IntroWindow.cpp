#include "windows/IntroWindow.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "windows/Placement.h"
#include "windows/ScreenFit.h"

namespace k7 {

QPixmap introPicture(double scale, double dpr) {
    const QSize size(static_cast<int>(kIntroWidth * scale), static_cast<int>(kIntroHeight * scale));
    QPixmap pm(size * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(18, 52, 96));
    sky.setColorAt(1, QColor(40, 110, 170));
    p.fillRect(QRect(0, 0, kIntroWidth, kIntroHeight), sky);

    // Tank with liquid.
    p.setPen(QPen(QColor(220, 225, 230), 3));
    p.setBrush(QColor(255, 255, 255, 30));
    p.drawRect(300, 120, 170, 160);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 170, 230, 200));
    p.drawRect(302, 205, 167, 74);

    // Sensor head and its sound cone.
    p.setBrush(QColor(230, 230, 230));
    p.setPen(QPen(QColor(60, 60, 60), 2));
    p.drawRoundedRect(360, 70, 50, 40, 6, 6);
    p.drawRect(372, 50, 26, 20);
    p.setPen(QPen(QColor(255, 255, 255, 160), 2, Qt::DashLine));
    for (int r = 30; r <= 90; r += 30)
        p.drawArc(385 - r, 110 - r, 2 * r, 2 * r, -60 * 16, -60 * 16);
    QPainterPath cone;
    cone.moveTo(385, 110);
    cone.lineTo(345, 205);
    cone.lineTo(425, 205);
    cone.closeSubpath();
    p.fillPath(cone, QColor(255, 255, 255, 40));

    p.setPen(Qt::white);
    // Pixel sizes: the picture is drawn in its own 520 x 300 units, whatever the font scaling.
    QFont title("Sans");
    title.setPixelSize(40);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRect(24, 40, 300, 60), Qt::AlignLeft | Qt::AlignVCenter, "K-7700");
    QFont sub("Sans");
    sub.setPixelSize(17);
    p.setFont(sub);
    p.drawText(QRect(24, 100, 280, 60), Qt::AlignLeft | Qt::TextWordWrap,
               "Smart Ultrasonic Distance Sensor");
    QFont small("Sans");
    small.setPixelSize(13);
    p.setFont(small);
    p.drawText(QRect(24, 240, 270, 40), Qt::AlignLeft | Qt::TextWordWrap,
               "Configuration and diagnostic software");
    return pm;
}

IntroWindow::IntroWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmIntro");
    setWindowTitle("Introductory Picture");
    picture_ = new QLabel(this);
    picture_->setObjectName("IntroPicture");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    // Smaller on a screen that has not the room for it whole, frame included.
    const QSize room = availableArea(this).size() - frameAllowance(this);
    showPicture(
        std::min({1.0, room.width() / double(kIntroWidth), room.height() / double(kIntroHeight)}));
    centreOn(this, availableArea(this));
}

void IntroWindow::showPicture(double scale) {
    picture_->setPixmap(introPicture(scale, devicePixelRatioF()));
    setFixedSize(picture_->pixmap().deviceIndependentSize().toSize());
}

void IntroWindow::keepClearOf(const QRect& other) {
    // Smaller than this the product name is no longer readable.
    constexpr double kSmallest = 0.33;
    const QSize frame = frameGeometry().size() - size();
    const QSize full(kIntroWidth, kIntroHeight);
    const QRect spot =
        placeClearOf(other, full + frame, availableArea(this), full * kSmallest + frame);
    if (spot.isEmpty()) {
        hide();
        return;
    }
    const QSize room = spot.size() - frame;
    showPicture(
        std::min({1.0, room.width() / double(kIntroWidth), room.height() / double(kIntroHeight)}));
    move(spot.x() + (spot.width() - frameGeometry().width()) / 2,
         spot.y() + (spot.height() - frameGeometry().height()) / 2);
    show();
}

}  // namespace k7
