#include "app/Rebuild.h"

#include <strings.h>

#include <cstdio>
#include <functional>

#include "app/DialogButtons.h"
#include "app/IndexCatalog.h"
#include "app/Schemas.h"
#include "app/Settings.h"
#include "data/DataSource.h"
#include "data/DbTables.h"
#include "os/Paths.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "ui/StdCtrls.h"
#include "xbase/FTS32.h"
#include "xbase/Xbase.h"

namespace {

// Replaced by the rebuild.
const char* const IndexFileNames[] = {
    "Acct.nsx",     "Cptcode.nsx", "Deposdtl.nsx", "Deposit.nsx", "Diagcode.nsx",  "Incident.nsx",
    "Ins.nsx",      "Inscomp.nsx", "Insdtl.nsx",   "Item.nsx",    "Labrx.nsx",     "Ledger.nsx",
    "Patient.nsx",  "Personne.nsx", "Pymt.nsx",    "Pymtdtl.nsx", "Recall.nsx",    "Sales.nsx",
    "Salesdtl.nsx", "Calendar.nsx", "Schedule.nsx", "Pattern.nsx",
};

// The hourglass and the guard against a second rebuild started from the
// progress channel's message processing, undone however the rebuild ends.
class TRebuildRun {
public:
    explicit TRebuildRun(bool& Running) : running_(Running) { running_ = true; }
    ~TRebuildRun() { running_ = false; }

private:
    bool& running_;
    THourGlass hourGlass_;
};

// Shows deleted records for its lifetime, so that every physical record is visited.
class TDeletedShown {
public:
    explicit TDeletedShown(TXbase* Engine) : engine_(Engine), hidden_(Engine->hideDeleted(false)) {}
    ~TDeletedShown() { engine_->hideDeleted(hidden_); }

private:
    TXbase* engine_;
    bool hidden_;
};

// The engine's progress goes to the dialog only while one tag is built.
class TGaugeHooked {
public:
    TGaugeHooked(TXbase* Engine, std::function<void(int)> Hook) : engine_(Engine) {
        engine_->SetGaugeHook(std::move(Hook));
    }
    ~TGaugeHooked() { engine_->SetGaugeHook({}); }

private:
    TXbase* engine_;
};

bool IsPatientTable(const char* FileName) { return strcasecmp(FileName, "Patient.dbf") == 0; }

// The company's index files, moved aside rather than deleted until every
// table is rebuilt: unless the rebuild confirms, they are put back when this
// goes out of scope, in place of whatever was built meanwhile. Another
// workstation may open a table while a long rebuild runs; the company then
// keeps the index files it had.
class TIndexFilesAside {
public:
    // REQUIRES: Folder is a mapped folder path with its trailing separator.
    explicit TIndexFilesAside(std::string Folder) : folder_(std::move(Folder)) {
        // Every spelling of the name: an index left under another case would
        // be found by the case-blind open and served stale.
        for (const char* name : IndexFileNames)
            for (const std::string& file : os::ListFiles(folder_, name))
                if (std::rename(path(file).c_str(), asidePath(file).c_str()) == 0)
                    aside_.push_back(file);
                else
                    os::DeleteFile(path(file));  // cannot be kept: it goes, as it always did
    }
    ~TIndexFilesAside() {
        if (!confirmed_)
            putBack();
    }
    // Every table is rebuilt: the old files go.
    void Confirm() {
        for (const std::string& file : aside_)
            std::remove(asidePath(file).c_str());
        confirmed_ = true;
    }

private:
    void putBack() {
        for (const char* name : IndexFileNames)
            for (const std::string& file : os::ListFiles(folder_, name))
                std::remove(path(file).c_str());
        for (const std::string& file : aside_)
            std::rename(asidePath(file).c_str(), path(file).c_str());
    }
    std::string path(const std::string& File) const { return folder_ + File; }
    std::string asidePath(const std::string& File) const { return folder_ + File + ".old"; }

