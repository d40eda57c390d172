#pragma once
// The live trend of the sensor on the main screen: its readings from the status poll that runs
// anyway (no exchange of its own), over a span the user chooses, with pause.
#include <QWidget>

#include "status/Reading.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace k7 {

struct ProgramState;
class TrendPlot;

class TrendWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpans[] = {30, 60, 120, 300, 600};  // seconds

    TrendWindow(const ProgramState& m, QWidget* mainWindow);

    // A reading of the status poll. One of another sensor (the screen changed sensors) starts
    // the trend afresh.
    void addReading(const StatusReading& r);
    void setPaused(bool paused);
    bool paused() const { return paused_; }
    TrendPlot* plot() const { return plot_; }
    // The units or the sensor on screen changed.
    void refreshCaptions();

    QLabel* lblSensor = nullptr;
    QComboBox* cbSpan = nullptr;
    QPushButton* cmdPause = nullptr;
    QPushButton* cmdClose = nullptr;

private:
    const ProgramState& m_;
    TrendPlot* plot_ = nullptr;
    bool paused_ = false;
    int tag_ = 0;
};

}  // namespace k7
