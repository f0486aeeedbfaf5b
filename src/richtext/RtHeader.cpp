#include "richtext/RtHeader.h"

#include "richtext/RtChars.h"
#include "ui/Graphics.h"

namespace {

// The colour table of a new document, in index order.
const TColor defaultColors[rtColorCount] = {
    clBlack, clRed,  clGreen, clBlue, clYellow, clFuchsia, clPurple, clMaroon,
    clLime,  clAqua, clTeal,  clNavy, clWhite,  clSilver,  clGray,   clBlack,
};

constexpr int inchGridTw = 144;       // a tenth of an inch
constexpr int centimetreGridTw = 141;  // about a quarter centimetre

uint32_t slotBit(int slot) { return uint32_t(1) << slot; }

}  // namespace

TTextHeader::TTextHeader() { Reset(); }

TTextHeader::~TTextHeader() { ClearTabs(); }

int TTextHeader::AddFont(const std::string& Name) {
    std::string name = Name.substr(0, rtFontNameMax);
    int i = 0;
    for (; i < rtFontsUsable && !FontName[i].empty(); ++i)
        if (RtSameTextIgnoringCase(FontName[i], name)) return i;
    if (i >= rtFontsUsable) return 0;
    FontName[i] = name;
    return i;
}

void TTextHeader::computeAreas() {
    TextAreaPx = RtMulDiv(PageWidth - MarginLeft - MarginRight, ResX, rtTwipsPerInch);
    TextAreaHeightPx = RtMulDiv(PageHeight - MarginTop - MarginBottom, ResY, rtTwipsPerInch);
}

void TTextHeader::SetTextWidthPx(int Px) {
    computeAreas();
    TextWidthPx = Px;
    if (ResX > 0) TextWidthTw = Px * rtTwipsPerInch / ResX;
}

void TTextHeader::SetTextWidthTw(int Tw) {
    TextWidthTw = Tw;
    TextWidthPx = Tw * ResX / rtTwipsPerInch;
}

void TTextHeader::Reset() {
    for (int i = 1; i < rtFontsUsable; ++i) {
        FontName[i].clear();
        FontFamily[i] = 0;
        FontCharset[i] = 0;
    }
    PageWidth = 12240;
    PageHeight = 15840;
    PageOption = 1;
    MarginLeft = 1880;
    MarginRight = 1880;
    MarginTop = 1440;
    MarginBottom = 1440;
    for (int i = 0; i < rtColorCount; ++i) {
        TColor c = ColorToRGB(defaultColors[i]);
        Palette[i] = {static_cast<uint8_t>(GetRValue(c)), static_cast<uint8_t>(GetGValue(c)),
                      static_cast<uint8_t>(GetBValue(c)), 0};
    }
    DefaultTabPx = Inches ? RtMulDiv(ResX, 100, 300) : RtMulDiv(ResX, 100, 254);
    computeAreas();
    SetTextWidthTw(PageWidth - MarginRight - MarginLeft);
    DefaultTabKind = tkLeft;
    DecimalChar = '.';
}

int TTextHeader::SnapToGrid(int Tw) const {
    if (ResX < 1) return Tw;
    if (Inches) return (Tw + 73) - (Tw + 73) % inchGridTw;
    return (Tw + 71) - (Tw + 71) % centimetreGridTw;
}

void TTextHeader::Assign(const TTextHeader* Source) {
    Reset();
    Current = {};
    if (!Source) return;
    for (int i = 0; i < rtFontsUsable; ++i)
        if (!Source->FontName[i].empty()) {
            FontName[i] = Source->FontName[i];
            FontFamily[i] = Source->FontFamily[i];
            FontCharset[i] = Source->FontCharset[i];
        }
    for (int i = 0; i < rtColorCount; ++i) Palette[i] = Source->Palette[i];
    for (int i = 0; i < rtTabSlots; ++i) {
        TabPosTw[i] = Source->TabPosTw[i];
        TabPosPx[i] = Source->TabPosPx[i];
        TabKind[i] = Source->TabKind[i];
    }
    PageWidth = Source->PageWidth;
    PageHeight = Source->PageHeight;
    PageOption = Source->PageOption;
    MarginLeft = Source->MarginLeft;
    MarginRight = Source->MarginRight;
    MarginTop = Source->MarginTop;
    MarginBottom = Source->MarginBottom;
    FacingPages = Source->FacingPages;
    Landscape = Source->Landscape;
}

int TTextHeader::FindTab(int Pos, TTabKind Kind, uint32_t Mask) const {
    auto search = [&](int pos) {
        for (int i = 0; i < rtTabsUsable; ++i)
            if (TabPosTw[i] == pos && (Kind == tkAll || TabKind[i] == Kind) && (Mask & slotBit(i))) return i;
        return -1;
    };
    int slot = search(Pos);
    if (slot < 0) slot = search(SnapToGrid(Pos));
    return slot;
}

int TTextHeader::FindTabSlot(int& Pos, TTabKind Kind) const {
    auto search = [&](int pos) {
        for (int i = 0; i < rtTabsUsable; ++i)
            if (TabPosTw[i] == pos && (Kind == tkAll || TabKind[i] == Kind)) return i;
        return -1;
    };
    int slot = search(Pos);
    if (slot >= 0) return slot;
    int snapped = SnapToGrid(Pos);
    slot = search(snapped);
    if (slot >= 0) Pos = snapped;
    return slot;
}

uint32_t TTextHeader::AddTab(int Pos, TTabKind Kind) {
    if (Pos < 1) return 0;
    int slot = FindTabSlot(Pos, Kind);
    if (slot >= 0) return slotBit(slot);
    auto freeSlot = [&] {
        for (int i = 0; i < rtTabsUsable; ++i)
            if (TabPosTw[i] == 0) return i;
        return -1;
    };
    slot = freeSlot();
    if (slot < 0 && OnTabsFull) {
        OnTabsFull(this);
        slot = freeSlot();
    }
    if (slot < 0) return 0;
    TabPosTw[slot] = Pos;
    TabPosPx[slot] = RtMulDiv(Pos, ResX, rtTwipsPerInch);
    TabKind[slot] = Kind == tkAll ? DefaultTabKind : Kind;
    return slotBit(slot);
}

void TTextHeader::RecalcTabPixels() {
    for (int i = 0; i < rtTabsUsable; ++i) TabPosPx[i] = RtMulDiv(TabPosTw[i], ResX, rtTwipsPerInch);
}

void TTextHeader::ClearTabs() {
    for (int i = 0; i < rtTabsUsable; ++i) {
        TabPosTw[i] = 0;
        TabPosPx[i] = 0;
        TabKind[i] = tkLeft;
    }
}
