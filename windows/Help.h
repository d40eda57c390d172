#pragma once
class QWidget;

namespace k7 {

inline constexpr const char* kHelpFileName = "K7K-HELP.HLP";

// Opens the program's help at its contents, in a window of its own that stays open beside
// the one it was opened from (a running search goes on; the progress window stays in sight).
void showHelp(QWidget* opener);

}  // namespace k7
