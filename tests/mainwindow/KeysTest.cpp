// The keyboard: every menu title opens on its first Alt press (no label or button shares its
// letter), Esc closes the windows beside the main window, and Advanced Settings -> Comm Port
// changes the port at once.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "support/StallDetector.h"
#include "support/WindowChecks.h"

namespace k7 {
namespace {

class KeysTest : public test::MainWindowFixture {
protected:
    void go() {
        startShown();
        QApplication::processEvents();
    }
    // The menu that Alt + `key` opens, closed again.
    QMenu* altOpens(Qt::Key key) {
        QTest::keyClick(form.get(), key, Qt::AltModifier);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu) menu->close();
        return menu;
    }
};

TEST_F(KeysTest, EveryMenuTitleOpensOnTheFirstAltPress) {
    addSensor(1);
    go();
    EXPECT_EQ(altOpens(Qt::Key_A), form->toolsMenu);
    EXPECT_EQ(altOpens(Qt::Key_V), form->viewMenu);
    EXPECT_EQ(altOpens(Qt::Key_F), form->fileMenu);
    EXPECT_EQ(altOpens(Qt::Key_E), form->temperatureCompensationMenu);
    // In every trigger mode (each shows other fields), in edit mode and with a fault shown.
    for (int mode : {0, 2, 3, 4}) {
        form->TriggerMode->setCurrentIndex(mode);
        form->applyModelVisibility();
        SCOPED_TRACE(mode);
        test::expectDistinctMnemonics(form.get());
    }
    form->ResetErr->show();
    test::expectDistinctMnemonics(form.get());
}

TEST_F(KeysTest, EscClosesTheLineOverviewAndTheTrend) {
    addSensor(1);
    go();
    form->lineOverviewAction->trigger();
    form->trendAction->trigger();
    for (QWidget* w : std::initializer_list<QWidget*>{form->lineOverview(), form->trend()}) {
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible());
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_FALSE(w->isVisible()) << w->objectName().toStdString();
    }
}

TEST_F(KeysTest, CommPortSearchesThePortChosenAtOnceAndKeepsIt) {
    addSensor(1);
    go();
    addSensor(7);  // on the other port
    test::StallDetector stalls(clock);
    test::whenModalOpens([](QWidget* w) {
        ASSERT_EQ(w->objectName(), "frmGetComm");
        w->findChild<QRadioButton*>("SelectDevice")->click();
        w->findChild<QComboBox*>("cbDevice")->setCurrentText("/dev/ttyUSB7");
        w->findChild<QPushButton*>("CommOK")->click();
    });
    EXPECT_LE(stalls.worstMs("comm port search", [&] { form->commPortAction->trigger(); }),
              test::kLongestStallMs);
    EXPECT_EQ(m.discovery.port.device, "/dev/ttyUSB7");
    EXPECT_EQ(m.discovery.found, (std::vector<int>{1, 7}));
    EXPECT_EQ(form->SensorID->count(), 2);
    EXPECT_TRUE(form->SensorID->isVisible());
    QFile ini(QString::fromStdString(m.iniPath));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("PortName=/dev/ttyUSB7"));
    EXPECT_TRUE(form->statusTimer->isActive());

    // Cancel (or Esc) keeps the port, and the program.
    test::whenModalOpens([](QWidget* w) {
        auto* cancel = w->findChild<QPushButton*>("ExitCommand");
        EXPECT_EQ(cancel->text(), "Cancel");
        cancel->click();
    });
    form->commPortAction->trigger();
    EXPECT_EQ(m.discovery.port.device, "/dev/ttyUSB7");
    EXPECT_FALSE(m.exiting);
}

}  // namespace
}  // namespace k7
