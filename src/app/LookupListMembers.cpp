#include "app/LookupListMembers.h"

#include <map>

#include "app/DataModule.h"
#include "app/LookupListActions.h"
#include "app/RecordInfoDialogs.h"
#include "base/Classes.h"
#include "base/Exceptions.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmtable.h"

namespace {

using A = TListAction;

// The data module's table, engine component and data source of a list.
#define QM_TABLE(TableName, EngineName, SourceName)                               \
    .Table = [](TDataModule1& m) -> TTable* { return m.TableName; },              \
    .Engine = [](TDataModule1& m) -> TXbase* { return m.EngineName; },            \
    .Source = [](TDataModule1& m) -> TDataSource* { return m.SourceName; }

const std::vector<std::string> PatientColumns{"RECNAME\t33\tNAME", "ID\t11\tAccount", "BALANCE\t10\tBalance"};
const std::vector<TSortChoice> PatientSorts{{"Name", "RecName", false, 'N'}, {"Account", "ID", false, 'A'}};
const std::vector<std::string> CarrierColumns{"NAME\t30\tName", "STATE\t2\tState", "CITY\t15\tCity",
                                              "ID\t5\tAcct#"};
const std::vector<TSortChoice> CarrierSorts{
    {"Name", "Name", false, 'N'}, {"State & City", "State", false, 'S'}, {"Account", "ID", false, 'A'}};
const std::vector<std::string> ItemColumns{"ID\t10\tItem", "CATEGORY\t19\tCategory", "DESC\t30\tDescription",
                                           "QTYONHAND\t10\tQuantity"};
const std::vector<TSortChoice> ItemSorts{
    {"Item", "ID", false, 'I'}, {"Category", "Category", false, 'C'}, {"Description", "Desc", false, 'D'}};
const std::vector<std::string> CodeColumns{"ID\t12\tCode", "CATEGORY\t20\tCategory", "DESC\t27\tDescription"};
const std::vector<TSortChoice> CodeSorts{{"Code", "ID"}, {"Category", "Category"}, {"Description", "Desc"}};
constexpr TButtonShown Hidden{false, false};
constexpr TButtonShown Disabled{true, false};

TListDescriptor PatientList(std::string Caption) {
    return {.Caption = std::move(Caption), QM_TABLE(PatientTable, Xbase1, PatientSource),
            .Columns = PatientColumns, .Sorts = PatientSorts, .BeepTag = "RECNAME",
            .New = TListNew::Patient, .Delete = TListDelete::Patient, .AdvancedButton = true,
            .StartTag = "RecName", .RepairBlankField = "RecName", .InfoClass = "TPatientInfoDlg",
            .InfoBackToName = true};
}

TListDescriptor PatientSelectList(TListHandler Select) {
    TListDescriptor d = PatientList("Patient Lookup");
    d.New = TListNew::PatientSelect;
    d.Delete = TListDelete::None;
    d.DeleteButton = Hidden;
    d.Select = Select;
    d.EnterInEdit = A::Select;
    d.DoubleClick = A::Select;
    return d;
}

TListDescriptor CarrierList(TListAction Pick, TListHandler Select) {
    return {.Caption = "Insurance Companies", QM_TABLE(InsCompTable, InsCompXbase, InsCompSource),
            .Columns = CarrierColumns, .Sorts = CarrierSorts, .BeepTag = "NAME", .EnterInEdit = Pick,
            .DoubleClick = Pick, .New = TListNew::Plain, .NewTag = "Name", .Delete = TListDelete::Plain,
            .DeleteButton = Hidden, .Select = Select, .StartTag = "Name", .InfoClass = "TInsCompInfoDlg"};
}

TListDescriptor ItemList(TListHandler Select) {
    TListDescriptor d{.Caption = "Items", QM_TABLE(ItemTable, ItemXbase, ItemSource), .Columns = ItemColumns,
                      .Sorts = ItemSorts, .BeepTag = "ID", .New = TListNew::Item, .Delete = TListDelete::Item,
                      .Select = Select, .StartTag = "ID", .RepairBlankField = "ID", .SalesDetailView = true,
                      .InfoClass = "TItemInfoDlg"};
    if (Select) {
        d.EnterInGrid = A::Select;
        d.DoubleClick = A::Select;
    }
    return d;
}

TListDescriptor CodeList(std::string Caption, TListDescriptor Base) {
    Base.Caption = std::move(Caption);
    Base.Sorts = CodeSorts;
    Base.New = TListNew::Coded;
    Base.Delete = TListDelete::Plain;
    Base.StartTag = "ID";
    return Base;
}

std::map<std::string, TListDescriptor> MakeMembers() {
    std::map<std::string, TListDescriptor> m;
    m["TLookupList"] = PatientList("Patients");
    m["TPatientLookupList2"] = PatientSelectList(selectPatientIntoReceipt);
    m["TPatientLookupList2"].EnterInGrid = A::Info;
    m["TPatientLookupList2"].StartSortText = "Name";
    m["TPatientLookupList2"].Activation = TListActivation::PatientsToName;
    m["TPatientLookupList2"].InfoModal = true;
    m["TPatientLookupList3"] = PatientSelectList(selectPatientForPayment);
    m["TPatientLookupList4"] = PatientSelectList(selectPatientIntoClaim);
    m["TReceiptLookupList"] = {
        .Caption = "Receipt Lookup", QM_TABLE(SalesTable, SalesXbase, SalesSource),
        .Columns = {"RECEIPT\t10\tRECEIPT", "DATE\t10\tDATE", "PATID\t10\tPATID", "NAME\t30\tNAME"},
        .Sorts = {{"Receipt", "Receipt"}, {"Account", "PatID"}}, .EnterInGrid = A::Nothing,
        .EnterInEdit = A::Select, .DoubleClick = A::Select, .NewButton = Hidden, .DeleteButton = Hidden,
        .Select = selectReceiptNumber, .Start = receiptListStart, .Activation = TListActivation::Nothing,
        .Sort = receiptListSort, .Closing = receiptListClosing};
    m["TPaymentLookupList"] = {
        .Caption = "Payment Lookup", QM_TABLE(PaymentTable, PaymentXbase, PaymentSource),
        .Columns = {"ID\t10\tPayment#", "DATE\t10\tDATE", "NAME\t30\tNAME"},
        .Sorts = {{"Payment#", "ID", true, 'P'}, {"Name", "Name", false, 'N'}}, .PaddedIdSearch = true,
        .EnterInGrid = A::Select, .EnterInEdit = A::Select, .DoubleClick = A::Select, .NewButton = Hidden,
        .DeleteButton = Hidden, .Select = selectPaymentID, .StartTag = "ID", .StartLast = true};
    m["TDepositLookupList"] = {
        .Caption = "Deposit Lookup", QM_TABLE(DepositTable, DepositXbase, DepositSource),
        .Columns = {"ID\t17\tID", "DATE\t10\tDATE", "TOTAL\t16\tTOTAL"},
        .Sorts = {{"ID", "ID", false, 'I'}, {"Date", "Date", false, 'D'}}, .BeepTag = "ID",
        .EnterInGrid = A::Select, .EnterInEdit = A::Select, .DoubleClick = A::Select, .New = TListNew::Plain,
        .NewTag = "ID", .NewButton = Hidden, .Delete = TListDelete::Plain, .DeleteButton = Hidden,
        .Select = selectDepositID, .StartTag = "ID", .LastWhenShown = true};
    m["TInsCompLookupList"] = CarrierList(A::Info, nullptr);
    m["TInsCompLookupList"].SortClearsSearch = true;
    m["TInsCompLookupList1"] = CarrierList(A::Select, selectCarrierIntoClaim);
    m["TInsCompSelect2"] = CarrierList(A::Select, selectCarrierIntoPatient);
    m["TClaimLookupList"] = {
        .Caption = "Insurance Claims", QM_TABLE(InsTable, InsXbase, InsSource),
        .Columns = {"ID\t10\tClaim#", "DATE\t10\tDate", "PAT_NAME\t26\tName", "EBILLED\t10\tEBilled",
                    "PRINTED\t9\tPrinted"},
        .Sorts = {{"Claim No.", "ID", true, 'C'}, {"Name", "Name", false, 'N'}, {"Date", "Date", false, 'D'},
                  {"Not Submitted", "NotSubmit"}},
        .BeepTag = "ID", .New = TListNew::Claim, .Delete = TListDelete::Claim, .StartTag = "ID",
        .StartLast = true, .Activation = TListActivation::RefreshPatients, .InfoClass = "TInsuranceClaimDlg"};
    m["TItemLookupList"] = ItemList(nullptr);
    m["TItemLookupListSelect"] = ItemList(selectItemIntoReceiptLine);
    m["TItemLookupListSelect"].EnterInEdit = A::Info;
    m["TPersonnelLookupList"] = {
        .Caption = "Personnel", QM_TABLE(PersonnelTable, PersonnelXbase, PersonnelSource),
        .Columns = {"RECNAME\t30\tName", "ID\t14\tID"},
        .Sorts = {{"Name", "RecName", false, 'N'}, {"Account", "ID", false, 'A'}}, .BeepTag = "RECNAME",
        .New = TListNew::Plain, .NewTag = "RecName", .Delete = TListDelete::Plain, .StartTag = "RecName",
        .InfoClass = "TPersonnelInfoDlg"};
    m["TAccountLookupList"] = {
        .Caption = "Chart of Accounts", QM_TABLE(AccountTable, AccountXbase, AccountSource),
        .Grid = TListGrid::AccountGrid, .Columns = {"NAME\t30\tNAME", "CalcBalance\t14\tBalance"},
        .Sorts = {{"Account", "Name"}}, .BeepTag = "NAME", .New = TListNew::Plain, .NewTag = "Name",
        .NewButton = Disabled, .Delete = TListDelete::Plain, .DeleteButton = Disabled, .StartTag = "Name",
        .Activation = TListActivation::AccountsToName, .InfoClass = "TAccountInfoDlg"};
    m["TCPTCodeLookupList"] = CodeList(
        "CPT Code Lookup", {QM_TABLE(CPTCodeTable, Xbase3, CPTCodeSource), .Columns = CodeColumns,
                            .InfoClass = "TCPTCodeInfoDlg"});
    m["TDiagCodeLookupList"] = CodeList(
        "Diagnosis Code Lookup", {QM_TABLE(DiagCodeTable, DiagCodeXbase, DiagCodeSource), .Columns = CodeColumns,
                                  .InfoClass = "TDiagCodeInfoDlg"});
    m["TPatternLookupList"] = CodeList(
        "Pattern Lookup", {QM_TABLE(PatternTable, PatternXbase, PatternSource), .Grid = TListGrid::PlainGrid,
                           .InfoClass = "TPatternInfoDlg"});
    m["TPatternLookupList"].Sorts = {
        {"ID", "ID"}, {"Manufacturer", "Manf"}, {"Description", "Desc"}, {"Location", "Loc"}};
    TListDescriptor carryOut = PatientList("Carry-Out Statement");
    carryOut.New = TListNew::None;
    carryOut.Delete = TListDelete::None;
    carryOut.NewButton = carryOut.EditButton = carryOut.DeleteButton = Hidden;
    carryOut.EnterInGrid = carryOut.EnterInEdit = carryOut.DoubleClick = A::Print;
    carryOut.PrintButton = true;
    m["TCarryOutStatementLookupList"] = carryOut;
    return m;
}

const std::map<std::string, TListDescriptor>& Members() {
    static const std::map<std::string, TListDescriptor> members = MakeMembers();
    return members;
}

}  // namespace

const TListDescriptor& listDescriptor(const std::string& ClassName) {
    auto found = Members().find(ClassName);
    if (found == Members().end())
        throw EInvalidOperation("No lookup list " + ClassName);
    return found->second;
}

void registerLookupLists() {
    RegisterClasses<TLookupList, TPatientLookupList2, TPatientLookupList3, TPatientLookupList4, TReceiptLookupList,
                    TPaymentLookupList, TDepositLookupList, TInsCompLookupList, TInsCompLookupList1, TInsCompSelect2,
                    TClaimLookupList, TItemLookupList, TItemLookupListSelect, TPersonnelLookupList,
                    TAccountLookupList, TCPTCodeLookupList, TDiagCodeLookupList, TPatternLookupList,
                    TCarryOutStatementLookupList>();
    registerRecordInfoDialogs();
}
