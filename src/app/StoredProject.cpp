#include "app/StoredProject.h"

#include "reporting/project/DZCsData.h"
#include "reporting/project/DZCsDraw.h"
#include "reporting/project/DZCsRpt.h"
#include "reporting/project/DZCsStd.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/RSDuzu.h"

const char* const kStoredProjectFile = "C:\\Project\\VO97\\Program\\QM.duz";

TDateTime storedProjectDate() { return EncodeDate(2024, 1, 1); }

namespace {

// Builds components of one report page; every name is unique in the page.
class PageBuilder {
public:
    explicit PageBuilder(TDuzuPage* Page) : page_(Page) {}

    template <class T>
    T* make(TDuzuComponent* Parent, const std::string& Name) {
        auto* c = new T(page_);
        c->SetName(Name);
        c->SetParent(Parent);
        return c;
    }
    TDuzuRegion* region(const std::string& Name, double Left, double Top, double Width, double Height) {
        auto* r = make<TDuzuRegion>(page_, Name);
        r->SetBounds(MakeRect(Left, Top, Left + Width, Top + Height));
        return r;
    }
    template <class B>
    B* band(TDuzuRegion* Region, const std::string& Name, double Height, TDuzuIterateBand* Controller,
            TBandPrintLocSet Locs) {
        auto* b = make<B>(Region, Name);
        b->SetHeight(Height);
        b->SetControllerBand(Controller);
        b->BandStyle()->SetPrintLoc(Locs);
        return b;
    }
    template <class T = TDuzuText>
    T* text(TDuzuComponent* Band, const std::string& Name, double Left, double Top, double Width,
            TPrintJustify Justify, double Size = 9, bool Bold = false) {
        auto* t = make<T>(Band, Name);
        t->SetBounds(MakeRect(Left, Top, Left + Width, Top + Size / 72.0 * 1.2));
        t->SetFontJustify(Justify);
        t->Font()->SetSize(static_cast<int>(Size));
        if (Bold) t->Font()->SetStyle(TFontStyles{fsBold});
        return t;
    }
    TDuzuText* label(TDuzuComponent* Band, const std::string& Name, const std::string& Caption, double Left,
                     double Top, double Width, TPrintJustify Justify, double Size = 9, bool Bold = false) {
        TDuzuText* t = text(Band, Name, Left, Top, Width, Justify, Size, Bold);
        t->SetText(Caption);
        return t;
    }
    TDuzuDataText* data(TDuzuComponent* Band, const std::string& Name, TDuzuDataView* View,
                        const std::string& Expression, double Left, double Top, double Width,
                        TPrintJustify Justify = pjLeft, double Size = 9, bool Bold = false) {
        auto* t = text<TDuzuDataText>(Band, Name, Left, Top, Width, Justify, Size, Bold);
        t->SetDataView(View);
        t->SetDataField(Expression);
        return t;
    }
    TDuzuHLine* rule(TDuzuComponent* Band, const std::string& Name, double Left, double Top, double Width) {
        auto* l = make<TDuzuHLine>(Band, Name);
        l->SetBounds(MakeRect(Left, Top, Left + Width, Top));
        return l;
    }

private:
    TDuzuPage* page_;
};

struct FieldSpec {
    const char* Name;
    const char* FullName;
    TRSDataType Type;
    const char* Format;
};

TDuzuDataView* addView(TDuzuProjectManager& Project, const std::string& Name, const std::string& Connection,
                       std::initializer_list<FieldSpec> Fields) {
    auto* view = new TDuzuDataView(&Project);
    view->SetName(Name);
    view->SetConnectionName(Connection);
    Project.AddDataObject(view);
    for (const FieldSpec& column : Fields) {
        TDuzuDataField* field = nullptr;
        switch (column.Type) {
            case dtFloat: field = new TDuzuFloatField(&Project); break;
            case dtCurrency: field = new TDuzuCurrencyField(&Project); break;
            case dtInteger: field = new TDuzuIntegerField(&Project); break;
            case dtDate: field = new TDuzuDateField(&Project); break;
            case dtBoolean: field = new TDuzuBooleanField(&Project); break;
            default: field = new TDuzuStringField(&Project); break;
        }
        field->SetName(Name + normalizeFieldName(column.Name));
        field->SetFieldName(column.Name);
        if (column.FullName != nullptr) field->SetFullName(column.FullName);
        if (auto* formatted = dynamic_cast<TDuzuFormattedField*>(field); formatted && column.Format != nullptr)
            formatted->SetDisplayFormat(column.Format);
        field->SetParent(view);
    }
    return view;
}

// Page names are unique in the project: references are found by page name.
TDuzuReport* newReport(TDuzuProjectManager& Project, const std::string& Name, const std::string& PageName) {
    TDuzuReport* report = Project.NewReport();
    report->SetName(Name);
    report->FirstPage()->SetName(PageName);
    return report;
}

constexpr double kRegionLeft = 0.5;
constexpr double kRegionWidth = 7.5;

void definePaymentsReport(TDuzuProjectManager& Project, TDuzuDataView* Payments, TDuzuDataView* Lines) {
    TDuzuReport* report = newReport(Project, "Pmt_Report", "MainPage");
    PageBuilder b(report->FirstPage());
    TDuzuRegion* region = b.region("PaymentDataViewRegion", kRegionLeft, 0.5, kRegionWidth, 10.0);

    auto* title = b.band<TDuzuBand>(region, "PaymentDataViewTitleBand", 0.85, nullptr, locBit(plBodyHeader));
    auto* columns = b.band<TDuzuBand>(region, "PaymentDataViewBand", 0.35, nullptr, locBit(plBodyHeader));
    columns->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    auto* group = b.band<TDuzuBand>(region, "Band1", 0.25, nullptr, locBit(plGroupHeader));
    auto* master = b.band<TDuzuDataBand>(region, "PaymentDataViewDataBand", 0, nullptr, locBit(plMaster));
    master->SetDataView(Payments);
    auto* detail = b.band<TDuzuDataBand>(region, "PaymentDtlDataViewDataBand", 0.2, master, locBit(plDetail));
    detail->SetDataView(Lines);
    detail->SetMasterDataView(Payments);
    detail->SetDetailKey("PAYMENTID");
    detail->SetMasterKey("ID+DATE");
    auto* footer = b.band<TDuzuBand>(region, "Band2", 0.55, master, locBit(plGroupFooter));
    for (TDuzuBand* band : {title, columns, group}) band->SetControllerBand(master);
    for (TDuzuBand* band : {group, footer}) {
        band->SetGroupDataView(Payments);
        band->SetGroupKey("DATE");
    }

    b.label(title, "Text1", "Payment On Account", 0, 0.05, kRegionWidth, pjCenter, 14, true);
    b.data(title, "DataText1", nullptr, "Report.DateShort", 0, 0.05, 2, pjLeft);
    b.data(title, "DataText2", nullptr, "Report.TimeAMPM", 0, 0.22, 2, pjLeft);
    b.data(title, "DataText3", nullptr, "'Page: ' + Report.CurrentPage", kRegionWidth - 2, 0.05, 2, pjRight);
    b.data(title, "DataText4", nullptr, "Param.BegDate + ' thru ' + Param.EndDate", 0, 0.35, kRegionWidth,
           pjCenter, 11, true);
    b.make<TDuzuPageNumInit>(title, "PageNumInit1");

    b.rule(columns, "HLine1", 0, 0.05, kRegionWidth);
    b.label(columns, "Text2", "Date", 0, 0.12, 0.9, pjLeft, 9, true);
    b.label(columns, "Text3", "Pymt#", 0.9, 0.12, 0.7, pjLeft, 9, true);
    b.label(columns, "Text4", "Payment", 1.6, 0.12, 1.0, pjRight, 9, true);
    b.label(columns, "Text5", "Deposit#", 2.8, 0.12, 0.9, pjLeft, 9, true);
    b.label(columns, "Text6", "Receipt", 3.7, 0.12, 0.8, pjRight, 9, true);
    b.label(columns, "Text7", "Patient Name, ID", 4.7, 0.12, 2.2, pjLeft, 9, true);

    b.data(group, "DataText5", Payments, "DATE", 0, 0.05, 1.2, pjLeft, 9, true);

    // The payment's own values are read from the payment view's current row.
    b.data(detail, "DataText6", Payments, "ID", 0.9, 0.02, 0.7);
    b.data(detail, "DataText7", Lines, "PAYMENT", 1.6, 0.02, 1.0, pjRight);
    b.data(detail, "DataText8", Payments, "POSTREF", 2.8, 0.02, 0.9);
    b.data(detail, "DataText9", Lines, "RECEIPT", 3.7, 0.02, 0.8, pjRight);
    b.data(detail, "DataText10", Payments, "NAME+', '+PatID", 4.7, 0.02, 2.2);
    b.data(detail, "DataText11", Payments, "PAIDWITH", 6.9, 0.02, 0.6);

    auto* controller = b.make<TDuzuCalcController>(footer, "CalcController1");
    auto* lineTotal = b.make<TDuzuCalcTotal>(footer, "CalcTotal1");
    lineTotal->SetController(detail);
    lineTotal->SetInitializer(controller);
    lineTotal->SetDataView(Lines);
    lineTotal->SetDataField("AMOUNT");
    lineTotal->SetRunningTotal(true);
    auto* dateSum = b.text<TDuzuCalcText>(footer, "CalcText1", 1.0, 0.03, 1.6, pjRight, 9, true);
    auto* runningSum = b.text<TDuzuCalcText>(footer, "CalcText2", 1.0, 0.3, 1.6, pjRight, 9, true);
    for (TDuzuCalcText* sum : {dateSum, runningSum}) {
        sum->SetController(detail);
        sum->SetDataView(Lines);
        sum->SetDataField("PAYMENT");
        sum->SetDisplayFormat("$#,###,###.00");
    }
    runningSum->SetRunningTotal(true);
    b.rule(footer, "HLine2", 1.0, 0.24, 1.6);
}

void defineItemsReport(TDuzuProjectManager& Project, TDuzuDataView* Items) {
    TDuzuReport* report = newReport(Project, "Items_All_Report", "ItemsPage");
    PageBuilder b(report->FirstPage());
    TDuzuRegion* region = b.region("ItemDataViewRegion", kRegionLeft, 0.5, kRegionWidth, 10.0);
    auto* header = b.band<TDuzuBand>(region, "ItemHeaderBand", 0.65, nullptr, locBit(plBodyHeader));
    header->BandStyle()->SetPrintOcc(occBit(poFirst) | occBit(poNewPage));
    auto* rows = b.band<TDuzuDataBand>(region, "ItemDataViewDataBand", 0.2, nullptr, locBit(plMaster));
    rows->SetDataView(Items);
    rows->SetSortKey("ID");
    auto* footer = b.band<TDuzuBand>(region, "ItemFooterBand", 0.35, rows, locBit(plBodyFooter));
    header->SetControllerBand(rows);

    b.label(header, "Text1", "All Items", 0, 0.05, kRegionWidth, pjCenter, 14, true);
    b.data(header, "DataText1", nullptr, "Report.DateShort", 0, 0.05, 2);
    b.data(header, "DataText2", nullptr, "'Page ' + Report.CurrentPage", kRegionWidth - 2, 0.05, 2, pjRight);
    b.rule(header, "HLine1", 0, 0.4, kRegionWidth);
    struct Column {
        const char* Caption;
        const char* Field;
        double Left, Width;
        TPrintJustify Justify;
    } columns[] = {
        {"Item", "ID", 0, 0.9, pjLeft},           {"Category", "CATEGORY", 0.9, 1.3, pjLeft},
        {"Description", "DESC", 2.2, 2.3, pjLeft}, {"Quantity", "QTYONHAND", 4.5, 0.7, pjRight},
        {"Cost", "COST", 5.2, 0.8, pjRight},       {"Sell", "SELL", 6.0, 0.8, pjRight},
        {"Reorder", "REORDERPT", 6.8, 0.7, pjRight},
    };
    int n = 0;
    for (const Column& c : columns) {
        ++n;
        b.label(header, "Head" + std::to_string(n), c.Caption, c.Left, 0.45, c.Width, c.Justify, 9, true);
        b.data(rows, "Cell" + std::to_string(n), Items, c.Field, c.Left, 0.02, c.Width, c.Justify);
    }
    auto* count = b.text<TDuzuCalcText>(footer, "CalcText1", 0, 0.1, 3, pjLeft, 9, true);
    count->SetCalcType(ctCount);
    count->SetController(rows);
    count->SetDisplayFormat("'Items: '0");
    b.rule(footer, "HLine2", 0, 0.05, kRegionWidth);
}

}  // namespace

