#include "setupfile/frmCompare.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "windows/FormAbout.h"

namespace k7 {
namespace {

constexpr int kMarkColumn = 0;
const QColor kDifferentRow(255, 214, 214);

QTableWidgetItem* cell(const std::string& text, bool differs) {
    auto* item = new QTableWidgetItem(QString::fromStdString(text));
    if (differs) {
        item->setBackground(kDifferentRow);
        QFont f = item->font();
        f.setBold(true);
        item->setFont(f);
    }
    return item;
}

}  // namespace

frmCompare::frmCompare(const std::vector<CompareRow>& rows, const QString& filePath,
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

    auto* table = new QTableWidget(static_cast<int>(rows.size()), 4, this);
    table->setObjectName("tblCompare");
    table->setHorizontalHeaderLabels({"", "Setting", "File", "Sensor"});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setAlternatingRowColors(false);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const CompareRow& row = rows[static_cast<std::size_t>(r)];
        auto* mark = cell(row.differs ? "\u2260" : "", row.differs);
        mark->setTextAlignment(Qt::AlignCenter);
        table->setItem(r, kMarkColumn, mark);
        table->setItem(r, 1, cell(row.setting, row.differs));
        table->setItem(r, 2, cell(row.file, row.differs));
        table->setItem(r, 3, cell(row.sensor, row.differs));
    }
    table->resizeColumnsToContents();
    table->resizeRowsToContents();
    table->horizontalHeader()->setStretchLastSection(true);

    // The whole table without scrolling where the screen allows it.
    int height = table->horizontalHeader()->height() + 2 * table->frameWidth();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    int width = 2 * table->frameWidth() + 24;
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    if (mainWindow && mainWindow->screen()) {
        height = std::min(height, mainWindow->screen()->availableGeometry().height() * 7 / 10);
    }
    table->setMinimumSize(width, height);

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

void frmCompare::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    placeRelativeTo(this, parentWidget(), 50, 50);
}

}  // namespace k7
