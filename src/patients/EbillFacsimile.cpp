#include "patients/EbillFacsimile.h"

#include <algorithm>
#include <cmath>

#include "patients/EBillLayout.h"
#include "ui/Colors.h"
#include "ui/Graphics.h"

namespace {

// Character height of the form's title.
constexpr int kTitleHeight = 12;
// The check square reaches this far past its cell on each side.
constexpr int kCheckOverhang = 1;

int columnX(double column) { return kHcfaMargin + int(std::lround((column - 1) * kHcfaColumnWidth)); }
int lineY(int line) { return kHcfaMargin + (line - 1) * kHcfaLineHeight; }

std::vector<THcfaBox> makeBoxes() {
    std::vector<THcfaBox> b = {
        // Claim number and carrier, above the form proper.
        {40, 59, 1, 1, ""},
        {40, 85, 3, 7, "CARRIER"},
        // Boxes 1 to 8.
        {1, 51, 9, 10, "1."},
        {51, 85, 9, 10, "1a. INSURED'S I.D. NUMBER (FOR PROGRAM IN ITEM 1)"},
        {1, 31, 11, 12, "2. PATIENT'S NAME (Last, First, Middle Initial)"},
        {31, 51, 11, 12, "3. PATIENT'S BIRTH DATE"},
        {51, 85, 11, 12, "4. INSURED'S NAME (Last Name, First Name, Middle Initial)"},
        {1, 31, 13, 14, "5. PATIENT'S ADDRESS (No., Street)"},
        {31, 51, 13, 14, "6. RELATIONSHIP TO INSURED"},
        {51, 85, 13, 14, "7. INSURED'S ADDRESS (No., Street)"},
        {1, 27, 15, 16, "CITY"},
        {27, 31, 15, 16, "STATE"},
        {31, 51, 15, 18, "8. PATIENT STATUS"},
        {51, 76, 15, 16, "CITY"},
        {76, 85, 15, 16, "STATE"},
        {1, 14, 17, 18, "ZIP CODE"},
        {14, 31, 17, 18, "TELEPHONE"},
        {51, 64, 17, 18, "ZIP CODE"},
        {64, 85, 17, 18, "TELEPHONE (Include Area Code)"},
        // Boxes 9 to 11.
        {1, 31, 19, 20, "9. OTHER INSURED'S NAME"},
        {31, 51, 19, 20, "10. CONDITION RELATED TO:"},
        {51, 85, 19, 20, "11. INSURED'S POLICY GROUP OR FECA NUMBER"},
        {1, 31, 21, 22, "a. OTHER INSURED'S POLICY OR GROUP NUMBER"},
        {31, 51, 21, 22, "a. EMPLOYMENT?"},
        {51, 85, 21, 22, "a. INSURED'S DATE OF BIRTH"},
        {1, 31, 23, 24, "b. OTHER INSURED'S DATE OF BIRTH"},
        {31, 51, 23, 24, "b. AUTO ACCIDENT?"},
        {51, 85, 23, 24, "b. EMPLOYER'S NAME OR SCHOOL NAME"},
        {1, 31, 25, 26, "c. EMPLOYER'S NAME OR SCHOOL NAME"},
        {31, 51, 25, 26, "c. OTHER ACCIDENT?"},
        {51, 85, 25, 26, "c. INSURANCE PLAN NAME OR PROGRAM NAME"},
        {1, 31, 27, 28, "d. INSURANCE PLAN NAME OR PROGRAM NAME"},
        {31, 51, 27, 28, "10d. RESERVED FOR LOCAL USE"},
        {51, 85, 27, 28, "d. IS THERE ANOTHER HEALTH BENEFIT PLAN?"},
        // Boxes 12 to 23.
        {1, 51, 29, 32, "READ BACK OF FORM BEFORE COMPLETING & SIGNING THIS FORM."},
        {51, 85, 29, 32, "13. INSURED'S OR AUTHORIZED PERSON'S SIGNATURE"},
        {1, 31, 33, 34, "14. DATE OF CURRENT ILLNESS OR INJURY"},
        {31, 51, 33, 34, "15. SAME ILLNESS FIRST DATE"},
        {51, 85, 33, 34, "16. DATES UNABLE TO WORK IN CURRENT OCCUPATION"},
        {1, 29, 35, 36, "17. NAME OF REFERRING PHYSICIAN"},
        {29, 51, 35, 36, "17a. I.D. OF REFERRING PHYSICIAN"},
        {51, 85, 35, 36, "18. HOSPITALIZATION DATES FOR CURRENT SERVICES"},
        {1, 51, 37, 38, "19. RESERVED FOR LOCAL USE"},
        {51, 61, 37, 38, "20. OUTSIDE LAB"},
        {61, 85, 37, 38, "$ CHARGES"},
        {1, 50, 39, 42, "21. DIAGNOSIS OR NATURE OF ILLNESS OR INJURY (RELATE 1-4 TO 24E)"},
        {50, 62, 39, 40, "22. RESUBMISSION"},
        {62, 85, 39, 40, "ORIGINAL REF. NO."},
        {50, 85, 41, 42, "23. PRIOR AUTHORIZATION NUMBER"},
        // Box 24's column heads.
        {1, 19, 43, 44, "24. A  DATE(S) OF SERVICE"},
        {19, 22, 43, 44, "B"},
        {22, 26, 43, 44, "C"},
        {26, 43, 43, 44, "D  PROCEDURES, SUPPLIES"},
        {43, 49, 43, 44, "E"},
        {49, 60, 43, 44, "F"},
        {60, 63, 43, 44, "G"},
        {63, 65.5, 43, 44, "H"},
        {65.5, 68, 43, 44, "I"},
        {68, 70.5, 43, 44, "J"},
        {70.5, 85, 43, 44, "K  LOCAL USE"},
    };
    // Box 24's six service lines, one cell per column.
    static const double kServiceEdges[] = {1, 10.5, 19, 22, 26, 32.5, 43, 49, 60, 63, 65.5, 68, 70.5, 85};
    for (int row = 1; row <= kEBillServiceLines; ++row) {
        const int line = eBillServiceLine(row);
        for (size_t i = 0; i + 1 < std::size(kServiceEdges); ++i)
            b.push_back({kServiceEdges[i], kServiceEdges[i + 1], line - 1, line, ""});
    }
    const std::vector<THcfaBox> bottom = {
        // Boxes 25 to 33.
        {1, 23.5, 57, 58, "25. FEDERAL TAX I.D. NUMBER"},
        {23.5, 36.5, 57, 58, "26. ACCOUNT NO."},
        {36.5, 50, 57, 58, "27. ASSIGNMENT?"},
        {50, 60.5, 57, 58, "28. TOTAL"},
        {60.5, 70.5, 57, 58, "29. PAID"},
        {70.5, 85, 57, 58, "30. BALANCE DUE"},
        {1, 23.5, 59, 62, "31. SIGNATURE OF PHYSICIAN"},
        {23.5, 51, 59, 62, "32. NAME AND ADDRESS OF FACILITY"},
        {1, 51, 63, 64, ""},
        {51, 85, 59, 64, "33. BILLING"},
    };
    b.insert(b.end(), bottom.begin(), bottom.end());
    return b;
}

// A check square's caption stands in the lower half of the line above it.
struct CheckCaption {
    const char* LabelName;
    const char* Text;
};

const CheckCaption kCheckCaptions[] = {
    {"CF1Medicare", "MEDICARE"}, {"CF1Medicaid", "MEDICAID"}, {"CF1Champus", "CHAMPUS"},
    {"CF1ChampVA", "CHAMPVA"},   {"CF1Group", "GROUP PLAN"},  {"CF1Feca", "FECA"},
    {"CF1Other", "OTHER"},       {"CF3Male", "M"},            {"CF3Female", "F"},
    {"CF6a", "Self"},            {"CF6b", "Spouse"},          {"CF6c", "Child"},
    {"CF6d", "Other"},           {"CF8s", "Single"},          {"CF8m", "Married"},
    {"CF8o", "Other"},           {"CF8e", "Employed"},        {"CF8f", "Full-Time"},
    {"CF8p", "Part-Time"},       {"CF10aY", "YES"},           {"CF10aN", "NO"},
    {"CF11aM", "M"},             {"CF11aF", "F"},             {"CF9bM", "M"},
    {"CF9bF", "F"},              {"CF10bY", "YES"},           {"CF10bN", "NO"},
    {"CF10cY", "YES"},           {"CF10cN", "NO"},            {"CF11dY", "YES"},
    {"CF11dN", "NO"},            {"CF20Y", "YES"},            {"CF20N", "NO"},
    {"CF25SSN", "SSN"},          {"CF25EIN", "EIN"},          {"CF27Y", "YES"},
    {"CF27N", "NO"},
};

const CheckCaption* checkCaption(const std::string& labelName) {
    for (const CheckCaption& c : kCheckCaptions)
        if (labelName == c.LabelName) return &c;
    return nullptr;
}

std::vector<THcfaText> makeTexts() {
    using P = THcfaTextPlace;
    std::vector<THcfaText> texts = {
        {2, 2, "PLEASE DO NOT STAPLE IN THIS AREA"},
        {8, 1.5, "PICA", P::Middle},
        {8, 30, "HEALTH INSURANCE CLAIM FORM", P::Title},
        {8, 80.5, "PICA", P::Middle},
        {11, 39, "SEX", P::Lower},
        {21, 64, "SEX", P::Lower},
        {23, 14, "SEX", P::Lower},
        {23, 45, "PLACE (State)", P::Lower},
        {30, 1.5, "12. PATIENT'S OR AUTHORIZED PERSON'S SIGNATURE"},
        {32, 1.5, "SIGNED", P::Middle},
        {32, 30, "DATE", P::Middle},
        {32, 51.5, "SIGNED", P::Middle},
        {34, 51.5, "FROM", P::Middle},
        {34, 65.5, "TO", P::Middle},
        {36, 51.5, "FROM", P::Middle},
        {36, 65.5, "TO", P::Middle},
        {40, 1.5, "1.", P::Middle},
        {40, 29.5, "3.", P::Middle},
        {42, 1.5, "2.", P::Middle},
        {42, 29.5, "4.", P::Middle},
        {44, 1.5, "From"},
        {44, 11, "To"},
        {44, 19.5, "POS"},
        {44, 22.5, "TOS"},
        {44, 26.5, "CPT/HCPCS"},
        {44, 33, "MODIFIER"},
        {44, 43.5, "DIAG."},
        {44, 49.5, "$ CHARGES"},
        {44, 60.5, "DAYS"},
        {44, 63.5, "EP"},
        {44, 65.75, "EMG"},
        {44, 68.5, "COB"},
        {62, 7.5, "DATE", P::Middle},
        {64, 1.5, "SIGNED"},
        {64, 51.5, "PIN#"},
        {64, 65.5, "GRP#"},
        {65, 1.5, "(APPROVED BY AMA COUNCIL ON MEDICAL SERVICE 8/88)"},
        {65, 38, "PLEASE PRINT OR TYPE"},
        {65, 68, "FORM HCFA-1500 (12-90)"},
    };
    for (const TEBillColumn& column : eBillColumns())
        if (const CheckCaption* caption = checkCaption(column.LabelName))
            texts.push_back({column.Line - 1, column.Column - 0.25, caption->Text, P::Lower});
    return texts;
}

// The square around a check mark's cell.
TRect checkSquare(const TEBillColumn& column) {
    const TRect cell = hcfaLabelRect(column);
    const int side = kHcfaColumnWidth + 2 * kCheckOverhang;
    return Bounds(cell.Left - kCheckOverhang, cell.Top + (cell.Height() - side) / 2, side, side);
}

int textTop(const THcfaText& text) {
    switch (text.Place) {
        case THcfaTextPlace::Upper: return lineY(text.Line) + 1;
        case THcfaTextPlace::Lower: return lineY(text.Line) + kHcfaLineHeight / 2;
        case THcfaTextPlace::Middle: return lineY(text.Line) + (kHcfaLineHeight - kHcfaCaptionHeight) / 2 - 1;
        case THcfaTextPlace::Title: return lineY(text.Line) + (kHcfaLineHeight - kTitleHeight) / 2 - 1;
    }
    return lineY(text.Line);
}

}  // namespace

