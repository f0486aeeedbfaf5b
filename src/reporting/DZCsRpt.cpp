#include "reporting/DZCsRpt.h"

#include <algorithm>
#include <mutex>

#include "base/SysUtils.h"
#include "reporting/DZData.h"
#include "reporting/DesignerUtils.h"
#include "reporting/DuzuProperties.h"
#include "reporting/RSBase.h"

namespace {

const char* const kCalcNewData = "CalcNewData";
const char* const kCalcInitData = "CalcInitData";

// Sets a reference and asks to hear when it goes.
template <class T>
void setReference(TComponent* Self, T*& Field, T* Value) {
    if (Field != nullptr) Field->RemoveFreeNotification(Self);
    Field = Value;
    if (Field != nullptr) Field->FreeNotification(Self);
}

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

void TDuzuBand::SetControllerBand(TDuzuIterateBand* Value) { setReference<TDuzuIterateBand>(this, controllerBand_, Value); }

void TDuzuBand::SetGroupDataView(TDuzuProjectItem* Value) { setReference(this, groupDataView_, Value); }

void TDuzuBand::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuContainerControl::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == controllerBand_) controllerBand_ = nullptr;
    if (AComponent == groupDataView_) groupDataView_ = nullptr;
}

std::string TDuzuBand::GroupKeyText() {
    auto* view = dynamic_cast<TDuzuDataView*>(groupDataView_);
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
    auto* view = dynamic_cast<TDuzuDataView*>(groupDataView_);
    if (view == nullptr) return GroupKeyText();
    view->SaveState();
    std::string key;
    try {
        view->Next();
        key = GroupKeyText();
    } catch (...) {
        view->RestoreState();
        throw;
    }
    view->RestoreState();
    return key;
}

void TDuzuBand::Place(double Left, double Top) {
    placed_ = true;
    grownHeight_ = 0;
    placedLeft_ = Left;
    placedTop_ = Top;
}

double TDuzuBand::PageLeft() const { return placed_ ? placedLeft_ : TDuzuContainerControl::PageLeft(); }

double TDuzuBand::PageTop() const { return placed_ ? placedTop_ : TDuzuContainerControl::PageTop(); }

void TDuzuBand::PrintContents(TBaseReport* Engine) {
    OnBeforePrint()->Run();
    selectOutputs(Engine);
    for (int i = 0; i < GetChildCount(); ++i) {
        GetChild(i)->Print(Engine);
        selectOutputs(Engine);
    }
    OnAfterPrint()->Run();
}

void TDuzuBand::BeforeReport() {
    TDuzuContainerControl::BeforeReport();
    LastGroupKey.clear();
    placed_ = false;
}

// ---------------------------------------------------------------------------

TDuzuIterateBand::TDuzuIterateBand(TComponent* AOwner) : TDuzuBand(AOwner) {}

void TDuzuIterateBand::BeforeReport() {
    TDuzuBand::BeforeReport();
    phase_ = kIdle;
    step_ = 0;
    rowCount_ = 0;
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
    for (TDuzuBand* band : Region->BandsAt(this, plBodyHeader, false)) {
        if (!band->PrintsOn(poNewPage) || (band->ReprintLocs() & LocBit(plBodyHeader)) == 0) continue;
        if (Region->PrintBand(band, plBodyHeader, true) != TBandResult::Printed) return TBandResult::Break;
    }
    return TBandResult::Printed;
}

