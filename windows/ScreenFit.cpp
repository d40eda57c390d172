#include "windows/ScreenFit.h"

#include <QFontMetrics>
#include <QFrame>
#include <QScrollBar>
#include <QStyle>

#include "windows/Placement.h"

namespace k7 {

QSize FitScrollArea::sizeHint() const {
    if (!widget()) return QScrollArea::sizeHint();
    return widget()->sizeHint() + QSize(2 * frameWidth(), 2 * frameWidth());
}

FitScrollArea* scrollingBody(QWidget* body, QWidget* parent, const char* name) {
    auto* scroll = new FitScrollArea(parent);
    scroll->setObjectName(name);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);  // the fields take the keyboard, not the frame
    scroll->setWidgetResizable(true);
    scroll->setWidget(body);
    return scroll;
}

QSize frameAllowance(const QWidget* window) {
    const QSize frame = window->frameGeometry().size() - window->size();
    if (!frame.isNull()) return frame;
    return {8, 2 * window->fontMetrics().height()};
}

void fitWindowToScreen(QWidget* window, QSize want) {
    const QRect area = availableArea(window);
    if (want.isEmpty()) want = window->sizeHint();
    want = want.expandedTo(window->minimumSizeHint());
    // A body that scrolls in one direction needs room for the scroll bar in the other.
    const int bar = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize room = area.size() - frameAllowance(window);
    if (want.height() > room.height()) want.rwidth() += bar;
    if (want.width() > room.width()) want.rheight() += bar;
    window->resize(want.boundedTo(room));
    keepInside(window, area);
}

}  // namespace k7
