#include "reporting/project/Extended80.h"

#include <cmath>

namespace {
constexpr int kBias = 16383;
}

TExtended80 encodeExtended(double Value) {
    TExtended80 bytes{};
    if (!std::isfinite(Value) || Value == 0) {
        if (std::signbit(Value) && std::isfinite(Value)) bytes[9] = 0x80;
        return bytes;
    }
    bool negative = Value < 0;
    int exponent = 0;
    // Value = fraction * 2^exponent with fraction in [0.5, 1): the mantissa's
    // integer bit stands for 2^(exponent - 1).
    double fraction = std::frexp(std::fabs(Value), &exponent);
    std::uint64_t mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
    int biased = exponent - 1 + kBias;
    for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(mantissa >> (8 * i));
    std::uint16_t top = static_cast<std::uint16_t>(biased) | (negative ? 0x8000 : 0);
    bytes[8] = static_cast<std::uint8_t>(top);
    bytes[9] = static_cast<std::uint8_t>(top >> 8);
    return bytes;
}

double decodeExtended(const TExtended80& Bytes) {
    std::uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | Bytes[i];
    std::uint16_t top = static_cast<std::uint16_t>(Bytes[8] | (Bytes[9] << 8));
    bool negative = (top & 0x8000) != 0;
    int biased = top & 0x7FFF;
    if (biased == 0x7FFF) return 0;
    // Denormals (biased 0) have the exponent of biased 1.
    int exponent = (biased == 0 ? 1 : biased) - kBias - 63;
    double value = std::ldexp(static_cast<double>(mantissa), exponent);
    if (!std::isfinite(value)) return 0;
    return negative ? -value : value;
}
