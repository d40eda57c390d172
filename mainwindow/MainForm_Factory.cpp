// The factory tools of the internal menu.
#include "mainwindow/MainForm.h"

namespace k7 {

void MainForm::FactoryMenu_Click() {}

void MainForm::mnuLowEEPROM_Click() {}

void MainForm::MenuPicRamToFile_Click() {}

}  // namespace k7
