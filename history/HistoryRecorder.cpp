#include "history/HistoryRecorder.h"

#include <pwd.h>
#include <unistd.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QSysInfo>

#include "common/NumberText.h"
#include "link/Commands.h"
#include "link/Link.h"

namespace k7 {
namespace {

std::string loginName() {
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty()) return user.toStdString();
    if (const passwd* pw = getpwuid(geteuid())) return pw->pw_name;
    return std::to_string(geteuid());
}

// The sensor's identity questions: few attempts, no window, so a sensor that does not answer
// costs little (the change itself will say it did not answer).
constexpr ReadOptions kAsk{.quiet = true, .attempts = 3};

}  // namespace

std::string changeTitle(const SensorChange& c) {
    std::string t = c.action + " of ID tag " + std::to_string(c.finalTag);
    if (c.sensor.serial) t += " (serial " + std::to_string(*c.sensor.serial) + ")";
    return t;
}

HistoryRecorder::HistoryRecorder(Setup setup) : setup_(std::move(setup)) {
    writer_.reset(QThread::create([this] { writerLoop(); }));
    writer_->start();
}

HistoryRecorder::~HistoryRecorder() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    writer_->wait();
}

void HistoryRecorder::sensorRead(int tag, const std::string& serialText, int type) {
    double serial = 0;
    if (!parseNumber(trim(serialText), &serial) || serial < 0 || serial != static_cast<long>(serial)) {
        known_.erase(tag);
        return;
    }
    known_[tag] = {static_cast<long>(serial), type, std::nullopt};
}

void HistoryRecorder::onProblem(std::function<void(const std::string&)> tell) {
    const std::lock_guard lock(mutex_);
    tell_ = std::move(tell);
}

void HistoryRecorder::changeStarting(Link& link, SensorChange& change) {
    SensorIdentity id;
    if (const auto k = known_.find(change.tag); k != known_.end()) id = k->second;
    const std::uint8_t address = link.eepromReadAddress;
    auto ask = [&](int command, int cell = 0) {
        link.eepromReadAddress = static_cast<std::uint8_t>(cell);
        return link.exchangeWith(change.tag, command, kAsk) && !link.programEnding;
    };
    // A tool that read nothing (poke) asks the sensor who it is.
    if (!id.type && ask(cmd::SensorType)) id.type = link.dataByte(0);
    if (!id.serial && ask(cmd::ReadEeprom, 2)) {
        const long high = link.replyWord45;  // cells 2 and 3
        if (ask(cmd::ReadEeprom, 4)) id.serial = 256 * high + link.dataByte(1);
    }
    if (id.serial) {
        const auto f = firmwareBySerial_.find(*id.serial);
        if (f != firmwareBySerial_.end()) id.firmware = f->second;
    }
    if (!id.firmware && ask(cmd::FirmwareVersion)) {
        id.firmware = link.dataByte(0);
        if (id.serial) firmwareBySerial_[*id.serial] = *id.firmware;
    }
    link.eepromReadAddress = address;
    change.sensor = id;
}

void HistoryRecorder::changeMade(const SensorChange& change) {
    // A sensor that took a new tag is known under it.
    if (change.finalTag != change.tag) {
        if (const auto k = known_.find(change.tag); k != known_.end()) {
            known_[change.finalTag] = k->second;
            known_.erase(change.tag);
        }
    }
    static const std::string user = loginName();
    static const std::string host = QSysInfo::machineHostName().toStdString();
    ChangeRecord r;
    r.timeUtc = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString();
    r.user = user;
    r.host = host;
    r.program = setup_.program;
    r.port = setup_.port ? setup_.port() : std::string();
    r.change = change;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(r));
    }
    wake_.notify_one();
}

void HistoryRecorder::writerLoop() {
    // The connection lives and dies on this thread, as Qt SQL wants.
    ChangeHistory history(setup_.path, ChangeHistory::Mode::Write, setup_.limits);
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) break;  // stopping, with everything written
        const ChangeRecord r = std::move(queue_.front());
        queue_.pop_front();
        writing_ = true;
        lock.unlock();
        QElapsedTimer timer;
        timer.start();
        const auto problem = history.add(r);
        const double us = static_cast<double>(timer.nsecsElapsed()) / 1000.0;
        const std::string moved = history.takeMovedAside();
        lock.lock();
        writing_ = false;
        std::vector<std::string> toTell;
        if (!moved.empty()) {
            notices_.push_back("the change history " + setup_.path +
                               " could not be read and was moved aside to " + moved +
                               "; a new history was started");
        }
        if (problem) {
            failed(r, *problem);
        } else {
            writeTimesUs_.push_back(us);
            if (!failures_.empty()) failures_.back().changes.clear();  // the run of failures ends
        }
        if (tell_) {
            for (std::string& n : notices_) toTell.push_back(std::move(n));
            notices_.clear();
            for (Failure& f : failures_) {
                if (f.told || f.changes.empty()) continue;
                f.told = true;
                toTell.push_back("not recorded in the change history: " + f.changes.front() +
                                 ": " + f.why);
            }
        }
        if (queue_.empty()) idle_.notify_all();
        if (!toTell.empty()) {
            const auto tell = tell_;
            lock.unlock();
            for (const std::string& t : toTell) tell(t);
            lock.lock();
        }
    }
    idle_.notify_all();
}

void HistoryRecorder::failed(const ChangeRecord& r, const HistoryProblem& p) {
    // One run of failures for one reason is told once; a success or another reason starts anew.
    if (failures_.empty() || failures_.back().why != p.text || failures_.back().changes.empty()) {
        failures_.push_back({p.text, {}, false});
    }
    failures_.back().changes.push_back(changeTitle(r.change));
}

std::vector<std::string> HistoryRecorder::flush() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !writing_; });
    std::vector<std::string> lines = std::move(notices_);
    notices_.clear();
    for (const Failure& f : failures_) {
        if (f.told || f.changes.empty()) continue;
        std::string what;
        for (const std::string& c : f.changes) what += (what.empty() ? "" : ", ") + c;
        lines.push_back("not recorded in the change history: " + what + ": " + f.why);
    }
    failures_.clear();
    return lines;
}

std::vector<double> HistoryRecorder::writeTimesUs() const {
    const std::lock_guard lock(mutex_);
    return writeTimesUs_;
}

}  // namespace k7
