#pragma once
// TTextHeader: the document-wide part of a rich-text document. It holds the
// font table (99 names), the 16-colour table, the 31 tab slots shared by all
// paragraphs (a paragraph names the slots it uses by bit), page size and
// margins in twips, the summary strings, the output resolution, and the
// current paragraph's indents and tabs that the ruler shows and edits.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Classes.h"
#include "richtext/RtDefs.h"

struct TRtPaletteEntry {
    uint8_t Red = 0, Green = 0, Blue = 0, Flags = 0;
};

// The paragraph under the cursor as the ruler shows it (twips; tab slot bits).
struct TRtRulerArea {
    uint16_t IndentFirst = 0;
    uint16_t IndentLeft = 0;
    uint16_t IndentRight = 0;
    uint32_t TabSet = 0;
};

constexpr int rtFontSlots = 100;
constexpr int rtFontsUsable = 99;  // entries 0..98
constexpr int rtFontNameMax = 31;
constexpr int rtColorCount = 16;
constexpr int rtTabSlots = 32;
constexpr int rtTabsUsable = 31;  // slots 0..30
constexpr int rtTwipsPerInch = 1440;

class TTextHeader : public TObject {
public:
    TTextHeader();
    ~TTextHeader() override;

    int TextWidthPx = 0, TextWidthTw = 0;
    TRtPaletteEntry Palette[rtColorCount];
    int ResX = 0, ResY = 0;
    int TwipsPerPixel = 0;
    // Called when no tab slot is free; the document frees unused slots.
    std::function<void(TObject* Sender)> OnTabsFull;
    bool HasAttributes = false;
    std::string FontName[rtFontSlots];
    int FontFamily[rtFontSlots] = {};
    int FontCharset[rtFontSlots] = {};
    int TabPosTw[rtTabSlots] = {};
    int TabPosPx[rtTabSlots] = {};
    TTabKind TabKind[rtTabSlots] = {};
    char DecimalChar = '.';
    std::string Title, Subject, Comment;
    int PageWidth = 12240, PageHeight = 15840;
    int PageOption = 1;
    int MarginLeft = 1880, MarginRight = 1880, MarginTop = 1440, MarginBottom = 1440;
    bool FacingPages = false;
    bool Landscape = false;
    uint8_t LastLoadFormat = 0;
    // Unit of the ruler, the snap grid and the default tab: inches or centimetres.
    bool Inches = true;
    int TextAreaPx = 0, TextAreaHeightPx = 0;
    int DefaultTabPx = 0;
    TRtRulerArea Current;
    TTabKind DefaultTabKind = tkLeft;

    // Index of the font (first 31 characters, any case); added when new.
    // A full table answers 0, the default font, and stores nothing.
    int AddFont(const std::string& Name);
    void SetTextWidthPx(int Px);
    void SetTextWidthTw(int Tw);
    // Empties the fonts except entry 0, the tab slots, and puts back the
    // default page, colours and units-dependent sizes.
    void Reset();
    int SnapToGrid(int Tw) const;
    void Assign(const TTextHeader* Source);
    // Slot 0..30 with the position (or, failing that, the snapped position),
    // the kind (any for tkAll) and a bit in Mask; -1 when none.
    int FindTab(int Pos, TTabKind Kind, uint32_t Mask) const;
    // As FindTab without a mask; Pos takes the snapped position when that found it.
    int FindTabSlot(int& Pos, TTabKind Kind) const;
    // The bit of the slot holding the tab, taken when new; 0 when no slot is free.
    uint32_t AddTab(int Pos, TTabKind Kind);
    void RecalcTabPixels();
    void ClearTabs();

private:
    void computeAreas();
};
