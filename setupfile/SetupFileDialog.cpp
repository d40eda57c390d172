#include "setupfile/SetupFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "settings/IniFile.h"
#include "settings/ProgramState.h"

namespace k7 {

std::optional<std::string> chooseSetupFile(QWidget* parent, ProgramState& m, const QString& title,
                                           SetupDialogMode mode, const std::string& idTagText) {
    QFileDialog dlg(parent, title);
    dlg.setObjectName("CommonDialog1");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter("All files (*)");
    const bool save = mode == SetupDialogMode::Save;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const std::string cwd = QDir::currentPath().toStdString();
    dlg.setDirectory(
        QString::fromStdString(m.setupDialogFolder.empty() ? cwd : m.setupDialogFolder));
    if (!m.lastSetupFile.empty()) {
        dlg.selectFile(QFileInfo(QString::fromStdString(m.lastSetupFile)).fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const std::string path = dlg.selectedFiles().constFirst().toStdString();
    m.lastSetupFile = path;
    m.saveIni(idTagText);
    m.setupDialogFolder = folderOf(path, cwd);
    return path;
}

}  // namespace k7
