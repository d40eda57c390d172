// Edit mode: the change handlers, the list watcher, field checks, cancel and programming.
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScrollArea>
#include <QTimer>
#include <algorithm>

#include "common/NumberFormat.h"
#include "link/Commands.h"
#include "mainwindow/Fields.h"
#include "mainwindow/GuiLinkUi.h"
#include "mainwindow/MainWindow.h"
#include "settings/CommandLine.h"
#include "settings/ProgramState.h"
#include "settings/Programming.h"
#include "settings/SensorTypes.h"
#include "settings/Validation.h"
#include "setupfile/SetupScreen.h"
#include "windows/DisabledWhileBusy.h"

namespace k7 {
namespace {

// The field's background; a list shows its selection on the button colour.
void setBackground(QWidget* w, bool red) {
    QPalette pal = w->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button}) {
        pal.setColor(role, red ? QColor(255, 0, 0) : QApplication::palette().color(role));
    }
    w->setPalette(pal);
}

}  // namespace

void MainWindow::connectFields() {
    for (int i = 0; i < kDistFieldCount; ++i) {
        const auto f = static_cast<DistField>(i);
        FilteredField* w = distWidget(f);
        connect(w, &QLineEdit::textChanged, this, [this, f] {
            if (m_.changeTracking) m_.distField(f).changed = true;
            setEditMode(true);
        });
        connect(w, &FilteredField::commitRequested, this, [this, f] { commitDistance(f, true); });
        // Going back into a field clears its mark, unless it is held there by its own error.
        connect(w, &FilteredField::focusEntered, this, [this, w] {
            if (errorField_ != w) setBackground(w, false);
        });
        connect(w, &FilteredField::focusLeft, this,
                [this, f](Qt::FocusReason r) { distanceFieldLeft(f, r); });
    }
    for (QLineEdit* w : std::initializer_list<QLineEdit*>{Hysteresis1, TriggerDelay, CloseMinLL,
                                                          FarMinLL, NoEchoMinLL, CloseMaxLL,
                                                          FarMaxLL, NoEchoMaxLL, TargLL}) {
        connect(w, &QLineEdit::textChanged, this, [this] { setEditMode(true); });
    }
    connect(ManualTemperature, &QLineEdit::textChanged, this, [this] {
        m_.presetTemperatureChanged = true;
        setEditMode(true);
    });
    connect(SampleRate1, &QLineEdit::textChanged, this, [this] {
        setEditMode(true);
        showNoEchoTime();
    });
    connect(NoEchoTimeout, &QLineEdit::textChanged, this, [this] {
        setEditMode(true);
        applyModelVisibility();
    });
    connect(UserDescription, &QLineEdit::textChanged, this, [this] {
        setEditMode(true);
        if (UserDescription->text() == kFactoryAccessCode) setInternalMenuVisible(true);
    });
    connect(SingleSensorID, &QLineEdit::textChanged, this, [this] {
        setEditMode(true);
        if (!ui_.progressVisible()) m_.saveIni(SingleSensorID->text().toStdString());
    });
    for (auto [w, name] : std::initializer_list<std::pair<FilteredField*, const char*>>{
             {SingleSensorID, "SingleSensorID"},
             {Hysteresis1, "Hysteresis1"},
             {SampleRate1, "SampleRate1"},
             {NoEchoTimeout, "NoEchoTimeout"},
             {TriggerDelay, "TriggerDelay"},
             {ManualTemperature, "ManualTemperature"}}) {
        connect(w, &FilteredField::focusLeft, this,
                [this, name](Qt::FocusReason r) { fieldLeft(name, r); });
    }
    for (QComboBox* c : {OutputSpan, NoTargetCurrent, AverageType, AverageSamples, TriggerMode,
                         cbMidMinLL, cbMidMaxLL}) {
        c->installEventFilter(this);
    }
    cmdCancelEdit->installEventFilter(this);
    connect(listCheckTimer, &QTimer::timeout, this, &MainWindow::checkListsTick);
    connect(statusTimer, &QTimer::timeout, this, &MainWindow::pollStatus);
    connect(SensorID, &QComboBox::activated, this, [this] { showChosenSensor(); });
    connect(cmdCancelEdit, &QPushButton::clicked, this, &MainWindow::cancelEdit);
    connect(ProgramModule, &QPushButton::clicked, this, &MainWindow::programFromScreen);
    connect(cmdSWTrigger, &QPushButton::clicked, this, [this] {
        if (const Link::Hold held = lineForUser()) m_.link.sendRequest(cmd::ManualTrigger);
    });
    connect(ResetErr, &QPushButton::clicked, this, &MainWindow::resetSensorError);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LayoutRequest &&
        (watched == scroll_->widget() || watched == bottom_)) {
        // Once the layout has settled: the window grows with what it shows.
        if (!growPending_) {
            growPending_ = true;
            QTimer::singleShot(0, this, &MainWindow::growToContent);
        }
    } else if (watched == cmdCancelEdit && event->type() == QEvent::FocusOut) {
        if (m_.valuesValid) clearErrorMarks();
    } else if (qobject_cast<QComboBox*>(watched) && watched != SensorID) {
        if (event->type() == QEvent::FocusIn) listFocusChanged(true);
        if (event->type() == QEvent::FocusOut) listFocusChanged(false);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::listFocusChanged(bool gained) {
    if (gained) {
        listCheckTimer->start();
        return;
    }
    // One last look before the watcher stops, so a choice made just before leaving the list
    // is never left on screen without edit mode.
    listCheckTimer->stop();
    checkListsForEdit();
}

void MainWindow::checkListsTick() {
    listCheckTimer->stop();
    checkListsForEdit();
    listCheckTimer->start();
}

void MainWindow::checkListsForEdit() {
    refreshCurrentLoopCaption();
    const StoredListPositions& s = m_.stored;
    const std::pair<QComboBox*, int> lists[] = {
        {OutputSpan, s.OutputSpan},   {NoTargetCurrent, s.NoTargetCurrent},
        {AverageType, s.AverageType}, {AverageSamples, s.AverageSamples},
        {TriggerMode, s.TriggerMode}, {cbMidMinLL, s.cbMidMinLL},
        {cbMidMaxLL, s.cbMidMaxLL}};
    for (const auto& [list, stored] : lists) {
        if (list->currentIndex() != stored) setEditMode(true);
    }
    applyModelVisibility();
}

void MainWindow::setEditMode(bool editing) {
    if (!m_.changeTracking || editing == m_.editModeActive) return;
    m_.editModeActive = editing;
    // What worked before stays said only until the next change.
    if (editing && !doneText_.isEmpty() && Message->text() == doneText_) {
        setMessageBand(false);
        Message->clear();
    }
    doneText_.clear();
    const bool v = !editing;
    if (v) {
        statusTimer->start();
    } else {
        statusTimer->stop();
    }
    cmdSWTrigger->setEnabled(v);
    SensorID->setEnabled(v);
    // A port change searches the line and reads a sensor: it waits for the edit as well.
    for (QAction* a : {calibrateCurrentAction, saveSetupAction, recallSetupAction,
                       compareSetupAction, commPortAction}) {
        a->setEnabled(v);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             Label1, lblAvgDist, AvgDist, LabelUnits[0], lblMinOut, MinOut, lblMaxOut, MaxOut,
             lblTargOut, TargOut, lblTargetStrength, TargetStrength, Label42, lblSerialNumber,
             SerialNumber, FactoryDescription}) {
        w->setVisible(v);
    }
    showTemperatureRow();
    for (QWidget* w : std::initializer_list<QWidget*>{Label6, CurrentOut, Label39}) {
        w->setVisible(v && modelScreen(m_.sensorType).outputCurrent);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ProgramModule, EditModeLabel, cmdCancelEdit}) {
        w->setVisible(editing);
    }
    applyModelVisibility();
}

