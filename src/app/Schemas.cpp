#include "app/Schemas.h"

#include <strings.h>

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <type_traits>

#include "data/DataSource.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "os/Paths.h"
#include "ui/Dialogs.h"
#include "xbase/Xbase.h"

namespace {

// A field name made of a prefix and a stem at compile time, so that one list
// of stems can name the fields of several people on a claim.
template <std::size_t N>
struct FieldName {
    char Text[N]{};
    constexpr FieldName(const char (&text)[N]) { std::copy_n(text, N, Text); }
};

template <FieldName Prefix, FieldName Stem>
constexpr auto JoinedName = [] {
    constexpr std::size_t prefixLength = sizeof(Prefix.Text) - 1;
    std::array<char, prefixLength + sizeof(Stem.Text)> name{};
    std::copy_n(Prefix.Text, prefixLength, name.begin());
    std::copy_n(Stem.Text, sizeof(Stem.Text), name.begin() + prefixLength);
    return name;
}();

template <FieldName Prefix, FieldName Stem>
constexpr const char* named = JoinedName<Prefix, Stem>.data();

// The number of fields in a group, whether written out or joined.
template <class Group>
struct FieldCount;
template <std::size_t N>
struct FieldCount<TFieldSchema[N]> : std::integral_constant<std::size_t, N> {};
template <std::size_t N>
struct FieldCount<std::array<TFieldSchema, N>> : std::integral_constant<std::size_t, N> {};

// One table's fields in order, from the groups it is made of.
template <class... Groups>
constexpr auto joinFields(const Groups&... groups) {
    std::array<TFieldSchema, (FieldCount<Groups>::value + ...)> fields{};
    auto out = fields.begin();
    ((out = std::copy(std::begin(groups), std::end(groups), out)), ...);
    return fields;
}

// The claim form's person: patient, insured and other insured are kept in
// the same widths.
template <FieldName Prefix>
constexpr TFieldSchema contactFields[] = {
    {named<Prefix, "NAME">, "C", 27, 0},
    {named<Prefix, "ADDRS">, "C", 27, 0},
    {named<Prefix, "CITY">, "C", 24, 0},
    {named<Prefix, "STATE">, "C", 2, 0},
    {named<Prefix, "ZIP">, "C", 10, 0},
    {named<Prefix, "PHONE">, "C", 14, 0},
    {named<Prefix, "BIRTH">, "D", 8, 0},
    {named<Prefix, "SEX">, "C", 6, 0},
};

// The employer and plan of an insured person.
template <FieldName Prefix>
constexpr TFieldSchema coverageFields[] = {
    {named<Prefix, "EMPLR">, "C", 18, 0},
    {named<Prefix, "PLAN">, "C", 18, 0},
    {named<Prefix, "GROUP">, "C", 14, 0},
};

// The insured and the other insured, as the patient record and the claim
// both carry them.
constexpr TFieldSchema InsuredIdField[] = {{"INS_ID", "C", 15, 0}};
constexpr TFieldSchema OtherInsuredIdFields[] = {{"OTHER_INS", "L", 1, 0}, {"OTH_POLICY", "C", 15, 0}};
constexpr auto InsuredFields = joinFields(InsuredIdField, contactFields<"INS_">, coverageFields<"INS_">);
constexpr auto OtherInsuredFields = joinFields(OtherInsuredIdFields, contactFields<"OTH_">, coverageFields<"OTH_">);

// The insurance carrier a claim is sent to.
constexpr TFieldSchema CarrierFields[] = {
    {"CAR_NAME", "C", 32, 0},
    {"CAR_ADDR1", "C", 32, 0},
    {"CAR_ADDR2", "C", 32, 0},
    {"CAR_CITY", "C", 32, 0},
    {"CAR_STATE", "C", 2, 0},
    {"CAR_ZIP", "C", 10, 0},
    {"CAR_PHONE", "C", 14, 0},
};

constexpr TFieldSchema PatientOwnFields[] = {
    {"ID", "N", 10, 0},
    {"INCIDENT", "N", 4, 0},
    {"RECNAME", "C", 30, 0},
    {"NAME", "C", 30, 0},
    {"ADDR1", "C", 30, 0},
    {"ADDR", "C", 30, 0},
    {"CITY", "C", 20, 0},
    {"STATE", "C", 2, 0},
    {"ZIP", "C", 10, 0},
    {"PHONE1DESC", "C", 10, 0},
    {"PHONE1", "C", 20, 0},
    {"PHONE2DESC", "C", 10, 0},
    {"PHONE2", "C", 20, 0},
    {"PHONE3DESC", "C", 10, 0},
    {"PHONE3", "C", 20, 0},
    {"PHONE4DESC", "C", 10, 0},
    {"PHONE4", "C", 20, 0},
    {"SSN", "C", 11, 0},
    {"EMPLOYER", "C", 18, 0},
    {"BILLNAME", "C", 30, 0},
    {"BILLADDR", "C", 30, 0},
    {"BILLCITY", "C", 20, 0},
    {"BILLSTATE", "C", 2, 0},
    {"BILLZIP", "C", 10, 0},
    {"HCFAPNAME", "C", 30, 0},
    {"HCFAPADDR", "C", 30, 0},
    {"HCFAPCITY", "C", 20, 0},
    {"HCFAPSTATE", "C", 2, 0},
    {"HCFAPZIP", "C", 10, 0},
    {"BILLINSUR", "L", 1, 0},
    {"FIRSTVISIT", "D", 8, 0},
    {"ACPTASSIGN", "L", 1, 0},
    {"FINCLASS", "C", 2, 0},
    {"SEX", "C", 6, 0},
    {"BIRTHDATE", "D", 8, 0},
    {"BALANCE", "N", 10, 2},
    {"TERMS", "N", 3, 0},
    {"PAT_STATUS", "C", 7, 0},
    {"PAT_EMPLYD", "L", 1, 0},
    {"PAT_STUDNT", "C", 9, 0},
    {"PATSIGONFI", "L", 1, 0},
    {"REL_TO_INS", "C", 6, 0},
    {"PLAN_TYPE", "C", 10, 0},
};

constexpr TFieldSchema InsuredSignatureField[] = {{"INSSIGONFI", "L", 1, 0}};
constexpr TFieldSchema PatientNoteField[] = {{"NOTE", "M", 10, 0}};

constexpr auto PatientFields = joinFields(PatientOwnFields, InsuredFields, InsuredSignatureField,
                                          OtherInsuredFields, CarrierFields, PatientNoteField);

constexpr TFieldSchema SalesFields[] = {
    {"RECEIPT", "N", 10, 0},
    {"DATE", "D", 8, 0},
    {"PATID", "N", 10, 0},
    {"NAME", "C", 30, 0},
    {"ADDR", "C", 30, 0},
    {"CITY", "C", 20, 0},
    {"STATE", "C", 2, 0},
    {"ZIP", "C", 10, 0},
    {"EMPLY", "C", 4, 0},
    {"PAIDWITH", "C", 6, 0},
    {"SUBTOTAL", "N", 8, 2},
    {"TAXRATE", "N", 8, 6},
    {"SALESTAX", "N", 8, 2},
    {"TOTAL", "N", 10, 2},
    {"BALANCE", "N", 10, 2},
    {"BILLINSUR", "L", 1, 0},
    {"INCIDENT", "N", 4, 0},
    {"TERMS", "N", 3, 0},
    {"DUEDATE", "D", 8, 0},
    {"CLAIM", "N", 10, 0},
};

constexpr TFieldSchema SalesDtlFields[] = {
    {"RECEIPT", "N", 10, 0},
    {"ITEM", "N", 2, 0},
    {"ITEMNO", "C", 10, 0},
    {"DESC", "C", 30, 0},
    {"QTY", "N", 6, 2},
    {"PRICE", "N", 7, 2},
    {"AMOUNT", "N", 11, 2},
    {"TAXED", "L", 1, 0},
};

constexpr TFieldSchema PymtFields[] = {
    {"ID", "N", 10, 0},
    {"DATE", "D", 8, 0},
    {"PATID", "N", 10, 0},
    {"NAME", "C", 30, 0},
    {"PAIDWITH", "C", 6, 0},
    {"AMOUNT", "N", 10, 2},
    {"CHECKNO", "C", 10, 0},
    {"BALANCE", "N", 10, 2},
    {"TOTALPAID", "N", 10, 2},
    {"TAG", "L", 1, 0},
    {"DEPOSITED", "L", 1, 0},
    {"DEPOSITDAT", "D", 8, 0},
    {"POSTREF", "C", 10, 0},
};

constexpr TFieldSchema PymtDtlFields[] = {
    {"PAYMENTID", "N", 10, 0},
    {"DATE", "D", 8, 0},
    {"RECEIPT", "C", 10, 0},
    {"AMOUNT", "N", 10, 2},
    {"BALANCE", "N", 10, 2},
    {"PAYMENT", "N", 10, 2},
};

constexpr TFieldSchema PersonneFields[] = {
    {"ID", "N", 4, 0},
    {"RECNAME", "C", 30, 0},
    {"NAME", "C", 30, 0},
    {"SIGFILE", "C", 30, 0},
};

constexpr TFieldSchema LedgerFields[] = {
    {"ID", "N", 10, 0},
    {"TRANSNO", "N", 10, 0},
    {"TRANSDATE", "D", 8, 0},
    {"TRANSTIME", "C", 8, 0},
    {"ACCOUNT", "N", 4, 0},
    {"TYPE", "C", 25, 0},
    {"ACCTNO", "C", 10, 0},
    {"POSTREF", "C", 10, 0},
    {"DATE", "D", 8, 0},
    {"DESC", "C", 20, 0},
    {"DEBIT", "N", 10, 2},
    {"CREDIT", "N", 10, 2},
};

constexpr TFieldSchema ItemFields[] = {
    {"ID", "C", 10, 0},
    {"ITEMTYPE", "C", 20, 0},
    {"CATEGORY", "C", 20, 0},
    {"DESC", "C", 30, 0},
    {"MANF", "C", 30, 0},
    {"VENDOR", "C", 30, 0},
    {"COST", "N", 10, 2},
    {"SELL", "N", 10, 2},
    {"QTYONHAND", "N", 6, 0},
    {"REORDERPT", "N", 6, 0},
    {"UNITMEAS", "C", 4, 0},
    {"CPTCODE", "C", 5, 0},
    {"CTRLITEM", "L", 1, 0},
    {"TAXED", "L", 1, 0},
    {"CONSIGN", "L", 1, 0},
    {"COLOR", "C", 12, 0},
    {"SIZE", "C", 8, 0},
    {"Restocked", "D", 8, 0},
    {"DisplyLoc", "C", 10, 0},
    {"StockLoc", "C", 10, 0},
};

constexpr TFieldSchema ClaimOwnFields[] = {{"ID", "N", 10, 0}, {"DATE", "D", 8, 0}, {"PAT_ID", "C", 9, 0}};
constexpr TFieldSchema ClaimConditionFields[] = {
    {"PAT_STATUS", "C", 7, 0},
    {"PAT_EMPLYD", "L", 1, 0},
    {"PAT_STUDNT", "C", 9, 0},
    {"REL_TO_INS", "C", 6, 0},
    {"PLAN_TYPE", "C", 10, 0},
    {"COND_EMPL", "L", 1, 0},
    {"COND_AUTO", "L", 1, 0},
    {"COND_STATE", "C", 2, 0},
    {"COND_ACCID", "L", 1, 0},
};

constexpr TFieldSchema ClaimBillingFields[] = {
    {"REF_PHYS", "C", 20, 0},
    {"REF_PHYSID", "C", 12, 0},
    {"DIAG1", "C", 6, 0},
    {"DIAG2", "C", 6, 0},
    {"DIAG3", "C", 6, 0},
    {"DIAG4", "C", 6, 0},
    {"TOTAL", "N", 8, 2},
    {"PAID", "N", 8, 2},
    {"BALANCE", "N", 8, 2},
    {"FEDTAXID", "C", 12, 0},
    {"FEDIDTYPE", "C", 3, 0},
    {"ACPTASSIGN", "L", 1, 0},
    {"FAC_NAME", "C", 25, 0},
    {"FAC_ADDRS", "C", 25, 0},
    {"FAC_CITY", "C", 11, 0},
    {"FAC_STATE", "C", 2, 0},
    {"FAC_ZIP", "C", 10, 0},
    {"FAC_PHONE", "C", 14, 0},
    {"BILL_NAME", "C", 27, 0},
    {"BILL_ADDRS", "C", 27, 0},
    {"BILL_CITY", "C", 13, 0},
    {"BILL_STATE", "C", 2, 0},
    {"BILL_ZIP", "C", 10, 0},
    {"BILL_PHONE", "C", 14, 0},
    {"BILL_PIN", "C", 12, 0},
    {"BILL_GRP", "C", 14, 0},
    {"BILLSIGRN", "C", 27, 0},
    {"BILLSIGDAT", "D", 8, 0},
    {"BILLSIGNAM", "C", 27, 0},
    {"BILLSIGIMG", "C", 30, 0},
    {"CURILLNESS", "D", 8, 0},
    {"SIMILLNESS", "D", 8, 0},
    {"REFPHYS", "C", 30, 0},
    {"REFPHYS_ID", "C", 15, 0},
    {"NOWORKFROM", "D", 8, 0},
    {"NOWORKTO", "D", 8, 0},
    {"HOSP_FROM", "D", 8, 0},
    {"HOSP_TO", "D", 8, 0},
    {"LOCAL_19", "C", 40, 0},
    {"OUTSIDELAB", "L", 1, 0},
    {"OUTLABCHGS", "N", 8, 2},
    {"MRESUBCODE", "C", 10, 0},
    {"ORIGREFNO", "C", 10, 0},
    {"PRI_AUTHNO", "C", 10, 0},
};

constexpr TFieldSchema ClaimRecordFields[] = {
    {"PRINTED", "D", 8, 0},
    {"EBILLED", "D", 8, 0},
    {"PATSIGONFI", "L", 1, 0},
    {"INSSIGONFI", "L", 1, 0},
    {"LOCAL_10D", "C", 15, 0},
    {"RECEIPT", "C", 10, 0},
};

constexpr auto InsFields =
    joinFields(ClaimOwnFields, contactFields<"PAT_">, ClaimConditionFields, InsuredFields, OtherInsuredFields,
               ClaimBillingFields, CarrierFields, ClaimRecordFields);

constexpr TFieldSchema InsDtlFields[] = {
    {"ID", "N", 10, 0},
    {"DATEFROM", "D", 8, 0},
    {"DATETO", "D", 8, 0},
    {"POS", "C", 3, 0},
    {"TOS", "C", 3, 0},
    {"CPTCODE", "C", 5, 0},
    {"MODIFIER", "C", 6, 0},
    {"DIAGCODES", "C", 4, 0},
    {"CHARGE", "N", 10, 2},
    {"UNITS", "N", 3, 0},
    {"EPSDT", "C", 1, 0},
    {"EMG", "C", 1, 0},
    {"COB", "C", 1, 0},
    {"LOCAL", "C", 10, 0},
};

constexpr TFieldSchema InsCompFields[] = {
    {"ID", "N", 5, 0},
    {"NAME", "C", 25, 0},
    {"ADDR", "C", 25, 0},
    {"ADDR2", "C", 25, 0},
    {"CITY", "C", 15, 0},
    {"STATE", "C", 2, 0},
    {"ZIP", "C", 10, 0},
    {"PHONE", "C", 13, 0},
    {"CONTACT", "C", 24, 0},
};

constexpr TFieldSchema IncidentFields[] = {
    {"ID", "N", 4, 0},
    {"ACCOUNT", "N", 10, 0},
    {"DESC", "C", 30, 0},
    {"DOCTOR", "C", 30, 0},
    {"DIAGCODE", "C", 6, 0},
    {"DIAG1", "C", 6, 0},
    {"DIAG2", "C", 6, 0},
    {"DIAG3", "C", 6, 0},
    {"DIAG4", "C", 6, 0},
    {"TOTDISFROM", "D", 8, 0},
    {"TOTDISTO", "D", 8, 0},
    {"HOSPFROM", "D", 8, 0},
    {"HOSPTO", "D", 8, 0},
    {"SIMSYMFROM", "D", 8, 0},
    {"SIMSYMTO", "D", 8, 0},
    {"FIRSTEXAM", "D", 8, 0},
    {"ILLDATE", "D", 8, 0},
    {"NARRATIVE", "N", 10, 0},
    {"COND_EMPL", "L", 1, 0},
    {"COND_AUTO", "L", 1, 0},
    {"COND_STATE", "C", 2, 0},
    {"COND_ACCID", "L", 1, 0},
    {"SR_SPHERE", "C", 6, 0},
    {"SL_SPHERE", "C", 6, 0},
    {"SR_CYL", "C", 6, 0},
    {"SL_CYL", "C", 6, 0},
    {"SR_AXIS", "C", 3, 0},
    {"SL_AXIS", "C", 3, 0},
    {"SR_PRISM", "C", 5, 0},
    {"SL_PRISM", "C", 5, 0},
    {"SR_BC", "C", 4, 0},
    {"SL_BC", "C", 4, 0},
    {"SR_ADD", "C", 5, 0},
    {"SL_ADD", "C", 5, 0},
    {"CR_SPHERE", "C", 6, 0},
    {"CL_SPHERE", "C", 6, 0},
    {"CR_CYL", "C", 6, 0},
    {"CL_CYL", "C", 6, 0},
    {"CR_AXIS", "C", 3, 0},
    {"CL_AXIS", "C", 3, 0},
    {"CR_BC", "C", 4, 0},
    {"CL_BC", "C", 4, 0},
    {"CR_DIA", "C", 4, 0},
    {"CL_DIA", "C", 4, 0},
    {"CR_ADD", "C", 5, 0},
    {"CL_ADD", "C", 5, 0},
    {"CL_TYPE", "C", 30, 0},
    {"DPD_TOT", "N", 4, 1},
    {"DPD_R", "N", 4, 1},
    {"DPD_L", "N", 4, 1},
    {"NPD_TOT", "N", 4, 1},
    {"NPD_R", "N", 4, 1},
    {"NPD_L", "N", 4, 1},
    {"MEDICATION", "C", 30, 0},
    {"COMPLAINT", "C", 30, 0},
    {"VU_R", "C", 7, 0},
    {"VU_L", "C", 7, 0},
    {"VU_B", "C", 7, 0},
    {"VP_R", "C", 7, 0},
    {"VP_L", "C", 7, 0},
    {"VP_B", "C", 7, 0},
    {"SLIT_LAMP", "C", 20, 0},
    {"IOP", "C", 15, 0},
    {"FIELDS", "C", 15, 0},
    {"CT", "C", 8, 0},
    {"NPC", "C", 8, 0},
    {"IE_CD_R", "C", 5, 0},
    {"IE_AV_R", "C", 5, 0},
    {"IE_ALR_R", "C", 5, 0},
    {"IE_BACKG_R", "C", 30, 0},
    {"IE_CD_L", "C", 5, 0},
    {"IE_AV_L", "C", 5, 0},
    {"IE_ALR_L", "C", 5, 0},
    {"IE_BACKG_L", "C", 30, 0},
    {"EXT_EXAM", "C", 30, 0},
    {"SR_R", "C", 20, 0},
    {"SR_L", "C", 20, 0},
    {"CC_R", "C", 15, 0},
    {"CC_L", "C", 15, 0},
    {"DSE_R", "C", 20, 0},
    {"DSE_L", "C", 20, 0},
    {"DSE_VA_R", "C", 7, 0},
    {"DSE_VA_L", "C", 7, 0},
    {"NSE_R", "C", 15, 0},
    {"NSE_L", "C", 15, 0},
    {"NSE_VA_R", "C", 7, 0},
    {"NSE_VA_L", "C", 7, 0},
    {"NOTE", "M", 10, 0},
};

constexpr TFieldSchema DepositFields[] = {
    {"ID", "N", 10, 0},
    {"TYPE", "N", 1, 0},
    {"DATE", "D", 8, 0},
    {"CURRENCY", "N", 10, 2},
    {"COINS", "N", 10, 2},
    {"CHECKS", "N", 10, 2},
    {"CHARGES", "N", 10, 2},
    {"BATCHNO", "C", 10, 0},
    {"TOTAL", "N", 10, 2},
};

constexpr TFieldSchema DeposDtlFields[] = {
    {"DEPOSITID", "N", 10, 0},
    {"RECDFROM", "C", 20, 0},
    {"AMOUNT", "N", 10, 2},
    {"FROMACCT", "C", 12, 0},
    {"NUMBER", "C", 10, 0},
    {"PMTMETH", "C", 10, 0},
    {"PAYMENTID", "N", 10, 0},
};

constexpr TFieldSchema CptCodeFields[] = {
    {"ID", "C", 5, 0},
    {"CATEGORY", "C", 20, 0},
    {"DESC", "C", 30, 0},
};

constexpr TFieldSchema DiagCodeFields[] = {
    {"ID", "C", 6, 0},
    {"CATEGORY", "C", 20, 0},
    {"DESC", "C", 30, 0},
};

constexpr TFieldSchema LabRxFields[] = {
    {"RECEIPT", "C", 10, 0},
    {"ITEM", "N", 2, 0},
    {"TYPE", "C", 1, 0},
    {"RX", "C", 2, 0},
    {"SPHERE_R", "C", 6, 0},
    {"SPHERE_L", "C", 6, 0},
    {"CYLINDER_R", "C", 6, 0},
    {"CYLINDER_L", "C", 6, 0},
    {"AXIS_R", "C", 3, 0},
    {"AXIS_L", "C", 3, 0},
    {"PRISM_R", "C", 5, 0},
    {"PRISM_L", "C", 5, 0},
    {"ADD_R", "C", 5, 0},
    {"ADD_L", "C", 5, 0},
    {"BASE_R", "C", 4, 0},
    {"BASE_L", "C", 4, 0},
    {"DEC_IN_R", "C", 5, 0},
    {"DEC_IN_L", "C", 5, 0},
    {"DEC_OUT_R", "C", 5, 0},
    {"DEC_OUT_L", "C", 5, 0},
    {"SEG_HEIGHT", "C", 5, 0},
    {"SEG_WIDTH", "C", 5, 0},
    {"INSET_R", "C", 4, 0},
    {"INSET_L", "C", 4, 0},
    {"TOT_INS_R", "C", 4, 0},
    {"TOT_INS_L", "C", 4, 0},
    {"BC_R", "C", 4, 0},
    {"BC_L", "C", 4, 0},
    {"DIA_R", "C", 4, 0},
    {"DIA_L", "C", 4, 0},
    {"CL_TYPE", "C", 30, 0},
    {"FRAM_STYLE", "C", 30, 0},
    {"FRAM_COLOR", "C", 30, 0},
    {"TINT", "C", 20, 0},
    {"TEMP_LGTH", "C", 3, 0},
    {"Notes", "M", 10, 0},
    {"ORDRD_FROM", "C", 3, 0},
    {"PROMISED", "D", 8, 0},
    {"MAIL", "D", 8, 0},
    {"CASE", "D", 8, 0},
    {"SIZE", "C", 5, 0},
    {"B", "C", 2, 0},
    {"ED", "C", 2, 0},
    {"PD", "C", 5, 0},
    {"DPD_TOT", "N", 4, 1},
    {"DPD_R", "N", 4, 1},
    {"DPD_L", "N", 4, 1},
    {"NPD_TOT", "N", 4, 1},
    {"NPD_R", "N", 4, 1},
    {"NPD_L", "N", 4, 1},
    {"STRAIT_TOP", "L", 1, 0},
    {"ROUND_SEG", "L", 1, 0},
    {"TRIFOCAL", "L", 1, 0},
    {"BLENDED", "L", 1, 0},
    {"PROGRESSIV", "L", 1, 0},
    {"EXECUTIVE", "L", 1, 0},
    {"UV_PROTECT", "L", 1, 0},
    {"SCRATCH_CT", "L", 1, 0},
    {"HIGH_INDEX", "L", 1, 0},
    {"ANTI_REFLC", "L", 1, 0},
    {"PGX", "L", 1, 0},
    {"TRANSITION", "L", 1, 0},
    {"GLASS", "L", 1, 0},
    {"PLASTIC", "L", 1, 0},
    {"CC_R", "C", 15, 0},
    {"CC_L", "C", 15, 0},
    {"DOCTOR", "C", 12, 0},
    {"EXPECTED", "D", 8, 0},
    {"CL_DW", "L", 1, 0},
    {"CL_EW", "L", 1, 0},
    {"CL_GP", "L", 1, 0},
    {"CL_DISP", "L", 1, 0},
    {"CL_TORIC", "L", 1, 0},
    {"CL_TINT", "C", 20, 0},
    {"CL_INS", "L", 1, 0},
    {"CL_TRAIN", "L", 1, 0},
    {"CL_WRNTY", "L", 1, 0},
    {"VENDOR", "C", 10, 0},
    {"CHECKED", "C", 10, 0},
    {"LensMatl", "C", 15, 0},
};

constexpr TFieldSchema RecallFields[] = {
    {"PATIENTID", "N", 10, 0},
    {"NAME", "C", 30, 0},
    {"DATE", "D", 8, 0},
    {"REASON", "C", 20, 0},
};

constexpr TFieldSchema CalendarFields[] = {
    {"DATE", "D", 8, 0},
    {"NOTE", "M", 10, 0},
};

constexpr TFieldSchema ScheduleFields[] = {
    {"DATE", "D", 8, 0},
    {"TIME", "C", 6, 0},
    {"ALLOT", "C", 5, 0},
    {"RESOURCEID", "N", 10, 0},
    {"RESOURCE", "C", 30, 0},
    {"CLIENT_ID", "N", 10, 0},
    {"CLIENT", "C", 30, 0},
    {"NOTE", "C", 35, 0},
};

constexpr TFieldSchema PatternFields[] = {
    {"ID", "C", 12, 0},
    {"MANF", "C", 25, 0},
    {"DESC", "C", 20, 0},
    {"LOC", "C", 12, 0},
};

constexpr TFieldSchema AcctFields[] = {
    {"ID", "N", 4, 0},
    {"TYPE", "C", 25, 0},
    {"NAME", "C", 25, 0},
    {"BALANCE", "N", 10, 2},
    {"DC", "C", 1, 0},
};
constexpr TTableSchema CompanyTableList[] = {
    {"Patient.dbf", PatientFields},   {"Sales.dbf", SalesFields},       {"SalesDtl.dbf", SalesDtlFields},
    {"Pymt.dbf", PymtFields},         {"PymtDtl.dbf", PymtDtlFields},   {"Personne.dbf", PersonneFields},
    {"Ledger.dbf", LedgerFields},     {"Item.dbf", ItemFields},         {"Ins.dbf", InsFields},
    {"InsDtl.dbf", InsDtlFields},     {"InsComp.dbf", InsCompFields},   {"Incident.dbf", IncidentFields},
    {"Deposit.dbf", DepositFields},   {"DeposDtl.dbf", DeposDtlFields}, {"CptCode.dbf", CptCodeFields},
    {"DiagCode.dbf", DiagCodeFields}, {"LabRx.dbf", LabRxFields},       {"Recall.dbf", RecallFields},
    {"Calendar.dbf", CalendarFields}, {"Schedule.dbf", ScheduleFields}, {"Pattern.dbf", PatternFields},
    {"Acct.dbf", AcctFields},
};

constexpr TDefaultAccount DefaultAccountList[] = {
    {1, "Sales", "Sales", "C"},
    {2, "Sales Tax Payable", "Sales Tax Payable", "C"},
    {3, "Undeposited Funds", "Undeposited Funds", "D"},
    {4, "Accounts Receivable", "Accounts Receivable", "D"},
    {5, "Checking", "Deposits to Checking", "D"},
    {6, "Sales Tax Payments", "Sales Tax Payments", "D"},
    {7, "Retained Earnings", "Retained Earnings", "C"},
    {8, "Refund", "Refunds", "C"},
};

const char* const CreateFailed = "Create Failed";

bool CreateNamed(TXbase* Engine, const char* FileName, const std::string& DataDirectory) {
    return Schemas::CreateTable(Engine, *Schemas::findTable(FileName),
                                Schemas::tableFileName(DataDirectory, FileName));
}

}  // namespace

