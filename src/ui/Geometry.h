#pragma once
// Points, sizes and rectangles in pixels, with the Windows conventions the
// program was written against: a rectangle excludes its right and bottom
// edges. Plain values; nothing here draws.

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int cx = 0;
    int cy = 0;
    bool operator==(const TSize&) const = default;
};

// Right and Bottom are exclusive, as on Windows.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    TPoint TopLeft() const { return {Left, Top}; }
    TPoint BottomRight() const { return {Right, Bottom}; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    bool operator==(const TRect&) const = default;
};

inline TPoint Point(int x, int y) { return {x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }
// Windows' InflateRect/OffsetRect/IntersectRect on values.
TRect InflateRect(TRect r, int dx, int dy);
TRect OffsetRect(TRect r, int dx, int dy);
TRect IntersectRect(const TRect& a, const TRect& b);   // empty rect (all 0) when disjoint
