#pragma once
// The banded layout of report projects. A region on a page fills its
// columns with bands: a band prints its children at the region's current
// position when its place (PrintLoc) and occasion (PrintOcc) come, and an
// iterate band repeats its row bands once per data row. A band that does not
// fit ends the column or page; the region picks up there the next time its
// page prints. There the bands marked for a new page (poNewPage) or a new
// column of the region (poNewColumn), whose place is in their ReprintLocs,
// print again first: the region's own bands above the one it resumes at,
// then the body headers, the current group's headers and, in the middle of
// a row, its row headers. Footers and rows never print twice.
// A band with AllowSplit that does not fit is cut at the lowest line above
// the region's bottom that crosses none of its children: the children above
// the cut print now, the others after the break, moved up by the cut. A band
// with no such line moves whole, unless it stands first in its pass, where
// it is cut below its first child (or prints whole) so that every page moves on.
// Group headers print when their key changes; group footers when the next
// row (read ahead through the view's look-ahead) starts another group.
// Iterate bands tell the calculations that subscribe to them of each new
// row ("CalcNewData") and of each start ("CalcInitData").
//
// Keep-together, orphan and widow rules try a body or a row before it
// prints: the trial lays it out with the engine's output suppressed, then
// puts back the region's position, every band's print state and the data
// views' look-ahead, so the rows tried are read again from memory. Trials
// do not nest, and calculations neither count nor reset during one.
// An iterate band with Columns above 1 prints its rows side by side; a data
// cycle repeats its page once per row of its view.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "reporting/project/DZClass.h"
#include "reporting/project/DZData.h"

class TDuzuDataView;
class TDuzuIterateBand;
class TDuzuRegion;

enum TBandPrintLoc {
    plBodyHeader, plGroupHeader, plRowHeader, plMaster, plDetail, plRowFooter, plGroupFooter, plBodyFooter
};
// Bit n stands for the location of value n.
using TBandPrintLocSet = std::uint8_t;
enum TBandPrintOcc { poFirst, poNewPage, poNewColumn };
using TBandPrintOccSet = std::uint8_t;
enum TBandPositionMode { pmOffset, pmOverlay, pmAbsolute };

constexpr std::uint8_t locBit(TBandPrintLoc Loc) { return static_cast<std::uint8_t>(1u << Loc); }
constexpr std::uint8_t occBit(TBandPrintOcc Occ) { return static_cast<std::uint8_t>(1u << Occ); }
constexpr TBandPrintLocSet kAllPrintLocs = 0xFF;

// Told of a controller's calculation events; HasValue is false when the
// event carries no start value.
class TDuzuCalcListener {
public:
    virtual ~TDuzuCalcListener() = default;
    virtual void CalcNotify(const std::string& Event, bool HasValue, double Value) = 0;
};

// True while a band or a body is being tried: calculations keep their
// values and nothing is handed on.
bool DuzuTrialRunning();

// Keeps the subscribers of "CalcNewData" and "CalcInitData"; nothing is
// fired during a trial.
class TDuzuCalcPublisher {
public:
    virtual ~TDuzuCalcPublisher() = default;
    // Any other event name raises EDuzuException.
    void Subscribe(const std::string& Event, TDuzuCalcListener* Listener);
    void Unsubscribe(const std::string& Event, TDuzuCalcListener* Listener);
    void Fire(const std::string& Event, bool HasValue, double Value);

private:
    std::map<std::string, std::vector<TDuzuCalcListener*>> subscribers_;
};

class TDuzuBandStyle : public TPersistent {
public:
    std::int64_t PrintLoc() const { return printLoc_; }
    void SetPrintLoc(std::int64_t Value) { printLoc_ = static_cast<TBandPrintLocSet>(Value); }
    std::int64_t PrintOcc() const { return printOcc_; }
    void SetPrintOcc(std::int64_t Value) { printOcc_ = static_cast<TBandPrintOccSet>(Value); }
    void Assign(const TPersistent* Source) override;

private:
    TBandPrintLocSet printLoc_ = 0;
    TBandPrintOccSet printOcc_ = occBit(poFirst);
};

