#include "reporting/project/StreamHelper.h"

#include <algorithm>

#include "base/SysUtils.h"
#include "reporting/project/LzwCodec.h"

namespace {

constexpr int kLzwDataBits = 8;
constexpr int kLzwMaxBits = 13;

[[noreturn]] void unknownMethod(std::uint8_t Method) {
    RaiseDesignerError(throughMessageHook(Format("Unknown compression method %s", {IntToStr(Method)})));
}

int readPiece(TStream* Source, std::uint8_t* Buffer, int Count) {
    return static_cast<int>(Source->Read(Buffer, Count));
}

int writePiece(TStream* Target, const std::uint8_t* Buffer, int Count) {
    Target->WriteBuffer(Buffer, Count);
    return Count;
}

// CopyFrom with a count of 0 would copy the whole source.
void copyRest(TStream* Source, TStream* Target) {
    std::int64_t rest = Source->Size() - Source->Position();
    if (rest > 0) Target->CopyFrom(Source, rest);
}

}  // namespace

void DefaultCompressStream(std::uint8_t Method, TStream* Source, TStream* Target) {
    if (Method == kCompressStored) {
        copyRest(Source, Target);
    } else if (Method == kCompressLzw) {
        LzwCompress(
            kLzwDataBits, kLzwMaxBits, [&](std::uint8_t* b, int n) { return readPiece(Source, b, n); },
            [&](const std::uint8_t* b, int n) { return writePiece(Target, b, n); });
    } else {
        unknownMethod(Method);
    }
}

void DefaultDecompressStream(std::uint8_t Method, TStream* Source, TStream* Target) {
    if (Method == kCompressStored) {
        copyRest(Source, Target);
    } else if (Method == kCompressLzw) {
        lzwDecompressLimited(
            kLzwDataBits, kLzwMaxBits, [&](std::uint8_t* b, int n) { return readPiece(Source, b, n); },
            [&](const std::uint8_t* b, int n) { return writePiece(Target, b, n); }, kMaxBlockSize);
    } else {
        unknownMethod(Method);
    }
}

TStreamCompressHook CompressStreamHook = DefaultCompressStream;
TStreamCompressHook DecompressStreamHook = DefaultDecompressStream;

TStreamHelper::TStreamHelper(TStream* AStream) : base_(AStream), stream_(AStream) {}

TStreamHelper::~TStreamHelper() = default;

void TStreamHelper::WriteByte(std::uint8_t Value) { stream_->WriteBuffer(&Value, 1); }

std::uint8_t TStreamHelper::ReadByte() {
    std::uint8_t value = 0;
    stream_->ReadBuffer(&value, 1);
    return value;
}

void TStreamHelper::WriteIndex(std::uint32_t Value) {
    std::uint8_t bytes[4];
    int count;
    if (Value <= 0x7F) {
        bytes[0] = static_cast<std::uint8_t>(Value);
        count = 1;
    } else if (Value <= 0x3FFF) {
        bytes[0] = static_cast<std::uint8_t>(0x80 | (Value >> 8));
        bytes[1] = static_cast<std::uint8_t>(Value);
        count = 2;
    } else if (Value <= 0x1FFFFF) {
        bytes[0] = static_cast<std::uint8_t>(0xC0 | (Value >> 16));
        bytes[1] = static_cast<std::uint8_t>(Value >> 8);
        bytes[2] = static_cast<std::uint8_t>(Value);
        count = 3;
    } else if (Value <= kMaxCompactIndex) {
        bytes[0] = static_cast<std::uint8_t>(0xE0 | (Value >> 24));
        bytes[1] = static_cast<std::uint8_t>(Value >> 16);
        bytes[2] = static_cast<std::uint8_t>(Value >> 8);
        bytes[3] = static_cast<std::uint8_t>(Value);
        count = 4;
    } else {
        RaiseDesignerError("Value too large for the project stream.");
    }
    stream_->WriteBuffer(bytes, count);
}

