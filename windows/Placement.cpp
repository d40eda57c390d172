#include "windows/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace k7 {
namespace {
constexpr int kGap = 8;
}

QRect placeClearOf(const QRect& avoid, const QSize& want, const QRect& screen, const QSize& least) {
    const QRect bands[] = {
        QRect(QPoint(screen.left(), screen.top()),
              QPoint(screen.right(), avoid.top() - 1 - kGap)),  // above
        QRect(QPoint(screen.left(), avoid.bottom() + 1 + kGap),
              QPoint(screen.right(), screen.bottom())),  // below
        QRect(QPoint(screen.left(), screen.top()),
              QPoint(avoid.left() - 1 - kGap, screen.bottom())),  // left
        QRect(QPoint(avoid.right() + 1 + kGap, screen.top()),
              QPoint(screen.right(), screen.bottom())),  // right
    };
    // The band that holds the most of the window, as area of the part that fits.
    QRect best;
    long long bestArea = 0;
    for (const QRect& band : bands) {
        const QSize fits(std::min(want.width(), band.width()),
                         std::min(want.height(), band.height()));
        if (fits.width() < least.width() || fits.height() < least.height()) continue;
        const long long area = static_cast<long long>(fits.width()) * fits.height();
        if (area > bestArea) {
            bestArea = area;
            best = QRect(QPoint(band.x() + (band.width() - fits.width()) / 2,
                                band.y() + (band.height() - fits.height()) / 2),
                         fits);
        }
    }
    return best;
}

void keepInside(QWidget* window, const QRect& area) {
    const QSize frame = window->frameGeometry().size() - window->size();
    window->resize(window->size().boundedTo(area.size() - frame));
    const QRect f = window->frameGeometry();
    window->move(std::clamp(f.x(), area.x(), area.right() + 1 - f.width()),
                 std::clamp(f.y(), area.y(), area.bottom() + 1 - f.height()));
}

QRect availableArea(const QWidget* w) {
    QScreen* s = w ? w->screen() : nullptr;
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void centreOn(QWidget* window, const QRect& area) {
    const QRect screen = availableArea(window);
    // Before the first show the frame is not known: the window's own size stands for it.
    const QSize size = window->frameGeometry().size();
    const int x = area.x() + (area.width() - size.width()) / 2;
    const int y = area.y() + (area.height() - size.height()) / 2;
    window->move(std::max({0, screen.x(), std::min(x, screen.right() + 1 - size.width())}),
                 std::max({0, screen.y(), std::min(y, screen.bottom() + 1 - size.height())}));
}

}  // namespace k7
