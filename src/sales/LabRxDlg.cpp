#include "sales/LabRxDlg.h"

#include <initializer_list>
#include <utility>

#include "app/DataModule.h"
#include "controls/DBKing.h"
#include "data/DataSet.h"
#include "reporting/RSBase.h"
#include "reporting/RSSystem.h"
#include "sales/LabRxPrint.h"
#include "ui/DBCtrls.h"
#include "ui/ExtCtrls.h"
#include "ui/FormKit.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmtable.h"

namespace {

constexpr int RowHeight = 21;

// Places one edit per field in a row starting at (Left, Top), each Width
// wide with Step between their left edges.
void editRow(TWinControl* Parent, TDataSource* Source, int Left, int Top, int Width, int Step,
             std::initializer_list<const char*> Fields) {
    int x = Left;
    for (const char* field : Fields) {
        placeBound<TDBEdit>(Parent, x, Top, Width, RowHeight, Source, field);
        x += Step;
    }
}

// Places one caption per text in a row, as editRow places the edits.
void captionRow(TWinControl* Parent, int Left, int Top, int Width, int Step,
                std::initializer_list<const char*> Captions) {
    int x = Left;
    for (const char* caption : Captions) {
        place<TLabel>(Parent, x, Top, Width, 13, caption);
        x += Step;
    }
}

struct TOption {
    const char* Caption;
    const char* Field;
};

// Places the option check boxes in columns of Rows, each Width wide.
void optionBoxes(TWinControl* Parent, TDataSource* Source, int Left, int Top, int Width, int Rows,
                 std::initializer_list<TOption> Options) {
    int i = 0;
    for (const TOption& option : Options) {
        auto* box = placeBound<TDBCheckBox>(Parent, Left + (i / Rows) * Width, Top + (i % Rows) * 20, Width - 4, 17,
                                            Source, option.Field);
        box->SetCaption(option.Caption);
        box->SetValueChecked("True");
        box->SetValueUnchecked("False");
        ++i;
    }
}

}  // namespace

// ---------------------------------------------------------------- the shared window

TLabRxOrderDlg::TLabRxOrderDlg(TComponent* AOwner, TDataModule1& Module, std::string OrderKind)
    : TForm(AOwner), module_(Module), orderKind_(std::move(OrderKind)) {
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    KingPopup1 = new TKingPopup(this);
    ReportSystem1 = new TReportSystem(this);
    ReportSystem1->SetName("ReportSystem1");
    ReportSystem1->SetTitlePreview("Lab Rx Preview");
    ReportSystem1->SetDefaultDest(rdPrinter);
    TSystemPrinter* printer = ReportSystem1->SystemPrinter();
    printer->SetOrientation(TOrientation::poLandScape);
    printer->SetMarginLeft(0.5);
    printer->SetMarginRight(0.5);
    printer->SetMarginTop(0.25);
    printer->SetMarginBottom(0.25);
    printer->SetUnitsFactor(1.0);
    bindEvent(ReportSystem1->OnPrint, this, &TLabRxOrderDlg::ReportSystem1Print);
    bindEvent(OnClose, this, &TLabRxOrderDlg::FormClose);
}

void TLabRxOrderDlg::placeNotesAndButtons(int Top, int Width) {
    place<TLabel>(this, 8, Top, 60, 13, "Notes");
    NotesDBMemo = placeBound<TDBMemo>(this, 8, Top + 16, Width - 16, 70, module_.Temp2Source, "NOTES");
    NotesDBMemo->SetMaxLength(LabRxNotesLimit);
    ButtonPanel = place<TPanel>(this, 0, Top + 94, Width, 41);
    ButtonPanel->SetCaption("");
    OkBitBtn = place<TBitBtn>(ButtonPanel, Width / 2 - 130, 8, 75, 25, "&OK");
    OkBitBtn->SetDefault(true);
    CancelBitBtn = place<TBitBtn>(ButtonPanel, Width / 2 - 38, 8, 75, 25, "&Cancel");
    CancelBitBtn->SetCancel(true);
    PrintBitBtn = place<TBitBtn>(ButtonPanel, Width / 2 + 54, 8, 75, 25, "&Print");
    bindEvent(OkBitBtn->OnClick, this, &TLabRxOrderDlg::OkBitBtnClick);
    bindEvent(CancelBitBtn->OnClick, this, &TLabRxOrderDlg::CancelBitBtnClick);
    bindEvent(PrintBitBtn->OnClick, this, &TLabRxOrderDlg::PrintBitBtnClick);
    SetClientWidth(Width);
    SetClientHeight(Top + 135);
}

