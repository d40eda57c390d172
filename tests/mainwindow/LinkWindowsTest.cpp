#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "link/Discovery.h"
#include "support/Modal.h"
#include "windows/NoCommWindow.h"
#include "windows/PortWindow.h"
#include "windows/ProgressWindow.h"

namespace k7 {
namespace {

template <typename T>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(PortWindow, FailedPortSevenIsShownWithItsNumber) {
    PortWindow dlg(PortChoice{7, ""}, QString::fromStdString(portUnavailableMessage({7, ""})));
    EXPECT_EQ(child<QLabel>(&dlg, "CommMessage")->text(),
              "Communications port 7 is unavailable. Select a Comm port below. "
              "If Comm 7 is selected, it will be re-tried.");
    EXPECT_EQ(child<QLineEdit>(&dlg, "txtPortNum")->text(), "7");
    EXPECT_TRUE(child<QRadioButton>(&dlg, "SelectComm(5)")->isChecked());
    EXPECT_FALSE(child<QRadioButton>(&dlg, "SelectComm(0)")->isVisibleTo(&dlg));
    EXPECT_EQ(child<QRadioButton>(&dlg, "SelectComm(5)")->text(), "Comm");
    EXPECT_TRUE(child<QPushButton>(&dlg, "CommOK")->isEnabled());
    EXPECT_EQ(dlg.choice().number, 7);
}

TEST(PortWindow, OkNeedsAChoiceAndTypingSelectsTheNumberedOption) {
    PortWindow dlg(PortChoice{}, kSelectPortMessage);
    auto* ok = child<QPushButton>(&dlg, "CommOK");
    EXPECT_FALSE(ok->isEnabled());
    child<QRadioButton>(&dlg, "SelectComm(2)")->click();
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dlg.choice().number, 2);
    QTest::keyClicks(child<QLineEdit>(&dlg, "txtPortNum"), "12");
    EXPECT_TRUE(child<QRadioButton>(&dlg, "SelectComm(5)")->isChecked());
    EXPECT_EQ(dlg.choice().number, 12);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_TRUE(child<QLabel>(&dlg, "CommMessage")->text().isEmpty());
}

TEST(PortWindow, DevicePathCanBeTyped) {
    PortWindow dlg(PortChoice{1, ""}, "");
    auto* device = child<QComboBox>(&dlg, "cbDevice");
    device->setCurrentText("/dev/ttyUSB3");
    EXPECT_TRUE(child<QRadioButton>(&dlg, "SelectDevice")->isChecked());
    EXPECT_EQ(dlg.choice().device, "/dev/ttyUSB3");
}

TEST(PortWindow, KeyboardStartsOnTheChoiceAndTheDeviceMnemonicGoesToItsField) {
    PortWindow none(PortChoice{}, "Select");
    none.show();
    QApplication::setActiveWindow(&none);
    EXPECT_EQ(QApplication::focusWidget(), child<QRadioButton>(&none, "SelectComm(1)"));
    // Comm N is explained; a device path stands alone in the failure text.
    EXPECT_TRUE(child<QLabel>(&none, "lblPortHint")->text().contains("/dev/ttyS<N-1>"));
    EXPECT_EQ(portUnavailableMessage({0, "/dev/ttyS9"}),
              "Communications port /dev/ttyS9 is unavailable. Select a Comm port below. "
              "If /dev/ttyS9 is selected, it will be re-tried.");
    QTest::keyClick(&none, Qt::Key_D, Qt::AltModifier);
    QTest::qWait(300);  // the mnemonic's click is animated
    EXPECT_TRUE(child<QRadioButton>(&none, "SelectDevice")->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), child<QComboBox>(&none, "cbDevice"));

    PortWindow typed(PortChoice{9, ""}, "Select");
    typed.show();
    QApplication::setActiveWindow(&typed);
    EXPECT_EQ(QApplication::focusWidget(), child<QLineEdit>(&typed, "txtPortNum"));
}

TEST(PortWindow, ExitProgramIsChosenByItsButtonOrByClosing) {
    PortWindow dlg(PortChoice{1, ""}, "");
    QTest::mouseClick(child<QPushButton>(&dlg, "ExitCommand"), Qt::LeftButton);
    EXPECT_TRUE(dlg.exitChosen());
    PortWindow dlg2(PortChoice{1, ""}, "");
    dlg2.show();
    dlg2.close();
    EXPECT_TRUE(dlg2.exitChosen());
}

