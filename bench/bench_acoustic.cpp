// Measures the acoustic display: a capture over a pseudo-terminal against k7700-sim at true
// 19200-baud pacing, against what the wire dictates; the plot's redraw of a long record, at
// the window's default size and near full screen; the echo analysis of a long record; and the
// redraw with the analysis' marks and a baseline.
//   bench_acoustic [capture|plot|analysis|marks|all]
#include <QApplication>
#include <QImage>
#include <cstdio>
#include <random>

#include "acoustic/EchoAnalysis.h"
#include "acoustic/EchoCapture.h"
#include "acoustic/EchoComparison.h"
#include "acoustic/PlotScale.h"
#include "acoustic/ScopePlot.h"
#include "bench/Served.h"
#include "settings/Units.h"
#include "sim/AcousticRecord.h"

using namespace k7;
using namespace k7::bench;

namespace {

void capture(std::vector<std::string> simArgs, int sensorClass) {
    Served s(std::move(simArgs));
    s.link().sensorClass = static_cast<std::uint8_t>(sensorClass);
    EchoCapture capture(s.link());
    capture.capture(Gain::Switching);  // the sensor is in display mode from here on
    const int n = 10;
    int good = 0;
    auto [wall, cpu] = measure([&] {
        for (int i = 0; i < n; ++i) {
            good += capture.capture(Gain::Switching).outcome == CaptureResult::Outcome::Captured;
        }
    });
    capture.restartSensor();
    // 101 and the cell-30 read (12 bytes each), two requests of 6 bytes and two records, with
    // the sensor's turnaround before each of the four answers.
    const int samples = sampleCountFor(sensorClass);
    const double wire = (12 + 12 + 6 + 6 + 2 * samples) * kByteMs + 4 * kTurnaroundMs;
    const double each = wall * 1000 / n;
    std::printf(
        "capture: switching gain, %d samples, position known: %.1f ms each (%d of %d good); "
        "the wire dictates %.1f ms: %.3f x; CPU %.1f%% of a core\n",
        samples, each, good, n, wire, each / wire, 100 * cpu / wall);
}

// A simulated sensor's record with a false echo and a multiple (a baseline: another capture
// without them), or noise over the whole range (the costliest line to draw).
std::vector<std::uint8_t> record(bool noise, bool baseline = false) {
    if (!noise) {
        sim::AcousticScene scene;
        scene.sampleCount = 1600;
        scene.targetInches = 100;
        scene.highGain = true;
        scene.noiseSeed = baseline ? 2 : 1;
        if (!baseline) {
            scene.shape.falseEchoInches = 60;
            scene.shape.multiple = 0.5;
        }
        return sim::acousticRecord(scene);
    }
    std::mt19937 rng(1);
    std::vector<std::uint8_t> samples(1600);
    for (auto& v : samples) v = static_cast<std::uint8_t>(20 + rng() % 200);
    return samples;
}

void plot(int width, int height, bool noise) {
    const std::vector<std::uint8_t> samples = record(noise);
    ScopePlot widget;
    widget.resize(width, height);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    const int n = 200;
    auto [wall, cpu] = measure([&] {
        for (int i = 0; i < n; ++i) {
            widget.showRecord(samples, computePlotScale(samples, 5, 293.15, kIn));
            widget.render(&image);
        }
    });
    std::printf("plot: 1600-sample %s computed and redrawn at %dx%d: %.3f ms each (CPU %.3f ms)\n",
                noise ? "noise over the whole range" : "simulated record", width, height,
                wall * 1000 / n, cpu * 1000 / n);
}

void analysis(bool noise) {
    const std::vector<std::uint8_t> samples = record(noise);
    const int n = 5000;
    std::size_t echoes = 0;
    auto [wall, cpu] = measure([&] {
        for (int i = 0; i < n; ++i) {
            echoes += analyzeEcho(samples, computePlotScale(samples, 5, 293.15, kIn)).echoes.size();
        }
    });
    std::printf(
        "analysis: 1600-sample %s (%zu echoes), scale and analysis: %.1f us each (CPU %.1f us)\n",
        noise ? "noise over the whole range" : "simulated record", echoes / n, wall * 1e6 / n,
        cpu * 1e6 / n);
}

// What the window does for each redraw of a record with its baseline: scales, analyses,
// comparison of the two and the painting of both with the marks.
void marks(int width, int height, bool noise) {
    const std::vector<std::uint8_t> samples = record(noise);
    const std::vector<std::uint8_t> before = record(false, true);
    ScopePlot widget;
    widget.resize(width, height);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    const int n = 200;
    auto [wall, cpu] = measure([&] {
        for (int i = 0; i < n; ++i) {
            PlotScale s = computePlotScale(samples, 5, 293.15, kIn);
            const PlotScale b = computePlotScale(before, 5, 293.15, kIn);
            EchoMarks m;
            m.analysis = analyzeEcho(samples, s);
            differenceLines(compareEchoes(*m.analysis, analyzeEcho(before, b)));
            m.baseline = BaselineTrace{before, b.samplesPerUnit, "Baseline 2026-12-06 09:30:00"};
            includeLevels(s, before);
            widget.showRecord(samples, s, std::move(m));
            widget.render(&image);
        }
    });
    std::printf(
        "marks: 1600-sample %s with its analysis and a baseline, redrawn at %dx%d: "
        "%.3f ms each (CPU %.3f ms)\n",
        noise ? "noise over the whole range" : "simulated record", width, height, wall * 1000 / n,
        cpu * 1000 / n);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "capture" || what == "all") {
        capture({"--sensor", "1"}, 220);
        capture({"--sensor", "1:1"}, 92);
    }
    if (what == "analysis" || what == "all") {
        for (bool noise : {false, true}) analysis(noise);
    }
    if (what == "marks" || what == "all") {
        const QSize size = ScopePlot().sizeHint();
        for (bool noise : {false, true}) {
            marks(size.width(), size.height(), noise);
            marks(1900, 1000, noise);
        }
    }
    if (what == "plot" || what == "all") {
        const QSize size = ScopePlot().sizeHint();
        for (bool noise : {false, true}) {
            plot(size.width(), size.height(), noise);
            plot(1900, 1000, noise);
        }
    }
    return 0;
}
