#include "status/TrendPlot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <functional>

#include "common/NumberFormat.h"
#include "settings/Units.h"

namespace k7 {
namespace {

struct Band {
    QString title;
    QString unit;
    QColor colour;
    std::function<double(const TrendSample&)> value;  // NaN: no point
    double floorSpan;  // the least range shown, so noise does not fill the band
};

QString number(double v, const QString& unit = {}) {
    if (unit == "%") return QString::number(std::lround(v));
    const double a = std::abs(v);
    return QString::fromStdString(formatNumber(v, a >= 100 ? "##0" : (a >= 10 ? "#0.0" : "0.00")));
}

}  // namespace

TrendPlot::TrendPlot(QWidget* parent) : QWidget(parent) {
    setObjectName("TrendPlot");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TrendPlot::setSpanSeconds(int seconds) {
    spanSeconds_ = std::max(seconds, 1);
    update();
}

void TrendPlot::setEndUs(std::int64_t us) {
    endUs_ = us;
    update();
}

void TrendPlot::setUnits(int distanceUnit, int temperatureUnit) {
    distanceUnit_ = distanceUnit;
    temperatureUnit_ = temperatureUnit;
    update();
}

QSize TrendPlot::sizeHint() const {
    return {640, 440};
}

QSize TrendPlot::minimumSizeHint() const {
    const QFontMetrics fm(font());
    return {fm.horizontalAdvance("Temperature (Deg. C)") * 3, fm.height() * 16};
}

void TrendPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics fm(font());
    const int unit = distanceUnit_;
    const bool fahrenheit = temperatureUnit_ == kFahrenheit;
    const Band bands[] = {
        {"Distance", kUnitName[static_cast<std::size_t>(unit)], QColor(0, 90, 170),
         [unit](const TrendSample& s) { return inchesToUnit(s.inches, unit); },
         inchesToUnit(1, unit)},
        {"Current", "mA", QColor(190, 90, 0), [](const TrendSample& s) { return s.currentMa; },
         0.5},
        {"Temperature", kTempUnitName[fahrenheit ? 1 : 0], QColor(170, 30, 40),
         [fahrenheit](const TrendSample& s) {
             return fahrenheit ? celsiusToFahrenheit(s.temperatureC) : s.temperatureC;
         },
         2},
        {"Target strength", "%", QColor(30, 130, 60),
         [](const TrendSample& s) { return s.strength; }, 100},
    };

    const int left = fm.horizontalAdvance("00000.0") + 10;
    const int right = 12;
    const int top = 6;
    const int bottom = fm.height() + 10;  // the time axis
    const int bandCount = 4;
    const double bandHeight = (height() - top - bottom) / double(bandCount);
    const double plotWidth = width() - left - right;
    const std::int64_t spanUs = std::int64_t{spanSeconds_} * 1'000'000;
    const std::int64_t startUs = endUs_ - spanUs;
    auto xOf = [&](std::int64_t t) {
        return left + plotWidth * double(t - startUs) / double(spanUs);
    };

    // The samples in view: the buffer is in time order.
    std::size_t first = buffer_.size();
    while (first > 0 && buffer_[first - 1].timeUs >= startUs) --first;
    std::size_t last = buffer_.size();
    while (last > first && buffer_[last - 1].timeUs > endUs_) --last;

    for (int b = 0; b < bandCount; ++b) {
        const Band& band = bands[b];
        const QRectF area(left, top + b * bandHeight, plotWidth, bandHeight);
        const QRectF plot = area.adjusted(0, fm.height() + 4, 0, -4);
        double lo = INFINITY, hi = -INFINITY;
        double latest = NAN;
        for (std::size_t i = first; i < last; ++i) {
            const double v = band.value(buffer_[i]);
            if (std::isnan(v)) continue;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            latest = v;
        }
        if (lo > hi) lo = hi = 0;
        if (hi - lo < band.floorSpan) {
            const double mid = (hi + lo) / 2;
            lo = mid - band.floorSpan / 2;
            hi = mid + band.floorSpan / 2;
        }
        if (band.unit == "%") lo = 0, hi = 100;
        auto yOf = [&](double v) { return plot.bottom() - plot.height() * (v - lo) / (hi - lo); };

        p.setPen(QColor(225, 225, 225));
        p.drawRect(plot);
        p.setPen(Qt::black);
        const QString latestText = std::isnan(latest) ? "-" : number(latest, band.unit);
        p.drawText(QRectF(area.left(), area.top(), area.width(), fm.height() + 2),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   band.title + " (" + band.unit + "): " + latestText);
        p.setPen(Qt::darkGray);
        p.drawText(QRectF(0, plot.top() - fm.height() / 2.0, left - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, number(hi, band.unit));
        p.drawText(QRectF(0, plot.bottom() - fm.height() / 2.0, left - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, number(lo, band.unit));

        // A gap (no echo, a fault report) breaks the line.
        QPainterPath path;
        bool drawing = false;
        for (std::size_t i = first; i < last; ++i) {
            const double v = band.value(buffer_[i]);
            if (std::isnan(v)) {
                drawing = false;
                continue;
            }
            const QPointF pt(xOf(buffer_[i].timeUs), yOf(v));
            drawing ? path.lineTo(pt) : path.moveTo(pt);
            drawing = true;
        }
        p.setPen(QPen(band.colour, 1.6));
        p.save();
        p.setClipRect(plot.adjusted(-1, -1, 1, 1));
        p.drawPath(path);
        p.restore();
    }

    // Time axis: seconds before the right edge.
    p.setPen(Qt::darkGray);
    const int steps = 6;
    const double axisY = height() - bottom + 4;
    for (int i = 0; i <= steps; ++i) {
        const double x = left + plotWidth * i / steps;
        const int secondsBefore = spanSeconds_ * (steps - i) / steps;
        const QString label = i == steps ? "now" : QString("-%1 s").arg(secondsBefore);
        const int w = fm.horizontalAdvance(label);
        const double tx = std::clamp(x - w / 2.0, 0.0, double(width() - w));
        p.drawLine(QPointF(x, axisY - 4), QPointF(x, axisY));
        p.drawText(QPointF(tx, axisY + fm.ascent()), label);
    }
}

}  // namespace k7
