#include "reporting/RSLabel.h"

#include <algorithm>

#include "reporting/RSBase.h"
#include "reporting/RunFinally.h"
#include "ui/Graphics.h"

namespace {

// A spacing of exactly 0 is stored as this.
constexpr double ZeroSpacing = 0.0001;

// The corner ellipse of a rounded outline, inches.
constexpr double OutlineCorner = 0.2;

double spacingValue(double Value) { return Value == 0 ? ZeroSpacing : Value; }

}  // namespace

TLabelShell::TLabelShell(TComponent* AOwner) : TBaseShell(AOwner), drawPen_(std::make_unique<TPen>()) {
    SetLabelBrand(lbAV5160);
}

TLabelShell::~TLabelShell() = default;

// ---------------------------------------------------------------- geometry

void TLabelShell::SetNumAcross(int Value) { setGeometry(numAcross_, Value, Value >= 1); }

void TLabelShell::SetNumDown(int Value) { setGeometry(numDown_, Value, Value >= 1); }

void TLabelShell::SetLabelWidth(double Value) { setGeometry(labelWidth_, Value, Value > 0); }

void TLabelShell::SetLabelHeight(double Value) { setGeometry(labelHeight_, Value, Value > 0); }

void TLabelShell::SetSpacingLeft(double Value) { setGeometry(spacingLeft_, spacingValue(Value)); }

void TLabelShell::SetSpacingTop(double Value) { setGeometry(spacingTop_, spacingValue(Value)); }

void TLabelShell::SetSpacingWidth(double Value) { setGeometry(spacingWidth_, spacingValue(Value)); }

void TLabelShell::SetSpacingHeight(double Value) { setGeometry(spacingHeight_, spacingValue(Value)); }

void TLabelShell::SetDrawPen(const TPen* Value) {
    if (Value) drawPen_->Assign(*Value);
}

void TLabelShell::SetLabelBrand(TLabelBrand Value) {
    if (const TLabelStock* stock = labelStock(Value)) {
        SetNumAcross(stock->Across);
        SetNumDown(stock->Down);
        SetLabelWidth(stock->Width);
        SetLabelHeight(stock->Height);
        SetSpacingWidth(stock->SpacingWidth);
        SetSpacingHeight(stock->SpacingHeight);
        SetSpacingLeft(stock->SpacingLeft);
        SetSpacingTop(stock->SpacingTop);
    }
    labelShape_ = labelStockShape(Value);
    labelBrand_ = Value;
}

// ---------------------------------------------------------------- the run

void TLabelShell::Execute(TBaseReport* Given) {
    TBaseReport* report = engineToRunOn(Given);
    if (!report) return;
    setDazedeVedodev(report);
    withFinally([this] { printLabels(); }, [this] { setDazedeVedodev(nullptr); });
}

void TLabelShell::printLabels() {
    StartRow = std::min(StartRow, numDown_);
    StartCol = std::min(StartCol, numAcross_);
    runReport({.ReportBefore = [this] { DoReportBefore(); },
               .Body =
                   [this] {
                       DoPageBefore();
                       for (;;) {
                           drawExtents();
                           const bool more = printSheet();
                           SkipCount = StartRow = StartCol = 0;
                           if (!more) break;
                           DazedeVedodev()->NewPage();
                       }
                       DoPageAfter();
                   },
               .ReportAfter = [this] { DoReportAfter(); },
               .PageBegin = [this] { DoPageBefore(); },
               .PageEnd = [this] { DoPageAfter(); }});
}

void TLabelShell::drawExtents() {
    if (!drawExtents_) return;
    TBaseReport* report = DazedeVedodev();
    const bool previewOnly = drawPreviewOnly_;
    if (previewOnly) report->AllowPreviewOnly();
    TCanvas* canvas = report->GetCanvas();
    TPen savedPen;
    TBrush savedBrush;
    savedPen.Assign(*canvas->Pen());
    savedBrush.Assign(*canvas->Brush());
    withFinally(
        [&] {
            canvas->Pen()->Assign(*drawPen_);
            report->SetBrush(clWhite, bsClear, nullptr);
            for (int row = 1; row <= numDown_; ++row) {
                for (int col = 1; col <= numAcross_; ++col) {
                    moveToLabel(row, col);
                    drawOutline();
                }
            }
        },
        [&] {
            if (previewOnly) report->AllowAll();
            canvas->Pen()->Assign(savedPen);
            canvas->Brush()->Assign(savedBrush);
        });
}

