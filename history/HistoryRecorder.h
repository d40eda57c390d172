#pragma once
// The link's change sink for the change history: says who the sensor is when a change begins,
// and when it ends, stamps the change (time, user, host, program, port) and hands it to a
// writer thread. A programming never waits for the database and never fails because of it: a
// history that cannot be written is reported once (until a record is written again) and the
// change goes on.
#include <QThread>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "history/ChangeHistory.h"
#include "link/SensorChange.h"

namespace k7 {

class HistoryRecorder final : public ChangeSink {
public:
    struct Setup {
        std::string path;     // the database file (historyPath)
        std::string program;  // "k7700 3.10"
        std::function<std::string()> port;
        ChangeHistory::Limits limits{};
    };
    explicit HistoryRecorder(Setup setup);
    // Waits for the records handed over to be written (each waits a second at most).
    ~HistoryRecorder() override;
    HistoryRecorder(const HistoryRecorder&) = delete;
    HistoryRecorder& operator=(const HistoryRecorder&) = delete;

    const std::string& path() const { return setup_.path; }

    // What a settings read learned of the sensor at `tag` (its serial number as the screen
    // shows it), so a change need not ask it.
    void sensorRead(int tag, const std::string& serialText, int type);

    // Where the first failure of a run of failures is told, and a history moved aside. Called
    // on the writer's thread. Without it, flush() returns what there is to tell.
    void onProblem(std::function<void(const std::string&)> tell);

    // Waits until every record handed over is written or has failed. Returns what has not been
    // told: one line for each run of failures, naming the changes not recorded and why.
    std::vector<std::string> flush();

    // Microseconds the writer spent on each of the records written so far (a benchmark's).
    std::vector<double> writeTimesUs() const;

    void changeStarting(Link& link, SensorChange& change) override;
    void changeMade(const SensorChange& change) override;

private:
    struct Failure {
        std::string why;
        std::vector<std::string> changes;
        bool told = false;
    };
    void writerLoop();
    void tell(const std::string& text);
    void failed(const ChangeRecord& r, const HistoryProblem& p);

    Setup setup_;
    std::map<int, SensorIdentity> known_;       // by tag, from settings reads
    std::map<long, int> firmwareBySerial_;      // asked once a run

    mutable std::mutex mutex_;
    std::condition_variable wake_, idle_;
    std::deque<ChangeRecord> queue_;
    bool writing_ = false;
    bool stopping_ = false;
    std::function<void(const std::string&)> tell_;
    std::vector<Failure> failures_;
    std::vector<std::string> notices_;
    std::vector<double> writeTimesUs_;
    std::unique_ptr<QThread> writer_;
};

// "K-7700 ID tag 7 (serial 1193046): Program" and the like, for messages.
std::string changeTitle(const SensorChange& c);

}  // namespace k7
