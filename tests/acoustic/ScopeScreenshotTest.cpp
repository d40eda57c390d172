// The acoustic display as rendered: the threshold line, the ticks, their labels and the echo
// sit where the plot arithmetic says, in every unit and at any window size. With
// K7_SCREENSHOTS=<folder> set, the images are saved there for a person to look at.
#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "acoustic/FrmScopeWarning.h"
#include "acoustic/ScopePlot.h"
#include "acoustic/frmScope.h"
#include "settings/Units.h"
#include "support/MainFormFixture.h"

namespace k7 {
namespace {

class ScopeScreenshots : public test::MainFormFixture {
protected:
    frmScope* sc = nullptr;

    void TearDown() override {
        delete sc;
        MainFormFixture::TearDown();
    }
    void open(int type, double targetInches) {
        sim::SimSensor& s = addSensor(1, type);
        s.setTargetInches(targetInches);
        s.setTemperatureC(20.0);
        start();
        poll();
        form->ScopeMode_Click();
        auto* warning = qobject_cast<FrmScopeWarning*>(QApplication::activeWindow());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "FrmScopeWarning" && w->isVisible()) {
                warning = qobject_cast<FrmScopeWarning*>(w);
            }
        }
        ASSERT_NE(warning, nullptr);
        warning->EnterDisplay->click();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "frmScope" && w->isVisible()) sc = qobject_cast<frmScope*>(w);
        }
        ASSERT_NE(sc, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return sc->hasRecord(); }, 3000));
        sc->MaintainCommTimer->stop();
    }

    // Checks the rendered window against the arithmetic; the echo's column is returned.
    void check(const QString& name, double targetInches) {
        const QImage img = sc->grab().toImage();
        const QByteArray dir = qgetenv("K7_SCREENSHOTS");
        if (!dir.isEmpty()) img.save(QString::fromUtf8(dir) + "/" + name + ".png");

        const ScopePlot* plot = sc->Plot;
        const PlotScale& s = plot->scale();
        const PlotArea a = plot->plotArea();
        if (name == "scope-unit0") {  // the window opens with the plot at its documented size
            EXPECT_EQ(a.width, 637);
            EXPECT_EQ(a.height, 316);
        }
        const QPoint at = plot->mapTo(sc, QPoint(0, 0));
        auto pixel = [&](int x, int y) { return img.pixelColor(at.x() + x, at.y() + y); };
        const int left = static_cast<int>(a.left);
        const int right = static_cast<int>(a.left + a.width) - 1;

        // The threshold line: one dotted row, no other.
        const int row = pixelRow(s, a, s.thresholdLevel);
        auto thresholdPixels = [&](int y) {
            int n = 0;
            for (int x = left; x <= right; ++x) n += pixel(x, y) == ScopePlot::thresholdColor();
            return n;
        };
        EXPECT_GT(thresholdPixels(row), (right - left) / 4) << name.toStdString();
        EXPECT_EQ(thresholdPixels(row - 1) + thresholdPixels(row + 1), 0) << name.toStdString();

        // Each tick mark, and its label centred under it; the ticks past the record hidden.
        const int labelTop = static_cast<int>(a.top + a.height) + 1;
        const int bottom = pixelRow(s, a, s.base);
        for (int i = 0; i < kTickCount; ++i) {
            const PlotTick& t = s.ticks[static_cast<std::size_t>(i)];
            const QLabel* label = plot->lblTicks[static_cast<std::size_t>(i)];
            EXPECT_EQ(label->isVisible(), t.shown) << i;
            if (!t.shown) continue;
            EXPECT_EQ(pixel(pixelColumn(s, a, t.x), bottom - 1), ScopePlot::tickColor()) << i;
            EXPECT_EQ(label->text().toStdString(), t.label);
            EXPECT_EQ(label->x(), tickLabelLeft(s, a, t.x, label->width())) << i;
            EXPECT_EQ(label->y(), labelTop) << i;
            EXPECT_LE(label->geometry().right(), plot->width()) << i;
        }
        EXPECT_EQ(sc->lblDistanceUnits->text().toStdString(), s.axisCaption);

        // The echo: the highest point of the waveform past the ring-down.
        int echoColumn = -1, echoRow = 1 << 20;
        for (int x = left + (right - left) / 8; x <= right; ++x) {
            for (int y = static_cast<int>(a.top); y < bottom; ++y) {
                const QColor c = pixel(x, y);
                if (c.blue() > 120 && c.red() < 120 && c.green() < 120) {
                    if (y < echoRow) echoRow = y, echoColumn = x;
                    break;
                }
            }
        }
        const double expected = pixelX(
            s, a, targetInches * s.samplesPerUnit * [&] {
                // samplesPerUnit is per display unit: back to inches.
                const std::array<double, 4> perInch = {2.54, 1, 1.0 / 12, 0.0254};
                return perInch[static_cast<std::size_t>(m.DistanceUnit)];
            }());
        EXPECT_NEAR(echoColumn, expected, 4) << name.toStdString();
    }
};

TEST_F(ScopeScreenshots, EveryUnitAndSizeOfAStandardSensor) {
    open(0, 25.0);
    for (int unit : {kCm, kIn, kFt, kM}) {
        m.DistanceUnit = unit;
        sc->DrawPlot();
        check(QString("scope-unit%1").arg(unit), 25.0);
    }
    sc->resize(sc->width() * 8 / 5, sc->height() * 8 / 5);
    QApplication::processEvents();
    check("scope-large", 25.0);
    sc->resize(sc->minimumSizeHint());
    QApplication::processEvents();
    check("scope-small", 25.0);
}

TEST_F(ScopeScreenshots, TheLongRecordOfThe95kHzClass) {
    open(1, 100.0);
    EXPECT_EQ(sc->record().samples.size(), 1600u);
    m.DistanceUnit = kM;
    sc->DrawPlot();
    check("scope-class92", 100.0);
}

}  // namespace
}  // namespace k7
