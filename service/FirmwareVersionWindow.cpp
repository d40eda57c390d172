#include "service/FirmwareVersionWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "service/FirmwareVersion.h"

namespace k7 {

FirmwareVersionWindow::FirmwareVersionWindow(QWidget* mainWindow)
    : ServiceWindow(mainWindow, 80, 16) {
    setObjectName("frmK7KRev");
    setWindowTitle("K7700 Firmware Revision");
    setModal(true);
    lblFWRev = new QLabel(this);
    lblFWRev->setObjectName("lblFWRev");
    lblFWRev->setMinimumWidth(320);
    btnExitRev = new QPushButton("&Close this Window", this);
    btnExitRev->setObjectName("btnExitRev");
    connect(btnExitRev, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(16);
    layout->addWidget(lblFWRev);
    layout->addWidget(btnExitRev, 0, Qt::AlignRight);
}

bool FirmwareVersionWindow::load(Link& link, const QString& idTag) {
    const auto revision = readFirmwareRevision(link);
    if (!revision) return false;
    lblFWRev->setText(QString::fromStdString(firmwareVersionText(idTag.toStdString(), *revision)));
    return true;
}

}  // namespace k7