void MainWindow::refillScreen(const ScreenValues& sv) {
    // Putting checked or formatted values back is not an edit.
    const bool saved = m_.changeTracking;
    m_.changeTracking = false;
    applyScreenValues(sv);
    m_.changeTracking = saved;
}

bool MainWindow::commitDistance(DistField f, bool fromField) {
    ScreenValues sv = screenValues();
    const auto failure = commitDistanceField(m_, sv, f);
    refillScreen(sv);
    if (!failure) return true;
    if (fromField) {
        holdFieldError(distWidget(f), *failure);
    } else {
        showErrorMessage(QString::fromStdString(failure->message));
        for (const auto& name : failure->redFields) markRed(name);
    }
    return false;
}

bool MainWindow::leavingForCancel(Qt::FocusReason reason) const {
    // A click on "Cancel Editing" (or its mnemonic) is about to throw the edit away: no check.
    // Tabbing onto it is no such choice.
    return QApplication::focusWidget() == cmdCancelEdit &&
           (reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason);
}

void MainWindow::distanceFieldLeft(DistField f, Qt::FocusReason reason) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (leavingForCancel(reason)) return;
    // A text that does not parse is reported here, and again by the range check with the
    // sensor's limits.
    if (!commitDistance(f, true)) return;
    fieldLeft(kDistFieldName[static_cast<std::size_t>(f)], reason);
}

