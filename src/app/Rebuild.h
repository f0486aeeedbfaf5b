#pragma once
// The "Rebuild Indexes" dialog: replaces every index file of the open
// company, building all tags anew from the catalogue (IndexCatalog.h), then
// the patients' full-text index. Either every table is rebuilt or the index
// files stay as they were: a table that another workstation holds stops the
// rebuild with one message naming it. It shows itself when created and frees
// itself when closed.
#include <functional>
#include <string>
#include <vector>

#include "ui/Forms.h"

class TButton;
class TDataSource;
class TFts;
class TGauge;
class TLabel;
class TTable;
class TXbase;

// What the rebuild needs of the company it works on; the data module
// provides it. The rebuild closes the company first, since it needs every
// table for exclusive use.
class TCompanyFiles {
public:
    virtual ~TCompanyFiles() = default;
    // The company's data folder.
    virtual std::string DataFolder() const = 0;
    virtual void CloseFiles() = 0;
    virtual void OpenFiles() = 0;
};

class TRebuildDlg : public TForm {
public:
    TRebuildDlg(TComponent* AOwner, TCompanyFiles* Company);

    TLabel* FileLabel;
    TGauge* DataBaseGauge;
    TLabel* TagLabel;
    TGauge* IndexGauge;
    TButton* OKBtn;
    TButton* CancelBtn;
    TButton* HelpBtn;

    // Rebuilds every index file of the company. A Sender that is the company
    // itself (the data module's open sequence) gets no completion message;
    // with Reopen set the company is opened again afterwards, also when a
    // table in use elsewhere stopped the rebuild. The dialog closes at the end.
    void RebuildFiles(TObject* Sender, bool Reopen);
    // Build one tag of the table bound to Engine into the table's own index
    // file; each returns the engine's result (the new order, 0 when refused).
    int RebuildTag(TXbase* Engine, const std::string& TagName, const std::string& Expression);
    int RebuildUniqueTag(TXbase* Engine, const std::string& TagName, const std::string& Expression);
    int RebuildConditionalTag(TXbase* Engine, const std::string& TagName, const std::string& Condition,
                              const std::string& Expression);
    // Makes "Patient.ia" anew from the patient table bound to Engine: key n
    // for record n, deleted records included (their keys deleted again).
    void RebuildFts(TXbase* Engine, const std::string& Label);

    // Heard at the end of RebuildFiles: Complete when every table's tags
    // and the full-text index were built.
    std::function<void(TObject* Sender, bool Complete)> OnRebuilt;

    void OKBtnClick(TObject* Sender);
    // Closes the dialog, unless a rebuild is running.
    void CancelBtnClick(TObject* Sender);
    // The progress channel: a key code whose high byte has any of the bits
    // 0x70 set carries a percentage negated in 16 bits; it moves IndexGauge
    // and is swallowed. Real keys pass unchanged.
    void OKBtnKeyDown(TObject* Sender, Word& Key, TShiftState Shift);

private:
    int buildTag(TXbase* Engine, const std::string& TagName, const std::string& Expression, int Option,
                  const std::string& Condition);
    void openTable(const std::string& FileName);
    // The catalogue's tables that cannot be opened for exclusive use now.
    std::vector<std::string> busyTables();
    // Builds every table's tags, and the full-text index; the table that
    // could not be opened for exclusive use stops it (nothing when none).
    std::vector<std::string> buildAll();

    TCompanyFiles* company_;
    TTable* table_;
    TDataSource* source_;
    TXbase* xbase_;
    TFts* fts_;
    bool rebuilding_ = false;
    bool tagRefused_ = false;
};