class TDuzuBand : public TDuzuContainerControl {
public:
    explicit TDuzuBand(TComponent* AOwner);
    ~TDuzuBand() override;

    bool AllowSplit() const { return allowSplit_; }
    void SetAllowSplit(bool Value) { allowSplit_ = Value; }
    TDuzuBandStyle* BandStyle() const { return bandStyle_.get(); }
    void SetBandStyle(TDuzuBandStyle* Value) { bandStyle_->Assign(Value); }
    TDuzuIterateBand* ControllerBand() const { return controllerBand_; }
    void SetControllerBand(TDuzuIterateBand* Value);
    bool DesignerHide() const { return designerHide_; }
    void SetDesignerHide(bool Value) { designerHide_ = Value; }
    bool FinishNewPage() const { return finishNewPage_; }
    void SetFinishNewPage(bool Value) { finishNewPage_ = Value; }
    TDuzuProjectItem* GroupDataView() const { return groupDataView_; }
    void SetGroupDataView(TDuzuProjectItem* Value);
    const std::string& GroupKey() const { return groupKey_; }
    void SetGroupKey(const std::string& Value) { groupKey_ = Value; }
    double MinHeightLeft() const { return minHeightLeft_; }
    void SetMinHeightLeft(double Value) { minHeightLeft_ = Value; }
    TBandPositionMode PositionMode() const { return positionMode_; }
    void SetPositionMode(TBandPositionMode Value) { positionMode_ = Value; }
    double PositionValue() const { return positionValue_; }
    void SetPositionValue(double Value) { positionValue_ = Value; }
    std::int64_t ReprintLocs() const { return reprintLocs_; }
    void SetReprintLocs(std::int64_t Value) { reprintLocs_ = static_cast<TBandPrintLocSet>(Value); }
    bool StartNewPage() const { return startNewPage_; }
    void SetStartNewPage(bool Value) { startNewPage_ = Value; }

    bool PrintsAt(TBandPrintLoc Loc) const { return (bandStyle_->PrintLoc() & locBit(Loc)) != 0; }
    bool PrintsOn(TBandPrintOcc Occ) const { return (bandStyle_->PrintOcc() & occBit(Occ)) != 0; }
    // Each GroupKey field's text followed by "|" ("|(invalid)" for a field
    // that is not found; an empty part at the end of data).
    std::string GroupKeyText();
    // The key of the row after the current one, read ahead.
    std::string NextGroupKeyText();

    // Where the region places the band while it prints.
    void Place(double Left, double Top);
    void Unplace() { placed_ = false; }
    // A child that printed taller than the band (a memo) makes the band
    // claim down to Height from its top for this print only.
    void GrowTo(double Height) { grownHeight_ = std::max(grownHeight_, Height); }
    // The height the band took in its last print.
    double PrintedHeight() const { return std::max(Height(), grownHeight_); }
    double PageLeft() const override;
    double PageTop() const override;

    // Prints the children at the placed position: those whose top lies in
    // [From, To) of the band, all of them when From is 0 and To infinite.
    // OnBeforePrint runs with the first part, OnAfterPrint with the last.
    void PrintContents(TBaseReport* Engine, double From = 0, double To = kWholeBand);
    static constexpr double kWholeBand = 1e300;

    // Where a split band goes on: the cut already printed above, 0 when the
    // band is not in the middle of a split.
    double SplitAt() const { return splitAt_; }
    void SetSplitAt(double Value) { splitAt_ = Value; }
    bool Continuing() const { return splitAt_ > 0; }
    // The cut furthest down below From, within From + Space, that crosses
    // no child lying below From; 0 when there is none above the band's bottom.
    double SplitLine(double From, double Space) const;
    // The such cut nearest below From whatever the space; 0 when none.
    double FirstSplitLine(double From) const;
    void BeforeReport() override;
    bool AcceptParent(const TDuzuComponent* NewParent) const override;

