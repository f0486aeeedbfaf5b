#include "sales/LabRxPrint.h"

#include <span>
#include <vector>

#include "app/DataModule.h"
#include "app/Settings.h"
#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSBase.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

const char* const Font = "Arial";
constexpr TColor Shading = static_cast<TColor>(0xE8E8E8);

// One step of a layout. Positions are inches from the block's origin.
enum class TStep { Origin, Font, Bold, Box, Shade, Rule, Caption, Header, Line, Mark };
struct TInk {
    TStep Step;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    const char* Text = nullptr;
};

constexpr TInk origin(double X, double Y) { return {TStep::Origin, X, Y}; }
constexpr TInk font(double Size) { return {TStep::Font, Size}; }
constexpr TInk bold(bool On) { return {TStep::Bold, On ? 1.0 : 0.0}; }
constexpr TInk box(double X1, double Y1, double X2, double Y2) { return {TStep::Box, X1, Y1, X2, Y2}; }
constexpr TInk shade(double X1, double Y1, double X2, double Y2) { return {TStep::Shade, X1, Y1, X2, Y2}; }
constexpr TInk rule(double X1, double Y1, double X2, double Y2) { return {TStep::Rule, X1, Y1, X2, Y2}; }
constexpr TInk caption(double X, double Y, const char* Text) { return {TStep::Caption, X, Y, 0, 0, Text}; }
// The display text of a receipt header (temp1) field.
constexpr TInk header(double X, double Y, const char* Field) { return {TStep::Header, X, Y, 0, 0, Field}; }
// The display text of a receipt line (temp2) field.
constexpr TInk line(double X, double Y, const char* Field) { return {TStep::Line, X, Y, 0, 0, Field}; }
// "X" when the line's logical field is true.
constexpr TInk mark(double X, double Y, const char* Field) { return {TStep::Mark, X, Y, 0, 0, Field}; }

// ---------------------------------------------------------------- the form passes

constexpr TInk PatientAndReceiptBoxes[] = {
    origin(0.375, 0.5), box(0, 0, 2.25, 1.0), shade(0, 0, 2.25, 0.25), caption(0.25, 0.15, "Patient"),
    origin(2.675, 0.5), box(0, 0, 2.45, 1.0), shade(0, 0, 2.45, 0.25), shade(0, 0.6, 0.4, 1.0),
    shade(1.5, 0.6, 2.45, 0.75), rule(1.5, 0, 1.5, 1.0), rule(0.4, 0.6, 1.5, 0.6), caption(0.25, 0.2, "Receipt"),
    caption(1.65, 0.2, "Date"), font(8), caption(0.05, 0.75, "Home"), caption(0.05, 0.875, "Work"),
    caption(1.65, 0.71, "Expected"), font(10),
};

