#include "reporting/project/DZCsRpt.h"

#include <algorithm>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"

namespace {

const char* const kCalcNewData = "CalcNewData";
const char* const kCalcInitData = "CalcInitData";

// Trials under way (a trial never starts inside another).
int trialDepth = 0;

// Sets a reference and asks to hear when it goes.
std::vector<std::string> keyFields(const std::string& Keys) {
    std::vector<std::string> fields;
    std::string rest = Keys;
    while (!Trim(rest).empty()) {
        char delimiter = 0;
        std::string token;
        GetToken(rest, "+", delimiter, token);
        if (!token.empty()) fields.push_back(token);
        if (delimiter == 0) break;
    }
    return fields;
}

}  // namespace

bool DuzuTrialRunning() { return trialDepth > 0; }

// ---------------------------------------------------------------------------

void TDuzuCalcPublisher::Subscribe(const std::string& Event, TDuzuCalcListener* Listener) {
    if (Event != kCalcNewData && Event != kCalcInitData)
        RaiseDesignerError("Unknown calculation event \"" + Event + "\".");
    std::vector<TDuzuCalcListener*>& list = subscribers_[Event];
    if (std::find(list.begin(), list.end(), Listener) == list.end()) list.push_back(Listener);
}

void TDuzuCalcPublisher::Unsubscribe(const std::string& Event, TDuzuCalcListener* Listener) {
    auto it = subscribers_.find(Event);
    if (it == subscribers_.end()) return;
    it->second.erase(std::remove(it->second.begin(), it->second.end(), Listener), it->second.end());
}

void TDuzuCalcPublisher::Fire(const std::string& Event, bool HasValue, double Value) {
    if (DuzuTrialRunning()) return;
    auto it = subscribers_.find(Event);
    if (it == subscribers_.end()) return;
    std::vector<TDuzuCalcListener*> listeners = it->second;
    for (TDuzuCalcListener* listener : listeners) listener->CalcNotify(Event, HasValue, Value);
}

