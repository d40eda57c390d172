#pragma once
// The error window for file problems: the message on red, OK or exit the program.
#include <QDialog>

namespace k7 {

class FileErrorWindow : public QDialog {
    Q_OBJECT
public:
    FileErrorWindow(const QString& errorText, QWidget* mainWindow);
    bool exitChosen() const { return exitChosen_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    bool exitChosen_ = false;
};

}  // namespace k7
