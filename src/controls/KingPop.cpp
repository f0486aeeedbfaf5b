#include "controls/KingPop.h"

#include <algorithm>
#include <memory>

#include "ui/Application.h"
#include "ui/FormKit.h"

namespace {

constexpr const char* kCaptionFormat = "mmmm d, yyyy";
// The glyphs' corner colour, which the button leaves transparent.
constexpr TColor kGlyphBackground = clOlive;

void blankGlyph(TBitmap& Glyph) {
    Glyph.SetSize(15, 15);
    TCanvas* canvas = Glyph.Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(kGlyphBackground);
    canvas->FillRect(Rect(0, 0, 15, 15));
    canvas->Pen()->SetWidth(2);
}

// A green tick: take the date.
void drawSelectGlyph(TBitmap& Glyph) {
    blankGlyph(Glyph);
    TCanvas* canvas = Glyph.Canvas();
    canvas->Pen()->SetColor(clGreen);
    canvas->Polyline({{2, 7}, {6, 11}, {12, 3}});
}

// A red cross: leave without a date.
void drawCancelGlyph(TBitmap& Glyph) {
    blankGlyph(Glyph);
    TCanvas* canvas = Glyph.Canvas();
    canvas->Pen()->SetColor(clRed);
    canvas->MoveTo(3, 3);
    canvas->LineTo(12, 12);
    canvas->MoveTo(11, 3);
    canvas->LineTo(2, 12);
}

}  // namespace

// ---------------------------------------------------------------- TkcPopup

TkcPopup::TkcPopup(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu});
    Font()->SetName("System");
    Font()->SetHeight(-13);
    SetClientWidth(202);
    SetClientHeight(136);

    KingCalendar1 = place<TKingCalendar>(this, 2, 1, 198, 110);
    KingCalendar1->Font()->SetName("Small Fonts");
    KingCalendar1->Font()->SetHeight(-9);
    KingCalendar1->TitleFont()->SetName("Small Fonts");
    KingCalendar1->TitleFont()->SetHeight(-9);
    KingCalendar1->TitleFont()->SetColor(clBlack);
    KingCalendar1->TextFont()->SetName("System");
    KingCalendar1->TextFont()->SetHeight(-13);
    TStringList names;
    for (const char* name : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}) names.Add(name);
    KingCalendar1->SetDowNames(names);
    const TColor sets[] = {clRed, clLime, clBlue, clTeal, clGreen, clFuchsia, clMaroon, clAqua, clYellow};
    for (int i = 0; i < 9; ++i) KingCalendar1->ColorSets()->SetColorSet(i + 1, sets[i]);
    bindEvent(KingCalendar1->OnChange, this, &TkcPopup::KingCalendar1Change);
    bindEvent(KingCalendar1->OnDblClick, this, &TkcPopup::KingCalendar1DblClick);

    SpeedButton1 = place<TSpeedButton>(this, 2, 113, 23, 21);
    SpeedButton1->SetHint("Select Date");
    SpeedButton1->SetShowHint(true);
    TBitmap glyph;
    drawSelectGlyph(glyph);
    SpeedButton1->SetGlyph(glyph);
    bindEvent(SpeedButton1->OnClick, this, &TkcPopup::SpeedButton1Click);

    SpeedButton2 = place<TSpeedButton>(this, 177, 112, 23, 22);
    SpeedButton2->SetHint("Cancel Selection");
    SpeedButton2->SetShowHint(true);
    drawCancelGlyph(glyph);
    SpeedButton2->SetGlyph(glyph);
    bindEvent(SpeedButton2->OnClick, this, &TkcPopup::SpeedButton2Click);

    // The buttons are chosen before the bounds, so that four of them share the width.
    KingNavigator1 = place<TKingNavigator>(this, 29, 113);
    KingNavigator1->SetVisibleButtons({nbPrevYear, nbPrevMonth, nbNextMonth, nbNextYear});
    KingNavigator1->SetBounds(29, 113, 145, 21);
    KingNavigator1->SetCalendarSource(KingCalendar1);
    KingNavigator1->SetHighlight(clBlue);
    KingNavigator1->SetTodayText("Today");

    SetActiveControl(KingCalendar1);
    bindEvent(OnActivate, this, &TkcPopup::FormActivate);
    bindEvent(OnClose, this, &TkcPopup::FormClose);
}

void TkcPopup::startAt(TDateTime Value) {
    KingCalendar1->SetCalendarDate(Value);
    KingCalendar1->layOut();
    selected_.reset();
    FormActivate(this);
}

void TkcPopup::FormActivate(TObject*) { SetCaption(FormatDateTime(kCaptionFormat, KingCalendar1->CalendarDate())); }

void TkcPopup::KingCalendar1Change(TObject*) {
    SetCaption(FormatDateTime(kCaptionFormat, KingCalendar1->CalendarDate()));
}

void TkcPopup::pick() {
    selected_ = KingCalendar1->CalendarDate();
    Close();
}

void TkcPopup::KingCalendar1DblClick(TObject*) { pick(); }

void TkcPopup::SpeedButton1Click(TObject*) { pick(); }

void TkcPopup::SpeedButton2Click(TObject*) { SetModalResult(mrPopupCancelled); }

void TkcPopup::FormClose(TObject*, TCloseAction&) {
    if (!selected_) SetModalResult(mrPopupCancelled);
}

// ---------------------------------------------------------------- TKingPopup

TKingPopup::TKingPopup(TComponent* AOwner) : TComponent(AOwner), popupDate_(Date()) {}

void TKingPopup::SetAlignSource(TWinControl* Value) {
    if (Value != alignSource_) alignSource_.set(Value);
}

void TKingPopup::placeUnder(TkcPopup* Form) const {
    TPoint origin = alignSource_->Parent() ? alignSource_->Parent()->ClientToScreen(Point(0, 0)) : Point(0, 0);
    int top = alignSource_->Top() + alignSource_->Height() + origin.Y;
    if (top + Form->Height() > Screen->Height()) top = alignSource_->Top() - (Form->Height() + 2) + origin.Y;
    int left = alignSource_->Left() + origin.X;
    // Kept on the screen sideways too.
    left = std::max(0, std::min(left, Screen->Width() - Form->Width()));
    Form->SetBounds(left, top, Form->Width(), Form->Height());
}

bool TKingPopup::Execute() {
    std::unique_ptr<TkcPopup> form = std::make_unique<TkcPopup>(Application);
    form->startAt(popupDate_);
    form->SetBorderStyle(bsSingle);
    form->KingNavigator1->SetShowHint(showHint_);
    if (alignSource_) placeUnder(form.get());
    if (form->ShowModal() == mrPopupCancelled) return false;
    popupDate_ = form->selectedDate().value_or(popupDate_);
    return true;
}