void defineStoredProject(TDuzuProjectManager& Project) {
    DuzuRegisterAllClasses();
    Project.Clear();
    TDuzuDataView* payments = addView(Project, "PaymentDataView", "PaymentRSDataset",
                                      {{"ID", "Payment No.", dtFloat, nullptr},
                                       {"DATE", "Date", dtDate, "mm/dd/yyyy"},
                                       {"PATID", "Patient ID", dtFloat, nullptr},
                                       {"NAME", "Name", dtString, nullptr},
                                       {"PAIDWITH", "Paid With", dtString, nullptr},
                                       {"AMOUNT", "Amount", dtFloat, "#,##0.00"},
                                       {"CHECKNO", "Number", dtString, nullptr},
                                       {"BALANCE", nullptr, dtFloat, "#,##0.00"},
                                       {"TOTALPAID", nullptr, dtFloat, "#,##0.00"},
                                       {"TAG", nullptr, dtBoolean, nullptr},
                                       {"DEPOSITED", nullptr, dtBoolean, nullptr},
                                       {"DEPOSITDAT", nullptr, dtDate, "mm/dd/yyyy"},
                                       {"POSTREF", nullptr, dtString, nullptr}});
    TDuzuDataView* lines = addView(Project, "PaymentDtlDataView", "PaymentDtlRSDataset",
                                   {{"PAYMENTID", "Payment No.", dtFloat, nullptr},
                                    {"DATE", "Date", dtDate, "mm/dd/yyyy"},
                                    {"PAYMENT", "Amount", dtFloat, "#,##0.00"},
                                    {"RECEIPT", "Receipt No.", dtString, nullptr},
                                    {"AMOUNT", nullptr, dtFloat, "#,##0.00"},
                                    {"BALANCE", nullptr, dtFloat, "#,##0.00"}});
    addView(Project, "PaymentCustomDataView", "RSCustomConnection1", {{"<ID>", "PaymentID", dtString, nullptr}});
    TDuzuDataView* items = addView(Project, "ItemDataView", "ItemRSDataSet",
                                   {{"ID", "Item", dtString, nullptr},
                                    {"CATEGORY", "Category", dtString, nullptr},
                                    {"DESC", "Description", dtString, nullptr},
                                    {"QTYONHAND", "Quantity", dtFloat, "#####0"},
                                    {"COST", "Cost", dtFloat, "###,##0.00"},
                                    {"SELL", "Sell", dtFloat, "###,##0.00"},
                                    {"REORDERPT", "Reorder point", dtFloat, "#####0"}});
    defineItemsReport(Project, items);
    definePaymentsReport(Project, payments, lines);
    Project.ActivateReport(Project.ReportList().back());
    Project.ClearModified();
}
