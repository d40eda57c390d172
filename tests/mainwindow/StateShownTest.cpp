// The main window says what state the program is in: the status resting while the line
// overview reads the line, the data log while it runs, no empty menu, and a printout of the
// screen as it is now.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QScrollArea>
#include <QStatusBar>
#include <QTest>

#include "support/MainWindowFixture.h"

namespace k7 {
namespace {

class StateShownTest : public test::MainWindowFixture {
protected:
    void go() {
        startShown();
        QApplication::processEvents();
    }
};

TEST_F(StateShownTest, TheStatusSaysItRestsWhileTheLineOverviewIsOpen) {
    addSensor(1);
    go();
    auto* note = form->findChild<QLabel*>("lblStatusPaused");
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isVisible());
    form->lineOverviewAction->trigger();
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), "Status paused while the line overview is open");
    form->lineOverview()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(note->isVisible());
}

TEST_F(StateShownTest, TheStatusBarShowsTheLogFileAndItsRowsWhileLogging) {
    addSensor(1);
    go();
    EXPECT_FALSE(form->statusBar()->isVisible());
    const QString path = dir.path() + "/tag1.csv";
    ASSERT_TRUE(form->startCsvLog(path.toStdString()));
    auto* logging = form->findChild<QLabel*>("lblLogging");
    ASSERT_NE(logging, nullptr);
    EXPECT_TRUE(form->statusBar()->isVisible());
    EXPECT_EQ(logging->text(), "Logging to " + path + ": 0 rows");
    poll();
    EXPECT_EQ(logging->text(), "Logging to " + path + ": 1 row");
    poll();
    EXPECT_EQ(logging->text(), "Logging to " + path + ": 2 rows");
    form->stopCsvLog();
    EXPECT_FALSE(form->statusBar()->isVisible());
}

TEST_F(StateShownTest, AMenuWithNothingForTheSensorShownIsNotOffered) {
    addSensor(1, 4);  // a G-615: no acoustic display
    addSensor(2);
    go();
    form->postLoadTimer->start(0);
    QTest::qWait(20);
    EXPECT_FALSE(form->diagnosticsMenu->menuAction()->isVisible());
    form->showSensor(2);
    EXPECT_TRUE(form->diagnosticsMenu->menuAction()->isVisible());
    form->showSensor(1);
    EXPECT_FALSE(form->diagnosticsMenu->menuAction()->isVisible());
}

TEST_F(StateShownTest, ThePrintoutHoldsTheWholeScreenWithoutScrollBarsOrAnEarlierMessage) {
    addSensor(1);
    go();
    // A message of an earlier action on its green band, and a window too small for its groups.
    ASSERT_TRUE(form->startCsvLog((dir.path() + "/tag1.csv").toStdString()));
    form->stopCsvLog();
    ASSERT_TRUE(form->Message->text().contains("logged to"));
    form->resize(500, 300);
    QApplication::processEvents();
    auto* groups = form->findChild<QScrollArea*>("MainScroll")->widget();
    const QImage page = form->pageImage();
    const qreal dpr = form->devicePixelRatioF();
    EXPECT_EQ(page.width(), qRound(groups->width() * dpr));
    EXPECT_GE(page.height(), qRound(groups->minimumSizeHint().height() * dpr));
    bool green = false;
    for (int y = 0; y < page.height() && !green; y += 2) {
        for (int x = 0; x < page.width() && !green; x += 2) {
            green = page.pixelColor(x, y) == QColor(222, 242, 222);
        }
    }
    EXPECT_FALSE(green) << "the band of an earlier action";
    EXPECT_TRUE(form->Message->text().contains("logged to"));  // the screen keeps it
}

}  // namespace
}  // namespace k7
