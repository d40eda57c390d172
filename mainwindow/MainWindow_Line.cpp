// The View menu: the line overview, the live trend of the sensor on screen and its data log.
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "mainwindow/ExitProgram.h"
#include "mainwindow/MainWindow.h"
#include "settings/ProgramState.h"
#include "status/LineOverviewWindow.h"
#include "status/ReadingLog.h"
#include "status/TrendWindow.h"
#include "windows/FileErrorWindow.h"
#include "windows/ScreenFit.h"

namespace k7 {

void MainWindow::buildViewMenu() {
    viewMenu = menuBar()->addMenu("&View");
    viewMenu->setObjectName("menuView");
    viewMenu->menuAction()->setObjectName("menuView");
    auto item = [this](const QString& caption, const char* name, void (MainWindow::*f)()) {
        QAction* a = viewMenu->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, f] { (this->*f)(); });
        return a;
    };
    lineOverviewAction =
        item("&Line Overview ...", "mnuLineOverview", &MainWindow::showLineOverview);
    trendAction = item("Live &Trend ...", "mnuTrend", &MainWindow::showTrend);
    logCsvAction = item("Log to &CSV ...", "mnuLogCsv", &MainWindow::toggleCsvLog);
    logCsvAction->setCheckable(true);  // checked while logging; choosing it again stops
}

void MainWindow::showLineOverview() {
    if (!overview_) {
        overview_ = new LineOverviewWindow(m_, *this, m_.discovery.found, this);
        connect(overview_, &LineOverviewWindow::sensorChosen, this, &MainWindow::showSensor);
        connect(overview_, &LineOverviewWindow::searched, this,
                [this](const std::vector<int>& tags) {
                    if (tags.empty()) return;
                    m_.discovery.found = tags;
                    m_.discovery.sensorCount = static_cast<int>(tags.size());
                    clearSensorList();
                    for (int tag : tags) addSensorToList(tag);
                    syncSensorList();
                });
        fitWindowToScreen(overview_, overview_->sizeHint().expandedTo(QSize(1000, 420)));
        // The overview reads the line in turn meanwhile: the status here says it rests.
        lblStatusPaused_->show();
        connect(overview_, &QObject::destroyed, lblStatusPaused_, &QWidget::hide);
    }
    overview_->show();
    overview_->raise();
    overview_->activateWindow();
}

void MainWindow::showSensor(int tag) {
    if (SensorID->findText(QString::number(tag)) < 0) {
        // A sensor the last search of this window missed: into the list, in order.
        int at = 0;
        while (at < SensorID->count() && SensorID->itemText(at).toInt() < tag) ++at;
        SensorID->insertItem(at, QString::number(tag));
    }
    SensorID->setCurrentIndex(SensorID->findText(QString::number(tag)));
    showChosenSensor();
    raise();
    activateWindow();
}

void MainWindow::showTrend() {
    if (!trend_) {
        trend_ = new TrendWindow(m_, this);
        connect(this, &MainWindow::statusRead, trend_, &TrendWindow::addReading);
        fitWindowToScreen(trend_, trend_->sizeHint().expandedTo(QSize(720, 520)));
    }
    trend_->show();
    trend_->raise();
    trend_->activateWindow();
}

void MainWindow::toggleCsvLog() {
    if (log_ && log_->isOpen()) {
        stopCsvLog();
        return;
    }
    logCsvAction->setChecked(false);
    QFileDialog dlg(this, "Log to CSV");
    dlg.setObjectName("dlgLogFile");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter("CSV files (*.csv);;All files (*)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("csv");
    dlg.setDirectory(QDir::current());
    dlg.selectFile(QString("k7700-tag%1.csv").arg(m_.discovery.currentIdTag));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    startCsvLog(dlg.selectedFiles().constFirst().toStdString());
}

bool MainWindow::startCsvLog(const std::string& path) {
    stopCsvLog();
    auto log = std::make_unique<ReadingLog>();
    if (auto error = log->open(path, {m_.distanceUnit, m_.temperatureUnit}, m_.link.clock())) {
        FileErrorWindow dlg(QString::fromStdString(*error), this);
        dlg.exec();
        if (dlg.exitChosen()) ExitProgram(m_);
        return false;
    }
    log_ = std::move(log);
    connect(this, &MainWindow::statusRead, this, [this](const StatusReading& r) {
        if (!log_ || !log_->isOpen()) return;
        if (auto error = log_->write(r, m_.formats)) {
            stopCsvLog();
            FileErrorWindow dlg(QString::fromStdString(*error), this);
            dlg.exec();
            if (dlg.exitChosen()) ExitProgram(m_);
            return;
        }
        showLogging();
    });
    logCsvAction->setChecked(true);
    showDoneMessage(QString::fromStdString("Logging to " + path));
    showLogging();
    return true;
}

void MainWindow::showLogging() {
    const bool logging = log_ && log_->isOpen();
    if (logging) {
        const auto rows = log_->rows();
        lblLogging_->setText(QString("Logging to %1: %2 %3")
                                 .arg(QString::fromStdString(log_->path()))
                                 .arg(rows)
                                 .arg(rows == 1 ? "row" : "rows"));
    }
    statusBar()->setVisible(logging);
}

void MainWindow::stopCsvLog() {
    disconnect(this, &MainWindow::statusRead, this, nullptr);
    logCsvAction->setChecked(false);
    if (!log_) return;
    const std::string path = log_->path();
    const auto rows = log_->rows();
    log_.reset();
    showLogging();
    showDoneMessage(QString::fromStdString(std::to_string(rows) + " readings logged to " + path));
}

}  // namespace k7
