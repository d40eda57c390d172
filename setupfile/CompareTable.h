#pragma once
// The table of a comparison of two setups: every row's setting and its two values, the rows
// that differ marked and in bold. The compare window and the change history show it.
#include <QStringList>
#include <vector>

#include "setupfile/SetupCompare.h"

class QTableWidget;
class QWidget;

namespace k7 {

// `headings` names the two value columns ("File", "Sensor"; "Before", "After"). The table asks
// for room to show every row where the screen allows (at most `maxHeight` when it is above 0).
QTableWidget* compareTable(const std::vector<CompareRow>& rows, const QStringList& headings,
                           QWidget* parent, int maxHeight = 0);

// Fills a table made by compareTable with other rows.
void fillCompareTable(QTableWidget* table, const std::vector<CompareRow>& rows, int maxHeight = 0);

}  // namespace k7
