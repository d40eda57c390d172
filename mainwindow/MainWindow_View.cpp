// What the main screen shows: copying settings to and from the widgets, and which fields are
// visible and how they are captioned.
#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "mainwindow/Fields.h"
#include "mainwindow/MainWindow.h"
#include "settings/Lists.h"
#include "settings/ProgramState.h"
#include "settings/SensorTypes.h"
#include "settings/Validation.h"

namespace k7 {
namespace {

std::string text(const QLineEdit* e) {
    return e->text().toStdString();
}
QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void setIndex(QComboBox* c, int index) {
    c->setCurrentIndex(index >= 0 && index < c->count() ? index : -1);
}

}  // namespace

void MainWindow::setCaption(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

void MainWindow::setMessageBand(bool red) {
    Message->setAutoFillBackground(red);
    QPalette pal = Message->palette();
    pal.setColor(QPalette::Window, red ? QColor(255, 0, 0) : QColor(Qt::transparent));
    pal.setColor(QPalette::WindowText,
                 red ? QColor(Qt::white) : QApplication::palette().color(QPalette::WindowText));
    Message->setPalette(pal);
}

FilteredField* MainWindow::distWidget(DistField f) const {
    switch (f) {
        case DistField::Dist04:
            return Dist04;
        case DistField::Dist20:
            return Dist20;
        case DistField::CloseSetPoint:
            return CloseSetPoint;
        case DistField::FarSetPoint:
            return FarSetPoint;
        case DistField::UserMaxRange:
            return UserMaxRange;
    }
    return Dist04;
}

QWidget* MainWindow::fieldByName(const std::string& name) const {
    return findChild<QWidget*>(QString::fromStdString(name));
}

ScreenValues MainWindow::screenValues() const {
    ScreenValues v;
    v.SingleSensorID = text(SingleSensorID);
    for (int i = 0; i < kDistFieldCount; ++i) {
        v.DistText[static_cast<std::size_t>(i)] = text(distWidget(static_cast<DistField>(i)));
    }
    v.OutputSpan = OutputSpan->currentIndex();
    v.NoTargetCurrent = NoTargetCurrent->currentIndex();
    v.AverageType = AverageType->currentIndex();
    v.AverageSamples = AverageSamples->currentIndex();
    v.TriggerMode = TriggerMode->currentIndex();
    v.cbMidMinLL = cbMidMinLL->currentIndex();
    v.cbMidMaxLL = cbMidMaxLL->currentIndex();
    v.CloseMinLL = text(CloseMinLL);
    v.FarMinLL = text(FarMinLL);
    v.NoEchoMinLL = text(NoEchoMinLL);
    v.CloseMaxLL = text(CloseMaxLL);
    v.FarMaxLL = text(FarMaxLL);
    v.NoEchoMaxLL = text(NoEchoMaxLL);
    v.TargLL = text(TargLL);
    v.Hysteresis1 = text(Hysteresis1);
    v.SampleRate1 = text(SampleRate1);
    v.NoEchoTimeout = text(NoEchoTimeout);
    v.TriggerDelay = text(TriggerDelay);
    v.ManualTemperature = text(ManualTemperature);
    v.UserDescription = text(UserDescription);
    v.SerialNumber = SerialNumber->text().toStdString();
    v.FactoryDescription = FactoryDescription->text().toStdString();
    return v;
}

void MainWindow::applyScreenValues(const ScreenValues& v) {
    auto set = [](QLineEdit* e, const std::string& s) {
        if (e->text() != q(s)) e->setText(q(s));
    };
    set(SingleSensorID, v.SingleSensorID);
    for (int i = 0; i < kDistFieldCount; ++i) {
        set(distWidget(static_cast<DistField>(i)), v.DistText[static_cast<std::size_t>(i)]);
    }
    setIndex(OutputSpan, v.OutputSpan);
    setIndex(NoTargetCurrent, v.NoTargetCurrent);
    setIndex(AverageType, v.AverageType);
    adjustAverageSamples();
    setIndex(AverageSamples, v.AverageSamples);
    setIndex(TriggerMode, v.TriggerMode);
    setIndex(cbMidMinLL, v.cbMidMinLL);
    setIndex(cbMidMaxLL, v.cbMidMaxLL);
    set(CloseMinLL, v.CloseMinLL);
    set(FarMinLL, v.FarMinLL);
    set(NoEchoMinLL, v.NoEchoMinLL);
    set(CloseMaxLL, v.CloseMaxLL);
    set(FarMaxLL, v.FarMaxLL);
    set(NoEchoMaxLL, v.NoEchoMaxLL);
    set(TargLL, v.TargLL);
    set(Hysteresis1, v.Hysteresis1);
    set(SampleRate1, v.SampleRate1);
    set(NoEchoTimeout, v.NoEchoTimeout);
    set(TriggerDelay, v.TriggerDelay);
    set(ManualTemperature, v.ManualTemperature);
    set(UserDescription, v.UserDescription);
    setCaption(SerialNumber, q(v.SerialNumber));
    setCaption(FactoryDescription, q(v.FactoryDescription));
}

void MainWindow::showG503Fields(const ModelScreen& shown) {
    auto show = [](std::initializer_list<QWidget*> widgets, bool visible) {
        for (QWidget* w : widgets) w->setVisible(visible);
    };
    show({Label18, UserMaxRange, LabelUnits[5]}, !shown.currentLoop);
    show({LowCurrentDistance, Dist04, LabelUnits[1], Label13, Dist20, LabelUnits[2], Label12,
          OutputSpan, Label8, NoTargetCurrent, Label43},
         shown.currentLoop);
    show({Label23, TriggerMode}, shown.triggerMode);
    show({Label6, CurrentOut, Label39}, shown.outputCurrent);
    show({Label36, TargLL}, shown.echoOutputWithNoEcho);
    toolsMenu->menuAction()->setVisible(shown.currentLoop);
    temperatureCompensationMenu->menuAction()->setVisible(shown.temperature);
    temperatureUnitsMenu->menuAction()->setVisible(shown.temperature);
    if (!m_.temperatureHidden) show({Temperature, LabelTempUnits, Label4}, shown.temperature);
}

void MainWindow::setUnitInfoVisible(bool visible) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             Dist04,         Dist20,       OutputSpan,   NoTargetCurrent,   CloseSetPoint,
             FarSetPoint,    UserMaxRange, CloseMinLL,   cbMidMinLL,        FarMinLL,
             NoEchoMinLL,    CloseMaxLL,   cbMidMaxLL,   FarMaxLL,          NoEchoMaxLL,
             Hysteresis1,    TargLL,       SampleRate1,  NoEchoTimeout,     AverageType,
             AverageSamples, TriggerMode,  TriggerDelay, ManualTemperature, UserDescription}) {
        w->setVisible(visible);
    }
}

