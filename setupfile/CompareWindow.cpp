#include "setupfile/CompareWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "setupfile/CompareTable.h"
#include "windows/AboutWindow.h"

namespace k7 {

CompareWindow::CompareWindow(const std::vector<CompareRow>& rows, const QString& filePath,
                             const QString& sensorText, QWidget* mainWindow)
    : QDialog(mainWindow) {
    setObjectName("frmCompare");
    setWindowTitle("Compare Setup with Sensor");
    setModal(true);

    auto* lblFile = new QLabel("File: " + filePath, this);
    lblFile->setObjectName("lblFile");
    lblFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* lblSensor = new QLabel("Sensor: " + sensorText, this);
    lblSensor->setObjectName("lblSensor");

    const int maxHeight = mainWindow && mainWindow->screen()
                              ? mainWindow->screen()->availableGeometry().height() * 7 / 10
                              : 0;
    QTableWidget* table = compareTable(rows, {"File", "Sensor"}, this, maxHeight);
    table->setObjectName("tblCompare");

    int differ = 0;
    for (const CompareRow& row : rows) differ += row.differs ? 1 : 0;
    const QString summary = differ == 0
                                ? QString("The file and the sensor hold the same settings.")
                                : QString("%1 %2 (marked %3). Nothing was written to the sensor.")
                                      .arg(differ)
                                      .arg(differ == 1 ? "setting differs" : "settings differ")
                                      .arg(QString::fromUtf8("\u2260"));
    auto* lblSummary = new QLabel(summary, this);
    lblSummary->setObjectName("lblSummary");
    QFont bold = lblSummary->font();
    bold.setBold(true);
    lblSummary->setFont(bold);

    auto* cmdClose = new QPushButton("&Close", this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setDefault(true);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblSummary, 1);
    bottom->addWidget(cmdClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(lblSensor);
    layout->addWidget(table, 1);
    layout->addLayout(bottom);
}

void CompareWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    placeRelativeTo(this, parentWidget(), 50, 50);
}

}  // namespace k7
