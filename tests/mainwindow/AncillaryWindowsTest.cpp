#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "status/StatusDecode.h"
#include "windows/AboutWindow.h"
#include "windows/ErrorBox.h"
#include "windows/FileErrorWindow.h"
#include "windows/IntroWindow.h"
#include "windows/Placement.h"
#include "windows/ProgressWindow.h"

namespace k7 {
namespace {

TEST(ErrorBox, NumberDescriptionAndRoutineOnThreeLines) {
    EXPECT_EQ(errorBoxText(13, "Type mismatch", "Module2.SendRequest 2"),
              "Error  13\nType mismatch\nModule2.SendRequest 2");
    EXPECT_EQ(errorBoxText(-1, "x", "Module2.UpdateUnits"), "Error -1\nx\nModule2.UpdateUnits");
}

TEST(FileErrorWindow, ShowsTheTextOnRedAndOffersExit) {
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    FileErrorWindow ok("The file cannot be read.", &main);
    ok.show();
    EXPECT_EQ(ok.windowTitle(), "Error !");
    EXPECT_EQ(ok.findChild<QPlainTextEdit*>("boxError")->toPlainText(), "The file cannot be read.");
    EXPECT_EQ(ok.palette().color(QPalette::Window), QColor(255, 0, 0));
    QTest::mouseClick(ok.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(ok.exitChosen());
    FileErrorWindow exit("x", &main);
    exit.show();
    QTest::mouseClick(exit.findChild<QPushButton*>("ErrExit"), Qt::LeftButton);
    EXPECT_TRUE(exit.exitChosen());
}

TEST(PlaceRelativeTo, StaysInsideTheScreenAndNeverNegative) {
    QWidget main;
    main.setGeometry(0, 0, 200, 100);
    QWidget box;
    box.resize(300, 200);
    placeRelativeTo(&box, &main, 50, 50);
    EXPECT_EQ(box.pos(), QPoint(0, 0));  // centred at (100, 50) would start at (-50, -50)
}

TEST(IntroWindow, PictureSizesTheWindow) {
    IntroWindow intro;
    EXPECT_EQ(intro.windowTitle(), "Introductory Picture");
    auto* picture = intro.findChild<QLabel*>("IntroPicture");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(intro.size(), intro.sizeHint());
    EXPECT_GE(intro.width(), introPicture().width());
}

TEST(Help, ARealPageThatStaysBesideTheProgressWindow) {
    ProgressWindow gauge;
    gauge.prepare("Searching for Sensors on Comm 3", true);
    gauge.show();
    QTest::mouseClick(gauge.findChild<QPushButton*>("btnHelp"), Qt::LeftButton);
    auto* help = gauge.findChild<QDialog*>("HelpWindow");
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());  // the search goes on while it is read
    EXPECT_FALSE(help->frameGeometry().intersects(gauge.frameGeometry()));
    EXPECT_TRUE(availableArea(help).contains(help->frameGeometry()));
    QTest::mouseClick(gauge.findChild<QPushButton*>("btnHelp"), Qt::LeftButton);
    EXPECT_EQ(gauge.findChildren<QDialog*>("HelpWindow").size(), 1);  // the same window again

    const QString page = help->findChild<QTextBrowser*>("HelpText")->toPlainText();
    for (const char* topic :
         {"CURRENT LOOP", "Setpoint output settings", "Sampling settings",
          "Echo status output settings", "EDIT MODE", "Program K-7700", "Cancel Editing",
          "centimetres", "Temperature compensation", "Preset", "/dev/ttyS<N-1>", "dialout",
          "Permission denied", "k7700-cli", "--help"}) {
        EXPECT_TRUE(page.contains(topic, Qt::CaseInsensitive)) << topic;
    }
    // Every fault the sensors report is explained.
    for (int type : {0, 3, 4}) {
        for (int bit = 0; bit < 8; ++bit) {
            const QString fault = QString::fromStdString(faultReportText(1 << bit, type)).trimmed();
            EXPECT_TRUE(page.contains(fault)) << fault.toStdString();
        }
    }
    help->close();
}

TEST(IntroWindow, KeepsClearOfTheWindowAtTheCentreOrStepsAside) {
    IntroWindow intro;
    intro.show();
    const QRect screen = availableArea(&intro);
    const QRect centre(screen.center() - QPoint(200, 80), QSize(400, 160));
    intro.keepClearOf(centre);
    EXPECT_TRUE(intro.isVisible());
    EXPECT_FALSE(intro.frameGeometry().intersects(centre));
    EXPECT_TRUE(screen.contains(intro.frameGeometry()));
    // No room anywhere: out of sight rather than over the other window.
    intro.keepClearOf(screen.adjusted(40, 40, -40, -40));
    EXPECT_FALSE(intro.isVisible());
}

TEST(Placement, TheLargestFreeBandAndNothingOutsideTheScreen) {
    const QRect screen(0, 0, 1000, 600);
    const QRect beside = placeClearOf(QRect(100, 200, 300, 200), QSize(500, 300), screen);
    EXPECT_EQ(beside.size(), QSize(500, 300));  // right of it: 592 x 600 free
    EXPECT_GE(beside.left(), 408);
    EXPECT_TRUE(screen.contains(beside));
    const QRect cut = placeClearOf(QRect(0, 150, 1000, 300), QSize(500, 300), screen);
    EXPECT_EQ(cut.size(), QSize(500, 142));  // only the bands above and below are left
    EXPECT_TRUE(placeClearOf(screen, QSize(10, 10), screen).isEmpty());
}

}  // namespace
}  // namespace k7
