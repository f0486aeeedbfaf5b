#include "reports/SalesByItem.h"

#include <unistd.h>

#include <atomic>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "reporting/RSBase.h"
#include "reports/DateRange.h"
#include "reports/ReceiptLineScan.h"
#include "reports/SharedTablePlace.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/FormKit.h"
#include "ui/HourGlass.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbCodes.h"

namespace {

constexpr const char* AllSales = "<All Sales>";
constexpr const char* QtyPicture = "##0;;0";
constexpr const char* LinePicture = "##,###,##0.00;;0";
constexpr const char* TotalPicture = "###,###,##0.00";
// Line amounts and category subtotals end eight blanks short of the "Total"
// column's edge, so the type subtotals stand further right.
constexpr const char* Indent = "        ";

struct TScratchField {
    const char* Name;
    const char* Type;
    int Width;
    int Decimals;
};
constexpr TScratchField ScratchFields[] = {
    {"ItemType", "C", 20, 0}, {"Category", "C", 20, 0}, {"ItemNo", "C", 10, 0}, {"Receipt", "N", 10, 0},
    {"Qty", "N", 10, 2},      {"UM", "C", 4, 0},         {"Desc", "C", 30, 0},   {"Price", "N", 10, 2},
    {"Amount", "N", 10, 2},   {"Emply", "C", 4, 0},
};

// A scratch file name no other form of this program, nor another program
// on the same installation, is using.
std::string uniqueScratchName() {
    static std::atomic<int> instances{0};
    return "temp10_" + std::to_string(getpid()) + "_" + std::to_string(++instances);
}

}  // namespace

TSalesByItemReport::TSalesByItemReport(TComponent* AOwner) : TSalesByItemReport(AOwner, "Sales by Item - Detail") {}

TSalesByItemReport::TSalesByItemReport(TComponent* AOwner, const std::string& Caption)
    : TReceiptTablesForm(AOwner, "SALES.DBF", Caption), title_(Caption) {
    SetHeight(216);
    PageEndY = 9.0;

    const std::string name = uniqueScratchName();
    scratchFile_ = os::TempFolder() + "/" + name + ".dbf";
    scratchIndex_ = os::TempFolder() + "/" + name + ".nsx";
    ReportTable = new TTable(this);
    ReportTable->SetDatabaseName(os::TempFolder());
    ReportTable->SetTableType(ttSXNSX);
    ReportTable->SetTableName(name + ".dbf");
    ReportTable->SetExclusive(true);
    ReportSource = new TDataSource(this);
    ReportSource->SetDataSet(ReportTable);
    ReportXbase = new TXbase(this);
    ReportXbase->SetDataSource(ReportSource);

    Label3 = place<TLabel>(this, 12, 108, 36, 13, "Sold by");
    SoldByComboBox = place<TComboBox>(this, 52, 104, 145, 21);
    SoldByComboBox->Font()->SetName("Arial");
    SoldByComboBox->Font()->SetHeight(-11);
    SoldByComboBox->Font()->SetPitch(fpFixed);
    SoldByComboBox->SetText(AllSales);
    BitBtn1->SetTop(140);

    bindEvent(BitBtn1->OnClick, this, &TSalesByItemReport::BitBtn1Click);
    bindReportHandlers(this);
}

TSalesByItemReport::~TSalesByItemReport() {
    try {
        removeScratchTable();
    } catch (...) {
        // A form being freed leaves at worst a file in the temp folder.
    }
}

void TSalesByItemReport::removeScratchTable() {
    ReportTable->Close();
    os::DeleteFile(scratchFile_);
    os::DeleteFile(scratchIndex_);
}

void TSalesByItemReport::FormCreate(TObject*) {
    DateRangeComboBoxChange(this);
    SoldByComboBox->Items()->Add(AllSales);
    if (!DataModule1) return;
    TTable& personnel = *DataModule1->PersonnelTable;
    TSharedTablePlace restore(personnel, *DataModule1->PersonnelXbase);
    if (!personnel.Active()) personnel.Open();
    personnel.SetIndexName("RecName");
    for (personnel.First(); !personnel.Eof(); personnel.Next())
        SoldByComboBox->Items()->Add(AppUtils::PadRight(Trim(personnel.FieldByName("ID")->AsString()), 4) + " " +
                                     TrimRight(personnel.FieldByName("RECNAME")->AsString()));
}

