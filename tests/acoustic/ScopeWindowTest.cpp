// The acoustic display driven as a user drives it, against simulated sensors on a virtual
// clock: the refusals, the warning, what goes on the line while the display is up, leaving it
// in every way, the data files and the exports.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFileDialog>
#include <QGroupBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <fstream>

#include "acoustic/AcousticFile.h"
#include "acoustic/AcousticWindow.h"
#include "acoustic/DisplayModeWarningWindow.h"
#include "acoustic/ScopePlot.h"
#include "link/Commands.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "support/StallDetector.h"
#include "support/TempDir.h"

namespace k7 {
namespace {

template <typename T>
T* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible()) return qobject_cast<T*>(w);
    }
    return nullptr;
}

// With K7_SCREENSHOTS=<folder> set, the window is saved there for a person to look at.
void shoot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("K7_SCREENSHOTS");
    if (!dir.isEmpty()) w->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Picks `path` in the next file dialog (or cancels when it is empty).
void answerFileDialog(const QString& path) {
    test::whenModalOpens([path](QWidget* w) {
        auto* dlg = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dlg, nullptr);
        if (path.isEmpty()) {
            dlg->reject();
            return;
        }
        // Typed into the file name box, as a user does, and confirmed.
        auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(name, nullptr);
        name->setText(path);
        static_cast<QDialog*>(dlg)->accept();
    });
}

// The next modal message: its title and text, then the button named (or OK).
struct Seen {
    QString title, text;
};
void answerMessage(const std::shared_ptr<Seen>& seen, const char* button) {
    test::whenModalOpens([seen, button](QWidget* w) {
        if (qobject_cast<QFileDialog*>(w)) {
            answerMessage(seen, button);  // a file dialog first: the message comes after it
            return;
        }
        seen->title = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
            seen->text = box->text();
            box->accept();
        } else if (auto* text = w->findChild<QPlainTextEdit*>("boxError")) {
            seen->text = text->toPlainText();
            QTest::mouseClick(w->findChild<QPushButton*>(button ? button : "cmdOK"),
                              Qt::LeftButton);
        }
    });
}
std::shared_ptr<Seen> answerMessage(const char* button = nullptr) {
    auto seen = std::make_shared<Seen>();
    answerMessage(seen, button);
    return seen;
}

class ScopeTest : public test::MainWindowFixture {
protected:
    sim::SimSensor* s = nullptr;
    test::TempDir files;

    void TearDown() override {
        std::vector<QPointer<QWidget>> left;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "frmScope" || w->objectName() == "FrmScopeWarning") {
                left.emplace_back(w);
            }
        }
        for (const QPointer<QWidget>& w : left) delete w.data();
        MainWindowFixture::TearDown();
    }
    void startWith(sim::SensorConfig c = {}) {
        s = &bus.addSensor(c);
        s->setTargetInches(25.0);
        s->setTemperatureC(20.0);
        start();
        form->show();
        poll();
    }
    AcousticWindow* scope() { return topLevel<AcousticWindow>("frmScope"); }
    DisplayModeWarningWindow* warning() {
        return topLevel<DisplayModeWarningWindow>("FrmScopeWarning");
    }
    // Menu, warning, Enter; returns once the first capture has been shown.
    AcousticWindow* enter() {
        form->acousticDisplayAction->trigger();
        EXPECT_NE(warning(), nullptr);
        bus.clearReceived();
        QTest::mouseClick(warning()->EnterDisplay, Qt::LeftButton);
        AcousticWindow* sc = scope();
        EXPECT_NE(sc, nullptr);
        EXPECT_TRUE(QTest::qWaitFor([sc] { return sc->hasRecord(); }, 3000));
        return sc;
    }
    std::vector<int> commands() const {
        std::vector<int> c;
        for (const sim::ReceivedFrame& f : bus.received()) c.push_back(f.bytes[2]);
        return c;
    }
    QString file(const char* name) { return QString::fromStdString(files.file(name)); }
};

