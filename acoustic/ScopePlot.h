#pragma once
// The plot of the acoustic display: the record against distance, the threshold line, the
// distance ticks and their 26 labels (lblTicks(0)..lblTicks(25)) under the plot, the amplitude
// axis, and the marks of the echo analysis and a baseline over it. It paints and places what
// PlotScale computes, at whatever size the window gives it.
#include <QWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "acoustic/EchoPlotPainter.h"
#include "acoustic/PlotScale.h"

class QLabel;

namespace k7 {

class ScopePlot : public QWidget {
    Q_OBJECT
public:
    explicit ScopePlot(QWidget* parent = nullptr);

    void showRecord(std::vector<std::uint8_t> samples, const PlotScale& scale,
                    EchoMarks marks = {});
    void clearPlot();
    bool hasRecord() const { return hasRecord_; }
    const PlotScale& scale() const { return scale_; }
    const EchoMarks& marks() const { return marks_; }
    // Where the record is drawn, in this widget's pixels.
    PlotArea plotArea() const;

    static QColor waveformColor();
    static QColor thresholdColor();
    static QColor tickColor();

    std::array<QLabel*, kTickCount> lblTicks{};

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void placeTicks();
    int labelStripHeight() const;
    int leftMargin() const;

    std::vector<std::uint8_t> samples_;
    PlotScale scale_;
    EchoMarks marks_;
    bool hasRecord_ = false;
};

}  // namespace k7
