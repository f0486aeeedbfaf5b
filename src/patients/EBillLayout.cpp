#include "patients/EBillLayout.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace {

using R = TEBillRule;

TEBillColumn piece(int line, int column, int width, R rule, std::string field, std::string label) {
    TEBillColumn c{line, column, width, rule, std::move(field), "", "", "", "", std::move(label)};
    return c;
}

void append(std::vector<TEBillColumn>& columns, TEBillColumn column) { columns.push_back(std::move(column)); }

void append(std::vector<TEBillColumn>& columns, std::vector<TEBillColumn> group) {
    columns.insert(columns.end(), std::make_move_iterator(group.begin()), std::make_move_iterator(group.end()));
}

// One box of a choice: its column, the value that marks it and its label.
struct TChoiceBox {
    int Column;
    const char* Value;
    const char* Label;
};

// An "X" box per value of Field, all on one line.
std::vector<TEBillColumn> choices(int line, const std::string& field, std::initializer_list<TChoiceBox> boxes) {
    std::vector<TEBillColumn> columns;
    for (const TChoiceBox& box : boxes) {
        columns.push_back(piece(line, box.Column, 1, R::Choice, field, box.Label));
        columns.back().Value = box.Value;
    }
    return columns;
}

// The "yes" and "no" boxes of a logical field.
std::vector<TEBillColumn> yesNo(int line, int yesColumn, int noColumn, const std::string& field, std::string yesLabel,
                                std::string noLabel) {
    return {piece(line, yesColumn, 1, R::WhenTrue, field, std::move(yesLabel)),
            piece(line, noColumn, 1, R::WhenFalse, field, std::move(noLabel))};
}

// A person's birth date and the two sex boxes beside it (boxes 3, 9b and 11a).
std::vector<TEBillColumn> birthAndSex(int line, int birthColumn, int maleColumn, int femaleColumn,
                                      const std::string& prefix, std::string birthLabel, const char* maleLabel,
                                      const char* femaleLabel) {
    std::vector<TEBillColumn> columns = {
        piece(line, birthColumn, 8, R::BoxDate, prefix + "BIRTH", std::move(birthLabel))};
    append(columns,
           choices(line, prefix + "SEX", {{maleColumn, "Male", maleLabel}, {femaleColumn, "Female", femaleLabel}}));
    return columns;
}

// A person's address over three lines from Line: the street Width wide,
// city and state, then zip and the telephone at PhoneColumn.
std::vector<TEBillColumn> address(int line, int column, int width, int phoneColumn, const std::string& prefix,
                                  const char* const (&labels)[5]) {
    return {piece(line, column, width, R::Text, prefix + "ADDRS", labels[0]),
            piece(line + 2, column, 24, R::Text, prefix + "CITY", labels[1]),
            piece(line + 2, column + 25, 2, R::Text, prefix + "STATE", labels[2]),
            piece(line + 4, column, 10, R::Text, prefix + "ZIP", labels[3]),
            piece(line + 4, phoneColumn, 14, R::Text, prefix + "PHONE", labels[4])};
}

TEBillColumn joined(int line, int column, int width, R rule, std::string prefix, std::string label) {
    TEBillColumn c = piece(line, column, width, rule, prefix + "CITY", std::move(label));
    c.Field2 = prefix + "STATE";
    c.Field3 = prefix + "ZIP";
    return c;
}

TEBillColumn onlyWhen(TEBillColumn c, std::string condition) {
    c.Condition = std::move(condition);
    return c;
}

// "SIGNATURE ON FILE." when the logical field is true.
TEBillColumn signatureOnFile(int line, int column, std::string field, std::string label) {
    TEBillColumn c = piece(line, column, 18, R::WhenTrue, std::move(field), std::move(label));
    c.Value = "SIGNATURE ON FILE.";
    return c;
}

// The pieces and groups of pieces in the order given.
template <class... Parts>
std::vector<TEBillColumn> columnsOf(Parts... parts) {
    std::vector<TEBillColumn> columns;
    (append(columns, std::move(parts)), ...);
    return columns;
}

