// The factory window driven as a technician does, against simulated sensors on the virtual
// clock: the exact frames (or raw bytes) of every action, and the refusals that send nothing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>

#include "common/TextFile.h"
#include "link/Commands.h"
#include "service/FactoryWindow.h"
#include "service/RamDump.h"
#include "sim/Physics.h"
#include "sim/RamImage.h"
#include "tests/service/ServiceFixture.h"

namespace k7 {
namespace {

using test::Sent;

constexpr int kLow = kUnlockLowRegion;
constexpr int kMid = kUnlockMiddleRegion;
const std::vector<std::string> kAccessCode = {"5290318846"};

class FactoryWindowTest : public test::ServiceFixture {
protected:
    void SetUp() override {
        ServiceFixture::SetUp();
        cwd_ = QDir::currentPath();
        QDir::setCurrent(dir.path());  // PICRAM.txt goes to the current folder
    }
    void TearDown() override {
        QDir::setCurrent(cwd_);
        ServiceFixture::TearDown();
    }

    FactoryWindow* open() {
        form->factoryAction->trigger();
        auto* f = form->findChild<FactoryWindow*>();
        EXPECT_NE(f, nullptr);
        bus.clearReceived();
        return f;
    }
    static void closeAndForget(QWidget* w) {
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static void set(QWidget* window, const char* name, const QString& text) {
        auto* e = child<QLineEdit>(window, name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // The text of the message box `name` that `act` opens (answered with OK).
    static QString boxText(const char* name, const std::function<void()>& act) {
        QString text;
        whenWindowOpens(name, [&](QWidget* box) {
            text = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        act();
        return text;
    }
    std::vector<std::uint8_t> rawBytes() const {
        std::vector<std::uint8_t> out;
        for (const auto& b : bus.receivedBytes()) out.push_back(b.value);
        return out;
    }

private:
    QString cwd_;
};

TEST_F(FactoryWindowTest, OpensWithItsFieldsHoldsThePollAndMainWindowAndGivesThemBack) {
    startWith(0, 1, 25, kAccessCode);
    ASSERT_TRUE(form->internalMenu->menuAction()->isVisible());
    ASSERT_TRUE(form->statusTimer->isActive());
    m.link.writeCell(90, 5);  // the last write, which the window shows
    FactoryWindow* f = open();
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(f->windowTitle(), "Factory Control");
    EXPECT_EQ(f->CalRange->text(), "15");
    EXPECT_EQ(f->CalTemperature->text(), "23");
    EXPECT_EQ(f->WriteEEAdr->text(), "90");
    EXPECT_EQ(f->WriteEEdata->text(), "5");
    EXPECT_EQ(f->ReadEEadr->text(), "90");
    EXPECT_EQ(f->Text5->text(), "16");
    EXPECT_EQ(f->OneByte->text(), "15");
    EXPECT_EQ(f->txtCommandBytes[0]->text(), "170");
    EXPECT_EQ(f->txtCommandBytes[2]->text(), "2");
    EXPECT_EQ(f->Text1->text(), "False");
    EXPECT_FALSE(f->chkDisplayTemp->isChecked());
    EXPECT_TRUE(f->SerNumFC->text().isEmpty());
    EXPECT_FALSE(form->statusTimer->isActive());
    EXPECT_FALSE(form->centralWidget()->isEnabled());
    EXPECT_FALSE(form->menuBar()->isEnabled());
    EXPECT_TRUE(f->isEnabled());

    // Typed values survive the window being shown again; the menu item only raises it.
    f->CalRange->setText("17");
    f->hide();
    f->show();
    EXPECT_EQ(f->CalRange->text(), "17");
    form->factoryAction->trigger();
    EXPECT_EQ(form->findChildren<FactoryWindow*>().size(), 1);

    closeAndForget(f);
    EXPECT_EQ(form->findChild<FactoryWindow*>(), nullptr);
    EXPECT_TRUE(form->statusTimer->isActive());
    EXPECT_TRUE(form->centralWidget()->isEnabled());
    EXPECT_TRUE(form->menuBar()->isEnabled());

    // A poll that was off (edit mode) stays off.
    form->setEditMode(true);
    closeAndForget(open());
    EXPECT_FALSE(form->statusTimer->isActive());
}

TEST_F(FactoryWindowTest, DistanceCalibrationFromTheMeasuredTimeWritesCells6And7AndRestarts) {
    startWith();
    // A target whose echo the sensor times at 3850 ticks (4000 less its timer's offset).
    s->setTemperatureC(23);
    s->setTargetInches(4000 / sim::kEchoTicksPerSecond * sim::speedOfSound(23) / 2);
    FactoryWindow* f = open();
    click(f, "CalDistance");
    EXPECT_EQ(f->CalMessage->text(), "Cal Value = 7185");
    EXPECT_EQ(sent(), (std::vector<Sent>{{117, 0, 0},
                                         {126, kLow, 0},
                                         {103, 6, 28},
                                         {104, 6, 28},
                                         {103, 7, 17},
                                         {104, 7, 17},
                                         {119, 0, 0}}));
    EXPECT_EQ(s->cell(6), 28);
    EXPECT_EQ(s->cell(7), 17);
    EXPECT_EQ(s->restartCount(), 1);

    // No echo: only the measurement goes out. An impossible temperature: nothing at all.
    bus.clearReceived();
    s->removeTarget();
    EXPECT_TRUE(boxText("CalNoEcho", [&] { click(f, "CalDistance"); }).contains("no echo"));
    EXPECT_EQ(sent(), (std::vector<Sent>{{117, 0, 0}}));
    bus.clearReceived();
    f->CalTemperature->setText("-300");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "CalDistance"); }).contains("Degrees C"));
    f->CalTemperature->setText("23");
    f->CalRange->setText("0");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "CalDistance"); }).contains("Inches"));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(s->cell(6), 28);
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, TemperatureCalibrationStepsAndReadsBack) {
    startWith();
    s->setTemperatureC(21);
    FactoryWindow* f = open();
    const int before = s->cell(10);
    click(f, "IncTempCalFC");
    click(f, "IncTempCalFC");
    click(f, "DecTempCalFC");
    const std::vector<Sent> up = {{126, kLow, 0}, {106, 0, 0}, {112, 0, 0}};
    const std::vector<Sent> down = {{126, kLow, 0}, {107, 0, 0}, {112, 0, 0}};
    std::vector<Sent> want = up;
    want.insert(want.end(), up.begin(), up.end());
    want.insert(want.end(), down.begin(), down.end());
    EXPECT_EQ(sent(), want);
    EXPECT_EQ(s->cell(10), before + 1);
    EXPECT_EQ(f->SingleTempReading->text(), "21.5");  // half a degree higher
    EXPECT_EQ(f->SingleTempReading->palette().color(QPalette::Base),
              QPalette().color(QPalette::Base));
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, SerialNumberGoesIntoCells2To4AndTheMainWindowShowsIt) {
    startWith();
    FactoryWindow* f = open();
    f->SerNumFC->setText("16777216");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "Command6"); }).contains("Serial Number"));
    EXPECT_TRUE(sent().empty());

    f->SerNumFC->setText("70000");
    click(f, "Command6");
    const std::vector<Sent> frames = sent();
    const std::vector<Sent> want = {{126, kLow, 0}, {103, 2, 1},   {104, 2, 1},  {103, 3, 17},
                                    {104, 3, 17},   {103, 4, 112}, {104, 4, 112}};
    ASSERT_GT(frames.size(), want.size());
    EXPECT_EQ(std::vector<Sent>(frames.begin(), frames.begin() + 7), want);
    EXPECT_EQ(frames[7], (Sent{123, 0, 0}));  // the main window reads the sensor again
    EXPECT_EQ(form->SerialNumber->text().trimmed(), "70000");
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, CellsRevisionSingleCommandsUnlockAndBoot) {
    startWith();
    FactoryWindow* f = open();
    set(f, "WriteEEAdr", "90");
    set(f, "WriteEEdata", "7");
    EXPECT_EQ(f->ReadEEadr->text(), "90");
    click(f, "WriteEE");
    EXPECT_EQ(sent(), (std::vector<Sent>{{103, 90, 7}, {104, 90, 7}}));
    EXPECT_EQ(s->cell(90), 7);
    EXPECT_EQ(m.link.writeEepromAddress, "90");

    bus.clearReceived();
    s->setCell(91, 44);
    click(f, "ReadEE");
    EXPECT_EQ(f->ReadEEdata->text(), "7");
    EXPECT_EQ(f->ReadEEnext->text(), "44");
    click(f, "Command10");
    EXPECT_EQ(f->RevNumFC->text(), "25");
    f->CommandNum->setText("123");
    click(f, "Command11");
    click(f, "Command1");
    click(f, "BootK7K");
    EXPECT_EQ(
        sent(),
        (std::vector<Sent>{
            {104, 90, 0}, {122, 0, 0}, {123, 0, 0}, {126, kLow, 0}, {126, kMid, 0}, {119, 0, 0}}));

    // Refused: nothing goes out, and the block other writers use keeps a sendable value.
    bus.clearReceived();
    set(f, "WriteEEAdr", "128");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "WriteEE"); }).contains("EEPROM Address"));
    EXPECT_EQ(m.link.writeEepromAddress, "90");
    set(f, "WriteEEAdr", "90");
    set(f, "WriteEEdata", "256");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "WriteEE"); }).contains("EEPROM Data"));
    f->ReadEEadr->setText("x");
    EXPECT_FALSE(boxText("InputRefused", [&] { click(f, "ReadEE"); }).isEmpty());
    for (const char* code : {"99", "300", ""}) {
        f->CommandNum->setText(code);
        EXPECT_FALSE(boxText("InputRefused", [&] { click(f, "Command11"); }).isEmpty()) << code;
    }
    f->CommandNum->setText("103");  // the block as the fields show it: data 256 is refused
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "Command11"); }).contains("EEPROM Data"));
    EXPECT_TRUE(sent().empty());
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, TheDescriptionIsConfirmedNamingItsCellsAndNeverReachesCell30) {
    startWith();
    FactoryWindow* f = open();
    f->SensorDescripFC->setText("AB");
    QString warning;
    whenWindowOpens("DescriptionWarning", [&](QWidget* box) {
        warning = static_cast<QMessageBox*>(box)->text();
        static_cast<QMessageBox*>(box)->reject();  // No
    });
    click(f, "SendSensorDescrip");
    EXPECT_TRUE(warning.contains("cells 6-7: distance calibration")) << warning.toStdString();
    EXPECT_TRUE(sent().empty());

    whenWindowOpens("DescriptionWarning",
                    [](QWidget* box) { static_cast<QMessageBox*>(box)->done(QMessageBox::Yes); });
    click(f, "SendSensorDescrip");
    const std::vector<Sent> want = {{126, kLow, 0}, {126, kMid, 0}, {103, 6, 65}, {104, 6, 65},
                                    {126, kLow, 0}, {126, kMid, 0}, {103, 7, 66}, {104, 7, 66}};
    EXPECT_EQ(sent(), want);
    const auto& r = bus.received();
    EXPECT_GE(r[6].timeUs - r[3].timeUs, 1'000'000);  // a second between the two cells
    EXPECT_EQ(s->cell(6), 65);
    EXPECT_EQ(s->cell(7), 66);

    // The longest text fills 6..29; the field takes no more.
    bus.clearReceived();
    std::array<std::uint8_t, 16> above{};
    for (int c = 30; c <= 45; ++c) above[static_cast<std::size_t>(c - 30)] = s->cell(c);
    f->SensorDescripFC->setText(QString(30, 'x'));
    EXPECT_EQ(f->SensorDescripFC->text().size(), 24);
    whenWindowOpens("DescriptionWarning",
                    [](QWidget* box) { static_cast<QMessageBox*>(box)->done(QMessageBox::Yes); });
    click(f, "SendSensorDescrip");
    int highest = 0;
    for (const Sent& x : sent()) {
        if (x[0] == 103) highest = std::max(highest, x[1]);
    }
    EXPECT_EQ(highest, 29);
    for (int c = 30; c <= 45; ++c) EXPECT_EQ(s->cell(c), above[static_cast<std::size_t>(c - 30)]);
    EXPECT_EQ(s->activeTag(), 1);
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, TheFreeFrameOnceAndContinuouslyUntilUncheckedOrClosed) {
    startWith();
    FactoryWindow* f = open();
    click(f, "cmdSendCommand");
    EXPECT_EQ(rawBytes(), (std::vector<std::uint8_t>{170, 1, 2, 0, 0, 173}));

    f->txtCommandBytes[3]->setText("256");
    EXPECT_TRUE(
        boxText("InputRefused", [&] { click(f, "cmdSendCommand"); }).contains("frame byte 4"));
    EXPECT_EQ(rawBytes().size(), 6u);
    f->txtCommandBytes[3]->setText("0");

    bus.clearReceived();
    f->chkContinuously->setChecked(true);
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (bus.received().size() >= 5) f->chkContinuously->setChecked(false);
    });
    watch.start();
    click(f, "cmdSendCommand");
    EXPECT_EQ(bus.received().size(), 5u);
    const auto& r = bus.received();
    EXPECT_GE(r[4].timeUs - r[3].timeUs, 100'000);

    // Closing the window ends the loop; the poll comes back only after it.
    bus.clearReceived();
    f->chkContinuously->setChecked(true);
    QObject::disconnect(&watch, nullptr, nullptr, nullptr);
    QPointer<FactoryWindow> alive(f);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (bus.received().size() >= 3 && alive) alive->close();
    });
    click(f, "cmdSendCommand");
    watch.stop();
    EXPECT_EQ(bus.received().size(), 3u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(form->statusTimer->isActive());
}

