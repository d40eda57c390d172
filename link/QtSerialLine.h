#pragma once
// The real serial line, on QSerialPort. Used from the GUI thread in blocking mode: the waits
// sleep in the port's own wait (poll), never spinning.
#include <QSerialPort>

#include "link/Clock.h"
#include "link/SerialLine.h"

namespace k7 {

class QtSerialLine final : public SerialLine {
public:
    explicit QtSerialLine(Clock& clock) : clock_(clock) {}
    ~QtSerialLine() override { close(); }

    void open(const std::string& device, const std::string& settings) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    int bytesWaiting() override;
    void discardInput() override;
    void write(std::span<const std::uint8_t> bytes) override;
    std::optional<std::uint8_t> readByte() override;
    bool waitForBytes(int count, std::int64_t deadlineUs) override;

private:
    Clock& clock_;
    QSerialPort port_;
    std::int64_t byteUs_ = 520;  // time one byte takes on the line
};

}  // namespace k7