    std::string folder_;
    std::vector<std::string> aside_;  // names as they were spelled
    bool confirmed_ = false;
};

// Closes the table however the build of its tags ends, before the index
// files are put back.
class TTableClosed {
public:
    explicit TTableClosed(TTable* Table) : table_(Table) {}
    ~TTableClosed() {
        try {
            table_->Close();
        } catch (...) {
        }
    }

private:
    TTable* table_;
};

std::string BusyMessage(const std::vector<std::string>& Tables) {
    std::string names;
    for (const std::string& table : Tables)
        names += (names.empty() ? "" : ", ") + table;
    return "The indexes were not rebuilt: " + names + (Tables.size() == 1 ? " is" : " are") +
           " in use by another user.\r\rClose the company on the other workstations, then rebuild the indexes.";
}

}  // namespace

TRebuildDlg::TRebuildDlg(TComponent* AOwner, TCompanyFiles* Company) : TForm(AOwner), company_(Company) {
    frameDialog(this, "Rebuild Indexes");
    SetBounds(0, 0, 360, 210);

    FileLabel = place<TLabel>(this, 16, 12, 320, 16);
    DataBaseGauge = place<TGauge>(this, 16, 32, 320, 20);
    TagLabel = place<TLabel>(this, 16, 64, 320, 16);
    IndexGauge = place<TGauge>(this, 16, 84, 320, 20);

    placeOKCancel(this, 56, 142, 130, OKBtn, CancelBtn, &TRebuildDlg::OKBtnClick, &TRebuildDlg::CancelBtnClick);
    bindEvent(OKBtn->OnKeyDown, this, &TRebuildDlg::OKBtnKeyDown);
    HelpBtn = place<TButton>(this, 228, 130, 75, 25, "&Help");

    table_ = new TTable(this);
    table_->SetTableType(ttSXNSX);
    source_ = new TDataSource(this);
    source_->SetDataSet(table_);
    xbase_ = new TXbase(this);
    xbase_->SetDataSource(source_);
    fts_ = new TFts(this);

    // Closing in the middle would free the dialog under the running rebuild.
    OnCloseQuery = [this](TObject*, bool& CanClose) { CanClose = !rebuilding_; };
    OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
    Show();
}

void TRebuildDlg::RebuildFiles(TObject* Sender, bool Reopen) {
    if (rebuilding_)
        return;
    std::vector<std::string> busy;
    {
        TRebuildRun run(rebuilding_);
        tagRefused_ = false;
        company_->CloseFiles();
        // Nothing is touched unless every table can be had for exclusive use.
        busy = busyTables();
        if (busy.empty())
            busy = buildAll();
        // Another workstation still has the company open when a table was busy.
        if (busy.empty())
            CompanyIni::File(company_->DataFolder()).Write(CompanyIni::OpenCount, 0);
        if (Reopen)
            company_->OpenFiles();
        DataBaseGauge->SetProgress(busy.empty() ? 100 : 0);
        FileLabel->SetCaption("");
        TagLabel->SetCaption("");
    }
    bool fromCompany = Sender && dynamic_cast<void*>(Sender) == dynamic_cast<void*>(company_);
    if (!busy.empty())
        ShowMessage(BusyMessage(busy));
    // A tag the engine refused has been reported already; the rebuild is not complete then.
    else if (!fromCompany && !tagRefused_)
        ShowMessage("Rebuild Complete!");
    if (OnRebuilt)
        OnRebuilt(this, busy.empty() && !tagRefused_);
    Close();
}

std::vector<std::string> TRebuildDlg::busyTables() {
    std::vector<std::string> busy;
    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        try {
            openTable(table.FileName);
        } catch (const EDatabaseError&) {
            busy.push_back(table.FileName);
        }
        table_->Close();
    }
    return busy;
}

