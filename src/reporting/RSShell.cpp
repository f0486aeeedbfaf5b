#include "reporting/RSShell.h"

#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "reporting/RunFinally.h"

namespace {

const char* const NoEngineMessage = "No reporting engine provided for report shell.";
const char* const InvalidCastMessage = "Invalid class typecast";

}  // namespace

// ---------------------------------------------------------------- TBaseShell

TBaseShell::TBaseShell(TComponent* AOwner) : TRSBaseComponent(AOwner) {}

TBaseShell::~TBaseShell() = default;

void TBaseShell::SetEngine(TRSComponent* Value) {
    if (Value != engine_) engine_.set(Value);
}

void TBaseShell::runReport(const TReportSteps& Steps) {
    TBaseReport* report = DazedeVedodev();
    const TReportEventMethod begin{this, "PageBegin", [this, &Steps](TBaseReport* r) {
                                       setDazedeVedodev(r);
                                       Steps.PageBegin();
                                   }};
    const TReportEventMethod end{this, "PageEnd", [this, &Steps](TBaseReport* r) {
                                     setDazedeVedodev(r);
                                     Steps.PageEnd();
                                 }};
    report->AddReportEvent(ReportEventPageBegin, begin);
    report->AddReportEvent(ReportEventPageEnd, end);
    withFinally(
        [&Steps] {
            Steps.ReportBefore();
            withFinally(Steps.Body, Steps.ReportAfter);
        },
        [&] {
            report->RemoveReportEvent(ReportEventPageBegin, begin);
            report->RemoveReportEvent(ReportEventPageEnd, end);
        });
}

template <class Runner>
TBaseReport* TBaseShell::startRun(Runner* Idle) {
    // The engine's own handler comes back afterwards, so that it never
    // keeps a handler into a shell that may be freed before it.
    TNotifyEvent previous = Idle->OnPrint;
    Idle->OnPrint = [this](TObject* Sender) {
        auto* report = dynamic_cast<TBaseReport*>(Sender);
        if (!report) throw Exception(InvalidCastMessage);
        Execute(report);
    };
    withFinally([&] { Idle->Execute(); }, [&] { Idle->OnPrint = previous; });
    return nullptr;
}

TBaseReport* TBaseShell::engineToRunOn(TBaseReport* Given) {
    if (Given) return Given->Printing() ? Given : startRun(Given);
    if (!engine_) RaiseReportError(throughMessageHook(NoEngineMessage));
    if (auto* runner = dynamic_cast<TReportSystem*>(engine_.get())) {
        if (TBaseReport* running = runner->BaseReport()) return running;
        return startRun(runner);
    }
    if (auto* report = dynamic_cast<TBaseReport*>(engine_.get())) return report->Printing() ? report : startRun(report);
    RaiseReportError(throughMessageHook(NoEngineMessage));
}

// ---------------------------------------------------------------- TDetailShell

TDetailShell::TDetailShell(TComponent* AOwner)
    : TBaseShell(AOwner),
      sectionBodyHeader_(std::make_unique<TReportSection>()),
      sectionBodyFooter_(std::make_unique<TReportSection>()),
      sectionRow_(std::make_unique<TReportSection>()),
      sectionGroupHeader_(std::make_unique<TReportSection>()),
      sectionGroupFooter_(std::make_unique<TReportSection>()) {}

TDetailShell::~TDetailShell() = default;

void TDetailShell::SetDetailReport(TDetailShell* Value) {
    if (Value != detailReport_) detailReport_.set(Value);
}

void TDetailShell::Execute(TBaseReport* Given) { runShell(Given, [this] { printBody(); }); }

void TDetailShell::runShell(TBaseReport* Given, const std::function<void()>& Body) {
    TBaseReport* report = engineToRunOn(Given);
    if (!report) return;
    setDazedeVedodev(report);
    reprinting_ = false;
    busy_ = true;
    withFinally(Body, [this] {
        busy_ = false;
        setDazedeVedodev(nullptr);
    });
}

void TDetailShell::printBody() {
    // A page asked for by the last group of an earlier run is not this run's.
    pendingNewPage_ = false;
    DoBodyBefore();
    withFinally(
        [this] {
            DoBodyHeader();
            DoGroupBeforeFirst();
            withFinally(
                [this] {
                    while (printGroup()) {
                        if (startNewPage_ && rowValid_) pendingNewPage_ = true;
                    }
                },
                [this] { DoGroupAfterLast(); });
            DoBodyFooter();
        },
        [this] { DoBodyAfter(); });
}

bool TDetailShell::printGroup() {
    bool valid = true;
    withFinally(
        [&] {
            DoGroupBefore(valid);
            if (!valid) return;
            DoGroupHeader();
            DoRowBefore(valid);
            withFinally(
                [&] {
                    rowValid_ = valid;
                    if (!valid) return;
                    startPendingPage();
                    DoRowPrint(valid);
                },
                [&] { DoRowAfter(valid); });
            if (valid) printDetail();
            DoGroupFooter();
        },
        [&] { DoGroupAfter(valid); });
    return valid;
}

void TDetailShell::printDetail() {
    DoDetailBefore();
    withFinally(
        [this] {
            if (!detailReport_ || detailReport_->Busy()) return;
            detailReport_->master_ = this;
            withFinally([this] { detailReport_->Execute(DazedeVedodev()); },
                        [this] {
                            if (detailReport_) detailReport_->master_ = nullptr;
                        });
        },
        [this] { DoDetailAfter(); });
}

void TDetailShell::startPendingPage() {
    if (!pendingNewPage_) return;
    DazedeVedodev()->NewPage();
    pendingNewPage_ = false;
}

