#include "reporting/RSSect.h"

#include "reporting/RSBase.h"

namespace {

double notNegative(double Value) { return Value < 0 ? 0 : Value; }

bool validSlot(int Value) { return Value >= 0 && Value <= SectionSlotCount; }

}  // namespace

void TReportSection::SetLeft(double Value) { left_ = leftMethod_ == dmPage ? notNegative(Value) : Value; }

void TReportSection::SetRight(double Value) { right_ = rightMethod_ == dmMargin ? Value : notNegative(Value); }

void TReportSection::SetTop(double Value) { top_ = topMethod_ == dmPage ? notNegative(Value) : Value; }

void TReportSection::SetBottom(double Value) { bottom_ = bottomMethod_ == dmMargin ? Value : notNegative(Value); }

void TReportSection::SetMinHeight(double Value) { minHeight_ = notNegative(Value); }

// Each method setter passes its distance through the distance setter again,
// so the new method's rule applies at once.
void TReportSection::setMethod(TDistMethod& Method, TDistMethod Value, void (TReportSection::*SetDistance)(double),
                               double Distance) {
    Method = Value;
    (this->*SetDistance)(Distance);
}

void TReportSection::SetLeftMethod(TDistMethod Value) {
    if (Value == dmSpecial) return;  // a left edge has nothing to be measured from but the page or margin
    setMethod(leftMethod_, Value, &TReportSection::SetLeft, left_);
}

void TReportSection::SetRightMethod(TDistMethod Value) {
    setMethod(rightMethod_, Value, &TReportSection::SetRight, right_);
}

void TReportSection::SetTopMethod(TDistMethod Value) { setMethod(topMethod_, Value, &TReportSection::SetTop, top_); }

void TReportSection::SetBottomMethod(TDistMethod Value) {
    setMethod(bottomMethod_, Value, &TReportSection::SetBottom, bottom_);
}

void TReportSection::SetTabIndex(int Value) {
    if (validSlot(Value)) tabIndex_ = Value;
}

void TReportSection::SetFontIndex(int Value) {
    if (validSlot(Value)) fontIndex_ = Value;
}

void TReportSection::AssignTo(TPersistent* Dest) const {
    auto* section = dynamic_cast<TReportSection*>(Dest);
    if (!section) return;
    section->left_ = left_;
    section->right_ = right_;
    section->top_ = top_;
    section->bottom_ = bottom_;
    section->minHeight_ = minHeight_;
    section->leftMethod_ = leftMethod_;
    section->rightMethod_ = rightMethod_;
    section->topMethod_ = topMethod_;
    section->bottomMethod_ = bottomMethod_;
    section->heightMethod_ = heightMethod_;
    section->enabled_ = enabled_;
    section->tabIndex_ = tabIndex_;
    section->fontIndex_ = fontIndex_;
    section->NoBreak = NoBreak;
}

// Left first, then right, top and bottom: the special right and bottom are
// a width and a height from the edges just set.
void TReportSection::applyBounds(TBaseReport* R) const {
    R->SetSectionLeft(leftMethod_ == dmPage ? left_ : R->MarginLeft() + left_);
    switch (rightMethod_) {
    case dmPage: R->SetSectionRight(R->PageWidth() - right_); break;
    case dmMargin: R->SetSectionRight(R->PageWidth() - (R->MarginRight() + right_)); break;
    case dmSpecial: R->SetSectionRight(R->SectionLeft() + right_); break;
    }
    switch (topMethod_) {
    case dmPage: R->SetSectionTop(top_); break;
    case dmMargin: R->SetSectionTop(R->MarginTop() + top_); break;
    case dmSpecial: R->SetSectionTop(R->LineTop() + top_); break;
    }
    switch (bottomMethod_) {
    case dmPage: R->SetSectionBottom(R->PageHeight() - bottom_); break;
    case dmMargin: R->SetSectionBottom(R->PageHeight() - (R->MarginBottom() + bottom_)); break;
    case dmSpecial: R->SetSectionBottom(R->SectionTop() + bottom_); break;
    }
}

bool TReportSection::SetupSection(TBaseReport* R) const {
    if (!enabled_) return false;
    if (fontIndex_ > 0) R->RestoreFont(fontIndex_);
    if (tabIndex_ > 0) R->RestoreTabs(tabIndex_);
    R->AdjustLine();  // refreshes the metrics of a font just restored
    applyBounds(R);
    R->Home();
    if (minHeight_ <= 0 || NoBreak) return false;
    const bool fits = heightMethod_ == hmUnits ? R->SectionBottom() - R->SectionTop() >= minHeight_
                                               : R->LinesLeft() >= minHeight_;
    if (fits) return false;
    R->NewPage();
    applyBounds(R);
    R->Home();
    return true;
}
