#include "acoustic/ScopePlot.h"

#include <QLabel>
#include <QPainter>
#include <algorithm>

namespace k7 {
namespace {

// Room right of the plot for half a tick label; the left has the amplitude labels.
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
    return echoWaveformColor();
}
QColor ScopePlot::thresholdColor() {
    return echoThresholdColor();
}
QColor ScopePlot::tickColor() {
    return echoTickColor();
}

int ScopePlot::leftMargin() const {
    return std::max(kSideMargin, amplitudeLabelRoom(fontMetrics()));
}

int ScopePlot::labelStripHeight() const {
    return fontMetrics().height() + 3;
}

QSize ScopePlot::sizeHint() const {
    return {kDefaultPlotWidth + leftMargin() + kSideMargin,
            kDefaultPlotHeight + kTopMargin + labelStripHeight()};
}

QSize ScopePlot::minimumSizeHint() const {
    return {200 + leftMargin() + kSideMargin, 100 + kTopMargin + labelStripHeight()};
}

PlotArea ScopePlot::plotArea() const {
    return {static_cast<double>(leftMargin()), static_cast<double>(kTopMargin),
            static_cast<double>(std::max(1, width() - leftMargin() - kSideMargin)),
            static_cast<double>(std::max(1, height() - kTopMargin - labelStripHeight()))};
}

void ScopePlot::showRecord(std::vector<std::uint8_t> samples, const PlotScale& scale,
                           EchoMarks marks) {
    samples_ = std::move(samples);
    scale_ = scale;
    marks_ = std::move(marks);
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
    const std::span<const std::uint8_t> shown = samples_;
    paintEchoPlot(p, area, hasRecord_ ? shown : shown.first(0), scale_, 1, &marks_);
}

}  // namespace k7
