#include "gateway/SensorInfoRead.h"

#include "common/NumberText.h"
#include "settings/ProgramState.h"
#include "settings/SettingsRead.h"

namespace k7 {
namespace {

// No window: a sensor that stops answering ends only this read.
class QuietUi final : public LinkUi {
public:
    explicit QuietUi(int tag) : tag_(std::to_string(tag)) {}
    std::string addressedTagText() override { return tag_; }
    void setAddressedTagText(const std::string& t) override { tag_ = t; }

private:
    std::string tag_;
};

}  // namespace

std::optional<SensorInfo> readSensorInfo(Link& link, const SensorRow& row, int distanceUnit) {
    QuietUi ui(row.tag);
    std::optional<SensorInfo> info;
    {
        ProgramState m(link.line(), link.clock(), ui);
        m.link.timing = link.timing;
        m.link.stats = link.stats;
        m.distanceUnit = distanceUnit;
        m.discovery.currentIdTag = row.tag;
        ScreenValues screen;
        screen.SingleSensorID = std::to_string(row.tag);
        readSensorSettings(m, screen);
        if (!m.link.programEnding && m.link.replyOk != 0) {
            info = SensorInfo{row.tag,
                              m.sensorType,
                              row.firmware,
                              trim(screen.SerialNumber),
                              trim(screen.UserDescription),
                              settingsSummary(m, screen)};
        }
        // Answers still owed pass before the poll's link goes on (see Link's destructor).
        m.link.letLateAnswersPass();
        link.timing = m.link.timing;
        link.stats = m.link.stats;
    }
    return info;
}

}  // namespace k7
