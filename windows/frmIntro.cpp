#include "windows/frmIntro.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

namespace k7 {

QPixmap introPicture() {
    QPixmap pm(520, 300);
    pm.fill(Qt::white);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(18, 52, 96));
    sky.setColorAt(1, QColor(40, 110, 170));
    p.fillRect(pm.rect(), sky);

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
    QFont title("Sans", 30, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(24, 40, 300, 60), Qt::AlignLeft | Qt::AlignVCenter, "K-7700");
    QFont sub("Sans", 13);
    p.setFont(sub);
    p.drawText(QRect(24, 100, 280, 60), Qt::AlignLeft | Qt::TextWordWrap,
               "Smart Ultrasonic Distance Sensor");
    QFont small("Sans", 10);
    p.setFont(small);
    p.drawText(QRect(24, 240, 270, 40), Qt::AlignLeft | Qt::TextWordWrap,
               "Configuration and diagnostic software");
    return pm;
}

frmIntro::frmIntro(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("frmIntro");
    setWindowTitle("Introductory Picture");
    auto* IntroPicture = new QLabel(this);
    IntroPicture->setObjectName("IntroPicture");
    IntroPicture->setPixmap(introPicture());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(IntroPicture);
    adjustSize();
    setFixedSize(sizeHint());
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        move(r.x() + (r.width() - width()) / 2, r.y() + (r.height() - height()) / 2);
    }
}

void frmIntro::keepClearOfCentre() {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect r = s->availableGeometry();
        // The progress window sits at the centre; stand above it.
        move(x(), std::max(r.y(), r.y() + r.height() / 2 - height() - 90));
    }
}

}  // namespace k7
