#pragma once
// The file dialog of the setup files (Qt's own, the same on every desktop): it starts in the
// folder of the last setup file with its name, and a choice is remembered in the INI file.
#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace k7 {

struct ProgramState;

enum class SetupDialogMode { Save, Open };

// Shows the dialog titled `title`; nothing on cancel. Save asks before replacing a file. After
// a choice the INI file is rewritten with it (idTagText: the ID field's text) and the next
// dialog starts in its folder.
std::optional<std::string> chooseSetupFile(QWidget* parent, ProgramState& m, const QString& title,
                                           SetupDialogMode mode, const std::string& idTagText);

}  // namespace k7
