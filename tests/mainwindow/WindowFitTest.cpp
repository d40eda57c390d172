// Every window the main window opens fits the screen it is on, with its own buttons in view.
// CTest runs these on a 1366 x 768 laptop at 125 % and a 1920 x 1080 screen at 200 % as well
// (see ScreenFitTest.cpp).
#include <gtest/gtest.h>

#include <QScrollArea>
#include <QScrollBar>

#include "setupfile/CompareWindow.h"
#include "support/MainWindowFixture.h"
#include "support/WindowChecks.h"
#include "windows/AboutWindow.h"
#include "windows/CommHistoryWindow.h"
#include "windows/FileErrorWindow.h"
#include "windows/Help.h"
#include "windows/IntroWindow.h"
#include "windows/NoCommWindow.h"
#include "windows/PortWindow.h"
#include "windows/ProgressWindow.h"

namespace k7 {
namespace {

class WindowsScreenFit : public test::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        addSensor(1).setTargetInches(20.0);
        addSensor(9, 4);
        start();
        form->show();
        QApplication::processEvents();
    }
    static void fits(QWidget* w, const char* shot) {
        w->show();
        QApplication::processEvents();
        test::shoot(w, shot);
        test::expectFitsScreen(w);
    }
};

TEST_F(WindowsScreenFit, EditModeKeepsItsRowAndTheBandInViewAndTheWindowGrowsFirst) {
    form->presetTemperatureAction->trigger();  // edit mode, and the preset temperature row
    ASSERT_TRUE(m.editModeActive);
    QApplication::processEvents();
    auto* scroll = form->findChild<QScrollArea*>("MainScroll");
    ASSERT_NE(scroll, nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{form->EditModeLabel, form->ProgramModule,
                                                      form->cmdCancelEdit, form->Message}) {
        EXPECT_FALSE(test::insideScrollArea(w, form.get())) << w->objectName().toStdString();
        EXPECT_TRUE(w->isVisibleTo(form.get()));
        EXPECT_TRUE(form->rect().contains(QRect(w->mapTo(form.get(), QPoint()), w->size())))
            << w->objectName().toStdString();
    }
    // Where the screen has the room, the window grew instead of scrolling.
    const QRect screen = form->screen()->availableGeometry();
    const QSize groups = scroll->widget()->sizeHint();
    const int around = form->height() - scroll->height();
    if (screen.width() - test::kFrameWidth >= groups.width() &&
        screen.height() - test::kFrameHeight >= groups.height() + around) {
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    }
    test::shoot(form.get(), "main-edit-mode");
    test::expectFitsScreen(form.get());
}

TEST_F(WindowsScreenFit, TheLinkAndAncillaryWindows) {
    ui.showProgressWindow("Writing K-7700 Data", false);
    fits(ui.gauge(), "gauge");
    ui.closeProgressWindow();
    PortWindow port({3, ""}, kSelectPortMessage, form.get());
    fits(&port, "port");
    NoCommWindow noComm(true, "", form.get());
    fits(&noComm, "nocomm");
    CommHistoryWindow history(m.link, form.get());
    fits(&history, "comm-history");
    AboutWindow about(form.get());
    fits(&about, "about");
    FileErrorWindow error("The file cannot be read: tank4.txt", form.get());
    fits(&error, "error");
    IntroWindow intro;
    fits(&intro, "intro");
    showHelp(form.get());
    QWidget* help = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == "HelpWindow" && w->isVisible()) help = w;
    }
    ASSERT_NE(help, nullptr);
    fits(help, "help");
    help->close();
}

TEST_F(WindowsScreenFit, TheLineOverviewTrendAndCompareWindows) {
    form->lineOverviewAction->trigger();
    ASSERT_NE(form->lineOverview(), nullptr);
    fits(form->lineOverview(), "line-overview");
    form->lineOverview()->close();
    form->trendAction->trigger();
    ASSERT_NE(form->trend(), nullptr);
    fits(form->trend(), "trend");
    form->trend()->close();
    std::vector<CompareRow> rows;
    for (int i = 0; i < 28; ++i) {
        rows.push_back({"Setting " + std::to_string(i), "1", "2", i % 3 == 0, "GROUP"});
    }
    CompareWindow compare(rows, "/tmp/tank4.txt", "Sensor with ID tag 1", form.get());
    fits(&compare, "compare");
}

}  // namespace
}  // namespace k7