namespace Schemas {

std::span<const TTableSchema> CompanyTables() { return CompanyTableList; }

const TTableSchema* findTable(const std::string& FileName) {
    for (const TTableSchema& table : CompanyTableList)
        if (strcasecmp(FileName.c_str(), table.FileName) == 0)
            return &table;
    return nullptr;
}

std::span<const TDefaultAccount> defaultAccounts() { return DefaultAccountList; }

std::string tableFileName(const std::string& DataDirectory, const std::string& FileName) {
    return DataDirectory.empty() ? FileName : os::IncludeTrailingPathDelimiter(DataDirectory) + FileName;
}

bool CreateTable(TXbase* Engine, const TTableSchema& Schema, const std::string& FileName) {
    // Every company table is of the NSX family.
    if (Engine->CreateNew(FileName, "", XB_DRIVER_NSX, static_cast<int>(Schema.Fields.size())) == 0) {
        ShowMessage(CreateFailed);
        return false;
    }
    for (const TFieldSchema& field : Schema.Fields)
        Engine->CreateField(field.Name, field.FieldType, field.Width, field.Decimals);
    // A table the engine could not write is as missing as one never started.
    if (!Engine->CreateExec()) {
        ShowMessage(CreateFailed);
        return false;
    }
    return true;
}

void appendDefaultAccounts(TTable* Table) {
    TDataSource source(nullptr);
    source.SetDataSet(Table);
    TXbase engine(nullptr);
    engine.SetDataSource(&source);
    Table->Open();
    for (const TDefaultAccount& account : DefaultAccountList) {
        Table->Append();
        Table->FieldByName("ID")->SetAsInteger(account.ID);
        Table->FieldByName("TYPE")->SetAsString(account.Type);
        Table->FieldByName("NAME")->SetAsString(account.Name);
        Table->FieldByName("BALANCE")->SetAsFloat(0.0);
        Table->FieldByName("DC")->SetAsString(account.DC);
        engine.Commit();
    }
    Table->Close();
}

}  // namespace Schemas

