#include "windows/FileErrorWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/AboutWindow.h"

namespace k7 {

FileErrorWindow::FileErrorWindow(const QString& errorText, QWidget* mainWindow)
    : QDialog(mainWindow) {
    setObjectName("frmError");
    setWindowTitle("Error !");
    setModal(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 0, 0));
    pal.setColor(QPalette::Base, QColor(255, 0, 0));
    pal.setColor(QPalette::Text, Qt::white);
    setPalette(pal);
    auto* boxError = new QPlainTextEdit(errorText, this);
    boxError->setObjectName("boxError");
    boxError->setReadOnly(true);
    boxError->setMinimumSize(380, 90);
    auto* cmdOK = new QPushButton("&OK", this);
    cmdOK->setObjectName("cmdOK");
    auto* ErrExit = new QPushButton("E&xit Program", this);
    ErrExit->setObjectName("ErrExit");
    for (QPushButton* b : {cmdOK, ErrExit}) b->setPalette(QApplication::palette());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(ErrExit);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(boxError);
    layout->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(ErrExit, &QPushButton::clicked, this, [this] {
        exitChosen_ = true;
        reject();
    });
    cmdOK->setDefault(true);
}

void FileErrorWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QApplication::beep();
    placeRelativeTo(this, parentWidget(), 50, 50);
}

}  // namespace k7
