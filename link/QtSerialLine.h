#pragma once
// The real serial line, on QSerialPort. Used from the GUI thread in blocking mode: the waits
// sleep in the port's own wait (poll), never spinning. A device that goes away (an unplugged
// USB adapter) closes the port at once, so nothing keeps trying to write to it; reopen()
// brings it back when it returns.
#include <QSerialPort>
#include <set>

#include "link/Clock.h"
#include "link/SerialLine.h"

namespace k7 {

class QtSerialLine final : public SerialLine {
public:
    explicit QtSerialLine(Clock& clock);
    ~QtSerialLine() override { close(); }

    void open(const std::string& device, const std::string& settings) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    int bytesWaiting() override;
    void discardInput() override;
    void write(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> readByte() override;
    bool waitForBytes(int count, std::int64_t deadlineUs) override;
    bool deviceLost() const override { return lost_; }
    std::string lossReason() const override { return lossReason_; }
    void reopen() override;
    std::vector<std::string> takeNotes() override;

private:
    void checkLost();
    void markLost(const QString& why);
    void askForLowLatency();

    Clock& clock_;
    QSerialPort port_;
    std::string device_;
    std::string settings_;
    std::int64_t byteUs_ = 520;  // time one byte takes on the line
    bool lost_ = false;
    std::string lossReason_;
    std::vector<std::string> notes_;
    std::set<std::string> latencyNoted_;
};

// The words for a port that would not open: the system's reason, the device, and what a
// technician can do about it (the dialout group on Linux).
std::string openFailureText(const std::string& device, const std::string& systemReason,
                            bool permissionDenied);

}  // namespace k7
