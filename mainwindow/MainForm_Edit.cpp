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
#include "mainwindow/MainForm.h"
#include "settings/CommandLine.h"
#include "settings/Module2.h"
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

void MainForm::connectFields() {
    for (int i = 0; i < kDistFieldCount; ++i) {
        const auto f = static_cast<DistField>(i);
        FilteredField* w = distWidget(f);
        connect(w, &QLineEdit::textChanged, this, [this, f] {
            if (m_.ChangeTracking) m_.distField(f).Changed = true;
            EditMode(true);
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
        connect(w, &QLineEdit::textChanged, this, [this] { EditMode(true); });
    }
    connect(ManualTemperature, &QLineEdit::textChanged, this, [this] {
        m_.PresetTemperatureChanged = true;
        EditMode(true);
    });
    connect(SampleRate1, &QLineEdit::textChanged, this, [this] {
        EditMode(true);
        ShowNoEchoTime();
    });
    connect(NoEchoTimeout, &QLineEdit::textChanged, this, [this] {
        EditMode(true);
        Visibility();
    });
    connect(UserDescription, &QLineEdit::textChanged, this, [this] {
        EditMode(true);
        if (UserDescription->text() == kFactoryAccessCode) setInternalMenuVisible(true);
    });
    connect(SingleSensorID, &QLineEdit::textChanged, this, [this] {
        EditMode(true);
        if (!ui_.progressVisible()) m_.WriteIniFile(SingleSensorID->text().toStdString());
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
    connect(Timer1, &QTimer::timeout, this, &MainForm::Timer1_Timer);
    connect(Timer3, &QTimer::timeout, this, &MainForm::Timer3_Timer);
    connect(SensorID, &QComboBox::activated, this, [this] { SensorID_Click(); });
    connect(cmdCancelEdit, &QPushButton::clicked, this, &MainForm::cmdCancelEdit_Click);
    connect(ProgramModule, &QPushButton::clicked, this, &MainForm::ProgramModule_Click);
    connect(cmdSWTrigger, &QPushButton::clicked, this, [this] {
        if (const Link::Hold held = lineForUser()) m_.link.SendRequest(cmd::ManualTrigger);
    });
    connect(ResetErr, &QPushButton::clicked, this, &MainForm::ResetError_Click);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::LayoutRequest &&
        (watched == scroll_->widget() || watched == bottom_)) {
        // Once the layout has settled: the window grows with what it shows.
        if (!growPending_) {
            growPending_ = true;
            QTimer::singleShot(0, this, &MainForm::growToContent);
        }
    } else if (watched == cmdCancelEdit && event->type() == QEvent::FocusOut) {
        if (m_.ValuesValid) RedOut();
    } else if (qobject_cast<QComboBox*>(watched) && watched != SensorID) {
        if (event->type() == QEvent::FocusIn) listFocusChanged(true);
        if (event->type() == QEvent::FocusOut) listFocusChanged(false);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainForm::listFocusChanged(bool gained) {
    if (gained) {
        Timer1->start();
        return;
    }
    // One last look before the watcher stops, so a choice made just before leaving the list
    // is never left on screen without edit mode.
    Timer1->stop();
    checkListsForEdit();
}

void MainForm::Timer1_Timer() {
    Timer1->stop();
    checkListsForEdit();
    Timer1->start();
}

void MainForm::checkListsForEdit() {
    refreshCurrentLoopCaption();
    const StoredListPositions& s = m_.stored;
    const std::pair<QComboBox*, int> lists[] = {
        {OutputSpan, s.OutputSpan},   {NoTargetCurrent, s.NoTargetCurrent},
        {AverageType, s.AverageType}, {AverageSamples, s.AverageSamples},
        {TriggerMode, s.TriggerMode}, {cbMidMinLL, s.cbMidMinLL},
        {cbMidMaxLL, s.cbMidMaxLL}};
    for (const auto& [list, stored] : lists) {
        if (list->currentIndex() != stored) EditMode(true);
    }
    Visibility();
}

void MainForm::EditMode(bool editing) {
    if (!m_.ChangeTracking || editing == m_.EditModeActive) return;
    m_.EditModeActive = editing;
    // What worked before stays said only until the next change.
    if (editing && !doneText_.isEmpty() && Message->text() == doneText_) {
        setMessageBand(false);
        Message->clear();
    }
    doneText_.clear();
    const bool v = !editing;
    if (v) {
        Timer3->start();
    } else {
        Timer3->stop();
    }
    cmdSWTrigger->setEnabled(v);
    SensorID->setEnabled(v);
    // A port change searches the line and reads a sensor: it waits for the edit as well.
    for (QAction* a : {CalCurrentMenu, MenuSave, MenuRecall, MenuCompare, menuCommPort}) {
        a->setEnabled(v);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{
             Label1, lblAvgDist, AvgDist, LabelUnits[0], lblMinOut, MinOut, lblMaxOut, MaxOut,
             lblTargOut, TargOut, lblTargetStrength, TargetStrength, Label42, lblSerialNumber,
             SerialNumber, FactoryDescription}) {
        w->setVisible(v);
    }
    ShowTemperatureRow();
    for (QWidget* w : std::initializer_list<QWidget*>{Label6, CurrentOut, Label39}) {
        w->setVisible(v && modelScreen(m_.SensorType).outputCurrent);
    }
    for (QWidget* w :
         std::initializer_list<QWidget*>{ProgramModule, EditModeLabel, cmdCancelEdit}) {
        w->setVisible(editing);
    }
    Visibility();
}

void MainForm::refillScreen(const ScreenValues& sv) {
    // Putting checked or formatted values back is not an edit.
    const bool saved = m_.ChangeTracking;
    m_.ChangeTracking = false;
    applyScreenValues(sv);
    m_.ChangeTracking = saved;
}

bool MainForm::commitDistance(DistField f, bool fromField) {
    ScreenValues sv = screenValues();
    const auto failure = commitDistanceField(m_, sv, f);
    refillScreen(sv);
    if (!failure) return true;
    if (fromField) {
        holdFieldError(distWidget(f), *failure);
    } else {
        ShowErrMsg(QString::fromStdString(failure->message));
        for (const auto& name : failure->redFields) markRed(name);
    }
    return false;
}

bool MainForm::leavingForCancel(Qt::FocusReason reason) const {
    // A click on "Cancel Editing" (or its mnemonic) is about to throw the edit away: no check.
    // Tabbing onto it is no such choice.
    return QApplication::focusWidget() == cmdCancelEdit &&
           (reason == Qt::MouseFocusReason || reason == Qt::ShortcutFocusReason);
}

void MainForm::distanceFieldLeft(DistField f, Qt::FocusReason reason) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (leavingForCancel(reason)) return;
    // A text that does not parse is reported here, and again by the range check with the
    // sensor's limits.
    if (!commitDistance(f, true)) return;
    fieldLeft(kDistFieldName[static_cast<std::size_t>(f)], reason);
}

void MainForm::fieldLeft(const char* name, Qt::FocusReason reason) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) return;
    if (m_.SkipValidation || !loaded_) return;
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
    if (m_.FieldErrorShown) RedOut();
    m_.FieldErrorShown = false;
    errorField_ = nullptr;
}

void MainForm::holdFieldError(QWidget* w, const ValidationFailure& f) {
    m_.FieldErrorShown = true;  // before the message, so the focus is not sent to Cancel
    ShowErrMsg(QString::fromStdString(f.message));
    for (const auto& name : f.redFields) markRed(name);
    errorField_ = w;
    // The focus is on its way elsewhere: bring it back once it has arrived.
    QTimer::singleShot(0, w, [w] { w->setFocus(Qt::OtherFocusReason); });
}

bool MainForm::fieldErrorHolds() {
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

void MainForm::dropFieldError() {
    RedOut();
    m_.FieldErrorShown = false;
}

void MainForm::commitPresetTemperature() {
    if (!m_.PresetTemperatureChanged) return;
    const double c =
        commitPresetTemperatureC(ManualTemperature->text().toStdString(), m_.TemperatureUnit);
    m_.PresetTemperatureC = c;
    m_.PresetTemperatureF = celsiusToFahrenheit(c);
    const double shown = m_.TemperatureUnit == kFahrenheit ? m_.PresetTemperatureF : c;
    const bool saved = m_.ChangeTracking;
    m_.ChangeTracking = false;
    ManualTemperature->setText(QString::fromStdString(formatNumber(shown, "##0.0")));
    m_.ChangeTracking = saved;
    m_.PresetTemperatureChanged = true;  // every later leave commits again
}

void MainForm::ShowErrMsg(const QString& text) {
    setMessageBand(true);
    Message->setText(text);
    if (m_.link.ErrorBeep) QApplication::beep();
    if (!m_.FieldErrorShown && cmdCancelEdit->isVisible()) cmdCancelEdit->setFocus();
}

void MainForm::RedOut() {
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

void MainForm::markRed(const std::string& field) {
    if (field.empty()) return;
    if (QWidget* w = fieldByName(field)) setBackground(w, true);
}

void MainForm::cmdCancelEdit_Click() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    m_.FieldErrorShown = false;
    setSingleSensorIdText(QString::number(m_.discovery.CurrentIDTag));
    // Marks first: what the read has to say (codes not in their lists) stays on screen.
    RedOut();
    ShowUnitSelections();
    EditMode(false);
    m_.ValuesValid = true;
    focusFirstField();
}

void MainForm::ProgramModule_Click() {
    const Link::Hold held = lineForUser();
    if (!held) return;
    RedOut();
    errorField_ = nullptr;
    m_.FieldErrorShown = false;
    ScreenValues sv = screenValues();
    const auto failure = CheckValues(m_, sv);
    refillScreen(sv);
    if (failure) {
        ShowErrMsg(QString::fromStdString(failure->message));
        for (const auto& name : failure->redFields) markRed(name);
        return;
    }
    commitPresetTemperature();
    Message->clear();
    const int tagBefore = m_.discovery.CurrentIDTag;
    ProgramResult result;
    {
        const PollPause pause(*this);
        const QScopedValueRollback<bool> addressing(programming_, true);
        const auto busy = DisabledWhileBusy::contentsOf(this);
        ChangeScope change(m_.link, kProgramChange,
                           {setupAsRead_, setupRecordText(setupValuesFrom(m_, sv))});
        result = WriteAllUserEEPROM(m_, sv);
        if (m_.link.ProgramEnding) return;
    }
    if (result.status == ProgramStatus::TagUnavailable ||
        result.status == ProgramStatus::TagNotTaken) {
        // Nothing but (at most) the refused tag was written: the edits stay on screen, in
        // edit mode, with the message saying why.
        markRed("SingleSensorID");
        return;
    }
    if (m_.discovery.CurrentIDTag != tagBefore) {
        // The sensor answers to its new tag now: the list of tags found says so.
        std::replace(m_.discovery.found.begin(), m_.discovery.found.end(), tagBefore,
                     m_.discovery.CurrentIDTag);
        std::sort(m_.discovery.found.begin(), m_.discovery.found.end());
        clearSensorList();
        for (int tag : m_.discovery.found) addSensorToList(tag);
    }
    syncSensorList();
    if (!result.failedCells.empty()) {
        // The sensor holds all of the edit but what it refused: the screen keeps the user's
        // values, in edit mode, to be programmed again or cancelled.
        ShowErrMsg(QString::fromStdString(std::string(kVerifyFailedMessage) + ": " +
                                          notTakenText(result.failedCells, sv.OutputSpan) +
                                          ". Every other setting was written and verified. "
                                          "Your values stay on screen: program again, or "
                                          "cancel editing to see what the sensor holds."));
        for (int cell : result.failedCells) markRed(cellSetting(cell, sv.OutputSpan).field);
        return;
    }
    EditMode(false);
    ShowUnitSelections();
    showDoneMessage(QString("ID tag %1 programmed: every setting written and verified.")
                        .arg(m_.discovery.CurrentIDTag));
    focusFirstField();
}

void MainForm::showDoneMessage(const QString& text) {
    Message->setAutoFillBackground(true);
    QPalette pal = Message->palette();
    pal.setColor(QPalette::Window, QColor(222, 242, 222));
    pal.setColor(QPalette::WindowText, QColor(0, 90, 0));
    Message->setPalette(pal);
    Message->setText(text);
    doneText_ = text;
}

void MainForm::setInternalMenuVisible(bool visible) {
    InternalMenu->menuAction()->setVisible(visible);
}

}  // namespace k7
