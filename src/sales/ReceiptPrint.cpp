// The printed receipt and the receipt window's report runner: patient box,
// letterhead, receipt/date/page box, the line table ten lines a page with
// the continuation, the totals box with the payments already applied, and
// the receipt message. Positions are in inches from the top left of the page.
#include "app/DataModule.h"
#include "app/ReceiptNumbers.h"
#include "base/SysUtils.h"
#include "data/Fields.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "sales/ReceiptForm.h"
#include "sales/ReceiptSettings.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

constexpr int LinesPerPage = 10;
constexpr std::uint8_t NoBoxLines = 0;
const TColor LightGrey = TColor(0xC0C0C0);
const char* const PrinterTitle = "DazedeVedodev Report";

std::string money(Currency Value) { return CurrToStrF(Value, ffCurrency, 2); }

std::string text(TTable* Table, const char* Field) { return Trim(Table->FieldByName(Field)->AsString()); }

// A box at (Left, Top), which becomes the origin, with a grey title band
// across its top; the brush is left clear for the text.
void titledBox(TBaseReport& r, double Left, double Top, double Width, double Height) {
    r.SetOriginX(Left);
    r.SetOriginY(Top);
    r.Rectangle(0, 0, Width, Height);
    r.SetBrush(LightGrey, bsSolid, nullptr);
    r.Rectangle(0, 0, Width, 0.25);
    r.SetBrush(clWhite, bsClear, nullptr);
}

void patientBox(TBaseReport& r, TTable* Header) {
    r.SetFont("Arial", 10);
    titledBox(r, 0.25, 0.25, 2.5, 1.0);
    r.PrintXY(0.25, 0.15, "Patient");
    r.SetSectionLeft(1.0);
    r.SetSectionTop(0.1);
    r.CarriageReturn();
    r.PrintLn(text(Header, "PatID"));
    r.SetSectionLeft(0.25);
    r.SetSectionTop(0.55);
    r.CarriageReturn();
    r.PrintLn(text(Header, "Name"));
    r.PrintLn(text(Header, "Addr"));
    r.PrintLn(text(Header, "City") + "  " + text(Header, "State") + "  " + text(Header, "Zip"));
    r.ResetSection();
}

void letterhead(TBaseReport& r, const ReceiptSettings::TLetterhead& Shop) {
    r.SetOriginX(2.75);
    r.SetOriginY(0.25);
    r.SetFont("Arial", 12);
    r.SetBold(true);
    r.GotoXY(0, 0);
    r.NextLine();
    r.PrintCenter(Shop.Name, 1.5);
    r.NextLine();
    r.SetBold(false);
    for (const std::string* line : {&Shop.Address1, &Shop.Address2, &Shop.CityLine}) {
        r.PrintCenter(*line, 1.5);
        r.NextLine();
    }
    r.PrintCenter(Shop.Phone, 1.5);
    r.SetFont("Arial", 10);
    r.SetBold(false);
}

void receiptBox(TBaseReport& r, TTable* Header, int Page) {
    r.SetOriginX(5.75);
    r.SetOriginY(0.25);
    r.SetBrush(LightGrey, bsSolid, nullptr);
    r.Rectangle(0, 0, 1.25, 0.25);
    r.Rectangle(1.25, 0, 2.5, 0.25);
    r.SetBrush(clWhite, bsClear, nullptr);
    r.PrintXY(0.25, 0.15, "Receipt");
    r.PrintXY(1.5, 0.15, "Date");
    r.Rectangle(0, 0.25, 1.25, 0.5);
    r.Rectangle(1.25, 0.25, 2.5, 0.5);
    r.PrintXY(0.25, 0.4, ReceiptNumbers::canonical(text(Header, "Receipt")).value_or(""));
    r.PrintXY(1.5, 0.4, Header->FieldByName("Date")->AsString());
    r.PrintXY(1.5, 0.9, "Page " + std::to_string(Page));
}

void lineTable(TBaseReport& r) {
    titledBox(r, 0.25, 1.5, 8.0, 2.25);
    for (double x : {0.8, 1.9, 5.7, 6.8}) {
        r.MoveTo(x, 0.25);
        r.LineTo(x, 2.25);
    }
    r.PrintXY(0.25, 0.15, "Qty");
    r.PrintXY(1.1, 0.15, "Item/Code");
    r.PrintXY(3.45, 0.15, "Description");
    r.PrintXY(6.0, 0.15, "Fee/Price");
    r.PrintXY(7.1, 0.15, "Amount");
    r.ClearTabs();
    r.SetTab(0.05, pjRight, 0.5, 0, NoBoxLines, 0);
    r.SetTab(1.0, pjLeft, 0.75, 0, NoBoxLines, 0);
    r.SetTab(2.2, pjLeft, 3.5, 0, NoBoxLines, 0);
    r.SetTab(6.0, pjRight, 0.6, 0, NoBoxLines, 0);
    r.SetTab(7.0, pjRight, 0.7, 0, NoBoxLines, 0);
    r.SetTab(7.8, pjLeft, 0.2, 0, NoBoxLines, 0);
    r.NextLine();
    r.NextLine();
}

void printLine(TBaseReport& r, TTable* Lines) {
    const Currency qty = TReceiptDocument::LineQuantity(Lines);
    r.PrintTab(qty == Currency() ? "" : FloatToStr(qty.ToDouble()));
    r.PrintTab(text(Lines, "Code"));
    r.PrintTab(text(Lines, "Desc"));
    r.PrintTab(money(Cents::read(Lines->FieldByName("Price"))));
    r.PrintTab(money(Cents::read(Lines->FieldByName("Cost"))));
    r.PrintTab(Lines->FieldByName("Tax")->AsBoolean() ? "T" : "");
    r.NextLine();
}

