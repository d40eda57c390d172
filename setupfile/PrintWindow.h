#pragma once
// Printing the main window: its image on white, scaled to the page.
#include <QImage>
#include <QString>
#include <vector>

class QPrinter;
class QWidget;

namespace k7 {

// Hides `window`, paints `parts` of it (whole, however far they are scrolled) one under the
// other on white into an image, and puts the window back (shown, normal colours) whatever
// happens.
QImage windowImage(QWidget* window, const std::vector<QWidget*>& parts);

// Prints the image on the printer, scaled to the page. False, with the reason in *error, when
// the printer (or the PDF file) cannot be used.
bool printImage(const QImage& image, QPrinter& printer, QString* error);

}  // namespace k7
