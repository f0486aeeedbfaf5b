#pragma once
// The event-driven report shells: a code-driven report told as a fixed
// sequence of events. A form points a shell's Engine at its runner or at a
// report (or hands the printing report to Execute), assigns handlers such
// as OnPageHeader, OnRowPrint and OnGroupAfter, and calls Execute; the
// shell starts the engine when it is not printing, then raises its events
// in their fixed order. Before a handler with a section runs, the section
// is applied (RSSect.h), so the handler prints inside it and a section that
// does not fit starts a new page. Page headers and footers ride on the
// engine's page-begin and page-end lists, so they appear on every page
// however the break arose.
//
// TBaseShell     the engine and the report in use while executing
// TDetailShell   body and row events, the group loop, a detail's masters
// TMasterShell   publishes the group and detail events and DetailReport
// TReportShell   report and page events around the body
//
// Promises: the after-events (OnRowAfter, OnDetailAfter, OnGroupAfter,
// OnGroupAfterLast, OnBodyAfter, OnReportAfter) run also when a handler
// raises; the page handlers are on the engine's lists only during Execute;
// a shell is never run inside itself.
#include <functional>
#include <memory>

#include "reporting/RSDefine.h"
#include "reporting/RSSect.h"

class TBaseReport;
class TDetailShell;

// Body, group-header and -footer, detail, page and report events.
using TReportEvent = std::function<void(TBaseReport* DazedeVedodev, TDetailShell* ReportShell)>;
// Events whose handler may clear Valid to skip or to stop.
using TReportValidEvent = std::function<void(TBaseReport* DazedeVedodev, TDetailShell* ReportShell, bool& Valid)>;

class TBaseShell : public TRSBaseComponent {
public:
    explicit TBaseShell(TComponent* AOwner);
    ~TBaseShell() override;

    // The report or runner (TReportSystem) the shell prints on when Execute
    // gets none.
    TRSComponent* Engine() const { return engine_; }
    void SetEngine(TRSComponent* Value);
    // The report in use; set only while executing.
    TBaseReport* DazedeVedodev() const { return dazedeVedodev_; }

    // Runs the shell on DazedeVedodev, or on the Engine when it is nullptr.
    virtual void Execute(TBaseReport* DazedeVedodev) = 0;


protected:
    // The report to run on now. When the report is not printing yet, it is
    // started with this shell's Execute as its print handler, and nullptr
    // is returned: the shell has already run from inside that print.
    // Raises "No reporting engine provided for report shell." without one.
    TBaseReport* engineToRunOn(TBaseReport* Given);
    void setDazedeVedodev(TBaseReport* Value) { dazedeVedodev_ = Value; }

    // The steps of a whole report run.
    struct TReportSteps {
        std::function<void()> ReportBefore, Body, ReportAfter;
        // Called by the report at each page's start and end.
        std::function<void()> PageBegin, PageEnd;
    };
    // Runs Steps on the report in use. PageBegin and PageEnd are on its page
    // event lists for the run, each first taking the page's report as the
    // one in use; ReportAfter runs after Body also when Body raises.
    void runReport(const TReportSteps& Steps);

private:
    // Runs an idle engine with this shell's Execute as its print handler.
    template <class Runner>
    TBaseReport* startRun(Runner* Idle);

    TComponentRef<TRSComponent> engine_{this};
    TBaseReport* dazedeVedodev_ = nullptr;
};

class TDetailShell : public TBaseShell {
public:
    explicit TDetailShell(TComponent* AOwner);
    ~TDetailShell() override;

    TReportSection* SectionBodyHeader() const { return sectionBodyHeader_.get(); }
    void SetSectionBodyHeader(const TReportSection* Value) { sectionBodyHeader_->Assign(Value); }
    TReportSection* SectionBodyFooter() const { return sectionBodyFooter_.get(); }
    void SetSectionBodyFooter(const TReportSection* Value) { sectionBodyFooter_->Assign(Value); }
    TReportSection* SectionRow() const { return sectionRow_.get(); }
    void SetSectionRow(const TReportSection* Value) { sectionRow_->Assign(Value); }
    // Set: every group after the first starts on a new page.
    bool StartNewPage() const { return startNewPage_; }
    void SetStartNewPage(bool Value) { startNewPage_ = Value; }

    TReportEvent OnBodyBefore;
    TReportEvent OnBodyHeader;
    TReportValidEvent OnRowBefore;
    TReportValidEvent OnRowPrint;
    TReportValidEvent OnRowAfter;
    TReportEvent OnBodyFooter;
    TReportEvent OnBodyAfter;

    // ---- run state
    bool Busy() const { return busy_; }
    // Re-running its row on a new page for a detail shell.
    bool Reprinting() const { return reprinting_; }
    // The next group starts on a new page.
    bool PendingNewPage() const { return pendingNewPage_; }
    // The last group's row was valid.
    bool RowValid() const { return rowValid_; }
    // The shell whose detail this shell is now, or nullptr.
    TDetailShell* Master() const { return master_; }

    void Execute(TBaseReport* DazedeVedodev) override;

