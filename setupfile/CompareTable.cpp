#include "setupfile/CompareTable.h"

#include <QHeaderView>
#include <QTableWidget>
#include <algorithm>

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

QTableWidget* compareTable(const std::vector<CompareRow>& rows, const QStringList& headings,
                           QWidget* parent, int maxHeight) {
    auto* table = new QTableWidget(0, 4, parent);
    table->setHorizontalHeaderLabels(QStringList{"", "Setting"} + headings);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setAlternatingRowColors(false);
    table->horizontalHeader()->setStretchLastSection(true);
    fillCompareTable(table, rows, maxHeight);
    return table;
}

void fillCompareTable(QTableWidget* table, const std::vector<CompareRow>& rows, int maxHeight) {
    table->setRowCount(static_cast<int>(rows.size()));
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

    // The whole table without scrolling where the screen allows it.
    int height = table->horizontalHeader()->height() + 2 * table->frameWidth();
    for (int r = 0; r < table->rowCount(); ++r) height += table->rowHeight(r);
    int width = 2 * table->frameWidth() + 24;
    for (int c = 0; c < table->columnCount(); ++c) width += table->columnWidth(c);
    if (maxHeight > 0) height = std::min(height, maxHeight);
    table->setMinimumSize(width, height);
}

}  // namespace k7