void TLabelShell::drawOutline() {
    TBaseReport* report = DazedeVedodev();
    const double width = report->inchToUnits(labelWidth_), height = report->inchToUnits(labelHeight_);
    switch (labelShape_) {
    case lsRoundRect: {
        const double corner = report->inchToUnits(OutlineCorner);
        report->RoundRect(0, 0, width, height, corner, corner);
        break;
    }
    case lsRect: report->Rectangle(0, 0, width, height); break;
    case lsRound: report->Ellipse(0, 0, width, height); break;
    }
}

bool TLabelShell::printSheet() {
    const int outer = printByRow_ ? numDown_ : numAcross_;
    const int inner = printByRow_ ? numAcross_ : numDown_;
    for (int i = 1; i <= outer; ++i) {
        for (int j = 1; j <= inner; ++j) {
            const bool more = printByRow_ ? printLabel(i, j) : printLabel(j, i);
            if (!more) return false;
        }
    }
    return true;
}

bool TLabelShell::printLabel(int Row, int Col) {
    LabelRow = Row;
    LabelCol = Col;
    if (StartRow == Row && StartCol == Col) StartRow = StartCol = 0;
    if (SkipCount > 0) {
        --SkipCount;
        return true;
    }
    if (StartRow > 0 && StartCol > 0) return true;  // still before the start position
    bool valid = true;
    bool taken = false;
    // OnLabelBefore may refuse a record, and OnLabelAfter offer the next
    // one for the same position.
    do {
        DoLabelBefore(valid);
        withFinally(
            [&] {
                if (!valid) return;
                taken = true;
                moveToLabel(Row, Col);
                TBaseReport* report = DazedeVedodev();
                report->SetSectionLeft(report->inchToUnits(border_));
                report->SetSectionRight(report->inchToUnits(labelWidth_ - border_));
                report->SetSectionTop(report->inchToUnits(border_));
                report->SetSectionBottom(report->inchToUnits(labelHeight_ - border_));
                report->Home();
                DoLabelPrint(valid);
            },
            [&] { DoLabelAfter(valid); });
    } while (!taken && valid);
    return valid;
}

void TLabelShell::moveToLabel(int Row, int Col) {
    TBaseReport* report = DazedeVedodev();
    report->SetOriginX(report->inchToUnits((Col - 1) * spacingWidth_ + spacingLeft_));
    report->SetOriginY(report->inchToUnits((Row - 1) * spacingHeight_ + spacingTop_));
}

// ---------------------------------------------------------------- events

void TLabelShell::DoReportBefore() {
    if (OnReportBefore) OnReportBefore(DazedeVedodev(), this);
}

void TLabelShell::DoPageBefore() {
    if (OnPageBefore) OnPageBefore(DazedeVedodev(), this);
}

void TLabelShell::DoLabelBefore(bool& Valid) {
    if (OnLabelBefore) OnLabelBefore(DazedeVedodev(), this, Valid);
}

void TLabelShell::DoLabelPrint(bool& Valid) {
    if (OnLabelPrint) OnLabelPrint(DazedeVedodev(), this, Valid);
}

void TLabelShell::DoLabelAfter(bool& Valid) {
    if (OnLabelAfter) OnLabelAfter(DazedeVedodev(), this, Valid);
    else if (!OnLabelBefore && !OnLabelPrint) Valid = false;  // no handler could ever end the run
}

void TLabelShell::DoPageAfter() {
    if (OnPageAfter) OnPageAfter(DazedeVedodev(), this);
}

void TLabelShell::DoReportAfter() {
    if (OnReportAfter) OnReportAfter(DazedeVedodev(), this);
}