TEST_F(FactoryWindowTest, LegSequenceAndPatternsAreRawBytesAndAPatternStopsWithTheWindow) {
    startWith();
    FactoryWindow* f = open();
    click(f, "LegSequence");
    EXPECT_EQ(rawBytes(), (std::vector<std::uint8_t>{0, 1}));

    bus.clearReceived();
    f->OneByte->setText("3");
    click(f, "SendAByte");
    const std::vector<std::uint8_t> raw = rawBytes();
    ASSERT_EQ(raw.size(), 18u * 16);  // eighteen buffers
    EXPECT_EQ(raw[5], 1);
    EXPECT_EQ(raw[7 * 16 + 5], 128);
    EXPECT_EQ(raw[9 * 16 + 4], 1);
    EXPECT_TRUE(bus.received().empty());

    f->OneByte->setText("256");
    bus.clearReceived();
    EXPECT_FALSE(boxText("InputRefused", [&] { click(f, "SendAByte"); }).isEmpty());
    f->OneByte->setText("15");
    f->Text5->setText("-1");
    EXPECT_TRUE(boxText("InputRefused", [&] { click(f, "SendAByte"); }).contains("D/A Value"));
    EXPECT_TRUE(rawBytes().empty());

    f->OneByte->setText("3");
    f->Text5->setText("16");
    QPointer<FactoryWindow> alive(f);
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (bus.receivedBytes().size() >= 48 && alive) alive->close();
    });
    watch.start();
    click(f, "SendAByte");
    EXPECT_EQ(rawBytes().size(), 48u);
}

