#include <gtest/gtest.h>

#include <QTest>

#include "support/MainWindowFixture.h"

namespace k7 {
namespace {

class EditModeTest : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        addSensor(1).setTargetInches(20.0);
        startShown();
    }
    void pick(QComboBox* list, int index) {
        list->setFocus(Qt::MouseFocusReason);
        list->setCurrentIndex(index);
        form->checkListsTick();  // one watcher tick
    }
    bool editing() const { return m.editModeActive; }
};

TEST_F(EditModeTest, StoredListEntryDoesNotStartEditingAnotherDoes) {
    ASSERT_EQ(m.stored.OutputSpan, 1);
    pick(form->OutputSpan, 1);
    EXPECT_TRUE(form->listCheckTimer->isActive());  // the watcher runs while a list has the focus
    EXPECT_FALSE(editing());
    pick(form->OutputSpan, 0);
    EXPECT_TRUE(editing());
    EXPECT_EQ(text("LowCurrentDistance"), "&0 mA Distance:");
    EXPECT_TRUE(shown("ProgramModule"));
    EXPECT_TRUE(shown("cmdCancelEdit"));
    EXPECT_TRUE(shown("EditModeLabel"));
    EXPECT_FALSE(shown("AvgDist"));
    EXPECT_FALSE(shown("Label1"));
    EXPECT_FALSE(form->statusTimer->isActive());
    EXPECT_FALSE(form->SensorID->isEnabled());
    form->UserDescription->setFocus();
    EXPECT_FALSE(form->listCheckTimer->isActive());
}

TEST_F(EditModeTest, ListChangedJustBeforeLeavingStillStartsEditing) {
    form->TriggerMode->setFocus(Qt::MouseFocusReason);
    form->TriggerMode->setCurrentIndex(2);
    form->UserDescription->setFocus(Qt::TabFocusReason);  // no watcher tick in between
    EXPECT_TRUE(editing());
}

TEST_F(EditModeTest, RefillsNeverStartEditing) {
    form->showUnitSelections();
    form->centimetresAction->trigger();
    form->fahrenheitAction->trigger();
    EXPECT_FALSE(editing());
}

TEST_F(EditModeTest, CancelBringsBackTheSensorsValues) {
    type(form->Hysteresis1, "12");
    EXPECT_TRUE(editing());
    QTest::mouseClick(form->cmdCancelEdit, Qt::LeftButton);
    EXPECT_FALSE(editing());
    EXPECT_EQ(text("Hysteresis1"), "5");
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_TRUE(m.valuesValid);
    EXPECT_FALSE(shown("ProgramModule"));
    EXPECT_TRUE(shown("AvgDist"));
}

TEST_F(EditModeTest, MidZoneNoChangeCaptionsTheHysteresis) {
    pick(form->cbMidMinLL, 2);
    EXPECT_EQ(text("lblHysteresis"), "Hysteresis for OUTPUT B:");
    pick(form->cbMidMaxLL, 2);
    EXPECT_EQ(text("lblHysteresis"), "");
    EXPECT_FALSE(shown("Hysteresis1"));
    EXPECT_FALSE(shown("lblPercent"));
    pick(form->cbMidMinLL, 0);
    EXPECT_EQ(text("lblHysteresis"), "Hysteresis for OUTPUT A:");
    EXPECT_TRUE(shown("Hysteresis1"));
}

TEST_F(EditModeTest, RollingAverageTrimsTheSampleList) {
    pick(form->AverageType, 1);
    ASSERT_EQ(form->AverageSamples->count(), 11);
    pick(form->AverageSamples, 10);
    EXPECT_EQ(text("AverageSamples"), "1024");
    pick(form->AverageType, 0);
    EXPECT_EQ(form->AverageSamples->count(), 6);
    EXPECT_EQ(text("AverageSamples"), "16");
}

TEST_F(EditModeTest, NoEchoTimeCaption) {
    type(form->SampleRate1, "10");
    type(form->NoEchoTimeout, "25");
    EXPECT_EQ(text("LblNoEchoTO"), "Samples (2.500 Sec.)");
    type(form->SampleRate1, "0");
    EXPECT_EQ(text("LblNoEchoTO"), "Samples (--- Sec.)");
    pick(form->TriggerMode, 2);
    EXPECT_EQ(text("LblNoEchoTO"), "Samples");
    EXPECT_FALSE(shown("SampleRate1"));
    pick(form->TriggerMode, 3);
    EXPECT_TRUE(shown("TriggerDelay"));
    pick(form->TriggerMode, 4);
    EXPECT_FALSE(shown("TriggerDelay"));
}

