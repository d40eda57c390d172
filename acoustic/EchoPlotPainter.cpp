#include "acoustic/EchoPlotPainter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>

namespace k7 {
namespace {

const QColor kFrameColor(128, 128, 128);
const QColor kRingdownShade(234, 234, 234);
const QColor kAxisTextColor(70, 70, 70);
const QColor kOtherEchoColor(150, 80, 0);
const QColor kVerdictColor(170, 0, 0);

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// Mark labels never cover each other or the legend: each goes above its mark, else beside
// it, else it is left out (the mark stays).
class LabelPlacer {
public:
    explicit LabelPlacer(const QRect& bounds) : bounds_(bounds) {}
    void reserve(const QRect& r) { taken_.push_back(r); }
    // A label of `size` next to the mark that covers `mark`.
    std::optional<QRect> place(const QSize& size, const QRect& mark, int gap) {
        const int w = size.width(), h = size.height();
        const QPoint c = mark.center();
        const QRect candidates[] = {
            QRect(c.x() - w / 2, mark.top() - gap - h, w, h),
            QRect(mark.right() + gap, c.y() - h / 2, w, h),
            QRect(mark.left() - gap - w, c.y() - h / 2, w, h),
            QRect(mark.right() + gap, mark.bottom() + gap, w, h),
        };
        for (QRect r : candidates) {
            r.moveLeft(std::clamp(r.left(), bounds_.left() + 1, bounds_.right() - w));
            r.moveTop(std::clamp(r.top(), bounds_.top() + 1, bounds_.bottom() - h));
            const bool free = std::none_of(taken_.begin(), taken_.end(),
                                           [&r](const QRect& t) { return t.intersects(r); });
            if (free && bounds_.contains(r)) {
                taken_.push_back(r);
                return r;
            }
        }
        return std::nullopt;
    }

private:
    QRect bounds_;
    std::vector<QRect> taken_;
};

// A triangle pointing down at `tip`, `size` pixels high.
QPolygonF triangleAt(QPointF tip, double size) {
    return QPolygonF({tip, tip + QPointF(-size * 0.6, -size), tip + QPointF(size * 0.6, -size)});
}

void paintAmplitudeAxis(QPainter& p, const QRect& area, const PlotScale& scale, int lineWidth) {
    const QFontMetrics fm = p.fontMetrics();
    const PlotArea a = plotAreaOf(area);
    const int tick = std::max(3, fm.height() / 4);
    int lastTop = area.bottom() + fm.height();
    for (int level : amplitudeTicks(scale)) {
        const int row = pixelRow(scale, a, level);
        const QRect text(area.left() - amplitudeLabelRoom(fm), row - fm.height() / 2,
                         amplitudeLabelRoom(fm) - tick, fm.height());
        p.setPen(QPen(echoTickColor(), lineWidth));
        p.drawLine(area.left(), row, area.left() + tick, row);
        if (text.bottom() >= lastTop) continue;  // a small plot shows every other label
        p.setPen(kAxisTextColor);
        p.drawText(text, Qt::AlignRight | Qt::AlignVCenter, QString::number(level));
        lastTop = text.top();
    }
}

void paintRecord(QPainter& p, const PlotScale& scale, const PlotArea& a,
                 std::span<const std::uint8_t> samples, double xPerSample, const QColor& color,
                 int lineWidth) {
    QPolygonF wave;
    wave.reserve(static_cast<int>(samples.size()));
    for (std::size_t k = 0; k < samples.size(); ++k) {
        wave.append(QPointF(pixelX(scale, a, static_cast<double>(k + 1) * xPerSample),
                            pixelY(scale, a, samples[k])));
    }
    // A thin pen: a noisy record would make a wide pen's outline a costly polygon to fill.
    QPen pen(color, lineWidth);
    pen.setCosmetic(lineWidth <= 1);
    p.setPen(pen);
    p.drawPolyline(wave);
}

void paintLegend(QPainter& p, const QRect& area, const BaselineTrace& baseline, int lineWidth,
                 LabelPlacer& placer) {
    const QFontMetrics fm = p.fontMetrics();
    const int pad = fm.height() / 3;
    const int swatch = fm.height() * 3 / 2;
    const QString lines[] = {"Record", q(baseline.caption)};
    const QColor colors[] = {echoWaveformColor(), echoBaselineColor()};
    int textWidth = 0;
    for (const QString& l : lines) textWidth = std::max(textWidth, fm.horizontalAdvance(l));
    const QRect box(area.right() - 3 * pad - swatch - textWidth - pad, area.top() + pad,
                    3 * pad + swatch + textWidth, 2 * fm.height() + 2 * pad);
    placer.reserve(box);
    p.setPen(QPen(kFrameColor, lineWidth));
    p.setBrush(QColor(255, 255, 255, 230));
    p.drawRect(box);
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 2; ++i) {
        const int y = box.top() + pad + i * fm.height() + fm.height() / 2;
        p.setPen(QPen(colors[i], 2 * lineWidth));
        p.drawLine(box.left() + pad, y, box.left() + pad + swatch, y);
        p.setPen(kAxisTextColor);
        p.drawText(
            QRect(box.left() + 2 * pad + swatch, y - fm.height() / 2, textWidth + pad, fm.height()),
            Qt::AlignLeft | Qt::AlignVCenter, lines[i]);
    }
}

void paintMarks(QPainter& p, const QRect& area, const PlotScale& scale, const EchoAnalysis& a,
                std::span<const std::uint8_t> samples, int lineWidth, LabelPlacer& placer) {
    const QFontMetrics fm = p.fontMetrics();
    const PlotArea pa = plotAreaOf(area);
    const double size = std::max(6, fm.height() * 2 / 3);
    const int gap = std::max(2, fm.height() / 6);
    auto markRect = [&](QPointF tip) { return triangleAt(tip, size).boundingRect().toRect(); };
    auto label = [&](const QString& text, QPointF tip, const QColor& color) {
        const QSize s(fm.horizontalAdvance(text) + 2, fm.height());
        if (const auto r = placer.place(s, markRect(tip), gap)) {
            p.setPen(color);
            p.drawText(*r, Qt::AlignCenter, text);
        }
    };
    auto tipOf = [&](double x, double level) {
        return QPointF(pixelX(scale, pa, x), pixelY(scale, pa, level) - gap);
    };
    // No label covers a mark.
    for (const Echo& e : a.echoes) placer.reserve(markRect(tipOf(e.peakAt, e.peakLevel)));

    for (const Echo& e : a.echoes) {
        const bool target = e.kind == EchoKind::Target;
        const QColor color = target ? echoTargetColor() : kOtherEchoColor;
        const QPointF tip = tipOf(e.peakAt, e.peakLevel);
        if (target) {
            // A dashed line down to the axis reads the distance off the ticks.
            QPen dash(color, lineWidth, Qt::DashLine);
            p.setPen(dash);
            p.drawLine(QPointF(tip.x(), tip.y()), QPointF(tip.x(), area.bottom()));
        }
        p.setPen(QPen(color, lineWidth));
        p.setBrush(target ? QBrush(color) : QBrush(Qt::white));
        p.drawPolygon(triangleAt(tip, size));
        p.setBrush(Qt::NoBrush);
        QString text = q(distanceText(e.distance, a.unit));
        if (target) {
            text += ", margin " + QString(e.clipped() ? "≥ " : "") + q(signedCount(*a.margin()));
        } else if (e.kind == EchoKind::Multiple) {
            text += ", multiple";
        }
        label(text, tip, color);
    }
    if (a.ringdownEchoAt) {
        const double x = *a.ringdownEchoAt * a.samplesPerUnit;
        const auto k = static_cast<std::size_t>(std::clamp<double>(x - 1, 0, samples.size() - 1));
        const QPointF tip = tipOf(x, samples[k]);
        p.setPen(QPen(kVerdictColor, lineWidth));
        p.drawPolygon(triangleAt(tip, size));
        label("echo in ringdown?", tip, kVerdictColor);
    }
    if (a.verdict != EchoVerdict::Target) {
        const QString text = verdictText(a.verdict);
        const QSize s(fm.horizontalAdvance(text) + 2 * gap, fm.height());
        const QRect top(area.center().x(), area.top() + gap + 2 * fm.height(), 1, 1);
        if (const auto r = placer.place(s, top, gap)) {
            p.fillRect(*r, QColor(255, 255, 255, 220));
            p.setPen(kVerdictColor);
            p.drawText(*r, Qt::AlignCenter, text);
        }
    }
}

}  // namespace

