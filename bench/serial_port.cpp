// A port component over a pseudo-terminal pair beside a plain termios loop
// on the same pair, both handing each "\r"-ended line to a handler:
//   serial_rx_115200, serial_tx_115200: 23,040 bytes of 80-byte lines paced
//     at 115,200 baud (11,520 bytes a second), so pacing dominates;
//   serial_rx_burst: 1 MiB of 80-byte lines unpaced, until the last line
//     reached the handler on the main thread.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "BenchSupport.h"
#include "serial/SerPort.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLineLength = 80;
constexpr size_t kPacedBytes = 23040;
constexpr double kBytesPerSecond = 11520.0;
constexpr size_t kBurstBytes = 1 << 20;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "serial_port: %s\n", what);
    std::exit(1);
}

std::string Lines(size_t bytes) {
    std::string all;
    for (int i = 0; all.size() + kLineLength <= bytes; ++i) {
        char head[32];
        int n = std::snprintf(head, sizeof head, "line %06d ", i);
        std::string line(head, n);
        line.resize(kLineLength - 1, 'x');
        all += line + '\r';
    }
    return all;
}

// A raw pseudo-terminal pair: the far end here, the device end opened by
// the side under test as COM4.
class Pty {
public:
    Pty() {
        far_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (far_ < 0 || grantpt(far_) != 0 || unlockpt(far_) != 0) Fail("no pseudo-terminal");
        device_ = ptsname(far_);
        termios tio{};
        tcgetattr(far_, &tio);
        cfmakeraw(&tio);
        tcsetattr(far_, TCSANOW, &tio);
        holder_ = open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        setenv("QUENMARK_COM4", device_.c_str(), 1);
    }
    ~Pty() {
        close(holder_);
        close(far_);
    }
    const std::string& device() const { return device_; }

    // Writes Data, line by line on the given pace (0: as fast as it goes).
    void write(const std::string& Data, double bytesPerSecond) const {
        Clock::time_point start = Clock::now();
        for (size_t at = 0; at < Data.size();) {
            size_t end = bytesPerSecond > 0 ? std::min(Data.size(), at + kLineLength) : Data.size();
            if (bytesPerSecond > 0)
                std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                          std::chrono::duration<double>(at / bytesPerSecond)));
            while (at < end) {
                ssize_t n = ::write(far_, Data.data() + at, end - at);
                if (n > 0) {
                    at += n;
                } else {
                    pollfd p{far_, POLLOUT, 0};
                    poll(&p, 1, 100);
                }
            }
        }
    }
    // Reads Count bytes at the far end.
    void read(size_t Count) const {
        char buffer[4096];
        for (size_t got = 0; got < Count;) {
            ssize_t n = ::read(far_, buffer, sizeof buffer);
            if (n > 0) got += n;
            else if (n < 0 && errno != EINTR && errno != EAGAIN) Fail("far end read failed");
        }
    }

private:
    int far_ = -1, holder_ = -1;
    std::string device_;
};

// The plain loop's device: raw, non-blocking, as the component opens it.
int OpenPlain(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) Fail("cannot open the device");
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    cfsetspeed(&tio, B115200);
    tcsetattr(fd, TCSANOW, &tio);
    return fd;
}

// The handler both sides feed: one call per whole line.
struct LineSink {
    size_t lines = 0;
    size_t bytes = 0;
    void Line(const std::string& line) {
        ++lines;
        bytes += line.size();
        benchmark::DoNotOptimize(line.data());
    }
};

double OursReceive(const std::string& data, double pace) {
    Pty pty;
    LineSink sink;
    std::string current;
    const size_t expected = data.size() / kLineLength;
    TSerComPort port(nullptr);
    port.SetComNumber(4);
    port.SetBaud(115200);
    port.SetAutoOpen(false);
    port.OnTriggerAvail = [&](TObject*, uint16_t Count) {
        for (int i = 0; i < Count; ++i) current += port.GetChar();
    };
    port.OnTriggerData = [&](TObject*, uint16_t) {
        current += port.GetChar();
        sink.Line(current);
        current.clear();
    };
    port.SetOpen(true);
    port.AddDataTrigger("\r", false);
    Clock::time_point start = Clock::now();
    std::thread writer([&] { pty.write(data, pace); });
    QEventLoop loop;
    while (sink.lines < expected) loop.processEvents(QEventLoop::WaitForMoreEvents);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    writer.join();
    if (sink.bytes != data.size()) Fail("lines lost on the component side");
    return seconds;
}