constexpr TInk SpectacleForm[] = {
    // Rx grid
    origin(0.375, 1.6), box(0, 0, 4.75, 1.7), shade(0, 0, 4.75, 0.3), shade(0, 0, 1.0, 1.0),
    rule(0, 0.3, 4.75, 0.3), rule(0.9, 0.65, 4.75, 0.65),
    rule(1.0, 0, 1.0, 1.0), rule(1.625, 0, 1.625, 1.0), rule(2.25, 0, 2.25, 1.0), rule(2.75, 0, 2.75, 1.0),
    rule(3.25, 0, 3.25, 1.0), rule(3.75, 0, 3.75, 1.0), rule(4.25, 0, 4.25, 1.0),
    caption(1.1, 0.2, "Sphere"), caption(1.7, 0.2, "Cylinder"), caption(2.35, 0.2, "Axis"),
    caption(2.81, 0.2, "Prism"), caption(3.4, 0.2, "BC"), caption(3.81, 0.2, "Dec In"), caption(4.4, 0.2, "Out"),
    caption(0.25, 0.2, "Rx"), caption(0.08, 0.68, "Distance"), caption(0.7, 0.55, "OD"), caption(0.7, 0.85, "OS"),
    rule(0, 1.0, 4.75, 1.0),
    // reading part
    shade(0, 1.0, 1.0, 1.7), shade(1.625, 1.0, 4.75, 1.12), shade(1.625, 1.35, 2.5, 1.47),
    caption(0.08, 1.3, "Add for"), caption(0.08, 1.45, "Reading"), caption(0.7, 1.25, "OD"),
    caption(0.7, 1.55, "OS"), rule(0.65, 1.35, 4.75, 1.35),
    rule(1.0, 1.0, 1.0, 1.7), rule(1.625, 1.0, 1.625, 1.7), rule(2.5, 1.0, 2.5, 1.7), rule(3.0, 1.0, 3.0, 1.7),
    rule(3.75, 1.0, 3.75, 1.7),
    font(8), caption(1.75, 1.1, "Seg Height"), caption(1.75, 1.45, "Seg Width"), caption(2.6, 1.1, "Inset"),
    caption(3.05, 1.1, "Total Inset"), caption(3.8, 1.1, "Total"), caption(4.15, 1.1, "OD"), caption(4.45, 1.1, "OS"),
    font(6), caption(3.8, 1.2, "Distant PD"), caption(3.8, 1.43, "Near PD"),
    // frame and options
    origin(0.375, 3.4), font(10), box(0, 0, 4.75, 1.4), shade(0, 0, 2.7, 0.15), shade(2.9, 0, 3.775, 1.2),
    shade(3.975, 0, 4.75, 1.2), shade(0, 0.4, 0.7, 1.4), shade(2.7, 1.2, 3.05, 1.4),
    rule(0, 0.4, 3.8, 0.4), rule(0, 0.8, 3.8, 0.8),
    rule(0.7, 0, 0.7, 0.4), rule(1.2, 0, 1.2, 0.4), rule(1.55, 0, 1.55, 0.4), rule(1.9, 0, 1.9, 0.4),
    rule(2.7, 0, 2.7, 1.4),
    rule(2.7, 0.2, 4.75, 0.2), rule(2.7, 0.4, 4.75, 0.4), rule(2.7, 0.6, 4.75, 0.6), rule(2.7, 0.8, 4.75, 0.8),
    rule(2.7, 1.0, 4.75, 1.0), rule(2.7, 1.2, 4.75, 1.2),
    caption(0.1, 0.55, "Frame"), caption(0.1, 0.7, "Style"), caption(0.1, 0.95, "Color &"), caption(0.1, 1.1, "Trim"),
    font(7), caption(0.1, 0.12, "Eye-Bridge"), caption(0.75, 0.12, "Temple"), caption(1.35, 0.12, "B"),
    caption(1.67, 0.12, "ED"), caption(2.0, 0.12, "Lens Material"), caption(2.95, 0.15, "Straight Top"),
    caption(2.95, 0.35, "Round Segment"), caption(2.95, 0.55, "Trifocal"), caption(2.95, 0.75, "Blended"),
    caption(2.95, 0.95, "Progressive"), caption(2.95, 1.15, "Executive"), caption(2.8, 1.35, "Tint"),
    caption(4.0, 0.15, "UV Protection"), caption(4.0, 0.35, "Scratch Coat"), caption(4.0, 0.55, "High Index"),
    caption(4.0, 0.75, "Anti Reflective"), caption(4.0, 0.95, "PGX"), caption(4.0, 1.15, "Transition"),
    // notes box
    origin(0.375, 4.9), font(10), box(0, 0, 4.745, 2.15),
};

constexpr TInk ContactLensForm[] = {
    // Rx grid
    origin(0.375, 1.6), box(0, 0, 4.75, 1.0), shade(0, 0, 4.75, 0.3), shade(0, 0, 0.6, 1.0),
    rule(0.4, 0.65, 4.75, 0.65),
    rule(1.2, 0, 1.2, 1.0), rule(1.8, 0, 1.8, 1.0), rule(2.2, 0, 2.2, 1.0), rule(3.5, 0, 3.5, 1.0),
    rule(3.9, 0, 3.9, 1.0), rule(4.3, 0, 4.3, 1.0),
    caption(0.25, 0.2, "Rx"), caption(0.65, 0.2, "Sphere"), caption(1.25, 0.2, "Cylinder"),
    caption(1.86, 0.2, "Axis"), caption(2.55, 0.2, "K Reading"), caption(3.6, 0.2, "BC"), caption(4.0, 0.2, "Dia"),
    caption(4.4, 0.2, "Add"),
    // lens box
    origin(0.375, 2.7), font(10), shade(0, 0, 4.75, 1.0),
    caption(0.2, 0.2, "Type"), box(0.2, 0.25, 2.0, 0.45), caption(2.5, 0.2, "Tint"), box(2.5, 0.25, 4.5, 0.45),
    caption(0.2, 0.7, "Manufacturer"), box(0.2, 0.75, 1.5, 0.95), caption(1.9, 0.7, "Checked by"),
    box(1.9, 0.75, 3.0, 0.95), caption(3.3, 0.7, "Doctor"), box(3.3, 0.75, 4.6, 0.95),
    // options box
    origin(0.375, 3.8), font(8), shade(0, 0, 4.75, 0.8),
    box(0.25, 0.2, 0.45, 0.4), caption(0.5, 0.35, "Daily Wear"), box(1.4, 0.2, 1.6, 0.4),
    caption(1.65, 0.35, "Gas Permeable"), box(2.6, 0.2, 2.8, 0.4), caption(2.85, 0.35, "Toric"),
    box(3.65, 0.2, 3.85, 0.4), caption(3.9, 0.35, "Training"),
    box(0.25, 0.5, 0.45, 0.7), caption(0.5, 0.65, "Extended Wear"), box(1.4, 0.5, 1.6, 0.7),
    caption(1.65, 0.65, "Disposable"), box(2.6, 0.5, 2.8, 0.7), caption(2.85, 0.65, "Insurance"),
    box(3.65, 0.5, 3.85, 0.7), caption(3.9, 0.65, "Warranty"),
    // notes box
    origin(0.375, 4.7), font(10), box(0, 0, 4.75, 2.35),
};