TEST_F(ScopeTest, RefusalsSayWhyAndChangeNothing) {
    sim::SensorConfig old;
    old.firmware = 24;
    startWith(old);
    bus.clearReceived();
    auto seen = answerMessage();
    form->openAcousticDisplay();
    EXPECT_EQ(seen->title, "Acoustic Display Unavailable");
    EXPECT_EQ(seen->text,
              "An K7700 sensor of version 25 or higher is required to display the acoustic "
              "signal. \nNo unit presently on line has the required version.");
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(warning(), nullptr);
    EXPECT_TRUE(bus.received().empty());
}

TEST_F(ScopeTest, TwoSensorsOrAnExternalTriggerAreRefused) {
    addSensor(2);
    startWith();
    auto seen = answerMessage();
    form->openAcousticDisplay();
    EXPECT_EQ(seen->title, "Too Many Sensors On-Line");
    EXPECT_EQ(seen->text,
              "In order to display the acoustic signal, only one K7700 sensor can be on-line. "
              "\nDisconnect all but one sensor and re-start this program.");

    m.stored.TriggerMode = 2;  // as read from a sensor programmed for an external trigger
    form->SensorID->clear();
    seen = answerMessage();
    form->openAcousticDisplay();
    EXPECT_EQ(seen->title, "Incorrect Trigger Mode for Acoustic Display");
    EXPECT_EQ(seen->text,
              "In order to display the acoustic signal, the Trigger Mode \nmust be either "
              "\"internal\"  or \"internal w/trig out\".\n\nSelect one of these two Trigger "
              "Modes on the main screen \nin the \"SAMPLING SETTINGS\" section, and then click "
              "the \n\"Program K-7700\" button.");
    EXPECT_EQ(warning(), nullptr);
}

TEST_F(ScopeTest, AbortOrClosingTheWarningBringsBackTheMainWindowAndItsPoll) {
    startWith();
    form->openAcousticDisplay();
    ASSERT_NE(warning(), nullptr);
    EXPECT_EQ(warning()->windowTitle(), "WARNING!!!");
    EXPECT_EQ(warning()->findChild<QLabel*>("lblWarning")->text(),
              "WARNING: Entering the display mode to show the acoustic signal will place all the "
              "outputs of the K7700 sensor into the \"No Echo\" state, and may affect your "
              "process. Exiting the display mode will restart the K7700 from a power up "
              "condition.");
    EXPECT_FALSE(form->isVisible());
    shoot(warning(), "scope-warning");
    form->statusTimer->stop();
    QTest::mouseClick(warning()->AbortDisplay, Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->statusTimer->isActive());

    for (auto close : {+[](QWidget* w) { w->close(); },  // from the window manager
                       +[](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }}) {
        form->openAcousticDisplay();
        form->statusTimer->stop();
        close(warning());
        EXPECT_TRUE(form->isVisible());
        EXPECT_TRUE(form->statusTimer->isActive());
    }
    EXPECT_FALSE(s->displayMode());
}

TEST_F(ScopeTest, TheDisplayCapturesKeepsTheSensorInDisplayModeAndNeverPolls) {
    startWith();
    AcousticWindow* sc = enter();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->statusTimer->isActive());
    EXPECT_EQ(sc->windowTitle(), "Acoustic Signal Display Mode");
    EXPECT_TRUE(sc->SwitchGain->isChecked());
    EXPECT_EQ(sc->lblCurrentPlot->text(), "Switching Gain (Normal)");
    std::vector<int> opening = commands();
    EXPECT_EQ(opening, (std::vector<int>{cmd::GainSwitch, cmd::AcousticData, cmd::AcousticData,
                                         cmd::ReadEeprom}));
    // Idle: a keep-alive 220 ms after the capture, then every 250 ms; no status poll.
    bus.clearReceived();
    QTest::qWait(800);
    const std::vector<int> idle = commands();
    EXPECT_GE(idle.size(), 2u);
    EXPECT_LE(idle.size(), 4u);
    for (int c : idle) EXPECT_EQ(c, cmd::GainSwitch);
    EXPECT_TRUE(s->displayMode());

    // Low gain, then high gain: each choice captures in it at once; choosing the gain shown
    // again captures nothing.
    bus.clearReceived();
    QTest::mouseClick(sc->LowGain, Qt::LeftButton);
    EXPECT_EQ(sc->lblCurrentPlot->text(), "Low Gain");
    QTest::mouseClick(sc->HighGain, Qt::LeftButton);
    EXPECT_EQ(sc->lblCurrentPlot->text(), "High Gain");
    EXPECT_EQ(sc->record().gainCaption, "High Gain");
    QTest::mouseClick(sc->HighGain, Qt::LeftButton);
    EXPECT_EQ(bus.countReceived(cmd::AcousticData), 2);
    EXPECT_EQ(bus.countReceived(cmd::Status), 0);
}

