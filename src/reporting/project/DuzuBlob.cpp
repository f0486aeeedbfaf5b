#include "reporting/project/DuzuBlob.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "reporting/project/DesignerUtils.h"
#include "reporting/project/Extended80.h"
#include "reporting/project/RSDuzu.h"

const char* const kDuzuBlobName = "DuzuBlob";

namespace {

constexpr std::uint8_t vaInt8 = 2;
constexpr std::uint8_t vaInt16 = 3;
constexpr std::uint8_t vaInt32 = 4;
constexpr std::uint8_t vaExtended = 5;

[[noreturn]] void invalidBlob() { RaiseDesignerError("Invalid stored project."); }

void writeLittleEndian(TStream& Stream, std::uint32_t Value, int Bytes) {
    std::uint8_t out[4];
    for (int i = 0; i < Bytes; ++i) out[i] = static_cast<std::uint8_t>(Value >> (8 * i));
    Stream.WriteBuffer(out, Bytes);
}

void readExactly(TStream& Stream, void* Buffer, std::int64_t Count) {
    if (Stream.Read(Buffer, Count) != Count) invalidBlob();
}

std::int64_t readInteger(TStream& Stream) {
    std::uint8_t tag = 0;
    readExactly(Stream, &tag, 1);
    int bytes = tag == vaInt8 ? 1 : tag == vaInt16 ? 2 : tag == vaInt32 ? 4 : 0;
    if (bytes == 0) invalidBlob();
    std::uint8_t in[4] = {};
    readExactly(Stream, in, bytes);
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
    switch (bytes) {
        case 1: return static_cast<std::int8_t>(value);
        case 2: return static_cast<std::int16_t>(value);
        default: return static_cast<std::int32_t>(value);
    }
}

}  // namespace

void WriteDuzuBlob(TStream& Stream, const std::string& ProjectBytes, TDateTime Date) {
    if (ProjectBytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) invalidBlob();
    const auto size = static_cast<std::int32_t>(ProjectBytes.size());
    if (size <= std::numeric_limits<std::int8_t>::max()) {
        writeLittleEndian(Stream, vaInt8, 1);
        writeLittleEndian(Stream, static_cast<std::uint32_t>(size), 1);
    } else if (size <= std::numeric_limits<std::int16_t>::max()) {
        writeLittleEndian(Stream, vaInt16, 1);
        writeLittleEndian(Stream, static_cast<std::uint32_t>(size), 2);
    } else {
        writeLittleEndian(Stream, vaInt32, 1);
        writeLittleEndian(Stream, static_cast<std::uint32_t>(size), 4);
    }
    writeLittleEndian(Stream, vaExtended, 1);
    const TExtended80 date = encodeExtended(Date);
    Stream.WriteBuffer(date.data(), static_cast<std::int64_t>(date.size()));
    if (size > 0) Stream.WriteBuffer(ProjectBytes.data(), size);
}

void ReadDuzuBlob(TStream& Stream, std::string& ProjectBytes, TDateTime& Date) {
    const std::int64_t size = readInteger(Stream);
    std::uint8_t tag = 0;
    readExactly(Stream, &tag, 1);
    if (tag != vaExtended) invalidBlob();
    TExtended80 date;
    readExactly(Stream, date.data(), static_cast<std::int64_t>(date.size()));
    const double when = decodeExtended(date);
    if (size < 0 || size > Stream.Size() - Stream.Position() || !std::isfinite(when)) invalidBlob();
    std::string bytes(static_cast<std::size_t>(size), '\0');
    readExactly(Stream, bytes.data(), size);
    ProjectBytes = std::move(bytes);
    Date = when;
}

void TDuzuProject::WriteDuzuBlob(TStream* Stream) const {
    if (stored_ != nullptr) ::WriteDuzuBlob(*Stream, *stored_, storedDate_);
}

void TDuzuProject::ReadDuzuBlob(TStream* Stream) {
    std::string bytes;
    TDateTime date = 0;
    ::ReadDuzuBlob(*Stream, bytes, date);
    SetStoredProject(bytes, date);
}
