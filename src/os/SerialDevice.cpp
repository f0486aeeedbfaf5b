#include "os/SerialDevice.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <linux/serial.h>

#include <cerrno>
#include <cstdlib>

namespace os {

int serialErrorCode(int err) {
    switch (err) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return kSerialNoDevice;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return kSerialPathNotFound;
    case EMFILE:
    case ENFILE:
        return kSerialTooManyFiles;
    case EBUSY:
    case EWOULDBLOCK:
        return kSerialInUse;
    case ENOMEM:
        return kSerialNoMemory;
    case EACCES:
    case EPERM:
    case EROFS:
        return kSerialPermissionDenied;
    case ENOTTY:
    case EISDIR:
        return kSerialNotADevice;
    case EINVAL:
        return kSerialInvalidArgument;
    default:
        return kSerialDeviceFailure;
    }
}

std::string serialDevicePath(int comNumber, const std::string& configured) {
    const std::string variable = "QUENMARK_COM" + std::to_string(comNumber);
    if (const char* value = std::getenv(variable.c_str()); value && *value)
        return value;
    if (!configured.empty())
        return configured;
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

namespace {

struct RateCode {
    int rate;
    speed_t code;
};

constexpr RateCode kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool rateCode(int rate, speed_t& code) {
    for (const RateCode& r : kRates)
        if (r.rate == rate) {
            code = r.code;
            return true;
        }
    return false;
}

int codeRate(speed_t code) {
    for (const RateCode& r : kRates)
        if (r.code == code) return r.rate;
    return 0;
}

// Modem-line and counter ioctls that a pseudo-terminal does not know.
bool unsupportedOnThisDevice(int err) { return err == ENOTTY || err == EINVAL; }

int failure() { return serialErrorCode(errno); }

}  // namespace

int SerialDevice::open(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure();
    if (!isatty(fd)) {
        ::close(fd);
        return kSerialNotADevice;
    }
    // TIOCEXCL keeps other opens out (except a privileged one); the flock
    // covers that case and any second open in this process.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ioctl(fd, TIOCEXCL) != 0) {
        int code = failure();
        ::close(fd);
        return code;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        int code = failure();
        ::close(fd);
        return code;
    }
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        int code = failure();
        ::close(fd);
        return code;
    }
    fd_ = fd;
    return 0;
}

void SerialDevice::adopt(int fd) {
    close();
    fd_ = fd;
}

void SerialDevice::close() {
    if (fd_ < 0) return;
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // the flock goes with the descriptor
    fd_ = -1;
}

int lineToTermios(const SerialLine& line, termios& tio) {
    speed_t code;
    if (!rateCode(line.baud, code)) return kSerialBadRate;
    cfsetispeed(&tio, code);
    cfsetospeed(&tio, code);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
    switch (line.dataBits) {
    case 5: tio.c_cflag |= CS5; break;
    case 6: tio.c_cflag |= CS6; break;
    case 7: tio.c_cflag |= CS7; break;
    default: tio.c_cflag |= CS8; break;
    }
    switch (line.parity) {
    case SerialParity::None: break;
    case SerialParity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case SerialParity::Even: tio.c_cflag |= PARENB; break;
    // With CMSPAR the parity bit is fixed: PARODD gives mark (1), else space (0).
    case SerialParity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case SerialParity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
    }
    if (line.stopBits >= 2) tio.c_cflag |= CSTOPB;
    return 0;
}

SerialLine lineFromTermios(const termios& tio) {
    SerialLine line;
    if (int rate = codeRate(cfgetospeed(&tio))) line.baud = rate;
    switch (tio.c_cflag & CSIZE) {
    case CS5: line.dataBits = 5; break;
    case CS6: line.dataBits = 6; break;
    case CS7: line.dataBits = 7; break;
    default: line.dataBits = 8; break;
    }
    if (!(tio.c_cflag & PARENB))
        line.parity = SerialParity::None;
    else if (tio.c_cflag & CMSPAR)
        line.parity = (tio.c_cflag & PARODD) ? SerialParity::Mark : SerialParity::Space;
    else
        line.parity = (tio.c_cflag & PARODD) ? SerialParity::Odd : SerialParity::Even;
    line.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
    return line;
}

int SerialDevice::setLine(const SerialLine& line) {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return failure();
    if (int r = lineToTermios(line, tio); r < 0) return r;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return failure();
    return 0;
}

SerialLine SerialDevice::getLine() const {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return SerialLine{};
    return lineFromTermios(tio);
}

int SerialDevice::setFlow(const SerialFlow& flow) {
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return failure();
    if (flow.rtsCts)
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (flow.xonOutput) tio.c_iflag |= IXON;
    if (flow.xonInput) tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = flow.xonChar;
    tio.c_cc[VSTOP] = flow.xoffChar;
    if (tcsetattr(fd_, TCSANOW, &tio) != 0) return failure();
    return 0;
}