TEST_F(EditModeTest, TogglesFlipOnClickEnterAndSpaceOnly) {
    ASSERT_EQ(text("CloseMinLL"), "ON");
    QTest::keyClick(form->CloseMinLL, Qt::Key_A);
    QTest::keyClick(form->CloseMinLL, Qt::Key_Delete);
    QTest::keyClick(form->CloseMinLL, Qt::Key_Backspace);
    EXPECT_EQ(text("CloseMinLL"), "ON");
    EXPECT_FALSE(editing());
    QTest::keyClick(form->CloseMinLL, Qt::Key_Space);
    EXPECT_EQ(text("CloseMinLL"), "OFF");
    EXPECT_TRUE(editing());
    QTest::keyClick(form->CloseMinLL, Qt::Key_Return);
    EXPECT_EQ(text("CloseMinLL"), "ON");
    QTest::mouseClick(form->CloseMinLL, Qt::LeftButton);
    EXPECT_EQ(text("CloseMinLL"), "OFF");
}

TEST_F(EditModeTest, KeyFiltersDropWhatCanNeverBeAValue) {
    type(form->Dist20, "12a.5.3");
    EXPECT_EQ(text("Dist20"), "12.53");
    type(form->Hysteresis1, "1.5x");
    EXPECT_EQ(text("Hysteresis1"), "15");
    type(form->SampleRate1, "2.5");
    EXPECT_EQ(text("SampleRate1"), "2.5");
    // A selected "." may be typed over.
    form->SampleRate1->setSelection(1, 1);
    QTest::keyClicks(form->SampleRate1, ".");
    EXPECT_EQ(text("SampleRate1"), "2.5");
    type(form->ManualTemperature, "-5.5");
    EXPECT_EQ(text("ManualTemperature"), "-5.5");
}

TEST_F(EditModeTest, EnterCommitsADistanceField) {
    type(form->CloseSetPoint, "10.004");
    QTest::keyClick(form->CloseSetPoint, Qt::Key_Return);
    EXPECT_EQ(text("CloseSetPoint"), "10.00");
    EXPECT_EQ(m.distField(DistField::CloseSetPoint).stored, 1281);
}

TEST_F(EditModeTest, BadFieldKeepsTheFocusAndShowsItsMessage) {
    type(form->Hysteresis1, "95");
    leave(form->Hysteresis1);
    QApplication::processEvents();
    EXPECT_EQ(text("Message"), "The Hysteresis percent value must be between 0 and 89, inclusive.");
    EXPECT_EQ(form->Hysteresis1->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(QApplication::focusWidget(), form->Hysteresis1);
    EXPECT_TRUE(m.fieldErrorShown);
    // Mended: the marks go at the next passing check.
    type(form->Hysteresis1, "9");
    leave(form->Hysteresis1);
    EXPECT_EQ(text("Message"), "");
    EXPECT_NE(form->Hysteresis1->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_FALSE(m.fieldErrorShown);
}

TEST_F(EditModeTest, FailedFieldCheckKeepsTheFocusWhateverItsPath) {
    for (const char* bad : {"", "."}) {
        form->Dist04->setFocus(Qt::MouseFocusReason);
        form->Dist04->selectAll();
        QTest::keyClick(form->Dist04, Qt::Key_Backspace);
        QTest::keyClicks(form->Dist04, bad);
        ASSERT_TRUE(editing());
        for (int tab = 0; tab < 2; ++tab) {  // leaving again changes nothing
            QTest::keyClick(form->Dist04, Qt::Key_Tab);
            QApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), form->Dist04) << bad;
            EXPECT_TRUE(text("Message").startsWith("The 4 milliamp Distance is invalid.")) << bad;
            EXPECT_EQ(form->Dist04->palette().color(QPalette::Base), QColor(255, 0, 0));
        }
        QTest::keyClick(form->Dist04, Qt::Key_Return);  // Enter commits: the same failure
        QApplication::processEvents();
        EXPECT_EQ(QApplication::focusWidget(), form->Dist04);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        EXPECT_TRUE(editing());  // nothing thrown away
        type(form->Dist04, "6");
        leave(form->Dist04);
        EXPECT_EQ(text("Message"), "");
    }
}

