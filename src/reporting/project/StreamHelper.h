#pragma once
// TStreamHelper: typed reading and writing of the project stream's values
// (bytes, compact integers, strings, raw buffers) on a stack of streams, and
// nested compressed blocks; the two compression hooks that connect the LZW
// codec to streams.
//
// Compact unsigned integer, big-endian within the value:
//   0 .. 127                     1 byte   the value
//   128 .. 16,383                2 bytes  0x80 + bits 8-13, bits 0-7
//   16,384 .. 2,097,151          3 bytes  0xC0 + bits 16-20, ...
//   2,097,152 .. 536,870,911     4 bytes  0xE0 + bits 24-28, ...
// Block: method byte (0 stored, 2 LZW), int32 little-endian length, the
// stored bytes.
//
// Every read treats the stream as untrusted: a length or count is checked
// against the bytes that remain before anything is allocated, and reading
// past the end raises EReadError.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "reporting/project/DesignerUtils.h"

constexpr std::uint8_t kCompressStored = 0;
constexpr std::uint8_t kCompressLzw = 2;
constexpr std::uint32_t kMaxCompactIndex = 536870911;
// A block never decompresses to more than this.
constexpr std::int64_t kMaxBlockSize = 64 * 1024 * 1024;

// Method 0 copies Source from its position to its end into Target; method 2
// runs the LZW codec with 8 data bits and 13 maximum bits; any other method
// raises EDuzuException "Unknown compression method %s".
using TStreamCompressHook = void (*)(std::uint8_t Method, TStream* Source, TStream* Target);
extern TStreamCompressHook CompressStreamHook;
extern TStreamCompressHook DecompressStreamHook;
void DefaultCompressStream(std::uint8_t Method, TStream* Source, TStream* Target);
void DefaultDecompressStream(std::uint8_t Method, TStream* Source, TStream* Target);

class TStreamHelper : public TObject {
public:
    // The stream is not owned.
    explicit TStreamHelper(TStream* AStream);
    ~TStreamHelper() override;
    TStreamHelper(const TStreamHelper&) = delete;
    TStreamHelper& operator=(const TStreamHelper&) = delete;

    // The current stream: the innermost open block, else the one given.
    TStream* Stream() const { return stream_; }
    std::uint8_t CompressMethod() const { return compressMethod_; }
    void SetCompressMethod(std::uint8_t Value) { compressMethod_ = Value; }

    void WriteByte(std::uint8_t Value);
    std::uint8_t ReadByte();
    // REQUIRES: Value <= 536,870,911.
    void WriteIndex(std::uint32_t Value);
    std::uint32_t ReadIndex();
    void WriteString(const std::string& Value);
    std::string ReadString();
    void WriteBuf(const void* Buffer, std::int64_t Count);
    void ReadBuf(void* Buffer, std::int64_t Count);
    void WriteInt32(std::int32_t Value);
    std::int32_t ReadInt32();

    void BeginWriteBlock();
    void EndWriteBlock();
    void BeginReadBlock();
    // Drops the block's unread bytes.
    void EndReadBlock();

    // Blocks open above the stream given to the constructor.
    int BlockDepth() const { return static_cast<int>(blocks_.size()); }
    bool Eof();
    // Bytes left in the current stream.
    std::int64_t Remaining();
    // Raises EReadError unless Count bytes remain.
    void CheckRemaining(std::int64_t Count);

private:
    TStream* base_;
    TStream* stream_;
    std::uint8_t compressMethod_ = kCompressLzw;
    std::vector<std::unique_ptr<TMemoryStream>> blocks_;
};
