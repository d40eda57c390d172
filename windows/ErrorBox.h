#pragma once
#include <QString>
#include <string>

class QWidget;

namespace k7 {

// "Error <number>", the description and the routine's qualified name, under "Error Message".
QString errorBoxText(int number, const std::string& description, const std::string& where);

// The error box for unexpected run-time errors: beeps when asked, shows the text modally.
void showErrorBox(QWidget* parent, bool beep, const std::string& where, int number,
                  const std::string& description);

}  // namespace k7