void totalsBox(TBaseReport& r, const TReceiptTotals& Totals, Currency Payments) {
    r.SetOriginX(5.4);
    r.SetOriginY(3.75);
    r.Rectangle(0, 0, 2.85, 0.89);
    r.Rectangle(0, 0, 2.85, 0.55);
    r.SetBrush(LightGrey, bsSolid, nullptr);
    r.Rectangle(0, 0.37, 2.85, 0.55);
    r.Rectangle(0, 0.71, 2.85, 0.89);
    r.SetBrush(clWhite, bsClear, nullptr);
    r.MoveTo(1.65, 0);
    r.LineTo(1.65, 0.89);
    r.ClearTabs();
    r.SetTab(0.2, pjLeft, 1.5, 0, NoBoxLines, 0);
    r.SetTab(1.85, pjRight, 0.7, 0, NoBoxLines, 0);
    r.GotoXY(0, 0);
    r.NextLine();
    const std::pair<const char*, Currency> rows[] = {{"Subtotal", Totals.SubTotal()},
                                                     {"Sales Tax", Totals.Tax()},
                                                     {"Total", Totals.Total()},
                                                     {"Payments", Payments},
                                                     {"Balance this Receipt", Totals.Total() - Payments}};
    for (const auto& [caption, amount] : rows) {
        r.PrintTab(caption);
        r.PrintTab(money(amount));
        r.NextLine();
    }
}

void message(TBaseReport& r, const std::string& Text) {
    TMemoBuf memo;
    memo.BaseReport = &r;
    memo.PrintStart = 0.5;
    memo.PrintEnd = 5.0;
    memo.SetText(Text);
    r.SetOriginX(0);
    r.SetOriginY(0);
    r.GotoXY(0.5, 4.0);
    r.NextLine();
    r.PrintMemo(&memo, 0, false);
}

// The payments applied to the receipt so far; the rows' order is put back.
Currency paymentsApplied(TDataModule1& Module, const std::string& Receipt) {
    const auto number = ReceiptNumbers::canonical(Receipt);
    if (!number)
        return Currency();
    TTable* rows = Module.PaymentDtlTable;
    const std::string order = rows->IndexName();
    rows->SetIndexName("Receipt");
    Currency paid;
    if (Module.PaymentDtlXbase->Seek(ReceiptNumbers::fieldKey(*number)))
        for (; !rows->Eof() && ReceiptNumbers::canonical(rows->FieldByName("RECEIPT")->AsString()) == number;
             rows->Next())
            paid += Cents::read(rows->FieldByName("PAYMENT"));
    rows->SetIndexName(order);
    return paid;
}

}  // namespace

void TReceiptForm::ReportSystem1Print(TObject* Sender) {
    auto* report = dynamic_cast<TBaseReport*>(Sender);
    if (!report)
        return;
    TBaseReport& r = *report;
    TTable* header = module_.Temp1Table;
    TTable* lines = module_.Temp2Table;
    const ReceiptSettings::TLetterhead shop = ReceiptSettings::Letterhead(module_.DataDirectory);
    lines->First();
    int page = 1;
    do {
        patientBox(r, header);
        letterhead(r, shop);
        receiptBox(r, header, page);
        lineTable(r);
        for (int count = 1; !lines->Eof(); ++count) {
            printLine(r, lines);
            lines->Next();
            if (count == LinesPerPage) {
                ++page;
                r.PrintXY(5.9, 3.0, "Continued on Page " + std::to_string(page));
                r.NewPage();
                break;
            }
        }
    } while (!lines->Eof());
    totalsBox(r, totals_, paymentsApplied(module_, header->FieldByName("Receipt")->AsString()));
    message(r, ReceiptMessageMemo->Text());
    lines->First();
}

void TReceiptForm::PrintBitBtnClick(TObject*) {
    if (!SaveReceipt())
        return;
    ReportSystem1->SystemPrinter()->SetCopies(ReceiptSettings::ReceiptCopies(module_.DataDirectory));
    // The window shows one receipt after another: the print carries its number.
    const auto number = ReceiptNumbers::canonical(module_.Temp1Table->FieldByName("Receipt")->AsString());
    ReportSystem1->setPrintCaption(Caption() + " " + number.value_or(""));
    ReportSystem1->Execute();
    module_.ReceiptChanged = false;
}

void TReceiptForm::buildReportSystem() {
    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    ReportSystem1->SetDefaultDest(rdPrinter);
    ReportSystem1->SystemFiler()->SetStatusFormat("Generating page %p");
    TSystemPrinter* printer = ReportSystem1->SystemPrinter();
    printer->SetStatusFormat("Printing page %p");
    printer->SetTitle(PrinterTitle);
    printer->SetMarginTop(0.25);
    printer->SetMarginBottom(0.25);
    printer->SetUnitsFactor(1.0);
    printer->SetScaleX(100);
    printer->SetScaleY(100);
    TSystemPreview* preview = ReportSystem1->SystemPreview();
    preview->SetFormWidth(675);
    preview->SetZoomFactor(75);
    preview->SetZoomInc(25);
    preview->SetShadowDepth(1);
    preview->SetMarginMethod(mmScaled);
    preview->SetMarginPercent(1);
    bindEvent(ReportSystem1->OnPrint, this, &TReceiptForm::ReportSystem1Print);
}
