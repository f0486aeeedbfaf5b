// The places of the HCFA-1500 items, and the page handler that prints them.
#include "patients/HcfaPrint.h"

#include <filesystem>
#include <vector>

#include "app/Settings.h"
#include "base/Currency.h"
#include "base/SysUtils.h"
#include "data/DataSet.h"
#include "data/Fields.h"
#include "reporting/RSBase.h"
#include "ui/Dialogs.h"
#include "ui/Graphics.h"

namespace Hcfa1500 {
namespace {

enum class TItem {
    Upper,    // the field's text in capitals
    Stored,   // the field's text as stored
    Date3,    // a date in three parts: month, day, year
    Phone2,   // a phone in two parts: area code, number
};

struct TPlace {
    const char* Field;
    TItem Item;
    double Y;
    std::vector<double> X;  // one X, or one per part
};

// Courier 12 items of the claim.
const std::vector<TPlace> ClaimPlaces = {
    {"CAR_NAME", TItem::Upper, 0.6, {4.75}},
    {"CAR_ADDR1", TItem::Upper, 0.75, {4.75}},
    {"CAR_ADDR2", TItem::Upper, 0.9, {4.75}},
    {"INS_ID", TItem::Upper, 1.54, {5.3}},
    {"PAT_NAME", TItem::Upper, 1.85, {0.4}},
    {"PAT_BIRTH", TItem::Date3, 1.84, {3.3, 3.6, 3.9}},
    {"INS_NAME", TItem::Upper, 1.82, {5.3}},
    {"PAT_ADDRS", TItem::Upper, 2.2, {0.4}},
    {"PAT_CITY", TItem::Upper, 2.48, {0.4}},
    {"PAT_STATE", TItem::Upper, 2.48, {2.85}},
    {"PAT_ZIP", TItem::Stored, 2.85, {0.4}},
    {"PAT_PHONE", TItem::Phone2, 2.85, {1.73, 2.2}},
    {"INS_ADDRS", TItem::Upper, 2.18, {5.3}},
    {"INS_CITY", TItem::Upper, 2.48, {5.3}},
    {"INS_STATE", TItem::Upper, 2.48, {7.75}},
    {"INS_ZIP", TItem::Upper, 2.85, {5.3}},
    {"INS_PHONE", TItem::Phone2, 2.85, {6.72, 7.2}},
    {"OTH_NAME", TItem::Upper, 3.18, {0.35}},
    {"OTH_GROUP", TItem::Upper, 3.5, {0.35}},
    {"OTH_BIRTH", TItem::Date3, 3.87, {0.42, 0.72, 1.02}},
    {"OTH_EMPLR", TItem::Upper, 4.2, {0.35}},
    {"OTH_PLAN", TItem::Upper, 4.52, {0.35}},
    {"INS_GROUP", TItem::Upper, 3.18, {5.3}},
    {"INS_BIRTH", TItem::Date3, 3.52, {5.6, 5.9, 6.2}},
    {"INS_EMPLR", TItem::Upper, 3.84, {5.3}},
    {"INS_PLAN", TItem::Upper, 4.2, {5.3}},
    {"CURILLNESS", TItem::Date3, 5.53, {0.42, 0.72, 1.02}},
    {"SIMILLNESS", TItem::Date3, 5.53, {3.92, 4.22, 4.52}},
    {"NOWORKFROM", TItem::Date3, 5.53, {5.62, 5.92, 6.22}},
    {"NOWORKTO", TItem::Date3, 5.53, {7.02, 7.32, 7.62}},
    {"REFPHYS", TItem::Upper, 5.86, {0.35}},
    {"REFPHYS_ID", TItem::Upper, 5.86, {3.1}},
    {"HOSP_FROM", TItem::Date3, 5.85, {5.62, 5.92, 6.22}},
    {"HOSP_TO", TItem::Date3, 5.85, {7.02, 7.32, 7.62}},
    {"LOCAL_19", TItem::Upper, 6.15, {0.4}},
    {"DIAG1", TItem::Upper, 6.54, {0.535}},
    {"DIAG3", TItem::Upper, 6.54, {3.27}},
    {"DIAG2", TItem::Upper, 6.84, {0.535}},
    {"DIAG4", TItem::Upper, 6.84, {3.27}},
    {"MRESUBCODE", TItem::Upper, 6.5, {5.3}},
    {"ORIGREFNO", TItem::Upper, 6.5, {6.6}},
    {"PRI_AUTHNO", TItem::Upper, 6.85, {5.3}},
    {"FEDTAXID", TItem::Upper, 9.5, {0.35}},
    {"PAT_ID", TItem::Upper, 9.5, {2.6}},
    {"FAC_NAME", TItem::Upper, 9.9, {2.55}},
    {"FAC_ADDRS", TItem::Upper, 10.05, {2.55}},
    {"BILL_NAME", TItem::Upper, 9.88, {5.25}},
    {"BILL_ADDRS", TItem::Upper, 10.03, {5.25}},
    {"BILL_PHONE", TItem::Stored, 9.72, {6.7}},
    {"BILL_PIN", TItem::Upper, 10.35, {5.38}},
    {"BILL_GRP", TItem::Upper, 10.35, {6.82}},
};

// An "X" at the X of the value the field holds.
struct TChoice {
    const char* Field;
    double Y;
    std::vector<std::pair<const char*, double>> Values;
};

const std::vector<TChoice> Choices = {
    {"PLAN_TYPE", 1.54, {{"Medicare", 0.33}, {"Medicaid", 1.03}, {"Champus", 1.73}, {"ChampVA", 2.63},
                         {"Group Plan", 3.33}, {"Feca", 4.13}, {"Other", 4.73}}},
    {"PAT_SEX", 1.85, {{"Male", 4.42}, {"Female", 4.9}}},
    {"REL_TO_INS", 2.17, {{"Self", 3.5}, {"Spouse", 4.02}, {"Child", 4.42}, {"Other", 4.92}}},
    {"PAT_STATUS", 2.515, {{"Single", 3.7}, {"Married", 4.32}, {"Other", 4.92}}},
    {"PAT_STUDNT", 2.865, {{"Full-Time", 4.32}, {"Part-Time", 4.92}}},
    {"OTH_SEX", 3.87, {{"Male", 2.01}, {"Female", 2.61}}},
    {"INS_SEX", 3.525, {{"Male", 7.0}, {"Female", 7.72}}},
    {"FEDIDTYPE", 9.52, {{"SSN", 1.92}, {"EIN", 2.12}}},
};

// An "X" at TrueX when the logical holds, at FalseX (if any) otherwise.
struct TYesNo {
    const char* Field;
    double Y, TrueX, FalseX;
};

const std::vector<TYesNo> YesNos = {
    {"PAT_EMPLYD", 2.865, 3.7, -1},   {"COND_EMPL", 3.52, 3.7, 4.3},   {"COND_AUTO", 3.84, 3.7, 4.3},
    {"COND_ACCID", 4.16, 3.7, 4.3},   {"OTHER_INS", 4.51, 5.42, 5.92}, {"ACPTASSIGN", 9.52, 4.02, 4.52},
    {"OUTSIDELAB", 6.2, 5.4, 5.9},
};

// Courier 11 items of a service row, at the row's Y.
const std::vector<TPlace> RowPlaces = {
    {"DATEFROM", TItem::Date3, 0, {0.305, 0.535, 0.765}},
    {"DATETO", TItem::Date3, 0, {1.24, 1.47, 1.7}},
    {"POS", TItem::Upper, 0, {2.12}},
    {"TOS", TItem::Upper, 0, {2.42}},
    {"CPTCODE", TItem::Upper, 0, {2.83}},
    {"MODIFIER", TItem::Upper, 0, {3.42}},
    {"DIAGCODES", TItem::Stored, 0, {4.55}},
    {"EPSDT", TItem::Upper, 0, {6.4}},
    {"EMG", TItem::Upper, 0, {6.7}},
    {"COB", TItem::Upper, 0, {7.0}},
    {"LOCAL", TItem::Upper, 0, {7.3}},
};

constexpr double FirstRowY = 7.16;
constexpr double RowStep = 0.33;
constexpr int ServiceRows = 6;

std::string text(TDataSet* Table, const char* Field) { return Table->FieldByName(Field)->AsString(); }

bool holds(TDataSet* Table, const char* Field) { return Table->FieldByName(Field)->AsBoolean(); }

// Money as "####0.00"; a zero Blank prints nothing.
std::string money(Currency Value, bool ZeroBlank) {
    if (ZeroBlank && Value == Currency())
        return "";
    return FormatFloat("0.00", Value.ToDouble());
}

void printPlace(TBaseReport& R, TDataSet* Table, const TPlace& P, double Y) {
    const std::string value = text(Table, P.Field);
    switch (P.Item) {
        case TItem::Upper:
            R.PrintXY(P.X[0], Y, UpperCase(TrimRight(value)));
            break;
        case TItem::Stored:
            R.PrintXY(P.X[0], Y, TrimRight(value));
            break;
        case TItem::Date3:
            if (value.size() >= 10) {
                R.PrintXY(P.X[0], Y, value.substr(0, 2));
                R.PrintXY(P.X[1], Y, value.substr(3, 2));
                R.PrintXY(P.X[2], Y, value.substr(6, 4));
            }
            break;
        case TItem::Phone2:
            // "(217)555-0100": the area code, then the number.
            R.PrintXY(P.X[0], Y, value.size() > 1 ? value.substr(1, 3) : "");
            R.PrintXY(P.X[1], Y, value.size() > 5 ? TrimRight(value.substr(5, 8)) : "");
            break;
    }
}

void printRight(TBaseReport& R, double X, double Y, const std::string& Text) {
    R.GotoXY(X, Y);
    R.PrintRight(Text, X);
}

// The offset key's number; a text that is no number counts as 0, said once.
double offset(const TSettingsFile& Ini, const TTextKey& Key) {
    const std::string value = Trim(Ini.Read(Key));
    double number = 0;
    if (value.empty() || TryStrToFloat(value, number))
        return number;
    ShowMessage("The setting " + std::string(Key.Ident) + " (\"" + value + "\") is not a number; 0 is used.");
    return 0;
}

void printSignature(TBaseReport& R, const std::string& File) {
    if (File.empty())
        return;
    TBitmap bitmap;
    try {
        if (!std::filesystem::is_regular_file(File))
            throw Exception("missing");
        bitmap.LoadFromFile(File);
    } catch (const std::exception&) {
        MessageDlg("The signature file " + File + " cannot be read; the claim prints without it.", mtWarning,
                   {mbOK});
        return;
    }
    R.PrintBitmapRect(0.35, 9.7, 2.4, 10.3, &bitmap);
}

}  // namespace

void printClaim(TBaseReport& R, TDataSet* Claim, TDataSet* Rows, const std::string& DataDirectory) {
    const TSettingsFile ini = CompanyIni::File(DataDirectory);
    R.SetOriginX(offset(ini, CompanyIni::HCFA1500XOffset));
    R.SetOriginY(offset(ini, CompanyIni::HCFA1500YOffset));

    R.SetFont("Courier New", 12);
    for (const TPlace& place : ClaimPlaces)
        printPlace(R, Claim, place, place.Y);
    R.PrintXY(4.75, 1.05,
              UpperCase(Trim(text(Claim, "CAR_CITY")) + " " + TrimRight(text(Claim, "CAR_STATE")) + " " +
                        TrimRight(text(Claim, "CAR_ZIP"))));
    for (const TChoice& choice : Choices) {
        const std::string value = Trim(text(Claim, choice.Field));
        for (const auto& [name, x] : choice.Values)
            if (value == name)
                R.PrintXY(x, choice.Y, "X");
    }
    for (const TYesNo& yesNo : YesNos) {
        const double x = holds(Claim, yesNo.Field) ? yesNo.TrueX : yesNo.FalseX;
        if (x >= 0)
            R.PrintXY(x, yesNo.Y, "X");
    }
    if (holds(Claim, "COND_AUTO"))
        R.PrintXY(4.74, 3.84, UpperCase(TrimRight(text(Claim, "COND_STATE"))));
    if (holds(Claim, "OUTSIDELAB"))
        R.PrintXY(6.5, 6.2, money(Claim->FieldByName("OUTLABCHGS")->AsCurrency(), false));
    if (holds(Claim, "PATSIGONFI"))
        R.PrintXY(1.0, 5.1, "SIGNATURE ON FILE.");
    R.PrintXY(4.0, 5.1, text(Claim, "DATE"));
    if (holds(Claim, "INSSIGONFI"))
        R.PrintXY(6.0, 5.1, "SIGNATURE ON FILE.");
    printRight(R, 6.22, 9.5, money(Claim->FieldByName("TOTAL")->AsCurrency(), false));
    printRight(R, 7.2, 9.5, money(Claim->FieldByName("PAID")->AsCurrency(), false));
    printRight(R, 8.1, 9.5, money(Claim->FieldByName("BALANCE")->AsCurrency(), false));
    R.PrintXY(2.55, 10.2,
              UpperCase(Trim(text(Claim, "FAC_CITY")) + " " + TrimRight(text(Claim, "FAC_STATE"))) + " " +
                  TrimRight(text(Claim, "FAC_ZIP")));
    R.PrintXY(5.25, 10.18,
              UpperCase(Trim(text(Claim, "BILL_CITY")) + " " + TrimRight(text(Claim, "BILL_STATE"))) + " " +
                  TrimRight(text(Claim, "BILL_ZIP")));

    R.SetFont("Courier New", 10);
    R.PrintXY(7.2, 1.05, TrimRight(text(Claim, "CAR_PHONE")));

    R.SetFont("Courier New", 11);
    Rows->First();
    for (int r = 1; r <= ServiceRows && !Rows->Eof(); ++r) {
        const double y = FirstRowY + RowStep * r;
        for (const TPlace& place : RowPlaces)
            printPlace(R, Rows, place, y);
        printRight(R, 6.015, y, money(Rows->FieldByName("CHARGE")->AsCurrency(), true));
        R.PrintXY(6.12, y, Trim(text(Rows, "UNITS")));
        Rows->Next();
    }

    R.SetFont("Arial", 8);
    R.PrintXY(0.35, 10.35, Trim(text(Claim, "BILLSIGNAM")));
    if (!Trim(text(Claim, "BILLSIGDAT")).empty())
        R.PrintXY(1.85, 10.35, text(Claim, "BILLSIGDAT"));

    printSignature(R, Trim(text(Claim, "BILLSIGIMG")));
}

}  // namespace Hcfa1500
