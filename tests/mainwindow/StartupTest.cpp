#include <gtest/gtest.h>

#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QTest>
#include <fstream>

#include "common/TextFile.h"
#include "common/Version.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "windows/ProgressWindow.h"

namespace k7 {
namespace {

class StartupTest : public test::MainWindowFixture {
protected:
    std::string readIni() {
        std::ifstream in(m.iniPath, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }
    void writeIni(const std::string& port, const std::string& idTag = "1") {
        writeTextFile(m.iniPath,
                      joinCrLf({"K7700.ini", "Port=" + port, "Units=1", "TemperatureUnits=0",
                                "IDTag=" + idTag, "PathAndFilename="}));
    }
};

TEST_F(StartupTest, FirstRunWritesTheIniFileAndAsksForAPort) {
    addSensor(1);
    QString asked;
    test::whenModalOpens([&](QWidget* dlg) {
        asked = dlg->findChild<QLabel*>("CommMessage")->text();
        dlg->findChild<QRadioButton*>("SelectComm(2)")->click();
        QTest::mouseClick(dlg->findChild<QPushButton*>("CommOK"), Qt::LeftButton);
    });
    startWithIniPort();
    EXPECT_EQ(asked, "Select a Communications port (serial port) below:");
    EXPECT_EQ(line.device(), "/dev/ttyS1");
    EXPECT_EQ(readIni(), "K7700.ini initialization file for k7700 software version " +
                             versionText() +
                             "\r\nPort=2\r\nUnits=1\r\nTemperatureUnits=0\r\nIDTag=1\r\n"
                             "PathAndFilename=\r\n");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(text("SingleSensorID"), "1");
}

TEST_F(StartupTest, StoredPortThatFailsIsOfferedAgainWithItsNumber) {
    addSensor(1);
    writeIni("300");  // not a port number: reset to none, so the port window asks first
    QString firstMessage;
    test::whenModalOpens([&](QWidget* dlg) {
        firstMessage = dlg->findChild<QLabel*>("CommMessage")->text();
        dlg->findChild<QRadioButton*>("SelectComm(4)")->click();
        QTest::mouseClick(dlg->findChild<QPushButton*>("CommOK"), Qt::LeftButton);
    });
    startWithIniPort();
    EXPECT_EQ(firstMessage, "Select a Communications port (serial port) below:");

    // Next run: port 4 is stored but gone.
    form.reset();
    line.setUnavailable({"/dev/ttyS3"});
    ProgramState m2(line, clock, ui);
    m2.iniPath = m.iniPath;
    QString failMessage;
    bool commChecked = false;
    test::whenModalOpens([&](QWidget* dlg) {
        failMessage = dlg->findChild<QLabel*>("CommMessage")->text();
        commChecked = dlg->findChild<QRadioButton*>("SelectComm(4)")->isChecked();
        dlg->findChild<QRadioButton*>("SelectComm(1)")->click();
        QTest::mouseClick(dlg->findChild<QPushButton*>("CommOK"), Qt::LeftButton);
    });
    MainWindow f2(m2, ui, {});
    ui.attach(&f2, &m2);
    f2.load();
    EXPECT_EQ(failMessage,
              "Communications port 4 is unavailable. Select a Comm port below. "
              "If Comm 4 is selected, it will be re-tried.\n\n"
              "No such file or directory: /dev/ttyS3");
    EXPECT_TRUE(commChecked);
    EXPECT_EQ(line.device(), "/dev/ttyS0");
    f2.hide();
}

TEST_F(StartupTest, SeveralSensorsShowTheListAndThePreferredTagIsSelected) {
    addSensor(2);
    addSensor(30, 1);
    writeIni("1", "30");
    start();
    EXPECT_TRUE(shown("SensorID"));
    EXPECT_FALSE(shown("SingleSensorID"));
    auto* list = w<QComboBox>("SensorID");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->itemText(0), "2");
    EXPECT_EQ(list->currentText(), "30");
    EXPECT_EQ(m.discovery.currentIdTag, 30);
    EXPECT_EQ(text("FactoryDescription"), "Sensor: 95 kHz 8 degree beam");

    // Choosing the sensor on screen again reads nothing.
    bus.clearReceived();
    form->showChosenSensor();
    EXPECT_TRUE(bus.received().empty());

