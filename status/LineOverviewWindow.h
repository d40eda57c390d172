#pragma once
// The whole line at a glance: one row for every sensor found, refreshed round-robin over the
// line (one exchange at a time) while the main window's poll rests. A sensor that stops
// answering stays, greyed, with the time it was last seen. Enter or a double click on a row
// shows that sensor in the main window.
#include <QWidget>
#include <optional>
#include <set>

#include "status/RoundRobinPoll.h"
#include "status/StatusPoll.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace k7 {

struct ProgramState;

class LineOverviewWindow : public QWidget {
    Q_OBJECT
public:
    // Rows for `tags` (the sensors the main window's search found).
    LineOverviewWindow(ProgramState& m, StatusPoll& poll, const std::vector<int>& tags,
                       QWidget* mainWindow);
    ~LineOverviewWindow() override;

    // One step of the round-robin, then the next one is timed.
    void sweepStep();
    // Shows the rows read since the last time (tmrShow).
    void showPending();
    void searchLine();
    void copyTable();
    // The table as text, in the order it is shown.
    QString tableAsText() const;
    const RoundRobinPoll& poller() const { return poll_; }

    QTableWidget* tblSensors = nullptr;
    QLabel* lblLine = nullptr;
    QPushButton* cmdShow = nullptr;
    QPushButton* cmdSearch = nullptr;
    QPushButton* cmdCopy = nullptr;
    QPushButton* cmdClose = nullptr;
    QTimer* tmrSweep = nullptr;
    QTimer* tmrShow = nullptr;

signals:
    // The user chose a sensor to see in the main window.
    void sensorChosen(int tag);
    // The search found these sensors.
    void searched(const std::vector<int>& tags);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void rebuild();
    void showRow(std::size_t index);
    void chooseCurrent();
    void timeNextStep(bool lineWasBusy);

    ProgramState& m_;
    std::optional<PollPause> pause_;
    RoundRobinPoll poll_;
    int shownUnit_ = -1;
    std::set<std::size_t> pending_;  // rows read but not yet shown
};

}  // namespace k7
