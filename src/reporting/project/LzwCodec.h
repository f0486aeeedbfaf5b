#pragma once
// The variable-width LZW code of report projects: every item block of a
// project stream is compressed with it.
//
// Codes for DataBits n: 0 .. 2^n - 1 the symbols, 2^n clear, 2^n + 1 end,
// dictionary entries from 2^n + 2. Codes start n + 1 bits wide (3 for n = 1)
// and grow to MaxBits, packed most significant bit first; the last byte is
// completed with zero bits. Every stream starts with a clear code. The
// compressor clears instead of assigning code 2^MaxBits - 1. The reader
// widens one entry earlier than the writer; when the writer's last entry was
// 2^w - 1, its end code is read at the width it was written in.
//
// Each call keeps its own state, so calls may run side by side. Input and
// output go through callbacks in pieces of at most 1024 bytes.
//
// The decompressor treats its input as untrusted: a missing leading clear, a
// code past the next free one, a symbol expected after a clear that is not
// one, non-zero padding, bytes after the end code or input that ends before
// it raise EDuzuException "Invalid compressed data."; a dictionary that would
// outgrow MaxBits raises "Hash Table overflow.".
#include <cstdint>
#include <functional>

// Fills Buffer with up to Count bytes; returns how many, 0 at the end.
using TLzwReadFunc = std::function<int(std::uint8_t* Buffer, int Count)>;
// Takes Count bytes; returns how many it took (fewer is a write error).
using TLzwWriteFunc = std::function<int(const std::uint8_t* Buffer, int Count)>;

// REQUIRES: 1 <= DataBits <= 8 and the first width < MaxBits <= 16.
void LzwCompress(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write);
void LzwDecompress(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write);

// Stops a decompression once it has produced more than Limit bytes
// ("Invalid compressed data."); 0 means no limit.
void lzwDecompressLimited(int DataBits, int MaxBits, const TLzwReadFunc& Read, const TLzwWriteFunc& Write,
                          std::int64_t Limit);