void TLabRxOrderDlg::OkBitBtnClick(TObject*) {
    TDataSet* line = module_.Temp2Table;
    const bool editing = line->State() == dsEdit || line->State() == dsInsert;
    if (editing && line->Modified()) {
        line->FieldByName("TYPE")->SetAsString(orderKind_);
        line->Post();
        lineChanged_ = true;
    } else if (editing) {
        line->Cancel();
    }
    SetModalResult(mrOk);
    Close();
}

void TLabRxOrderDlg::CancelBitBtnClick(TObject*) {
    SetModalResult(mrCancel);
    Close();
}

void TLabRxOrderDlg::FormClose(TObject*, TCloseAction& Action) {
    // Every way out but OK leaves the line as it was before the window.
    TDataSet* line = module_.Temp2Table;
    if (line->State() == dsEdit || line->State() == dsInsert)
        line->Cancel();
    Action = caHide;
}

void TLabRxOrderDlg::PrintBitBtnClick(TObject*) {
    // The edits print as they stand on screen.
    TDataSet* line = module_.Temp2Table;
    if (line->State() == dsEdit || line->State() == dsInsert)
        line->UpdateRecord();
    ReportSystem1->Execute();
}

// ---------------------------------------------------------------- spectacles

TLabRxSpectaclesDlg::TLabRxSpectaclesDlg(TComponent* AOwner, TDataModule1& Module)
    : TLabRxOrderDlg(AOwner, Module, "S") {
    SetName("LabRxSpectaclesDlg");
    SetCaption("Spectacles Rx");
    TDataSource* line = module_.Temp2Source;

    RxGroupBox = place<TGroupBox>(this, 8, 4, 500, 96, "Spectacles Rx");
    captionRow(RxGroupBox, 40, 16, 56, 58, {"Sphere", "Cylinder", "Axis", "Prism", "BC", "Decentration"});
    captionRow(RxGroupBox, 330, 30, 56, 58, {"In", "Out"});
    place<TLabel>(RxGroupBox, 10, 49, 24, 13, "OD");
    place<TLabel>(RxGroupBox, 10, 72, 24, 13, "OS");
    editRow(RxGroupBox, line, 40, 46, 54, 58,
            {"SPHERE_R", "CYLINDER_R", "AXIS_R", "PRISM_R", "BASE_R", "DEC_IN_R", "DEC_OUT_R"});
    editRow(RxGroupBox, line, 40, 69, 54, 58,
            {"SPHERE_L", "CYLINDER_L", "AXIS_L", "PRISM_L", "BASE_L", "DEC_IN_L", "DEC_OUT_L"});

    ExpectedGroupBox = place<TGroupBox>(this, 516, 4, 140, 50, "Date Expected");
    ExpectedDBKingDlg = placeBound<TDBKingDlg>(ExpectedGroupBox, 10, 20, 118, RowHeight, line, "EXPECTED");

    ReadingGroupBox = place<TGroupBox>(this, 8, 104, 320, 96, "For Reading");
    captionRow(ReadingGroupBox, 40, 16, 50, 0, {"Add"});
    place<TLabel>(ReadingGroupBox, 10, 39, 24, 13, "OD");
    place<TLabel>(ReadingGroupBox, 10, 64, 24, 13, "OS");
    editRow(ReadingGroupBox, line, 40, 36, 46, 0, {"ADD_R"});
    editRow(ReadingGroupBox, line, 40, 61, 46, 0, {"ADD_L"});
    place<TLabel>(ReadingGroupBox, 96, 16, 60, 13, "Segment");
    place<TLabel>(ReadingGroupBox, 96, 39, 40, 13, "Height");
    placeBound<TDBEdit>(ReadingGroupBox, 136, 36, 40, RowHeight, line, "SEG_HEIGHT");
    place<TLabel>(ReadingGroupBox, 96, 64, 40, 13, "Width");
    placeBound<TDBEdit>(ReadingGroupBox, 136, 61, 40, RowHeight, line, "SEG_WIDTH");
    captionRow(ReadingGroupBox, 190, 16, 60, 62, {"Inset", "Total Inset"});
    editRow(ReadingGroupBox, line, 190, 36, 50, 62, {"INSET_R", "TOT_INS_R"});
    editRow(ReadingGroupBox, line, 190, 61, 50, 62, {"INSET_L", "TOT_INS_L"});

    PDGroupBox = place<TGroupBox>(this, 336, 104, 320, 96, "Pupillary Distance");
    captionRow(PDGroupBox, 70, 16, 56, 64, {"Total", "OD", "OS"});
    place<TLabel>(PDGroupBox, 10, 39, 56, 13, "Distant");
    editRow(PDGroupBox, line, 70, 36, 54, 64, {"DPD_TOT", "DPD_R", "DPD_L"});
    place<TLabel>(PDGroupBox, 10, 64, 56, 13, "Near");
    editRow(PDGroupBox, line, 70, 61, 54, 64, {"NPD_TOT", "NPD_R", "NPD_L"});

    FrameGroupBox = place<TGroupBox>(this, 8, 204, 320, 118, "Frame");
    captionRow(FrameGroupBox, 10, 16, 70, 74, {"Eye-Bridge", "Temple", "B", "ED"});
    editRow(FrameGroupBox, line, 10, 32, 66, 74, {"SIZE", "TEMP_LGTH", "B", "ED"});
    place<TLabel>(FrameGroupBox, 10, 63, 90, 13, "Style");
    placeBound<TDBEdit>(FrameGroupBox, 100, 60, 210, RowHeight, line, "FRAM_STYLE");
    place<TLabel>(FrameGroupBox, 10, 90, 90, 13, "Color and Trim");
    placeBound<TDBEdit>(FrameGroupBox, 100, 87, 210, RowHeight, line, "FRAM_COLOR");

    LensMatlLabel = place<TLabel>(this, 16, 332, 80, 13, "Lens Material");
    LensMatlDBComboBox = place<TDBComboBox>(this, 100, 328, 130, RowHeight);
    LensMatlDBComboBox->SetStyle(csDropDownList);
    for (const char* material : {"Glass", "Plastic", "Polycarbonate", "Spectralite"})
        LensMatlDBComboBox->Items()->Add(material);
    LensMatlDBComboBox->SetDataSource(line);
    LensMatlDBComboBox->SetDataField("LENSMATL");
    LensMatlLabel->SetFocusControl(LensMatlDBComboBox);

    OptionsGroupBox = place<TGroupBox>(this, 336, 204, 320, 176, "Options");
    optionBoxes(OptionsGroupBox, line, 10, 18, 150, 6,
                {{"StraightTop", "STRAIT_TOP"},
                 {"Round Segment", "ROUND_SEG"},
                 {"Trifocal", "TRIFOCAL"},
                 {"Blended", "BLENDED"},
                 {"Progressive", "PROGRESSIV"},
                 {"Executive", "EXECUTIVE"},
                 {"UV Protection", "UV_PROTECT"},
                 {"Scratch Coat", "SCRATCH_CT"},
                 {"High Index", "HIGH_INDEX"},
                 {"Anti-Reflective", "ANTI_REFLC"},
                 {"PGX", "PGX"},
                 {"Transition", "TRANSITION"}});
    place<TLabel>(OptionsGroupBox, 10, 145, 30, 13, "Tint");
    TintDBEdit = placeBound<TDBEdit>(OptionsGroupBox, 44, 142, 150, RowHeight, line, "TINT");

    placeNotesAndButtons(386, 664);
}

