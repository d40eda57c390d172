#pragma once
// What the acoustic display takes from the main window when it opens.
#include <QPointer>
#include <QString>
#include <QWidget>

namespace k7 {

struct ProgramState;
class StatusPoll;

struct ScopeContext {
    ProgramState* m = nullptr;
    StatusPoll* poll = nullptr;
    QPointer<QWidget> mainWindow;  // hidden while the display is up
    QString serialNumber;          // as the main window shows it
};

// Hides the main window and shows the warning, from which the display opens (or the main
// window comes back).
void openScopeWarning(const ScopeContext& context);

}  // namespace k7
