#pragma once
// The introductory picture shown while the program starts.
#include <QDialog>

namespace k7 {

class frmIntro : public QDialog {
    Q_OBJECT
public:
    explicit frmIntro(QWidget* parent = nullptr);
    // Moves up, out of the way of the progress window that appears at the screen's centre.
    void keepClearOfCentre();
};

// The picture itself: a sensor over a tank, with the product name.
QPixmap introPicture();

}  // namespace k7
