#pragma once
// The 80-bit extended floating-point format of project streams and of the
// report data link (little-endian: 64-bit mantissa with its integer bit, then
// sign and 15-bit exponent), coded from and to double without relying on the
// machine's long double.
#include <array>
#include <cstdint>

using TExtended80 = std::array<std::uint8_t, 10>;

// The exact value of Value; a value that is not finite gives 0.
TExtended80 encodeExtended(double Value);
// The nearest double; infinities, NaNs and values beyond double give 0.
double decodeExtended(const TExtended80& Bytes);
