#pragma once
// Painting the acoustic plot on any surface: the window's plot and the commissioning report
// draw the same picture from the same PlotScale, with the same marks from the echo analysis.
#include <QColor>
#include <QRect>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "acoustic/EchoAnalysis.h"
#include "acoustic/PlotScale.h"

class QFontMetrics;
class QPainter;

namespace k7 {

// A saved record drawn over the shown one, on its own distance scale (its temperature and
// length may differ).
struct BaselineTrace {
    std::vector<std::uint8_t> samples;
    double samplesPerUnit = 1;
    std::string caption;  // "Baseline 2026-12-06 09:30:00"
};

// What goes over the record: the ringdown shaded, the echoes marked (the target with its
// distance and margin), the verdict when there is no target, and a baseline with a legend.
struct EchoMarks {
    std::optional<EchoAnalysis> analysis;
    std::optional<BaselineTrace> baseline;
};

// The frame, the amplitude axis' labels left of `area`, and when there are samples the
// threshold line, the distance ticks, the record and the marks, inside `area` (whole device
// pixels). Lines are `lineWidth` device pixels wide; texts take the painter's font.
void paintEchoPlot(QPainter& p, const QRect& area, std::span<const std::uint8_t> samples,
                   const PlotScale& scale, int lineWidth = 1, const EchoMarks* marks = nullptr);

// The room the amplitude axis' labels need left of the plot area.
int amplitudeLabelRoom(const QFontMetrics& fm);

PlotArea plotAreaOf(const QRect& area);

QColor echoWaveformColor();
QColor echoThresholdColor();
QColor echoTickColor();
QColor echoBaselineColor();
QColor echoTargetColor();

}  // namespace k7
