#include "windows/ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "common/NumberText.h"

namespace k7 {

QString errorBoxText(int number, const std::string& description, const std::string& where) {
    return QString::fromStdString("Error " + signedText(number) + "\n" + description + "\n" +
                                  where);
}

void showErrorBox(QWidget* parent, bool beep, const std::string& where, int number,
                  const std::string& description) {
    if (beep) QApplication::beep();
    QMessageBox box(QMessageBox::NoIcon, "Error Message", errorBoxText(number, description, where),
                    QMessageBox::Ok, parent);
    box.setObjectName("ErrorMessageBox");
    box.exec();
}

}  // namespace k7