void MainWindow::refreshCurrentLoopCaption() {
    const int span = OutputSpan->currentIndex();
    if (span >= 0 && span <= 1 && m_.sensorType != 4) {
        setCaption(LowCurrentDistance, kLowCurrentCaption[static_cast<std::size_t>(span)]);
    }
}

void MainWindow::applyModelVisibility() {
    Message->setVisible(true);
    refreshCurrentLoopCaption();
    const bool maxRange = isMaxRangeModel(m_.sensorType);
    // The G615 has no trigger mode setting: it samples on its internal trigger.
    const int trigger = m_.sensorType == 4 ? 0 : std::max(TriggerMode->currentIndex(), 0);
    const bool internal = trigger >= 0 && trigger < 2;
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblSampleRate, SampleRate1, lblSamplesPerSec}) {
        w->setVisible(internal);
    }
    // Every model with a trigger-mode setting (the G615 has none) has the delay.
    for (QWidget* w : std::initializer_list<QWidget*>{DelayLabel1, TriggerDelay, DelayLabel2}) {
        w->setVisible(trigger == 3);
    }
    cmdSWTrigger->setVisible(trigger == 4);
    showNoEchoTime();
    setCaption(TempUnits1, kTempUnitName[static_cast<std::size_t>(m_.temperatureUnit)]);
    const bool preset = m_.temperatureCompensation == 1 && !maxRange;
    for (QWidget* w :
         std::initializer_list<QWidget*>{lblPresetTemp, ManualTemperature, TempUnits1}) {
        w->setVisible(preset);
    }
    const int hyst = (cbMidMinLL->currentIndex() == kMidZoneNoChange ? 1 : 0) +
                     (cbMidMaxLL->currentIndex() == kMidZoneNoChange ? 2 : 0);
    setCaption(lblHysteresis, kHysteresisCaption[static_cast<std::size_t>(hyst)]);
    Hysteresis1->setVisible(hyst != 3);
    lblPercent->setVisible(hyst != 3);
    adjustAverageSamples();
    // A field hidden with its error on it can no longer be mended there.
    if (errorField_ && !errorField_->isVisibleTo(this)) dropFieldError();
}

