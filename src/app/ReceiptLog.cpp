#include "app/ReceiptLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/Schemas.h"
#include "os/Paths.h"

namespace ReceiptLog {

std::string Line(TDateTime When, int RecNo, int RecCount) {
    int hour = 0, minute = 0, second = 0, milli = 0;
    DecodeTime(When, hour, minute, second, milli);
    const int clockHour = hour % 12 == 0 ? 12 : hour % 12;
    char time[16];
    std::snprintf(time, sizeof time, "%d:%02d:%02d %s", clockHour, minute, second, hour < 12 ? "AM" : "PM");
    return "S  " + DateToStr(When) + " " + time + "  1  " + std::to_string(RecNo) + "   " +
           std::to_string(RecCount) + "\r\n";
}

bool Append(const std::string& DataFolder, const std::string& Line) {
    const std::string path = os::MapPath(Schemas::tableFileName(DataFolder, FileName));
    // O_APPEND puts the whole line at the end of the file in one write,
    // whoever else is appending.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, Line.data(), Line.size()) == static_cast<ssize_t>(Line.size());
    return ::close(fd) == 0 && written;
}

}  // namespace ReceiptLog
