#include "app/CliAnalyze.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <ostream>

#include "acoustic/AcousticFile.h"
#include "acoustic/EchoComparison.h"
#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "settings/Threshold.h"
#include "settings/Units.h"

namespace k7 {
namespace {

// The analysis of a record on the plot's own scale; the baseline takes the same threshold.
EchoAnalysis analysisOf(const SourcedRecord& r, const AnalyzeOptions& o) {
    return analyzeEcho(r.record.samples,
                       computePlotScale(r.record.samples, o.thresholdCode, r.kelvin, o.unit));
}

// Distances with as many places as the display unit shows.
std::string signedDistance(double d, int unit) {
    return (d >= 0 ? "+" : "-") + distanceNumber(std::fabs(d), unit);
}
double rounded(double d, int unit) {
    double number = 0;
    parseNumber(distanceNumber(d, unit), &number);
    return number;
}
std::string ratio(double r) {
    return formatNumber(r, "0.00");
}

// Tab-separated: one line a measure, the name first.
class Lines {
public:
    explicit Lines(std::ostream& out) : out_(out) {}
    template <typename... Fields>
    void operator()(const std::string& name, const Fields&... fields) {
        out_ << name;
        ((out_ << '\t' << fields), ...);
        out_ << '\n';
    }

private:
    std::ostream& out_;
};

void printText(const SourcedRecord& r, const EchoAnalysis& a, const EchoDifferences* d,
               const SourcedRecord* baseline, std::ostream& out) {
    Lines line(out);
    const int u = a.unit;
    line("file", r.source);
    line("date", r.date);
    line("samples", a.sampleCount);
    line("gain", r.record.gainCaption);
    line("unit", kUnitName[static_cast<std::size_t>(u)]);
    line("threshold", plainText(a.threshold));
    line("result", verdictKey(a.verdict));
    line("ringdown", distanceNumber(a.ringdownDistance, u));
    if (a.ringdownEchoAt) line("ringdown_echo", distanceNumber(*a.ringdownEchoAt, u));
    line("noise_floor", a.noiseFloor ? plainText(*a.noiseFloor) : "none");
    if (const Echo* t = a.target()) {
        line("target_distance", distanceNumber(t->distance, u));
        line("target_start", distanceNumber(t->startDistance, u));
        line("target_width", distanceNumber(t->width, u));
        line("target_peak", t->peakLevel);
        line("target_clipped", t->clipped() ? "yes" : "no");
        line("margin", *a.margin());
        line("margin_ratio", ratio(*a.marginRatio()));
    }
    for (const Echo& e : a.echoes) {
        line("echo", distanceNumber(e.distance, u), e.peakLevel, distanceNumber(e.width, u),
             kindName(e.kind));
    }
    if (!d) return;
    line("baseline", baseline->source);
    line("baseline_date", baseline->date);
    line("baseline_result", verdictKey(d->before));
    if (d->targetMoved) line("target_moved", signedDistance(*d->targetMoved, u));
    if (d->marginChanged) line("margin_changed", *d->marginChanged);
    line("ringdown_changed", signedDistance(d->ringdownChanged, u));
    for (const Echo& e : d->appeared) line("new_echo", distanceNumber(e.distance, u), e.peakLevel);
    for (const Echo& e : d->gone) line("gone_echo", distanceNumber(e.distance, u), e.peakLevel);
    for (const std::string& text : differenceLines(*d)) line("difference", text);
}

QJsonObject echoJson(const Echo& e, int u) {
    return {{"distance", rounded(e.distance, u)},
            {"start", rounded(e.startDistance, u)},
            {"width", rounded(e.width, u)},
            {"peak", e.peakLevel},
            {"kind", kindName(e.kind)}};
}

QJsonArray echoesJson(const std::vector<Echo>& echoes, int u) {
    QJsonArray list;
    for (const Echo& e : echoes) list.append(echoJson(e, u));
    return list;
}

QJsonObject toJson(const SourcedRecord& r, const EchoAnalysis& a, const EchoDifferences* d,
                   const SourcedRecord* baseline) {
    const int u = a.unit;
    QJsonObject o{{"file", QString::fromStdString(r.source)},
                  {"date", QString::fromStdString(r.date)},
                  {"samples", a.sampleCount},
                  {"gain", QString::fromStdString(r.record.gainCaption)},
                  {"unit", kUnitName[static_cast<std::size_t>(u)]},
                  {"threshold", a.threshold},
                  {"result", verdictKey(a.verdict)},
                  {"result_text", verdictText(a.verdict)},
                  {"ringdown", rounded(a.ringdownDistance, u)},
                  {"ringdown_echo",
                   a.ringdownEchoAt ? QJsonValue(rounded(*a.ringdownEchoAt, u)) : QJsonValue()},
                  {"noise_floor", a.noiseFloor ? QJsonValue(*a.noiseFloor) : QJsonValue()},
                  {"echoes", echoesJson(a.echoes, u)}};
    if (const Echo* t = a.target()) {
        QJsonObject target = echoJson(*t, u);
        target.remove("kind");
        target["clipped"] = t->clipped();
        target["margin"] = *a.margin();
        target["margin_ratio"] = std::round(*a.marginRatio() * 100) / 100;
        o["target"] = target;
    } else {
        o["target"] = QJsonValue();
    }
    if (d) {
        QJsonArray lines;
        for (const std::string& text : differenceLines(*d))
            lines.append(QString::fromStdString(text));
        o["baseline"] = QJsonObject{
            {"file", QString::fromStdString(baseline->source)},
            {"date", QString::fromStdString(baseline->date)},
            {"result", verdictKey(d->before)},
            {"target_moved",
             d->targetMoved ? QJsonValue(rounded(*d->targetMoved, u)) : QJsonValue()},
            {"margin_changed", d->marginChanged ? QJsonValue(*d->marginChanged) : QJsonValue()},
            {"ringdown_changed", rounded(d->ringdownChanged, u)},
            {"new_echoes", echoesJson(d->appeared, u)},
            {"gone_echoes", echoesJson(d->gone, u)},
            {"differences", lines}};
    }
    return o;
}

std::string fileDate(const std::string& path) {
    return QFileInfo(QString::fromStdString(path))
        .lastModified()
        .toString("yyyy-MM-dd HH:mm:ss")
        .toStdString();
}

std::optional<SourcedRecord> readRecord(const std::string& path, std::ostream& err) {
    RecalledFile file = recallAcousticFile(path);
    if (!file.record) {
        err << "k7700-cli: " << path << ": " << file.error << "\n";
        return std::nullopt;
    }
    const double kelvin = recallKelvin(file.record->temperatureC);
    return SourcedRecord{std::move(*file.record), kelvin, path, fileDate(path)};
}

}  // namespace

int printAnalysis(const SourcedRecord& now, const SourcedRecord* baseline, const AnalyzeOptions& o,
                  std::ostream& out, std::ostream& err) {
    const EchoAnalysis a = analysisOf(now, o);
    std::optional<EchoDifferences> d;
    if (baseline) {
        d = compareEchoes(a, analysisOf(*baseline, o), now.record.gainCaption,
                          baseline->record.gainCaption);
    }
    const EchoDifferences* diff = d ? &*d : nullptr;
    bool met = true;
    QJsonObject json = o.json ? toJson(now, a, diff, baseline) : QJsonObject();
    if (o.minMargin) {
        met = a.margin() && *a.margin() >= *o.minMargin;
        json["min_margin"] = QJsonObject{{"required", *o.minMargin}, {"met", met}};
    }
    if (o.json) {
        out << QJsonDocument(json).toJson(QJsonDocument::Indented).toStdString();
    } else {
        printText(now, a, diff, baseline, out);
        Lines line(out);
        if (o.minMargin) line("min_margin", plainText(*o.minMargin), met ? "met" : "not met");
    }
    if (met) return 0;
    err << "k7700-cli: " << now.source << ": "
        << (a.margin() ? "the target's margin " + std::to_string(*a.margin()) + " is below " +
                             plainText(*o.minMargin)
                       : std::string("no target echo (") + verdictText(a.verdict) + ")")
        << "\n";
    return 1;
}

int runAnalyze(const std::string& file, const std::optional<std::string>& baseline,
               const AnalyzeOptions& o, std::ostream& out, std::ostream& err) {
    const std::optional<SourcedRecord> now = readRecord(file, err);
    if (!now) return 1;
    std::optional<SourcedRecord> before;
    if (baseline) {
        before = readRecord(*baseline, err);
        if (!before) return 1;
    }
    return printAnalysis(*now, before ? &*before : nullptr, o, out, err);
}

std::optional<int> thresholdCodeOfVolts(const std::string& volts) {
    double v = 0;
    if (!parseNumber(volts, &v)) return std::nullopt;
    for (const ThresholdEntry& e : kThresholds) {
        double label = 0;
        if (parseNumber(e.label, &label) && std::fabs(label - v) < 1e-9) return e.code;
    }
    return std::nullopt;
}

}  // namespace k7