// ---------------------------------------------------------------- the data passes

constexpr TInk PatientData[] = {
    origin(0.375, 0.5), font(10), header(0.75, 0.15, "PatID"), header(0.25, 0.5, "Name"),
    header(0.25, 0.65, "Addr"),
};

constexpr TInk ReceiptData[] = {
    origin(2.675, 0.5), header(0.25, 0.52, "Receipt"), header(1.65, 0.52, "Date"), line(1.65, 0.92, "EXPECTED"),
};

constexpr TInk SpectacleData[] = {
    origin(0.375, 1.6), font(10),
    line(1.05, 0.55, "SPHERE_R"), line(1.7, 0.55, "CYLINDER_R"), line(2.35, 0.55, "AXIS_R"),
    line(2.8, 0.55, "PRISM_R"), line(3.35, 0.55, "BASE_R"), line(3.78, 0.55, "DEC_IN_R"),
    line(4.28, 0.55, "DEC_OUT_R"),
    line(1.05, 0.9, "SPHERE_L"), line(1.7, 0.9, "CYLINDER_L"), line(2.35, 0.9, "AXIS_L"),
    line(2.8, 0.9, "PRISM_L"), line(3.35, 0.9, "BASE_L"), line(3.78, 0.9, "DEC_IN_L"),
    line(4.28, 0.9, "DEC_OUT_L"),
    line(1.07, 1.3, "ADD_R"), line(2.55, 1.3, "INSET_R"), line(3.15, 1.3, "TOT_INS_R"),
    line(1.07, 1.61, "ADD_L"), line(2.55, 1.61, "INSET_L"), line(3.15, 1.61, "TOT_INS_L"),
    line(1.85, 1.3, "SEG_HEIGHT"), line(1.85, 1.61, "SEG_WIDTH"),
    font(8), line(3.8, 1.3, "DPD_TOT"), line(3.8, 1.61, "NPD_TOT"), line(4.15, 1.3, "DPD_R"),
    line(4.15, 1.61, "NPD_R"), line(4.45, 1.3, "DPD_L"), line(4.45, 1.61, "NPD_L"),
    origin(0.375, 3.4), font(10), line(0.15, 0.35, "SIZE"), line(0.75, 0.35, "TEMP_LGTH"), line(1.3, 0.35, "B"),
    line(1.65, 0.35, "ED"), line(0.95, 0.65, "FRAM_STYLE"), line(0.95, 1.05, "FRAM_COLOR"),
    font(8), line(1.95, 0.35, "LENSMATL"), font(10),
    mark(2.76, 0.15, "STRAIT_TOP"), mark(2.76, 0.35, "ROUND_SEG"), mark(2.76, 0.55, "TRIFOCAL"),
    mark(2.76, 0.75, "BLENDED"), mark(2.76, 0.95, "PROGRESSIV"), mark(2.76, 1.15, "EXECUTIVE"),
    line(3.15, 1.35, "TINT"),
    mark(3.84, 0.15, "UV_PROTECT"), mark(3.84, 0.35, "SCRATCH_CT"), mark(3.84, 0.55, "HIGH_INDEX"),
    mark(3.84, 0.75, "ANTI_REFLC"), mark(3.84, 0.95, "PGX"), mark(3.84, 1.15, "TRANSITION"),
};