// ---------------------------------------------------------------- contact lenses

TLabRxContactLensDlg::TLabRxContactLensDlg(TComponent* AOwner, TDataModule1& Module)
    : TLabRxOrderDlg(AOwner, Module, "C") {
    SetName("LabRxContactLensDlg");
    SetCaption("Contact Lens Rx");
    TDataSource* line = module_.Temp2Source;

    RxGroupBox = place<TGroupBox>(this, 8, 4, 500, 96, "Contact Lens Rx");
    captionRow(RxGroupBox, 40, 26, 56, 64, {"Sphere", "Cylinder", "Axis", "K Reading", "BC", "Dia", "Add"});
    place<TLabel>(RxGroupBox, 10, 49, 24, 13, "OD");
    place<TLabel>(RxGroupBox, 10, 72, 24, 13, "OS");
    editRow(RxGroupBox, line, 40, 46, 60, 64, {"SPHERE_R", "CYLINDER_R", "AXIS_R", "CC_R", "BASE_R", "DIA_R", "ADD_R"});
    editRow(RxGroupBox, line, 40, 69, 60, 64, {"SPHERE_L", "CYLINDER_L", "AXIS_L", "CC_L", "BASE_L", "DIA_L", "ADD_L"});

    LensGroupBox = place<TGroupBox>(this, 8, 104, 500, 110, "Contact Lens");
    captionRow(LensGroupBox, 10, 18, 160, 166, {"Type", "Tint", "Date Expected"});
    placeBound<TDBEdit>(LensGroupBox, 10, 34, 156, RowHeight, line, "CL_TYPE");
    placeBound<TDBEdit>(LensGroupBox, 176, 34, 156, RowHeight, line, "CL_TINT");
    ExpectedDBKingDlg = placeBound<TDBKingDlg>(LensGroupBox, 342, 34, 120, RowHeight, line, "EXPECTED");
    captionRow(LensGroupBox, 10, 62, 160, 166, {"Manufacturer", "Checked by", "Doctor"});
    editRow(LensGroupBox, line, 10, 78, 156, 166, {"VENDOR", "CHECKED", "DOCTOR"});

    OptionsGroupBox = place<TGroupBox>(this, 8, 218, 500, 66, "Options");
    optionBoxes(OptionsGroupBox, line, 10, 18, 122, 2,
                {{"Daily Wear", "CL_DW"},
                 {"Extended Wear", "CL_EW"},
                 {"Gas Permeable", "CL_GP"},
                 {"Disposable", "CL_DISP"},
                 {"Toric", "CL_TORIC"},
                 {"Insurance", "CL_INS"},
                 {"Training", "CL_TRAIN"},
                 {"Warranty", "CL_WRNTY"}});

    placeNotesAndButtons(290, 516);
}

// ---------------------------------------------------------------- printing

void TLabRxSpectaclesDlg::ReportSystem1Print(TObject* Sender) {
    if (auto* report = dynamic_cast<TBaseReport*>(Sender))
        LabRxPrint::printSpectacleOrder(*report, module_, NotesDBMemo->Text(), LabRxPrint::pageShift());
}

void TLabRxContactLensDlg::ReportSystem1Print(TObject* Sender) {
    if (auto* report = dynamic_cast<TBaseReport*>(Sender))
        LabRxPrint::printContactLensOrder(*report, module_, NotesDBMemo->Text(), LabRxPrint::pageShift());
}