bool CreatePatient(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Patient.dbf", DataDirectory);
}
bool CreateSales(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Sales.dbf", DataDirectory);
}
bool CreateSalesDtl(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "SalesDtl.dbf", DataDirectory);
}
bool CreatePymt(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Pymt.dbf", DataDirectory);
}
bool CreatePymtDtl(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "PymtDtl.dbf", DataDirectory);
}
bool CreatePersonne(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Personne.dbf", DataDirectory);
}
bool CreateLedger(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Ledger.dbf", DataDirectory);
}
bool CreateItem(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Item.dbf", DataDirectory);
}
bool CreateIns(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Ins.dbf", DataDirectory);
}
bool CreateInsDtl(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "InsDtl.dbf", DataDirectory);
}
bool CreateInsComp(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "InsComp.dbf", DataDirectory);
}
bool CreateIncident(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Incident.dbf", DataDirectory);
}
bool CreateDeposit(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Deposit.dbf", DataDirectory);
}
bool CreateDeposDtl(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "DeposDtl.dbf", DataDirectory);
}
bool CreateCptCode(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "CptCode.dbf", DataDirectory);
}
bool CreateDiagCode(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "DiagCode.dbf", DataDirectory);
}
bool CreateLabRx(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "LabRx.dbf", DataDirectory);
}
bool CreateRecall(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Recall.dbf", DataDirectory);
}
bool CreateCalendar(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Calendar.dbf", DataDirectory);
}
bool CreateSchedule(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Schedule.dbf", DataDirectory);
}
bool CreatePattern(TXbase* Engine, const std::string& DataDirectory) {
    return CreateNamed(Engine, "Pattern.dbf", DataDirectory);
}

bool CreateAcct(TXbase* Engine, TTable* AcctTable, const std::string& DataDirectory) {
    if (!CreateNamed(Engine, "Acct.dbf", DataDirectory))
        return false;
    AcctTable->Close();
    AcctTable->SetDatabaseName(DataDirectory);
    AcctTable->SetTableType(ttSXNSX);
    AcctTable->SetTableName("Acct");
    Schemas::appendDefaultAccounts(AcctTable);
    return true;
}