constexpr TInk ContactLensData[] = {
    origin(0.375, 1.6), font(10),
    line(0.65, 0.55, "SPHERE_R"), line(1.25, 0.55, "CYLINDER_R"), line(1.87, 0.55, "AXIS_R"),
    line(2.25, 0.55, "CC_R"), line(3.53, 0.55, "BASE_R"), line(3.95, 0.55, "DIA_R"), line(4.32, 0.55, "ADD_R"),
    line(0.65, 0.9, "SPHERE_L"), line(1.25, 0.9, "CYLINDER_L"), line(1.87, 0.9, "AXIS_L"),
    line(2.25, 0.9, "CC_L"), line(3.53, 0.9, "BASE_L"), line(3.95, 0.9, "DIA_L"), line(4.32, 0.9, "ADD_L"),
    origin(0.375, 2.7), line(0.3, 0.4, "CL_TYPE"), line(2.6, 0.4, "CL_TINT"), line(0.3, 0.9, "VENDOR"),
    line(2.0, 0.9, "CHECKED"), line(3.4, 0.9, "DOCTOR"),
    origin(0.375, 3.8), font(10), mark(0.3, 0.35, "CL_DW"), mark(1.45, 0.35, "CL_GP"),
    mark(2.65, 0.35, "CL_TORIC"), mark(3.7, 0.35, "CL_TRAIN"), mark(0.3, 0.65, "CL_EW"),
    mark(1.45, 0.65, "CL_DISP"), mark(2.65, 0.65, "CL_INS"), mark(3.7, 0.65, "CL_WRNTY"),
};

// ---------------------------------------------------------------- drawing

class TOrderPage {
public:
    TOrderPage(TBaseReport& R, TDataModule1& Module, double Shift) : r_(R), module_(Module), shift_(Shift) {}

    void draw(std::span<const TInk> Layout) {
        for (const TInk& ink : Layout)
            drawInk(ink);
    }

    void title(const char* Text) {
        r_.SetFont(Font, 10);
        r_.SetBold(true);
        at(0, 0);
        r_.PrintXY(0.375, 0.45, Text);
        r_.SetBold(false);
    }

    // The patient's town line and phones, which are no plain fields.
    void patientExtras() {
        TTable* header = module_.Temp1Table;
        at(0.375, 0.5);
        r_.SetFont(Font, 10);
        r_.PrintXY(0.25, 0.8,
                   header->FieldByName("City")->DisplayText() + "  " + header->FieldByName("State")->DisplayText() +
                       "  " + header->FieldByName("Zip")->DisplayText());
        TTable* patients = module_.PatientTable;
        const std::string order = patients->IndexName();
        patients->SetIndexName("ID");
        const std::string patient = Trim(header->FieldByName("PatID")->AsString());
        if (!patient.empty() && module_.Xbase1->Seek(patient) && !patients->Eof() &&
            Trim(patients->FieldByName("ID")->AsString()) == patient) {
            at(2.675, 0.5);
            r_.PrintXY(0.5, 0.75, patients->FieldByName("PHONE1")->DisplayText());
            r_.PrintXY(0.5, 0.95, patients->FieldByName("PHONE2")->DisplayText());
        }
        patients->SetIndexName(order);
    }

    // The two centred letterhead lines, one line below (0, Top) of the notes box.
    void shopLines(double Top) {
        const TSettingsFile company = CompanyIni::File(module_.DataDirectory);
        const auto read = [&](const TTextKey& Key) { return company.Read(Key); };
        r_.GotoXY(0, Top);
        r_.NewLine();
        r_.SetFont(Font, 8);
        r_.PrintCenter(read(CompanyIni::ReceiptName) + "   " + read(CompanyIni::ReceiptAddress1) + "   " +
                           read(CompanyIni::ReceiptAddress2),
                       2.35);
        r_.NewLine();
        r_.PrintCenter(read(CompanyIni::ReceiptCity) + ", " + read(CompanyIni::ReceiptState) + " " +
                           read(CompanyIni::ReceiptZip) + "  " + read(CompanyIni::ReceiptPhone),
                       2.35);
    }

    void notes(const std::string& Text) {
        at(0.25, 4.7);
        r_.SetFont(Font, 10);
        r_.SetBrush(clWhite, bsSolid, nullptr);
        TMemoBuf memo;
        memo.BaseReport = &r_;
        memo.PrintStart = 0.25;
        memo.PrintEnd = 4.25;
        memo.SetText(Text);
        r_.GotoXY(0, 0.25);
        r_.PrintMemo(&memo, 0, false);
    }

