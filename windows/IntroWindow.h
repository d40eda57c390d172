#pragma once
// The introductory picture shown while the program starts.
#include <QDialog>

class QLabel;

namespace k7 {

class IntroWindow : public QDialog {
    Q_OBJECT
public:
    explicit IntroWindow(QWidget* parent = nullptr);
    // Moves out of the way of another window (the progress or port window at the screen's
    // centre): into the largest free part of the screen, the picture shrunk to fit it, or out
    // of sight when no readable picture fits.
    void keepClearOf(const QRect& other);

private:
    void showPicture(double scale);
    QLabel* picture_;
};

inline constexpr int kIntroWidth = 520;
inline constexpr int kIntroHeight = 300;

// The picture itself: a sensor over a tank, with the product name; drawn at `scale` times its
// size, sharp on a screen of device pixel ratio `dpr`.
QPixmap introPicture(double scale = 1.0, double dpr = 1.0);

}  // namespace k7
