#include "patients/EbillFacsimile.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "patients/EBillLayout.h"
#include "ui/Colors.h"
#include "ui/Graphics.h"

namespace {

// The printed matter's faces: small captions, and the form's title.
constexpr int kCaptionHeight = 7;
constexpr int kTitleHeight = 11;
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
        {1, 31, 11, 12, "2. PATIENT'S NAME (Last Name, First Name, Middle Initial)"},
        {31, 51, 11, 12, "3. PATIENT'S BIRTH DATE"},
        {51, 85, 11, 12, "4. INSURED'S NAME (Last Name, First Name, Middle Initial)"},
        {1, 31, 13, 14, "5. PATIENT'S ADDRESS (No., Street)"},
        {31, 51, 13, 14, "6. PATIENT RELATIONSHIP TO INSURED"},
        {51, 85, 13, 14, "7. INSURED'S ADDRESS (No., Street)"},
        {1, 27, 15, 16, "CITY"},
        {27, 31, 15, 16, "STATE"},
        {31, 51, 15, 18, "8. PATIENT STATUS"},
        {51, 76, 15, 16, "CITY"},
        {76, 85, 15, 16, "STATE"},
        {1, 14, 17, 18, "ZIP CODE"},
        {14, 31, 17, 18, "TELEPHONE (Include Area Code)"},
        {51, 64, 17, 18, "ZIP CODE"},
        {64, 85, 17, 18, "TELEPHONE (Include Area Code)"},
        // Boxes 9 to 11.
        {1, 31, 19, 20, "9. OTHER INSURED'S NAME (Last, First, Middle Initial)"},
        {31, 51, 19, 20, "10. IS PATIENT'S CONDITION RELATED TO:"},
        {51, 85, 19, 20, "11. INSURED'S POLICY GROUP OR FECA NUMBER"},
        {1, 31, 21, 22, "a. OTHER INSURED'S POLICY OR GROUP NUMBER"},
        {31, 51, 21, 22, "a. EMPLOYMENT? (CURRENT OR PREVIOUS)"},
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
        {1, 31, 33, 34, "14. DATE OF CURRENT ILLNESS, INJURY OR PREGNANCY"},
        {31, 51, 33, 34, "15. SAME OR SIMILAR ILLNESS: FIRST DATE"},
        {51, 85, 33, 34, "16. DATES PATIENT UNABLE TO WORK IN CURRENT OCCUPATION"},
        {1, 29, 35, 36, "17. NAME OF REFERRING PHYSICIAN OR OTHER SOURCE"},
        {29, 51, 35, 36, "17a. I.D. NUMBER OF REFERRING PHYSICIAN"},
        {51, 85, 35, 36, "18. HOSPITALIZATION DATES RELATED TO CURRENT SERVICES"},
        {1, 51, 37, 38, "19. RESERVED FOR LOCAL USE"},
        {51, 61, 37, 38, "20. OUTSIDE LAB?"},
        {61, 85, 37, 38, "$ CHARGES"},
        {1, 50, 39, 42, "21. DIAGNOSIS OR NATURE OF ILLNESS OR INJURY (RELATE ITEMS 1, 2, 3 OR 4 TO ITEM 24E BY LINE)"},
        {50, 62, 39, 40, "22. RESUBMISSION CODE"},
        {62, 85, 39, 40, "ORIGINAL REF. NO."},
        {50, 85, 41, 42, "23. PRIOR AUTHORIZATION NUMBER"},
        // Box 24's column heads.
        {1, 19, 43, 44, "24. A  DATE(S) OF SERVICE"},
        {19, 22, 43, 44, "B"},
        {22, 26, 43, 44, "C"},
        {26, 43, 43, 44, "D  PROCEDURES, SERVICES, OR SUPPLIES"},
        {43, 49, 43, 44, "E"},
        {49, 60, 43, 44, "F"},
        {60, 63, 43, 44, "G"},
        {63, 65.5, 43, 44, "H"},
        {65.5, 68, 43, 44, "I"},
        {68, 70.5, 43, 44, "J"},
        {70.5, 85, 43, 44, "K  RESERVED FOR LOCAL USE"},
    };
    // Box 24's six service lines, one cell per column.
    static const double kServiceEdges[] = {1, 10.5, 19, 22, 26, 32.5, 43, 49, 60, 63, 65.5, 68, 70.5, 85};
    for (int row = 1; row <= kEBillServiceLines; ++row) {
        const int line = EBillServiceLine(row);
        for (size_t i = 0; i + 1 < std::size(kServiceEdges); ++i)
            b.push_back({kServiceEdges[i], kServiceEdges[i + 1], line - 1, line, ""});
    }
    const std::vector<THcfaBox> bottom = {
        // Boxes 25 to 33.
        {1, 23.5, 57, 58, "25. FEDERAL TAX I.D. NUMBER"},
        {23.5, 36.5, 57, 58, "26. PATIENT'S ACCOUNT NO."},
        {36.5, 50, 57, 58, "27. ACCEPT ASSIGNMENT?"},
        {50, 60.5, 57, 58, "28. TOTAL CHARGE"},
        {60.5, 70.5, 57, 58, "29. AMOUNT PAID"},
        {70.5, 85, 57, 58, "30. BALANCE DUE"},
        {1, 23.5, 59, 62, "31. SIGNATURE OF PHYSICIAN OR SUPPLIER"},
        {23.5, 51, 59, 62, "32. FACILITY WHERE SERVICES WERE RENDERED"},
        {1, 51, 63, 64, ""},
        {51, 85, 59, 64, "33. BILLING"},
    };
    b.insert(b.end(), bottom.begin(), bottom.end());
    return b;
}

