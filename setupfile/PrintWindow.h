#pragma once
// Printing the main window: its image on white, scaled to the page.
#include <QString>

class QPrinter;
class QWidget;

namespace k7 {

// Hides `window`, paints `content` (the window or a part of it) on white into an image, puts
// the window back (shown, normal colours) whatever happens, and prints the image on the
// printer. False, with the reason in *error, when the printer (or the PDF file) cannot be used.
bool printWindowImage(QWidget* window, QWidget* content, QPrinter& printer, QString* error);

}  // namespace k7
