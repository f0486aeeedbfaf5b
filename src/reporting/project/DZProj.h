#pragma once
// Report projects: TDuzuProjectManager holds the reports, global pages and
// data views of one project, keeps the active report, reads and writes the
// project stream and runs a report onto the report engine; TDuzuReport is
// one report with its own pages and the pages it prints.
//
// Project stream (integers little-endian; compact integers, strings and
// blocks as TStreamHelper writes them):
//   magic 44 55 5A 1A, int32 version (30004 written), header code 0,
//   current report name (from 30004), the manager's component record
//   (from 30003), then items to the end: kind (2 data view, 3 global page,
//   4 report), name, body block.
// Report body: report text (from 30004), own page count and (0, name) per
// page, page reference count and names, the report's component record, one
// block per own page holding the page's component record with its children.
//
// The stream is untrusted: a wrong magic raises "Invalid Project Format", a
// wrong header code "Invalid Project Header Code"; a block that cannot be
// read (an unknown class, a value that does not fit its property) is
// reported and reading goes on with the next block.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "reporting/project/DZClass.h"

class TDuzuReport;
class TReportSystem;

constexpr std::int32_t kProjectVersion = 30004;
constexpr std::int32_t kProjectVersionReportName = 30004;
constexpr std::int32_t kProjectVersionSettings = 30003;
constexpr std::uint8_t kItemDataView = 2;
constexpr std::uint8_t kItemGlobalPage = 3;
constexpr std::uint8_t kItemReport = 4;
constexpr std::uint8_t kOwnPageKind = 0;
// A page that is never done under gmGotoDone with MaxPages 0 stops here.
constexpr int kRunawayPageLimit = 9999;

enum TDuzuPrinterCollate { pcFalse, pcTrue, pcDefault };
enum TDuzuPrinterDuplex { pdSimplex, pdHorizontal, pdVertical, pdDefault };
enum TDuzuPrinterResolution { prDraft, prLow, prMedium, prHigh, prDefault };

// Shows a text of the runtime to the user (a message box by default); a
// program without a user may replace it.
extern std::function<void(const std::string& Text)> DuzuShowMessage;

// Makes the data-view items of a project stream and reads their bodies; the
// data system registers it. Without it a data view's block is reported as
// an unknown class and skipped.
extern std::function<TDuzuProjectItem*(TComponent* AOwner)> CreateDuzuDataView;

// Reads one block with Body; an error inside it is shown and the stream
// stands after the block. A block that cannot be decompressed raises.
void readBlockReportingErrors(TStreamHelper* Helper, const std::function<void()>& Body);

class TDuzuProjectManager : public TDuzuProjectItem {
public:
    explicit TDuzuProjectManager(TComponent* AOwner);
    ~TDuzuProjectManager() override;

    TStrings* Categories() const { return categories_.get(); }
    void SetCategories(const TStrings* Value) { categories_->Assign(Value); }
    TPrintUnits Units() const { return units_; }
    void SetUnits(TPrintUnits Value) { units_ = Value; }
    double UnitsFactor() const { return unitsFactor_; }
    // Ignored unless above 0; Units follows (inch, mm, cm, point, else user).
    void SetUnitsFactor(double Value);

    const std::string& CurrentReportName() const { return currentReportName_; }
    const std::vector<TDuzuReport*>& ReportList() const { return reportList_; }
    const std::vector<TDuzuPage*>& GlobalPageList() const { return globalPageList_; }
    const std::vector<TDuzuProjectItem*>& DataObjectList() const { return dataObjectList_; }
    TDuzuReport* ActiveReport() const { return activeReport_; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& Value) { fileName_ = Value; }
    bool FileLoaded() const { return fileLoaded_; }
    bool Modified() const { return modified_; }
    bool Loading() const { return loading_; }
    bool Printing() const { return printing_; }
    void SetPrinting(bool Value) { printing_ = Value; }
    std::int32_t FileVersion() const { return fileVersion_; }
    TDuzuReport* LoadingReport() const { return loadingReport_; }
    TStrings* ParamValues() const { return paramValues_.get(); }