    // The key the band printed last as a group header.
    std::string LastGroupKey;

    // The band's print state kept aside and put back, around a trial.
    // Misuse raises "SaveState called while already saving." and
    // "RestoreState called while not saving.".
    void SaveState();
    void RestoreState();
    // Forgets what the band printed, as at the start of a report.
    virtual void ResetPrintState();

protected:
    virtual void savePrintState() {}
    virtual void restorePrintState() {}

private:
    bool allowSplit_ = false;
    std::unique_ptr<TDuzuBandStyle> bandStyle_;
    TComponentRef<TDuzuIterateBand> controllerBand_{this};
    bool designerHide_ = false;
    bool finishNewPage_ = false;
    TComponentRef<TDuzuProjectItem> groupDataView_{this};
    std::string groupKey_;
    double minHeightLeft_ = 0;
    TBandPositionMode positionMode_ = pmOffset;
    double positionValue_ = 0;
    TBandPrintLocSet reprintLocs_ = kAllPrintLocs;
    bool startNewPage_ = false;
    bool placed_ = false;
    double placedLeft_ = 0, placedTop_ = 0;
    double grownHeight_ = 0;
    double splitAt_ = 0;
    bool saving_ = false;
    std::string savedGroupKey_;
    double savedSplitAt_ = 0;
    // Cuts between From and the band's bottom that cross no child below From, in order.
    std::vector<double> cutsBelow(double From) const;
};

// What printing a band or a body came to.
enum class TBandResult { Printed, Break, BreakAfter };

class TDuzuIterateBand : public TDuzuBand, public TDuzuCalcPublisher {
public:
    explicit TDuzuIterateBand(TComponent* AOwner);

    int Columns() const { return columns_; }
    void SetColumns(int Value) {
        if (Value >= 1) columns_ = Value;
    }
    double ColumnSpacing() const { return columnSpacing_; }
    void SetColumnSpacing(double Value) { columnSpacing_ = Value; }
    bool KeepBodyTogether() const { return keepBodyTogether_; }
    void SetKeepBodyTogether(bool Value) { keepBodyTogether_ = Value; }
    bool KeepRowTogether() const { return keepRowTogether_; }
    void SetKeepRowTogether(bool Value) { keepRowTogether_ = Value; }
    int MaxRows() const { return maxRows_; }
    void SetMaxRows(int Value) { maxRows_ = Value; }
    bool InitToFirst() const { return initToFirst_; }
    void SetInitToFirst(bool Value) { initToFirst_ = Value; }
    int OrphanRows() const { return orphanRows_; }
    void SetOrphanRows(int Value) { orphanRows_ = Value; }
    int WidowRows() const { return widowRows_; }
    void SetWidowRows(int Value) { widowRows_ = Value; }

    int RowCount() const { return rowCount_; }
    // Width of one row column in a region column RegionColumnWidth wide
    // (the band's own Width when it has one), and where column k (from 1)
    // starts from the band's left edge.
    double RowColumnWidth(double RegionColumnWidth) const;
    double RowColumnLeft(int Column, double RegionColumnWidth) const;
    // The iteration; a plain iterate band has no rows.
    virtual void StartData() {}
    virtual void NextRow() {}
    virtual bool AtEnd() { return true; }
    // Whether rows remain after moving Count rows on; the position stays.
    virtual bool RowsRemainAfter(int Count) { (void)Count; return false; }

