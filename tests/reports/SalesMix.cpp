#include "SalesMix.h"

#include "support/CompanyFixture.h"

namespace SalesMix {

namespace {

using CompanyFixture::Row;

Row receipt(const std::string& Number, const std::string& Date, const std::string& Emply, const std::string& Subtotal,
            const std::string& Rate, const std::string& Tax) {
    return {{"RECEIPT", Number}, {"DATE", Date},         {"PATID", "2"},    {"NAME", "Baker"},
            {"EMPLY", Emply},    {"SUBTOTAL", Subtotal}, {"TAXRATE", Rate}, {"SALESTAX", Tax}};
}

Row line(const std::string& Receipt, const std::string& ItemNo, const std::string& Qty, const std::string& Price,
         const std::string& Amount, bool Taxed) {
    return {{"RECEIPT", Receipt}, {"ITEMNO", ItemNo}, {"DESC", ItemNo + " sold"}, {"QTY", Qty},
            {"PRICE", Price},     {"AMOUNT", Amount}, {"TAXED", Taxed ? "T" : "F"}};
}

}  // namespace

void AddSixRateReceipts(const std::string& Dir) {
    const struct {
        const char* Number;
        const char* Rate;
        const char* Amount;
    } sales[] = {{"2001", "0.050000", "100.00"}, {"2002", "0.072500", "100.00"}, {"2003", "0.060000", "100.00"},
                 {"2004", "0.082500", "100.00"}, {"2005", "0.090000", "10.00"},  {"2006", "0.100000", "20.00"}};
    std::vector<Row> receipts, lines;
    for (const auto& sale : sales) {
        receipts.push_back(receipt(sale.Number, "20240320", "1", sale.Amount, sale.Rate, "0"));
        lines.push_back(line(sale.Number, "FR1", "1", sale.Amount, sale.Amount, true));
    }
    receipts.push_back(receipt("2007", "20240320", "1", "0", "0.050000", "3.00"));
    CompanyFixture::AppendRows(Dir, "Sales.dbf", receipts);
    CompanyFixture::AppendRows(Dir, "SalesDtl.dbf", lines);
}

void AddRoundedTaxReceipts(const std::string& Dir) {
    std::vector<Row> receipts, lines;
    for (const char* number : {"3001", "3002", "3003"}) {
        receipts.push_back(receipt(number, "20240321", "2", "10.00", "0.082500", "0.83"));
        lines.push_back(line(number, "FR1", "1", "10.00", "10.00", true));
    }
    CompanyFixture::AppendRows(Dir, "Sales.dbf", receipts);
    CompanyFixture::AppendRows(Dir, "SalesDtl.dbf", lines);
}

void AddMixedItems(const std::string& Dir) {
    CompanyFixture::AppendRows(
        Dir, "Item.dbf",
        {{{"ID", "FR2"}, {"ITEMTYPE", "Frames"}, {"CATEGORY", "Plastic"}, {"DESC", "Plastic frame"},
          {"UNITMEAS", "EA"}, {"TAXED", "T"}, {"CTRLITEM", "F"}},
         {{"ID", "FR3"}, {"ITEMTYPE", "Frames"}, {"CATEGORY", "Metal"}, {"DESC", "Titanium frame"},
          {"UNITMEAS", "EA"}, {"TAXED", "T"}, {"CTRLITEM", "F"}},
         {{"ID", "BL1"}, {"ITEMTYPE", "blank"}, {"CATEGORY", "blank"}, {"DESC", "Blank"}, {"TAXED", "F"},
          {"CTRLITEM", "F"}}});
    CompanyFixture::AppendRows(Dir, "Sales.dbf",
                               {receipt("4001", "20240322", "", "100.00", "0.050000", "5.00"),
                                receipt("4002", "20240323", "1", "7.00", "0.050000", "0"),
                                receipt("4003", "20240324", "1", "40.00", "0", "0"),
                                receipt("4004", "20240324", "1", "60.00", "0.050000", "3.00")});
    CompanyFixture::AppendRows(Dir, "SalesDtl.dbf",
                               {line("4001", "FR1", "1", "50.00", "50.00", true),
                                line("4001", "FR2", "1.5", "20.00", "30.00", true),
                                line("4001", "FR3", "1", "20.00", "20.00", true),
                                line("4002", "BL1", "1", "7.00", "7.00", false),
                                line("4003", "LN1", "1", "40.00", "40.00", true),
                                line("4004", "LN1", "1", "60.00", "60.00", true)});
}

}  // namespace SalesMix