void MainWindow::fieldLeft(const char* name, Qt::FocusReason reason) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (m_.skipValidation || !loaded_) return;
    QWidget* w = fieldByName(name);
    // Only the field that holds the error is checked while it has one; the field the user
    // clicked into meanwhile gets the focus back only after the error is mended.
    if (errorField_ != w && fieldErrorHolds()) return;
    if (leavingForCancel(reason)) return;
    ScreenValues sv = screenValues();
    const auto failure = checkField(m_, sv, name);
    refillScreen(sv);
    if (failure) {
        holdFieldError(w, *failure);
        return;
    }
    if (std::string(name) == "ManualTemperature") commitPresetTemperature();
    if (m_.fieldErrorShown) clearErrorMarks();
    m_.fieldErrorShown = false;
    errorField_ = nullptr;
}

void MainWindow::holdFieldError(QWidget* w, const ValidationFailure& f) {
    m_.fieldErrorShown = true;  // before the message, so the focus is not sent to Cancel
    showErrorMessage(QString::fromStdString(f.message));
    for (const auto& name : f.redFields) markRed(name);
    errorField_ = w;
    // The focus is on its way elsewhere: bring it back once it has arrived.
    QTimer::singleShot(0, w, [w] { w->setFocus(Qt::OtherFocusReason); });
}

bool MainWindow::fieldErrorHolds() {
    if (!errorField_) return false;
    // The error goes when its field is hidden or its check passes now (a unit or mode chosen
    // from a menu meanwhile): then the other fields are checked again.
    if (errorField_->isVisibleTo(this)) {
        ScreenValues sv = screenValues();
        const auto failure = checkField(m_, sv, errorField_->objectName().toStdString());
        refillScreen(sv);
        if (failure) return true;
    }
    dropFieldError();
    return false;
}

void MainWindow::dropFieldError() {
    clearErrorMarks();
    m_.fieldErrorShown = false;
}

void MainWindow::commitPresetTemperature() {
    if (!m_.presetTemperatureChanged) return;
    const double c =
        commitPresetTemperatureC(ManualTemperature->text().toStdString(), m_.temperatureUnit);
    m_.presetTemperatureC = c;
    m_.presetTemperatureF = celsiusToFahrenheit(c);
    const double shown = m_.temperatureUnit == kFahrenheit ? m_.presetTemperatureF : c;
    const bool saved = m_.changeTracking;
    m_.changeTracking = false;
    ManualTemperature->setText(QString::fromStdString(formatNumber(shown, "##0.0")));
    m_.changeTracking = saved;
    m_.presetTemperatureChanged = true;  // every later leave commits again
}

void MainWindow::showErrorMessage(const QString& text) {
    setMessageBand(true);
    Message->setText(text);
    if (m_.link.errorBeep) QApplication::beep();
    if (!m_.fieldErrorShown && cmdCancelEdit->isVisible()) cmdCancelEdit->setFocus();
}