    void stub() {
        TTable* header = module_.Temp1Table;
        at(0, 7.6);
        r_.SetPen(clBlack, psDash, 1, pmCopy);
        line(0.4, 0, 5.1, 0);
        line(1.125, 0, 1.125, 0.75);
        line(4.375, 0, 4.375, 0.75);
        r_.SetPen(clBlack, psSolid, 1, pmCopy);
        r_.SetFont(Font, 22);
        // The name is cut at the stub's box, however long it is.
        const TRect clip{r_.xUnitsToDevice(1.25), r_.yUnitsToDevice(0.05), r_.xUnitsToDevice(4.25),
                         r_.yUnitsToDevice(0.35)};
        r_.TextRect(clip, 1.25, 0.35, header->FieldByName("Name")->DisplayText());
        r_.SetFont(Font, 12);
        r_.PrintXY(1.25, 0.52, "Date:" + header->FieldByName("Date")->DisplayText());
        r_.PrintXY(2.7, 0.52, "Expected:" + module_.Temp2Table->FieldByName("EXPECTED")->DisplayText());
    }

private:
    void at(double X, double Y) {
        r_.SetOriginX(shift_ + X);
        r_.SetOriginY(Y);
    }
    void line(double X1, double Y1, double X2, double Y2) {
        r_.MoveTo(X1, Y1);
        r_.LineTo(X2, Y2);
    }

    void drawInk(const TInk& Ink) {
        switch (Ink.Step) {
            case TStep::Origin: at(Ink.X1, Ink.Y1); break;
            case TStep::Font: r_.SetFont(Font, Ink.X1); break;
            case TStep::Bold: r_.SetBold(Ink.X1 != 0); break;
            case TStep::Box:
                r_.SetBrush(clWhite, bsSolid, nullptr);
                r_.Rectangle(Ink.X1, Ink.Y1, Ink.X2, Ink.Y2);
                break;
            case TStep::Shade:
                r_.SetBrush(Shading, bsSolid, nullptr);
                r_.Rectangle(Ink.X1, Ink.Y1, Ink.X2, Ink.Y2);
                r_.SetBrush(clWhite, bsSolid, nullptr);
                break;
            case TStep::Rule: line(Ink.X1, Ink.Y1, Ink.X2, Ink.Y2); break;
            case TStep::Caption: r_.PrintXY(Ink.X1, Ink.Y1, Ink.Text); break;
            case TStep::Header: r_.PrintXY(Ink.X1, Ink.Y1, module_.Temp1Table->FieldByName(Ink.Text)->DisplayText()); break;
            case TStep::Line: r_.PrintXY(Ink.X1, Ink.Y1, module_.Temp2Table->FieldByName(Ink.Text)->DisplayText()); break;
            case TStep::Mark:
                if (module_.Temp2Table->FieldByName(Ink.Text)->AsBoolean())
                    r_.PrintXY(Ink.X1, Ink.Y1, "X");
                break;
        }
    }

    TBaseReport& r_;
    TDataModule1& module_;
    double shift_;
};

void printOrder(TBaseReport& R, TDataModule1& Module, const std::string& Notes, double Shift, const char* Title,
                std::span<const TInk> Form, double ShopTop, std::span<const TInk> Data) {
    TOrderPage page(R, Module, Shift);
    R.SetBrush(clWhite, bsSolid, nullptr);
    page.title(Title);
    page.draw(PatientAndReceiptBoxes);
    page.draw(Form);
    page.shopLines(ShopTop);
    page.draw(PatientData);
    page.draw(ReceiptData);
    page.patientExtras();
    page.draw(Data);
    page.notes(Notes);
    page.stub();
}

}  // namespace

namespace LabRxPrint {

double pageShift() { return Vo97Ini::File().Read(Vo97Ini::PrntOffset) ? 5.5 : 0.0; }

void printSpectacleOrder(TBaseReport& R, TDataModule1& Module, const std::string& Notes, double Shift) {
    printOrder(R, Module, Notes, Shift, "Spectacles Rx", SpectacleForm, 2.35, SpectacleData);
}

void printContactLensOrder(TBaseReport& R, TDataModule1& Module, const std::string& Notes, double Shift) {
    printOrder(R, Module, Notes, Shift, "Contact Lens Rx", ContactLensForm, 2.35, ContactLensData);
}

}  // namespace LabRxPrint
