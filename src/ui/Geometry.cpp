#include "ui/Geometry.h"

#include <algorithm>

TRect InflateRect(TRect r, int dx, int dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }

TRect OffsetRect(TRect r, int dx, int dy) { return {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

TRect IntersectRect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
    return r.IsEmpty() ? TRect{} : r;
}
