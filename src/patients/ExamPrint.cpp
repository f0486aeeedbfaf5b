#include "patients/ExamPrint.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "patients/PatientRules.h"
#include "reporting/MemoBuf.h"
#include "reporting/RSBase.h"
#include "ui/Colors.h"
#include "xbase/Xbase.h"

namespace {

const char* const Font = "Arial";
constexpr TColor LightGrey = static_cast<TColor>(0xE8E8E8);
constexpr TColor Silver = static_cast<TColor>(0xC0C0C0);
constexpr TColor White = static_cast<TColor>(0xFFFFFF);
// Pen widths: the engine's hairline (a hundredth of an inch), thin and thick rules.
constexpr int HairlinePen = -1;
constexpr int ThinPen = 1;
constexpr int ThickPen = 4;

// The form's corner on the page, and its size.
constexpr double FormLeft = 0.375;
constexpr double FormTop = 0.375;
constexpr double FormWidth = 7.75;
constexpr double FormHeight = 4.75;

// The notes below the form: origin, first line, column and the lines the
// first page takes.
constexpr double NotesLeft = 0.25;
constexpr double NotesTop = 5.7;
constexpr double NotesFirstLine = 0.25;
constexpr double NotesStart = 0.25;
constexpr double NotesEnd = 7.75;
constexpr int NotesOnFirstPage = 25;
// A continued page: its heading and the origin of its lines.
constexpr double HeadingX = 0.25;
constexpr double HeadingY = 0.5;
constexpr double ContinuedTop = 1.0;
const char* const NotesContinued = " notes continued...";

// The top of the previous-Rx and the current-Rx band.
constexpr double PreviousRxTop = 0.81;
constexpr double CurrentRxTop = 3.71;

// One step of the layout. Positions are inches from the form's corner.
enum class TStep { Font, Fill, Shade, Thin, Thick, Rule, Caption, Patient, Exam, Town, Age };
struct TInk {
    TStep Step;
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    const char* Text = nullptr;
    TColor Color = 0;
};

constexpr TInk font(double Size) { return {TStep::Font, Size}; }
// The brush of the shaded rectangles that follow.
constexpr TInk fill(TColor Color) { return {TStep::Fill, 0, 0, 0, 0, nullptr, Color}; }
constexpr TInk shade(double X1, double Y1, double X2, double Y2) { return {TStep::Shade, X1, Y1, X2, Y2}; }
// The pen of the rules that follow.
constexpr TInk thin() { return {TStep::Thin}; }
constexpr TInk thick() { return {TStep::Thick}; }
constexpr TInk rule(double X1, double Y1, double X2, double Y2) { return {TStep::Rule, X1, Y1, X2, Y2}; }
constexpr TInk across(double Y) { return rule(0, Y, FormWidth, Y); }
constexpr TInk down(double X, double Y1, double Y2) { return rule(X, Y1, X, Y2); }
constexpr TInk caption(double X, double Y, const char* Text) { return {TStep::Caption, X, Y, 0, 0, Text}; }
// The text of a patient (P) or exam (E) column.
constexpr TInk patient(double X, double Y, const char* Field) { return {TStep::Patient, X, Y, 0, 0, Field}; }
constexpr TInk exam(double X, double Y, const char* Field) { return {TStep::Exam, X, Y, 0, 0, Field}; }
// The patient's CITY, STATE and ZIP with two blanks between them.
constexpr TInk town(double X, double Y) { return {TStep::Town, X, Y}; }
// The patient's age, when above 0.
constexpr TInk age(double X, double Y) { return {TStep::Age, X, Y}; }

// ---------------------------------------------------------------- the form

constexpr TInk Shading[] = {
    fill(LightGrey), shade(0, 0, 2.5, 0.15), shade(2.5, 0, 3, 0.7), shade(3.9, 0, 6, 0.15), shade(3.9, 0.35, 6, 0.5),
    shade(6, 0, 6.5, 0.7),
    fill(Silver), shade(0, 0.7, 7.75, 0.85),
    fill(LightGrey), shade(0, 0.85, 7.75, 1), shade(0, 1, 0.7, 1.34), shade(3.88, 1, 4.58, 1.34),
    shade(0, 1.34, 7.75, 1.49), shade(5.1, 1.34, 5.5, 2.14), shade(0, 2.14, 7.75, 2.29), shade(0, 2.6, 7.75, 2.75),
    shade(3, 2.6, 3.3, 3.1), shade(6, 2.6, 6.3, 3.1), shade(0, 3.1, 7.75, 3.25), shade(0, 3.1, 0.3, 3.6),
    shade(4.5, 3.1, 4.8, 3.6),
    fill(Silver), shade(0, 3.6, 7.75, 3.75),
    fill(LightGrey), shade(0, 3.75, 7.75, 3.9), shade(0, 3.9, 0.7, 4.24), shade(3.88, 3.9, 4.58, 4.24),
    shade(0, 4.24, 7.75, 4.39), shade(3.25, 4.24, 3.6, 4.75), shade(5, 0.73, 6.5, 0.82), shade(5, 3.63, 6.5, 3.72),
    fill(White), shade(5.5, 0.73, 7.5, 0.82), shade(5.5, 3.63, 7.5, 3.72),
};

constexpr TInk Captions[] = {
    font(8),
    // patient
    caption(0.1, 0.1, "Patient"), caption(2.6, 0.2, "Birth"), caption(2.6, 0.4, "Age"), caption(2.6, 0.6, "Sex"),
    caption(4, 0.1, "Occupation"), caption(4, 0.45, "Referred by"), caption(6.1, 0.13, "Date"),
    caption(6.1, 0.305, "Recall"), caption(6.1, 0.48, "Home"), caption(6.1, 0.655, "Work"),
    caption(0.1, PreviousRxTop, "Previous Rx"),
    // complaint and vision
    caption(0.1, 1.44, "Taking medication for:"), caption(2.6, 1.44, "Ocular complaint:"),
    caption(5.15, 1.44, "Vision      Unaided        Prev Rx"), caption(6.85, 1.44, "PD  Distant  Near"),
    caption(5.2, 1.64, "OD"), caption(5.2, 1.84, "OS"), caption(5.2, 2.04, "OU"),
    caption(5.54, 1.64, "20/"), caption(5.54, 1.84, "20/"), caption(5.54, 2.04, "20/"),
    caption(6.2, 1.64, "20/"), caption(6.2, 1.84, "20/"), caption(6.2, 2.04, "20/"),
    // tests
    caption(0.1, 2.25, "Fields"), caption(3.1, 2.25, "Cover Test"), caption(6.1, 2.25, "Near Point of Convergence"),
    // external exam
    caption(0.1, 2.7, "External Exam"), caption(3.1, 2.7, "Retinoscopy"), caption(6.1, 2.7, "Corneal Curves"),
    caption(3.1, 2.85, "OD"), caption(3.1, 3.05, "OS"), caption(6.1, 2.85, "OD"), caption(6.1, 3.05, "OS"),
    // subjective
    caption(0.1, 3.2, "Distant Subjective Exam"), caption(4.6, 3.2, "Near Subjective Exam"),
    caption(0.1, 3.35, "OD"), caption(0.1, 3.55, "OS"), caption(4.6, 3.35, "OD"), caption(4.6, 3.55, "OS"),
    caption(3, 3.35, "20/"), caption(3, 3.55, "20/"), caption(6.75, 3.35, "20/"), caption(6.75, 3.55, "20/"),
    caption(0.1, CurrentRxTop, "Current Rx"),
    // bottom
    caption(0.1, 4.34, "Biomicroscope"), caption(2.1, 4.34, "Intraocular Pressure"),
    font(6), caption(3.3, 4.33, "Internal"), caption(3.3, 4.41, "Exam"),
    font(8), caption(3.35, 4.52, "OD"), caption(3.35, 4.7, "OS"), caption(3.7, 4.34, "C/D"),
    caption(4.2, 4.34, "A/V"), caption(4.8, 4.34, "ALR"), caption(5.4, 4.34, "Background"),
};

// The captions of a prescription band, from the band's top (0.81 previous, 3.71 current).
constexpr TInk RxBandCaptions[] = {
    font(8), caption(5.05, 0, "CL Type"),
    caption(0.1, 0.15, "Spectacles"), caption(0.8, 0.15, "Sphere"), caption(1.5, 0.15, "Cylinder"),
    caption(2.1, 0.15, "Axis"), caption(2.5, 0.15, "Prism"), caption(3.02, 0.15, "BC"), caption(3.4, 0.15, "Add"),
    caption(3.98, 0.15, "Contact Lens"), caption(4.78, 0.15, "Sphere"), caption(5.38, 0.15, "Cylinder"),
    caption(6.03, 0.15, "Axis"), caption(6.43, 0.15, "BC"), caption(6.88, 0.15, "Dia"), caption(7.28, 0.15, "Add"),
    caption(0.5, 0.3, "OD"), caption(0.5, 0.5, "OS"), caption(4.38, 0.3, "OD"), caption(4.38, 0.5, "OS"),
};

constexpr TInk Rules[] = {
    thick(), across(0.7), across(1.34), across(3.6), across(4.24),
    thin(), across(0.85), across(2.14), across(2.6), across(3.1), across(3.75),
    down(2.5, 0, 0.7), down(3.9, 0, 0.7), down(6, 0, 0.7),
    down(3.88, 0.85, 1.34), down(3.88, 3.75, 4.24),
    down(5.1, 1.34, 2.14), down(6.8, 1.34, 2.14),
    down(3, 2.14, 2.6), down(6, 2.14, 2.6), down(3, 2.6, 3.1), down(6, 2.6, 3.1),
    down(4.5, 3.1, 3.6), down(1.95, 4.24, 4.75), down(3.25, 4.25, 4.75),
    rule(3.9, 0.35, 6, 0.35),
};

// ---------------------------------------------------------------- the values

constexpr TInk PatientValues[] = {
    font(10), patient(0.1, 0.3, "NAME"), patient(0.1, 0.45, "ADDR"), town(0.1, 0.6),
    patient(3.1, 0.2, "BIRTHDATE"), age(3.1, 0.4), patient(3.1, 0.6, "SEX"), patient(4, 0.3, "EMPLOYER"),
    font(9), exam(6.6, 0.13, "FIRSTEXAM"), patient(6.55, 0.48, "PHONE1"), patient(6.55, 0.655, "PHONE2"),
};

// The values of a prescription band, from the band's top; the spectacle
// and contact-lens columns stand under their captions.
constexpr TInk RxBandValues[] = {
    font(8), exam(5.6, 0, "CL_TYPE"), exam(1, 0, "FIRSTEXAM"), exam(2, 0, "DOCTOR"),
    font(10),
    exam(0.8, 0.3, "SR_SPHERE"), exam(1.5, 0.3, "SR_CYL"), exam(2.1, 0.3, "SR_AXIS"), exam(2.5, 0.3, "SR_PRISM"),
    exam(3.02, 0.3, "SR_BC"), exam(3.4, 0.3, "SR_ADD"),
    exam(4.78, 0.3, "CR_SPHERE"), exam(5.38, 0.3, "CR_CYL"), exam(6.03, 0.3, "CR_AXIS"), exam(6.43, 0.3, "CR_BC"),
    exam(6.88, 0.3, "CR_DIA"), exam(7.28, 0.3, "CR_ADD"),
    exam(0.8, 0.5, "SL_SPHERE"), exam(1.5, 0.5, "SL_CYL"), exam(2.1, 0.5, "SL_AXIS"), exam(2.5, 0.5, "SL_PRISM"),
    exam(3.02, 0.5, "SL_BC"), exam(3.4, 0.5, "SL_ADD"),
    exam(4.78, 0.5, "CL_SPHERE"), exam(5.38, 0.5, "CL_CYL"), exam(6.03, 0.5, "CL_AXIS"), exam(6.43, 0.5, "CL_BC"),
    exam(6.88, 0.5, "CL_DIA"), exam(7.28, 0.5, "CL_ADD"),
};

// The current exam's findings above its prescriptions.
constexpr TInk ExamValues[] = {
    font(10), exam(0.1, 1.84, "MEDICATION"), exam(2.6, 1.84, "COMPLAINT"),
    font(8),
    exam(5.7, 1.64, "VU_R"), exam(5.7, 1.84, "VU_L"), exam(5.7, 2.04, "VU_B"),
    exam(6.36, 1.64, "VP_R"), exam(6.36, 1.84, "VP_L"), exam(6.36, 2.04, "VP_B"),
    exam(7.1, 1.64, "DPD_R"), exam(7.1, 1.84, "DPD_L"), exam(7.1, 2.04, "DPD_TOT"),
    exam(7.5, 1.64, "NPD_R"), exam(7.5, 1.84, "NPD_L"), exam(7.5, 2.04, "NPD_TOT"),
    exam(0.2, 2.5, "FIELDS"), exam(3.2, 2.5, "CT"), exam(6.2, 2.5, "NPC"),
    exam(0.2, 2.95, "EXT_EXAM"), exam(3.4, 2.85, "SR_R"), exam(3.4, 3.05, "SR_L"), exam(6.4, 2.85, "CC_R"),
    exam(6.4, 3.05, "CC_L"),
    exam(0.5, 3.35, "DSE_R"), exam(3.2, 3.35, "DSE_VA_R"), exam(0.5, 3.55, "DSE_L"), exam(3.2, 3.55, "DSE_VA_L"),
    exam(5, 3.35, "NSE_R"), exam(6.95, 3.35, "NSE_VA_R"), exam(5, 3.55, "NSE_L"), exam(6.95, 3.55, "NSE_VA_L"),
};

// The current exam's findings below its prescriptions.
constexpr TInk BottomValues[] = {
    font(10), exam(0.05, 4.6, "SLIT_LAMP"), exam(2, 4.6, "IOP"),
    exam(3.6, 4.52, "IE_CD_R"), exam(3.6, 4.7, "IE_CD_L"), exam(4.1, 4.52, "IE_AV_R"), exam(4.1, 4.7, "IE_AV_L"),
    exam(4.7, 4.52, "IE_ALR_R"), exam(4.7, 4.7, "IE_ALR_L"), exam(5.3, 4.52, "IE_BACKG_R"),
    exam(5.3, 4.7, "IE_BACKG_L"),
};

// ---------------------------------------------------------------- drawing

class TExamPage {
public:
    TExamPage(TBaseReport& R, const ExamPrint::TExamSources& Sources) : r_(R), sources_(Sources) {}

