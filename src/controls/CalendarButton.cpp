#include "controls/CalendarButton.h"

#include <algorithm>

namespace {

constexpr int kBorderHeight = 1;

// The glyph of the calendar button: a small page of a wall calendar.
void drawCalendarGlyph(TBitmap& Glyph) {
    constexpr TColor kTransparent = clOlive;
    Glyph.SetSize(13, 12);
    TCanvas* canvas = Glyph.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(kTransparent);
    canvas->FillRect(Rect(0, 0, 13, 12));
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(Rect(1, 1, 12, 11));
    canvas->Brush()->SetColor(clRed);
    canvas->FillRect(Rect(1, 1, 12, 4));
    canvas->Brush()->SetColor(clBlack);
    canvas->FrameRect(Rect(1, 1, 12, 11));
    for (int y = 5; y <= 9; y += 2)
        for (int x = 3; x <= 9; x += 2) canvas->SetPixels(x, y, clBlack);
}

int fontHeight(const TFont& Font) {
    TBitmap probe(1, 1);
    probe.Canvas()->Font()->Assign(Font);
    return probe.Canvas()->TextHeight("0");
}

int systemFontHeight() {
    static const int height = [] {
        TFont system;
        system.SetName("System");
        system.SetHeight(-13);
        return fontHeight(system);
    }();
    return height;
}

}  // namespace

TSpeedButton* makeCalendarButton(TCustomEdit* Edit) {
    auto* button = new TSpeedButton(Edit);
    button->SetBounds(0, 0, CalendarButtonWidth, CalendarButtonHeight);
    TBitmap glyph;
    drawCalendarGlyph(glyph);
    button->SetGlyph(glyph);
    button->SetCursor(crArrow);
    button->SetParent(Edit);
    button->SetVisible(true);
    return button;
}

int editTextMargin(TFont& Font) { return std::min(systemFontHeight(), fontHeight(Font)) / 4; }

int minimumEditHeight(TFont& Font) { return fontHeight(Font) + editTextMargin(Font) + 4 * kBorderHeight + 2; }

int allowedEditHeight(TCustomEdit* Edit, int Height) { return std::max(Height, minimumEditHeight(*Edit->Font())); }

void placeCalendarButton(TCustomEdit* Edit, TSpeedButton* Button) {
    Button->SetBounds(Edit->Width() - Button->Width(), 0, Button->Width(), Edit->Height());
    Edit->setRightTextMargin(Button->Width() + 2);
}

TKingPopup* firstPopupOf(TComponent* Owner) {
    if (!Owner) return nullptr;
    for (int i = 0; i < Owner->ComponentCount(); ++i)
        if (auto* popup = dynamic_cast<TKingPopup*>(Owner->Components(i))) return popup;
    return nullptr;
}
