// Running a report of a project: the run on a report runner (the caller's
// or one of its own) or straight on an engine, the printer set-up from the
// report and its first page, and the page loop.
#include <memory>

#include "base/SysUtils.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"

namespace {

// Hooks the report's printer set-up, page loop and restore step onto a
// runner or an engine and puts its own three handlers back when the run
// ends. Sender of the hooked handlers is the report that runs.
template <class Runner>
class HookedRunner {
public:
    HookedRunner(Runner* Target, TDuzuReport* Report)
        : target_(Target), print_(Target->OnPrint), before_(Target->OnBeforePrint), after_(Target->OnAfterPrint) {
        Target->OnPrint = [Report](TObject* Sender) { Report->PrintPages(runningReport(Sender)); };
        Target->OnBeforePrint = [Report](TObject* Sender) { Report->PrinterSetup(runningReport(Sender)); };
        Target->OnAfterPrint = [Report](TObject*) { Report->RestoreEngine(); };
    }
    ~HookedRunner() {
        target_->OnPrint = print_;
        target_->OnBeforePrint = before_;
        target_->OnAfterPrint = after_;
    }
    HookedRunner(const HookedRunner&) = delete;
    HookedRunner& operator=(const HookedRunner&) = delete;

private:
    static TBaseReport* runningReport(TObject* Sender) {
        auto* report = dynamic_cast<TBaseReport*>(Sender);
        if (report == nullptr) RaiseDesignerError("The report was started without a running report engine.");
        return report;
    }