    void atForm() {
        r_.SetOriginX(FormLeft);
        r_.SetOriginY(FormTop);
    }

    // Draws a layout table, every Y moved down by Down.
    void draw(std::span<const TInk> Layout, double Down = 0) {
        for (const TInk& ink : Layout)
            drawInk(ink, Down);
    }

    // The shaded areas are fills without outline.
    void shading() {
        r_.SetPen(clBlack, psClear, ThinPen, pmCopy);
        draw(Shading);
    }

    void rulesAndFrame() {
        draw(Rules);
        r_.SetBrush(White, bsClear, nullptr);
        r_.SetPen(clBlack, psSolid, HairlinePen, pmCopy);
        r_.Rectangle(0, 0, FormWidth, FormHeight);
        r_.SetBrush(White, bsSolid, nullptr);
        r_.SetPen(clBlack, psSolid, ThinPen, pmCopy);
    }

    // The previous exam's prescriptions, when the exam table has a record
    // before the current one. The exam engine goes back to the current
    // record in every case.
    void previousRx() {
        TDataSet* exams = sources_.Exam;
        TXbase* engine = sources_.ExamEngine;
        if (exams->IsEmpty())
            return;
        const int current = engine->RecNo();
        try {
            if (!exams->Bof()) {
                engine->Skip(-1);
                if (engine->RecNo() != current)
                    draw(RxBandValues, PreviousRxTop);
            }
        } catch (...) {
            engine->Go(current);
            throw;
        }
        engine->Go(current);
    }

