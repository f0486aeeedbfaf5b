#include "reports/PaymentsByDay.h"

#include "app/DataModule.h"
#include "app/ProgramReportProject.h"
#include "reporting/project/RSDuzu.h"
#include "reports/DateRange.h"
#include "ui/FormKit.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"

namespace {

// The shared payment table as a run found it, put back when the run ends.
class TPaymentTableState {
public:
    TPaymentTableState(TTable& Table, TXbase& Xbase) : table_(Table), xbase_(Xbase) {
        indexName_ = Table.IndexName();
        Xbase.GetScope(XB_SCOPE_LOW, low_);
        Xbase.GetScope(XB_SCOPE_HIGH, high_);
        filter_ = Xbase.Filter();
        // After Last the table reports its end while it stands on the last record.
        atRecord_ = Table.Active() && !(Table.Bof() && Table.Eof());
        if (atRecord_) recNo_ = Xbase.RecNo();
    }
    ~TPaymentTableState() {
        try {
            xbase_.SetScope("", "");
            xbase_.SetFilter(filter_);
            table_.SetIndexName(indexName_);
            if (!low_.empty() || !high_.empty()) xbase_.SetScope(low_, high_);
            if (atRecord_) xbase_.Go(recNo_);
        } catch (...) {
            // The run's own error, if any, is the one the user sees.
        }
    }

private:
    TTable& table_;
    TXbase& xbase_;
    std::string indexName_, low_, high_, filter_;
    bool atRecord_ = false;
    int recNo_ = 0;
};

}  // namespace

TPaymentsByDayReport::TPaymentsByDayReport(TComponent* AOwner) : TDateRangeForm(AOwner, "Payments By Day") {
    bindEvent(OnCreate, this, &TPaymentsByDayReport::FormCreate);
    bindEvent(OnClose, this, &TPaymentsByDayReport::FormClose);
    bindEvent(BitBtn1->OnClick, this, &TPaymentsByDayReport::BitBtn1Click);
}

void TPaymentsByDayReport::FormCreate(TObject*) { DateRangeComboBoxChange(this); }

void TPaymentsByDayReport::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TPaymentsByDayReport::BitBtn1Click(TObject*) {
    runOnRange([this](TDateTime From, TDateTime Thru) {
        const std::string begText = FromKingDateDialog->Text(), endText = ThruKingDateDialog->Text();
        TDuzuProject* project = programReportProject();
        if (!project || !DataModule1) return;
        TTable& payments = *DataModule1->PaymentTable;
        TXbase& xbase = *DataModule1->PaymentXbase;
        TPaymentTableState restore(payments, xbase);
        payments.SetIndexName("Date");
        xbase.SetScope(DateRange::Key(From), DateRange::Key(Thru));
        xbase.SetFilter(".not. empty(paidwith)");
        payments.First();
        project->Open();
        try {
            project->SetParam("BegDate", begText);
            project->SetParam("EndDate", endText);
            project->ExecuteReport("Pmt_Report");
        } catch (...) {
            project->Close();
            throw;
        }
        project->Close();
    });
}
