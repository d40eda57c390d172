// The report from the File menu and the comm history window, driven as a user drives them.
#include <gtest/gtest.h>

#include <QFile>
#include <QMessageBox>
#include <QTableWidget>

#include "acoustic/EchoCapture.h"
#include "acoustic/PlotScale.h"
#include "setupfile/SetupWindowTest.h"
#include "sim/SimOptions.h"
#include "support/WindowChecks.h"
#include "windows/CommHistoryWindow.h"

namespace k7 {
namespace {

using test::answerInOrder;
using test::choose;

test::Act press(const char* button) {
    return [button](QWidget* w) {
        auto* b = w->findChild<QPushButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    };
}

void keepScreenshot(const QString& name, const std::function<void(const QString&)>& save) {
    const QByteArray dir = qgetenv("K7_SCREENSHOTS");
    if (!dir.isEmpty()) save(QString::fromUtf8(dir) + "/" + name);
}

class ReportWindow : public test::SetupWindowFixture {};

TEST_F(ReportWindow, EverySensorFoundOnAPageAndTheShownSensorStays) {
    addSensor(1).setTargetInches(30);
    addSensor(4, 1, 26).setTargetInches(55);
    go();
    poll();
    // An echo captured in this run goes on its sensor's page.
    EchoCapture capture(m.link);
    const CaptureResult echo = capture.capture(Gain::Switching);
    ASSERT_EQ(echo.outcome, CaptureResult::Outcome::Captured);
    ASSERT_TRUE(capture.restartSensor());
    m.runRecord.echoes[1] = {"2026-12-06 09:30:00", echo.samples, echo.thresholdCode,
                             captureKelvin(20.0), gainCaption(echo.gain)};

    const QString pdf = path("report.pdf");
    answerInOrder({press("cmdAllSensors"), choose(pdf)});
    w<QAction>("MenuReport")->trigger();
    test::stopAnswering();
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(text("Message").toStdString(), ("Report saved to " + pdf).toStdString());
    EXPECT_EQ(text("SingleSensorID"), "1");
    EXPECT_EQ(m.discovery.currentIdTag, 1);
    EXPECT_EQ(m.sensorType, 0);
    keepScreenshot("report.pdf", [&pdf](const QString& to) {
        QFile::remove(to);
        QFile::copy(pdf, to);
    });

    // Only the shown sensor, and a cancel that writes nothing.
    const QString one = path("one.pdf");
    answerInOrder({press("cmdShownSensor"), choose(one)});
    form->writeReport();
    test::stopAnswering();
    EXPECT_TRUE(QFile::exists(one));
    answerInOrder({press("cmdCancel")});
    form->writeReport();
    test::stopAnswering();
}

TEST_F(ReportWindow, CommHistoryShowsTheHealthOfEachTagThatAnswered) {
    addSensor(2);
    addSensor(5);
    sim::FaultConfig faults;
    ASSERT_FALSE(sim::applyFault("checksum=0.3", faults));
    bus.setFaults(1, faults, 7);
    go();
    for (int i = 0; i < 30; ++i) poll();
    w<QAction>("menuCommHistory")->trigger();
    auto* h = form->findChild<CommHistoryWindow*>();
    ASSERT_NE(h, nullptr);
    QApplication::processEvents();
    ASSERT_EQ(h->tblHealth->rowCount(), 2);
    EXPECT_EQ(h->tblHealth->item(0, 0)->text(), "2");
    EXPECT_EQ(h->tblHealth->item(1, 0)->text(), "5");
    EXPECT_EQ(h->tblHealth->item(1, 2)->text().toULongLong(), m.link.stats.tag(5).badReplies);
    EXPECT_GT(h->tblHistory->rowCount(), 30);
    test::expectNothingClipped(h);
    keepScreenshot("comm-history.png", [h](const QString& to) { h->grab().save(to); });
    // One window, however often it is asked for.
    form->showCommHistory();
    EXPECT_EQ(form->findChildren<CommHistoryWindow*>().size(), 1);
}

}  // namespace
}  // namespace k7
