// The Diagnostics menu: the acoustic echo display.
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>

#include "acoustic/ScopeContext.h"
#include "acoustic/ScopeEntry.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"

namespace k7 {

void MainWindow::openAcousticDisplay() {
    // The trigger mode the sensor runs in is the programmed one, not an edit on screen.
    if (const auto refusal =
            scopeRefusal(m_.discovery.acousticCapable, SensorID->count(), m_.stored.TriggerMode)) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(refusal->title),
                        QString::fromStdString(refusal->text), QMessageBox::Ok, this);
        box.setObjectName("ScopeRefusal");
        box.exec();
        return;
    }
    openScopeWarning({&m_, this, this, SerialNumber->text()});
}

}  // namespace k7
