#pragma once
// The commissioning report as a PDF: one A4 page for each ReportPage, painted with Qt's own
// PDF writer. Needs a QGuiApplication (fonts).
#include <string>
#include <vector>

#include "report/ReportModel.h"

namespace k7 {

// Writes the pages to `path`, replacing the file only once the new one is complete (a read-only
// file, a FIFO or a device is refused). Returns an error text, empty when written.
std::string writeReportPdf(const std::string& path, const std::vector<ReportPage>& pages);

}  // namespace k7
