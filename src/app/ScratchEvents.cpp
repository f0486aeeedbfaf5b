// Events of the scratch tables the receipt, payments and deposit forms edit,
// and of the claim's service-line charge: the receipt's unsaved-changes flag,
// the new rows' defaults, the grid row limits and the running totals the
// forms read back from the module.
#include <cmath>

#include "app/DataModule.h"
#include "base/Exceptions.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

// Money amounts of the payment rows are added up as whole ten-thousandths.
constexpr double Units = 10000.0;
constexpr double Unit = 0.0001;

int64_t InUnits(TField* Field) { return std::llround(Field->AsFloat() * Units); }

// True when a grid limited to Limit rows (0: no limit) holds them all.
bool RowLimitReached(TXbase* Engine, int Limit) { return Limit > 0 && Engine->RecCount() >= Limit; }

}  // namespace

// ---------------------------------------------------------------------------
// The receipt

void TDataModule1::Temp1TableAfterInsert(TDataSet*) { Temp1Table->FieldByName("BillInsur")->SetAsBoolean(false); }

void TDataModule1::Temp2TableAfterInsert(TDataSet*) {
    // GLASS and PLASTIC, the lens material, are left as they are.
    for (const char* option : {"STRAIT_TOP", "ROUND_SEG",  "TRIFOCAL",   "BLENDED",    "PROGRESSIV",
                               "EXECUTIVE",  "UV_PROTECT", "SCRATCH_CT", "HIGH_INDEX", "ANTI_REFLC",
                               "PGX",        "TRANSITION", "CL_DW",      "CL_EW",      "CL_GP",
                               "CL_DISP",    "CL_TORIC",   "CL_INS",     "CL_TRAIN",   "CL_WRNTY"})
        Temp2Table->FieldByName(option)->SetAsBoolean(false);
}

void TDataModule1::Temp1SourceDataChange(TObject*, TField*) { ReceiptChanged = true; }

void TDataModule1::Temp2SourceDataChange(TObject*, TField*) { ReceiptChanged = true; }

// ---------------------------------------------------------------------------
// The payment's distribution over the patient's receipts

void TDataModule1::Temp4TableBeforeInsert(TDataSet*) {
    if (RowLimitReached(Temp4Xbase, Temp4RowLimit))
        Abort();
    // A new row had no payment before.
    PreviousPayment = 0;
}

void TDataModule1::Temp4TableAfterInsert(TDataSet*) {
    if (RowLimitReached(Temp4Xbase, Temp4RowLimit))
        Temp4Table->Cancel();
}

void TDataModule1::Temp4TableBeforeEdit(TDataSet*) { PreviousPayment = InUnits(Temp4Table->FieldByName("PAYMENT")); }

void TDataModule1::Temp4TableAfterPost(TDataSet*) {
    const double balance = Temp4Table->FieldByName("BALANCE")->AsFloat();
    const int64_t applied = InUnits(Temp4Table->FieldByName("PAYMENT")) - PreviousPayment;
    if (balance > 0)
        TotalDistribution += applied;
    // Rows are also filled while no payment header is open.
    if (!Temp3Table->Active())
        return;
    Temp3Table->Edit();
    Temp3Table->FieldByName("TOTALPAID")->SetAsFloat(static_cast<double>(TotalDistribution) * Unit);
    // Paying into a credit row uses that much of the credit.
    if (balance < 0) {
        TField* credit = Temp3Table->FieldByName("CREDITAPP");
        credit->SetAsFloat(static_cast<double>(InUnits(credit) - applied) * Unit);
    }
    Temp3Table->Post();
}

// ---------------------------------------------------------------------------
// The deposit's payments

void TDataModule1::Temp6TableAfterInsert(TDataSet*) {
    if (RowLimitReached(Temp6Xbase, Temp6RowLimit))
        Temp6Table->Cancel();
}

// ---------------------------------------------------------------------------
// The claim's service-line charge

void TDataModule1::InsDetailTableCHARGESetText(TField* Sender, const std::string& Text) {
    PreviousCharge = Sender->AsCurrency();
    InsDetailTable->Edit();
    Sender->SetAsString(Text);
}

void TDataModule1::InsDetailTableCHARGEChange(TField*) {
    if (CalcCharges)
        CalcCharges();
}
