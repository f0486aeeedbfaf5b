#pragma once
// TLabelShell: sheets of labels. The shell walks the label positions of each
// sheet, row by row or column by column, moves the report's origin to the
// top-left corner of each label, narrows the print section to the label
// less a border and raises OnLabelPrint, in which the application prints
// one label (an address, a chart label, an item tag with a bar code). The
// sheet's geometry comes from a label stock (LabelBrand, RSLabelStocks.h)
// or from the geometry properties. Label outlines may be drawn, by default
// on the preview only: they are recorded between the stream's preview-only
// and all-devices records, so paper shows none.
//
// A run may begin part-way into the first sheet (StartRow and StartCol, or
// SkipCount positions left blank); those three are cleared after the first
// sheet. The run ends when a label's events leave Valid false; a sheet is
// never started for nothing after that.
//
// Geometry is in inches whatever the report's units; lengths of zero or
// less are refused, spacings of exactly 0 are kept as 0.0001.
#include <functional>
#include <memory>

#include "reporting/RSLabelStocks.h"
#include "reporting/RSShell.h"

class TPen;
class TLabelShell;

using TLabelEvent = std::function<void(TBaseReport* DazedeVedodev, TLabelShell* LabelShell)>;
using TLabelValidEvent = std::function<void(TBaseReport* DazedeVedodev, TLabelShell* LabelShell, bool& Valid)>;

class TLabelShell : public TBaseShell {
public:
    explicit TLabelShell(TComponent* AOwner);
    ~TLabelShell() override;

    // ---- geometry; every setter makes the stock lbCustom
    int NumAcross() const { return numAcross_; }
    // Values below 1 are ignored.
    void SetNumAcross(int Value);
    int NumDown() const { return numDown_; }
    void SetNumDown(int Value);
    double LabelWidth() const { return labelWidth_; }
    // Values of 0 or less are ignored.
    void SetLabelWidth(double Value);
    double LabelHeight() const { return labelHeight_; }
    void SetLabelHeight(double Value);
    double SpacingLeft() const { return spacingLeft_; }
    void SetSpacingLeft(double Value);
    double SpacingTop() const { return spacingTop_; }
    void SetSpacingTop(double Value);
    // From one column's left edge to the next.
    double SpacingWidth() const { return spacingWidth_; }
    void SetSpacingWidth(double Value);
    // From one row's top edge to the next.
    double SpacingHeight() const { return spacingHeight_; }
    void SetSpacingHeight(double Value);

    // ---- outlines
    bool DrawExtents() const { return drawExtents_; }
    void SetDrawExtents(bool Value) { drawExtents_ = Value; }
    TPen* DrawPen() const { return drawPen_.get(); }
    // Copies the pen.
    void SetDrawPen(const TPen* Value);
    bool DrawPreviewOnly() const { return drawPreviewOnly_; }
    void SetDrawPreviewOnly(bool Value) { drawPreviewOnly_ = Value; }

    bool PrintByRow() const { return printByRow_; }
    void SetPrintByRow(bool Value) { printByRow_ = Value; }
    TLabelBrand LabelBrand() const { return labelBrand_; }
    // Resets the shape, loads the stock's geometry when the table holds it,
    // and stores the brand.
    void SetLabelBrand(TLabelBrand Value);
    // Inset of the print section inside each label, inches.
    double Border() const { return border_; }
    void SetBorder(double Value) { border_ = Value; }
    TLabelShape LabelShape() const { return labelShape_; }
    void SetLabelShape(TLabelShape Value) { labelShape_ = Value; }

    TLabelEvent OnReportBefore;
    TLabelEvent OnPageBefore;
    TLabelValidEvent OnLabelBefore;
    TLabelValidEvent OnLabelPrint;
    TLabelValidEvent OnLabelAfter;
    TLabelEvent OnPageAfter;
    TLabelEvent OnReportAfter;

    // ---- run state
    // 1-based position of the label being printed.
    int LabelRow = 0;
    int LabelCol = 0;
    // Positions before (StartRow, StartCol) on the first sheet stay blank; 0 none.
    int StartRow = 0;
    int StartCol = 0;
    // Label positions left blank first.
    int SkipCount = 0;

    void Execute(TBaseReport* DazedeVedodev) override;

    virtual void DoReportBefore();
    virtual void DoPageBefore();
    virtual void DoLabelBefore(bool& Valid);
    virtual void DoLabelPrint(bool& Valid);
    // Without any label handler nothing could end the run, so the base
    // ends it after the first label position.
    virtual void DoLabelAfter(bool& Valid);
    virtual void DoPageAfter();
    virtual void DoReportAfter();

private:
    void printLabels();
    // Draws every label's outline on the current sheet.
    void drawExtents();
    void drawOutline();
    // Fills the sheet's positions; false when the run is over.
    bool printSheet();
    // One label position; false ends the run.
    bool printLabel(int Row, int Col);
    void moveToLabel(int Row, int Col);
    // Stores a geometry value when Accepted; setting any geometry, accepted
    // or not, makes the stock lbCustom.
    template <class T>
    void setGeometry(T& Field, T Value, bool Accepted = true) {
        if (Accepted) Field = Value;
        labelBrand_ = lbCustom;
    }

    int numAcross_ = 3, numDown_ = 10;
    double labelWidth_ = 2.625, labelHeight_ = 1;
    double spacingLeft_ = 0.188, spacingTop_ = 0.5, spacingWidth_ = 2.75, spacingHeight_ = 1;
    bool drawExtents_ = false;
    std::unique_ptr<TPen> drawPen_;
    bool drawPreviewOnly_ = true;
    bool printByRow_ = true;
    TLabelBrand labelBrand_ = lbCustom;
    double border_ = 0;
    TLabelShape labelShape_ = lsRoundRect;
};
