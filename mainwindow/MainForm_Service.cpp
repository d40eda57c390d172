// The service tools of the Advanced Settings and Help menus.
#include "mainwindow/MainForm.h"

namespace k7 {

void MainForm::CalCurrentMenu_Click() {}

void MainForm::mnuAdjustSenitivity_Click() {}

void MainForm::menuRingTimes_Click() {}

void MainForm::k7v_Click() {}

}  // namespace k7