void TDuzuBandStyle::Assign(const TPersistent* Source) {
    if (const auto* style = dynamic_cast<const TDuzuBandStyle*>(Source)) {
        printLoc_ = style->printLoc_;
        printOcc_ = style->printOcc_;
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------

TDuzuBand::TDuzuBand(TComponent* AOwner)
    : TDuzuContainerControl(AOwner), bandStyle_(std::make_unique<TDuzuBandStyle>()) {
    SetHeight(0.2);
}

TDuzuBand::~TDuzuBand() = default;

bool TDuzuBand::AcceptParent(const TDuzuComponent* NewParent) const {
    return dynamic_cast<const TDuzuRegion*>(NewParent) != nullptr;
}

void TDuzuBand::SetControllerBand(TDuzuIterateBand* Value) { controllerBand_.set(Value); }

void TDuzuBand::SetGroupDataView(TDuzuProjectItem* Value) { groupDataView_.set(Value); }

std::string TDuzuBand::GroupKeyText() {
    auto* view = dynamic_cast<TDuzuDataView*>(groupDataView_.get());
    std::string key;
    for (const std::string& name : keyFields(groupKey_)) {
        TDuzuDataField* field = view != nullptr ? view->FindField(name) : nullptr;
        if (field == nullptr)
            key += "|" + std::string(kInvalidText);
        else
            key += (view->Eof() ? std::string() : field->AsString()) + "|";
    }
    return key;
}

std::string TDuzuBand::NextGroupKeyText() {
    auto* view = dynamic_cast<TDuzuDataView*>(groupDataView_.get());
    if (view == nullptr) return GroupKeyText();
    TDuzuDataView::TLookAheadMark mark = view->BeginLookAhead();
    std::string key;
    try {
        view->Next();
        key = GroupKeyText();
    } catch (...) {
        view->EndLookAhead(mark);
        throw;
    }
    view->EndLookAhead(mark);
    return key;
}

void TDuzuBand::SaveState() {
    if (saving_) RaiseDesignerError("SaveState called while already saving.");
    savedGroupKey_ = LastGroupKey;
    savedSplitAt_ = splitAt_;
    savePrintState();
    saving_ = true;
}

void TDuzuBand::RestoreState() {
    if (!saving_) RaiseDesignerError("RestoreState called while not saving.");
    saving_ = false;
    LastGroupKey = savedGroupKey_;
    splitAt_ = savedSplitAt_;
    restorePrintState();
}

void TDuzuBand::ResetPrintState() {
    LastGroupKey.clear();
    splitAt_ = 0;
}

std::vector<double> TDuzuBand::cutsBelow(double From) const {
    struct Span {
        double Top, Bottom;
    };
    std::vector<Span> rest;
    std::vector<double> lines;
    for (int i = 0; i < GetChildCount(); ++i) {
        const auto* control = dynamic_cast<const TDuzuControl*>(GetChild(i));
        if (control == nullptr || FloatGreater(From, control->Top())) continue;
        rest.push_back({control->Top(), control->Bottom()});
        lines.push_back(control->Top());
        lines.push_back(control->Bottom());
    }
    std::vector<double> cuts;
    for (double line : lines) {
        if (!FloatGreater(line, From) || !FloatGreater(Height(), line)) continue;
        const bool crosses = std::any_of(rest.begin(), rest.end(), [&](const Span& s) {
            return FloatGreater(line, s.Top) && FloatGreater(s.Bottom, line);
        });
        if (!crosses) cuts.push_back(line);
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

double TDuzuBand::SplitLine(double From, double Space) const {
    double best = 0;
    for (double cut : cutsBelow(From))
        if (!FloatGreater(cut - From, Space)) best = cut;
    return best;
}

double TDuzuBand::FirstSplitLine(double From) const {
    std::vector<double> cuts = cutsBelow(From);
    return cuts.empty() ? 0 : cuts.front();
}

void TDuzuBand::Place(double Left, double Top) {
    placed_ = true;
    grownHeight_ = 0;
    placedLeft_ = Left;
    placedTop_ = Top;
}

double TDuzuBand::PageLeft() const { return placed_ ? placedLeft_ : TDuzuContainerControl::PageLeft(); }

double TDuzuBand::PageTop() const { return placed_ ? placedTop_ : TDuzuContainerControl::PageTop(); }

void TDuzuBand::PrintContents(TBaseReport* Engine, double From, double To) {
    const bool first = From <= 0, last = To >= kWholeBand;
    if (first) OnBeforePrint()->Run();
    selectOutputs(Engine);
    for (int i = 0; i < GetChildCount(); ++i) {
        TDuzuComponent* child = GetChild(i);
        // What is not placed (a calculation) goes with the first part.
        const auto* control = dynamic_cast<const TDuzuControl*>(child);
        const double top = control != nullptr ? control->Top() : 0;
        const bool inPart = (first || !FloatGreater(From, top)) && FloatGreater(To, top);
        if (!inPart) continue;
        child->Print(Engine);
        selectOutputs(Engine);
    }
    if (last) OnAfterPrint()->Run();
}

void TDuzuBand::BeforeReport() {
    TDuzuContainerControl::BeforeReport();
    ResetPrintState();
    placed_ = false;
    saving_ = false;
}

// ---------------------------------------------------------------------------

TDuzuIterateBand::TDuzuIterateBand(TComponent* AOwner) : TDuzuBand(AOwner) {}

void TDuzuIterateBand::ResetPrintState() {
    TDuzuBand::ResetPrintState();
    phase_ = kIdle;
    step_ = 0;
    rowCount_ = 0;
    newRow_ = true;
    widowChecked_ = false;
}

void TDuzuIterateBand::savePrintState() {
    saved_ = {phase_, step_, rowCount_, newRow_, widowChecked_, lineTop_, lineBottom_};
}

void TDuzuIterateBand::restorePrintState() {
    phase_ = saved_.At;
    step_ = saved_.Step;
    rowCount_ = saved_.RowCount;
    newRow_ = saved_.NewRow;
    widowChecked_ = saved_.WidowChecked;
    lineTop_ = saved_.LineTop;
    lineBottom_ = saved_.LineBottom;
}

double TDuzuIterateBand::RowColumnWidth(double RegionColumnWidth) const {
    const double width = Width() > 0 ? Width() : RegionColumnWidth;
    return (width - (columns_ - 1) * columnSpacing_) / columns_;
}

double TDuzuIterateBand::RowColumnLeft(int Column, double RegionColumnWidth) const {
    return (RowColumnWidth(RegionColumnWidth) + columnSpacing_) * (Column - 1);
}

std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> TDuzuIterateBand::rowSteps() const {
    std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> steps;
    auto* region = dynamic_cast<TDuzuRegion*>(Parent());
    if (region == nullptr) return steps;
    for (TBandPrintLoc loc : {plGroupHeader, plRowHeader}) {
        for (TDuzuBand* band : region->BandsAt(this, loc, false)) steps.emplace_back(band, loc);
    }
    steps.emplace_back(const_cast<TDuzuIterateBand*>(this), plMaster);
    for (TBandPrintLoc loc : {plDetail, plRowFooter, plGroupFooter}) {
        for (TDuzuBand* band : region->BandsAt(this, loc, false)) steps.emplace_back(band, loc);
    }
    return steps;
}

TBandResult TDuzuIterateBand::printRow(TDuzuRegion* Region, TBaseReport* Engine) {
    std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> steps = rowSteps();
    for (; step_ < steps.size(); ++step_) {
        auto [band, loc] = steps[step_];
        TBandResult result;
        if (band == this) {
            result = Region->PrintBand(this, plMaster);
        } else if (auto* iterate = dynamic_cast<TDuzuIterateBand*>(band)) {
            result = iterate->PrintBody(Region, Engine);
        } else {
            result = Region->PrintBand(band, loc);
        }
        if (result == TBandResult::Break) return result;
        if (result == TBandResult::BreakAfter) {
            ++step_;
            return TBandResult::Break;
        }
    }
    return TBandResult::Printed;
}

TBandResult TDuzuIterateBand::Reprint(TDuzuRegion* Region, TBaseReport* Engine) {
    (void)Engine;
    std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> again;
    std::vector<TDuzuBand*> headers = Region->BandsAt(this, plBodyHeader, false);
    // Headers not printed yet print in their turn, not here.
    const std::size_t printed = phase_ == kHeaders ? std::min(step_, headers.size()) : headers.size();
    for (std::size_t i = 0; i < printed; ++i) again.emplace_back(headers[i], plBodyHeader);
    if (phase_ == kRows) {
        std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> steps = rowSteps();
        for (std::size_t i = 0; i < steps.size(); ++i) {
            auto [band, loc] = steps[i];
            // A group header that headed the current row's group would not
            // print in its turn; one of a new group will.
            if (loc == plGroupHeader && !band->LastGroupKey.empty() && band->GroupKeyText() == band->LastGroupKey)
                again.emplace_back(band, loc);
            // Row headers only of a row broken after them.
            if (loc == plRowHeader && !newRow_ && i < step_) again.emplace_back(band, loc);
        }
    }
    for (auto [band, loc] : again) {
        if (!Region->PrintsAgain(band, loc)) continue;
        if (Region->PrintBand(band, loc, true) != TBandResult::Printed) return TBandResult::Break;
    }
    return TBandResult::Printed;
}

TBandResult TDuzuIterateBand::PrintBody(TDuzuRegion* Region, TBaseReport* Engine) {
    if (phase_ == kIdle) {
        rowCount_ = 0;
        widowChecked_ = false;
        Fire(kCalcInitData, false, 0);
        StartData();
        phase_ = kHeaders;
        step_ = 0;
        newRow_ = true;
    } else if (Region->FirstInPass()) {
        // Going on after a break: only the region's own repeats printed so far.
        if (Reprint(Region, Engine) != TBandResult::Printed) return TBandResult::Break;
    }
    // Before anything of the body prints: the whole body, or its headers
    // with the first OrphanRows rows, must fit where it stands.
    if (phase_ == kHeaders && step_ == 0 && !Region->FirstInPass() && !DuzuTrialRunning()) {
        bool kept = true;
        if (keepBodyTogether_)
            kept = Region->Trial([&] { return printPhases(Region, Engine, 0); });
        else if (orphanRows_ > 0)
            kept = Region->Trial([&] { return printPhases(Region, Engine, orphanRows_); });
        if (!kept) return TBandResult::Break;
    }
    return printPhases(Region, Engine, 0);
}

bool TDuzuIterateBand::rowMayStartHere(TDuzuRegion* Region, TBaseReport* Engine) {
    if (Region->FirstInPass() || DuzuTrialRunning()) return true;
    // At the first of the last WidowRows rows, they and the footers go on
    // together or not at all; the rows before them stay where they are.
    if (widowRows_ > 0 && !widowChecked_ && rowCount_ > 0) {
        const bool lastRows =
            (maxRows_ > 0 && maxRows_ - rowCount_ <= widowRows_) || !RowsRemainAfter(widowRows_);
        if (lastRows) {
            widowChecked_ = true;
            if (!Region->Trial([&] { return printPhases(Region, Engine, 0); })) return false;
        }
    }
    if (keepRowTogether_ && !Region->Trial([&] { return printRowInColumn(Region, Engine); })) return false;
    return true;
}

TBandResult TDuzuIterateBand::printRowInColumn(TDuzuRegion* Region, TBaseReport* Engine) {
    if (columns_ <= 1) return printRow(Region, Engine);
    const int column = rowCount_ % columns_ + 1;
    if (step_ == 0) {
        // A line of row columns starts at the position; its other columns
        // print at the same height.
        if (column == 1 || Region->FirstInPass()) {
            lineTop_ = lineBottom_ = Region->PrintPosition();
        } else {
            Region->SetPrintPosition(lineTop_);
        }
    }
    Region->SetRowColumnOffset(RowColumnLeft(column, Region->ColumnWidth()));
    TBandResult result;
    try {
        result = printRow(Region, Engine);
    } catch (...) {
        Region->SetRowColumnOffset(0);
        throw;
    }
    Region->SetRowColumnOffset(0);
    if (result == TBandResult::Printed) {
        // What follows the line starts below its tallest row.
        lineBottom_ = std::max(lineBottom_, Region->PrintPosition());
        Region->SetPrintPosition(lineBottom_);
    }
    return result;
}

TBandResult TDuzuIterateBand::printPhases(TDuzuRegion* Region, TBaseReport* Engine, int RowLimit) {
    if (phase_ == kHeaders) {
        std::vector<TDuzuBand*> headers = Region->BandsAt(this, plBodyHeader, false);
        for (; step_ < headers.size(); ++step_) {
            TBandResult result = headers[step_]->PrintsOn(poFirst) ? Region->PrintBand(headers[step_], plBodyHeader)
                                                                  : TBandResult::Printed;
            if (result == TBandResult::BreakAfter) ++step_;
            if (result != TBandResult::Printed) return TBandResult::Break;
        }
        phase_ = kRows;
        step_ = 0;
    }
    if (phase_ == kRows) {
        int rows = 0;
        while (!AtEnd()) {
            if (newRow_) {
                if (!rowMayStartHere(Region, Engine)) return TBandResult::Break;
                Fire(kCalcNewData, false, 0);
                newRow_ = false;
            }
            if (printRowInColumn(Region, Engine) != TBandResult::Printed) return TBandResult::Break;
            ++rowCount_;
            ++rows;
            step_ = 0;
            newRow_ = true;
            if (maxRows_ > 0 && rowCount_ >= maxRows_) break;
            NextRow();
            // An orphan trial is complete once its rows printed.
            if (RowLimit > 0 && rows >= RowLimit && !AtEnd()) return TBandResult::Printed;
        }
        phase_ = kFooters;
        step_ = 0;
    }
    std::vector<TDuzuBand*> footers = Region->BandsAt(this, plBodyFooter, false);
    for (; step_ < footers.size(); ++step_) {
        TBandResult result = Region->PrintBand(footers[step_], plBodyFooter);
        if (result == TBandResult::BreakAfter) ++step_;
        if (result != TBandResult::Printed) return TBandResult::Break;
    }
    phase_ = kIdle;
    step_ = 0;
    return TBandResult::Printed;
}

// ---------------------------------------------------------------------------

TDuzuDataView* TDuzuViewLink::view() const { return dynamic_cast<TDuzuDataView*>(dataView_.get()); }

void TDuzuViewLink::SetDataView(TDuzuProjectItem* Value) { dataView_.set(Value); }

void TDuzuViewLink::SetMasterDataView(TDuzuProjectItem* Value) { masterDataView_.set(Value); }

void TDuzuViewLink::linkView(TDuzuDataView* View, bool InitToFirst) const {
    if (auto* master = dynamic_cast<TDuzuDataView*>(masterDataView_.get())) {
        View->LinkTo(master, sortKey_, detailKey_, masterKey_);
        return;
    }
    if (!Trim(sortKey_).empty()) View->SetSort(keyFields(sortKey_));
    if (InitToFirst) View->First();
}

// ---------------------------------------------------------------------------

void TDuzuDataBand::StartData() {
    if (TDuzuDataView* v = view()) linkView(v, InitToFirst());
}

bool TDuzuDataBand::RowsRemainAfter(int Count) {
    TDuzuDataView* v = view();
    return v != nullptr && v->Skip(Count);
}

void TDuzuDataBand::savePrintState() {
    TDuzuIterateBand::savePrintState();
    marks_.clear();
    // A view not opened yet has no place to keep: it is linked when its band starts.
    if (TDuzuDataView* v = view(); v != nullptr && v->IsActive()) marks_.push_back(v->BeginLookAhead());
}

void TDuzuDataBand::restorePrintState() {
    TDuzuIterateBand::restorePrintState();
    if (!marks_.empty() && view() != nullptr) view()->EndLookAhead(marks_.back());
    marks_.clear();
}

void TDuzuDataBand::NextRow() {
    if (view() != nullptr) view()->Next();
}

bool TDuzuDataBand::AtEnd() {
    TDuzuDataView* v = view();
    if (v == nullptr) return true;
    v->Open();
    return v->Eof();
}

// ---------------------------------------------------------------------------

TDuzuRegion::TDuzuRegion(TComponent* AOwner) : TDuzuContainerControl(AOwner) {}

double TDuzuRegion::ColumnWidth() const {
    return (Width() - (columns_ - 1) * columnSpacing_) / columns_;
}

double TDuzuRegion::SpaceLeft() const { return TDuzuContainerControl::PageTop() + Height() - y_; }

void TDuzuRegion::BeforeReport() {
    TDuzuContainerControl::BeforeReport();
    finished_ = false;
    resumeIndex_ = 0;
    column_ = 1;
}

void TDuzuRegion::Restart() {
    finished_ = false;
    resumeIndex_ = 0;
    column_ = 1;
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* band = dynamic_cast<TDuzuBand*>(GetChild(i))) band->ResetPrintState();
}

bool TDuzuRegion::Trial(const std::function<TBandResult()>& Body) {
    std::vector<TDuzuBand*> bands;
    for (int i = 0; i < GetChildCount(); ++i)
        if (auto* band = dynamic_cast<TDuzuBand*>(GetChild(i))) bands.push_back(band);
    const double savedY = y_, savedOffset = rowColumnOffset_;
    const bool savedPassStart = passStart_, savedPrinted = printedInPass_;
    for (TDuzuBand* band : bands) band->SaveState();
    ++trialDepth;
    trialBroke_ = false;
    const bool wasSuppressed = engine_ != nullptr && engine_->SuppressPageOutput(true);
    auto restore = [&] {
        if (engine_ != nullptr) engine_->SuppressPageOutput(wasSuppressed);
        --trialDepth;
        // Views shared by bands were marked in band order: back in reverse.
        for (auto it = bands.rbegin(); it != bands.rend(); ++it) (*it)->RestoreState();
        y_ = savedY;
        rowColumnOffset_ = savedOffset;
        passStart_ = savedPassStart;
        printedInPass_ = savedPrinted;
    };
    try {
        Body();
    } catch (...) {
        try {
            restore();
        } catch (...) {
        }
        throw;
    }
    const bool complete = !trialBroke_;
    restore();
    return complete;
}

std::vector<TDuzuBand*> TDuzuRegion::BandsAt(const TDuzuIterateBand* Controller, TBandPrintLoc Loc,
                                             bool OwnPass) const {
    std::vector<TDuzuBand*> bands;
    for (int i = 0; i < GetChildCount(); ++i) {
        auto* band = dynamic_cast<TDuzuBand*>(GetChild(i));
        if (band == nullptr || band->ControllerBand() != Controller) continue;
        if (OwnPass || band->PrintsAt(Loc)) bands.push_back(band);
    }
    return bands;
}

TBandResult TDuzuRegion::PrintBand(TDuzuBand* Band, TBandPrintLoc Loc, bool Reprint) {
    if (!Band->Printable()) return TBandResult::Printed;
    // The rest of a split band goes on where the break left it: its group
    // and new-page rules were met when it began.
    const bool continuing = Band->Continuing() && !Reprint;
    std::string key;
    if (!continuing) {
        if (Loc == plGroupHeader && !Reprint) {
            key = Band->GroupKeyText();
            if (key == Band->LastGroupKey) return TBandResult::Printed;
        } else if (Loc == plGroupFooter) {
            if (Band->NextGroupKeyText() == Band->GroupKeyText()) return TBandResult::Printed;
        }
        if (Band->StartNewPage() && !passStart_ && !Reprint) return breakBefore();
    }
    const double from = continuing ? Band->SplitAt() : 0;
    const bool absolute = Band->PositionMode() == pmAbsolute;
    const double offset = absolute || continuing ? 0 : Band->PositionValue();
    const bool fits = absolute || !FloatGreater(offset + Band->Height() - from + Band->MinHeightLeft(), SpaceLeft());
    // Where a band that does not fit is cut; 0 prints the rest whole.
    double cut = 0;
    if (!fits && Band->AllowSplit() && !absolute && !Reprint) {
        cut = Band->SplitLine(from, SpaceLeft() - offset);
        // First in its pass a band moves on by at least its first child,
        // or every page would break before it.
        if (cut == 0 && FirstInPass()) cut = Band->FirstSplitLine(from);
    }
    // Below bands printed again on a new page a band too tall for the page
    // prints anyway, or every page would break before it.
    if (!fits && cut == 0 && !FirstInPass()) return breakBefore();
    double columnLeft = TDuzuContainerControl::PageLeft() + (column_ - 1) * (ColumnWidth() + columnSpacing_) +
                        rowColumnOffset_;
    double top = absolute ? TDuzuContainerControl::PageTop() + Band->PositionValue() : y_ + offset;
    // Children print relative to the band's top; the rest of a split band
    // moves up by what printed before.
    Band->Place(columnLeft, top - from);
    Band->PrintContents(engine_, from, cut > 0 ? cut : TDuzuBand::kWholeBand);
    Band->Unplace();
    const double bottom = cut > 0 ? top - from + cut : top - from + Band->PrintedHeight();
    if (absolute)
        y_ = std::max(y_, bottom);
    else if (Band->PositionMode() == pmOffset)
        y_ = bottom;
    passStart_ = false;
    if (!Reprint) printedInPass_ = true;
    if (Loc == plGroupHeader && !Reprint && !continuing) Band->LastGroupKey = key;
    if (cut > 0) {
        // The rest follows after the break; a keep-together trial fails on it.
        Band->SetSplitAt(cut);
        trialBroke_ = true;
        return TBandResult::Break;
    }
    Band->SetSplitAt(0);
    return Band->FinishNewPage() && !Reprint ? TBandResult::BreakAfter : TBandResult::Printed;
}

TBandPrintOcc TDuzuRegion::ReprintOccasion() const { return NewColumnPass() ? poNewColumn : poNewPage; }

bool TDuzuRegion::PrintsAgain(const TDuzuBand* Band, TBandPrintLoc Loc) const {
    return dynamic_cast<const TDuzuIterateBand*>(Band) == nullptr && !Band->Continuing() &&
           Band->PrintsOn(ReprintOccasion()) && (Band->ReprintLocs() & locBit(Loc)) != 0;
}

void TDuzuRegion::reprintOwnBands(const std::vector<TDuzuBand*>& Bands) {
    // Only a pass that goes on after a break repeats what came before it.
    for (std::size_t i = 0; i < resumeIndex_ && i < Bands.size(); ++i)
        if (PrintsAgain(Bands[i], plMaster)) PrintBand(Bands[i], plMaster, true);
}

void TDuzuRegion::Print(TBaseReport* Engine) {
    if (!IsPrintable() || finished_) return;
    engine_ = Engine;
    TDuzuComponent* savedRegion = PrintingRegion;
    PrintingRegion = this;
    try {
        for (column_ = 1; column_ <= columns_; ++column_) {
            y_ = TDuzuContainerControl::PageTop();
            passStart_ = true;
            printedInPass_ = false;
            rowColumnOffset_ = 0;
            std::vector<TDuzuBand*> bands = BandsAt(nullptr, plMaster, true);
            reprintOwnBands(bands);
            bool broke = false;
            for (; resumeIndex_ < bands.size(); ++resumeIndex_) {
                TDuzuBand* band = bands[resumeIndex_];
                TBandResult result;
                if (auto* iterate = dynamic_cast<TDuzuIterateBand*>(band))
                    result = iterate->PrintBody(this, Engine);
                else if (band->PrintsOn(poFirst) || band->Continuing())
                    result = PrintBand(band, plMaster);
                else
                    result = TBandResult::Printed;  // only for new pages or columns
                if (result == TBandResult::Printed) continue;
                if (result == TBandResult::BreakAfter) ++resumeIndex_;
                broke = true;
                break;
            }
            if (!broke) {
                finished_ = true;
                break;
            }
        }
    } catch (...) {
        PrintingRegion = savedRegion;
        column_ = 1;
        throw;
    }
    PrintingRegion = savedRegion;
    column_ = 1;
    // Anchored children print as the page prints them.
    for (int i = 0; i < GetChildCount(); ++i)
        if (dynamic_cast<TDuzuBand*>(GetChild(i)) == nullptr) GetChild(i)->Print(Engine);
}

// ---------------------------------------------------------------------------

namespace {

void restartRegions(TDuzuComponent* Component) {
    for (int i = 0; i < Component->GetChildCount(); ++i) {
        TDuzuComponent* child = Component->GetChild(i);
        if (auto* region = dynamic_cast<TDuzuRegion*>(child)) region->Restart();
        restartRegions(child);
    }
}

}  // namespace

void TDuzuDataCycle::BeforeReport() {
    TDuzuComponent::BeforeReport();
    started_ = false;
    rowCount_ = 0;
}

void TDuzuDataCycle::start(TDuzuDataView* View) {
    rowCount_ = 0;
    linkView(View, initToFirst_);
    View->Open();
}

bool TDuzuDataCycle::pageDone() const {
    TDuzuComponent* page = Parent();
    if (page == nullptr) return true;
    for (int i = 0; i < page->GetChildCount(); ++i) {
        TDuzuComponent* child = page->GetChild(i);
        if (child != this && !child->IsDone()) return false;
    }
    return true;
}

void TDuzuDataCycle::Print(TBaseReport* Engine) {
    (void)Engine;
    TDuzuDataView* v = view();
    if (v == nullptr || !IsPrintable()) return;
    if (started_ && !pageDone()) return;  // the page goes on with the same row
    if (!started_ || IsDone()) {
        // A page printed again after its rows ran out starts over, linked
        // to the master's row of now.
        start(v);
        started_ = true;
    } else {
        v->Next();
    }
    if (TDuzuComponent* page = Parent()) restartRegions(page);
    if (!v->Eof()) ++rowCount_;
}

bool TDuzuDataCycle::IsDone() const {
    TDuzuDataView* v = view();
    if (v == nullptr || !started_ || v->Eof()) return true;
    if (maxRows_ > 0 && rowCount_ >= maxRows_) return true;
    return v->Peek();
}

// ---------------------------------------------------------------------------

namespace {

using namespace duzu_props;

// The published properties of a view link, as class C has them.
template <class C>
std::vector<TDuzuPropInfo> viewLinkProperties() {
    return {object<C, TDuzuProjectItem>("DataView", &C::DataView, &C::SetDataView),
            string<C>("DetailKey", &C::DetailKey, &C::SetDetailKey),
            object<C, TDuzuProjectItem>("MasterDataView", &C::MasterDataView, &C::SetMasterDataView),
            string<C>("MasterKey", &C::MasterKey, &C::SetMasterKey),
            string<C>("SortKey", &C::SortKey, &C::SetSortKey)};
}

const std::vector<std::string> kPrintLocNames = {"plBodyHeader", "plGroupHeader", "plRowHeader", "plMaster",
                                                 "plDetail",     "plRowFooter",   "plGroupFooter", "plBodyFooter"};

void registerBandClasses() {
    RegisterDuzuClassInfo(
        {"TDuzuBandStyle", "",
         {setMembers<TDuzuBandStyle>("PrintLoc", &TDuzuBandStyle::PrintLoc, &TDuzuBandStyle::SetPrintLoc, kPrintLocNames,
                                     0),
          setMembers<TDuzuBandStyle>("PrintOcc", &TDuzuBandStyle::PrintOcc, &TDuzuBandStyle::SetPrintOcc,
                                     {"poFirst", "poNewPage", "poNewColumn"}, occBit(poFirst))},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuRegion", "TDuzuContainerControl",
         {integer<TDuzuRegion>("Columns", &TDuzuRegion::Columns, &TDuzuRegion::SetColumns, 1),
          floating<TDuzuRegion>("ColumnSpacing", &TDuzuRegion::ColumnSpacing, &TDuzuRegion::SetColumnSpacing)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuBand", "TDuzuContainerControl",
         {boolean<TDuzuBand>("AllowSplit", &TDuzuBand::AllowSplit, &TDuzuBand::SetAllowSplit, false),
          object<TDuzuBand, TDuzuBandStyle>("BandStyle", &TDuzuBand::BandStyle, &TDuzuBand::SetBandStyle),
          object<TDuzuBand, TDuzuIterateBand>("ControllerBand", &TDuzuBand::ControllerBand,
                                              &TDuzuBand::SetControllerBand),
          boolean<TDuzuBand>("DesignerHide", &TDuzuBand::DesignerHide, &TDuzuBand::SetDesignerHide, false),
          boolean<TDuzuBand>("FinishNewPage", &TDuzuBand::FinishNewPage, &TDuzuBand::SetFinishNewPage, false),
          object<TDuzuBand, TDuzuProjectItem>("GroupDataView", &TDuzuBand::GroupDataView,
                                              &TDuzuBand::SetGroupDataView),
          string<TDuzuBand>("GroupKey", &TDuzuBand::GroupKey, &TDuzuBand::SetGroupKey),
          floating<TDuzuBand>("MinHeightLeft", &TDuzuBand::MinHeightLeft, &TDuzuBand::SetMinHeightLeft),
          enumeration<TDuzuBand>("PositionMode", &TDuzuBand::PositionMode, &TDuzuBand::SetPositionMode,
                                 {"pmOffset", "pmOverlay", "pmAbsolute"}, pmOffset),
          floating<TDuzuBand>("PositionValue", &TDuzuBand::PositionValue, &TDuzuBand::SetPositionValue),
          setMembers<TDuzuBand>("ReprintLocs", &TDuzuBand::ReprintLocs, &TDuzuBand::SetReprintLocs, kPrintLocNames,
                                kAllPrintLocs),
          boolean<TDuzuBand>("StartNewPage", &TDuzuBand::StartNewPage, &TDuzuBand::SetStartNewPage, false)},
         {}});
    RegisterDuzuClassInfo(
        {"TDuzuIterateBand", "TDuzuBand",
         {integer<TDuzuIterateBand>("Columns", &TDuzuIterateBand::Columns, &TDuzuIterateBand::SetColumns, 1),
          floating<TDuzuIterateBand>("ColumnSpacing", &TDuzuIterateBand::ColumnSpacing,
                                     &TDuzuIterateBand::SetColumnSpacing),
          boolean<TDuzuIterateBand>("KeepBodyTogether", &TDuzuIterateBand::KeepBodyTogether,
                                    &TDuzuIterateBand::SetKeepBodyTogether, false),
          boolean<TDuzuIterateBand>("KeepRowTogether", &TDuzuIterateBand::KeepRowTogether,
                                    &TDuzuIterateBand::SetKeepRowTogether, false),
          integer<TDuzuIterateBand>("MaxRows", &TDuzuIterateBand::MaxRows, &TDuzuIterateBand::SetMaxRows, 0),
          boolean<TDuzuIterateBand>("InitToFirst", &TDuzuIterateBand::InitToFirst, &TDuzuIterateBand::SetInitToFirst,
                                    true),
          integer<TDuzuIterateBand>("OrphanRows", &TDuzuIterateBand::OrphanRows, &TDuzuIterateBand::SetOrphanRows, 0),
          integer<TDuzuIterateBand>("WidowRows", &TDuzuIterateBand::WidowRows, &TDuzuIterateBand::SetWidowRows, 0)},
         {}});
    RegisterDuzuClassInfo({"TDuzuDataBand", "TDuzuIterateBand", viewLinkProperties<TDuzuDataBand>(), {}});
    std::vector<TDuzuPropInfo> cycleProperties = viewLinkProperties<TDuzuDataCycle>();
    cycleProperties.push_back(boolean<TDuzuDataCycle>("InitToFirst", &TDuzuDataCycle::InitToFirst,
                                                      &TDuzuDataCycle::SetInitToFirst, true));
    cycleProperties.push_back(
        integer<TDuzuDataCycle>("MaxRows", &TDuzuDataCycle::MaxRows, &TDuzuDataCycle::SetMaxRows, 0));
    RegisterDuzuClassInfo({"TDuzuDataCycle", "TDuzuComponent", std::move(cycleProperties), {}});
    RegisterClasses<TDuzuBandStyle, TDuzuRegion, TDuzuBand, TDuzuIterateBand, TDuzuDataBand, TDuzuDataCycle>();
}

}  // namespace

void DuzuRegisterBandClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterDataClasses();
        registerBandClasses();
    });
}
