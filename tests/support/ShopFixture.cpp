#include "support/ShopFixture.h"

#include <fstream>

#include "app/LedgerPostings.h"
#include "base/Currency.h"
#include "base/DateTime.h"
#include "data/DbTables.h"
#include "ui/Application.h"
#include "xbengine/XbEngine.h"

namespace ShopFixture {

double FixtureNow() { return EncodeDate(2024, 3, 15) + EncodeTime(10, 7, 0, 0); }

void AddDocuments(const std::string& Dir) {
    using CompanyFixture::AppendRows;
    AppendRows(Dir, "Item.dbf",
               {{{"ID", "FR1"}, {"ITEMTYPE", "Frames"}, {"CATEGORY", "Metal"}, {"DESC", "Metal frame"},
                 {"SELL", "100.00"}, {"UNITMEAS", "EA"}, {"TAXED", "T"}, {"CTRLITEM", "F"}},
                {{"ID", "LN1"}, {"ITEMTYPE", "Lenses"}, {"CATEGORY", "Single"}, {"DESC", "Single vision"},
                 {"SELL", "25.00"}, {"UNITMEAS", "PR"}, {"TAXED", "F"}, {"CTRLITEM", "F"}},
                {{"ID", "ADJ"}, {"ITEMTYPE", "Adjustment"}, {"DESC", "Adjustment"}, {"TAXED", "F"},
                 {"CTRLITEM", "F"}}});
    AppendRows(Dir, "Personne.dbf", {{{"ID", "1"}, {"RECNAME", "Ann"}, {"NAME", "Ann"}},
                                     {{"ID", "2"}, {"RECNAME", "Bob"}, {"NAME", "Bob"}}});
    AppendRows(Dir, "Patient.dbf",
               {{{"ID", "1"}, {"RECNAME", "ADAMS"}, {"NAME", "Adams"}, {"BALANCE", "94.35"}, {"TERMS", "30"}},
                {{"ID", "2"}, {"RECNAME", "BAKER"}, {"NAME", "Baker"}, {"BALANCE", "0"}, {"TERMS", "30"}}});
    AppendRows(Dir, "Sales.dbf",
               {{{"RECEIPT", "1001"}, {"DATE", "20240314"}, {"PATID", "1"}, {"NAME", "Adams"}, {"EMPLY", "1"},
                 {"SUBTOTAL", "150.00"}, {"TAXRATE", "0.050000"}, {"SALESTAX", "5.00"}, {"TOTAL", "155.00"},
                 {"BALANCE", "55.00"}, {"TERMS", "30"}, {"DUEDATE", "20240413"}},
                {{"RECEIPT", "1002"}, {"DATE", "20240314"}, {"PATID", "2"}, {"NAME", "Baker"}, {"EMPLY", "2"},
                 {"SUBTOTAL", "70.00"}, {"TAXRATE", "0.050000"}, {"SALESTAX", "4.00"}, {"TOTAL", "74.00"},
                 {"BALANCE", "0"}, {"TERMS", "30"}, {"DUEDATE", "20240413"}},
                {{"RECEIPT", "1003"}, {"DATE", "20240315"}, {"PATID", "1"}, {"NAME", "Adams"}, {"EMPLY", "1"},
                 {"SUBTOTAL", "55.00"}, {"TAXRATE", "0.072500"}, {"SALESTAX", "4.35"}, {"TOTAL", "59.35"},
                 {"BALANCE", "39.35"}, {"TERMS", "30"}, {"DUEDATE", "20240414"}}});
    AppendRows(Dir, "SalesDtl.dbf",
               {{{"RECEIPT", "1001"}, {"ITEM", "1"}, {"ITEMNO", "FR1"}, {"DESC", "Metal frame"}, {"QTY", "1"},
                 {"PRICE", "100.00"}, {"AMOUNT", "100.00"}, {"TAXED", "T"}},
                {{"RECEIPT", "1001"}, {"ITEM", "2"}, {"ITEMNO", "LN1"}, {"DESC", "Single vision"}, {"QTY", "2"},
                 {"PRICE", "25.00"}, {"AMOUNT", "50.00"}, {"TAXED", "F"}},
                {{"RECEIPT", "1002"}, {"ITEM", "1"}, {"ITEMNO", "FR1"}, {"DESC", "Metal frame"}, {"QTY", "1"},
                 {"PRICE", "80.00"}, {"AMOUNT", "80.00"}, {"TAXED", "T"}},
                {{"RECEIPT", "1002"}, {"ITEM", "2"}, {"ITEMNO", "ADJ"}, {"DESC", "Adjustment"}, {"QTY", "1"},
                 {"PRICE", "-10.00"}, {"AMOUNT", "-10.00"}, {"TAXED", "F"}},
                {{"RECEIPT", "1003"}, {"ITEM", "1"}, {"ITEMNO", "LN1"}, {"DESC", "Single vision"}, {"QTY", "1"},
                 {"PRICE", "60.00"}, {"AMOUNT", "60.00"}, {"TAXED", "T"}},
                {{"RECEIPT", "1003"}, {"ITEM", "2"}, {"ITEMNO", "ZZZ"}, {"DESC", "Return"}, {"QTY", "0"},
                 {"PRICE", "-5.00"}, {"AMOUNT", "-5.00"}, {"TAXED", "F"}}});
    AppendRows(Dir, "Pymt.dbf",
               {{{"ID", "1"}, {"DATE", "20240315"}, {"PATID", "1"}, {"NAME", "Adams"}, {"PAIDWITH", "CASH"},
                 {"AMOUNT", "100.00"}, {"BALANCE", "55.00"}, {"TOTALPAID", "0"}, {"DEPOSITED", "T"},
                 {"POSTREF", "1"}},
                {{"ID", "2"}, {"DATE", "20240315"}, {"PATID", "2"}, {"NAME", "Baker"}, {"PAIDWITH", "CHECK"},
                 {"AMOUNT", "74.00"}, {"CHECKNO", "512"}, {"BALANCE", "0"}, {"TOTALPAID", "0"},
                 {"DEPOSITED", "T"}, {"POSTREF", "1"}},
                {{"ID", "3"}, {"DATE", "20240315"}, {"PATID", "1"}, {"NAME", "Adams"}, {"PAIDWITH", "Charge"},
                 {"AMOUNT", "20.00"}, {"BALANCE", "39.35"}, {"TOTALPAID", "0"}, {"DEPOSITED", "T"},
                 {"POSTREF", "1"}}});
    AppendRows(Dir, "PymtDtl.dbf",
               {{{"PAYMENTID", "1"}, {"DATE", "20240315"}, {"RECEIPT", "1001"}, {"AMOUNT", "155.00"},
                 {"BALANCE", "55.00"}, {"PAYMENT", "100.00"}},
                {{"PAYMENTID", "2"}, {"DATE", "20240315"}, {"RECEIPT", "1002"}, {"AMOUNT", "74.00"},
                 {"BALANCE", "0"}, {"PAYMENT", "74.00"}},
                {{"PAYMENTID", "3"}, {"DATE", "20240315"}, {"RECEIPT", "1003"}, {"AMOUNT", "59.35"},
                 {"BALANCE", "39.35"}, {"PAYMENT", "20.00"}}});
    AppendRows(Dir, "Deposit.dbf",
               {{{"ID", "1"}, {"TYPE", "1"}, {"DATE", "20240315"}, {"CURRENCY", "100.00"}, {"COINS", "0"},
                 {"CHECKS", "74.00"}, {"CHARGES", "20.00"}, {"TOTAL", "194.00"}}});
    AppendRows(Dir, "DeposDtl.dbf",
               {{{"DEPOSITID", "1"}, {"RECDFROM", "Adams"}, {"AMOUNT", "100.00"}, {"PMTMETH", "CASH"},
                 {"PAYMENTID", "1"}},
                {{"DEPOSITID", "1"}, {"RECDFROM", "Baker"}, {"AMOUNT", "74.00"}, {"NUMBER", "512"},
                 {"PMTMETH", "CHECK"}, {"PAYMENTID", "2"}},
                {{"DEPOSITID", "1"}, {"RECDFROM", "Adams"}, {"AMOUNT", "20.00"}, {"PMTMETH", "Charge"},
                 {"PAYMENTID", "3"}}});
}

void PostDocuments(TDataModule1& Module) {
    using namespace LedgerPostings;
    const TDateTime d14 = EncodeDate(2024, 3, 14), d15 = EncodeDate(2024, 3, 15);
    const TReceiptFigures none;
    auto receipt = [&](const char* Number, const char* Patient, TDateTime Date, const char* Sub, const char* Tax,
                       const char* Total) {
        const TReceiptFigures now{StrToCurr(Sub), StrToCurr(Tax), StrToCurr(Total)};
        postLedgerRows(Module, receiptRows(now, none, Number, Patient, Date));
    };
    receipt("1001", "1", d14, "150.00", "5.00", "155.00");
    receipt("1002", "2", d14, "70.00", "4.00", "74.00");
    receipt("1003", "1", d15, "55.00", "4.35", "59.35");
    postLedgerRows(Module, PaymentRows(Currency(100), Currency(0), "1", "1", d15));
    postLedgerRows(Module, PaymentRows(Currency(74), Currency(0), "2", "2", d15));
    postLedgerRows(Module, PaymentRows(Currency(20), Currency(0), "3", "1", d15));
    postLedgerRows(Module, DepositRows(Currency(194), "1", d15));
}

}  // namespace ShopFixture

void ShopTest::SetUp() {
    Application->Initialize();
    xb_CloseAll();
    setFixedNow(ShopFixture::FixtureNow());
    ShopFixture::AddDocuments(company.DataDirectory());
    addRows(company.DataDirectory());
    module = std::make_unique<TDataModule1>(nullptr, nullptr);
    DataModule1 = module.get();
    module->ChangeDataDirectory(company.DataDirectory());
    ShopFixture::PostDocuments(*module);
    postRows(*module);
}

void ShopTest::TearDown() {
    module.reset();
    Application->ProcessMessages();
    Session()->Close();
    xb_CloseAll();
    clearFixedNow();
}
