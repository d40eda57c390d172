#include "link/QtSerialLine.h"

#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/SerialLock.h"

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

std::string openFailureText(const std::string& device, const std::string& systemReason,
                            bool permissionDenied) {
    std::string text = systemReason + ": " + device;
    if (permissionDenied) {
        text +=
            ". Your user may not use this serial device: add it to the \"dialout\" group "
            "(sudo usermod -aG dialout $USER), then log out and in again.";
    }
    return text;
}

QtSerialLine::QtSerialLine(Clock& clock) : clock_(clock) {
    // An unplugged device reports a resource error; from then on the port is useless, and
    // left open it would keep the event loop busy trying to write to it.
    QObject::connect(&port_, &QSerialPort::errorOccurred, [this](QSerialPort::SerialPortError e) {
        if (e == QSerialPort::ResourceError) markLost(port_.errorString());
    });
}

void QtSerialLine::open(const std::string& device, const std::string& settings) {
    close();
    const LineSettings s = parseLineSettings(settings);
    device_ = device;
    settings_ = settings;
    lost_ = false;
    lossReason_.clear();
    port_.setPortName(QString::fromStdString(device));
    bool opened = port_.open(QIODevice::ReadWrite);
    int savedErrno = errno;
    // Qt reports a port another program holds as a permission error too; the file's own
    // access rights tell the two apart.
    const bool locked = !opened && port_.error() == QSerialPort::PermissionError;
    const bool denied = locked && ::access(device.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
    std::optional<StaleLock> stale;
    if (locked && !denied) {
        // A lock file that names no live program is taken over.
        stale = removeStaleSerialLock(serialLockPath(device));
        if (stale && stale->removed) {
            port_.clearError();
            opened = port_.open(QIODevice::ReadWrite);
            savedErrno = errno;
        }
    }
    if (!opened) {
        const QSerialPort::SerialPortError kind = port_.error();
        std::string reason;
        if (denied) {
            reason = std::strerror(EACCES);
        } else if (kind == QSerialPort::DeviceNotFoundError) {
            reason = std::strerror(ENOENT);
        } else if (kind == QSerialPort::PermissionError) {
            reason = "In use by another program";
        } else {
            reason = savedErrno ? std::strerror(savedErrno) : port_.errorString().toStdString();
        }
        port_.clearError();
        const bool leftLocked = kind == QSerialPort::PermissionError && stale && !stale->removed;
        throw LineError(openFailureText(device, reason, denied) +
                        (leftLocked ? ". " + staleLockText(*stale) : ""));
    }
    bool ok = port_.setBaudRate(s.baud) &&
              port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
              port_.setParity(toParity(s.parity)) &&
              port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
              port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!ok) {
        std::string why = port_.errorString().toStdString();
        port_.close();
        throw LineError(why + ": " + device);
    }
    const int bitsPerByte = 1 + s.dataBits + (s.parity == 'n' ? 0 : 1) + s.stopBits;
    byteUs_ = 1'000'000LL * bitsPerByte / s.baud;
    askForLowLatency();
}

void QtSerialLine::askForLowLatency() {
    // USB serial chips hold received bytes for a latency timer (16 ms on the common ones);
    // the driver's low-latency flag brings that down to about 1 ms.
    const int fd = static_cast<int>(port_.handle());
    serial_struct ss{};
    std::string why;
    if (fd < 0) {
        why = "no file descriptor";
    } else if (::ioctl(fd, TIOCGSERIAL, &ss) != 0) {
        why = std::strerror(errno);
    } else if (!(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        if (::ioctl(fd, TIOCSSERIAL, &ss) != 0) why = std::strerror(errno);
    }
    if (!why.empty() && latencyNoted_.insert(device_).second) {
        notes_.push_back("Low latency could not be set on " + device_ + " (" + why +
                         "); an adapter may hold received bytes back for a few milliseconds.");
    }
}

std::vector<std::string> QtSerialLine::takeNotes() {
    return std::exchange(notes_, {});
}

void QtSerialLine::reopen() {
    if (device_.empty()) throw LineError("No serial device was opened");
    open(device_, settings_);
}

void QtSerialLine::close() {
    if (port_.isOpen()) port_.close();
}

void QtSerialLine::markLost(const QString& why) {
    if (lost_) return;
    lost_ = true;
    lossReason_ = why.toStdString() + ": " + device_;
    // Drops whatever was waiting to be written and stops the port's notifiers.
    port_.close();
}

void QtSerialLine::checkLost() {
    if (!lost_ && port_.isOpen() && port_.error() == QSerialPort::ResourceError) {
        markLost(port_.errorString());
    }
}

int QtSerialLine::bytesWaiting() {
    if (!port_.isOpen()) return 0;
    // Pull whatever the driver holds into the port's buffer without blocking.
    port_.waitForReadyRead(0);
    checkLost();
    return port_.isOpen() ? static_cast<int>(port_.bytesAvailable()) : 0;
}

void QtSerialLine::discardInput() {
    if (port_.isOpen()) port_.clear(QSerialPort::Input);
    checkLost();
}

void QtSerialLine::write(std::span<const std::uint8_t> bytes) {
    if (!port_.isOpen()) return;  // the read that follows times out and reports the line
    port_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
    // Hand the bytes to the driver now: the reply time-out counts from here.
    port_.flush();
    checkLost();
    if (port_.isOpen() && port_.bytesToWrite() > 0) port_.waitForBytesWritten(1000);
    checkLost();
}

std::optional<std::uint8_t> QtSerialLine::readByte() {
    if (!port_.isOpen()) return std::nullopt;
    char c = 0;
    if (port_.bytesAvailable() <= 0) port_.waitForReadyRead(0);
    if (port_.read(&c, 1) != 1) {
        checkLost();
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(c);
}

bool QtSerialLine::waitForBytes(int count, std::int64_t deadlineUs) {
    for (;;) {
        checkLost();
        if (!port_.isOpen()) {
            clock_.sleepUntil(deadlineUs);
            return false;
        }
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
            port_.error() != QSerialPort::NoError && port_.error() != QSerialPort::TimeoutError &&
            port_.error() != QSerialPort::ResourceError) {
            // A failing device returns at once; sleep out the attempt instead of spinning.
            port_.clearError();
            clock_.sleepUntil(deadlineUs);
        }
    }
}

}  // namespace k7
