// The Diagnostics menu: the acoustic echo display.
#include "mainwindow/MainForm.h"

namespace k7 {

void MainForm::ScopeMode_Click() {}

}  // namespace k7