TEST(NoCommWindow, RetryOnlyForTheStatusPoll) {
    NoCommWindow poll(true);
    auto* label = child<QLabel>(&poll, "Label1");
    EXPECT_TRUE(label->text().startsWith("Unable to communicate with the K-7700 Sensor."));
    EXPECT_FALSE(label->text().contains("Re-starting"));
    EXPECT_TRUE(child<QPushButton>(&poll, "RetryComm")->isVisibleTo(&poll));
    EXPECT_EQ(poll.palette().color(QPalette::Window), QColor(255, 0, 0));

    NoCommWindow read(false);
    EXPECT_TRUE(child<QLabel>(&read, "Label1")
                    ->text()
                    .endsWith("Re-starting this computer program is necessary."));
    EXPECT_FALSE(child<QPushButton>(&read, "RetryComm")->isVisibleTo(&read));
}

TEST(NoCommWindow, ButtonsGiveTheChoiceAndOnlyThemLeaveTheWindow) {
    NoCommWindow dlg(true);
    test::whenModalOpens([](QWidget* w) {
        // Esc does not leave the window: only its buttons do.
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_TRUE(w->isVisible());
        QTest::mouseClick(w->findChild<QPushButton*>("RetryComm"), Qt::LeftButton);
    });
    dlg.exec();
    EXPECT_EQ(dlg.choice(), NoCommChoice::Retry);

    NoCommWindow dlg2(true);
    test::whenModalOpens(
        [](QWidget* w) { QTest::mouseClick(w->findChild<QPushButton*>("Exit"), Qt::LeftButton); });
    dlg2.exec();
    EXPECT_EQ(dlg2.choice(), NoCommChoice::Exit);

    // Closed by the program (it is ending): that is Exit, never a hang.
    NoCommWindow dlg3(true);
    test::whenModalOpens([](QWidget* w) { w->close(); });
    dlg3.exec();
    EXPECT_EQ(dlg3.choice(), NoCommChoice::Exit);
}

TEST(ProgressWindow, CaptionButtonsAndNewPortRequest) {
    ProgressWindow g;
    g.prepare("Searching for Sensors on Comm 3", true);
    g.show();
    EXPECT_EQ(g.windowTitle(), "K-7700 - PC Serial Communications");
    EXPECT_EQ(child<QLabel>(&g, "Label1")->text(), "Searching for Sensors on Comm 3");
    EXPECT_TRUE(child<QLabel>(&g, "Label2")->text().startsWith("K7700 Software Version "));
    EXPECT_TRUE(child<QPushButton>(&g, "SelNewComm")->isVisible());
    EXPECT_EQ(child<QProgressBar>(&g, "Gauge1")->value(), 0);
    g.setPercent(50);
    EXPECT_EQ(child<QProgressBar>(&g, "Gauge1")->value(), 50);
    // The advice after an empty pass stays while the same search goes round again.
    g.setNote("No sensor answered");
    g.prepare("Searching for Sensors on Comm 3", true);
    EXPECT_TRUE(child<QLabel>(&g, "lblNote")->isVisible());
    QTest::mouseClick(child<QPushButton>(&g, "SelNewComm"), Qt::LeftButton);
    EXPECT_TRUE(g.newPortRequested());
    EXPECT_FALSE(g.isVisible());
    g.prepare("Reading K-7700 Data", false);
    g.show();
    EXPECT_FALSE(g.newPortRequested());
    EXPECT_FALSE(child<QPushButton>(&g, "SelNewComm")->isVisible());
    EXPECT_FALSE(child<QLabel>(&g, "lblNote")->isVisible());
    EXPECT_GE(g.x(), 0);
    EXPECT_GE(g.y(), 0);

    // Enter pressed by chance while a write runs ends nothing; Exit asks first.
    int exits = 0;
    QObject::connect(&g, &ProgressWindow::exitRequested, [&] { ++exits; });
    g.prepare("Writing K-7700 Data", false);
    QApplication::setActiveWindow(&g);
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &g, Qt::Key_Space);
    EXPECT_EQ(exits, 0);
    test::whenModalOpens([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
    child<QPushButton>(&g, "exitProg")->click();
    EXPECT_EQ(exits, 0);
    test::whenModalOpens(
        [](QWidget* box) { static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    child<QPushButton>(&g, "exitProg")->click();
    EXPECT_EQ(exits, 1);
}

}  // namespace
}  // namespace k7
