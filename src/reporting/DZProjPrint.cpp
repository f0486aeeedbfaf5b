// Running a report of a project: the run around the engine, the printer
// set-up from the report and its first page, and the page loop.
#include <memory>

#include "base/SysUtils.h"
#include "reporting/DZProj.h"
#include "reporting/DuzuDataSystem.h"
#include "reporting/RSBase.h"

namespace {

// Puts an engine's three handlers back when the run ends.
class HookedEngine {
public:
    HookedEngine(TBaseReport* Engine, TDuzuReport* Report)
        : engine_(Engine), print_(Engine->OnPrint), before_(Engine->OnBeforePrint), after_(Engine->OnAfterPrint) {
        Engine->OnPrint = [Report, Engine](TObject*) { Report->PrintPages(Engine); };
        Engine->OnBeforePrint = [Report, Engine](TObject*) { Report->PrinterSetup(Engine); };
        Engine->OnAfterPrint = [Report](TObject*) { Report->RestoreEngine(); };
    }
    ~HookedEngine() {
        engine_->OnPrint = print_;
        engine_->OnBeforePrint = before_;
        engine_->OnAfterPrint = after_;
    }
    HookedEngine(const HookedEngine&) = delete;
    HookedEngine& operator=(const HookedEngine&) = delete;

private:
    TBaseReport* engine_;
    TNotifyEvent print_, before_, after_;
};

}  // namespace

void TDuzuReport::Execute(TBaseReport* Engine) {
    if (Engine == nullptr) RaiseDesignerError("A report engine is needed to run a report.");
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
    double savedFactor = Engine->UnitsFactor();
    try {
        Engine->SetUnitsFactor(1.0);
        if (Engine->Printing()) {
            TBaseReport* savedEngine = PrintEngine;
            PrintEngine = Engine;
            try {
                PrintPages(Engine);
            } catch (...) {
                PrintEngine = savedEngine;
                throw;
            }
            PrintEngine = savedEngine;
        } else {
            HookedEngine hooked(Engine, this);
            Engine->Execute();
        }
    } catch (...) {
        Engine->SetUnitsFactor(savedFactor);
        finish();
        throw;
    }
    Engine->SetUnitsFactor(savedFactor);
    finish();
}

void TDuzuReport::PrinterSetup(TBaseReport* Engine) {
    savedEngine_ = PrintEngine;
    PrintEngine = Engine;
    if (!printer_.empty()) Engine->SelectPrinter(printer_);
    if (collate_ != pcDefault) Engine->SetCollate(collate_ == pcTrue);
    // The device's duplex values: 0 simplex, 1 long edge (vertical), 2 short edge (horizontal).
    if (duplex_ != pdDefault) Engine->SetDuplex(duplex_ == pdSimplex ? 0 : duplex_ == pdVertical ? 1 : 2);
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
    // A bin by number needs the printer's numbered bin list, which the
    // report device does not give: only a bin named by BinCustom is chosen.
    if (!Page->BinCustom().empty()) Engine->SelectBin(Page->BinCustom());
}

void TDuzuReport::PrintPages(TBaseReport* Engine) {
    Engine->SetDirectLines(true);
    bool fromList = pageList_ && pageList_->Count() > 0;
    int index = 0;
    TDuzuPage* current = fromList ? nullptr : firstPage_;
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
