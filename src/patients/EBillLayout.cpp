#include "patients/EBillLayout.h"

namespace {

using R = TEBillRule;

TEBillColumn piece(int line, int column, int width, R rule, std::string field, std::string label) {
    TEBillColumn c{line, column, width, rule, std::move(field), "", "", "", "", std::move(label)};
    return c;
}

TEBillColumn choice(int line, int column, std::string field, std::string value, std::string label) {
    TEBillColumn c = piece(line, column, 1, R::Choice, std::move(field), std::move(label));
    c.Value = std::move(value);
    return c;
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

TEBillColumn withValue(TEBillColumn c, std::string value) {
    c.Value = std::move(value);
    return c;
}

std::vector<TEBillColumn> claimColumns() {
    return {
        piece(1, 41, 17, R::ClaimNumber, "ID", "ClaimNoLabel"),
        piece(4, 41, 32, R::Text, "CAR_NAME", "CarrierLabel1"),
        piece(5, 41, 32, R::Text, "CAR_ADDR1", "CarrierLabel2"),
        piece(6, 41, 32, R::Text, "CAR_ADDR2", "CarrierLabel3"),
        joined(7, 41, 40, R::CarrierCity, "CAR_", "CarrierLabel4"),
        // Box 1 and 1a.
        choice(10, 2, "PLAN_TYPE", "Medicare", "CF1Medicare"),
        choice(10, 9, "PLAN_TYPE", "Medicaid", "CF1Medicaid"),
        choice(10, 16, "PLAN_TYPE", "Champus", "CF1Champus"),
        choice(10, 25, "PLAN_TYPE", "ChampVA", "CF1ChampVA"),
        choice(10, 32, "PLAN_TYPE", "Group Plan", "CF1Group"),
        choice(10, 40, "PLAN_TYPE", "Feca", "CF1Feca"),
        choice(10, 46, "PLAN_TYPE", "Other", "CF1Other"),
        piece(10, 52, 15, R::Text, "INS_ID", "CF1A"),
        // Boxes 2 to 4.
        piece(12, 3, 27, R::Text, "PAT_NAME", "CF2"),
        piece(12, 32, 8, R::BoxDate, "PAT_BIRTH", "CF3BirthDate"),
        choice(12, 43, "PAT_SEX", "Male", "CF3Male"),
        choice(12, 48, "PAT_SEX", "Female", "CF3Female"),
        piece(12, 52, 27, R::Text, "INS_NAME", "CF4"),
        // Boxes 5 to 7, first line.
        piece(14, 3, 27, R::Text, "PAT_ADDRS", "CF5addr"),
        choice(14, 33, "REL_TO_INS", "Self", "CF6a"),
        choice(14, 38, "REL_TO_INS", "Spouse", "CF6b"),
        choice(14, 42, "REL_TO_INS", "Child", "CF6c"),
        choice(14, 47, "REL_TO_INS", "Other", "CF6d"),
        piece(14, 52, 47, R::Text, "INS_ADDRS", "CF7"),
        // Cities, states and box 8.
        piece(16, 3, 24, R::Text, "PAT_CITY", "CF5city"),
        piece(16, 28, 2, R::Text, "PAT_STATE", "CF5state"),
        choice(16, 35, "PAT_STATUS", "Single", "CF8s"),
        choice(16, 41, "PAT_STATUS", "Married", "CF8m"),
        choice(16, 47, "PAT_STATUS", "Other", "CF8o"),
        piece(16, 52, 24, R::Text, "INS_CITY", "CF7city"),
        piece(16, 77, 2, R::Text, "INS_STATE", "CF7state"),
        // Zip codes, telephones, employment and student status.
        piece(18, 3, 10, R::Text, "PAT_ZIP", "CF5zip"),
        piece(18, 15, 14, R::Text, "PAT_PHONE", "CF5phone"),
        piece(18, 35, 1, R::WhenTrue, "PAT_EMPLYD", "CF8e"),
        choice(18, 41, "PAT_STUDNT", "Full-Time", "CF8f"),
        choice(18, 47, "PAT_STUDNT", "Part-Time", "CF8p"),
        piece(18, 52, 10, R::Text, "INS_ZIP", "CF7zip"),
        piece(18, 65, 14, R::Text, "INS_PHONE", "CF7phone"),
        // Boxes 9 to 11.
        piece(20, 3, 27, R::Text, "OTH_NAME", "CF9"),
        piece(20, 52, 14, R::Text, "INS_GROUP", "CF11"),
        piece(22, 3, 14, R::Text, "OTH_GROUP", "CF9a"),
        piece(22, 35, 1, R::WhenTrue, "COND_EMPL", "CF10aY"),
        piece(22, 41, 1, R::WhenFalse, "COND_EMPL", "CF10aN"),
        piece(22, 54, 8, R::BoxDate, "INS_BIRTH", "CF11aBirth"),
        choice(22, 68, "INS_SEX", "Male", "CF11aM"),
        choice(22, 75, "INS_SEX", "Female", "CF11aF"),
        piece(24, 3, 8, R::BoxDate, "OTH_BIRTH", "CF9bBirthDate"),
        choice(24, 18, "OTH_SEX", "Male", "CF9bM"),
        choice(24, 24, "OTH_SEX", "Female", "CF9bF"),
        piece(24, 35, 1, R::WhenTrue, "COND_AUTO", "CF10bY"),
        piece(24, 41, 1, R::WhenFalse, "COND_AUTO", "CF10bN"),
        onlyWhen(piece(24, 47, 2, R::AsStored, "COND_STATE", "CF10bP"), "COND_AUTO"),
        piece(24, 52, 18, R::Text, "INS_EMPLR", "CF11b"),
        piece(26, 3, 27, R::Text, "OTH_EMPLR", "CF9c"),
        piece(26, 35, 1, R::WhenTrue, "COND_ACCID", "CF10cY"),
        piece(26, 41, 1, R::WhenFalse, "COND_ACCID", "CF10cN"),
        piece(26, 52, 18, R::Text, "INS_PLAN", "CF11c"),
        piece(28, 3, 27, R::Text, "OTH_PLAN", "CF9d"),
        piece(28, 32, 15, R::ViewerOnly, "LOCAL_10D", "CF10d"),
        piece(28, 52, 1, R::WhenTrue, "OTHER_INS", "CF11dY"),
        piece(28, 57, 1, R::WhenFalse, "OTHER_INS", "CF11dN"),
        // Boxes 12 to 20.
        withValue(piece(32, 7, 18, R::WhenTrue, "PATSIGONFI", "CF12"), "SIGNATURE ON FILE."),
        withValue(piece(32, 56, 18, R::WhenTrue, "INSSIGONFI", "CF13"), "SIGNATURE ON FILE."),
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
        piece(38, 52, 1, R::WhenTrue, "OUTSIDELAB", "CF20Y"),
        piece(38, 57, 1, R::WhenFalse, "OUTSIDELAB", "CF20N"),
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
        choice(58, 17, "FEDIDTYPE", "SSN", "CF25SSN"),
        choice(58, 20, "FEDIDTYPE", "EIN", "CF25EIN"),
        piece(58, 25, 10, R::Text, "PAT_ID", "CF26"),
        piece(58, 38, 1, R::WhenTrue, "ACPTASSIGN", "CF27Y"),
        piece(58, 43, 1, R::WhenFalse, "ACPTASSIGN", "CF27N"),
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
        piece(63, 66, 14, R::Text, "BILL_GRP", "CF33GRP"),
    };
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
