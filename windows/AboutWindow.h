#pragma once
// "About this program".
#include <QDialog>

namespace k7 {

class AboutWindow : public QDialog {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* mainWindow);

protected:
    void showEvent(QShowEvent* e) override;
};

// The program's licence and the notices of the libraries it links, as one text.
QString licenceText();

// Places a window so that its centre lies at (acrossPercent, downPercent) of the main window,
// then keeps it inside the screen and never at a negative position.
void placeRelativeTo(QWidget* window, QWidget* mainWindow, double acrossPercent,
                     double downPercent);

}  // namespace k7