TEST_F(FactoryWindowTest, RamDumpFromTheMenuAndTheWindowKeepsTheOldFileWhenShort) {
    startWith(0, 1);
    const std::string path = (dir.path() + "/PICRAM.txt").toStdString();
    form->ramToFileAction->trigger();
    const auto image = sim::ramImage(s->eeprom(), 1, s->restartCount());
    ASSERT_TRUE(readTextLines(path));
    EXPECT_EQ(joinCrLf(*readTextLines(path)), ramDumpText(image));
    EXPECT_EQ(sent(), (std::vector<Sent>{{120, 0, 0}}));
    EXPECT_TRUE(form->statusTimer->isActive());

    FactoryWindow* f = open();
    sim::FaultConfig cut;
    cut.shortReply = 1;
    bus.setFaults(0, cut, 4);
    const QString said = boxText("RamDumpShort", [&] { click(f, "GetPICRAM"); });
    EXPECT_TRUE(said.contains("PICRAM.txt was not changed")) << said.toStdString();
    EXPECT_EQ(joinCrLf(*readTextLines(path)), ramDumpText(image));
    EXPECT_EQ(sent(), (std::vector<Sent>{{120, 0, 0}}));
    closeAndForget(f);
}

TEST_F(FactoryWindowTest, DisplayOptionsReachTheMainWindow) {
    startWith();
    m.link.processEvents();
    poll();  // a measured temperature to show
    FactoryWindow* f = open();
    EXPECT_FALSE(shown("Temperature"));
    click(f, "chkDisplayTemp");
    EXPECT_FALSE(m.temperatureHidden);
    EXPECT_TRUE(shown("Temperature"));
    f->DecimalPlacesIn->setText("3");
    EXPECT_EQ(m.formats.format[kIn], "##0.000");
    EXPECT_TRUE(m.formats.inchFormatFixed);
    EXPECT_EQ(text("Dist04").section('.', 1).size(), 3);
    f->DecimalPlacesIn->setText("x");  // left as it was
    EXPECT_EQ(m.formats.format[kIn], "##0.000");
    click(f, "Text1");
    EXPECT_TRUE(m.skipValidation);
    EXPECT_EQ(f->Text1->text(), "TRUE");
    EXPECT_TRUE(sent().empty());
    closeAndForget(f);
    // The next opening shows the choice made.
    f = open();
    EXPECT_TRUE(f->chkDisplayTemp->isChecked());
    EXPECT_EQ(f->Text1->text(), "TRUE");
    closeAndForget(f);
}

