#pragma once
// The live trend's drawing: distance, output current, temperature and target strength of one
// sensor against time, each in its own band over a shared time axis, newest at the right.
#include <QWidget>
#include <cstdint>

#include "status/TrendBuffer.h"

namespace k7 {

class TrendPlot : public QWidget {
    Q_OBJECT
public:
    explicit TrendPlot(QWidget* parent = nullptr);

    TrendBuffer& buffer() { return buffer_; }
    // What the bands show: the span of time, the right edge (the clock's time of the newest
    // reading unless paused), the display units.
    void setSpanSeconds(int seconds);
    int spanSeconds() const { return spanSeconds_; }
    void setEndUs(std::int64_t us);
    void setUnits(int distanceUnit, int temperatureUnit);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    TrendBuffer buffer_;
    int spanSeconds_ = 60;
    std::int64_t endUs_ = 0;
    int distanceUnit_ = 1;
    int temperatureUnit_ = 0;
};

}  // namespace k7