    void notes() {
        r_.SetOriginX(NotesLeft);
        r_.SetOriginY(NotesTop);
        r_.SetFont(Font, 10);
        r_.SetBrush(White, bsSolid, nullptr);
        TMemoBuf memo;
        memo.BaseReport = &r_;
        memo.PrintStart = NotesStart;
        memo.PrintEnd = NotesEnd;
        memo.SetText(sources_.Exam->FieldByName("NOTE")->AsString());
        r_.GotoXY(0, NotesFirstLine);
        r_.PrintMemo(&memo, NotesOnFirstPage, false);
        while (r_.MemoLines(&memo) > 0) {
            // The new page starts with the origin at the paper's corner.
            r_.NewPage();
            r_.PrintXY(HeadingX, HeadingY, patientText("RECNAME") + NotesContinued);
            r_.SetOriginX(NotesLeft);
            r_.SetOriginY(ContinuedTop);
            r_.SetFont(Font, 10);
            r_.SetBrush(White, bsSolid, nullptr);
            r_.GotoXY(0, NotesFirstLine);
            // A long note goes on over as many pages as it needs.
            r_.PrintMemo(&memo, linesLeftOnPage(), false);
        }
    }

private:
    std::string patientText(const char* Field) const { return sources_.Patient->FieldByName(Field)->AsString(); }
    std::string examText(const char* Field) const { return sources_.Exam->FieldByName(Field)->AsString(); }

