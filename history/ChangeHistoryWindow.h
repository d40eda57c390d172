#pragma once
// The change history of the sensor on screen: its changes newest first; the one selected shows
// what it changed, before -> after, in the compare window's table, and its setup before or
// after can be recalled onto the main screen (nothing is written until the user programs).
#include <QDialog>
#include <optional>
#include <vector>

#include "history/ChangeRecord.h"
#include "setupfile/SetupFormat.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace k7 {

// What the main window shows, for the table's units and for recalling.
struct HistoryView {
    int distanceUnit = 1;
    int temperatureUnit = 0;
    int sensorType = 0;     // a setup recalls only onto a sensor of its own type
    bool canRecall = true;  // false in edit mode: the user's edits are not replaced
};

class ChangeHistoryWindow : public QDialog {
    Q_OBJECT
public:
    ChangeHistoryWindow(std::vector<ChangeRecord> records, const QString& heading, HistoryView view,
                        QWidget* mainWindow);

    // The setup chosen with "Recall ..."; the window then closed.
    const std::optional<SetupValues>& recalled() const { return recalled_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void showChange(int row);
    void recall(bool after);

    std::vector<ChangeRecord> records_;
    HistoryView view_;
    std::optional<SetupValues> recalled_;
    QTableWidget* lstChanges_ = nullptr;
    QLabel* lblChange_ = nullptr;
    QTableWidget* tblChange_ = nullptr;
    QPushButton* cmdRecallBefore_ = nullptr;
    QPushButton* cmdRecallAfter_ = nullptr;
};

}  // namespace k7