void MainWindow::showNoEchoTime() {
    const int trigger = m_.sensorType == 4 ? 0 : std::max(TriggerMode->currentIndex(), 0);
    QString caption = "Samples";
    if (trigger >= 0 && trigger < 2) {
        const double r = lenientNumber(SampleRate1->text().toStdString());
        if (r >= 0.1 && r <= 100) {
            const double secs = lenientNumber(NoEchoTimeout->text().toStdString()) / r;
            caption = "Samples (" + q(trim(formatNumber(secs, "######.000"))) + " Sec.)";
        } else {
            caption = "Samples (--- Sec.)";
        }
    }
    setCaption(LblNoEchoTO, caption);
}

void MainWindow::adjustAverageSamples() {
    const bool saved = m_.changeTracking;
    if (AverageType->currentIndex() == 1 && AverageSamples->count() < 7) {
        for (int i = 6; i < 11; ++i) {
            AverageSamples->addItem(kAverageSamplesEntries[static_cast<std::size_t>(i)]);
        }
    } else if (AverageType->currentIndex() == 0 && AverageSamples->count() > 6) {
        if (AverageSamples->currentIndex() > 5) AverageSamples->setCurrentIndex(4);
        for (int i = 10; i >= 6; --i) AverageSamples->removeItem(i);
    }
    m_.changeTracking = saved;
}

void MainWindow::showTemperatureRow() {
    // Status rows close up when the temperature row is hidden: hidden rows take no space.
    QWidget* rows[][3] = {{lblAvgDist, AvgDist, LabelUnits[0]},
                          {Label4, Temperature, LabelTempUnits},
                          {Label6, CurrentOut, Label39},
                          {lblMinOut, MinOut, nullptr},
                          {lblMaxOut, MaxOut, nullptr},
                          {lblTargOut, TargOut, nullptr},
                          {lblTargetStrength, TargetStrength, Label42},
                          {lblSerialNumber, SerialNumber, nullptr}};
    if (statusGrid_->indexOf(lblAvgDist) < 0) {
        for (int r = 0; r < 8; ++r) {
            for (int c = 0; c < 3; ++c) {
                if (rows[r][c]) statusGrid_->addWidget(rows[r][c], r + 1, c);
            }
        }
        statusGrid_->addWidget(FactoryDescription, 9, 0, 1, 3);
    }
    const bool show =
        !m_.temperatureHidden && !m_.editModeActive && modelScreen(m_.sensorType).temperature;
    for (QWidget* w : std::initializer_list<QWidget*>{Label4, Temperature, LabelTempUnits}) {
        w->setVisible(show);
    }
}

void MainWindow::showTemperature() {
    if (m_.temperatureHidden) return;
    QString t;
    const bool f = m_.temperatureUnit == kFahrenheit;
    if (m_.temperatureCompensation == 1) {
        t = q(formatNumber(f ? m_.presetTemperatureF : m_.presetTemperatureC, "##0.0"));
    } else if (m_.temperatureReceived) {
        t = q(formatNumber(f ? m_.measuredTemperatureF : m_.measuredTemperatureC, "##0.0"));
    }
    setCaption(Temperature, t);
}

void MainWindow::updateUnits() {
    m_.changeTracking = false;
    const QString unit = kUnitName[static_cast<std::size_t>(m_.distanceUnit)];
    for (QLabel* l : LabelUnits) setCaption(l, unit);
    for (int i = 0; i < kDistFieldCount; ++i) {
        const auto& s = m_.dist[static_cast<std::size_t>(i)];
        distWidget(static_cast<DistField>(i))
            ->setText(q(s.unitText[static_cast<std::size_t>(m_.distanceUnit)]));
    }
    // The live reading follows the unit at once rather than at the next poll.
    if (m_.lastAvgDistanceStored > 1 && AvgDist->text() != "(no echo)" &&
        AvgDist->text() != "(close)") {
        setCaption(AvgDist, q(unitTexts(m_.lastAvgDistanceInches,
                                        m_.formats)[static_cast<std::size_t>(m_.distanceUnit)]));
    }
    m_.changeTracking = true;
}

void MainWindow::updateTemperatureUnits() {
    const bool f = m_.temperatureUnit == kFahrenheit;
    ManualTemperature->setText(q(formatNumber(
        f ? celsiusToFahrenheit(m_.presetTemperatureC) : m_.presetTemperatureC, "##0.0")));
    const QString name = kTempUnitName[static_cast<std::size_t>(m_.temperatureUnit)];
    setCaption(LabelTempUnits, name);
    setCaption(TempUnits1, name);
    showTemperature();
}

}  // namespace k7
