#pragma once
// Bar codes drawn on a report with filled rectangles (no bar-code font).
// TRSBarsBase holds what every symbology shares: position, module width and
// bar height, the data text, the human-readable line, the direction and the
// justification, and the drawing of a pattern of module widths. TRSBarsUPC
// is UPC-A: 11 data digits, a modulo-10 check digit, guard patterns and the
// L and R digit codes, 95 modules in all.
//
// Placement: the symbol (with its readable line) fills a box whose top is
// YPos and whose left edge, right edge or centre is XPos by BarCodeJustify.
// BarCodeRotation turns the symbol clockwise in quarter turns inside that
// box: its modules run left to right (0), top to bottom (1), right to left
// (2) or bottom to top (3), and the readable digits read the same way.
//
// Each bar ends one device pixel short of its right edge, so that a bar of
// n modules inks exactly n module widths on a raster device; an OnDrawBar
// handler gets the exact rectangles instead, and then no font, brush or pen
// is touched and no readable line is printed.
#include <functional>
#include <string>

#include "reporting/RSDefine.h"

class TBaseReport;

class TRSBarsBase : public TObject {
public:
    explicit TRSBarsBase(TBaseReport* BaseReport);

    TBaseReport* BaseReport;
    // Width of one module and height of the bars, report units.
    double BarWidth = 0.01;
    double BarHeight = 0.5;
    // The anchor; by default the report's print position at construction.
    double XPos = 0;
    double YPos = 0;
    int CheckModulus = 0;
    // The readable line comes before the bars instead of after them.
    bool ReadableFirst = false;
    TPrintJustify BarCodeJustify = pjLeft;
    // Quarter turns clockwise, 0..3.
    int BarCodeRotation = 0;
    // Receives each bar's rectangle (report units) instead of the report.
    std::function<void(double X1, double Y1, double X2, double Y2)> OnDrawBar;

    const std::string& Text() const { return text_; }
    // Keeps the characters IsValidChar accepts.
    virtual void SetText(const std::string& Value);
    bool UseChecksum() const { return useChecksum_; }
    virtual void SetUseChecksum(bool Value) { useChecksum_ = Value; }
    bool PrintReadable() const { return printReadable_; }
    virtual void SetPrintReadable(bool Value) { printReadable_ = Value; }
    // XPos := X with left justification.
    void SetXPosition(double X);

    // The human-readable digits; the base prints the full text as one line.
    virtual void PrintReadableText();
    // Symbol width, report units.
    virtual double GetWidth() { return 0; }
    // The module widths of one character, alternately space and bar.
    virtual std::string GetPattern(char Ch) = 0;
    virtual std::string GetCheckDigit() { return {}; }
    // Width and height of a bar of Modules modules; data bars leave room
    // for the readable line.
    virtual void GetBarSize(char Modules, bool DataBar, double& Width, double& Height) = 0;
    // Text plus the check digit when UseChecksum.
    virtual std::string GetFullText();
    virtual void Print() = 0;
    virtual bool IsValidChar(char Ch);

protected:
    // Height of the readable line: 0 without a report or without it.
    double readableHeight();
    // The box the turned symbol fills, from the justification; Length runs
    // along the modules, Depth across them.
    void placeBox(double Length, double Depth);
    // A point of the symbol (U along the modules from the start edge, V
    // across from its top) on the page.
    void toPage(double U, double V, double& X, double& Y) const;
    // Draws a pattern from U; bars span V1..V2. Returns the U after it.
    double drawPattern(const std::string& Pattern, double U, bool StartWithBar, bool DataBars, double V1);
    void drawBar(double U1, double U2, double V1, double V2);
    // Prints a text along the symbol: its baseline at V, aligned at U.
    void printAlong(const std::string& Text, double U, double V, TPrintJustify Justify);

    std::string text_;
    bool useChecksum_ = false;
    bool printReadable_ = true;
    double boxLeft_ = 0, boxTop_ = 0, boxWidth_ = 0, boxHeight_ = 0;
};

class TRSBarsUPC : public TRSBarsBase {
public:
    explicit TRSBarsUPC(TBaseReport* BaseReport);

    // 11 for UPC-A; 12 takes the first digit as the EAN-13 parity digit.
    int DigitCount = 11;

    // Digits only, padded on the left with "0" or cut to DigitCount.
    void SetText(const std::string& Value) override;
    void SetUseChecksum(bool) override { useChecksum_ = true; }
    void PrintReadableText() override;
    double GetWidth() override;
    std::string GetPattern(char Ch) override;
    std::string GetCheckDigit() override;
    void GetBarSize(char Modules, bool DataBar, double& Width, double& Height) override;
    std::string GetFullText() override;
    // Raises "TBaseReport object not defined.  Printing Aborted." without a
    // report.
    void Print() override;
    bool IsValidChar(char Ch) override { return Ch >= '0' && Ch <= '9'; }

private:
    void fitReadableFont();
};
