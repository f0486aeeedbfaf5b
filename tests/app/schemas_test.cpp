#include <gtest/gtest.h>

#include <strings.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/Schemas.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"
#include "xbase/EngineGlue.h"
#include "xbase/Xbase.h"
#include "xbengine/XbEngine.h"

namespace {

// Every company table as it must read back from disk: "NAME Tw" or
// "NAME Tw.d" per field, in order.
struct ExpectedTable {
    const char* FileName;
    int FieldCount;
    const char* Fields;
};

const ExpectedTable kExpected[] = {
    {"Patient.dbf", 77,
         "ID N10 INCIDENT N4 RECNAME C30 NAME C30 ADDR1 C30 ADDR C30 CITY C20 STATE C2 ZIP C10 "
         "PHONE1DESC C10 PHONE1 C20 PHONE2DESC C10 PHONE2 C20 PHONE3DESC C10 PHONE3 C20 PHONE4DESC C10 "
         "PHONE4 C20 SSN C11 EMPLOYER C18 BILLNAME C30 BILLADDR C30 BILLCITY C20 BILLSTATE C2 BILLZIP C10 "
         "HCFAPNAME C30 HCFAPADDR C30 HCFAPCITY C20 HCFAPSTATE C2 HCFAPZIP C10 BILLINSUR L1 FIRSTVISIT D8 "
         "ACPTASSIGN L1 FINCLASS C2 SEX C6 BIRTHDATE D8 BALANCE N10.2 TERMS N3 PAT_STATUS C7 "
         "PAT_EMPLYD L1 PAT_STUDNT C9 PATSIGONFI L1 REL_TO_INS C6 PLAN_TYPE C10 INS_ID C15 INS_NAME C27 "
         "INS_ADDRS C27 INS_CITY C24 INS_STATE C2 INS_ZIP C10 INS_PHONE C14 INS_BIRTH D8 INS_SEX C6 "
         "INS_EMPLR C18 INS_PLAN C18 INS_GROUP C14 INSSIGONFI L1 OTHER_INS L1 OTH_POLICY C15 OTH_NAME C27 "
         "OTH_ADDRS C27 OTH_CITY C24 OTH_STATE C2 OTH_ZIP C10 OTH_PHONE C14 OTH_BIRTH D8 OTH_SEX C6 "
         "OTH_EMPLR C18 OTH_PLAN C18 OTH_GROUP C14 CAR_NAME C32 CAR_ADDR1 C32 CAR_ADDR2 C32 CAR_CITY C32 "
         "CAR_STATE C2 CAR_ZIP C10 CAR_PHONE C14 NOTE M10 "},
    {"Sales.dbf", 20,
         "RECEIPT N10 DATE D8 PATID N10 NAME C30 ADDR C30 CITY C20 STATE C2 ZIP C10 EMPLY C4 PAIDWITH C6 "
         "SUBTOTAL N8.2 TAXRATE N8.6 SALESTAX N8.2 TOTAL N10.2 BALANCE N10.2 BILLINSUR L1 INCIDENT N4 "
         "TERMS N3 DUEDATE D8 CLAIM N10 "},
    {"SalesDtl.dbf", 8,
         "RECEIPT N10 ITEM N2 ITEMNO C10 DESC C30 QTY N6.2 PRICE N7.2 AMOUNT N11.2 TAXED L1 "},
    {"Pymt.dbf", 13,
         "ID N10 DATE D8 PATID N10 NAME C30 PAIDWITH C6 AMOUNT N10.2 CHECKNO C10 BALANCE N10.2 "
         "TOTALPAID N10.2 TAG L1 DEPOSITED L1 DEPOSITDAT D8 POSTREF C10 "},
    {"PymtDtl.dbf", 6,
         "PAYMENTID N10 DATE D8 RECEIPT C10 AMOUNT N10.2 BALANCE N10.2 PAYMENT N10.2 "},
    {"Personne.dbf", 4,
         "ID N4 RECNAME C30 NAME C30 SIGFILE C30 "},
    {"Ledger.dbf", 12,
         "ID N10 TRANSNO N10 TRANSDATE D8 TRANSTIME C8 ACCOUNT N4 TYPE C25 ACCTNO C10 POSTREF C10 DATE D8 "
         "DESC C20 DEBIT N10.2 CREDIT N10.2 "},
    {"Item.dbf", 20,
         "ID C10 ITEMTYPE C20 CATEGORY C20 DESC C30 MANF C30 VENDOR C30 COST N10.2 SELL N10.2 "
         "QTYONHAND N6 REORDERPT N6 UNITMEAS C4 CPTCODE C5 CTRLITEM L1 TAXED L1 CONSIGN L1 COLOR C12 "
         "SIZE C8 Restocked D8 DisplyLoc C10 StockLoc C10 "},
    {"Ins.dbf", 102,
         "ID N10 DATE D8 PAT_ID C9 PAT_NAME C27 PAT_ADDRS C27 PAT_CITY C24 PAT_STATE C2 PAT_ZIP C10 "
         "PAT_PHONE C14 PAT_BIRTH D8 PAT_SEX C6 PAT_STATUS C7 PAT_EMPLYD L1 PAT_STUDNT C9 REL_TO_INS C6 "
         "PLAN_TYPE C10 COND_EMPL L1 COND_AUTO L1 COND_STATE C2 COND_ACCID L1 INS_ID C15 INS_NAME C27 "
         "INS_ADDRS C27 INS_CITY C24 INS_STATE C2 INS_ZIP C10 INS_PHONE C14 INS_BIRTH D8 INS_SEX C6 "
         "INS_EMPLR C18 INS_PLAN C18 INS_GROUP C14 OTHER_INS L1 OTH_POLICY C15 OTH_NAME C27 OTH_ADDRS C27 "
         "OTH_CITY C24 OTH_STATE C2 OTH_ZIP C10 OTH_PHONE C14 OTH_BIRTH D8 OTH_SEX C6 OTH_EMPLR C18 "
         "OTH_PLAN C18 OTH_GROUP C14 REF_PHYS C20 REF_PHYSID C12 DIAG1 C6 DIAG2 C6 DIAG3 C6 DIAG4 C6 "
         "TOTAL N8.2 PAID N8.2 BALANCE N8.2 FEDTAXID C12 FEDIDTYPE C3 ACPTASSIGN L1 FAC_NAME C25 "
         "FAC_ADDRS C25 FAC_CITY C11 FAC_STATE C2 FAC_ZIP C10 FAC_PHONE C14 BILL_NAME C27 BILL_ADDRS C27 "
         "BILL_CITY C13 BILL_STATE C2 BILL_ZIP C10 BILL_PHONE C14 BILL_PIN C12 BILL_GRP C14 BILLSIGRN C27 "
         "BILLSIGDAT D8 BILLSIGNAM C27 BILLSIGIMG C30 CURILLNESS D8 SIMILLNESS D8 REFPHYS C30 "
         "REFPHYS_ID C15 NOWORKFROM D8 NOWORKTO D8 HOSP_FROM D8 HOSP_TO D8 LOCAL_19 C40 OUTSIDELAB L1 "
         "OUTLABCHGS N8.2 MRESUBCODE C10 ORIGREFNO C10 PRI_AUTHNO C10 CAR_NAME C32 CAR_ADDR1 C32 "
         "CAR_ADDR2 C32 CAR_CITY C32 CAR_STATE C2 CAR_ZIP C10 CAR_PHONE C14 PRINTED D8 EBILLED D8 "
         "PATSIGONFI L1 INSSIGONFI L1 LOCAL_10D C15 RECEIPT C10 "},
    {"InsDtl.dbf", 14,
         "ID N10 DATEFROM D8 DATETO D8 POS C3 TOS C3 CPTCODE C5 MODIFIER C6 DIAGCODES C4 CHARGE N10.2 "
         "UNITS N3 EPSDT C1 EMG C1 COB C1 LOCAL C10 "},
    {"InsComp.dbf", 9,
         "ID N5 NAME C25 ADDR C25 ADDR2 C25 CITY C15 STATE C2 ZIP C10 PHONE C13 CONTACT C24 "},
    {"Incident.dbf", 88,
         "ID N4 ACCOUNT N10 DESC C30 DOCTOR C30 DIAGCODE C6 DIAG1 C6 DIAG2 C6 DIAG3 C6 DIAG4 C6 "
         "TOTDISFROM D8 TOTDISTO D8 HOSPFROM D8 HOSPTO D8 SIMSYMFROM D8 SIMSYMTO D8 FIRSTEXAM D8 "
         "ILLDATE D8 NARRATIVE N10 COND_EMPL L1 COND_AUTO L1 COND_STATE C2 COND_ACCID L1 SR_SPHERE C6 "
         "SL_SPHERE C6 SR_CYL C6 SL_CYL C6 SR_AXIS C3 SL_AXIS C3 SR_PRISM C5 SL_PRISM C5 SR_BC C4 "
         "SL_BC C4 SR_ADD C5 SL_ADD C5 CR_SPHERE C6 CL_SPHERE C6 CR_CYL C6 CL_CYL C6 CR_AXIS C3 "
         "CL_AXIS C3 CR_BC C4 CL_BC C4 CR_DIA C4 CL_DIA C4 CR_ADD C5 CL_ADD C5 CL_TYPE C30 DPD_TOT N4.1 "
         "DPD_R N4.1 DPD_L N4.1 NPD_TOT N4.1 NPD_R N4.1 NPD_L N4.1 MEDICATION C30 COMPLAINT C30 VU_R C7 "
         "VU_L C7 VU_B C7 VP_R C7 VP_L C7 VP_B C7 SLIT_LAMP C20 IOP C15 FIELDS C15 CT C8 NPC C8 "
         "IE_CD_R C5 IE_AV_R C5 IE_ALR_R C5 IE_BACKG_R C30 IE_CD_L C5 IE_AV_L C5 IE_ALR_L C5 "
         "IE_BACKG_L C30 EXT_EXAM C30 SR_R C20 SR_L C20 CC_R C15 CC_L C15 DSE_R C20 DSE_L C20 DSE_VA_R C7 "
         "DSE_VA_L C7 NSE_R C15 NSE_L C15 NSE_VA_R C7 NSE_VA_L C7 NOTE M10 "},
    {"Deposit.dbf", 9,
         "ID N10 TYPE N1 DATE D8 CURRENCY N10.2 COINS N10.2 CHECKS N10.2 CHARGES N10.2 BATCHNO C10 "
         "TOTAL N10.2 "},
    {"DeposDtl.dbf", 7,
         "DEPOSITID N10 RECDFROM C20 AMOUNT N10.2 FROMACCT C12 NUMBER C10 PMTMETH C10 PAYMENTID N10 "},
    {"CptCode.dbf", 3,
         "ID C5 CATEGORY C20 DESC C30 "},
    {"DiagCode.dbf", 3,
         "ID C6 CATEGORY C20 DESC C30 "},
    {"LabRx.dbf", 80,
         "RECEIPT C10 ITEM N2 TYPE C1 RX C2 SPHERE_R C6 SPHERE_L C6 CYLINDER_R C6 CYLINDER_L C6 AXIS_R C3 "
         "AXIS_L C3 PRISM_R C5 PRISM_L C5 ADD_R C5 ADD_L C5 BASE_R C4 BASE_L C4 DEC_IN_R C5 DEC_IN_L C5 "
         "DEC_OUT_R C5 DEC_OUT_L C5 SEG_HEIGHT C5 SEG_WIDTH C5 INSET_R C4 INSET_L C4 TOT_INS_R C4 "
         "TOT_INS_L C4 BC_R C4 BC_L C4 DIA_R C4 DIA_L C4 CL_TYPE C30 FRAM_STYLE C30 FRAM_COLOR C30 "
         "TINT C20 TEMP_LGTH C3 Notes M10 ORDRD_FROM C3 PROMISED D8 MAIL D8 CASE D8 SIZE C5 B C2 ED C2 "
         "PD C5 DPD_TOT N4.1 DPD_R N4.1 DPD_L N4.1 NPD_TOT N4.1 NPD_R N4.1 NPD_L N4.1 STRAIT_TOP L1 "
         "ROUND_SEG L1 TRIFOCAL L1 BLENDED L1 PROGRESSIV L1 EXECUTIVE L1 UV_PROTECT L1 SCRATCH_CT L1 "
         "HIGH_INDEX L1 ANTI_REFLC L1 PGX L1 TRANSITION L1 GLASS L1 PLASTIC L1 CC_R C15 CC_L C15 "
         "DOCTOR C12 EXPECTED D8 CL_DW L1 CL_EW L1 CL_GP L1 CL_DISP L1 CL_TORIC L1 CL_TINT C20 CL_INS L1 "
         "CL_TRAIN L1 CL_WRNTY L1 VENDOR C10 CHECKED C10 LensMatl C15 "},
    {"Recall.dbf", 4,
         "PATIENTID N10 NAME C30 DATE D8 REASON C20 "},
    {"Calendar.dbf", 2,
         "DATE D8 NOTE M10 "},
    {"Schedule.dbf", 8,
         "DATE D8 TIME C6 ALLOT C5 RESOURCEID N10 RESOURCE C30 CLIENT_ID N10 CLIENT C30 NOTE C35 "},
    {"Pattern.dbf", 4,
         "ID C12 MANF C25 DESC C20 LOC C12 "},
    {"Acct.dbf", 5,
         "ID N4 TYPE C25 NAME C25 BALANCE N10.2 DC C1 "},
};

struct ExpectedField {
    std::string Name;
    char Type;
    int Width;
    int Decimals;
};

std::vector<ExpectedField> ParseFields(const char* text) {
    std::vector<ExpectedField> fields;
    std::istringstream in(text);
    std::string name, typeWidth;
    while (in >> name >> typeWidth) {
        ExpectedField f{name, typeWidth[0], 0, 0};
        std::size_t dot = typeWidth.find('.');
        f.Width = std::stoi(typeWidth.substr(1, dot == std::string::npos ? std::string::npos : dot - 1));
        if (dot != std::string::npos)
            f.Decimals = std::stoi(typeWidth.substr(dot + 1));
        fields.push_back(f);
    }
    return fields;
}

using Creator = bool (*)(TXbase*, const std::string&);
struct TableCreator {
    const char* FileName;
    Creator Create;
};

const TableCreator kCreators[] = {
    {"Patient.dbf", CreatePatient},   {"Sales.dbf", CreateSales},       {"SalesDtl.dbf", CreateSalesDtl},
    {"Pymt.dbf", CreatePymt},         {"PymtDtl.dbf", CreatePymtDtl},   {"Personne.dbf", CreatePersonne},
    {"Ledger.dbf", CreateLedger},     {"Item.dbf", CreateItem},         {"Ins.dbf", CreateIns},
    {"InsDtl.dbf", CreateInsDtl},     {"InsComp.dbf", CreateInsComp},   {"Incident.dbf", CreateIncident},
    {"Deposit.dbf", CreateDeposit},   {"DeposDtl.dbf", CreateDeposDtl}, {"CptCode.dbf", CreateCptCode},
    {"DiagCode.dbf", CreateDiagCode}, {"LabRx.dbf", CreateLabRx},       {"Recall.dbf", CreateRecall},
    {"Calendar.dbf", CreateCalendar}, {"Schedule.dbf", CreateSchedule}, {"Pattern.dbf", CreatePattern},
};

class SchemasTest : public testing::Test {
protected:
    void SetUp() override {
        registerEngineGlue();
        xb_CloseAll();
    }
    void TearDown() override {
        Session()->Close();
        xb_CloseAll();
    }

