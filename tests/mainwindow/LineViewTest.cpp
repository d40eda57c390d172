// The View menu against simulated sensors: the line overview (round-robin, one exchange at a
// time, the main poll resting), a silent sensor greyed and kept, Enter showing a sensor in the
// main window; the live trend and the CSV log fed by the main window's own poll.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QHeaderView>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/Commands.h"
#include "status/TrendPlot.h"
#include "support/MainWindowFixture.h"
#include "support/Modal.h"
#include "support/TempDir.h"
#include "support/WindowChecks.h"

namespace k7 {
namespace {

class LineViewTest : public test::MainWindowFixture {
protected:
    // Runs the overview's round-robin for `seconds` of the virtual clock.
    void sweep(LineOverviewWindow* ov, double seconds) {
        const std::int64_t end = clock.nowUs() + static_cast<std::int64_t>(seconds * 1e6);
        while (clock.nowUs() < end) {
            ov->sweepStep();
            clock.sleepUntil(std::min(ov->poller().nextDueUs(), end));
        }
        ov->showPending();
    }
    int rowOf(QTableWidget* t, int tag) {
        for (int r = 0; r < t->rowCount(); ++r) {
            if (t->item(r, 0)->text() == QString::number(tag)) return r;
        }
        return -1;
    }
};

TEST_F(LineViewTest, OverviewGreysASilentSensorKeepsTheOthersAndShowsTheOneChosen) {
    addSensor(1).setTargetInches(20);
    addSensor(2, 1);
    addSensor(3).setTargetInches(15);
    start();
    form->show();
    ASSERT_TRUE(form->pollRunning());
    form->lineOverviewAction->trigger();
    LineOverviewWindow* ov = form->lineOverview();
    ASSERT_NE(ov, nullptr);
    EXPECT_FALSE(form->pollRunning());  // the overview has the line
    QTableWidget* t = ov->tblSensors;
    sweep(ov, 1.5);
    ASSERT_EQ(t->rowCount(), 3);
    EXPECT_EQ(t->item(rowOf(t, 1), 4)->text(), "20.00");
    EXPECT_EQ(t->item(rowOf(t, 2), 1)->text(), "95 kHz 8 degree beam");
    EXPECT_EQ(t->item(rowOf(t, 3), 10)->text(), "answering");

    const int polls = bus.countReceived(cmd::Status);
    bus.sensor(1).setSilent(true);
    bus.sensor(0).setTargetInches(22);
    sweep(ov, 5);
    const int silent = rowOf(t, 2);
    ASSERT_GE(silent, 0);  // kept, not removed
    EXPECT_TRUE(t->item(silent, 10)->text().startsWith("not answering, last seen "));
    EXPECT_EQ(t->item(silent, 0)->foreground().color(),
              ov->palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_NE(t->item(rowOf(t, 1), 0)->foreground().color(),
              ov->palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(t->item(rowOf(t, 1), 4)->text(), "22.00");  // still refreshed
    // Called silent after two exchanges of ten requests (1.5 s), then asked only now and then.
    EXPECT_GE(bus.countReceived(cmd::Status, 1) + bus.countReceived(cmd::Status, 3) - polls,
              2 * 14);
    EXPECT_EQ(m.link.stats.nestedRefused, 0u);

    // Sorting by distance, then copying, gives the rows as shown.
    t->sortByColumn(4, Qt::DescendingOrder);
    const QStringList lines = ov->tableAsText().split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("ID tag\tModel\tFirmware\tSerial number\tDistance (in)"));
    for (int i = 2; i < lines.size(); ++i) {
        EXPECT_GE(lines[i - 1].split('\t')[4].toDouble(), lines[i].split('\t')[4].toDouble());
    }

    // Enter on sensor 3's row shows it in the main window.
    t->setCurrentCell(rowOf(t, 3), 0);
    QTest::keyClick(t, Qt::Key_Return);
    EXPECT_EQ(m.discovery.currentIdTag, 3);
    EXPECT_EQ(text("SensorID"), "3");
    EXPECT_EQ(m.link.stats.nestedRefused, 0u);

    ov->close();
    QApplication::processEvents();
    EXPECT_EQ(form->lineOverview(), nullptr);
    EXPECT_TRUE(form->pollRunning());  // given back
}

TEST_F(LineViewTest, TrendAndLogFollowTheMainPollOnly) {
    addSensor(1).setTargetInches(20);
    start();
    form->show();
    form->trendAction->trigger();
    ASSERT_NE(form->trend(), nullptr);
    test::TempDir folder;
    const std::string file = folder.file("tag1.csv");
    ASSERT_TRUE(form->startCsvLog(file));
    EXPECT_TRUE(form->logCsvAction->isChecked());
    const int before = bus.countReceived(cmd::Status);
    for (int i = 0; i < 5; ++i) {
        clock.advance(220'000);
        poll();
    }
    EXPECT_EQ(bus.countReceived(cmd::Status) - before, 5);  // nothing beyond the poll's own
    EXPECT_EQ(form->trend()->plot()->buffer().size(), 5u);
    form->trend()->setPaused(true);
    form->logCsvAction->trigger();  // stops
    EXPECT_FALSE(form->logCsvAction->isChecked());
    poll();
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const QStringList lines = QString::fromStdString(s.str()).split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[1].contains(",1,20.00,2560,")) << lines[1].toStdString();
    EXPECT_EQ(text("Message"), QString::fromStdString("5 readings logged to " + file));
}

TEST_F(LineViewTest, LogThatFillsItsDiskEndsOnAWholeRowAndSaysSo) {
    addSensor(1).setTargetInches(20);
    start();
    test::TempDir folder;
    const std::string file = folder.file("tag1.csv");
    ASSERT_TRUE(form->startCsvLog(file));
    for (int i = 0; i < 3; ++i) {
        clock.advance(220'000);
        poll();
    }
    // The disk fills half-way through the fourth row.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    rlimit full = limit;
    full.rlim_cur = std::filesystem::file_size(file) + 30;
    setrlimit(RLIMIT_FSIZE, &full);
    QString box;
    test::whenModalOpens([&box](QWidget* w) {
        box = w->findChild<QPlainTextEdit*>("boxError")->toPlainText();
        w->findChild<QPushButton*>("cmdOK")->click();
    });
    clock.advance(220'000);
    poll();
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(box.toStdString(), "cannot write " + file +
                                     ": File too large; the log ends after 3 readings, every "
                                     "row whole");
    EXPECT_FALSE(form->logCsvAction->isChecked());
    EXPECT_EQ(text("Message"), QString::fromStdString("3 readings logged to " + file));
    std::ifstream in(file, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(QString::fromStdString(bytes).split("\r\n", Qt::SkipEmptyParts).size(), 4);
}

TEST_F(LineViewTest, ScreenshotsOfAFullLineAndATrend) {
    for (int tag = 1; tag <= 32; ++tag) addSensor(tag, tag % 8);
    bus.sensor(6).setSilent(true);
    start();
    form->show();
    bus.sensor(6).setSilent(true);
    form->lineOverviewAction->trigger();
    LineOverviewWindow* ov = form->lineOverview();
    bus.sensor(4).setSilent(true);
    sweep(ov, 3);
    ov->resize(1280, 760);
    QApplication::processEvents();
    test::expectNothingClipped(ov);
    const QByteArray shots = qgetenv("K7_SCREENSHOTS");
    if (!shots.isEmpty()) ov->grab().save(QString::fromUtf8(shots) + "/line-overview.png");
    ov->close();

    form->trendAction->trigger();
    for (int i = 0; i < 250; ++i) {
        clock.advance(220'000);
        poll();
    }
    TrendWindow* trend = form->trend();
    QApplication::processEvents();
    test::expectNothingClipped(trend);
    if (!shots.isEmpty()) trend->grab().save(QString::fromUtf8(shots) + "/trend.png");
}

}  // namespace
}  // namespace k7