    Runner* target_;
    TNotifyEvent print_, before_, after_;
};

// Prints the pages straight into an engine that is printing already.
void printInto(TDuzuReport* Report, TBaseReport* Engine) {
    TBaseReport* savedEngine = PrintEngine;
    PrintEngine = Engine;
    try {
        Report->PrintPages(Engine);
    } catch (...) {
        PrintEngine = savedEngine;
        throw;
    }
    PrintEngine = savedEngine;
}

// The runner a report makes for itself when it is given no engine: a
// preview with the setup window, recorded into a temporary stream file.
void setUpOwnRunner(TReportSystem& System, bool AlwaysGenerate) {
    System.SetDefaultDest(rdPreview);
    TSystemSetups setups = System.SystemSetups();
    setups.Include(ssAllowSetup);
    System.SetSystemSetups(setups);
    TSystemPreview* preview = System.SystemPreview();
    preview->SetGridHoriz(0);
    preview->SetGridVert(0);
    TPen gridPen;
    gridPen.SetColor(clAqua);
    gridPen.SetStyle(psSolid);
    preview->SetGridPen(gridPen);
    preview->SetRulerType(TRulerType::rtNone);
    preview->SetMarginPercent(2.5);
    preview->SetMonochrome(false);
    preview->SetShadowDepth(5);
    preview->SetZoomInc(10);
    preview->SetZoomFactor(100);
    preview->SetFormState(wsNormal);
    System.SystemFiler()->SetAccuracyMethod(amAppearance);
    System.SystemFiler()->SetStreamMode(smTempFile);
    if (AlwaysGenerate) {
        TSystemOptions options = System.SystemOptions();
        options.Include(soUseFiler);
        System.SetSystemOptions(options);
    }
}

void runOnSystem(TDuzuReport* Report, TReportSystem* System, bool AlwaysGenerate) {
    // Every length of a project reaches the engine in inches.
    TSystemPrinter* printer = System->SystemPrinter();
    const double savedFactor = printer->UnitsFactor();
    const TPrintUnits savedUnits = printer->Units();
    auto restore = [&] {
        printer->SetUnitsFactor(savedFactor);
        if (savedUnits == unUser) printer->SetUnits(unUser);
    };
    printer->SetUnitsFactor(1.0);
    try {
        if (System->BaseReport() != nullptr) {
            printInto(Report, System->BaseReport());
        } else {
            HookedRunner<TReportSystem> hooked(System, Report);
            const TSystemOptions savedOptions = System->SystemOptions();
            if (AlwaysGenerate) {
                TSystemOptions options = savedOptions;
                options.Include(soUseFiler);
                System->SetSystemOptions(options);
            }
            try {
                System->Execute();
            } catch (...) {
                System->SetSystemOptions(savedOptions);
                throw;
            }
            System->SetSystemOptions(savedOptions);
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void runOnEngine(TDuzuReport* Report, TBaseReport* Engine) {
    const double savedFactor = Engine->UnitsFactor();
    try {
        Engine->SetUnitsFactor(1.0);
        if (Engine->Printing()) {
            printInto(Report, Engine);
        } else {
            HookedRunner<TBaseReport> hooked(Engine, Report);
            Engine->Execute();
        }
    } catch (...) {
        Engine->SetUnitsFactor(savedFactor);
        throw;
    }
    Engine->SetUnitsFactor(savedFactor);
}

}  // namespace

void TDuzuReport::Execute(TRSComponent* Engine) {
    auto* system = dynamic_cast<TReportSystem*>(Engine);
    auto* engine = dynamic_cast<TBaseReport*>(Engine);
    if (Engine != nullptr && system == nullptr && engine == nullptr)
        RaiseDesignerError("A report runs on a report system or a report engine.");
    TDuzuProjectManager* project = manager();
    if (project == nullptr) RaiseDesignerError("The report belongs to no project.");
    TDuzuProjectManager* savedProject = ProjectManager;
    ProjectManager = project;
    BeforeReport();
    for (TDuzuPage* page : project->GlobalPageList()) page->BeforeReport();
    TDuzuDataSystem& data = DuzuDataSystem();
    data.SetListsStale(true);
    project->DoBeforePrint();
    project->SetPrinting(true);
    if (!data.GainControl()) {
        // Nothing was printed: the project is not printing either.
        project->SetPrinting(false);
        ProjectManager = savedProject;
        return;
    }
    auto finish = [&] {
        data.ReleaseControl();
        project->DoAfterPrint();
        ResetLayout();
        for (TDuzuPage* page : project->GlobalPageList()) page->ResetLayout();
        project->SetPrinting(false);
        ProjectManager = savedProject;
    };
    try {
        if (system != nullptr) {
            runOnSystem(this, system, alwaysGenerate_);
        } else if (engine != nullptr) {
            runOnEngine(this, engine);
        } else {
            TReportSystem own(nullptr);
            setUpOwnRunner(own, alwaysGenerate_);
            runOnSystem(this, &own, false);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TDuzuReport::PrinterSetup(TBaseReport* Engine) {
    savedEngine_ = PrintEngine;
    PrintEngine = Engine;
    if (!printer_.empty()) Engine->SelectPrinter(printer_);
    if (collate_ != pcDefault) Engine->SetCollate(collate_ == pcTrue);
    // The device's duplex values: 0 simplex, 1 long edge (vertical), 2 short edge (horizontal).
    if (duplex_ != pdDefault) Engine->SetDuplex(duplex_ == pdSimplex ? 0 : duplex_ == pdVertical ? 1 : 2);
    // prDraft..prHigh are the device's qualities -1..-4.
    if (resolution_ != prDefault) Engine->SetPrintQuality(-1 - static_cast<int>(resolution_));
    if (copies_ > 0) Engine->SetCopies(copies_);
    TDuzuPage* first = nullptr;
    if (pageList_ && pageList_->Count() > 0) first = dynamic_cast<TDuzuPage*>(pageList_->Item(0));
    if (first == nullptr) first = firstPage_;
    if (first == nullptr) return;
    if (first->PaperSize() == 256)
        Engine->SetPaperSize(256, first->PageWidth(), first->PageHeight());
    else if (first->PaperSize() != -1)
        Engine->SetPaperSize(first->PaperSize(), 0, 0);
    if (first->Orientation() != TOrientation::poDefault) Engine->SetOrientation(first->Orientation());
    selectBin(Engine, first);
}

void TDuzuReport::RestoreEngine() { PrintEngine = savedEngine_; }

void TDuzuReport::selectBin(TBaseReport* Engine, const TDuzuPage* Page) {
    if (!Page->BinCustom().empty()) {
        Engine->SelectBin(Page->BinCustom());
    } else if (Page->Bin() != -1) {
        // By its name in the printer's bin list, so that a recording engine
        // records the choice too.
        if (const std::string name = Engine->Device()->BinName(Page->Bin()); !name.empty()) Engine->SelectBin(name);
    }
}

void TDuzuReport::PrintPages(TBaseReport* Engine) {
    Engine->SetDirectLines(true);
    bool fromList = pageList_ && pageList_->Count() > 0;
    int index = 0;
    TDuzuPage* current = fromList ? nullptr : firstPage_.get();
    TDuzuStackList returns;
    int remaining = maxPages_;
    int printed = 0;
    for (;;) {
        if (current == nullptr) {
            if (returns.IsEmpty()) {
                ++index;
                if (!fromList || !pageList_ || index > pageList_->Count()) break;
                current = dynamic_cast<TDuzuPage*>(pageList_->Item(index - 1));
                if (current == nullptr) continue;
            } else {
                current = static_cast<TDuzuPage*>(returns.Pop());
            }
        }
        if (printed > 0) {
            if (current->Orientation() != TOrientation::poDefault) Engine->SetOrientation(current->Orientation());
            selectBin(Engine, current);
            Engine->NewPage();
        }
        current->Print(Engine);
        ++printed;
        bool done = current->IsDone();
        TDuzuPage* next = nullptr;
        switch (current->GotoMode()) {
            case gmGotoDone: next = done ? current->GotoPage() : current; break;
            case gmGotoNotDone: next = done ? nullptr : current->GotoPage(); break;
            case gmCallEach:
                if (current->GotoPage() != nullptr) {
                    if (!done) returns.Push(current);
                    next = current->GotoPage();
                } else {
                    next = done ? nullptr : current;
                }
                break;
        }
        if (remaining > 0 && --remaining == 0) break;
        // A page that never gets done would print for ever.
        if (maxPages_ <= 0 && printed >= kRunawayPageLimit && next != nullptr) {
            DuzuShowMessage(Format("The report stopped after %d pages: a page never reported that it was done.",
                                   {kRunawayPageLimit}));
            break;
        }
        current = next;
        if (Engine->Aborted()) break;
    }
}
