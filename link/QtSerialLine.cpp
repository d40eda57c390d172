#include "link/QtSerialLine.h"

namespace k7 {
namespace {

QSerialPort::Parity toParity(char p) {
    switch (p) {
        case 'e':
            return QSerialPort::EvenParity;
        case 'o':
            return QSerialPort::OddParity;
        case 'm':
            return QSerialPort::MarkParity;
        case 's':
            return QSerialPort::SpaceParity;
        default:
            return QSerialPort::NoParity;
    }
}

}  // namespace

void QtSerialLine::open(const std::string& device, const std::string& settings) {
    close();
    const LineSettings s = parseLineSettings(settings);
    port_.setPortName(QString::fromStdString(device));
    if (!port_.open(QIODevice::ReadWrite)) {
        throw LineError(port_.errorString().toStdString());
    }
    bool ok = port_.setBaudRate(s.baud) &&
              port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
              port_.setParity(toParity(s.parity)) &&
              port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
              port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        std::string why = port_.errorString().toStdString();
        port_.close();
        throw LineError(why);
    }
    const int bitsPerByte = 1 + s.dataBits + (s.parity == 'n' ? 0 : 1) + s.stopBits;
    byteUs_ = 1'000'000LL * bitsPerByte / s.baud;
}

void QtSerialLine::close() {
    if (port_.isOpen()) port_.close();
}

int QtSerialLine::bytesWaiting() {
    if (!port_.isOpen()) return 0;
    // Pull whatever the driver holds into the port's buffer without blocking.
    port_.waitForReadyRead(0);
    return static_cast<int>(port_.bytesAvailable());
}

void QtSerialLine::discardInput() {
    if (port_.isOpen()) port_.clear(QSerialPort::Input);
}

void QtSerialLine::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) return;  // the read that follows times out and reports the line
    port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the driver now: the reply time-out counts from here.
    port_.flush();
    if (port_.bytesToWrite() > 0) port_.waitForBytesWritten(1000);
}

std::optional<std::uint8_t> QtSerialLine::readByte() {
    if (!port_.isOpen()) return std::nullopt;
    char c = 0;
    if (port_.bytesAvailable() <= 0) port_.waitForReadyRead(0);
    if (port_.read(&c, 1) != 1) return std::nullopt;
    return static_cast<std::uint8_t>(c);
}

bool QtSerialLine::waitForBytes(int count, std::int64_t deadlineUs) {
    if (!port_.isOpen()) {
        clock_.sleepUntil(deadlineUs);
        return false;
    }
    for (;;) {
        const qint64 have = port_.bytesAvailable();
        if (have >= count) return true;
        std::int64_t left = deadlineUs - clock_.nowUs();
        if (left <= 0) {
            port_.waitForReadyRead(0);
            return port_.bytesAvailable() >= count;
        }
        if (have > 0) {
            // The rest cannot come faster than the line carries it: sleep that long instead
            // of waking for every byte.
            clock_.sleepUntil(
                std::min<std::int64_t>(deadlineUs, clock_.nowUs() + (count - have) * byteUs_));
            port_.waitForReadyRead(0);
            continue;
        }
        if (!port_.waitForReadyRead(static_cast<int>((left + 999) / 1000)) &&
            port_.error() != QSerialPort::NoError && port_.error() != QSerialPort::TimeoutError) {
            // A failing device returns at once; sleep out the attempt instead of spinning.
            port_.clearError();
            clock_.sleepUntil(deadlineUs);
        }
    }
}

}  // namespace k7