TEST_F(EditModeTest, FieldInErrorHiddenOrMendedFromAMenuLetsTheOtherChecksRun) {
    form->presetTemperatureAction->trigger();
    type(form->ManualTemperature, "500");
    leave(form->ManualTemperature);
    ASSERT_TRUE(text("Message").startsWith("The Preset Temperature must be between"));
    form->fahrenheitAction->trigger();  // shows the preset held, 68.0: the error no longer applies
    type(form->Hysteresis1, "95");
    leave(form->Hysteresis1);
    EXPECT_EQ(text("Message"), "The Hysteresis percent value must be between 0 and 89, inclusive.");
    type(form->Hysteresis1, "9");
    leave(form->Hysteresis1);
    type(form->ManualTemperature, "500");
    leave(form->ManualTemperature);
    ASSERT_TRUE(text("Message").startsWith("The Preset Temperature must be between"));
    type(form->Hysteresis1, "95");
    leave(form->Hysteresis1);  // only the field in error is checked meanwhile
    EXPECT_TRUE(text("Message").startsWith("The Preset Temperature must be between"));
    form->automaticTemperatureAction
        ->trigger();  // hides the field in error: its message and mark go
    EXPECT_FALSE(shown("ManualTemperature"));
    EXPECT_EQ(text("Message"), "");
    EXPECT_NE(form->ManualTemperature->palette().color(QPalette::Base), QColor(255, 0, 0));
    type(form->Hysteresis1, "96");
    leave(form->Hysteresis1);
    EXPECT_EQ(text("Message"), "The Hysteresis percent value must be between 0 and 89, inclusive.");
    EXPECT_EQ(QApplication::focusWidget(), form->Hysteresis1);
}

TEST_F(EditModeTest, MeasuredTemperatureShowsPlainlyThenThePendingMessageReturns) {
    poll();  // a measured temperature to show
    type(form->Hysteresis1, "95");
    leave(form->Hysteresis1);
    const QString pending = text("Message");
    form->automaticTemperatureAction->trigger();
    EXPECT_TRUE(text("Message").endsWith(" deg. C"));
    EXPECT_FALSE(form->Message->autoFillBackground());  // no red band ...
    EXPECT_EQ(form->Message->palette().color(QPalette::WindowText),
              QApplication::palette().color(QPalette::WindowText));  // ... and no white text
    auto* flash = form->findChild<QTimer*>("tmrMessageFlash");
    ASSERT_NE(flash, nullptr);
    flash->start(0);
    QTest::qWait(20);
    EXPECT_EQ(text("Message"), pending);
    EXPECT_TRUE(form->Message->autoFillBackground());
    EXPECT_EQ(form->Message->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(form->Hysteresis1->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(EditModeTest, GroupsKeepTheirPlaceAndSizeWhenTheStatusIsHidden) {
    auto place = [this] {
        QApplication::processEvents();
        return std::pair{form->Dist04->mapTo(form.get(), QPoint()),
                         form->Dist04->parentWidget()->size()};
    };
    const auto before = place();
    type(form->Hysteresis1, "7");
    ASSERT_TRUE(editing());
    EXPECT_EQ(place(), before);
    QTest::mouseClick(form->cmdCancelEdit, Qt::LeftButton);
    EXPECT_EQ(place(), before);
}

TEST_F(EditModeTest, PresetTemperatureCommitsInHalfDegrees) {
    form->presetTemperatureAction->trigger();
    EXPECT_TRUE(editing());
    EXPECT_TRUE(shown("ManualTemperature"));
    type(form->ManualTemperature, "21.3");
    leave(form->ManualTemperature);
    EXPECT_EQ(text("ManualTemperature"), "21.5");
    EXPECT_DOUBLE_EQ(m.presetTemperatureC, 21.5);
    form->automaticTemperatureAction->setChecked(false);
    m.temperatureHidden = false;  // no flash of the measured temperature
    form->automaticTemperatureAction->trigger();
    EXPECT_FALSE(shown("ManualTemperature"));
    EXPECT_TRUE(form->automaticTemperatureAction->isChecked());
}

TEST_F(EditModeTest, DescriptionWithTheFactoryCodeShowsTheInternalMenu) {
    type(form->UserDescription, "5290318846");
    EXPECT_TRUE(form->internalMenu->menuAction()->isVisible());
}

}  // namespace
}  // namespace k7

namespace k7 {
namespace {

TEST_F(EditModeTest, ManualTriggerButtonSendsATriggerOutsideEditMode) {
    m.stored.TriggerMode = 4;  // as if the sensor were in manual trigger mode
    pick(form->TriggerMode, 4);
    EXPECT_FALSE(editing());
    EXPECT_TRUE(shown("cmdSWTrigger"));
    bus.clearReceived();
    QTest::mouseClick(form->cmdSWTrigger, Qt::LeftButton);
    EXPECT_EQ(bus.countReceived(1), 1);
    type(form->Hysteresis1, "7");
    EXPECT_TRUE(shown("cmdSWTrigger"));
    EXPECT_FALSE(form->cmdSWTrigger->isEnabled());
}

}  // namespace
}  // namespace k7