std::vector<TEBillColumn> claimColumns() {
    return columnsOf(
        piece(1, 41, 17, R::ClaimNumber, "ID", "ClaimNoLabel"),
        piece(4, 41, 32, R::Text, "CAR_NAME", "CarrierLabel1"),
        piece(5, 41, 32, R::Text, "CAR_ADDR1", "CarrierLabel2"),
        piece(6, 41, 32, R::Text, "CAR_ADDR2", "CarrierLabel3"),
        joined(7, 41, 40, R::CarrierCity, "CAR_", "CarrierLabel4"),
        // Box 1 and 1a.
        choices(10, "PLAN_TYPE",
                {{2, "Medicare", "CF1Medicare"}, {9, "Medicaid", "CF1Medicaid"}, {16, "Champus", "CF1Champus"},
                 {25, "ChampVA", "CF1ChampVA"}, {32, "Group Plan", "CF1Group"}, {40, "Feca", "CF1Feca"},
                 {46, "Other", "CF1Other"}}),
        piece(10, 52, 15, R::Text, "INS_ID", "CF1A"),
        // Boxes 2 to 4.
        piece(12, 3, 27, R::Text, "PAT_NAME", "CF2"),
        birthAndSex(12, 32, 43, 48, "PAT_", "CF3BirthDate", "CF3Male", "CF3Female"),
        piece(12, 52, 27, R::Text, "INS_NAME", "CF4"),
        // Boxes 5 and 7: the patient's and the insured's address.
        address(14, 3, 27, 15, "PAT_", {"CF5addr", "CF5city", "CF5state", "CF5zip", "CF5phone"}),
        address(14, 52, 47, 65, "INS_", {"CF7", "CF7city", "CF7state", "CF7zip", "CF7phone"}),
        // Box 6.
        choices(14, "REL_TO_INS",
                {{33, "Self", "CF6a"}, {38, "Spouse", "CF6b"}, {42, "Child", "CF6c"}, {47, "Other", "CF6d"}}),
        // Box 8.
        choices(16, "PAT_STATUS", {{35, "Single", "CF8s"}, {41, "Married", "CF8m"}, {47, "Other", "CF8o"}}),
        piece(18, 35, 1, R::WhenTrue, "PAT_EMPLYD", "CF8e"),
        choices(18, "PAT_STUDNT", {{41, "Full-Time", "CF8f"}, {47, "Part-Time", "CF8p"}}),
        // Boxes 9 to 11.
        piece(20, 3, 27, R::Text, "OTH_NAME", "CF9"),
        piece(20, 52, 14, R::Text, "INS_GROUP", "CF11"),
        piece(22, 3, 14, R::Text, "OTH_GROUP", "CF9a"),
        yesNo(22, 35, 41, "COND_EMPL", "CF10aY", "CF10aN"),
        birthAndSex(22, 54, 68, 75, "INS_", "CF11aBirth", "CF11aM", "CF11aF"),
        birthAndSex(24, 3, 18, 24, "OTH_", "CF9bBirthDate", "CF9bM", "CF9bF"),
        yesNo(24, 35, 41, "COND_AUTO", "CF10bY", "CF10bN"),
        onlyWhen(piece(24, 47, 2, R::AsStored, "COND_STATE", "CF10bP"), "COND_AUTO"),
        piece(24, 52, 18, R::Text, "INS_EMPLR", "CF11b"),
        piece(26, 3, 27, R::Text, "OTH_EMPLR", "CF9c"),
        yesNo(26, 35, 41, "COND_ACCID", "CF10cY", "CF10cN"),
        piece(26, 52, 18, R::Text, "INS_PLAN", "CF11c"),
        piece(28, 3, 27, R::Text, "OTH_PLAN", "CF9d"),
        piece(28, 32, 15, R::ViewerOnly, "LOCAL_10D", "CF10d"),
        yesNo(28, 52, 57, "OTHER_INS", "CF11dY", "CF11dN"),
        // Boxes 12 to 20.
        signatureOnFile(32, 7, "PATSIGONFI", "CF12"),
        signatureOnFile(32, 56, "INSSIGONFI", "CF13"),
        piece(34, 3, 8, R::BoxDate, "CURILLNESS", "CF14"),
        piece(34, 38, 8, R::BoxDate, "SIMILLNESS", "CF15"),
        piece(34, 55, 8, R::BoxDate, "NOWORKFROM", "CF16From"),
        piece(34, 69, 8, R::BoxDate, "NOWORKTO", "CF16To"),
        // Box 17 carries the referring physician the claim dialog edits.
        piece(36, 3, 20, R::CutText, "REFPHYS", "CF17"),
        piece(36, 30, 12, R::CutText, "REFPHYS_ID", "CF17a"),
        piece(36, 55, 8, R::BoxDate, "HOSP_FROM", "CF18From"),
        piece(36, 69, 8, R::BoxDate, "HOSP_TO", "CF18To"),
        piece(38, 3, 40, R::Text, "LOCAL_19", "CF19"),
        yesNo(38, 52, 57, "OUTSIDELAB", "CF20Y", "CF20N"),
        onlyWhen(piece(38, 63, 8, R::LabCharges, "OUTLABCHGS", "CF20Charges"), "OUTSIDELAB"),
        // Boxes 21 to 23.
        piece(40, 3, 6, R::Text, "DIAG1", "CF21a"),
        piece(40, 31, 6, R::Text, "DIAG3", "CF21c"),
        piece(40, 51, 10, R::Text, "MRESUBCODE", "CF22a"),
        piece(40, 63, 10, R::Text, "ORIGREFNO", "CF22b"),
        piece(42, 3, 6, R::Text, "DIAG2", "CF21b"),
        piece(42, 31, 6, R::Text, "DIAG4", "CF21d"),
        piece(42, 51, 10, R::Text, "PRI_AUTHNO", "CF23"),
        // Boxes 25 to 33.
        piece(58, 3, 12, R::Text, "FEDTAXID", "CF25"),
        choices(58, "FEDIDTYPE", {{17, "SSN", "CF25SSN"}, {20, "EIN", "CF25EIN"}}),
        piece(58, 25, 10, R::Text, "PAT_ID", "CF26"),
        yesNo(58, 38, 43, "ACPTASSIGN", "CF27Y", "CF27N"),
        piece(58, 52, 8, R::Money8, "TOTAL", "CF28"),
        piece(58, 62, 8, R::Money8, "PAID", "CF29"),
        piece(58, 72, 8, R::Money8, "BALANCE", "CF30"),
        piece(59, 60, 14, R::Text, "BILL_PHONE", "CF33PHONE"),
        piece(60, 24, 27, R::Text, "FAC_NAME", "CF32A"),
        piece(60, 52, 27, R::Text, "BILL_NAME", "CF33A"),
        piece(61, 24, 27, R::Text, "FAC_ADDRS", "CF32B"),
        piece(61, 52, 27, R::Text, "BILL_ADDRS", "CF33B"),
        piece(62, 12, 8, R::SignatureDate, "BILLSIGDAT", "CF31DATE"),
        joined(62, 24, 27, R::CityLine, "FAC_", "CF32C"),
        joined(62, 52, 27, R::CityLine, "BILL_", "CF33C"),
        piece(63, 3, 27, R::Text, "BILLSIGNAM", "CF31SIGNED"),
        piece(63, 52, 12, R::Text, "BILL_PIN", "CF33PIN"),
        piece(63, 66, 14, R::Text, "BILL_GRP", "CF33GRP"));
}

