#include "service/RepeatedTestWindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace k7 {

RepeatedTestWindow::RepeatedTestWindow(std::shared_ptr<FactoryHost> host, StatusPoll& poll,
                                       QWidget* mainWindow)
    : BenchWindow(mainWindow), host_(std::move(host)), test_(*host_) {
    setObjectName("frmZULtest");
    setWindowTitle("K7700 ID Tag Test");
    lstMessages = new QListWidget(this);
    lstMessages->setObjectName("lstMessages");
    lstMessages->setMinimumSize(420, 300);
    lstMessages->setUniformItemSizes(true);  // 30001 entries stay quick to show
    cmdExit = new QPushButton("E&xit", this);
    cmdExit->setObjectName("cmdExit");
    cmdExit->setAutoDefault(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->addWidget(lstMessages);
    layout->addWidget(cmdExit, 0, Qt::AlignRight);
    connect(cmdExit, &QPushButton::clicked, this, &QDialog::close);

    tmrTest = new QTimer(this);
    tmrTest->setObjectName("tmrTest");
    tmrTest->setInterval(100);
    connect(tmrTest, &QTimer::timeout, this, [this] { handle([this] { testNextSensor(); }); });
    pause_.emplace(poll);
    tmrTest->start();
}

void RepeatedTestWindow::testNextSensor() {
    // A step runs to its end before the next tick can start one, however long it takes.
    tmrTest->stop();
    for (const std::string& line : test_.step([this] { return isClosed(); }))
        addMessage(QString::fromStdString(line));
    if (!isClosed()) tmrTest->start();
}

void RepeatedTestWindow::addMessage(const QString& line) {
    if (lstMessages->count() > kTestLogLimit) delete lstMessages->takeItem(0);
    lstMessages->addItem(line);
    lstMessages->setCurrentRow(lstMessages->count() - 1);
}

void RepeatedTestWindow::closing() {
    tmrTest->stop();
    pause_.reset();
}

}  // namespace k7