std::vector<THcfaText> makeTexts() {
    return {
        {2, 2, "PLEASE DO NOT STAPLE IN THIS AREA"},
        {8, 1.5, "PICA"},
        {8, 28, "HEALTH INSURANCE CLAIM FORM", true},
        {8, 81, "PICA"},
        {11, 45, "SEX"},
        {21, 66, "SEX"},
        {23, 18, "SEX"},
        {23, 44.5, "PLACE (State)"},
        {30, 1.5, "12. PATIENT'S OR AUTHORIZED PERSON'S SIGNATURE"},
        {32, 1.5, "SIGNED"},
        {32, 30, "DATE"},
        {32, 51.5, "SIGNED"},
        {34, 51.5, "FROM"},
        {34, 65.5, "TO"},
        {36, 51.5, "FROM"},
        {36, 65.5, "TO"},
        {40, 1.5, "1."},
        {40, 29.5, "3."},
        {42, 1.5, "2."},
        {42, 29.5, "4."},
        {44, 1.5, "From"},
        {44, 11, "To"},
        {44, 19.5, "POS"},
        {44, 22.5, "TOS"},
        {44, 26.5, "CPT/HCPCS"},
        {44, 33, "MODIFIER"},
        {44, 43.5, "DIAGNOSIS"},
        {44, 49.5, "$ CHARGES"},
        {44, 60.5, "DAYS"},
        {44, 63.5, "EP"},
        {44, 66, "EMG"},
        {44, 68.5, "COB"},
        {62, 7.5, "DATE"},
        {64, 1.5, "SIGNED"},
        {64, 51.5, "PIN#"},
        {64, 65.5, "GRP#"},
        {65, 1.5, "(APPROVED BY AMA COUNCIL ON MEDICAL SERVICE 8/88)"},
        {65, 38, "PLEASE PRINT OR TYPE"},
        {65, 68, "FORM HCFA-1500 (12-90)"},
    };
}

// A check square's caption: beside it to the right, or in the line above.
struct CheckCaption {
    std::string Text;
    bool Above = false;
};