TEST_F(ScopeTest, ExitRestartsTheSensorAndTheMainWindowPollsAgain) {
    startWith();
    AcousticWindow* sc = enter();
    // The window keeps answering through a capture and the restart on the way out.
    test::StallDetector stalls(clock);
    EXPECT_LE(stalls.worstMs("acoustic display: capture",
                             [&] { QTest::mouseClick(sc->UpdatePlot, Qt::LeftButton); }),
              test::kLongestStallMs);
    bus.clearReceived();
    EXPECT_LE(stalls.worstMs("acoustic display: leave",
                             [&] { QTest::mouseClick(sc->btnExit, Qt::LeftButton); }),
              test::kLongestStallMs);
    EXPECT_EQ(commands(), std::vector<int>{cmd::Restart});
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_FALSE(s->displayMode());
    EXPECT_EQ(scope(), nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_FALSE(m.sensorInDisplayMode);

    // In edit mode the poll stays off when the display is left, from the window manager too.
    form->TriggerMode->setCurrentIndex(1);
    form->checkListsTick();
    ASSERT_TRUE(m.editModeActive);
    // Esc leaves the same way.
    sc = enter();
    QApplication::setActiveWindow(sc);
    QTest::keyClick(sc, Qt::Key_Escape);
    EXPECT_EQ(scope(), nullptr);
    EXPECT_EQ(s->restartCount(), 2);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->statusTimer->isActive());
}

TEST_F(ScopeTest, DuringACaptureNothingCanLeaveOrChangeItAndAClosingWaitsForItsEnd) {
    sim::SensorConfig c;
    c.gainSwitchUnknownRequests = 2;  // the capture waits two seconds for the position
    startWith(c);
    form->openAcousticDisplay();
    // Runs at the first chance inside the capture's waits.
    bool checked = false;
    QTimer inside;
    inside.setInterval(0);
    QObject::connect(&inside, &QTimer::timeout, [&] {
        AcousticWindow* sc = scope();
        if (!sc || !sc->capturing()) return;
        inside.stop();
        for (QWidget* w :
             std::initializer_list<QWidget*>{sc->btnExit, sc->UpdatePlot, sc->GainFrame}) {
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        }
        for (QAction* a : {sc->SaveData, sc->RecallData, sc->ExitDisplay}) {
            EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
        }
        sc->close();
        EXPECT_TRUE(sc->isVisible());
        checked = true;
    });
    inside.start();
    QTest::mouseClick(warning()->EnterDisplay, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return scope() == nullptr; }, 3000));
    EXPECT_TRUE(checked);
    EXPECT_EQ(s->restartCount(), 1);  // the capture ended, then the display was left
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ScopeTest, AGainSwitchThatNeverComesLeavesHighGainOnly) {
    sim::SensorConfig c;
    c.gainSwitchUnknownRequests = 1'000'000;
    startWith(c);
    AcousticWindow* sc = enter();
    EXPECT_TRUE(sc->HighGain->isChecked());
    EXPECT_FALSE(sc->SwitchGain->isEnabled());
    EXPECT_EQ(sc->lblCurrentPlot->text(), "High Gain");
    EXPECT_EQ(bus.countReceived(cmd::GainSwitch), 14);
}