std::vector<std::string> TRebuildDlg::buildAll() {
    TIndexFilesAside oldFiles(os::IncludeTrailingPathDelimiter(os::MapPath(company_->DataFolder())));
    Application->ProcessMessages();
    DataBaseGauge->SetProgress(0);
    IndexGauge->SetProgress(0);

    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        TTableClosed closed(table_);
        try {
            openTable(table.FileName);
        } catch (const EDatabaseError&) {
            return {table.FileName};
        }
        FileLabel->SetCaption(table.Label);
        bool first = true;
        for (const TIndexTagDef& tag : table.Tags) {
            if (tag.Unique)
                RebuildUniqueTag(xbase_, tag.TagName, tag.Expression);
            else if (*tag.Condition)
                RebuildConditionalTag(xbase_, tag.TagName, tag.Condition, tag.Expression);
            else
                RebuildTag(xbase_, tag.TagName, tag.Expression);
            if (first && table.FirstTagMark)
                DataBaseGauge->SetProgress(table.FirstTagMark);
            first = false;
        }
        if (IsPatientTable(table.FileName))
            RebuildFts(xbase_, "IA");
        DataBaseGauge->SetProgress(table.Mark);
        table_->Close();
        Application->ProcessMessages();
    }
    oldFiles.Confirm();
    return {};
}

int TRebuildDlg::RebuildTag(TXbase* Engine, const std::string& TagName, const std::string& Expression) {
    return buildTag(Engine, TagName, Expression, XB_INDEX_PLAIN, "");
}

int TRebuildDlg::RebuildUniqueTag(TXbase* Engine, const std::string& TagName, const std::string& Expression) {
    return buildTag(Engine, TagName, Expression, XB_INDEX_UNIQUE, "");
}

int TRebuildDlg::RebuildConditionalTag(TXbase* Engine, const std::string& TagName, const std::string& Condition,
                                       const std::string& Expression) {
    return buildTag(Engine, TagName, Expression, XB_INDEX_PLAIN, Condition);
}

int TRebuildDlg::buildTag(TXbase* Engine, const std::string& TagName, const std::string& Expression, int Option,
                           const std::string& Condition) {
    TagLabel->SetCaption(TagName);
    FileLabel->Repaint();
    TagLabel->Repaint();
    int result;
    {
        // Each report arrives as the key code the progress channel decodes.
        TGaugeHooked hooked(Engine, [this](int Percent) {
            Word key = static_cast<Word>(0x10000 - Percent);
            OKBtnKeyDown(OKBtn, key, {});
        });
        IndexGauge->SetProgress(0);
        result = Engine->IndexTag("", TagName, Expression, Option, false, Condition);
    }
    if (result == 0) {
        tagRefused_ = true;
        ShowMessage("Index tag " + TagName + " of " + table_->TableName() + " could not be built.");
    }
    return result;
}

void TRebuildDlg::RebuildFts(TXbase* Engine, const std::string& Label) {
    TagLabel->SetCaption(Label);
    TagLabel->Repaint();
    IndexGauge->SetProgress(0);

    fts_->Close();
    std::string path = Schemas::tableFileName(company_->DataFolder(), "Patient.ia");
    if (fts_->CreateIndex(path, 20, 3, 1, 1) != 0) {
        // Without an index every add would fail; say so once.
        ShowMessage("Error adding IA key!");
        return;
    }

    // Every physical record, in record order, so that key n is record n.
    Engine->SetOrder(XB_RECORD_ORDER);
    {
        TDeletedShown allRecords(Engine);
        int n = Engine->RecCount();
        int i = 0;
        Engine->GoTop();
        while (!Engine->Eof()) {
            if (fts_->Add(patientFtsKey(Engine)) < 0)
                ShowMessage("Error adding IA key!");
            if (Engine->RecordDeleted())
                fts_->Delete(Engine->RecNo());
            ++i;
            IndexGauge->SetProgress(n > 0 ? i * 100 / n : 100);
            Engine->Skip(1);
        }
    }
    Engine->GoTop();
    fts_->Close();
}

void TRebuildDlg::OKBtnClick(TObject* Sender) { RebuildFiles(Sender, true); }

void TRebuildDlg::CancelBtnClick(TObject*) { Close(); }

void TRebuildDlg::OKBtnKeyDown(TObject*, Word& Key, TShiftState) {
    if (((Key >> 8) & 0x70) == 0)
        return;
    IndexGauge->SetProgress(static_cast<Word>(-Key));
    Application->ProcessMessages();
    Key = 0;
}

void TRebuildDlg::openTable(const std::string& FileName) {
    table_->Close();
    table_->SetDatabaseName(company_->DataFolder());
    table_->SetTableName(FileName);
    table_->SetIndexName("");
    table_->SetExclusive(true);
    table_->Open();
}