void TSalesByItemReport::FormActivate(TObject*) { Screen->SetCursor(crDefault); }

void TSalesByItemReport::FormClose(TObject*, TCloseAction& Action) {
    Table1->Close();
    Table2->Close();
    Table3->Close();
    removeScratchTable();
    Action = caFree;
}

void TSalesByItemReport::BitBtn1Click(TObject*) {
    runOnce([this] {
        THourGlass hourGlass;
        Application->ProcessMessages();  // the hourglass shows before the tables open
        Table1->Open();
        Table2->Open();
        Table3->Open();
        TDateTime from = 0, thru = 0;
        normaliseDates(from, thru);
        Xbase1->SetScope(DateRange::Key(from), DateRange::Key(thru));
        Table1->First();
        if (!CreateReportTable()) return;
        try {
            ReportSystem1->Execute();
        } catch (...) {
            ReportXbase->SetFilter("");
            throw;
        }
        // Also after a run that never reached its end.
        ReportXbase->SetFilter("");
    });
}

bool TSalesByItemReport::CreateReportTable() {
    removeScratchTable();
    if (ReportXbase->CreateNew(scratchFile_, XB_DRIVER_NSX, static_cast<int>(std::size(ScratchFields))) == 0) {
        ShowMessage("Create Failed! (1)");
        return false;
    }
    for (const TScratchField& field : ScratchFields)
        ReportXbase->CreateField(field.Name, field.Type, field.Width, field.Decimals);
    if (!ReportXbase->CreateExec()) {
        ShowMessage("Create Failed! (2)");
        return false;
    }
    ReportTable->Open();
    fillReportTable();
    // Categories group inside their type.
    if (ReportXbase->Index(scratchIndex_, "ItemType + Category + ItemNo", XB_INDEX_PLAIN, false, "") == 0) {
        ShowMessage("Create Failed! (2)");
        return false;
    }
    return true;
}

void TSalesByItemReport::fillReportTable() {
    for (Table1->First(); !Table1->Eof(); Table1->Next()) {
        const std::string receipt = receiptText(Table1->FieldByName("RECEIPT")->AsFloat());
        const std::string emply = Trim(Table1->FieldByName("EMPLY")->AsString());
        if (!Xbase2->Seek(AppUtils::PadLeft(receipt, 10)) || !Xbase2->Found()) continue;
        for (; !Table2->Eof() && receiptText(Table2->FieldByName("RECEIPT")->AsFloat()) == receipt; Table2->Next()) {
            const std::string itemNo = TrimRight(Table2->FieldByName("ITEMNO")->AsString());
            // Exact and upper-cased: a prefix seek would take "FR1" for "FR".
            const std::string itemKey = AppUtils::PadRight(UpperCase(Trim(itemNo)), 10);
            const bool found = Xbase3->Seek(itemKey) && Xbase3->Found();
            double qty = Table2->FieldByName("QTY")->AsFloat();
            if (qty == 0) qty = 1;
            ReportTable->Append();
            auto set = [this](const char* Name, const std::string& Value) {
                ReportTable->FieldByName(Name)->SetAsString(Value);
            };
            set("ItemType", found ? TrimRight(Table3->FieldByName("ITEMTYPE")->AsString()) : "Other");
            set("Category", found ? TrimRight(Table3->FieldByName("CATEGORY")->AsString()) : "No Category");
            set("ItemNo", itemNo);
            ReportTable->FieldByName("Receipt")->SetAsFloat(Table2->FieldByName("RECEIPT")->AsFloat());
            ReportTable->FieldByName("Qty")->SetAsFloat(qty);
            set("UM", found ? TrimRight(Table3->FieldByName("UNITMEAS")->AsString()) : "");
            set("Desc", TrimRight(Table2->FieldByName("DESC")->AsString()));
            ReportTable->FieldByName("Price")->SetAsCurrency(Table2->FieldByName("PRICE")->AsCurrency());
            ReportTable->FieldByName("Amount")->SetAsCurrency(Table2->FieldByName("AMOUNT")->AsCurrency());
            set("Emply", emply);
            ReportTable->Post();
            Application->ProcessMessagesNowAndThen();
        }
    }
}

