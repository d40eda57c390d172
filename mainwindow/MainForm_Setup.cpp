// The File menu's setup files: save, recall and print.
#include "mainwindow/MainForm.h"

namespace k7 {

void MainForm::MenuSave_Click() {}

void MainForm::MenuRecall_Click() {}

void MainForm::MenuPrint_Click() {}

}  // namespace k7
