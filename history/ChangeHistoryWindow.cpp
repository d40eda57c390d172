#include "history/ChangeHistoryWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "history/ChangeText.h"
#include "setupfile/CompareTable.h"
#include "windows/AboutWindow.h"

namespace k7 {
namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

// A sentence from a phrase: capital first, full stop.
QString sentence(const std::string& s) {
    const QString t = text(s);
    return t.left(1).toUpper() + t.mid(1) + ".";
}

}  // namespace

ChangeHistoryWindow::ChangeHistoryWindow(std::vector<ChangeRecord> records, const QString& heading,
                                         HistoryView view, QWidget* mainWindow)
    : QDialog(mainWindow), records_(std::move(records)), view_(view) {
    setObjectName("frmChangeHistory");
    setWindowTitle("Change History");
    setModal(true);

    auto* lblHeading = new QLabel(heading, this);
    lblHeading->setObjectName("lblHeading");
    lblHeading->setWordWrap(true);

    lstChanges_ = new QTableWidget(static_cast<int>(records_.size()), 6, this);
    lstChanges_->setObjectName("lstChanges");
    lstChanges_->setHorizontalHeaderLabels({"Time", "Change", "ID tag", "Result", "By", "Program"});
    lstChanges_->verticalHeader()->hide();
    lstChanges_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstChanges_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstChanges_->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int row = 0; row < lstChanges_->rowCount(); ++row) {
        const ChangeRecord& r = records_[static_cast<std::size_t>(row)];
        const QStringList cells = {
            text(localTimeText(r.timeUtc)), text(r.change.action),
            text(tagText(r).substr(7)),  // without "ID tag "
            r.done() ? "done" : "failed",   text(r.user + "@" + r.host), text(r.program)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (!r.done()) item->setForeground(QColor(170, 0, 0));
            lstChanges_->setItem(row, c, item);
        }
    }
    lstChanges_->resizeColumnsToContents();
    lstChanges_->horizontalHeader()->setStretchLastSection(true);
    int width = 2 * lstChanges_->frameWidth() + 24;  // room for the scroll bar
    for (int c = 0; c < lstChanges_->columnCount(); ++c) width += lstChanges_->columnWidth(c);
    lstChanges_->setMinimumWidth(width);
    const int rowsShown = std::clamp(lstChanges_->rowCount(), 4, 10);
    lstChanges_->setMinimumHeight(lstChanges_->horizontalHeader()->sizeHint().height() +
                                  rowsShown * lstChanges_->verticalHeader()->defaultSectionSize() +
                                  2 * lstChanges_->frameWidth());

    lblChange_ = new QLabel(this);
    lblChange_->setObjectName("lblChange");
    lblChange_->setWordWrap(true);
    lblChange_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const int maxHeight = mainWindow && mainWindow->screen()
                              ? mainWindow->screen()->availableGeometry().height() * 2 / 5
                              : 0;
    tblChange_ = compareTable({}, {"Before", "After"}, this, maxHeight);
    tblChange_->setObjectName("tblChange");

    cmdRecallBefore_ = new QPushButton("Recall &Before Settings", this);
    cmdRecallBefore_->setObjectName("cmdRecallBefore");
    cmdRecallAfter_ = new QPushButton("Recall &After Settings", this);
    cmdRecallAfter_->setObjectName("cmdRecallAfter");
    auto* cmdClose = new QPushButton("&Close", this);
    cmdClose->setObjectName("cmdClose");
    cmdClose->setDefault(true);
    connect(cmdRecallBefore_, &QPushButton::clicked, this, [this] { recall(false); });
    connect(cmdRecallAfter_, &QPushButton::clicked, this, [this] { recall(true); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRecallBefore_);
    buttons->addWidget(cmdRecallAfter_);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    // Wide enough that the details read as lines, not a column.
    setMinimumWidth(fontMetrics().averageCharWidth() * 84);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblHeading);
    layout->addWidget(lstChanges_, 2);
    layout->addWidget(lblChange_);
    layout->addWidget(tblChange_, 3);
    layout->addLayout(buttons);

    connect(lstChanges_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { showChange(row); });
    if (records_.empty()) {
        showChange(-1);
    } else {
        lstChanges_->selectRow(0);
        showChange(0);
    }
    lstChanges_->setFocus();
}

void ChangeHistoryWindow::showChange(int row) {
    const bool any = row >= 0 && row < static_cast<int>(records_.size());
    cmdRecallBefore_->setEnabled(false);
    cmdRecallAfter_->setEnabled(false);
    if (!any) {
        lblChange_->setText(records_.empty() ? "No change of this sensor is recorded." : "");
        fillCompareTable(tblChange_, {});
        return;
    }
    const ChangeRecord& r = records_[static_cast<std::size_t>(row)];
    QString details = sentence(r.change.action + " of " + tagText(r) + " on " +
                               localTimeText(r.timeUtc) + ": " + resultText(r)) +
                      "\n" + sentence(whoText(r)) + "\n" +
                      sentence(sensorText(r) + "; " + cellsSummary(r));
    if (!r.change.note.empty()) details += "\n" + sentence(r.change.note);
    lblChange_->setText(details);
    fillCompareTable(tblChange_, changedRows(r, view_.distanceUnit, view_.temperatureUnit));

    // A setup goes back only onto a sensor of the type it was programmed into.
    QString why;
    if (!view_.canRecall) {
        why = "Finish or cancel the edit first.";
    } else if (r.change.sensor.type != view_.sensorType) {
        why = "The sensor on screen is of another type.";
    }
    for (const auto& [button, after] :
         {std::pair{cmdRecallBefore_, false}, {cmdRecallAfter_, true}}) {
        const bool has = recordedSetup(r, after).has_value();
        button->setEnabled(has && why.isEmpty());
        button->setToolTip(!has ? "This change programmed no setup." : why);
    }
}

void ChangeHistoryWindow::recall(bool after) {
    const int row = lstChanges_->currentRow();
    if (row < 0 || row >= static_cast<int>(records_.size())) return;
    recalled_ = recordedSetup(records_[static_cast<std::size_t>(row)], after);
    if (recalled_) accept();
}

void ChangeHistoryWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    placeRelativeTo(this, parentWidget(), 50, 50);
}

}  // namespace k7
