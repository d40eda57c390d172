#include "mainwindow/ExitProgram.h"

#include <QApplication>
#include <QWidget>

#include "link/Commands.h"
#include "settings/ProgramState.h"

namespace k7 {

void ExitProgram(ProgramState& m) {
    if (m.exiting) return;
    m.exiting = true;
    if (m.sensorInDisplayMode && !m.link.programEnding) {
        // Best effort: a sensor left in its display mode would hold every output at "No Echo".
        if (const Link::Hold held = m.link.hold()) m.link.sendRequest(cmd::Restart);
        m.sensorInDisplayMode = false;
    }
    m.link.programEnding = true;
    const QWidgetList tops = QApplication::topLevelWidgets();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        QWidget* w = *it;
        if (w->isVisible()) {
            w->hide();
            w->close();
        }
    }
    m.link.line().close();
    QCoreApplication::exit(0);
}

}  // namespace k7
