#include "status/TrendWindow.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "status/TrendPlot.h"
#include "windows/Widgets.h"

namespace k7 {

TrendWindow::TrendWindow(const ProgramState& m, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_(m) {
    setObjectName("frmTrend");
    setAttribute(Qt::WA_DeleteOnClose);
    closeOnEscape(this);
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    lblSensor = new QLabel(this);
    lblSensor->setObjectName("lblSensor");
    bar->addWidget(lblSensor, 1);
    auto* spanLabel = new QLabel("&Span:", this);
    cbSpan = new QComboBox(this);
    cbSpan->setObjectName("cbSpan");
    for (int s : kSpans) {
        cbSpan->addItem(s < 60 ? QString("%1 seconds").arg(s)
                               : QString(s == 60 ? "1 minute" : "%1 minutes").arg(s / 60),
                        s);
    }
    cbSpan->setCurrentIndex(1);
    spanLabel->setBuddy(cbSpan);
    bar->addWidget(spanLabel);
    bar->addWidget(cbSpan);
    cmdPause = new QPushButton("&Pause", this);
    cmdPause->setObjectName("cmdPause");
    bar->addWidget(cmdPause);
    cmdClose = new QPushButton("&Close", this);
    cmdClose->setObjectName("cmdClose");
    bar->addWidget(cmdClose);
    layout->addLayout(bar);
    plot_ = new TrendPlot(this);
    layout->addWidget(plot_, 1);

    connect(cbSpan, &QComboBox::currentIndexChanged, this,
            [this] { plot_->setSpanSeconds(cbSpan->currentData().toInt()); });
    connect(cmdPause, &QPushButton::clicked, this, [this] { setPaused(!paused_); });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);
    plot_->setSpanSeconds(cbSpan->currentData().toInt());
    refreshCaptions();
}

void TrendWindow::refreshCaptions() {
    const int tag = m_.discovery.currentIdTag;
    const QString sensor =
        QString("ID tag %1: %2").arg(tag).arg(QString::fromStdString(modelName(m_.sensorType)));
    setWindowTitle("Live Trend - " + sensor);
    lblSensor->setText(sensor + (paused_ ? "  (paused)" : ""));
    plot_->setUnits(m_.distanceUnit, m_.temperatureUnit);
}

void TrendWindow::addReading(const StatusReading& r) {
    if (r.tag != tag_) {
        tag_ = r.tag;
        plot_->buffer().clear();
    }
    refreshCaptions();  // the sensor or the units may have changed
    plot_->buffer().add(r);
    if (!paused_) plot_->setEndUs(r.timeUs);
}

void TrendWindow::setPaused(bool paused) {
    paused_ = paused;
    cmdPause->setText(paused ? "&Resume" : "&Pause");
    if (!paused && plot_->buffer().size() > 0)
        plot_->setEndUs(plot_->buffer()[plot_->buffer().size() - 1].timeUs);
    refreshCaptions();
}

}  // namespace k7
