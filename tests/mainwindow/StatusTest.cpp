#include <gtest/gtest.h>

#include <QMenu>
#include <QMessageBox>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "common/TextFile.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "windows/ErrorBox.h"

namespace k7 {
namespace {

class StatusTest : public test::MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;
    void SetUp() override {
        MainWindowFixture::SetUp();
        s = &addSensor(1);
        s->setTargetInches(25.0);
        s->setTemperatureC(21.0);
    }
    std::string iniText() {
        std::ifstream in(m.iniPath, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
};

TEST_F(StatusTest, LiveReadingsFollowTheTarget) {
    start();
    poll();
    EXPECT_EQ(text("AvgDist"), "25.00");
    // 4 mA at 6 in, 20 mA at 36 in: 4 + 16 * 19 / 30.
    EXPECT_EQ(text("CurrentOut"), "14.13");
    EXPECT_EQ(text("TargOut"), "ON");
    EXPECT_EQ(form->statusTimer->interval(), 220);
    EXPECT_TRUE(form->statusTimer->isActive());

    s->setTargetInches(30.5);
    poll();
    EXPECT_EQ(text("AvgDist"), "30.50");

    s->removeTarget();
    poll();
    EXPECT_EQ(text("AvgDist"), "(no echo)");
    EXPECT_EQ(text("CurrentOut"), "3.50");  // the no-echo current setting
}

TEST_F(StatusTest, FaultReportHidesTheReadingsUntilReset) {
    start();
    form->show();
    poll();
    QApplication::processEvents();
    const QPoint groups = form->Dist04->mapTo(form.get(), QPoint());
    s->setFaultBits(0x80 | 0x18);
    poll();
    EXPECT_EQ(text("Message"), "Brown-out Occurred\nSignal Fault");
    // One fault a line: the band is as tall as two lines of text.
    EXPECT_GE(form->Message->heightForWidth(form->Message->width()),
              2 * form->Message->fontMetrics().lineSpacing());
    EXPECT_TRUE(shown("ResetErr"));
    EXPECT_FALSE(shown("AvgDist"));
    EXPECT_EQ(form->Message->palette().color(QPalette::Window), QColor(255, 0, 0));
    QApplication::processEvents();
    EXPECT_EQ(form->Dist04->mapTo(form.get(), QPoint()), groups);  // nothing jumps aside

    bus.clearReceived();
    QTest::mouseClick(form->ResetErr, Qt::LeftButton);
    EXPECT_EQ(s->faultBits(), 0);
    EXPECT_EQ(s->cell(124), 0);
    EXPECT_EQ(s->cell(125), 0);
    EXPECT_EQ(bus.countReceived(125), 1);
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_EQ(text("Message"), "");
    EXPECT_FALSE(shown("ResetErr"));
    EXPECT_TRUE(shown("AvgDist"));
    EXPECT_TRUE(form->statusTimer->isActive());
    poll();
    EXPECT_EQ(text("AvgDist"), "25.00");
}

TEST_F(StatusTest, ResetErrorInEditModeTalksToTheSensorOnScreen) {
    start();
    form->show();
    QApplication::setActiveWindow(form.get());
    poll();
    s->setFaultBits(0x02);
    poll();
    type(form->SingleSensorID, "9");  // the tag to give the sensor when programming
    ASSERT_TRUE(m.editModeActive);
    // Were the requests sent to tag 9, nobody would answer: leave the window, do not hang.
    auto armed = std::make_shared<bool>(true);
    bool noComm = false;
    test::whenModalOpens([armed, &noComm](QWidget* dlg) {
        if (!*armed) return;
        noComm = true;
        QTest::mouseClick(dlg->findChild<QPushButton*>("Exit"), Qt::LeftButton);
    });
    form->resetErrorAction->trigger();
    *armed = false;
    EXPECT_FALSE(noComm);
    EXPECT_FALSE(m.link.programEnding);
    EXPECT_EQ(s->faultBits(), 0);
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_EQ(text("SingleSensorID"), "9");
    EXPECT_TRUE(m.editModeActive);
}

TEST_F(StatusTest, AutoResetClearsAFaultAtOnce) {
    start({"AUTORESETERROR"});
    s->setFaultBits(0x01);
    poll();
    EXPECT_EQ(s->faultBits(), 0);
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_FALSE(shown("ResetErr"));
}

TEST_F(StatusTest, DistanceUnitChangeUsesEachFieldsOwnTexts) {
    s->setCell(79, 3201 / 256);  // 25.0078 in: shows 25.01 in, 63.5 cm
    s->setCell(80, 3201 % 256);
    start();
    EXPECT_EQ(text("Dist04"), "25.01");
    form->centimetresAction->trigger();
    EXPECT_EQ(text("Dist04"), "63.5");
    EXPECT_EQ(text("Dist20"), "91.4");
    EXPECT_EQ(text("LabelUnits(1)"), "cm");
    EXPECT_EQ(text("LabelUnits(0)"), "cm");
    EXPECT_TRUE(form->centimetresAction->isChecked());
    EXPECT_FALSE(form->inchesAction->isChecked());
    EXPECT_NE(iniText().find("Units=0\r\n"), std::string::npos);
    // Back in inches the field shows its own inch text, not 63.5 cm read back.
    form->inchesAction->trigger();
    EXPECT_EQ(text("Dist04"), "25.01");
    EXPECT_EQ(m.distField(DistField::Dist04).stored, 3201);
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(StatusTest, NonNumericDistanceKeepsTheUnit) {
    start();
    form->Dist04->setText("1.2.3");  // pasted: the key filter would not let it be typed
    form->feetAction->trigger();
    EXPECT_EQ(m.distanceUnit, kIn);
    EXPECT_TRUE(form->inchesAction->isChecked());
    EXPECT_FALSE(form->feetAction->isChecked());
    EXPECT_TRUE(text("Message").startsWith("The 4 milliamp Distance is invalid."));
    EXPECT_EQ(text("Dist04"), "1.2.3");
    EXPECT_EQ(form->Dist04->palette().color(QPalette::Base), QColor(255, 0, 0));
}

TEST_F(StatusTest, SameUnitCommitsAndClearsTheMarksOnly) {
    start();
    const std::string before = iniText();
    form->Dist20->setText("40");
    form->inchesAction->trigger();
    EXPECT_EQ(text("Dist20"), "40.00");
    EXPECT_EQ(iniText(), before);
    EXPECT_EQ(text("Message"), "");
}

TEST_F(StatusTest, TemperatureUnitChangeRewritesTheCaptionsAndIni) {
    start();
    form->fahrenheitAction->trigger();
    EXPECT_EQ(text("TempUnits1"), "Deg. F");
    EXPECT_EQ(text("ManualTemperature"), "68.0");
    EXPECT_NE(iniText().find("TemperatureUnits=1\r\n"), std::string::npos);
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(StatusTest, CommHistoryMenuWritesTheFileAndSaysWhere) {
    start();
    poll();
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    form->commToFileAction->trigger();
    const std::string path = (QDir(dir.path()).absoluteFilePath("K7KCOMM.txt")).toStdString();
    auto lines = readTextLines(path);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 201u);
    EXPECT_EQ(lines->front(), " " + std::to_string(m.link.history.index));
    EXPECT_EQ(text("Message").toStdString(), "Comm history written to " + path);

    // A file that cannot be written is named in the error.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    QString box;
    test::whenModalOpens([&box](QWidget* dlg) {
        box = qobject_cast<QMessageBox*>(dlg)->text();
        qobject_cast<QMessageBox*>(dlg)->button(QMessageBox::Ok)->click();
    });
    form->commToFileAction->trigger();
    QDir::setCurrent(cwd);
    EXPECT_EQ(box, errorBoxText(76, "Is a directory: " + path, "Mainform.CommToFile_Click"));
}

TEST_F(StatusTest, AboutWindowShowsTheVersion) {
    start();
    QString version;
    test::whenModalOpens([&](QWidget* about) {
        version = about->findChild<QLabel*>("Label5")->text();
        QTest::mouseClick(about->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    });
    form->aboutAction->trigger();
    EXPECT_EQ(version, "K7700/SW version 3.10");
}

TEST_F(StatusTest, SensorThatStopsAnsweringOffersRetryInThePoll) {
    start();
    s->setSilent(true);
    bool retryShown = false;
    test::whenModalOpens([&](QWidget* dlg) {
        retryShown = dlg->findChild<QPushButton*>("RetryComm")->isVisible();
        EXPECT_FALSE(form->statusTimer->isActive());
        s->setSilent(false);
        QTest::mouseClick(dlg->findChild<QPushButton*>("RetryComm"), Qt::LeftButton);
    });
    poll();
    EXPECT_TRUE(retryShown);
    EXPECT_EQ(text("AvgDist"), "25.00");
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_FALSE(m.link.programEnding);
}

}  // namespace
}  // namespace k7
