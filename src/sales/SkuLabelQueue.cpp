#include "sales/SkuLabelQueue.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/AppUtils.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "os/Paths.h"

namespace SkuLabelQueue {

namespace {

[[noreturn]] void raiseError(const std::string& What, int Error) {
    throw EInOutError(What + " " + Path() + ": " + std::strerror(Error), Error);
}

}  // namespace

std::string Path() { return os::MapPath(FileName); }

bool Exists() { return os::FileExists(Path()); }

bool Reset() {
    os::DeleteFile(Path());
    return !Exists();
}

std::string PriceText(double Sell) { return FormatFloat("$##,##0.00", Sell); }

bool PriceFits(double Sell) { return static_cast<int>(PriceText(Sell).size()) <= PriceWidth; }

std::string LabelLine(const TLabelItem& Item) {
    using AppUtils::PadRight;
    return PadRight(Item.ItemNo, ItemColumn.Width) + PadRight(PriceText(Item.Sell), PriceColumn.Width) +
           PadRight(Item.Desc, DescColumn.Width) + PadRight(Item.Color, ColorColumn.Width) +
           PadRight(Item.Size, SizeColumn.Width) + PadRight(Item.Manf, ManfColumn.Width) +
           PadRight(Item.Vendor, VendorColumn.Width);
}

void Append(const std::string& Line, int Count) {
    if (Count <= 0)
        return;
    const std::string path = Path();
    os::ForceDirectories(os::ExtractFilePath(path));
    std::string block;
    block.reserve((Line.size() + 2) * static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i)
        block += Line + "\r\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd < 0)
        raiseError("Cannot open", errno);
    size_t written = 0;
    while (written < block.size()) {
        const ssize_t n = ::write(fd, block.data() + written, block.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            raiseError("Cannot write", error);
        }
        written += static_cast<size_t>(n);
    }
    if (::close(fd) != 0)
        raiseError("Cannot write", errno);
}

int QueuedCount() {
    std::ifstream in(Path(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);)
        ++count;
    return count;
}

std::vector<std::string> ReadLines() {
    std::ifstream in(Path(), std::ios::binary);
    if (!in)
        raiseError("Cannot read", errno ? errno : ENOENT);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string ColumnText(const std::string& Line, TColumn Column) {
    const size_t first = static_cast<size_t>(Column.First - 1);
    if (first >= Line.size())
        return "";
    return Line.substr(first, static_cast<size_t>(Column.Width));
}

}  // namespace SkuLabelQueue
