#pragma once
// Placing a window beside another so that neither covers the other, on any screen size.
#include <QRect>

class QWidget;

namespace k7 {

// A rect of `want`'s size, cut down to the free band of `screen` above, below, left or right
// of `avoid` (with a small gap) that holds the most of it, centred in that band. Only bands
// that hold at least `least` count; empty when none does.
QRect placeClearOf(const QRect& avoid, const QSize& want, const QRect& screen,
                   const QSize& least = {1, 1});

// Centres the window (frame included) on `area`, kept inside its screen's available area and
// never at a negative position.
void centreOn(QWidget* window, const QRect& area);

// Moves (and if it must, shrinks) a shown window so that its frame lies inside `area`.
void keepInside(QWidget* window, const QRect& area);

// The available area of the screen the widget is on (the primary screen when it has none).
QRect availableArea(const QWidget* w);

}  // namespace k7
