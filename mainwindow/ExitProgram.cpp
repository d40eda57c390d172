#include "mainwindow/ExitProgram.h"

#include <QApplication>
#include <QWidget>

#include "link/Commands.h"
#include "settings/Module2.h"

namespace k7 {

void ExitProgram(Module2& m) {
    if (m.Exiting) return;
    m.Exiting = true;
    if (m.SensorInDisplayMode && !m.link.ProgramEnding) {
        // Best effort: a sensor left in its display mode would hold every output at "No Echo".
        if (const Link::Hold held = m.link.hold()) m.link.SendRequest(cmd::Restart);
        m.SensorInDisplayMode = false;
    }
    m.link.ProgramEnding = true;
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