void MainWindow::clearErrorMarks() {
    for (QWidget* w : std::initializer_list<QWidget*>{
             SingleSensorID, Dist04, Dist20, CloseSetPoint, FarSetPoint, UserMaxRange, Hysteresis1,
             SampleRate1, NoEchoTimeout, TriggerDelay, ManualTemperature, OutputSpan,
             NoTargetCurrent, AverageType, AverageSamples, TriggerMode, cbMidMinLL, cbMidMaxLL}) {
        setBackground(w, false);
    }
    setMessageBand(false);
    Message->clear();
    errorField_ = nullptr;  // nothing is marked: no field holds an error
}

void MainWindow::markRed(const std::string& field) {
    if (field.empty()) return;
    if (QWidget* w = fieldByName(field)) setBackground(w, true);
}

void MainWindow::cancelEdit() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    m_.fieldErrorShown = false;
    setSingleSensorIdText(QString::number(m_.discovery.currentIdTag));
    // Marks first: what the read has to say (codes not in their lists) stays on screen.
    clearErrorMarks();
    showUnitSelections();
    setEditMode(false);
    m_.valuesValid = true;
    focusFirstField();
}

void MainWindow::programFromScreen() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    clearErrorMarks();
    errorField_ = nullptr;
    m_.fieldErrorShown = false;
    ScreenValues sv = screenValues();
    const auto failure = checkValues(m_, sv);
    refillScreen(sv);
    if (failure) {
        showErrorMessage(QString::fromStdString(failure->message));
        for (const auto& name : failure->redFields) markRed(name);
        return;
    }
    commitPresetTemperature();
    Message->clear();
    const int tagBefore = m_.discovery.currentIdTag;
    ProgramResult result;
    {
        const PollPause pause(*this);
        const QScopedValueRollback<bool> addressing(programming_, true);
        const auto busy = DisabledWhileBusy::contentsOf(this);
        ChangeScope change(m_.link, kProgramChange,
                           {setupAsRead_, setupRecordText(setupValuesFrom(m_, sv))});
        result = writeAllUserEeprom(m_, sv);
        if (m_.link.programEnding) return;
    }
    if (result.status == ProgramStatus::TagUnavailable ||
        result.status == ProgramStatus::TagNotTaken) {
        // Nothing but (at most) the refused tag was written: the edits stay on screen, in
        // edit mode, with the message saying why.
        markRed("SingleSensorID");
        return;
    }
    if (m_.discovery.currentIdTag != tagBefore) {
        // The sensor answers to its new tag now: the list of tags found says so.
        std::replace(m_.discovery.found.begin(), m_.discovery.found.end(), tagBefore,
                     m_.discovery.currentIdTag);
        std::sort(m_.discovery.found.begin(), m_.discovery.found.end());
        clearSensorList();
        for (int tag : m_.discovery.found) addSensorToList(tag);
    }
    syncSensorList();
    if (!result.failedCells.empty()) {
        // The sensor holds all of the edit but what it refused: the screen keeps the user's
        // values, in edit mode, to be programmed again or cancelled.
        showErrorMessage(QString::fromStdString(std::string(kVerifyFailedMessage) + ": " +
                                                notTakenText(result.failedCells, sv.OutputSpan) +
                                                ". Every other setting was written and verified. "
                                                "Your values stay on screen: program again, or "
                                                "cancel editing to see what the sensor holds."));
        for (int cell : result.failedCells) markRed(cellSetting(cell, sv.OutputSpan).field);
        return;
    }
    setEditMode(false);
    showUnitSelections();
    showDoneMessage(QString("ID tag %1 programmed: every setting written and verified.")
                        .arg(m_.discovery.currentIdTag));
    focusFirstField();
}

void MainWindow::showDoneMessage(const QString& text) {
    Message->setAutoFillBackground(true);
    QPalette pal = Message->palette();
    pal.setColor(QPalette::Window, QColor(222, 242, 222));
    pal.setColor(QPalette::WindowText, QColor(0, 90, 0));
    Message->setPalette(pal);
    Message->setText(text);
    doneText_ = text;
}

void MainWindow::setInternalMenuVisible(bool visible) {
    internalMenu->menuAction()->setVisible(visible);
}

}  // namespace k7
