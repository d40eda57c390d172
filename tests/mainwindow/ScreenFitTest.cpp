// The main window fits the screen it starts on: as large as its groups want where the screen
// allows, resizable, scrolling only where the screen is too small even for the groups at their
// narrowest, and never a caption cut. The suite runs these on its default screen; CTest runs
// them again on a 1366 x 768 laptop at 125 % and a 1920 x 1080 screen at 200 % (both less a
// 40-pixel panel), as a technician's screens are.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "support/MainWindowFixture.h"
#include "support/WindowChecks.h"

namespace k7 {
namespace {

// Room a window manager takes around a window: borders and a title bar.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 40;

class ScreenFit : public test::MainWindowFixture, public ::testing::WithParamInterface<int> {
protected:
    QScrollArea* scroll = nullptr;

    void SetUp() override {
        MainWindowFixture::SetUp();
        addSensor(1, GetParam()).setTargetInches(20.0);
        addSensor(9);
        start();
        QApplication::processEvents();
        scroll = form->findChild<QScrollArea*>("MainScroll");
        ASSERT_NE(scroll, nullptr);
    }
    void shoot(const char* state) {
        const QByteArray dir = qgetenv("K7_SCREENSHOTS");
        const QSize screen = form->screen()->size();
        if (!dir.isEmpty()) {
            form->grab().save(QString("%1/fit-%2x%3-type%4-%5.png")
                                  .arg(QString::fromUtf8(dir))
                                  .arg(screen.width())
                                  .arg(screen.height())
                                  .arg(GetParam())
                                  .arg(state));
        }
    }
};

TEST_P(ScreenFit, TheGroupsFitALaptopAt125Percent) {
    // 1366 x 768 at 125 % is 1093 x 614 to the layout, less a 32-pixel panel.
    const QSize room(1093 - kFrameWidth, 614 - 32 - kFrameHeight);
    const QSize menu(0, form->menuBar()->sizeHint().height());
    EXPECT_LE(scroll->widget()->minimumSizeHint().width(), room.width());
    EXPECT_LE((scroll->widget()->minimumSizeHint() + menu).height(), room.height());
    form->Hysteresis1->setText("7");  // edit mode: its buttons and label take their room too
    ASSERT_TRUE(m.editModeActive);
    EXPECT_LE(scroll->widget()->minimumSizeHint().width(), room.width());
    EXPECT_LE((scroll->widget()->minimumSizeHint() + menu).height(), room.height());
}

TEST_P(ScreenFit, TheWindowFitsTheScreenAndScrollsOnlyWhenItMust) {
    const QRect screen = form->screen()->availableGeometry();
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(screen.contains(form->frameGeometry())) << form->frameGeometry().width();
    EXPECT_LE(form->minimumSizeHint().width(), screen.width() / 2) << "the window can shrink";
    EXPECT_LE(form->minimumSizeHint().height(), screen.height() / 2);
    const QSize least = scroll->widget()->minimumSizeHint();
    const QSize viewport = scroll->viewport()->size();
    const bool roomy = screen.width() - kFrameWidth >= least.width() &&
                       screen.height() - kFrameHeight - form->menuBar()->height() >= least.height();
    if (roomy) {
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
        EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    }
    // Where it scrolls, every field can be brought into view whole.
    for (QWidget* field : std::initializer_list<QWidget*>{form->SensorID, form->UserDescription,
                                                          form->Hysteresis1}) {
        const QPoint centre = field->mapTo(scroll->widget(), field->rect().center());
        scroll->ensureVisible(centre.x(), centre.y(), field->width() / 2 + 1,
                              field->height() / 2 + 1);
        const QRect r(field->mapTo(scroll->viewport(), QPoint(0, 0)), field->size());
        EXPECT_TRUE(QRect(QPoint(0, 0), viewport).contains(r))
            << field->objectName().toStdString() << " " << r.x() << "," << r.y() << " " << r.width()
            << "x" << r.height() << " in " << viewport.width() << "x" << viewport.height();
    }
    scroll->ensureVisible(0, 0);
    test::expectNothingClipped(scroll->widget());
    shoot("live");
}

INSTANTIATE_TEST_SUITE_P(Types, ScreenFit, ::testing::Values(0, 4));

}  // namespace
}  // namespace k7
