#pragma once
// The comparison of a setup file with the sensor: every setting, the file's value beside the
// sensor's, the differences marked. It only shows; nothing is written.
#include <QDialog>
#include <vector>

#include "setupfile/SetupCompare.h"

namespace k7 {

class CompareWindow : public QDialog {
    Q_OBJECT
public:
    CompareWindow(const std::vector<CompareRow>& rows, const QString& filePath,
                  const QString& sensorText, QWidget* mainWindow);

protected:
    void showEvent(QShowEvent* e) override;
};

}  // namespace k7
