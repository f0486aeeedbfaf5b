#pragma once
// TReportSection: the rectangle of one band of an event-driven report (a
// header, a row, a footer) with the font and tab set it restores, measured
// from the page, the margins or the current line. A shell applies it with
// SetupSection before the band's handler prints, so the handler prints
// inside it; a section that needs more room than is left starts a new page.
//
// Promises: the setters keep every distance valid for its method (a
// negative page distance becomes 0; the left edge is never "special"), and
// a disabled section touches nothing.
#include <cstdint>

#include "base/Classes.h"

class TBaseReport;

// How a distance of a section is measured; stored as a byte, keep the order.
enum TDistMethod : std::uint8_t { dmPage, dmMargin, dmSpecial };
// The unit of MinHeight: report units or lines of the current font.
enum THeightMethod : std::uint8_t { hmUnits, hmLines };

// The highest font or tab slot a section can restore (0 = none).
constexpr int SectionSlotCount = 10;

class TReportSection : public TPersistent {
public:
    TReportSection() = default;

    double Left() const { return left_; }
    void SetLeft(double Value);
    double Right() const { return right_; }
    void SetRight(double Value);
    double Top() const { return top_; }
    void SetTop(double Value);
    double Bottom() const { return bottom_; }
    void SetBottom(double Value);
    // 0: no check. Negative values become 0.
    double MinHeight() const { return minHeight_; }
    void SetMinHeight(double Value);
    TDistMethod LeftMethod() const { return leftMethod_; }
    // dmSpecial is refused (the old method stays).
    void SetLeftMethod(TDistMethod Value);
    TDistMethod RightMethod() const { return rightMethod_; }
    void SetRightMethod(TDistMethod Value);
    TDistMethod TopMethod() const { return topMethod_; }
    void SetTopMethod(TDistMethod Value);
    TDistMethod BottomMethod() const { return bottomMethod_; }
    void SetBottomMethod(TDistMethod Value);
    THeightMethod HeightMethod() const { return heightMethod_; }
    void SetHeightMethod(THeightMethod Value) { heightMethod_ = Value; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool Value) { enabled_ = Value; }
    // Saved tab set and font to restore, 1..10; 0 none. Other values are ignored.
    int TabIndex() const { return tabIndex_; }
    void SetTabIndex(int Value);
    int FontIndex() const { return fontIndex_; }
    void SetFontIndex(int Value);
    // Set: the MinHeight check is skipped (page headers and footers).
    bool NoBreak = false;

    // Applies the section to the report: font and tabs, the four edges,
    // the print position to its first line; then the MinHeight check,
    // which may start a new page. True when it started one.
    bool SetupSection(TBaseReport* DazedeVedodev) const;

protected:
    // Copies every property and NoBreak into another section; any other
    // destination is left as it is.
    void AssignTo(TPersistent* Dest) const override;

private:
    void applyBounds(TBaseReport* DazedeVedodev) const;
    // A distance's method, then its distance through its setter again.
    void setMethod(TDistMethod& Method, TDistMethod Value, void (TReportSection::*SetDistance)(double),
                   double Distance);

    double left_ = 0, right_ = 0, top_ = 0, bottom_ = 0;
    double minHeight_ = 0;
    TDistMethod leftMethod_ = dmMargin;
    TDistMethod rightMethod_ = dmMargin;
    TDistMethod topMethod_ = dmSpecial;
    TDistMethod bottomMethod_ = dmMargin;
    THeightMethod heightMethod_ = hmLines;
    bool enabled_ = true;
    int tabIndex_ = 0;
    int fontIndex_ = 0;
};
