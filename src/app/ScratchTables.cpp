#include "app/ScratchTables.h"

#include "data/DbTables.h"
#include "os/Paths.h"

namespace {

constexpr TFieldSchema Temp1Fields[] = {
    {"Receipt", "C", 10, 0}, {"Date", "D", 8, 0},     {"PatID", "N", 10, 0},     {"Name", "C", 30, 0},
    {"Addr", "C", 30, 0},    {"City", "C", 20, 0},    {"State", "C", 2, 0},      {"Zip", "C", 10, 0},
    {"Emply", "C", 4, 0},    {"PaidWith", "C", 6, 0}, {"Tendered", "N", 10, 2},  {"Status", "C", 1, 0},
    {"BillInsur", "L", 1, 0}, {"Incident", "N", 4, 0}, {"Terms", "N", 3, 0},
};

// Fields 1-8 are the sale, the rest the line's laboratory order.
constexpr TFieldSchema Temp2Fields[] = {
    {"Receipt", "C", 10, 0},   {"Item", "N", 2, 0},       {"Qty", "N", 6, 2},        {"Code", "C", 10, 0},
    {"Desc", "C", 30, 0},      {"Price", "N", 10, 2},     {"Cost", "N", 11, 2},      {"Tax", "L", 1, 0},
    {"TYPE", "C", 1, 0},       {"RX", "C", 2, 0},         {"SPHERE_R", "C", 6, 0},   {"SPHERE_L", "C", 6, 0},
    {"CYLINDER_R", "C", 6, 0}, {"CYLINDER_L", "C", 6, 0}, {"AXIS_R", "C", 3, 0},     {"AXIS_L", "C", 3, 0},
    {"PRISM_R", "C", 5, 0},    {"PRISM_L", "C", 5, 0},    {"ADD_R", "C", 5, 0},      {"ADD_L", "C", 5, 0},
    {"BASE_R", "C", 4, 0},     {"BASE_L", "C", 4, 0},     {"DEC_IN_R", "C", 5, 0},   {"DEC_IN_L", "C", 5, 0},
    {"DEC_OUT_R", "C", 5, 0},  {"DEC_OUT_L", "C", 5, 0},  {"SEG_HEIGHT", "C", 5, 0}, {"SEG_WIDTH", "C", 5, 0},
    {"INSET_R", "C", 4, 0},    {"INSET_L", "C", 4, 0},    {"TOT_INS_R", "C", 4, 0},  {"TOT_INS_L", "C", 4, 0},
    {"BC_R", "C", 4, 0},       {"BC_L", "C", 4, 0},       {"DIA_R", "C", 4, 0},      {"DIA_L", "C", 4, 0},
    {"CL_TYPE", "C", 30, 0},   {"FRAM_STYLE", "C", 30, 0}, {"FRAM_COLOR", "C", 30, 0}, {"TINT", "C", 20, 0},
    {"TEMP_LGTH", "C", 3, 0},  {"Notes", "M", 10, 0},     {"ORDRD_FROM", "C", 3, 0}, {"PROMISED", "D", 8, 0},
    {"MAIL", "D", 8, 0},       {"CASE", "D", 8, 0},       {"SIZE", "C", 5, 0},       {"B", "C", 2, 0},
    {"ED", "C", 2, 0},         {"PD", "C", 5, 0},         {"DPD_TOT", "N", 4, 1},    {"DPD_R", "N", 4, 1},
    {"DPD_L", "N", 4, 1},      {"NPD_TOT", "N", 4, 1},    {"NPD_R", "N", 4, 1},      {"NPD_L", "N", 4, 1},
    {"STRAIT_TOP", "L", 1, 0}, {"ROUND_SEG", "L", 1, 0},  {"TRIFOCAL", "L", 1, 0},   {"BLENDED", "L", 1, 0},
    {"PROGRESSIV", "L", 1, 0}, {"EXECUTIVE", "L", 1, 0},  {"UV_PROTECT", "L", 1, 0}, {"SCRATCH_CT", "L", 1, 0},
    {"HIGH_INDEX", "L", 1, 0}, {"ANTI_REFLC", "L", 1, 0}, {"PGX", "L", 1, 0},        {"TRANSITION", "L", 1, 0},
    {"GLASS", "L", 1, 0},      {"PLASTIC", "L", 1, 0},    {"CC_R", "C", 15, 0},      {"CC_L", "C", 15, 0},
    {"DOCTOR", "C", 12, 0},    {"EXPECTED", "D", 8, 0},   {"CL_DW", "L", 1, 0},      {"CL_EW", "L", 1, 0},
    {"CL_GP", "L", 1, 0},      {"CL_DISP", "L", 1, 0},    {"CL_TORIC", "L", 1, 0},   {"CL_TINT", "C", 20, 0},
    {"CL_INS", "L", 1, 0},     {"CL_TRAIN", "L", 1, 0},   {"CL_WRNTY", "L", 1, 0},   {"VENDOR", "C", 10, 0},
    {"CHECKED", "C", 10, 0},   {"LensMatl", "C", 15, 0},
};

constexpr TFieldSchema Temp3Fields[] = {
    {"DATE", "D", 8, 0},       {"PATID", "N", 10, 0},     {"NAME", "C", 30, 0},      {"PAIDWITH", "C", 6, 0},
    {"AMOUNT", "N", 10, 2},    {"CHECKNO", "C", 10, 0},   {"BALANCE", "N", 10, 2},   {"PYMTAPP", "N", 10, 2},
    {"CREDITAPP", "N", 10, 2}, {"TOTALPAID", "N", 10, 2}, {"CREDIT", "N", 10, 2},    {"TENDERED", "N", 10, 2},
    {"CHANGE", "N", 10, 2},
};

constexpr TFieldSchema Temp4Fields[] = {
    {"DATE", "D", 8, 0},    {"RECEIPT", "C", 10, 0}, {"AMOUNT", "N", 10, 2},
    {"BALANCE", "N", 10, 2}, {"PAYMENT", "N", 10, 2},
};

constexpr TFieldSchema Temp5Fields[] = {
    {"Date", "D", 8, 0},
    {"CoinTotal", "N", 10, 2},
    {"BatchNo", "C", 10, 0},
};

constexpr TFieldSchema Temp6Fields[] = {
    {"Date", "D", 8, 0},     {"PaymentID", "N", 10, 0}, {"Name", "C", 30, 0}, {"Type", "C", 6, 0},
    {"Number", "C", 10, 0},  {"Amount", "N", 10, 2},    {"Tag", "L", 1, 0},   {"PatID", "N", 10, 0},
};

constexpr TTableSchema ScratchTableList[] = {
    {"TEMP1.DBF", Temp1Fields}, {"TEMP2.DBF", Temp2Fields}, {"temp3.dbf", Temp3Fields},
    {"temp4.dbf", Temp4Fields}, {"TEMP5.DBF", Temp5Fields}, {"TEMP6.DBF", Temp6Fields},
};

}  // namespace

namespace ScratchTables {

const TTableSchema& Temp1() { return ScratchTableList[0]; }
const TTableSchema& Temp2() { return ScratchTableList[1]; }
const TTableSchema& Temp3() { return ScratchTableList[2]; }
const TTableSchema& Temp4() { return ScratchTableList[3]; }
const TTableSchema& Temp5() { return ScratchTableList[4]; }
const TTableSchema& Temp6() { return ScratchTableList[5]; }
std::span<const TTableSchema> Tables() { return ScratchTableList; }

std::string FileName(const TTableSchema& Layout) { return std::string(Folder) + "\\" + Layout.FileName; }

bool Recreate(TXbase* Engine, const TTableSchema& Layout) {
    os::ForceDirectories(os::MapPath(Folder));
    const std::string table = FileName(Layout);
    for (const char* extension : {".dbf", ".nsx", ".smt"})
        os::DeleteFile(os::ChangeFileExt(table, extension));
    return Schemas::CreateTable(Engine, Layout, table);
}

bool Reopen(TTable* Table, TXbase* Engine, const TTableSchema& Layout) {
    Table->Close();
    Table->SetIndexName("");
    if (!Recreate(Engine, Layout))
        return false;
    Table->Open();
    return true;
}

}  // namespace ScratchTables