void TSalesByItemReport::ReportSystem1AfterPrint(TObject*) { SetCursor(crDefault); }

std::string TSalesByItemReport::scratchText(const char* FieldName) const {
    return TrimRight(ReportTable->FieldByName(FieldName)->AsString());
}

void TSalesByItemReport::ReportShell1ReportBefore(TBaseReport* Report, TDetailShell*) {
    const std::string soldBy = SoldByComboBox->Text();
    // Set on every run, so a run of one person never limits the next.
    if (soldBy == AllSales) {
        ReportXbase->SetFilter("");
    } else {
        // Typed text may hold a quote: the other quote delimits it, and a
        // filter the engine refuses shows no sales rather than everyone's.
        const std::string id = soldBy.substr(0, 4);
        const std::string quote = id.find('"') == std::string::npos ? "\"" : "'";
        if (ReportXbase->Query("Emply == " + quote + id + quote) == 0) ReportXbase->SetFilter(".F.");
    }
    ReportTable->First();
    startPages(*Report);
}

std::span<const TReportColumn> TSalesByItemReport::columns() const {
    static constexpr TReportColumn detail[] = {
        {0.5, pjLeft, 1.4, "Type/Category"}, {2.0, pjLeft, 0.7, "Item#"}, {2.8, pjLeft, 0.6, "Receipt"},
        {3.5, pjLeft, 0.4, "Qty"},           {4.0, pjLeft, 0.4, "UM"},    {4.5, pjLeft, 1.4, "Description"},
        {6.0, pjRight, 0.9, "Amount"},       {7.0, pjRight, 1.0, "Total"}};
    return detail;
}

void TSalesByItemReport::ReportShell1PageHeader(TBaseReport* Report, TDetailShell*) {
    const std::string from = FormatDateTime("mmmm d, yyyy", StrToDate(FromKingDateDialog->Text()));
    const std::string thru = FormatDateTime("mmmm d, yyyy", StrToDate(ThruKingDateDialog->Text()));
    Report->SetFont("Arial", 10);
    Report->ClearTabs();
    Report->SetTab(0.5, pjLeft, 1.5, 0, 0, 0);
    Report->SetTab(6.5, pjRight, 1.5, 0, 0, 0);
    Report->PrintTab(FormatDateTime("m/d/yyyy h:nna/p", Now()));
    Report->PrintTab("Page " + std::to_string(PageNumber));
    Report->ClearTabs();
    Report->SetFont("Arial", 20);
    Report->SetFontTop(0.25);
    Report->PrintCenter(title_, 4.25);
    Report->NextLine();
    Report->SetFont("Arial", 12);
    Report->PrintCenter(from + " thru " + thru, 4.25);
    Report->NextLine();
    Report->PrintCenter(SoldByComboBox->Text(), 4.25);
    Report->SetFont("Arial", 10);
    printColumnHeadings(*Report, columns());
}

void TSalesByItemReport::ReportShell1BodyBefore(TBaseReport*, TDetailShell*) {
    LastLineAmount = TypeSubtotal = CategorySubtotal = ItemGrandTotal = Currency(0);
}

void TSalesByItemReport::ReportShell1GroupBeforeFirst(TBaseReport*, TDetailShell*) {
    grouped_ = false;
    LastItemType.clear();
    LastCategory.clear();
}

void TSalesByItemReport::ReportShell1GroupHeader(TBaseReport* Report, TDetailShell*) {
    if (ReportTable->Eof()) return;  // nothing sold: no line made of an empty record
    const std::string type = scratchText("ItemType");
    const std::string category = scratchText("Category");
    const bool newType = !grouped_ || type != LastItemType;
    grouped_ = true;
    if (newType) {
        TypeSubtotal = Currency(0);
        LastItemType = type;
        Report->NextLine();
        Report->SetBold(true);
        Report->PrintTab(type);
        Report->SetBold(false);
    }
    // A category belongs to its type: a new type opens a new category.
    if (newType || category != LastCategory) {
        CategorySubtotal = Currency(0);
        LastCategory = category;
        Report->NextLine();
        Report->SetBold(true);
        Report->PrintTab("   " + category);
        Report->SetBold(false);
    } else {
        Report->PrintTab("");
    }
}

