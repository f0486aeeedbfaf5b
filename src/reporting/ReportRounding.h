#pragma once
// Rounding of report lengths to whole device units, as the class library's
// Round does it (halves to the even neighbour), bounded so that no length a
// caller passes, however wild, overflows an integer.
#include <cmath>

constexpr double ReportIntLimit = 1 << 30;

inline int roundToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value > ReportIntLimit) return static_cast<int>(ReportIntLimit);
    if (value < -ReportIntLimit) return -static_cast<int>(ReportIntLimit);
    return static_cast<int>(std::nearbyint(value));
}

inline int truncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value > ReportIntLimit) return static_cast<int>(ReportIntLimit);
    if (value < -ReportIntLimit) return -static_cast<int>(ReportIntLimit);
    return static_cast<int>(std::trunc(value));
}
