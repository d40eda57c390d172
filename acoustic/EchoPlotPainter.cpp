#include "acoustic/EchoPlotPainter.h"

#include <QPainter>
#include <QPolygonF>

namespace k7 {

QColor echoWaveformColor() {
    return QColor(0, 0, 160);
}
QColor echoThresholdColor() {
    return QColor(220, 0, 0);
}
QColor echoTickColor() {
    return QColor(0, 0, 0);
}

PlotArea plotAreaOf(const QRect& area) {
    return {static_cast<double>(area.left()), static_cast<double>(area.top()),
            static_cast<double>(area.width()), static_cast<double>(area.height())};
}

void paintEchoPlot(QPainter& p, const QRect& area, std::span<const std::uint8_t> samples,
                   const PlotScale& scale, int lineWidth) {
    p.save();
    p.fillRect(area, Qt::white);
    p.setPen(QPen(QColor(128, 128, 128), lineWidth));
    p.drawRect(area.adjusted(-lineWidth, -lineWidth, 0, 0));
    if (samples.empty()) {
        p.restore();
        return;
    }
    p.setClipRect(area);
    const PlotArea a = plotAreaOf(area);

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

    QPolygonF wave;
    wave.reserve(static_cast<int>(samples.size()));
    for (std::size_t k = 0; k < samples.size(); ++k) {
        wave.append(
            QPointF(pixelX(scale, a, static_cast<double>(k + 1)), pixelY(scale, a, samples[k])));
    }
    // A thin pen: a noisy record would make a wide pen's outline a costly polygon to fill.
    QPen pen(echoWaveformColor(), lineWidth);
    pen.setCosmetic(lineWidth <= 1);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pen);
    p.drawPolyline(wave);
    p.restore();
}

}  // namespace k7