    // Choosing the other sensor reads it without entering edit mode.
    list->setCurrentIndex(0);
    form->showChosenSensor();
    EXPECT_EQ(m.discovery.currentIdTag, 2);
    EXPECT_EQ(text("SingleSensorID"), "2");
    EXPECT_EQ(text("FactoryDescription"), "Sensor: 220 kHz 8 degree beam");
    EXPECT_FALSE(m.editModeActive);
    EXPECT_NE(readIni().find("IDTag=2\r\n"), std::string::npos);
}

TEST_F(StartupTest, OneSensorShowsItsTagAndSettings) {
    addSensor(5);
    start();
    EXPECT_FALSE(shown("SensorID"));
    EXPECT_TRUE(shown("SingleSensorID"));
    EXPECT_EQ(text("SingleSensorID"), "5");
    EXPECT_EQ(text("Label1"), "K-7700 STATUS");
    EXPECT_EQ(text("SerialNumber"), " 100005");
    EXPECT_EQ(text("Dist04"), "6.00");
    EXPECT_EQ(text("Dist20"), "36.00");
    EXPECT_EQ(text("OutputSpan"), "4-20 mA");
    EXPECT_EQ(text("LowCurrentDistance"), "&4 mA Distance:");
    EXPECT_EQ(text("Hysteresis1"), "5");
    EXPECT_EQ(text("SampleRate1"), "10");
    EXPECT_EQ(text("LabelUnits(1)"), "in");
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_EQ(form->statusTimer->interval(), 1000);
    EXPECT_FALSE(m.editModeActive);
    EXPECT_FALSE(shown("ProgramModule"));
    EXPECT_FALSE(form->internalMenu->menuAction()->isVisible());
    // The current-calibration mode is switched off at the end of start-up.
    EXPECT_EQ(bus.countReceived(121), 1);
}

TEST_F(StartupTest, G615ShowsItsOwnCaptionsAndNoCurrentLoop) {
    addSensor(1, 4);
    start();
    EXPECT_EQ(text("Label1"), "G-615 STATUS");
    EXPECT_EQ(form->windowTitle(), "Ulmaron(TM) G-615 Smart Ultrasonic Sensor - ID tag 1: G615");
    EXPECT_EQ(text("Label11"), "MAXIMUM RANGE");
    for (const char* hidden : {"Dist04", "Dist20", "OutputSpan", "NoTargetCurrent", "TriggerMode",
                               "CurrentOut", "Label6", "TargLL"}) {
        EXPECT_FALSE(shown(hidden)) << hidden;
    }
    EXPECT_TRUE(shown("UserMaxRange"));
    EXPECT_TRUE(shown("SampleRate1"));
    EXPECT_EQ(text("UserMaxRange"), "120.0");  // 95 kHz family: one decimal for inches
    EXPECT_TRUE(form->toolsMenu->menuAction()->isVisible());
}

TEST_F(StartupTest, G503InExternalTriggerWithDelayShowsTheDelay) {
    addSensor(1, 3).setCell(101, 3);
    start();
    EXPECT_FALSE(shown("TriggerMode"));
    EXPECT_TRUE(shown("TriggerDelay"));
    EXPECT_TRUE(shown("DelayLabel1"));
}

TEST_F(StartupTest, VelkorSensorHasAFixedTriggerMode) {
    addSensor(1, 5);
    start();
    EXPECT_EQ(text("FactoryDescription"), "Sensor: Velkor custom");
    EXPECT_FALSE(form->TriggerMode->isEnabled());
    EXPECT_TRUE(form->OutputSpan->isEnabled());
}

TEST_F(StartupTest, FactoryCodeShowsTheInternalMenu) {
    addSensor(1);
    start({"/5290318846"});
    EXPECT_TRUE(form->internalMenu->menuAction()->isVisible());
}

TEST_F(StartupTest, FactoryCodeStoredAsTheDescriptionShowsTheInternalMenu) {
    sim::SimSensor& s = addSensor(1);
    const std::string code = "5290318846";
    for (std::size_t i = 0; i < code.size(); ++i)
        s.setCell(46 + static_cast<int>(i), static_cast<std::uint8_t>(code[i]));
    start();
    EXPECT_TRUE(form->internalMenu->menuAction()->isVisible());
}

TEST_F(StartupTest, PortChosenOnSimulatedSensorsIsKeptForRealOnesAndTheSimulatorNever) {
    addSensor(1);
    writeIni("3");
    m.simulated = true;
    m.portOverridden = true;
    m.discovery.port = {0, kSimulatedPortName};
    // "Select New Comm Port" pressed while the search runs.
    QTimer press;
    press.setInterval(0);
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (ui.gauge() && ui.gauge()->isVisible()) {
            press.stop();
            ui.gauge()->findChild<QPushButton*>("SelNewComm")->click();
        }
    });
    press.start();
    bool offeredStoredPort = false;
    QString message;
    test::whenModalOpens([&](QWidget* dlg) {
        offeredStoredPort = dlg->findChild<QRadioButton*>("SelectComm(3)")->isChecked();
        message = dlg->findChild<QLabel*>("CommMessage")->text();
        dlg->findChild<QRadioButton*>("SelectComm(2)")->click();
        QTest::mouseClick(dlg->findChild<QPushButton*>("CommOK"), Qt::LeftButton);
    });
    startWithIniPort();
    EXPECT_TRUE(offeredStoredPort);
    EXPECT_TRUE(message.contains("kept for the next start without --simulate"));
    // The run stays on the simulated sensors; the INI keeps the real port only.
    EXPECT_EQ(line.device(), kSimulatedPortName);
    EXPECT_EQ(text("SingleSensorID"), "1");
    EXPECT_NE(readIni().find("\r\nPort=2\r\n"), std::string::npos);
    EXPECT_EQ(readIni().find("PortName="), std::string::npos);
    EXPECT_TRUE(form->windowTitle().startsWith("SIMULATED - "));

