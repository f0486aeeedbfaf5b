#include "reports/ReceiptLineScan.h"

#include "app/AppUtils.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "ui/Application.h"
#include "xbase/Xbase.h"

std::string receiptText(double Receipt) { return FormatFloat("0", Receipt); }

TLineFigures scanReceiptLines(const TReceiptLineTables& Tables, const std::string& Receipt) {
    TLineFigures figures;
    if (!Tables.LinesXbase->Seek(AppUtils::PadLeft(Receipt, 10)) || !Tables.LinesXbase->Found()) return figures;
    TTable& lines = *Tables.Lines;
    while (!lines.Eof() && receiptText(lines.FieldByName("RECEIPT")->AsFloat()) == Receipt) {
        const Currency amount = lines.FieldByName("AMOUNT")->AsCurrency();
        // Exact and upper-cased: a prefix seek would take "FR1" for "FR".
        const std::string itemKey = AppUtils::PadRight(UpperCase(Trim(lines.FieldByName("ITEMNO")->AsString())), 10);
        const bool found = Tables.ItemsXbase->Seek(itemKey) && Tables.ItemsXbase->Found();
        if (found && Trim(Tables.Items->FieldByName("ITEMTYPE")->AsString()) == "Adjustment")
            figures.Adjustments += amount;
        else if (amount < Currency(0))
            figures.Discounts += amount;
        Application->ProcessMessagesNowAndThen();
        lines.Next();
    }
    return figures;
}