const std::vector<THcfaBox>& hcfaBoxes() {
    static const std::vector<THcfaBox> boxes = makeBoxes();
    return boxes;
}

const std::vector<THcfaText>& hcfaTexts() {
    static const std::vector<THcfaText> texts = makeTexts();
    return texts;
}

TRect hcfaBoxRect(const THcfaBox& Box) {
    return Rect(columnX(Box.Left), lineY(Box.Top), columnX(Box.Right), lineY(Box.Bottom + 1));
}

TRect hcfaLabelRect(const TEBillColumn& Column) {
    // A label wider than the rest of the page (box 7's street) ends at the page's edge.
    const int columns = std::min(Column.Width, kHcfaPageColumns + 1 - Column.Column);
    return Bounds(columnX(Column.Column), lineY(Column.Line), columns * kHcfaColumnWidth, kHcfaLineHeight);
}

bool hcfaIsCheck(const TEBillColumn& Column) { return checkCaption(Column.LabelName) != nullptr; }

int hcfaWidth() { return 2 * kHcfaMargin + kHcfaPageColumns * kHcfaColumnWidth; }
int hcfaHeight() { return 2 * kHcfaMargin + kHcfaPageLines * kHcfaLineHeight; }

THcfaFacsimile::THcfaFacsimile(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, hcfaWidth(), hcfaHeight());
}