void TDetailShell::printSection(TReportSection* Section, const TReportEvent& Event) {
    if (!Event) return;
    Section->SetupSection(DazedeVedodev());
    Event(DazedeVedodev(), this);
}

void TDetailShell::reprintMasters() {
    if (master_) master_->reprintMasters();
    if (reprint_) reprintRow();
}

void TDetailShell::reprintRow() {
    reprinting_ = true;
    withFinally(
        [this] {
            bool valid = true;
            DoRowBefore(valid);
            if (valid) DoRowPrint(valid);
            DoRowAfter(valid);
        },
        [this] { reprinting_ = false; });
}

void TDetailShell::DoBodyBefore() {
    if (OnBodyBefore) OnBodyBefore(DazedeVedodev(), this);
}

void TDetailShell::DoBodyHeader() { printSection(sectionBodyHeader_.get(), OnBodyHeader); }

void TDetailShell::DoGroupBeforeFirst() {
    if (OnGroupBeforeFirst) OnGroupBeforeFirst(DazedeVedodev(), this);
}

void TDetailShell::DoGroupBefore(bool& Valid) {
    if (OnGroupBefore) OnGroupBefore(DazedeVedodev(), this, Valid);
}

void TDetailShell::DoGroupHeader() {
    if (!OnGroupHeader) return;
    startPendingPage();
    printSection(sectionGroupHeader_.get(), OnGroupHeader);
}

void TDetailShell::DoRowBefore(bool& Valid) {
    if (OnRowBefore) OnRowBefore(DazedeVedodev(), this, Valid);
}

void TDetailShell::DoRowPrint(bool& Valid) {
    if (!OnRowPrint) return;
    if (sectionRow_->SetupSection(DazedeVedodev()) && !reprinting_ && master_) {
        master_->reprintMasters();
        sectionRow_->SetupSection(DazedeVedodev());
    }
    OnRowPrint(DazedeVedodev(), this, Valid);
}

void TDetailShell::DoDetailBefore() {
    if (OnDetailBefore) OnDetailBefore(DazedeVedodev(), this);
}

void TDetailShell::DoDetailAfter() {
    if (OnDetailAfter) OnDetailAfter(DazedeVedodev(), this);
}

void TDetailShell::DoRowAfter(bool& Valid) {
    if (OnRowAfter) OnRowAfter(DazedeVedodev(), this, Valid);
}

void TDetailShell::DoGroupFooter() { printSection(sectionGroupFooter_.get(), OnGroupFooter); }

void TDetailShell::DoGroupAfter(bool& Valid) {
    if (OnGroupAfter) OnGroupAfter(DazedeVedodev(), this, Valid);
    else if (!OnGroupBefore) Valid = false;  // no handler could ever end the loop
}

void TDetailShell::DoGroupAfterLast() {
    if (OnGroupAfterLast) OnGroupAfterLast(DazedeVedodev(), this);
}

void TDetailShell::DoBodyFooter() { printSection(sectionBodyFooter_.get(), OnBodyFooter); }

void TDetailShell::DoBodyAfter() {
    if (OnBodyAfter) OnBodyAfter(DazedeVedodev(), this);
}

// ---------------------------------------------------------------- TReportShell

TReportShell::TReportShell(TComponent* AOwner)
    : TMasterShell(AOwner),
      sectionReportHeader_(std::make_unique<TReportSection>()),
      sectionReportFooter_(std::make_unique<TReportSection>()),
      sectionPageHeader_(std::make_unique<TReportSection>()),
      sectionPageFooter_(std::make_unique<TReportSection>()) {
    sectionPageHeader_->NoBreak = true;
    sectionPageFooter_->NoBreak = true;
}

TReportShell::~TReportShell() = default;

// An assigned section brings its own NoBreak; a page band never breaks a page.
void TReportShell::SetSectionPageHeader(const TReportSection* Value) {
    sectionPageHeader_->Assign(Value);
    sectionPageHeader_->NoBreak = true;
}

void TReportShell::SetSectionPageFooter(const TReportSection* Value) {
    sectionPageFooter_->Assign(Value);
    sectionPageFooter_->NoBreak = true;
}

void TReportShell::Execute(TBaseReport* Given) { runShell(Given, [this] { printReport(); }); }

void TReportShell::printReport() {
    runReport({.ReportBefore = [this] { DoReportBefore(); },
               .Body =
                   [this] {
                       DoReportHeader();
                       pageBegin();
                       printBody();
                       pageEnd();
                       DoReportFooter();
                   },
               .ReportAfter = [this] { DoReportAfter(); },
               .PageBegin = [this] { pageBegin(); },
               .PageEnd = [this] { pageEnd(); }});
}

void TReportShell::pageBegin() {
    DoPageBefore();
    DoPageHeader();
}

void TReportShell::pageEnd() {
    DoPageFooter();
    DoPageAfter();
}

void TReportShell::DoReportBefore() {
    if (OnReportBefore) OnReportBefore(DazedeVedodev(), this);
}

void TReportShell::DoReportHeader() { printSection(sectionReportHeader_.get(), OnReportHeader); }

void TReportShell::DoPageBefore() {
    if (OnPageBefore) OnPageBefore(DazedeVedodev(), this);
}

void TReportShell::DoPageHeader() { printSection(sectionPageHeader_.get(), OnPageHeader); }

void TReportShell::DoPageFooter() { printSection(sectionPageFooter_.get(), OnPageFooter); }

void TReportShell::DoPageAfter() {
    if (OnPageAfter) OnPageAfter(DazedeVedodev(), this);
}

void TReportShell::DoReportFooter() { printSection(sectionReportFooter_.get(), OnReportFooter); }

void TReportShell::DoReportAfter() {
    if (OnReportAfter) OnReportAfter(DazedeVedodev(), this);
}