    // Header bands, rows and footer bands of the body into Region; resumes
    // where a break stopped it.
    TBandResult PrintBody(TDuzuRegion* Region, TBaseReport* Engine);
    // When a body goes on after a break: its headers marked for the new page
    // or column (body headers, the current group's headers, and the row
    // headers of a row broken in the middle).
    TBandResult Reprint(TDuzuRegion* Region, TBaseReport* Engine);
    bool Running() const { return phase_ != kIdle; }
    void ResetPrintState() override;

protected:
    void savePrintState() override;
    void restorePrintState() override;

private:
    enum Phase { kIdle, kHeaders, kRows, kFooters };
    struct PrintState {
        Phase At = kIdle;
        std::size_t Step = 0;
        int RowCount = 0;
        bool NewRow = true;
        bool WidowChecked = false;
        double LineTop = 0, LineBottom = 0;
    };
    // The body from where it stands; a RowLimit above 0 ends it after that
    // many rows while more remain (an orphan trial).
    TBandResult printPhases(TDuzuRegion* Region, TBaseReport* Engine, int RowLimit);
    TBandResult printRow(TDuzuRegion* Region, TBaseReport* Engine);
    // The row in its row column, the lines of columns kept by the band.
    TBandResult printRowInColumn(TDuzuRegion* Region, TBaseReport* Engine);
    // Keep-row-together and widow rules before a row starts; false when
    // the row must begin on a new page or column.
    bool rowMayStartHere(TDuzuRegion* Region, TBaseReport* Engine);
    std::vector<std::pair<TDuzuBand*, TBandPrintLoc>> rowSteps() const;

    int columns_ = 1;
    double columnSpacing_ = 0;
    bool keepBodyTogether_ = false;
    bool keepRowTogether_ = false;
    int maxRows_ = 0;
    bool initToFirst_ = true;
    int orphanRows_ = 0;
    int widowRows_ = 0;
    int rowCount_ = 0;
    Phase phase_ = kIdle;
    std::size_t step_ = 0;
    bool newRow_ = true;
    bool widowChecked_ = false;
    double lineTop_ = 0, lineBottom_ = 0;
    PrintState saved_;
};

// The data view a data band or a data cycle walks and its link to a master
// view, as published properties; a view is forgotten when it is freed.
class TDuzuViewLink {
public:
    TDuzuProjectItem* DataView() const { return dataView_; }
    void SetDataView(TDuzuProjectItem* Value);
    const std::string& DetailKey() const { return detailKey_; }
    void SetDetailKey(const std::string& Value) { detailKey_ = Value; }
    TDuzuProjectItem* MasterDataView() const { return masterDataView_; }
    void SetMasterDataView(TDuzuProjectItem* Value);
    const std::string& MasterKey() const { return masterKey_; }
    void SetMasterKey(const std::string& Value) { masterKey_ = Value; }
    const std::string& SortKey() const { return sortKey_; }
    void SetSortKey(const std::string& Value) { sortKey_ = Value; }

protected:
    // Self is the component that holds the link and is told of frees.
    explicit TDuzuViewLink(TComponent* Self) : dataView_(Self), masterDataView_(Self) {}

    // The DataView as a data view; nullptr for none or another item.
    TDuzuDataView* view() const;
    // Sorts and filters View after its master's current row, or only sorts
    // it and goes to its first row when InitToFirst.
    void linkView(TDuzuDataView* View, bool InitToFirst) const;

private:
    TComponentRef<TDuzuProjectItem> dataView_;
    std::string detailKey_;
    TComponentRef<TDuzuProjectItem> masterDataView_;
    std::string masterKey_;
    std::string sortKey_;
};

class TDuzuDataBand : public TDuzuIterateBand, public TDuzuViewLink {
public:
    explicit TDuzuDataBand(TComponent* AOwner) : TDuzuIterateBand(AOwner), TDuzuViewLink(this) {}

    void StartData() override;
    void NextRow() override;
    bool AtEnd() override;
    bool RowsRemainAfter(int Count) override;

protected:
    // The view's look-ahead goes with the band's print state.
    void savePrintState() override;
    void restorePrintState() override;

private:
    std::vector<TDuzuDataView::TLookAheadMark> marks_;
};

class TDuzuRegion : public TDuzuContainerControl {
public:
    explicit TDuzuRegion(TComponent* AOwner);

    int Columns() const { return columns_; }
    // Values below 1 are refused.
    void SetColumns(int Value) {
        if (Value >= 1) columns_ = Value;
    }
    double ColumnSpacing() const { return columnSpacing_; }
    void SetColumnSpacing(double Value) { columnSpacing_ = Value; }
    double ColumnWidth() const;

