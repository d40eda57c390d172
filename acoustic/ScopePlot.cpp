#include "acoustic/ScopePlot.h"

#include <QLabel>
#include <QPainter>
#include <QPolygonF>

namespace k7 {
namespace {

// Room left and right of the plot for half a tick label at either end.
constexpr int kSideMargin = 16;
constexpr int kTopMargin = 1;
// The plot area at the window's default size.
constexpr int kDefaultPlotWidth = 637;
constexpr int kDefaultPlotHeight = 316;

}  // namespace

ScopePlot::ScopePlot(QWidget* parent) : QWidget(parent) {
    setObjectName("Plot");
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    QSizePolicy keep = sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    setSizePolicy(keep);
    for (int i = 0; i < kTickCount; ++i) {
        auto* l = new QLabel(this);
        l->setObjectName(QString("lblTicks(%1)").arg(i));
        l->hide();
        lblTicks[static_cast<std::size_t>(i)] = l;
    }
}

QColor ScopePlot::waveformColor() {
    return QColor(0, 0, 160);
}
QColor ScopePlot::thresholdColor() {
    return QColor(220, 0, 0);
}
QColor ScopePlot::tickColor() {
    return QColor(0, 0, 0);
}

int ScopePlot::labelStripHeight() const {
    return fontMetrics().height() + 3;
}

QSize ScopePlot::sizeHint() const {
    return {kDefaultPlotWidth + 2 * kSideMargin,
            kDefaultPlotHeight + kTopMargin + labelStripHeight()};
}

QSize ScopePlot::minimumSizeHint() const {
    return {200 + 2 * kSideMargin, 100 + kTopMargin + labelStripHeight()};
}

PlotArea ScopePlot::plotArea() const {
    return {static_cast<double>(kSideMargin), static_cast<double>(kTopMargin),
            static_cast<double>(std::max(1, width() - 2 * kSideMargin)),
            static_cast<double>(std::max(1, height() - kTopMargin - labelStripHeight()))};
}

void ScopePlot::showRecord(std::vector<std::uint8_t> samples, const PlotScale& scale) {
    samples_ = std::move(samples);
    scale_ = scale;
    hasRecord_ = !samples_.empty();
    for (int i = 0; i < kTickCount; ++i) {
        const PlotTick& t = scale_.ticks[static_cast<std::size_t>(i)];
        QLabel* l = lblTicks[static_cast<std::size_t>(i)];
        l->setText(QString::fromStdString(t.label));
        l->adjustSize();
        l->setVisible(hasRecord_ && t.shown);
    }
    placeTicks();
    update();
}

void ScopePlot::clearPlot() {
    hasRecord_ = false;
    for (QLabel* l : lblTicks) l->hide();
    update();
}

void ScopePlot::placeTicks() {
    if (!hasRecord_) return;
    const PlotArea a = plotArea();
    const int top = static_cast<int>(a.top + a.height) + 1;
    for (int i = 0; i < kTickCount; ++i) {
        const PlotTick& t = scale_.ticks[static_cast<std::size_t>(i)];
        if (!t.shown) continue;
        QLabel* l = lblTicks[static_cast<std::size_t>(i)];
        l->move(tickLabelLeft(scale_, a, t.x, l->width()), top);
    }
}

void ScopePlot::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    placeTicks();
}

void ScopePlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const PlotArea a = plotArea();
    const QRect area(static_cast<int>(a.left), static_cast<int>(a.top), static_cast<int>(a.width),
                     static_cast<int>(a.height));
    p.fillRect(area, Qt::white);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(area.adjusted(-1, -1, 0, 0));
    if (!hasRecord_) return;
    p.setClipRect(area);

    // Threshold and ticks on whole pixels, so they stay sharp at any size.
    const double level = scale_.thresholdLevel;
    if (level >= scale_.base && level <= kTopLevel) {
        const int row = pixelRow(scale_, a, level);
        p.setPen(QPen(thresholdColor(), 1, Qt::DotLine));
        p.drawLine(area.left(), row, area.right(), row);
    }
    p.setPen(QPen(tickColor(), 1));
    const int bottom = pixelRow(scale_, a, scale_.base);
    const int tickTop = pixelRow(scale_, a, tickTopLevel(scale_));
    for (const PlotTick& t : scale_.ticks) {
        if (!t.shown) continue;
        const int col = pixelColumn(scale_, a, t.x);
        p.drawLine(col, bottom, col, tickTop);
    }

    QPolygonF wave;
    wave.reserve(static_cast<int>(samples_.size()));
    for (std::size_t k = 0; k < samples_.size(); ++k) {
        wave.append(
            QPointF(pixelX(scale_, a, static_cast<double>(k + 1)), pixelY(scale_, a, samples_[k])));
    }
    // A cosmetic pen: a noisy record would make a wide pen's outline a costly polygon to fill.
    QPen pen(waveformColor(), 1);
    pen.setCosmetic(true);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(pen);
    p.drawPolyline(wave);
}

}  // namespace k7