    // The memo lines that fit between the current line and the page's foot;
    // at least one, so that every page takes some of the note.
    int linesLeftOnPage() {
        r_.UpdateLineHeight();
        const double foot = r_.SectionBottom() - r_.OriginY();
        const double height = r_.LineHeight();
        if (!(height > 0))
            return 0;
        const double room = foot - (r_.YPos() + r_.FontDescent());
        return std::max(1, static_cast<int>(std::floor(room / height + 1e-9)) + 1);
    }

    void drawInk(const TInk& Ink, double Down) {
        const double y = Ink.Y1 + Down;
        switch (Ink.Step) {
            case TStep::Font: r_.SetFont(Font, Ink.X1); break;
            case TStep::Fill: r_.SetBrush(Ink.Color, bsSolid, nullptr); break;
            case TStep::Shade: r_.Rectangle(Ink.X1, y, Ink.X2, Ink.Y2 + Down); break;
            case TStep::Thin: r_.SetPen(clBlack, psSolid, ThinPen, pmCopy); break;
            case TStep::Thick: r_.SetPen(clBlack, psSolid, ThickPen, pmCopy); break;
            case TStep::Rule:
                r_.MoveTo(Ink.X1, y);
                r_.LineTo(Ink.X2, Ink.Y2 + Down);
                break;
            case TStep::Caption: r_.PrintXY(Ink.X1, y, Ink.Text); break;
            case TStep::Patient: r_.PrintXY(Ink.X1, y, patientText(Ink.Text)); break;
            case TStep::Exam: r_.PrintXY(Ink.X1, y, examText(Ink.Text)); break;
            case TStep::Town:
                r_.PrintXY(Ink.X1, y, patientText("CITY") + "  " + patientText("STATE") + "  " + patientText("ZIP"));
                break;
            case TStep::Age: {
                int years = 0;
                if (ageFromText(sources_.BirthDateText, sources_.Today, years) && years > 0)
                    r_.PrintXY(Ink.X1, y, FormatFloat("###", years));
                break;
            }
        }
    }

    TBaseReport& r_;
    const ExamPrint::TExamSources& sources_;
};

}  // namespace

namespace ExamPrint {

void printExamRecord(TBaseReport& Report, const TExamSources& Sources) {
    TExamPage page(Report, Sources);
    page.atForm();
    page.shading();
    page.draw(Captions);
    page.draw(RxBandCaptions, PreviousRxTop);
    page.draw(RxBandCaptions, CurrentRxTop);
    page.atForm();
    page.rulesAndFrame();
    page.draw(PatientValues);
    page.previousRx();
    page.draw(ExamValues);
    page.draw(RxBandValues, CurrentRxTop);
    page.draw(BottomValues);
    page.notes();
}

}  // namespace ExamPrint