std::string TSalesByItemReport::qtyCell(Currency Qty) { return DateRange::Money(QtyPicture, Qty); }

std::string TSalesByItemReport::priceCell(Currency Price) { return DateRange::Money(LinePicture, Price); }

std::string TSalesByItemReport::amountCell(Currency Amount) { return DateRange::Money(LinePicture, Amount) + Indent; }

Currency TSalesByItemReport::printItemLine(TBaseReport& Report) {
    const Currency amount = ReportTable->FieldByName("Amount")->AsCurrency();
    Report.PrintTab("");
    Report.PrintTab(scratchText("ItemNo"));
    Report.PrintTab(receiptText(ReportTable->FieldByName("Receipt")->AsFloat()));
    Report.PrintTab(qtyCell(ReportTable->FieldByName("Qty")->AsCurrency()));
    Report.PrintTab(scratchText("UM"));
    Report.PrintTab(scratchText("Desc"));
    Report.PrintTab(priceCell(ReportTable->FieldByName("Price")->AsCurrency()));
    Report.PrintTab(amountCell(amount));
    return amount;
}

void TSalesByItemReport::ReportShell1RowPrint(TBaseReport* Report, TDetailShell*, bool&) {
    if (ReportTable->Eof()) return;
    const Currency amount = printItemLine(*Report);
    LastLineAmount = amount;
    TypeSubtotal += amount;
    CategorySubtotal += amount;
    ItemGrandTotal += amount;
    Report->NextLine();
}

void TSalesByItemReport::ReportShell1RowAfter(TBaseReport*, TDetailShell*, bool& Valid) {
    ReportTable->Next();
    Valid = !ReportTable->Eof();
}

void TSalesByItemReport::printSubtotal(TBaseReport& Report, const std::string& Caption, const std::string& Amount) {
    Report.SetBold(true);
    for (std::size_t i = 0; i + 3 < columns().size(); ++i)
        Report.PrintTab("");
    Report.PrintTab("    " + Caption);
    Report.PrintTab("Subtotal");
    Report.PrintTab(Amount);
    Report.NextLine();
}

void TSalesByItemReport::printCategorySubtotal(TBaseReport& Report) {
    // A category of one line shows its amount on that line already.
    if (LastCategory.empty() || CategorySubtotal == LastLineAmount) return;
    printSubtotal(Report, LastCategory, DateRange::Money(TotalPicture, CategorySubtotal) + Indent);
    Report.SetBold(false);
}

void TSalesByItemReport::printTypeSubtotal(TBaseReport& Report) {
    printSubtotal(Report, LastItemType, DateRange::Money(TotalPicture, TypeSubtotal));
    Report.NextLine();
    Report.SetBold(false);
}

void TSalesByItemReport::ReportShell1GroupAfter(TBaseReport* Report, TDetailShell*, bool& Valid) {
    Valid = !ReportTable->Eof();
    // The last group is closed by the body footer.
    if (!grouped_ || ReportTable->Eof()) return;
    const bool typeChanged = scratchText("ItemType") != LastItemType;
    if (typeChanged || scratchText("Category") != LastCategory) printCategorySubtotal(*Report);
    if (typeChanged) printTypeSubtotal(*Report);
}

void TSalesByItemReport::ReportShell1BodyFooter(TBaseReport* Report, TDetailShell*) {
    if (grouped_) {
        printCategorySubtotal(*Report);
        printTypeSubtotal(*Report);
    }
    Report->ClearTabs();
    Report->SetTab(6.0, pjLeft, 0.5, 0, BOXLINETOP, 0);
    Report->SetTab(6.5, pjRight, 1.5, 0, BOXLINETOP, 0);
    Report->NextLine();
    Report->SetBold(true);
    Report->PrintTab("Total");
    Report->PrintTab(DateRange::Money(TotalPicture, ItemGrandTotal));
    Report->SetBold(false);
}


void TSalesByItemReport::ReportShell1ReportAfter(TBaseReport*, TDetailShell*) { ReportXbase->SetFilter(""); }