const std::map<std::string, CheckCaption>& checkCaptions() {
    static const std::map<std::string, CheckCaption> captions = {
        {"CF1Medicare", {"MEDICARE"}}, {"CF1Medicaid", {"MEDICAID"}}, {"CF1Champus", {"CHAMPUS"}},
        {"CF1ChampVA", {"CHAMPVA"}},   {"CF1Group", {"GROUP PLAN"}},  {"CF1Feca", {"FECA"}},
        {"CF1Other", {"OTHER"}},       {"CF3Male", {"M"}},            {"CF3Female", {"F"}},
        {"CF6a", {"Self"}},            {"CF6b", {"Spouse"}},          {"CF6c", {"Child"}},
        {"CF6d", {"Other"}},           {"CF8s", {"Single"}},          {"CF8m", {"Married"}},
        {"CF8o", {"Other"}},           {"CF8e", {"Employed", true}},  {"CF8f", {"Full-Time", true}},
        {"CF8p", {"Part-Time", true}}, {"CF10aY", {"YES"}},           {"CF10aN", {"NO"}},
        {"CF11aM", {"M"}},             {"CF11aF", {"F"}},             {"CF9bM", {"M"}},
        {"CF9bF", {"F"}},              {"CF10bY", {"YES"}},           {"CF10bN", {"NO"}},
        {"CF10cY", {"YES"}},           {"CF10cN", {"NO"}},            {"CF11dY", {"YES"}},
        {"CF11dN", {"NO"}},            {"CF20Y", {"YES"}},            {"CF20N", {"NO"}},
        {"CF25SSN", {"SSN"}},          {"CF25EIN", {"EIN"}},          {"CF27Y", {"YES"}},
        {"CF27N", {"NO"}},
    };
    return captions;
}

TRect checkSquare(const TEBillColumn& column) {
    TRect cell = HcfaLabelRect(column);
    const int side = kHcfaColumnWidth + 2 * kCheckOverhang;
    const int top = cell.Top + (kHcfaLineHeight - side) / 2;
    return Bounds(cell.Left - kCheckOverhang, top, side, side);
}

}  // namespace

const std::vector<THcfaBox>& HcfaBoxes() {
    static const std::vector<THcfaBox> boxes = makeBoxes();
    return boxes;
}

const std::vector<THcfaText>& HcfaTexts() {
    static const std::vector<THcfaText> texts = makeTexts();
    return texts;
}

TRect HcfaBoxRect(const THcfaBox& Box) {
    return Rect(columnX(Box.Left), lineY(Box.Top), columnX(Box.Right), lineY(Box.Bottom + 1));
}

TRect HcfaLabelRect(const TEBillColumn& Column) {
    // A label wider than the rest of the page (box 7's street) ends at the page's edge.
    const int columns = std::min(Column.Width, kHcfaPageColumns + 1 - Column.Column);
    return Bounds(columnX(Column.Column), lineY(Column.Line), columns * kHcfaColumnWidth, kHcfaLineHeight);
}

bool HcfaIsCheck(const TEBillColumn& Column) { return checkCaptions().count(Column.LabelName) != 0; }

int HcfaWidth() { return 2 * kHcfaMargin + kHcfaPageColumns * kHcfaColumnWidth; }
int HcfaHeight() { return 2 * kHcfaMargin + kHcfaPageLines * kHcfaLineHeight; }

THcfaFacsimile::THcfaFacsimile(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetBounds(0, 0, HcfaWidth(), HcfaHeight());
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
    canvas->Font()->SetHeight(-kCaptionHeight);

    for (const THcfaBox& box : HcfaBoxes()) {
        const TRect r = HcfaBoxRect(box);
        // Neighbouring boxes share their edges: each box draws its top and left.
        canvas->MoveTo(r.Left, r.Bottom);
        canvas->LineTo(r.Left, r.Top);
        canvas->LineTo(r.Right, r.Top);
        canvas->LineTo(r.Right, r.Bottom);
        canvas->LineTo(r.Left, r.Bottom);
        if (!box.Caption.empty()) canvas->TextOut(r.Left + 2, r.Top + 1, box.Caption);
    }

    for (const TEBillColumn& column : EBillColumns()) {
        auto caption = checkCaptions().find(column.LabelName);
        if (caption == checkCaptions().end()) continue;
        const TRect square = checkSquare(column);
        canvas->Rectangle(square);
        if (caption->second.Above)
            canvas->TextOut(square.Left, square.Top - kHcfaLineHeight + 2, caption->second.Text);
        else
            canvas->TextOut(square.Right + 2, square.Top + 1, caption->second.Text);
    }

    for (const THcfaText& text : HcfaTexts()) {
        canvas->Font()->SetHeight(-(text.Title ? kTitleHeight : kCaptionHeight));
        canvas->Font()->SetStyle(text.Title ? TFontStyles{fsBold} : TFontStyles{});
        canvas->TextOut(columnX(text.Column), lineY(text.Line) + (text.Title ? 2 : 1), text.Text);
    }
}
