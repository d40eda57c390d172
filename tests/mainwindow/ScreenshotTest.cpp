// Renders the main window in its typical states (see support/WindowChecks.h).
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QTest>

#include "link/Discovery.h"
#include "support/MainWindowFixture.h"
#include "support/WindowChecks.h"
#include "windows/NoCommWindow.h"
#include "windows/PortWindow.h"
#include "windows/ProgressWindow.h"

namespace k7 {
namespace {

using test::expectNothingClipped;
using test::save;

class Screenshots : public test::MainWindowFixture {
protected:
    void shoot(int type, const QString& name) {
        addSensor(1, type).setTargetInches(type == 3 || type == 4 ? 50.0 : 20.0);
        start();
        form->show();
        poll();
        saveMain(name);
        expectNothingClipped(form.get());
    }
    // The main window at the size it asks for, as on a screen with room for all of it (the
    // screen-fit tests show it on smaller ones).
    void saveMain(const QString& name) {
        form->resize(form->centralWidget()->sizeHint() +
                     QSize(0, form->menuBar()->sizeHint().height()));
        QApplication::processEvents();
        const QByteArray dir = qgetenv("K7_SCREENSHOTS");
        if (!dir.isEmpty()) form->grab().save(QString::fromUtf8(dir) + "/" + name + ".png");
    }
};

class EverySensorType : public Screenshots, public ::testing::WithParamInterface<int> {};

TEST_P(EverySensorType, ShowsACompleteLiveScreen) {
    const int type = GetParam();
    shoot(type, QString("main-type%1").arg(type));
    EXPECT_FALSE(text("AvgDist").isEmpty());
    EXPECT_FALSE(text("FactoryDescription").isEmpty());
    EXPECT_FALSE(m.editModeActive);
}

INSTANTIATE_TEST_SUITE_P(Types, EverySensorType, ::testing::Range(0, 8));

TEST_F(Screenshots, EditModeAndValidationFailure) {
    addSensor(1).setTargetInches(20.0);
    addSensor(4);
    start();
    form->show();
    QApplication::setActiveWindow(form.get());
    form->TriggerMode->setCurrentIndex(3);
    form->presetTemperatureAction->trigger();
    type(form->Hysteresis1, "12");
    saveMain("main-editmode");
    expectNothingClipped(form.get());
    type(form->CloseSetPoint, "35");
    QTest::mouseClick(form->ProgramModule, Qt::LeftButton);
    saveMain("main-validation");
}

TEST_F(Screenshots, FaultReportOneFaultALine) {
    addSensor(1).setFaultBits(0x80 | 0x18 | 0x02);
    start();
    form->show();
    poll();
    saveMain("main-fault");
    expectNothingClipped(form.get());
    EXPECT_TRUE(form->ResetErr->isVisible());
    EXPECT_GE(form->Message->height(), 3 * form->Message->fontMetrics().lineSpacing());
}

TEST(ScreenshotsOfLinkWindows, PortNoCommAndProgress) {
    PortWindow port(PortChoice{7, ""}, QString::fromStdString(portUnavailableMessage({7, ""})));
    port.show();
    save(&port, "port-window");
    expectNothingClipped(&port);
    NoCommWindow noComm(true);
    noComm.show();
    save(&noComm, "nocomm-window");
    expectNothingClipped(&noComm);
    ProgressWindow gauge;
    gauge.prepare("Searching for Sensors on Comm 3", true);
    gauge.show();
    gauge.setPercent(40);
    save(&gauge, "progress-window");
    expectNothingClipped(&gauge);
}

}  // namespace
}  // namespace k7
