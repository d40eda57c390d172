#pragma once
// Windows that fit the screen they are on. A window's body scrolls where the screen is too
// small for it, while its buttons stay outside what scrolls, always in view; the window opens
// as large as it wants within the screen.
#include <QScrollArea>

namespace k7 {

// A scroll area that asks for room to show all its widget holds (a plain one asks for a
// fixed, smaller size), so that it scrolls only where the window cannot give it that room.
class FitScrollArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;
    QSize sizeHint() const override;
};

// `body` in a frameless FitScrollArea of `parent`, resized with it.
FitScrollArea* scrollingBody(QWidget* body, QWidget* parent, const char* name);

// What the window manager's frame takes around `window` (a guess before it is first shown).
QSize frameAllowance(const QWidget* window);

// Resizes `window` to `want` (its size hint when empty), no larger than the available area of
// its screen (frame included), and keeps it inside that area.
void fitWindowToScreen(QWidget* window, QSize want = {});

}  // namespace k7