    void CreateCompany() {
        for (const TableCreator& c : kCreators)
            ASSERT_TRUE(c.Create(&engine, dir.path())) << c.FileName;
        ASSERT_TRUE(CreateAcct(&engine, &acctTable, dir.path()));
    }

    // Opens a table of the folder read-only in the engine's selected area.
    void UseTable(const std::string& fileName) {
        ASSERT_NE(xb_Use(dir.file(fileName).c_str(), "CHECKED", XB_READONLY, XB_DRIVER_NSX), 0) << fileName;
    }

    TempDir dir;
    TXbase engine{nullptr};
    TTable acctTable{nullptr};
};

TEST_F(SchemasTest, EveryTableReadsBackWithItsFieldsInOrder) {
    CreateCompany();
    ASSERT_EQ(os::ListFiles(dir.path(), "*.dbf").size(), std::size(kExpected));
    for (const ExpectedTable& table : kExpected) {
        SCOPED_TRACE(table.FileName);
        std::vector<ExpectedField> fields = ParseFields(table.Fields);
        ASSERT_EQ(static_cast<int>(fields.size()), table.FieldCount);
        UseTable(table.FileName);
        ASSERT_EQ(xb_FieldCount(), table.FieldCount);
        for (int i = 1; i <= table.FieldCount; ++i) {
            const ExpectedField& f = fields[i - 1];
            EXPECT_EQ(strcasecmp(xb_FieldName(i), f.Name.c_str()), 0) << i << ": " << xb_FieldName(i);
            EXPECT_EQ(xb_FieldType(i)[0], f.Type) << f.Name;
            EXPECT_EQ(xb_FieldWidth(i), f.Width) << f.Name;
            EXPECT_EQ(xb_FieldDecimals(i), f.Decimals) << f.Name;
        }
        // Only the chart of accounts starts with records.
        EXPECT_EQ(xb_RecCount(), strcasecmp(table.FileName, "Acct.dbf") == 0 ? 8 : 0);
        xb_Close();
    }
}

TEST_F(SchemasTest, OnlyTablesWithANoteHaveAMemoFile) {
    CreateCompany();
    std::vector<std::string> memos = os::ListFiles(dir.path(), "*.smt");
    ASSERT_EQ(memos.size(), 4u);
    for (const char* name : {"Patient.smt", "Incident.smt", "Calendar.smt", "LabRx.smt"})
        EXPECT_TRUE(os::FileExists(dir.file(name))) << name;
}

TEST_F(SchemasTest, ChartOfAccountsStartsWithTheEightAccounts) {
    CreateCompany();
    struct Row {
        int ID;
        const char* Type;
        const char* Name;
        const char* DC;
    };
    const Row expected[] = {
        {1, "Sales", "Sales", "C"},
        {2, "Sales Tax Payable", "Sales Tax Payable", "C"},
        {3, "Undeposited Funds", "Undeposited Funds", "D"},
        {4, "Accounts Receivable", "Accounts Receivable", "D"},
        {5, "Checking", "Deposits to Checking", "D"},
        {6, "Sales Tax Payments", "Sales Tax Payments", "D"},
        {7, "Retained Earnings", "Retained Earnings", "C"},
        {8, "Refund", "Refunds", "C"},
    };
    UseTable("Acct.dbf");
    ASSERT_EQ(xb_RecCount(), 8);
    xb_GoTop();
    for (const Row& row : expected) {
        SCOPED_TRACE(row.Name);
        ASSERT_FALSE(xb_Eof());
        EXPECT_EQ(std::string(xb_GetString("ID")), "   " + std::to_string(row.ID));
        EXPECT_STREQ(xb_GetTrimString("TYPE"), row.Type);
        EXPECT_STREQ(xb_GetTrimString("NAME"), row.Name);
        EXPECT_STREQ(xb_GetString("BALANCE"), "      0.00");
        EXPECT_STREQ(xb_GetString("DC"), row.DC);
        xb_Skip(1);
    }
    EXPECT_TRUE(xb_Eof());
    xb_Close();
}

TEST_F(SchemasTest, MixedCaseFieldsAreFoundByAnySpelling) {
    ASSERT_TRUE(CreateItem(&engine, dir.path()));
    ASSERT_TRUE(CreateLabRx(&engine, dir.path()));
    TTable item(nullptr);
    item.SetDatabaseName(dir.path());
    item.SetTableType(ttSXNSX);
    item.SetTableName("ITEM.DBF");
    item.Open();
    for (const char* name : {"RESTOCKED", "restocked", "Restocked", "DISPLYLOC", "stockloc"})
        EXPECT_NE(item.FindField(name), nullptr) << name;
    item.Close();
    UseTable("LabRx.dbf");
    EXPECT_EQ(xb_FieldNum("LENSMATL"), 80);
    EXPECT_EQ(xb_FieldNum("NOTES"), 36);
    xb_Close();
}

TEST_F(SchemasTest, RefusedDefinitionShowsCreateFailedAndTheNextTableFollows) {
    // A folder standing where the table's file would go makes the engine refuse it.
    ASSERT_TRUE(os::ForceDirectories(dir.file("Sales.dbf")));
    TDialogScript script;
    script.Answer(1);
    EXPECT_TRUE(CreatePatient(&engine, dir.path()));
    EXPECT_FALSE(CreateSales(&engine, dir.path()));
    EXPECT_TRUE(CreateSalesDtl(&engine, dir.path()));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Create Failed");
    EXPECT_TRUE(os::FileExists(dir.file("SalesDtl.dbf")));
}

TEST_F(SchemasTest, MissingDataFolderFailsEveryTableWithTheMessage) {
    TDialogScript script;
    script.Answer(1).Answer(1);
    EXPECT_FALSE(CreatePatient(&engine, dir.file("NoSuchFolder")));
    EXPECT_FALSE(CreateAcct(&engine, &acctTable, dir.file("NoSuchFolder")));
    ASSERT_EQ(script.Shown().size(), 2u);
    for (const TDialogRequest& shown : script.Shown())
        EXPECT_EQ(shown.Text, "Create Failed");
}

}  // namespace