void THcfaFacsimile::Paint() {
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(Rect(0, 0, Width(), Height()));

    canvas->Pen()->SetColor(clRed);
    canvas->Pen()->SetWidth(1);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Font()->SetName("Arial");
    canvas->Font()->SetColor(clRed);
    canvas->Font()->SetStyle({});
    canvas->Font()->SetHeight(-kHcfaCaptionHeight);

    for (const THcfaBox& box : hcfaBoxes()) {
        const TRect r = hcfaBoxRect(box);
        canvas->MoveTo(r.Left, r.Bottom);
        canvas->LineTo(r.Left, r.Top);
        canvas->LineTo(r.Right, r.Top);
        canvas->LineTo(r.Right, r.Bottom);
        canvas->LineTo(r.Left, r.Bottom);
        if (!box.Caption.empty()) canvas->TextOut(r.Left + 2, r.Top + 1, box.Caption);
    }
    for (const TEBillColumn& column : eBillColumns())
        if (hcfaIsCheck(column)) canvas->Rectangle(checkSquare(column));

    for (const THcfaText& text : hcfaTexts()) {
        const bool title = text.Place == THcfaTextPlace::Title;
        canvas->Font()->SetHeight(-(title ? kTitleHeight : kHcfaCaptionHeight));
        canvas->Font()->SetStyle(title ? TFontStyles{fsBold} : TFontStyles{});
        canvas->TextOut(columnX(text.Column), textTop(text), text.Text);
    }
}
