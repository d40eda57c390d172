#pragma once
// The change history on disk: an SQLite database through Qt SQL, one file per user, written by
// several programs at once. The write-ahead log and a busy time-out of a second let two writers
// both succeed; each record is one transaction, so a program killed in the middle of a write
// leaves every earlier record whole. A file that is no database, or a damaged one, is moved
// aside (never emptied) and a new history started. A schema version table says what the file
// holds, so a later program can migrate it and an older one leaves a newer file alone.
#include <optional>
#include <string>
#include <vector>

#include "history/ChangeRecord.h"

namespace k7 {

inline constexpr int kHistorySchemaVersion = 1;

struct HistoryProblem {
    enum class Kind { CannotOpen, ReadOnly, Full, Locked, Damaged, Newer, Other };
    Kind kind = Kind::Other;
    std::string text;  // in words, naming the file
};

class ChangeHistory {
public:
    enum class Mode { Write, Read };
    struct Limits {
        int busyTimeoutMs = 1000;  // how long a write waits for another program's
        int maxPageCount = 0;      // above 0: the file cannot grow past it (a full disk)
    };

    // Nothing is opened until the first add or find; a history to write is created then.
    ChangeHistory(std::string path, Mode mode, Limits limits);
    ChangeHistory(std::string path, Mode mode) : ChangeHistory(std::move(path), mode, Limits{}) {}
    ~ChangeHistory();
    ChangeHistory(const ChangeHistory&) = delete;
    ChangeHistory& operator=(const ChangeHistory&) = delete;

    const std::string& path() const { return path_; }

    // One record in a transaction of its own (several: one transaction for all).
    std::optional<HistoryProblem> add(const ChangeRecord& record);
    std::optional<HistoryProblem> add(const std::vector<ChangeRecord>& records);

    // The records the filter matches, newest first. A file that is not there holds none.
    std::optional<HistoryProblem> find(const ChangeFilter& filter, std::vector<ChangeRecord>& out);

    // The file's journal mode ("wal" once written).
    std::string journalMode();

    // Where a damaged file was moved since the last call; empty when none was.
    std::string takeMovedAside();

private:
    std::optional<HistoryProblem> open();
    std::optional<HistoryProblem> tryOpen();
    std::optional<HistoryProblem> createSchema();
    std::optional<HistoryProblem> insert(const std::vector<ChangeRecord>& records);
    std::optional<HistoryProblem> moveAside(const HistoryProblem& why);
    void close();

    std::string path_;
    std::string connection_;
    Mode mode_;
    Limits limits_;
    bool open_ = false;
    bool hasSchema_ = false;
    std::string movedAside_;
};

// The history's file: `option` (--history) when given, else the K7700_HISTORY environment
// variable, else k7700/history.sqlite in the user's data folder (XDG_DATA_HOME, by default
// ~/.local/share).
std::string historyPath(const std::string& option);

}  // namespace k7