TEST_F(ScopeTest, ARecordThatNeverComesIsReportedAndTheDisplayLeft) {
    startWith();
    sim::FaultConfig f;
    f.streamDelayUs = 10'000'000;
    bus.setFaults(0, f, 1);
    auto seen = answerMessage();
    form->openAcousticDisplay();
    QTest::mouseClick(warning()->EnterDisplay, Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([this] { return scope() == nullptr; }, 3000));
    EXPECT_EQ(seen->text,
              "The sensor sent no acoustic record in 3 attempts. The display mode will be left "
              "and the sensor restarted.");
    EXPECT_EQ(bus.countReceived(cmd::AcousticData), 3);
    EXPECT_EQ(bus.countReceived(cmd::Restart), 1);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ScopeTest, SaveRecallAndExportThroughTheirDialogs) {
    startWith();
    AcousticWindow* sc = enter();
    const std::vector<std::uint8_t> captured = sc->record().samples;
    sc->txtUserComments->setPlainText("after cleaning");

    answerFileDialog(file("one.dat"));
    sc->SaveData->trigger();
    const RecalledFile saved = recallAcousticFile(files.file("one.dat"));
    ASSERT_TRUE(saved.record) << saved.error;
    EXPECT_EQ(saved.record->samples, captured);
    EXPECT_EQ(saved.record->serialNumber, "100001");
    EXPECT_EQ(saved.record->temperatureC, 20.0);
    EXPECT_EQ(saved.record->comments, "after cleaning");
    EXPECT_NE(bytesOf(m.iniPath).find("PathAndFilename=\r\n"), std::string::npos);

    // Recall of another file: its record, serial number, temperature and comments.
    EchoRecord other = *saved.record;
    other.serialNumber = "0";
    other.temperatureC.reset();
    other.comments = "from the other tank";
    other.samples.assign(320, 60);
    ASSERT_EQ(saveAcousticFile(files.file("two.dat"), other), "");
    QTest::mouseClick(sc->HighGain, Qt::LeftButton);
    answerFileDialog(file("two.dat"));
    sc->RecallData->trigger();
    EXPECT_TRUE(sc->SwitchGain->isChecked());  // the gain of the record shown
    EXPECT_EQ(sc->lblCurrentPlot->text(), "Switching Gain (Normal)");
    EXPECT_EQ(sc->record().samples, other.samples);
    EXPECT_EQ(sc->lblFileName->text(), "File: " + file("two.dat"));
    EXPECT_EQ(sc->lblSerialNumberData->text(), "invalid");
    EXPECT_EQ(sc->lblTemperatureData->text(), "unknown");
    EXPECT_TRUE(sc->lblTemperatureData->isVisible());
    EXPECT_EQ(sc->txtUserComments->toPlainText(), "from the other tank");
    EXPECT_EQ(sc->Plot->scale().base, 50);
    shoot(sc, "scope-recalled");

    // Saved again, it keeps its own serial number and (unknown) temperature.
    answerFileDialog(file("three.dat"));
    sc->SaveData->trigger();
    EXPECT_EQ(bytesOf(files.file("three.dat")).substr(bytesOf(files.file("three.dat")).find('\n')),
              bytesOf(files.file("two.dat")).substr(bytesOf(files.file("two.dat")).find('\n')));

    // A file that is not one: the message, and what was shown stays.
    std::ofstream(files.file("bad.dat")) << "just text\n";
    auto seen = answerMessage();
    answerFileDialog(file("bad.dat"));
    sc->RecallData->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !seen->text.isEmpty(); }, 2000));
    EXPECT_EQ(seen->text.toStdString(), cannotInterpretMessage(files.file("bad.dat")));
    EXPECT_EQ(sc->record().samples, other.samples);
    EXPECT_EQ(sc->lblFileName->text(), "File: " + file("two.dat"));
    EXPECT_EQ(sc->txtUserComments->toPlainText(), "from the other tank");

    // A named pipe is refused at once, named, and what was shown stays.
    ASSERT_EQ(mkfifo(files.file("pipe.dat").c_str(), 0644), 0);
    auto piped = answerMessage();
    answerFileDialog(file("pipe.dat"));
    sc->RecallData->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !piped->text.isEmpty(); }, 2000));
    EXPECT_EQ(piped->text.toStdString(), "Error  75: " + files.file("pipe.dat") +
                                             " is a named pipe (FIFO), not a regular file");
    EXPECT_EQ(sc->record().samples, other.samples);

    // A cancelled recall changes nothing either.
    answerFileDialog({});
    sc->RecallData->trigger();
    EXPECT_TRUE(sc->Plot->hasRecord());

    answerFileDialog(file("plot"));
    sc->ExportPlot->trigger();
    QImage png(file("plot.png"));
    EXPECT_EQ(png.size(), sc->plotPanel->size());
    answerFileDialog(file("samples"));
    sc->ExportSamples->trigger();
    const std::string csv = bytesOf(files.file("samples.csv"));
    EXPECT_EQ(csv.substr(0, csv.find("Date,")),
              "Serial Number,0\r\nTemperature (deg. C),\r\nGain,Switching Gain (Normal)\r\n");
    EXPECT_NE(csv.find("\r\nUnit,in\r\nSample,Distance (in),Level\r\n1,0.167,60\r\n"),
              std::string::npos);
}

