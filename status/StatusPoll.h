#pragma once
// The status poll as the sequences that need the line see it: they stop it for their length
// and put it back as it was (PollPause), never restarting it in edit mode.
namespace k7 {

class StatusPoll {
public:
    virtual ~StatusPoll() = default;
    virtual bool pollRunning() const = 0;
    virtual void stopPoll() = 0;
    // Starts the poll again unless the screen is in edit mode or the program is ending.
    virtual void resumePoll() = 0;
};

class PollPause {
public:
    explicit PollPause(StatusPoll& poll) : poll_(poll), wasRunning_(poll.pollRunning()) {
        poll_.stopPoll();
    }
    ~PollPause() {
        if (wasRunning_) poll_.resumePoll();
    }
    PollPause(const PollPause&) = delete;
    PollPause& operator=(const PollPause&) = delete;
    bool wasRunning() const { return wasRunning_; }

private:
    StatusPoll& poll_;
    bool wasRunning_;
};

}  // namespace k7