TBandResult TDuzuIterateBand::PrintBody(TDuzuRegion* Region, TBaseReport* Engine) {
    if (phase_ == kIdle) {
        rowCount_ = 0;
        Fire(kCalcInitData, false, 0);
        StartData();
        phase_ = kHeaders;
        step_ = 0;
        newRow_ = true;
    } else if (Region->PassStart()) {
        if (Reprint(Region, Engine) != TBandResult::Printed) return TBandResult::Break;
    }
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
        while (!AtEnd()) {
            if (newRow_) {
                Fire(kCalcNewData, false, 0);
                newRow_ = false;
            }
            if (printRow(Region, Engine) != TBandResult::Printed) return TBandResult::Break;
            ++rowCount_;
            step_ = 0;
            newRow_ = true;
            if (maxRows_ > 0 && rowCount_ >= maxRows_) break;
            NextRow();
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

TDuzuDataView* TDuzuDataBand::view() const { return dynamic_cast<TDuzuDataView*>(dataView_); }

void TDuzuDataBand::SetDataView(TDuzuProjectItem* Value) { setReference(this, dataView_, Value); }

void TDuzuDataBand::SetMasterDataView(TDuzuProjectItem* Value) { setReference(this, masterDataView_, Value); }

void TDuzuDataBand::Notification(TComponent* AComponent, TOperation Operation) {
    TDuzuIterateBand::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    if (AComponent == dataView_) dataView_ = nullptr;
    if (AComponent == masterDataView_) masterDataView_ = nullptr;
}

void TDuzuDataBand::StartData() {
    TDuzuDataView* v = view();
    if (v == nullptr) return;
    auto* master = dynamic_cast<TDuzuDataView*>(masterDataView_);
    if (master != nullptr) {
        v->LinkTo(master, sortKey_, detailKey_, masterKey_);
        return;
    }
    if (!Trim(sortKey_).empty()) v->SetSort(keyFields(sortKey_));
    if (InitToFirst()) v->First();
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
    resuming_ = false;
    resumeIndex_ = 0;
    column_ = 1;
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
    std::string key;
    if (Loc == plGroupHeader && !Reprint) {
        key = Band->GroupKeyText();
        if (key == Band->LastGroupKey) return TBandResult::Printed;
    } else if (Loc == plGroupFooter) {
        if (Band->NextGroupKeyText() == Band->GroupKeyText()) return TBandResult::Printed;
    }
    if (Band->StartNewPage() && !passStart_ && !Reprint) return TBandResult::Break;
    double height = Band->Height();
    double offset = Band->PositionMode() == pmAbsolute ? 0 : Band->PositionValue();
    bool fits = Band->PositionMode() == pmAbsolute ||
                !FloatGreater(offset + height + Band->MinHeightLeft(), SpaceLeft());
    if (!fits && !passStart_ && !Band->AllowSplit()) return TBandResult::Break;
    double columnLeft = TDuzuContainerControl::PageLeft() + (column_ - 1) * (ColumnWidth() + columnSpacing_);
    double top = Band->PositionMode() == pmAbsolute ? TDuzuContainerControl::PageTop() + Band->PositionValue()
                                                    : y_ + offset;
    Band->Place(columnLeft, top);
    Band->PrintContents(engine_);
    Band->Unplace();
    height = Band->PrintedHeight();
    if (Band->PositionMode() == pmAbsolute)
        y_ = std::max(y_, top + height);
    else if (Band->PositionMode() == pmOffset)
        y_ = top + height;
    passStart_ = false;
    if (Loc == plGroupHeader) Band->LastGroupKey = key;
    return Band->FinishNewPage() ? TBandResult::BreakAfter : TBandResult::Printed;
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
            std::vector<TDuzuBand*> bands = BandsAt(nullptr, plMaster, true);
            bool broke = false;
            for (; resumeIndex_ < bands.size(); ++resumeIndex_) {
                TDuzuBand* band = bands[resumeIndex_];
                TBandResult result;
                if (auto* iterate = dynamic_cast<TDuzuIterateBand*>(band))
                    result = iterate->PrintBody(this, Engine);
                else
                    result = PrintBand(band, plMaster);
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

using namespace duzu_props;

const std::vector<std::string> kPrintLocNames = {"plBodyHeader", "plGroupHeader", "plRowHeader", "plMaster",
                                                 "plDetail",     "plRowFooter",   "plGroupFooter", "plBodyFooter"};


TDuzuPropInfo setProp(TDuzuPropInfo Prop, std::vector<std::string> Names, std::int64_t Default) {
    Prop.Names = std::move(Names);
    Prop.HasDefault = true;
    Prop.Default = Default;
    return Prop;
}

void registerBandClasses() {
    RegisterDuzuClassInfo(
        {"TDuzuBandStyle", "",
         {setProp(ordinal<TDuzuBandStyle>("PrintLoc", pkSet, &TDuzuBandStyle::PrintLoc, &TDuzuBandStyle::SetPrintLoc),
                  kPrintLocNames, 0),
          setProp(ordinal<TDuzuBandStyle>("PrintOcc", pkSet, &TDuzuBandStyle::PrintOcc, &TDuzuBandStyle::SetPrintOcc),
                  {"poFirst", "poNewPage", "poNewColumn"}, OccBit(poFirst))},
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
          setProp(ordinal<TDuzuBand>("ReprintLocs", pkSet, &TDuzuBand::ReprintLocs, &TDuzuBand::SetReprintLocs),
                  kPrintLocNames, kAllPrintLocs),
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
    RegisterDuzuClassInfo(
        {"TDuzuDataBand", "TDuzuIterateBand",
         {object<TDuzuDataBand, TDuzuProjectItem>("DataView", &TDuzuDataBand::DataView, &TDuzuDataBand::SetDataView),
          string<TDuzuDataBand>("DetailKey", &TDuzuDataBand::DetailKey, &TDuzuDataBand::SetDetailKey),
          object<TDuzuDataBand, TDuzuProjectItem>("MasterDataView", &TDuzuDataBand::MasterDataView,
                                                  &TDuzuDataBand::SetMasterDataView),
          string<TDuzuDataBand>("MasterKey", &TDuzuDataBand::MasterKey, &TDuzuDataBand::SetMasterKey),
          string<TDuzuDataBand>("SortKey", &TDuzuDataBand::SortKey, &TDuzuDataBand::SetSortKey)},
         {}});
    RegisterClasses<TDuzuBandStyle, TDuzuRegion, TDuzuBand, TDuzuIterateBand, TDuzuDataBand>();
}

}  // namespace

void DuzuRegisterBandClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterDataClasses();
        registerBandClasses();
    });
}