// One service line (box 24); "#" in a label name stands for the line's number.
std::vector<TEBillColumn> serviceColumns() {
    return {
        piece(0, 2, 8, R::BoxDate, "DATEFROM", "CF24A#From"),
        piece(0, 11, 8, R::BoxDate, "DATETO", "CF24A#To"),
        piece(0, 19, 3, R::Text, "POS", "CF24B#"),
        piece(0, 22, 3, R::Text, "TOS", "CF24C#"),
        piece(0, 27, 5, R::Text, "CPTCODE", "CF24D#CPT"),
        piece(0, 33, 2, R::Text, "MODIFIER", "CF24D#Mod"),
        piece(0, 44, 4, R::Text, "DIAGCODES", "CF24E#"),
        piece(0, 50, 10, R::Money10, "CHARGE", "CF24F#"),
        piece(0, 60, 3, R::Units, "UNITS", "CF24G#"),
        piece(0, 63, 1, R::Text, "EPSDT", "CF24H#"),
        piece(0, 66, 1, R::Text, "EMG", "CF24I#"),
        piece(0, 69, 1, R::Text, "COB", "CF24J#"),
        piece(0, 71, 10, R::Text, "LOCAL", "CF24K#"),
    };
}

std::vector<TEBillColumn> allColumns() {
    std::vector<TEBillColumn> columns = claimColumns();
    // The groups above are listed by box; the block is written by line.
    std::stable_sort(columns.begin(), columns.end(), [](const TEBillColumn& a, const TEBillColumn& b) {
        return a.Line != b.Line ? a.Line < b.Line : a.Column < b.Column;
    });
    for (int row = 1; row <= kEBillServiceLines; ++row) {
        for (TEBillColumn c : serviceColumns()) {
            c.Line = eBillServiceLine(row);
            c.LabelName.replace(c.LabelName.find('#'), 1, std::to_string(row));
            c.ServiceRow = true;
            columns.push_back(std::move(c));
        }
    }
    return columns;
}

}  // namespace

const std::vector<TEBillColumn>& eBillColumns() {
    static const std::vector<TEBillColumn> columns = allColumns();
    return columns;
}

int eBillServiceLine(int Row) { return 44 + 2 * Row; }

bool eBillHeaderLine(int Line) { return Line == 1 || (Line >= 4 && Line <= 7); }