QColor echoWaveformColor() {
    return QColor(0, 0, 160);
}
QColor echoThresholdColor() {
    return QColor(220, 0, 0);
}
QColor echoTickColor() {
    return QColor(0, 0, 0);
}
QColor echoBaselineColor() {
    return QColor(235, 140, 0);
}
QColor echoTargetColor() {
    return QColor(0, 130, 40);
}

int amplitudeLabelRoom(const QFontMetrics& fm) {
    return fm.horizontalAdvance("255") + fm.height() / 2 + 2;
}

PlotArea plotAreaOf(const QRect& area) {
    return {static_cast<double>(area.left()), static_cast<double>(area.top()),
            static_cast<double>(area.width()), static_cast<double>(area.height())};
}

void paintEchoPlot(QPainter& p, const QRect& area, std::span<const std::uint8_t> samples,
                   const PlotScale& scale, int lineWidth, const EchoMarks* marks) {
    p.save();
    p.fillRect(area, Qt::white);
    p.setPen(QPen(kFrameColor, lineWidth));
    p.drawRect(area.adjusted(-lineWidth, -lineWidth, 0, 0));
    if (samples.empty()) {
        p.restore();
        return;
    }
    const PlotArea a = plotAreaOf(area);
    const EchoAnalysis* analysis = marks && marks->analysis ? &*marks->analysis : nullptr;
    const BaselineTrace* baseline = marks && marks->baseline ? &*marks->baseline : nullptr;
    paintAmplitudeAxis(p, area, scale, lineWidth);
    p.setClipRect(area);

    if (analysis && analysis->ringdownEnd > 0) {
        const int right = pixelColumn(scale, a, analysis->ringdownEnd);
        p.fillRect(QRect(area.left(), area.top(), right - area.left() + 1, area.height()),
                   kRingdownShade);
    }
    // Threshold and ticks on whole pixels, so they stay sharp at any size.
    const double level = scale.thresholdLevel;
    if (level >= scale.base && level <= kTopLevel) {
        const int row = pixelRow(scale, a, level);
        p.setPen(QPen(echoThresholdColor(), lineWidth, Qt::DotLine));
        p.drawLine(area.left(), row, area.right(), row);
    }
    p.setPen(QPen(echoTickColor(), lineWidth));
    const int bottom = pixelRow(scale, a, scale.base);
    const int tickTop = pixelRow(scale, a, tickTopLevel(scale));
    for (const PlotTick& t : scale.ticks) {
        if (!t.shown) continue;
        const int col = pixelColumn(scale, a, t.x);
        p.drawLine(col, bottom, col, tickTop);
    }

    p.setRenderHint(QPainter::Antialiasing);
    LabelPlacer placer(area);
    if (baseline && !baseline->samples.empty()) {
        paintRecord(p, scale, a, baseline->samples, scale.samplesPerUnit / baseline->samplesPerUnit,
                    echoBaselineColor(), lineWidth);
    }
    paintRecord(p, scale, a, samples, 1, echoWaveformColor(), lineWidth);
    if (baseline) paintLegend(p, area, *baseline, lineWidth, placer);
    if (analysis) paintMarks(p, area, scale, *analysis, samples, lineWidth, placer);
    p.restore();
}

}  // namespace k7
