#pragma once
class QWidget;

namespace k7 {

inline constexpr const char* kHelpFileName = "K7K-HELP.HLP";

// Opens the program's help at its contents.
void showHelp(QWidget* parent);

}  // namespace k7
