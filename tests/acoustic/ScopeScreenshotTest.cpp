// The acoustic display as rendered: the threshold line, the ticks, their labels and the echo
// sit where the plot arithmetic says, in every unit and at any window size, and so do the
// analysis' marks and a baseline. With K7_SCREENSHOTS=<folder> set, the images are saved
// there for a person to look at.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>

#include "acoustic/AcousticFile.h"
#include "acoustic/AcousticWindow.h"
#include "acoustic/DisplayModeWarningWindow.h"
#include "acoustic/ScopePlot.h"
#include "settings/Units.h"
#include "support/MainWindowFixture.h"
#include "support/TempDir.h"
#include "support/WindowChecks.h"

namespace k7 {
namespace {

class ScopeScreenshots : public test::MainWindowFixture {
protected:
    AcousticWindow* sc = nullptr;
    bool asWanted = true;  // the window at the size it wants, whatever the screen

    void TearDown() override {
        delete sc;
        MainWindowFixture::TearDown();
    }
    void open(int type, double targetInches) {
        sim::SimSensor& s = addSensor(1, type);
        s.setTargetInches(targetInches);
        s.setTemperatureC(20.0);
        start();
        poll();
        form->openAcousticDisplay();
        auto* warning = qobject_cast<DisplayModeWarningWindow*>(QApplication::activeWindow());
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "FrmScopeWarning" && w->isVisible()) {
                warning = qobject_cast<DisplayModeWarningWindow*>(w);
            }
        }
        ASSERT_NE(warning, nullptr);
        warning->EnterDisplay->click();
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == "frmScope" && w->isVisible())
                sc = qobject_cast<AcousticWindow*>(w);
        }
        ASSERT_NE(sc, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([this] { return sc->hasRecord(); }, 3000));
        sc->MaintainCommTimer->stop();
        // As on a screen with the room for it (the test's screen is smaller: ScopeScreenFit).
        if (asWanted) sc->resize(sc->sizeHint());
    }

    // Checks the rendered window against the arithmetic: the threshold, the ticks and, unless
    // marks cover the plot's top, the echo's column.
    QImage check(const QString& name, double targetInches, bool findEcho = true) {
        // The layout after the analysis' texts changed: one frame's request posts its parent's.
        for (int i = 0; i < 3; ++i) QApplication::sendPostedEvents();
        const QImage img = sc->grab().toImage();
        const QByteArray dir = qgetenv("K7_SCREENSHOTS");
        if (!dir.isEmpty()) img.save(QString::fromUtf8(dir) + "/" + name + ".png");

        const ScopePlot* plot = sc->Plot;
        const PlotScale& s = plot->scale();
        const PlotArea a = plot->plotArea();
        if (name == "scope-unit0") {  // the window wants the plot at its documented size
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
        if (!findEcho) return img;

        // The echo: the middle of the highest points of the waveform past the ring-down (a
        // peak clipped at 255 is flat).
        int echoRow = 1 << 20;
        double echoColumn = -1;
        int columns = 0;
        for (int x = left + (right - left) / 8; x <= right; ++x) {
            for (int y = static_cast<int>(a.top); y < bottom; ++y) {
                const QColor c = pixel(x, y);
                if (c.blue() > 120 && c.red() < 120 && c.green() < 120) {
                    if (y < echoRow) echoRow = y, echoColumn = 0, columns = 0;
                    if (y == echoRow) echoColumn += x, ++columns;
                    break;
                }
            }
        }
        echoColumn /= std::max(columns, 1);
        const double expected = pixelX(
            s, a, targetInches * s.samplesPerUnit * [&] {
                // samplesPerUnit is per display unit: back to inches.
                const std::array<double, 4> perInch = {2.54, 1, 1.0 / 12, 0.0254};
                return perInch[static_cast<std::size_t>(m.distanceUnit)];
            }());
        EXPECT_NEAR(echoColumn, expected, 4) << name.toStdString();
        return img;
    }

    // Pixels of `color` in the plot's columns x0..x1, all rows.
    int countColor(const QImage& img, const QColor& color, double x0, double x1) {
        const PlotArea a = sc->Plot->plotArea();
        const QPoint at = sc->Plot->mapTo(sc, QPoint(0, 0));
        int n = 0;
        for (int x = static_cast<int>(x0); x <= static_cast<int>(x1); ++x) {
            for (int y = static_cast<int>(a.top); y < static_cast<int>(a.top + a.height); ++y) {
                n += img.pixelColor(at.x() + x, at.y() + y) == color;
            }
        }
        return n;
    }
};