    // An INI that an earlier version gave the simulator's name names no port.
    IniReadResult r;
    r.values.portName = kSimulatedPortName;
    m.applyIni(r);
    EXPECT_FALSE(m.iniPort.chosen());
}

TEST_F(StartupTest, ExitFromTheMenuEndsEverything) {
    addSensor(1);
    start();
    form->exitAction->trigger();
    EXPECT_TRUE(m.exiting);
    EXPECT_TRUE(m.link.programEnding);
    EXPECT_FALSE(line.isOpen());
    EXPECT_FALSE(form->isVisible());
}

TEST_F(StartupTest, ExitInThePortWindowEndsBeforeAnySearch) {
    addSensor(1);
    test::whenModalOpens([](QWidget* dlg) {
        QTest::mouseClick(dlg->findChild<QPushButton*>("ExitCommand"), Qt::LeftButton);
    });
    startWithIniPort();
    EXPECT_TRUE(m.link.programEnding);
    EXPECT_TRUE(bus.received().empty());
    EXPECT_FALSE(form->isVisible());
}

// A port whose driver fails in a way the port code does not expect.
class BrokenLine final : public SerialLine {
public:
    void open(const std::string&, const std::string&) override {
        throw std::runtime_error("driver fault");
    }
    void close() override {}
    bool isOpen() const override { return false; }
    int bytesWaiting() override { return 0; }
    void discardInput() override {}
    void write(std::span<const std::uint8_t>) override {}
    std::optional<std::uint8_t> readByte() override { return std::nullopt; }
    bool waitForBytes(int, std::int64_t) override { return false; }
    void reopen() override { throw std::runtime_error("driver fault"); }
};

TEST(StartupErrors, UnexpectedErrorWhileOpeningThePortIsReportedAndEndsTheProgram) {
    VirtualClock clock;
    BrokenLine line;
    GuiLinkUi ui;
    ProgramState m{line, clock, ui};
    QTemporaryDir dir;
    m.iniPath = (dir.path() + "/K7700.ini").toStdString();
    m.portOverridden = true;
    m.discovery.port = {0, "SIM"};
    MainWindow form(m, ui, {});
    ui.attach(&form, &m);
    QString box;
    test::whenModalOpens([&box](QWidget* dlg) {
        box = qobject_cast<QMessageBox*>(dlg)->text();
        qobject_cast<QMessageBox*>(dlg)->button(QMessageBox::Ok)->click();
    });
    form.load();
    EXPECT_TRUE(box.endsWith("\ndriver fault\nMainform.Form_Load Comm")) << box.toStdString();
    EXPECT_TRUE(m.exiting);
    EXPECT_FALSE(form.isVisible());
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

}  // namespace
}  // namespace k7
