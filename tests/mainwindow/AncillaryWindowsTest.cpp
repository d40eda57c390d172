#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "windows/ErrorBox.h"
#include "windows/FormAbout.h"
#include "windows/frmError.h"
#include "windows/frmIntro.h"

namespace k7 {
namespace {

TEST(ErrorBox, NumberDescriptionAndRoutineOnThreeLines) {
    EXPECT_EQ(errorBoxText(13, "Type mismatch", "Module2.SendRequest 2"),
              "Error  13\nType mismatch\nModule2.SendRequest 2");
    EXPECT_EQ(errorBoxText(-1, "x", "Module2.UpdateUnits"), "Error -1\nx\nModule2.UpdateUnits");
}

TEST(frmError, ShowsTheTextOnRedAndOffersExit) {
    QWidget main;
    main.setGeometry(100, 100, 800, 600);
    frmError ok("The file cannot be read.", &main);
    ok.show();
    EXPECT_EQ(ok.windowTitle(), "Error !");
    EXPECT_EQ(ok.findChild<QPlainTextEdit*>("boxError")->toPlainText(), "The file cannot be read.");
    EXPECT_EQ(ok.palette().color(QPalette::Window), QColor(255, 0, 0));
    QTest::mouseClick(ok.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    EXPECT_FALSE(ok.exitChosen());
    frmError exit("x", &main);
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

TEST(frmIntro, PictureSizesTheWindow) {
    frmIntro intro;
    EXPECT_EQ(intro.windowTitle(), "Introductory Picture");
    auto* picture = intro.findChild<QLabel*>("IntroPicture");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(intro.size(), intro.sizeHint());
    EXPECT_GE(intro.width(), introPicture().width());
}

}  // namespace
}  // namespace k7