double PlainReceive(const std::string& data, double pace) {
    Pty pty;
    LineSink sink;
    std::string current;
    const size_t expected = data.size() / kLineLength;
    int fd = OpenPlain(pty.device());
    Clock::time_point start = Clock::now();
    std::thread writer([&] { pty.write(data, pace); });
    char buffer[8192];
    while (sink.lines < expected) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 1000) <= 0) continue;
        ssize_t n = read(fd, buffer, sizeof buffer);
        for (ssize_t i = 0; i < n; ++i) {
            current += buffer[i];
            if (buffer[i] == '\r') {
                sink.Line(current);
                current.clear();
            }
        }
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    writer.join();
    close(fd);
    if (sink.bytes != data.size()) Fail("lines lost on the plain side");
    return seconds;
}

void Paced(const std::string& data, Clock::time_point start, const std::function<void(const std::string&)>& send) {
    for (size_t at = 0; at < data.size(); at += kLineLength) {
        std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(at / kBytesPerSecond)));
        send(data.substr(at, kLineLength));
    }
}

double OursTransmit(const std::string& data) {
    Pty pty;
    TSerComPort port(nullptr);
    port.SetComNumber(4);
    port.SetBaud(115200);
    port.SetAutoOpen(false);
    port.SetOpen(true);
    Clock::time_point start = Clock::now();
    std::thread reader([&] { pty.read(data.size()); });
    Paced(data, start, [&](const std::string& line) { port.PutString(line); });
    reader.join();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double PlainTransmit(const std::string& data) {
    Pty pty;
    int fd = OpenPlain(pty.device());
    Clock::time_point start = Clock::now();
    std::thread reader([&] { pty.read(data.size()); });
    Paced(data, start, [&](const std::string& line) {
        for (size_t at = 0; at < line.size();) {
            ssize_t n = write(fd, line.data() + at, line.size() - at);
            if (n > 0) at += n;
            else {
                pollfd p{fd, POLLOUT, 0};
                poll(&p, 1, 100);
            }
        }
    });
    reader.join();
    close(fd);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Run(benchmark::State& state, const std::function<double()>& once) {
    for (auto _ : state) state.SetIterationTime(once());
}

}  // namespace

int main(int argc, char** argv) {
    static int qtArgc = 1;
    static char name[] = "bench_serial_port";
    static char* qtArgv[] = {name, nullptr};
    QCoreApplication app(qtArgc, qtArgv);
    const std::string paced = Lines(kPacedBytes);
    const std::string burst = Lines(kBurstBytes);

    auto add = [](const char* caseName, std::function<double()> once, int iterations) {
        benchmark::RegisterBenchmark(caseName, [once](benchmark::State& s) { Run(s, once); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    };
    add("serial_rx_115200/ours", [&] { return OursReceive(paced, kBytesPerSecond); }, 1);
    add("serial_rx_115200/plain", [&] { return PlainReceive(paced, kBytesPerSecond); }, 1);
    add("serial_tx_115200/ours", [&] { return OursTransmit(paced); }, 1);
    add("serial_tx_115200/plain", [&] { return PlainTransmit(paced); }, 1);
    add("serial_rx_burst/ours", [&] { return OursReceive(burst, 0); }, 5);
    add("serial_rx_burst/plain", [&] { return PlainReceive(burst, 0); }, 5);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("serial_rx_115200", "plain");
    reporter.PrintRatio("serial_tx_115200", "plain");
    reporter.PrintRatio("serial_rx_burst", "plain");
    return 0;
}
