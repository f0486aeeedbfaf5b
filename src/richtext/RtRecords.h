#pragma once
// The records of a rich-text document: the per-character attribute, the line
// (a character buffer with a parallel attribute array in rich mode), the
// paragraph (a chain of lines with its measures and flags), and the entries
// of the embedded-object and stamp lists. Every layer of the document stack
// works on these records; the layout layer fills the fields marked as its own.
#include <cstdint>
#include <memory>
#include <string>

#include "base/Classes.h"

// TCharAttr.Style bits.
constexpr uint8_t stBold = 1;
constexpr uint8_t stItalic = 2;
constexpr uint8_t stUnderline = 4;
constexpr uint8_t stStrikeOut = 8;
constexpr uint8_t stHyperlink = 16;  // kept in RTF as double underline
constexpr uint8_t stBlockMarked = 32;  // set by painting for the selection only
constexpr uint8_t stSuperscript = 64;
constexpr uint8_t stSubscript = 128;

// TCharAttr.Special bits.
constexpr uint8_t spHidden = 1;
constexpr uint8_t spProtected = 2;
constexpr uint8_t spRtfCode = 4;      // the characters are RTF source, not text
constexpr uint8_t spFootnote = 8;     // Tag is the stamp number
constexpr uint8_t spInsertPoint = 16;
constexpr uint8_t spAutomatic = 32;
constexpr uint8_t spObject = 64;      // character code 1 (by tag) or 2 (by number)

// Character codes of embedded objects.
constexpr char rtObjectByTag = 1;
constexpr char rtObjectByNumber = 2;

// A byte that may stand in the text as typed or pasted: a tab or anything from
// the space up but Delete. Other control codes would become object codes,
// page breaks or stray bytes.
constexpr bool isTextByte(unsigned char C) { return C == '\t' || (C >= ' ' && C != 127); }

// TParagraph.ParFlags bits.
constexpr uint8_t pfPageBreak = 1;
constexpr uint8_t pfNotFirstCell = 8;  // a table cell that is not its row's first
constexpr uint8_t pfCellFollows = 16;  // another cell of the row follows
constexpr uint8_t pfTableCell = 32;
constexpr uint8_t pfProtected = 64;

// TParagraph.Dirty bits.
constexpr uint8_t dfRewrap = 1;
constexpr uint8_t dfMeasure = 2;
constexpr uint8_t dfAll = dfRewrap | dfMeasure;

// TParagraph.TableFlags: bits 0-15 flags, 16-23 line width in points,
// 24-27 line colour index, 28-31 spacing (cell gap) in millimetres.
constexpr uint32_t tfBorder = 0x0001;
constexpr uint32_t tfBoxEnds = 0x0002;  // the box ends with this paragraph
constexpr uint32_t tfTop = 0x0004;
constexpr uint32_t tfBottom = 0x0008;
constexpr uint32_t tfLeft = 0x0010;
constexpr uint32_t tfRight = 0x0020;
constexpr uint32_t tfAllSides = 0x0040;
constexpr uint32_t tfDouble = 0x0080;
constexpr uint32_t tfDotted = 0x0100;
constexpr uint32_t tfHairline = 0x0200;
constexpr uint32_t tfBar = 0x0400;
constexpr uint32_t tfTableLines = 0x4000;
inline int TableLineWidth(uint32_t flags) { return (flags >> 16) & 0xFF; }
inline int TableLineColor(uint32_t flags) { return (flags >> 24) & 0x0F; }
inline int TableSpacing(uint32_t flags) { return (flags >> 28) & 0x0F; }

// TLine.LineFlags bits.
constexpr uint8_t lfChanged = 1;
constexpr uint8_t lfPageBreakAfter = 2;

// Lines never hold more characters than this.
constexpr int rtMaxLineLength = 10000;

struct TCharAttr {
    uint16_t Width = 0;   // cached advance, pixels
    uint16_t Height = 0;  // cached line height of the font, pixels
    uint16_t Ascent = 0;  // cached base line of the font, pixels
    uint8_t Font = 0;     // index into the header's font table
    uint8_t Colors = 0;   // low nibble text colour, high nibble background (0 none)
    uint8_t Style = 0;
    uint8_t Special = 0;
    uint8_t Size = 0;     // points
    uint16_t Tag = 0;
    bool operator==(const TCharAttr&) const = default;
};

struct TLine {
    uint16_t Height = 0;
    uint16_t Base = 0;
    // Layout: y position in pixels, change and page-break flags, selection mark.
    int32_t Y = 0;
    uint8_t LineFlags = 0;
    uint8_t Mark = 0;
    // Capacity bytes, zero-terminated at Length.
    std::unique_ptr<char[]> Text;
    // Capacity records in rich mode, absent in plain mode.
    std::unique_ptr<TCharAttr[]> Attr;
    uint16_t Capacity = 0;
    uint16_t Length = 0;
    // Layout: line width (or, justified, the first stretched space),
    // the stretched space width and how many spaces get one pixel more.
    uint16_t JustStart = 0;
    uint16_t SpaceWidth = 0;
    uint16_t ExtraPixels = 0;
    TLine* Next = nullptr;
    TLine* Prev = nullptr;
};

struct TParagraph {
    int32_t IndentFirst = 0;  // twips; the first line's left edge
    int32_t IndentLeft = 0;
    int32_t IndentRight = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    int32_t LineSpacing = 0;  // 0 automatic
    uint8_t Align = 0;        // 0 left, 1 right, 2 centred, 3 justified
    uint8_t ParFlags = 0;
    uint8_t Dirty = 0;
    uint32_t TableFlags = 0;
    TLine* FirstLine = nullptr;
    TParagraph* Next = nullptr;
    TParagraph* Prev = nullptr;
    // Tab slot bits; in a table cell byte 0 the cell's start and byte 1 its
    // width, both in 255ths of the row.
    uint32_t TabSet = 0;
};

inline int CellStart(const TParagraph* p) { return p->TabSet & 0xFF; }
inline int CellWidth(const TParagraph* p) { return (p->TabSet >> 8) & 0xFF; }

// An embedded object. An entry with a Number owns its object; one with a Tag
// names an object the application keeps.
struct TObjectEntry {
    TObject* Obj = nullptr;
    uint16_t Tag = 0;
    uint16_t Number = 0;
    uint8_t Used = 0;
    int32_t WidthTw = 0;
    int32_t HeightTw = 0;
    // Written to RTF as a reference to the application's tag, not as a picture.
    bool ByReference = false;
    // Layout: size in pixels at the current resolution.
    int32_t WidthPx = 0;
    int32_t HeightPx = 0;
    std::unique_ptr<TObject> Owned;
};

// Text that belongs to a mark in the document: a footnote or a hyperlink address.
struct TStampEntry {
    uint8_t Kind = 0;
    uint32_t Value = 0;
    uint16_t Number = 0;
    std::string Text;
};