TEST_F(ScopeTest, TheAnalysisBesideThePlotAndABaselineToCompareWith) {
    sim::SensorConfig c;
    c.echo.amplitude = 60;  // 150 at high gain: not clipped
    startWith(c);
    AcousticWindow* sc = enter();
    sc->HighGain->click();
    QTest::mouseClick(sc->UpdatePlot, Qt::LeftButton);
    const EchoMarks& marks = sc->Plot->marks();
    ASSERT_TRUE(marks.analysis);
    ASSERT_EQ(marks.analysis->verdict, EchoVerdict::Target);
    EXPECT_NEAR(marks.analysis->target()->distance, 25, 0.2);
    EXPECT_TRUE(sc->AnalysisFrame->isVisible());
    EXPECT_TRUE(sc->lblAnalysis->text().contains("Target found"));
    EXPECT_TRUE(sc->lblAnalysis->text().contains("Margin"));
    EXPECT_FALSE(sc->BaselineFrame->isVisible());
    EXPECT_FALSE(sc->ClearBaseline->isEnabled());
    answerFileDialog(file("commissioned.dat"));
    sc->SaveData->trigger();

    // Build-up on the face: a false echo and a weaker target.
    c.echo.falseEchoInches = 12;
    c.echo.amplitude = 40;
    s->setEchoShape(c.echo);
    QTest::mouseClick(sc->UpdatePlot, Qt::LeftButton);
    answerFileDialog(file("commissioned.dat"));
    sc->CompareWith->trigger();
    ASSERT_TRUE(sc->baseline());
    EXPECT_TRUE(sc->BaselineFrame->isVisible());
    EXPECT_EQ(sc->BaselineFrame->title(), "Compared with commissioned.dat");
    // The strut is the first echo now: the target moved to it, a new echo there.
    const QString differences = sc->lblDifferences->text();
    EXPECT_TRUE(differences.contains(QRegularExpression("Target moved by -1[23]\\.\\d\\d in\n")))
        << differences.toStdString();
    EXPECT_TRUE(differences.contains(QRegularExpression("New echo at 1[12]\\.\\d\\d in")))
        << differences.toStdString();
    ASSERT_TRUE(sc->Plot->marks().baseline);
    EXPECT_EQ(sc->Plot->marks().baseline->samples, sc->baseline()->samples);
    EXPECT_EQ(sc->Plot->marks().baseline->caption.substr(0, 9), "Baseline ");
    // The baseline stays across a capture, and goes when cleared.
    QTest::mouseClick(sc->UpdatePlot, Qt::LeftButton);
    EXPECT_TRUE(sc->Plot->marks().baseline);
    sc->ClearBaseline->trigger();
    EXPECT_FALSE(sc->Plot->marks().baseline);
    EXPECT_FALSE(sc->BaselineFrame->isVisible());

    // A file that is not one: the message, and no baseline.
    std::ofstream(files.file("bad.dat")) << "just text\n";
    auto seen = answerMessage();
    answerFileDialog(file("bad.dat"));
    sc->CompareWith->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !seen->text.isEmpty(); }, 2000));
    EXPECT_EQ(seen->text.toStdString(), cannotInterpretMessage(files.file("bad.dat")));
    EXPECT_FALSE(sc->baseline());
}

TEST_F(ScopeTest, EndingTheProgramFromTheDisplayStillRestartsTheSensor) {
    startWith();
    AcousticWindow* sc = enter();
    auto seen = answerMessage("ErrExit");
    answerFileDialog(file("no/such/folder/x.dat"));
    sc->SaveData->trigger();
    EXPECT_TRUE(m.exiting);
    EXPECT_EQ(s->restartCount(), 1);
    EXPECT_FALSE(m.sensorInDisplayMode);
}

}  // namespace
}  // namespace k7
