#include "gateway/Payloads.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

#include "common/NumberFormat.h"
#include "common/NumberText.h"
#include "link/CommHistory.h"
#include "settings/SensorTypes.h"
#include "settings/Units.h"

namespace k7 {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

std::string compact(const QJsonObject& o) {
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString();
}

// A number as the display format rounds it, so the message says what the screen says.
QJsonValue formatted(const std::string& text) {
    double v = 0;
    return parseNumber(text, &v) ? QJsonValue(v) : QJsonValue(q(text));
}

QJsonValue orNull(bool known, const QJsonValue& v) {
    return known ? v : QJsonValue(QJsonValue::Null);
}

QJsonArray lines(const std::string& text) {
    QJsonArray a;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string line = trim(text.substr(start, end - start));
        if (!line.empty()) a.append(q(line));
        start = end + 1;
    }
    return a;
}

void addReading(QJsonObject& o, const StatusReading& r, const DistanceFormats& formats,
                int distanceUnit) {
    if (r.kind == StatusReading::Kind::Fault) {
        o["faults"] = lines(r.faultText);
        return;
    }
    const auto unit = static_cast<std::size_t>(distanceUnit);
    o["distance"] = r.noEcho()  ? QJsonValue("no echo")
                    : r.close() ? QJsonValue("close")
                                : formatted(unitTexts(r.inches, formats)[unit]);
    o["distance_unit"] = kUnitName[unit];
    o["distance_stored"] = r.distanceCount;
    o["current_mA"] = orNull(!std::isnan(r.currentMa), formatted(formatNumber(r.currentMa, "#0.00")));
    o["output_a"] = r.outA;
    o["output_b"] = r.outB;
    o["echo_output"] = r.echoOut;
    o["strength_pct"] = orNull(r.strength >= 0, r.strength);
    o["temperature_C"] = std::round(r.temperatureC * 10) / 10;
    o["faults"] = QJsonArray();
}

}  // namespace

std::string statePayload(const SensorRow& row, int distanceUnit, const std::string& time) {
    QJsonObject o;
    o["tag"] = row.tag;
    o["answering"] = !row.silent;
    if (row.silent) o["silence"] = q(RoundRobinPoll::silence(row));
    if (row.reading) {
        o["time"] = q(time);
        addReading(o, *row.reading, row.formats, distanceUnit);
    }
    return compact(o);
}

std::string infoPayload(const SensorInfo& info, int distanceUnit) {
    QJsonObject settings;
    for (const ReportSection& section : info.settings) {
        QJsonObject group;
        for (const ReportRow& r : section.rows) group[q(r.label)] = q(r.value);
        settings[q(section.title)] = group;
    }
    QJsonObject o;
    o["tag"] = info.tag;
    o["model"] = q(modelName(info.type));
    o["type"] = info.type;
    o["firmware"] = info.firmware;
    o["serial"] = q(info.serial);
    o["description"] = q(info.description);
    o["distance_unit"] = kUnitName[static_cast<std::size_t>(distanceUnit)];
    o["settings"] = settings;
    return compact(o);
}

std::string healthPayload(const LineStats& stats, const std::vector<int>& tags,
                          const std::string& time, const GatewayCounts& counts) {
    QJsonArray rows;
    for (int tag : tags) {
        const TagHealth& h = stats.tag(tag);
        QJsonObject r;
        r["tag"] = tag;
        r["exchanges"] = static_cast<double>(h.exchanges);
        r["bad_replies"] = static_cast<double>(h.badReplies);
        r["timeouts"] = static_cast<double>(h.timeouts);
        r["resends"] = static_cast<double>(h.resends);
        r["write_retries"] = static_cast<double>(h.verifyRetries);
        r["failures"] = static_cast<double>(h.failures);
        r["last_answered"] =
            orNull(h.lastAnswered.has_value(), q(isoTimeOfDay(h.lastAnswered.value_or(0))));
        rows.append(r);
    }
    QJsonObject gateway;
    gateway["readings_published"] = static_cast<double>(counts.readingsPublished);
    gateway["messages_skipped"] = static_cast<double>(counts.messagesSkipped);
    gateway["broker_outages"] = static_cast<double>(counts.brokerOutages);
    QJsonObject o;
    o["time"] = q(time);
    o["tags"] = rows;
    o["gateway"] = gateway;
    return compact(o);
}

std::vector<std::pair<std::string, std::string>> homeAssistantConfigs(const LineTopics& topics,
                                                                      const std::string& line,
                                                                      const SensorInfo& info,
                                                                      int distanceUnit) {
    // Home Assistant's ids take letters, digits, "_" and "-" only.
    std::string node = "k7700_" + line + "_" + std::to_string(info.tag);
    for (char& c : node)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') c = '_';
    QJsonObject device;
    device["identifiers"] = QJsonArray{q(info.serial.empty() ? node : "k7700_" + info.serial)};
    device["name"] = q("K7700 " + line + " tag " + std::to_string(info.tag));
    device["model"] = q(modelName(info.type));
    device["sw_version"] = QString::number(info.firmware);
    device["serial_number"] = q(info.serial);
    // Available while the gateway is online and the sensor answers.
    const QJsonArray availability{
        QJsonObject{{"topic", q(topics.status())}},
        QJsonObject{{"topic", q(topics.state(info.tag))},
                    {"value_template", "{{ 'online' if value_json.answering else 'offline' }}"}}};

    struct Entity {
        const char* component;
        const char* key;
        const char* name;
        QString unit;
        const char* deviceClass;
        QString value;
    };
    auto number = [](const char* field) {
        return QString("{{ value_json.%1 if value_json.%1 is number else none }}").arg(field);
    };
    const Entity entities[] = {
        {"sensor", "distance", "Distance", kUnitName[static_cast<std::size_t>(distanceUnit)],
         "distance", number("distance")},
        {"sensor", "current", "Output current", "mA", "current", number("current_mA")},
        {"sensor", "temperature", "Temperature", "°C", "temperature", number("temperature_C")},
        {"sensor", "strength", "Target strength", "%", nullptr, number("strength_pct")},
        {"sensor", "faults", "Faults", {}, nullptr,
         "{{ value_json.faults | join('; ') if value_json.faults else 'none' }}"},
        {"binary_sensor", "answering", "Answering", {}, "connectivity",
         "{{ 'ON' if value_json.answering else 'OFF' }}"},
    };
    std::vector<std::pair<std::string, std::string>> configs;
    for (const Entity& e : entities) {
        QJsonObject c;
        c["name"] = e.name;
        c["unique_id"] = q(node + "_" + e.key);
        c["state_topic"] = q(topics.state(info.tag));
        c["value_template"] = e.value;
        c["device"] = device;
        if (!e.unit.isEmpty()) c["unit_of_measurement"] = e.unit;
        if (e.deviceClass) c["device_class"] = e.deviceClass;
        if (std::string(e.component) == "sensor" && !e.unit.isEmpty())
            c["state_class"] = "measurement";
        if (std::string(e.key) == "answering") {
            c["availability_topic"] = q(topics.status());  // says whether the sensor answers
        } else {
            c["availability"] = availability;
            c["availability_mode"] = "all";
        }
        configs.emplace_back(
            std::string("homeassistant/") + e.component + "/" + node + "/" + e.key + "/config",
            compact(c));
    }
    return configs;
}

}  // namespace k7