class IdTagTest : public FactoryWindowTest {
protected:
    void startThree() {
        for (int tag : {1, 2, 3}) addSensor(tag);
        sim::FaultConfig refuse;
        refuse.refuseWriteCells = {90};
        bus.setFaults(1, refuse, 1);
        start(kAccessCode);
        form->show();
        bus.clearReceived();
    }
};

TEST_F(IdTagTest, ThreeSensorsPolledThenProgrammedInListOrderWithTheFailureLogged) {
    startThree();
    FactoryWindow* f = open();
    click(f, "cmdIDTagTest");
    RepeatedTestWindow* t = f->idTagTest();
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->windowTitle(), "K7700 ID Tag Test");
    t->tmrTest->stop();
    // Sensor 2's cell 90 goes bad once its programming has begun: it holds another value than
    // the one read from it and takes no write.
    QTimer spoil;
    spoil.setInterval(0);
    QObject::connect(&spoil, &QTimer::timeout, [&] {
        if (bus.countReceived(cmd::WriteEeprom, 2) == 0) return;
        bus.sensor(1).setCell(90, bus.sensor(1).cell(90) ^ 1);
        spoil.stop();
    });
    spoil.start();
    for (int i = 0; i < 6; ++i) {
        t->testNextSensor();
        t->tmrTest->stop();
    }
    EXPECT_FALSE(spoil.isActive());
    QStringList log;
    for (int i = 0; i < t->lstMessages->count(); ++i) log << t->lstMessages->item(i)->text();
    EXPECT_EQ(log,
              (QStringList{"Sensor 1 Status Updated.", "Sensor 2 Status Updated.",
                           "Sensor 3 Status Updated.", "Sensor 1 - All User EEEPROM written",
                           "Sensor 1 booted",
                           "Sensor 2 - programming failed: cell 90 did not take the value written",
                           "Sensor 3 - All User EEEPROM written", "Sensor 3 booted"}));
    EXPECT_EQ(t->lstMessages->currentRow(), log.size() - 1);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(bus.sensor(static_cast<std::size_t>(i)).activeTag(), i + 1);
    for (const auto& r : bus.received()) {
        EXPECT_FALSE(r.bytes[2] == 103 && r.bytes[3] == 45) << "an ID tag was written";
    }
    EXPECT_EQ(bus.countReceived(cmd::Status), 3);
    EXPECT_EQ(bus.countReceived(cmd::Restart), 3);

    // Leaving the test leaves the poll to the factory window, which gives it back.
    t->close();
    EXPECT_FALSE(form->statusTimer->isActive());
    // The factory window closed while a step of the test reads a sensor: both go, the step
    // ends there and writes nothing.
    click(f, "cmdIDTagTest");
    QPointer<RepeatedTestWindow> second = f->idTagTest();
    QPointer<FactoryWindow> factory(f);
    const int reads = bus.countReceived(cmd::ReadEeprom);
    const int statuses = bus.countReceived(cmd::Status);
    QTimer closer;
    closer.setInterval(0);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (factory && bus.countReceived(cmd::ReadEeprom) > reads) factory->close();
    });
    closer.start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.isNull() && factory.isNull(); }, 5000));
    EXPECT_EQ(bus.countReceived(cmd::Status), statuses);
    EXPECT_TRUE(form->statusTimer->isActive());
}

TEST_F(IdTagTest, TheLogKeeps30001EntriesAndEditModeKeepsTheTestFromStarting) {
    startThree();
    form->setEditMode(true);
    FactoryWindow* f = open();
    EXPECT_TRUE(boxText("TestRefused", [&] { click(f, "cmdIDTagTest"); }).contains("edit mode"));
    EXPECT_EQ(f->idTagTest(), nullptr);
    form->setEditMode(false);
    click(f, "cmdIDTagTest");
    RepeatedTestWindow* t = f->idTagTest();
    t->tmrTest->stop();
    t->hide();  // a shown list lays all its entries out again at every selection
    for (int i = 0; i <= kTestLogLimit + 1; ++i) t->addMessage(QString::number(i));
    EXPECT_EQ(t->lstMessages->count(), kTestLogLimit + 1);
    EXPECT_EQ(t->lstMessages->item(0)->text(), "1");
    EXPECT_EQ(t->lstMessages->currentRow(), kTestLogLimit);
    EXPECT_TRUE(sent().empty());
    closeAndForget(f);
}

}  // namespace
}  // namespace k7
