#pragma once
// The report stream's record codes and fixed values, shared by the stream
// writer (RSFiler) and the stream player (RSFPrint). A record is one code
// byte followed by its operands; numbers are little-endian, lengths and
// positions are singles in inches. Codes not listed here are never written
// and stop a player.
#include <cstdint>

constexpr std::uint8_t rcArc = 1;
constexpr std::uint8_t rcBrushCopy = 2;
constexpr std::uint8_t rcChord = 3;
constexpr std::uint8_t rcCopyRect = 4;
constexpr std::uint8_t rcDraw = 5;
constexpr std::uint8_t rcDrawFocusRect = 6;
constexpr std::uint8_t rcEllipse = 7;
constexpr std::uint8_t rcFillRect = 8;
constexpr std::uint8_t rcFloodFill = 9;
constexpr std::uint8_t rcFrameRect = 10;
constexpr std::uint8_t rcLineTo = 11;
constexpr std::uint8_t rcMoveTo = 12;
constexpr std::uint8_t rcPie = 13;
constexpr std::uint8_t rcPolygon = 14;
constexpr std::uint8_t rcPolyline = 15;
constexpr std::uint8_t rcPrintBitmap = 16;
constexpr std::uint8_t rcPrintBitmapRect = 17;
constexpr std::uint8_t rcRectangle = 18;
constexpr std::uint8_t rcTabRectangle = 19;
constexpr std::uint8_t rcRoundRect = 20;
constexpr std::uint8_t rcStretchDraw = 21;
constexpr std::uint8_t rcTextRect = 22;
constexpr std::uint8_t rcTextCenter = 23;
constexpr std::uint8_t rcTextLeft = 24;
constexpr std::uint8_t rcTextRight = 25;
constexpr std::uint8_t rcTextBKMode = 26;
constexpr std::uint8_t rcBKColor = 27;
constexpr std::uint8_t rcScaleX = 28;
constexpr std::uint8_t rcScaleY = 29;
constexpr std::uint8_t rcPassThrough = 30;
constexpr std::uint8_t rcPassThroughData = 31;
constexpr std::uint8_t rcTextBlockOld = 32;
constexpr std::uint8_t rcTextBlock = 33;
constexpr std::uint8_t rcImageMode = 34;
constexpr std::uint8_t rcFrameMode = 35;
constexpr std::uint8_t rcPrintImageRect = 36;
constexpr std::uint8_t rcNamedValue = 37;
constexpr std::uint8_t rcBrush = 40;
constexpr std::uint8_t rcBrushColor = 41;
constexpr std::uint8_t rcBrushStyle = 42;
constexpr std::uint8_t rcBrushBitmap = 43;
constexpr std::uint8_t rcFont = 50;
constexpr std::uint8_t rcFontName = 51;
constexpr std::uint8_t rcFontColor = 52;
constexpr std::uint8_t rcFontPitch = 53;
constexpr std::uint8_t rcFontSize = 54;
constexpr std::uint8_t rcFontBold = 55;
constexpr std::uint8_t rcFontUnderline = 56;
constexpr std::uint8_t rcFontItalic = 57;
constexpr std::uint8_t rcFontStrikeout = 58;
constexpr std::uint8_t rcFontSuperscript = 59;
constexpr std::uint8_t rcFontSubscript = 60;
constexpr std::uint8_t rcFontRotation = 61;
constexpr std::uint8_t rcFontAlign = 62;
constexpr std::uint8_t rcFontCharSet = 63;
constexpr std::uint8_t rcPen = 70;
constexpr std::uint8_t rcPenColor = 71;
constexpr std::uint8_t rcPenMode = 72;
constexpr std::uint8_t rcPenStyle = 73;
constexpr std::uint8_t rcPenWidth = 74;
constexpr std::uint8_t rcPageStart = 80;
constexpr std::uint8_t rcPageEnd = 82;
constexpr std::uint8_t rcFontMetrics = 83;
constexpr std::uint8_t rcPreviewOnly = 84;
constexpr std::uint8_t rcPrinterOnly = 85;
constexpr std::uint8_t rcAllDevices = 86;
constexpr std::uint8_t rcOrientation = 87;
constexpr std::uint8_t rcSelectBin = 88;

// Header codes and the versions they stand for.
constexpr std::uint8_t StreamHeaderQ = 81;  // version 1101
constexpr std::uint8_t StreamHeaderY = 89;  // version 2009
constexpr std::uint8_t StreamHeaderZ = 90;  // a version word follows
constexpr std::int16_t ReportStreamVersion = 2017;

// Graphic record types; a reference to an earlier copy adds GraphicReference.
constexpr std::uint8_t GraphicBitmap = 1;
constexpr std::uint8_t GraphicMetafile = 2;
constexpr std::uint8_t GraphicIcon = 3;
constexpr std::uint8_t GraphicOther = 4;
constexpr std::uint8_t GraphicReference = 128;

// Strings: one length byte below this, else two bytes up to MaxStreamString.
constexpr std::size_t LongStringStart = 192;
constexpr std::size_t MaxStreamString = 16383;

// Named-value blocks: at most this many data bytes; k values above 253 are
// references to another block.
constexpr std::uint8_t NamedValueBlockSize = 128;
constexpr std::uint8_t NamedValuePending = 255;
constexpr std::uint8_t NamedValueLink = 254;

// The sample text whose width goes with every font size, so that a player
// can fit its own fonts to the writer's widths.
constexpr const char* FontWidthSample =
    "abcdefg hijklmnop qrstuv wxyz ABCDEFG HIJKLMNOP QRSTUV WXYZ 0123456789";

// Graphic reuse slots are numbered 1..GraphicSlotCount.
constexpr int GraphicSlotCount = 10;