    void Load();
    void New();
    void Clear();
    void LoadFromStream(TStream* Stream);
    void LoadFromStreamHelper(TStreamHelper* Helper) override;
    void SaveToStreamHelper(TStreamHelper* Helper) override;
    void SaveToStream(TStream* Stream);
    TDuzuReport* NewReport();
    // Takes a data view made in code into the project.
    void AddDataObject(TDuzuProjectItem* Item);
    void DeleteItem(TDuzuProjectItem* Item);
    void ActivateReport(TDuzuReport* Report);
    void DeactivateReport();
    TComponent* FindDuzuComponent(const std::string& Name, const TComponent* DefaultOwner) const;
    std::string GetUniqueName(const std::string& BaseName, const TComponent* AOwner, bool TryBaseFirst) const;
    void SetParamValue(const std::string& Name, const std::string& Value);
    std::string GetParamValue(const std::string& Name) const;
    void SetModified(bool Value);
    void ClearModified() { modified_ = false; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void readItem(TStreamHelper* Helper, std::uint8_t Kind, const std::string& Name);
    void readBlock(TStreamHelper* Helper, const std::function<void()>& Body);
    void forget(TComponent* Item);

    std::unique_ptr<TStringList> categories_;
    TPrintUnits units_ = unInch;
    double unitsFactor_ = 1.0;
    std::string currentReportName_;
    std::vector<TDuzuReport*> reportList_;
    std::vector<TDuzuPage*> globalPageList_;
    std::vector<TDuzuProjectItem*> dataObjectList_;
    TDuzuReport* activeReport_ = nullptr;
    std::string fileName_;
    bool fileLoaded_ = false;
    bool modified_ = false;
    bool loading_ = false;
    bool printing_ = false;
    std::int32_t fileVersion_ = kProjectVersion;
    std::unique_ptr<TStringList> paramValues_;
    TDuzuReport* loadingReport_ = nullptr;
    friend class TDuzuReport;
};

class TDuzuReport : public TDuzuProjectItem {
public:
    explicit TDuzuReport(TComponent* AOwner);
    ~TDuzuReport() override;

    bool AlwaysGenerate() const { return alwaysGenerate_; }
    void SetAlwaysGenerate(bool Value) { alwaysGenerate_ = Value; }
    const std::string& Category() const { return category_; }
    void SetCategory(const std::string& Value) { category_ = Value; }
    int Copies() const { return copies_; }
    void SetCopies(int Value) { copies_ = Value; }
    TDuzuPage* FirstPage() const { return firstPage_; }
    void SetFirstPage(TDuzuPage* Value);
    TDuzuComponentList* PageList() const { return pageList_.get(); }
    // Copies a list with at least one entry; otherwise PageList is freed.
    void SetPageList(TDuzuComponentList* Value);
    TDuzuPrinterCollate Collate() const { return collate_; }
    void SetCollate(TDuzuPrinterCollate Value) { collate_ = Value; }
    TDuzuPrinterDuplex Duplex() const { return duplex_; }
    void SetDuplex(TDuzuPrinterDuplex Value) { duplex_ = Value; }
    int MaxPages() const { return maxPages_; }
    void SetMaxPages(int Value) { maxPages_ = Value; }
    const std::string& Printer() const { return printer_; }
    void SetPrinter(const std::string& Value) { printer_ = Value; }
    TDuzuPrinterResolution Resolution() const { return resolution_; }
    void SetResolution(TDuzuPrinterResolution Value) { resolution_ = Value; }

    const std::string& ReportText() const { return reportText_; }
    void SetReportText(const std::string& Value) { reportText_ = Value; }
    const std::vector<TDuzuPage*>& PageRefs() const { return pageRefs_; }

    TDuzuPage* NewPage();
    void AddPageRef(TDuzuPage* Page);
    void RemovePageRef(TDuzuPage* Page);
    void Activate() override;
    void Deactivate() override;
    void ChangeReference(TDuzuComponent* OldComponent, TDuzuComponent* NewComponent) override;
    void SaveToStreamHelper(TStreamHelper* Helper) override;
    void LoadFromStreamHelper(TStreamHelper* Helper) override;
    // Looks up the page names read with the report.
    void ResolvePageRefs();

    // Runs the report on Engine, a report runner (TReportSystem) or a report
    // engine (TBaseReport): by its own Execute, or straight into the report
    // it is printing already. Without an engine the report makes a runner
    // of its own that previews (setup window, temporary stream file). The
    // data link is held for the run; every length reaches the engine in
    // inches. Any other kind of component raises.
    void Execute(TRSComponent* Engine);
    // The report's printer set-up, restore step and page loop, as the
    // engine's OnBeforePrint, OnAfterPrint and OnPrint run them.
    void PrinterSetup(TBaseReport* Engine);
    void RestoreEngine();
    void PrintPages(TBaseReport* Engine);

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDuzuProjectManager* manager() const;
    void selectBin(TBaseReport* Engine, const TDuzuPage* Page);

    bool alwaysGenerate_ = false;
    std::string category_;
    int copies_ = 0;
    TComponentRef<TDuzuPage> firstPage_{this};
    std::unique_ptr<TDuzuComponentList> pageList_;
    TDuzuPrinterCollate collate_ = pcDefault;
    TDuzuPrinterDuplex duplex_ = pdDefault;
    int maxPages_ = 0;
    std::string printer_;
    TDuzuPrinterResolution resolution_ = prDefault;
    std::string reportText_;
    std::vector<TDuzuPage*> pageRefs_;
    std::unique_ptr<TStringList> pageRefNames_;
    TBaseReport* savedEngine_ = nullptr;
};