std::uint32_t TStreamHelper::ReadIndex() {
    std::uint8_t first = ReadByte();
    if (first < 0x80) return first;
    int more;
    std::uint32_t value;
    if (first < 0xC0) {
        more = 1;
        value = first & 0x3F;
    } else if (first >= 0xE0) {
        more = 3;
        value = first & 0x1F;
    } else {
        more = 2;
        value = first & 0x1F;
    }
    for (int i = 0; i < more; ++i) value = (value << 8) | ReadByte();
    return value;
}

void TStreamHelper::WriteString(const std::string& Value) {
    WriteIndex(static_cast<std::uint32_t>(Value.size()));
    WriteBuf(Value.data(), static_cast<std::int64_t>(Value.size()));
}

std::string TStreamHelper::ReadString() {
    std::uint32_t length = ReadIndex();
    CheckRemaining(length);
    std::string value(length, '\0');
    ReadBuf(value.data(), length);
    return value;
}

void TStreamHelper::WriteBuf(const void* Buffer, std::int64_t Count) {
    if (Count > 0) stream_->WriteBuffer(Buffer, Count);
}

void TStreamHelper::ReadBuf(void* Buffer, std::int64_t Count) {
    if (Count > 0) stream_->ReadBuffer(Buffer, Count);
}

void TStreamHelper::WriteInt32(std::int32_t Value) {
    std::uint32_t u = static_cast<std::uint32_t>(Value);
    std::uint8_t bytes[4] = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    stream_->WriteBuffer(bytes, 4);
}

std::int32_t TStreamHelper::ReadInt32() {
    std::uint8_t b[4];
    stream_->ReadBuffer(b, 4);
    return static_cast<std::int32_t>(std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
                                     std::uint32_t(b[3]) << 24);
}

void TStreamHelper::BeginWriteBlock() {
    blocks_.push_back(std::make_unique<TMemoryStream>());
    stream_ = blocks_.back().get();
}

void TStreamHelper::EndWriteBlock() {
    if (blocks_.empty()) RaiseDesignerError("EndWriteBlock without a block.");
    std::unique_ptr<TMemoryStream> block = std::move(blocks_.back());
    blocks_.pop_back();
    stream_ = blocks_.empty() ? base_ : blocks_.back().get();
    WriteByte(compressMethod_);
    std::int64_t placeholder = stream_->Position();
    WriteInt32(0);
    block->SetPosition(0);
    CompressStreamHook(compressMethod_, block.get(), stream_);
    std::int64_t end = stream_->Position();
    stream_->SetPosition(placeholder);
    WriteInt32(static_cast<std::int32_t>(end - (placeholder + 4)));
    stream_->SetPosition(end);
}

void TStreamHelper::BeginReadBlock() {
    std::uint8_t method = ReadByte();
    std::int32_t length = ReadInt32();
    if (length < 0) throw EReadError("Stream read error");
    CheckRemaining(length);
    auto stored = std::make_unique<TMemoryStream>();
    if (length > 0) stored->CopyFrom(stream_, length);
    stored->SetPosition(0);
    std::unique_ptr<TMemoryStream> content;
    if (method == kCompressStored) {
        content = std::move(stored);
    } else {
        content = std::make_unique<TMemoryStream>();
        DecompressStreamHook(method, stored.get(), content.get());
    }
    content->SetPosition(0);
    blocks_.push_back(std::move(content));
    stream_ = blocks_.back().get();
}

void TStreamHelper::EndReadBlock() {
    if (blocks_.empty()) RaiseDesignerError("EndReadBlock without a block.");
    blocks_.pop_back();
    stream_ = blocks_.empty() ? base_ : blocks_.back().get();
}

bool TStreamHelper::Eof() { return stream_->Position() >= stream_->Size(); }

std::int64_t TStreamHelper::Remaining() { return std::max<std::int64_t>(0, stream_->Size() - stream_->Position()); }

void TStreamHelper::CheckRemaining(std::int64_t Count) {
    if (Count < 0 || Count > Remaining()) throw EReadError("Stream read error");
}