    // Fills the columns from where the last print stopped; done when every
    // band of the region has printed.
    void Print(TBaseReport* Engine) override;
    bool IsDone() const override { return finished_; }
    void BeforeReport() override;

    // For the bands: one band at a location, placed at the current position.
    TBandResult PrintBand(TDuzuBand* Band, TBandPrintLoc Loc, bool Reprint = false);
    // The bands of Controller (nullptr: the region's own) printing at Loc, in child order.
    std::vector<TDuzuBand*> BandsAt(const TDuzuIterateBand* Controller, TBandPrintLoc Loc, bool OwnPass) const;
    double SpaceLeft() const;
    bool PassStart() const { return passStart_; }
    // Nothing but bands printed again for the new page or column has
    // printed in this pass: keep-together rules do not move what starts here.
    bool FirstInPass() const { return !printedInPass_; }
    // The pass goes on in a further column of the page, not on a new page.
    bool NewColumnPass() const { return column_ > 1; }
    // poNewColumn in a further column, else poNewPage.
    TBandPrintOcc ReprintOccasion() const;
    // Whether Band, printed before at Loc, prints again at the top of this
    // pass: marked for its occasion, Loc in its ReprintLocs, not an iterate
    // band and not in the middle of a split.
    bool PrintsAgain(const TDuzuBand* Band, TBandPrintLoc Loc) const;
    TBaseReport* Engine() const { return engine_; }

    // The print position, and the offset of a row column from the region
    // column's left edge, for iterate bands laying out their row columns.
    double PrintPosition() const { return y_; }
    void SetPrintPosition(double Value) { y_ = Value; }
    void SetRowColumnOffset(double Value) { rowColumnOffset_ = Value; }

    // Lays Body out with output suppressed and puts the position, every
    // band's print state and the data look-ahead back afterwards; true when
    // no band asked for a new page or column before it could print.
    bool Trial(const std::function<TBandResult()>& Body);
    // Prints again from the first band, as on the first page.
    void Restart();

private:
    int columns_ = 1;
    double columnSpacing_ = 0;
    // Printing state.
    TBaseReport* engine_ = nullptr;
    int column_ = 1;
    double y_ = 0;
    double rowColumnOffset_ = 0;
    bool finished_ = false;
    bool passStart_ = true;
    bool printedInPass_ = false;
    std::size_t resumeIndex_ = 0;
    bool trialBroke_ = false;

    // The region's own bands before the one a pass resumes at, marked to
    // print again.
    void reprintOwnBands(const std::vector<TDuzuBand*>& Bands);
    // A break asked for before a band could print; it fails a trial.
    TBandResult breakBefore() {
        trialBroke_ = true;
        return TBandResult::Break;
    }
};

// Iterates its DataView for the controls of its page: the page prints once
// per row. The cycle moves on when its page printed completely for the row
// (every other control done); the regions of the page then start again.
// It belongs first on its page, so that the controls after it see the row.
class TDuzuDataCycle : public TDuzuComponent, public TDuzuViewLink {
public:
    explicit TDuzuDataCycle(TComponent* AOwner) : TDuzuComponent(AOwner), TDuzuViewLink(this) {}

    bool InitToFirst() const { return initToFirst_; }
    void SetInitToFirst(bool Value) { initToFirst_ = Value; }
    int MaxRows() const { return maxRows_; }
    void SetMaxRows(int Value) { maxRows_ = Value; }

    // Rows begun since the cycle started.
    int RowCount() const { return rowCount_; }
    void Print(TBaseReport* Engine) override;
    // Done without a view, at the end of data, after MaxRows rows, or when
    // the current row is the last.
    bool IsDone() const override;
    void BeforeReport() override;

private:
    void start(TDuzuDataView* View);
    // Every other control of the page printed all it had.
    bool pageDone() const;

    bool initToFirst_ = true;
    int maxRows_ = 0;
    bool started_ = false;
    int rowCount_ = 0;
};

void DuzuRegisterBandClasses();
