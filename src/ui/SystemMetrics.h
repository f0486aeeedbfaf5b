#pragma once
// The sizes of the window system's parts that layouts reckon with, as the
// platform's GetSystemMetrics gives them. They come from the one style all
// windows use, so layouts measure the same on every machine.
constexpr int SM_CXVSCROLL = 2;   // width of a vertical scroll bar
constexpr int SM_CYHSCROLL = 3;   // height of a horizontal scroll bar
constexpr int SM_CYCAPTION = 4;   // height of a window caption
constexpr int SM_CXBORDER = 5;    // a thin window border
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXDLGFRAME = 7;  // the frame of a dialog window
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXHTHUMB = 10;   // width of a horizontal scroll bar's thumb
constexpr int SM_CXEDGE = 45;     // a 3-D edge
constexpr int SM_CYEDGE = 46;

// The size asked for; 0 for an index not listed above.
int GetSystemMetrics(int Index);
