#include "SetupWindowTest.h"

#include <sys/stat.h>

#include <QDir>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "setupfile/PrintWindow.h"
#include "setupfile/SetupFormat.h"
#include "setupfile/SetupScreen.h"

namespace k7 {
namespace {

using test::answerInOrder;
using test::choose;
using test::fileBytes;
using test::setWord;

// A standard sensor set up unlike the factory: every kind of value, a distance that does not
// survive a round trip through centimetres (2304 shows as 45.7 cm, which reads back as 2303),
// preset compensation at 21.5 degrees, and a description in the Windows code page.
void configureStandard(sim::SimSensor& s) {
    setWord(s, 79, 768);
    setWord(s, 81, 5120);
    s.setCell(78, 0);
    s.setCell(83, 2);
    setWord(s, 84, 2304);
    setWord(s, 86, 3840);
    s.setCell(88, 0x0A);
    s.setCell(89, 0x01);  // output B holds its level in the mid zone
    s.setCell(105, 2);
    s.setCell(90, 7);
    s.setCell(91, 1);
    s.setCell(93, 9);
    s.setCell(94, 1);
    s.setCell(95, 25);
    s.setCell(101, 3);
    s.setCell(102, 12);
    s.setCell(103, 1);
    s.setCell(104, 143);
    setWord(s, 117, 25);
    test::setDescription(s, "T\xE4nk 4 = north");
}

const char* const kStandardFile =
    "low current distance (in X 128)= 768\r\n"
    "high current distance (in X 128)= 5120\r\n"
    "span= 0 \r\n"
    "no target current= 2 \r\n"
    "close setpoint (in X 128)= 2304\r\n"
    "far setpoint (in X 128)= 3840\r\n"
    "near distance digital output A=ON\r\n"
    "mid distance digital output A= 0 \r\n"
    "far distance digital output A=ON\r\n"
    "no echo digital output A=OFF\r\n"
    "near distance digital output B=OFF\r\n"
    "mid distance digital output B= 2 \r\n"
    "far distance digital output B=OFF\r\n"
    "no echo digital output B=ON\r\n"
    "hysteresis=7\r\n"
    "echo detect digital output=OFF\r\n"
    "hysteresis=7\r\n"
    "trigger mode= 3 \r\n"
    "sample rate=2.5\r\n"
    "trigger delay=12\r\n"
    "average type= 1 \r\n"
    "average samples= 9 \r\n"
    "no echo time out=25\r\n"
    "echo detect output for echo detected=OFF\r\n"
    "temperature compensation= 1 \r\n"
    "preset temperature C = 21.5\r\n"
    "user description=T\xE4nk 4 = north\r\n";

// A G615 reads no span, no-echo current, trigger mode or delay, and no temperature cells: the
// file has what the screen holds for them (nothing selected, empty, the defaults).
const char* const kG615File =
    "low current distance (in X 128)= 1536\r\n"
    "high current distance (in X 128)= 7680\r\n"
    "span=-1 \r\n"
    "no target current=-1 \r\n"
    "close setpoint (in X 128)= 2560\r\n"
    "far setpoint (in X 128)= 6400\r\n"
    "near distance digital output A=ON\r\n"
    "mid distance digital output A= 0 \r\n"
    "far distance digital output A=OFF\r\n"
    "no echo digital output A=OFF\r\n"
    "near distance digital output B=OFF\r\n"
    "mid distance digital output B= 0 \r\n"
    "far distance digital output B=ON\r\n"
    "no echo digital output B=ON\r\n"
    "hysteresis=5\r\n"
    "echo detect digital output=ON\r\n"
    "hysteresis=5\r\n"
    "trigger mode=-1 \r\n"
    "sample rate=5\r\n"
    "trigger delay=\r\n"
    "average type= 0 \r\n"
    "average samples= 3 \r\n"
    "no echo time out=10\r\n"
    "echo detect output for echo detected=ON\r\n"
    "temperature compensation= 0 \r\n"
    "preset temperature C = 20\r\n"
    "user description=G615 silo\r\n"
    "user max range (in X 128)= 9600\r\n";

std::string header(const QString& path) {
    return path.toStdString() + ", Setup file for K-7700, Software Version 3.10\r\n";
}

class SetupWindowTest : public test::SetupWindowFixture {
protected:
    // Everything the screen and the program state hold for the settings.
    std::string screenState() {
        const ScreenValues sv = form->screenValues();
        std::string s = setupFileText("", setupValuesFrom(m, sv));
        for (const std::string& t : sv.DistText) s += t + "|";
        return s + sv.ManualTemperature + (m.editModeActive ? "|edit" : "|view") +
               (form->presetTemperatureAction->isChecked() ? "|preset" : "|auto");
    }
};

TEST_F(SetupWindowTest, SavesAStandardSensorByteForByte) {
    configureStandard(addSensor(1));
    go();
    const QString file = path("tank4.txt");
    save(file);
    EXPECT_EQ(fileBytes(file), header(file) + kStandardFile);
    // The choice is kept for the next dialog and in the INI file.
    EXPECT_EQ(m.setupDialogFolder, dir.path().toStdString());
    EXPECT_NE(fileBytes(dir.filePath("K7700.ini")).find("PathAndFilename=" + file.toStdString()),
              std::string::npos);
}

TEST_F(SetupWindowTest, SavesAG615ByteForByte) {
    sim::SimSensor& s = addSensor(1, 4);
    setWord(s, 79, 1536);
    setWord(s, 81, 7680);
    setWord(s, 84, 2560);
    setWord(s, 86, 6400);
    setWord(s, 114, 9600);
    setWord(s, 117, 50);
    test::setDescription(s, "G615 silo");
    go();
    const QString file = path("silo.txt");
    save(file);
    EXPECT_EQ(fileBytes(file), header(file) + kG615File);
}

TEST_F(SetupWindowTest, DialogStartsAtTheLastSetupFile) {
    const QString last = path("last.txt");
    test::writeFile(dir.filePath("K7700.ini"),
                    "K7700.ini\r\nPort=0\r\nUnits=1\r\nTemperatureUnits=0\r\nIDTag=1\r\n"
                    "PathAndFilename=" +
                        last.toStdString() + "\r\n");
    addSensor(1);
    go();
    QString folder, name;
    answerInOrder({[&](QWidget* w) {
        auto* d = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle(), "Recall Setup");
        folder = d->directory().absolutePath();
        name = d->findChild<QLineEdit*>("fileNameEdit")->text();
        d->reject();
    }});
    form->recallSetupFile();
    test::stopAnswering();
    EXPECT_EQ(folder, dir.path());
    EXPECT_EQ(name, "last.txt");
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(SetupWindowTest, ReplacingAFileIsAskedAndCancelDoesNothing) {
    addSensor(1);
    go();
    const QString file = path("old.txt");
    test::writeFile(file, "old");
    answerInOrder({choose(file),
                   [](QWidget* box) {
                       ASSERT_TRUE(qobject_cast<QMessageBox*>(box));
                       qobject_cast<QMessageBox*>(box)->button(QMessageBox::No)->click();
                   },
                   choose("")});
    form->saveSetup();
    test::stopAnswering();
    EXPECT_EQ(fileBytes(file), "old");
    const std::string before = screenState();
    EXPECT_EQ(recall(""), "");
    EXPECT_EQ(screenState(), before);
    EXPECT_FALSE(m.editModeActive);
}

// Saved from sensor 1, recalled in centimetres onto sensor 2 and programmed: sensor 2 ends
// with every user cell of sensor 1.
TEST_F(SetupWindowTest, RecallInAnotherUnitProgramsEveryCellUnchanged) {
    configureStandard(addSensor(1));
    sim::SimSensor& target = addSensor(2);
    go();
    const QString file = path("tank4.txt");
    save(file);
    form->SensorID->setCurrentIndex(1);
    form->showChosenSensor();
    ASSERT_EQ(m.discovery.currentIdTag, 2);
    form->centimetresAction->trigger();

    EXPECT_EQ(recall(file), "");
    EXPECT_TRUE(m.editModeActive);
    EXPECT_TRUE(form->ProgramModule->isVisible());
    EXPECT_FALSE(form->saveSetupAction->isEnabled());
    EXPECT_FALSE(form->recallSetupAction->isEnabled());
    EXPECT_FALSE(form->compareSetupAction->isEnabled());
    EXPECT_TRUE(form->presetTemperatureAction->isChecked());
    EXPECT_TRUE(form->ManualTemperature->isVisibleTo(form.get()));
    EXPECT_EQ(text("CloseSetPoint"), "45.7");
    EXPECT_EQ(text("AverageSamples"), "512");
    EXPECT_EQ(text("UserDescription"), QString::fromUtf8("T\u00e4nk 4 = north"));

    QTest::mouseClick(form->ProgramModule, Qt::LeftButton);
    EXPECT_FALSE(m.editModeActive);
    EXPECT_EQ(text("Message"), "ID tag 2 programmed: every setting written and verified.");
    const sim::SimSensor& source = bus.sensor(0);
    for (int a = 46; a <= 118; ++a) EXPECT_EQ(target.cell(a), source.cell(a)) << "cell " << a;
}

// One line of the file a standard sensor saves (found by how it starts) replaced by `line`;
// without a line the file ends before it; without either it is left as it is.
struct BadFile {
    const char* what;
    const char* start;
    const char* line;
    int sensorType = 0;
};

std::string edited(const BadFile& b, std::string text) {
    if (!b.start) return text;
    const std::size_t at = text.find("\r\n" + std::string(b.start)) + 2;
    if (!b.line) return text.substr(0, at);
    return text.replace(at, text.find("\r\n", at) - at, b.line);
}

class RefusedRecall : public SetupWindowTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(RefusedRecall, LeavesTheScreenAsItWas) {
    const BadFile& bad = GetParam();
    addSensor(1, bad.sensorType);
    go();
    const QString file = path("bad.txt");
    test::writeFile(file, edited(bad, header(file) + kStandardFile));
    const std::string before = screenState();
    bus.clearReceived();
    EXPECT_EQ(recall(file).toStdString(), notInterpretableMessage(file.toStdString())) << bad.what;
    EXPECT_EQ(screenState(), before) << bad.what;
    EXPECT_EQ(bus.countReceived(103), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Part51EdgesAndMore, RefusedRecall,
    ::testing::Values(BadFile{"a 28-line file on a G615", nullptr, nullptr, 4},
                      BadFile{"fewer lines", "hysteresis", nullptr},
                      BadFile{"a line without =", "span", "span 1"},
                      BadFile{"an empty line", "far set", ""},
                      BadFile{"no-echo current outside its list", "no target", "x= 9 "},
                      BadFile{"nothing chosen in a list the sensor has", "span", "x=-1 "},
                      BadFile{"a mid zone outside its list", "mid distance digital output B",
                              "x= 3 "},
                      BadFile{"a trigger mode outside its list", "trigger mode", "x= 5 "},
                      BadFile{"an average type outside its list", "average type", "x= 2 "},
                      BadFile{"boxcar samples with a rolling average", "average type", "x= 0 "},
                      BadFile{"a toggle neither ON nor OFF", "no echo digital output B", "x=on"},
                      BadFile{"the echo toggle that counts", "echo detect output", "x=yes"},
                      BadFile{"a flag beyond a byte", "temperature comp", "x= 300 "},
                      BadFile{"a negative flag", "temperature comp", "x=-1 "},
                      BadFile{"a distance beyond any count", "far set", "x= 99999999999"},
                      BadFile{"a list code beyond 16 bits", "span", "x= 40000 "},
                      BadFile{"a temperature that is no number", "preset", "x= 1e999"}));

TEST_F(SetupWindowTest, ErrorWindowsExitEndsTheProgram) {
    addSensor(1);
    go();
    const QString file = path("junk.txt");
    test::writeFile(file, "not a setup file\n");
    QString error;
    answerInOrder({choose(file), test::errorWindow(&error, true)});
    form->recallSetupFile();
    test::stopAnswering();
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(m.exiting);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SetupWindowTest, CompareMarksWhatDiffersAndWritesNothing) {
    sim::SimSensor& s = addSensor(1);
    configureStandard(s);
    go();
    const QString file = path("tank4.txt");
    save(file);
    // The sensor changes after the save (a technician, or another tool).
    s.setCell(90, 9);
    setWord(s, 84, 2303);
    form->centimetresAction->trigger();
    bus.clearReceived();
    std::vector<std::pair<QString, bool>> shown;
    QString summary;
    answerInOrder({choose(file), [&](QWidget* w) {
                       ASSERT_EQ(w->objectName(), "frmCompare");
                       auto* table = w->findChild<QTableWidget*>("tblCompare");
                       for (int r = 0; r < table->rowCount(); ++r) {
                           shown.emplace_back(table->item(r, 1)->text(),
                                              !table->item(r, 0)->text().isEmpty());
                       }
                       summary = w->findChild<QLabel*>("lblSummary")->text();
                       if (!qEnvironmentVariableIsEmpty("K7_SCREENSHOTS")) {
                           w->grab().save(qEnvironmentVariable("K7_SCREENSHOTS") + "/compare.png");
                       }
                       w->findChild<QPushButton*>("cmdClose")->click();
                   }});
    form->compareSetup();
    test::stopAnswering();
    ASSERT_EQ(shown.size(), 25u);
    std::vector<QString> marked;
    for (const auto& [setting, differs] : shown) {
        if (differs) marked.push_back(setting);
    }
    EXPECT_EQ(marked, (std::vector<QString>{"Close Setpoint Distance", "Hysteresis"}));
    EXPECT_TRUE(summary.startsWith("2 settings differ")) << summary.toStdString();
    EXPECT_EQ(bus.countReceived(103), 0);
    EXPECT_FALSE(m.editModeActive);
}

TEST_F(SetupWindowTest, PrintsToAPdfWhenNoPrinterIsInstalled) {
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
    addSensor(1);
    go();
    m.lastSetupFile = path("tank4.txt").toStdString();  // the PDF is named after it
    answerInOrder({[](QWidget* w) {
        ASSERT_EQ(w->objectName(), "CommonDialogPrint");
        qobject_cast<QDialog*>(w)->accept();
    }});
    form->printSetup();
    test::stopAnswering();
    const std::string pdf = fileBytes(path("tank4.pdf"));
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_GT(pdf.size(), 10000u);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Window));
}

TEST_F(SetupWindowTest, PrintFailureIsReportedAndTheWindowComesBack) {
    addSensor(1);
    go();
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path("no/such/folder/x.pdf"));
    QString error;
    EXPECT_FALSE(printImage(form->pageImage(), printer, &error));
    EXPECT_TRUE(error.contains("cannot write")) << error.toStdString();
    // A named pipe as the file: refused at once, and left a pipe.
    const std::string pipe = path("pipe.pdf").toStdString();
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    printer.setOutputFileName(QString::fromStdString(pipe));
    EXPECT_FALSE(printImage(form->pageImage(), printer, &error));
    EXPECT_EQ(error.toStdString(),
              "Printer error: " + pipe + " is a named pipe (FIFO), not a regular file");
    EXPECT_TRUE(std::filesystem::is_fifo(pipe));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Window));
}

}  // namespace
}  // namespace k7
