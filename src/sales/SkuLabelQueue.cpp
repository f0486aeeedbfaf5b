#include "sales/SkuLabelQueue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "app/AppUtils.h"
#include "app/DocumentScope.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "os/FileIo.h"
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

std::string priceText(double Sell) { return FormatFloat("$##,##0.00", Sell); }

bool priceFits(double Sell) { return static_cast<int>(priceText(Sell).size()) <= PriceWidth; }

std::string labelLine(const TLabelItem& Item) {
    using AppUtils::PadRight;
    return PadRight(Item.ItemNo, ItemColumn.Width) + PadRight(priceText(Item.Sell), PriceColumn.Width) +
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
    const int fd = os::OpenFile(path, O_WRONLY | O_CREAT);
    if (fd < 0)
        raiseError("Cannot open", errno);
    struct stat before {};
    try {
        if (fstat(fd, &before) != 0)
            raiseError("Cannot open", errno);
        // Inside a stock adjustment the labels land with the quantity.
        TDocumentScope* scope = TDocumentScope::Current();
        if (scope)
            scope->BeforeFileAppend(path, static_cast<uint64_t>(before.st_size));
        if (!os::WriteAt(fd, block.data(), block.size(), static_cast<uint64_t>(before.st_size)))
            raiseError("Cannot write", errno);
        if (scope)
            scope->FlushAtEnd(fd);
    } catch (...) {
        os::CloseFile(fd);
        throw;
    }
    os::CloseFile(fd);
}

int QueuedCount() {
    std::ifstream in(Path(), std::ios::binary);
    int count = 0;
    for (std::string line; std::getline(in, line);)
        ++count;
    return count;
}

std::vector<std::string> readLines() {
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