SerialFlow SerialDevice::getFlow() const {
    SerialFlow flow;
    termios tio{};
    if (tcgetattr(fd_, &tio) != 0) return flow;
    flow.rtsCts = (tio.c_cflag & CRTSCTS) != 0;
    flow.xonOutput = (tio.c_iflag & IXON) != 0;
    flow.xonInput = (tio.c_iflag & IXOFF) != 0;
    flow.xonChar = tio.c_cc[VSTART];
    flow.xoffChar = tio.c_cc[VSTOP];
    return flow;
}

namespace {

int setModemBit(int fd, int bit, bool on) {
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit) == 0) return 0;
    return unsupportedOnThisDevice(errno) ? 0 : failure();
}

}  // namespace

int SerialDevice::setDTR(bool on) { return setModemBit(fd_, TIOCM_DTR, on); }
int SerialDevice::setRTS(bool on) { return setModemBit(fd_, TIOCM_RTS, on); }

SerialModemLines SerialDevice::modemLines() const { return modemLinesOf(fd_); }
SerialErrorCounts SerialDevice::errorCounts() const { return errorCountsOf(fd_); }

SerialModemLines modemLinesOf(int fd) {
    SerialModemLines lines;
    int bits = 0;
    if (ioctl(fd, TIOCMGET, &bits) != 0) return lines;
    lines.cts = bits & TIOCM_CTS;
    lines.dsr = bits & TIOCM_DSR;
    lines.ri = bits & TIOCM_RI;
    lines.dcd = bits & TIOCM_CD;
    return lines;
}

SerialErrorCounts errorCountsOf(int fd) {
    SerialErrorCounts counts;
    serial_icounter_struct icount{};
    if (ioctl(fd, TIOCGICOUNT, &icount) != 0) return counts;
    counts.overrun = icount.overrun;
    counts.parity = icount.parity;
    counts.framing = icount.frame;
    counts.breaks = icount.brk;
    counts.bufferOverrun = icount.buf_overrun;
    return counts;
}

int SerialDevice::setBreak(bool on) {
    if (ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0) return 0;
    return unsupportedOnThisDevice(errno) ? 0 : failure();
}

int SerialDevice::flushInput() { return tcflush(fd_, TCIFLUSH) == 0 ? 0 : failure(); }
int SerialDevice::flushOutput() { return tcflush(fd_, TCOFLUSH) == 0 ? 0 : failure(); }

int SerialDevice::inQueue() const {
    int count = 0;
    return ioctl(fd_, FIONREAD, &count) == 0 ? count : 0;
}

int SerialDevice::outQueue() const {
    int count = 0;
    return ioctl(fd_, TIOCOUTQ, &count) == 0 ? count : 0;
}

long SerialDevice::read(void* buffer, size_t count) { return readFromDevice(fd_, buffer, count); }
long SerialDevice::write(const void* buffer, size_t count) { return writeToDevice(fd_, buffer, count); }

long readFromDevice(int fd, void* buffer, size_t count) {
    for (;;) {
        ssize_t n = ::read(fd, buffer, count);
        if (n > 0 || count == 0) return n;
        if (n == 0) return kSerialDeviceFailure;  // end of file on a terminal: the line hung up
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        return failure();
    }
}

long writeToDevice(int fd, const void* buffer, size_t count) {
    for (;;) {
        ssize_t n = ::write(fd, buffer, count);
        if (n >= 0) return n;
        if (errno == EINTR) continue;
        if (errno == EAGAIN) return 0;
        return failure();
    }
}

SerialWait SerialDevice::wait(bool forWrite, int wakeFd, int timeoutMs, bool watchDevice) const {
    return waitOnDescriptor(watchDevice ? fd_ : -1, forWrite, wakeFd, timeoutMs);
}

SerialWait waitOnDescriptor(int fd, bool forWrite, int wakeFd, int timeoutMs) {
    pollfd fds[2];
    int count = 0;
    int deviceIndex = -1, wakeIndex = -1;
    if (fd >= 0) {
        deviceIndex = count;
        fds[count++] = {fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
    }
    if (wakeFd >= 0) {
        wakeIndex = count;
        fds[count++] = {wakeFd, POLLIN, 0};
    }
    int ready;
    do {
        ready = ::poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0) return SerialWait::TimedOut;
    if (wakeIndex >= 0 && (fds[wakeIndex].revents & POLLIN)) return SerialWait::Woken;
    if (deviceIndex >= 0) {
        short ev = fds[deviceIndex].revents;
        if (ev & (forWrite ? POLLOUT : POLLIN)) return forWrite ? SerialWait::Writable : SerialWait::Readable;
        if (ev & (POLLHUP | POLLERR | POLLNVAL)) return SerialWait::HungUp;
    }
    return SerialWait::TimedOut;
}

WakeEvent::WakeEvent() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
    if (fd_ >= 0) ::close(fd_);
}

void WakeEvent::signal() {
    uint64_t one = 1;
    (void)!::write(fd_, &one, sizeof one);
}

void WakeEvent::reset() {
    uint64_t value;
    (void)!::read(fd_, &value, sizeof value);
}

}  // namespace os
