// Fuzz target for the LZW codec of project blocks: any bytes decompress or
// raise the codec's error, and compressing any bytes then decompressing them
// gives them back.
//
// Built only with clang:
//   CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja
//   cmake --build build-fuzz --target lzw_fuzz
//   build-fuzz/tests/lzw_fuzz -runs=300000 -max_len=4096
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "reporting/project/DesignerUtils.h"
#include "reporting/project/LzwCodec.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TLzwReadFunc reader(const std::uint8_t* data, std::size_t size, std::size_t& at) {
    return [data, size, &at](std::uint8_t* buffer, int count) {
        int n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(count), size - at));
        std::copy_n(data + at, n, buffer);
        at += static_cast<std::size_t>(n);
        return n;
    };
}

TLzwWriteFunc writer(Bytes& out) {
    return [&out](const std::uint8_t* buffer, int count) {
        out.insert(out.end(), buffer, buffer + count);
        return count;
    };
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes decoded;
    std::size_t at = 0;
    try {
        LzwDecompress(8, 13, reader(data, size, at), writer(decoded));
    } catch (const EDuzuException&) {
    }

    Bytes packed;
    at = 0;
    LzwCompress(8, 13, reader(data, size, at), writer(packed));
    Bytes back;
    at = 0;
    LzwDecompress(8, 13, reader(packed.data(), packed.size(), at), writer(back));
    if (back != Bytes(data, data + size)) std::abort();
    return 0;
}