TEST_F(ScopeScreenshots, EveryUnitAndSizeOfAStandardSensor) {
    open(0, 25.0);
    for (int unit : {kCm, kIn, kFt, kM}) {
        m.distanceUnit = unit;
        sc->drawPlot();
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
    m.distanceUnit = kM;
    sc->drawPlot();
    check("scope-class92", 100.0);
}

TEST_F(ScopeScreenshots, MarksAndABaselineInEveryUnit) {
    open(0, 20.0);
    sim::SimSensor& s = bus.sensor(0);
    sim::EchoShape shape;
    shape.amplitude = 60;
    shape.multiple = 0.7;
    s.setEchoShape(shape);
    sc->HighGain->click();
    sc->captureAndPlot();
    test::TempDir dir;
    const std::string commissioned = dir.file("commissioned.dat");
    ASSERT_EQ(saveAcousticFile(commissioned, sc->record()), "");

    // Later: weaker, a strut at 32 in and a longer ringdown.
    shape.amplitude = 45;
    shape.falseEchoInches = 32;
    shape.falseEchoHeight = 40;
    shape.ringdownInches = 3;
    s.setEchoShape(shape);
    sc->captureAndPlot();
    sc->MaintainCommTimer->stop();
    for (bool baseline : {false, true}) {
        if (baseline) sc->compareWith(QString::fromStdString(commissioned));
        for (int unit : {kCm, kIn, kFt, kM}) {
            m.distanceUnit = unit;
            sc->drawPlot();
            const QString name =
                QString("scope-%1-unit%2").arg(baseline ? "baseline" : "marks").arg(unit);
            const QImage img = check(name, 20.0, false);
            const EchoAnalysis& a = *sc->Plot->marks().analysis;
            ASSERT_EQ(a.verdict, EchoVerdict::Target) << name.toStdString();
            ASSERT_EQ(a.echoes.size(), 3u);
            EXPECT_EQ(a.echoes[2].kind, EchoKind::Multiple);
            const PlotScale& ps = sc->Plot->scale();
            const PlotArea pa = sc->Plot->plotArea();
            // The target's mark over its echo, the ringdown shaded from the left edge.
            const double x = pixelX(ps, pa, a.target()->peakAt);
            EXPECT_GT(countColor(img, echoTargetColor(), x - 3, x + 3), 20) << name.toStdString();
            EXPECT_GT(countColor(img, QColor(234, 234, 234), pa.left, pa.left + 3), 20);
            EXPECT_EQ(countColor(img, echoBaselineColor(), pa.left, pa.left + pa.width - 1) > 50,
                      baseline)
                << name.toStdString();
            EXPECT_EQ(sc->BaselineFrame->isVisible(), baseline);
            test::expectNothingClipped(sc);
        }
    }
    EXPECT_TRUE(sc->lblDifferences->text().contains("New echo at "));

    // A record without an echo says so on the plot.
    s.removeTarget();
    shape.falseEchoInches.reset();
    s.setEchoShape(shape);
    sc->compareWith(QString::fromStdString(commissioned));
    sc->captureAndPlot();
    sc->MaintainCommTimer->stop();
    check("scope-baseline-noecho", 20.0, false);
    EXPECT_EQ(sc->Plot->marks().analysis->verdict, EchoVerdict::NoEcho);
    EXPECT_EQ(sc->lblDifferences->text().count("Gone: echo at "), 2);
    test::expectNothingClipped(sc);
}

// CTest runs this on a 1366 x 768 laptop at 125 % and a 1920 x 1080 screen at 200 % as well.
class ScopeScreenFit : public ScopeScreenshots {
protected:
    ScopeScreenFit() { asWanted = false; }
};

TEST_F(ScopeScreenFit, TheDisplayFitsTheScreenWithItsButtonsInView) {
    open(0, 25.0);
    QApplication::processEvents();
    test::shoot(sc, "scope");
    test::expectFitsScreen(sc);
}

}  // namespace
}  // namespace k7
