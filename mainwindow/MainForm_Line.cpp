// The View menu: the line overview, the live trend of the sensor on screen and its data log.
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "mainwindow/ExitProgram.h"
#include "mainwindow/MainForm.h"
#include "settings/Module2.h"
#include "status/ReadingLog.h"
#include "status/frmLineOverview.h"
#include "status/frmTrend.h"
#include "windows/ScreenFit.h"
#include "windows/frmError.h"

namespace k7 {

void MainForm::buildViewMenu() {
    menuView = menuBar()->addMenu("&View");
    menuView->setObjectName("menuView");
    menuView->menuAction()->setObjectName("menuView");
    auto item = [this](const QString& caption, const char* name, void (MainForm::*f)()) {
        QAction* a = menuView->addAction(caption);
        a->setObjectName(name);
        connect(a, &QAction::triggered, this, [this, f] { (this->*f)(); });
        return a;
    };
    mnuLineOverview =
        item("&Line Overview ...", "mnuLineOverview", &MainForm::mnuLineOverview_Click);
    mnuTrend = item("Live &Trend ...", "mnuTrend", &MainForm::mnuTrend_Click);
    mnuLogCsv = item("Log to &CSV ...", "mnuLogCsv", &MainForm::mnuLogCsv_Click);
    mnuLogCsv->setCheckable(true);  // checked while logging; choosing it again stops
}

void MainForm::mnuLineOverview_Click() {
    if (!overview_) {
        overview_ = new frmLineOverview(m_, *this, m_.discovery.found, this);
        connect(overview_, &frmLineOverview::sensorChosen, this, &MainForm::showSensor);
        connect(overview_, &frmLineOverview::searched, this, [this](const std::vector<int>& tags) {
            if (tags.empty()) return;
            m_.discovery.found = tags;
            m_.discovery.SensorCount = static_cast<int>(tags.size());
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

void MainForm::showSensor(int tag) {
    if (SensorID->findText(QString::number(tag)) < 0) {
        // A sensor the last search of this window missed: into the list, in order.
        int at = 0;
        while (at < SensorID->count() && SensorID->itemText(at).toInt() < tag) ++at;
        SensorID->insertItem(at, QString::number(tag));
    }
    SensorID->setCurrentIndex(SensorID->findText(QString::number(tag)));
    SensorID_Click();
    raise();
    activateWindow();
}

void MainForm::mnuTrend_Click() {
    if (!trend_) {
        trend_ = new frmTrend(m_, this);
        connect(this, &MainForm::statusRead, trend_, &frmTrend::addReading);
        fitWindowToScreen(trend_, trend_->sizeHint().expandedTo(QSize(720, 520)));
    }
    trend_->show();
    trend_->raise();
    trend_->activateWindow();
}

void MainForm::mnuLogCsv_Click() {
    if (log_ && log_->isOpen()) {
        stopCsvLog();
        return;
    }
    mnuLogCsv->setChecked(false);
    QFileDialog dlg(this, "Log to CSV");
    dlg.setObjectName("dlgLogFile");
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter("CSV files (*.csv);;All files (*)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("csv");
    dlg.setDirectory(QDir::current());
    dlg.selectFile(QString("k7700-tag%1.csv").arg(m_.discovery.CurrentIDTag));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
    startCsvLog(dlg.selectedFiles().constFirst().toStdString());
}

bool MainForm::startCsvLog(const std::string& path) {
    stopCsvLog();
    auto log = std::make_unique<ReadingLog>();
    if (auto error = log->open(path, {m_.DistanceUnit, m_.TemperatureUnit}, m_.link.clock())) {
        frmError dlg(QString::fromStdString(*error), this);
        dlg.exec();
        if (dlg.exitChosen()) ExitProgram(m_);
        return false;
    }
    log_ = std::move(log);
    connect(this, &MainForm::statusRead, this, [this](const StatusReading& r) {
        if (!log_ || !log_->isOpen()) return;
        if (auto error = log_->write(r, m_.formats)) {
            stopCsvLog();
            frmError dlg(QString::fromStdString(*error), this);
            dlg.exec();
            if (dlg.exitChosen()) ExitProgram(m_);
            return;
        }
        showLogging();
    });
    mnuLogCsv->setChecked(true);
    showDoneMessage(QString::fromStdString("Logging to " + path));
    showLogging();
    return true;
}

void MainForm::showLogging() {
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

void MainForm::stopCsvLog() {
    disconnect(this, &MainForm::statusRead, this, nullptr);
    mnuLogCsv->setChecked(false);
    if (!log_) return;
    const std::string path = log_->path();
    const auto rows = log_->rows();
    log_.reset();
    showLogging();
    showDoneMessage(QString::fromStdString(std::to_string(rows) + " readings logged to " + path));
}

}  // namespace k7
