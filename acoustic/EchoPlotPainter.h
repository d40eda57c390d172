#pragma once
// Painting the acoustic plot on any surface: the window's plot and the commissioning report
// draw the same picture from the same PlotScale.
#include <QColor>
#include <QRect>
#include <cstdint>
#include <span>

#include "acoustic/PlotScale.h"

class QPainter;

namespace k7 {

// The frame, and when there are samples the threshold line, the distance ticks and the
// record, inside `area` (whole device pixels). Lines are `lineWidth` device pixels wide.
void paintEchoPlot(QPainter& p, const QRect& area, std::span<const std::uint8_t> samples,
                   const PlotScale& scale, int lineWidth = 1);

PlotArea plotAreaOf(const QRect& area);

QColor echoWaveformColor();
QColor echoThresholdColor();
QColor echoTickColor();

}  // namespace k7
