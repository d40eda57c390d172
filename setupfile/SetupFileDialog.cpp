#include "setupfile/SetupFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "settings/IniFile.h"
#include "settings/Module2.h"

namespace k7 {

std::optional<std::string> chooseSetupFile(QWidget* parent, Module2& m, const QString& title,
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
        QString::fromStdString(m.SetupDialogFolder.empty() ? cwd : m.SetupDialogFolder));
    if (!m.LastSetupFile.empty()) {
        dlg.selectFile(QFileInfo(QString::fromStdString(m.LastSetupFile)).fileName());
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    const std::string path = dlg.selectedFiles().constFirst().toStdString();
    m.LastSetupFile = path;
    m.WriteIniFile(idTagText);
    m.SetupDialogFolder = folderOf(path, cwd);
    return path;
}

}  // namespace k7