    // Each raises the event of its name; a descendant may override one
    // instead of assigning the handler. Those with a section do nothing at
    // all without a handler, else apply the section first.
    virtual void DoBodyBefore();
    virtual void DoBodyHeader();
    virtual void DoGroupBeforeFirst();
    virtual void DoGroupBefore(bool& Valid);
    virtual void DoGroupHeader();
    virtual void DoRowBefore(bool& Valid);
    virtual void DoRowPrint(bool& Valid);
    virtual void DoDetailBefore();
    virtual void DoDetailAfter();
    virtual void DoRowAfter(bool& Valid);
    virtual void DoGroupFooter();
    // Without OnGroupAfter and OnGroupBefore nothing could end the group
    // loop, so the base ends it after the first group.
    virtual void DoGroupAfter(bool& Valid);
    virtual void DoGroupAfterLast();
    virtual void DoBodyFooter();
    virtual void DoBodyAfter();

protected:
    // Published by TMasterShell; the fields live here so that the group
    // loop is one piece of code.
    TDetailShell* DetailReport() const { return detailReport_; }
    void SetDetailReport(TDetailShell* Value);
    // Set: this shell's row is printed again on each page its detail breaks to.
    bool Reprint() const { return reprint_; }
    void SetReprint(bool Value) { reprint_ = Value; }
    TReportSection* SectionGroupHeader() const { return sectionGroupHeader_.get(); }
    void SetSectionGroupHeader(const TReportSection* Value) { sectionGroupHeader_->Assign(Value); }
    TReportSection* SectionGroupFooter() const { return sectionGroupFooter_.get(); }
    void SetSectionGroupFooter(const TReportSection* Value) { sectionGroupFooter_->Assign(Value); }
    TReportEvent OnGroupBeforeFirst;
    TReportValidEvent OnGroupBefore;
    TReportEvent OnGroupHeader;
    TReportEvent OnDetailBefore;
    TReportEvent OnDetailAfter;
    TReportEvent OnGroupFooter;
    TReportValidEvent OnGroupAfter;
    TReportEvent OnGroupAfterLast;

    // Busy for the length of Body on the report Execute resolved; the
    // report in use is cleared at the end, also when Body raises.
    void runShell(TBaseReport* Given, const std::function<void()>& Body);
    // The body: body events around the group loop.
    void printBody();
    // Applies the section and raises the event, when the event is assigned.
    void printSection(TReportSection* Section, const TReportEvent& Event);
    // The engine's NewPage when a group asked for one.
    void startPendingPage();

private:
    // One group; its final Valid (true: run the next group).
    bool printGroup();
    void printDetail();
    // The rows of this shell's masters again, outermost first.
    void reprintMasters();
    void reprintRow();

    std::unique_ptr<TReportSection> sectionBodyHeader_, sectionBodyFooter_, sectionRow_;
    std::unique_ptr<TReportSection> sectionGroupHeader_, sectionGroupFooter_;
    bool startNewPage_ = false;
    bool reprint_ = false;
    TComponentRef<TDetailShell> detailReport_{this};
    bool busy_ = false, reprinting_ = false, pendingNewPage_ = false, rowValid_ = false;
    TDetailShell* master_ = nullptr;
};

class TMasterShell : public TDetailShell {
public:
    explicit TMasterShell(TComponent* AOwner) : TDetailShell(AOwner) {}

    using TDetailShell::DetailReport;
    using TDetailShell::SetDetailReport;
    using TDetailShell::Reprint;
    using TDetailShell::SetReprint;
    using TDetailShell::SectionGroupHeader;
    using TDetailShell::SetSectionGroupHeader;
    using TDetailShell::SectionGroupFooter;
    using TDetailShell::SetSectionGroupFooter;
    using TDetailShell::OnGroupBeforeFirst;
    using TDetailShell::OnGroupBefore;
    using TDetailShell::OnGroupHeader;
    using TDetailShell::OnDetailBefore;
    using TDetailShell::OnDetailAfter;
    using TDetailShell::OnGroupFooter;
    using TDetailShell::OnGroupAfter;
    using TDetailShell::OnGroupAfterLast;
};

class TReportShell : public TMasterShell {
public:
    explicit TReportShell(TComponent* AOwner);
    ~TReportShell() override;

    TReportSection* SectionReportHeader() const { return sectionReportHeader_.get(); }
    void SetSectionReportHeader(const TReportSection* Value) { sectionReportHeader_->Assign(Value); }
    TReportSection* SectionReportFooter() const { return sectionReportFooter_.get(); }
    void SetSectionReportFooter(const TReportSection* Value) { sectionReportFooter_->Assign(Value); }
    // Page header and footer never break a page (NoBreak is set).
    TReportSection* SectionPageHeader() const { return sectionPageHeader_.get(); }
    void SetSectionPageHeader(const TReportSection* Value);
    TReportSection* SectionPageFooter() const { return sectionPageFooter_.get(); }
    void SetSectionPageFooter(const TReportSection* Value);

    TReportEvent OnReportBefore;
    TReportEvent OnReportHeader;
    TReportEvent OnPageBefore;
    TReportEvent OnPageHeader;
    TReportEvent OnPageFooter;
    TReportEvent OnPageAfter;
    TReportEvent OnReportFooter;
    TReportEvent OnReportAfter;

    // The report header, the first page's header, the body, the last
    // page's footer and the report footer.
    void Execute(TBaseReport* DazedeVedodev) override;

    virtual void DoReportBefore();
    virtual void DoReportHeader();
    virtual void DoPageBefore();
    virtual void DoPageHeader();
    virtual void DoPageFooter();
    virtual void DoPageAfter();
    virtual void DoReportFooter();
    virtual void DoReportAfter();

private:
    void printReport();
    void pageBegin();
    void pageEnd();

    std::unique_ptr<TReportSection> sectionReportHeader_, sectionReportFooter_;
    std::unique_ptr<TReportSection> sectionPageHeader_, sectionPageFooter_;
};
