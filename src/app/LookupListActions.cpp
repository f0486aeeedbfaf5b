#include "app/LookupListActions.h"

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/ListSelection.h"
#include "app/LookupList.h"
#include "app/Settings.h"
#include "base/Exceptions.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"
#include "ui/Grids.h"
#include "ui/StdCtrls.h"
#include "xbase/Qmqbe.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbase/Xbtable.h"

namespace {

TDataModule1& Module() { return *DataModule1; }

std::string TrimBlanks(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string Text(TDataSet* Table, const std::string& Field) { return Table->FieldByName(Field)->AsString(); }

void Copy(TDataSet* From, const std::string& Source, TDataSet* To, const std::string& Target) {
    To->FieldByName(Target)->SetAsString(Text(From, Source));
}

void FocusEdit(TLookupListForm& List) {
    if (List.EditButton->CanFocus())
        List.EditButton->SetFocus();
}

// Deletes, from the top of Table's scope on Key..Key+High under Tag, the
// records whose Field equals Value.
void DeleteScoped(TTable* Table, TXbase* Engine, const std::string& Tag, const std::string& Low,
                  const std::string& High, const std::string& Field, const std::string& Value) {
    const std::string savedTag = Table->IndexName();
    Table->SetIndexName(Tag);
    Engine->SetScope(Low, High);
    Engine->GoTop();
    while (!Engine->Eof() && !Table->IsEmpty() && TrimBlanks(Text(Table, Field)) == Value) {
        Table->Delete();
        Engine->GoTop();
    }
    Engine->SetScope("", "");
    Table->SetIndexName(savedTag);
}

// Records of the company file whose Field holds Value.
int CountMatching(const std::string& FileName, const std::string& Field, const std::string& Value) {
    TXbTable table(nullptr);
    table.SetDatabaseName(Module().DataDirectory);
    table.SetTableName(FileName);
    table.SetTableType(ttSXNSX);
    table.SetReadOnly(true);
    table.Open();
    int count = 0;
    for (table.First(); !table.Eof(); table.Next())
        if (TrimBlanks(table.FieldByName(Field)->AsString()) == Value)
            ++count;
    table.Close();
    return count;
}

std::string RefusalFor(const std::string& What) {
    return "Delete cancelled because there are " + What + " for this patient.\r\r" + "You must delete all " + What +
           " for this patient in order to delete this patient.";
}

// Takes the record lock of Table's current record and holds it; false, with
// the message shown once, when another user holds it.
bool LockCurrent(TTable* Table) {
    try {
        Table->Edit();
        return true;
    } catch (const EAbort&) {
        // The table's own edit event has told the user already.
        Table->Cancel();
        return false;
    } catch (const Exception&) {
        Table->Cancel();
        MessageDlg(SRecordLockedByOther, mtWarning, {mbOK});
        return false;
    }
}

void PatientNew(TLookupListForm& List, bool SelectKind) {
    TTable* table = List.Table();
    TXbase* engine = List.Engine();
    const std::string savedTag = table->IndexName();
    table->SetIndexName("");
    table->Append();
    engine->Go(engine->RecNo());
    if (SelectKind) {
        engine->Commit();
        table->Edit();
        for (const char* field : {"BillInsur", "AcptAssign", "PatSigOnFi", "Pat_Emplyd", "InsSigOnFi"})
            table->FieldByName(field)->SetAsBoolean(false);
        engine->Commit();
    }
    table->SetIndexName(savedTag);
    FocusEdit(List);
    List.ShowInfo();
}

// Puts the list on Tag, adds the new record with Add and leaves the list on
// it ("<NEW>" sorts it first), its edit focused.
template <class Add>
void addNew(TLookupListForm& List, const std::string& Tag, Add add) {
    TTable* table = List.Table();
    TXbase* engine = List.Engine();
    table->SetIndexName(Tag);
    engine->Seek("<NEW>");
    add(table, engine);
    engine->Seek("<NEW>");
    FocusEdit(List);
}

void PlainNew(TLookupListForm& List, const std::string& Tag) {
    addNew(List, Tag, [](TTable* table, TXbase*) {
        table->Insert();
        table->Post();
    });
}

void CodedNew(TLookupListForm& List) {
    addNew(List, "ID", [](TTable* table, TXbase*) {
        table->Append();
        table->FieldByName("ID")->SetAsString("<new>");
        table->Post();
    });
}

void ItemNew(TLookupListForm& List) {
    addNew(List, "ID", [](TTable* table, TXbase* engine) {
        table->Append();
        table->Post();
        table->First();
        table->Edit();
        table->FieldByName("ID")->SetAsString("<new>");
        engine->Commit();
    });
}

void ClaimNew(TLookupListForm& List) {
    TDataModule1& module = Module();
    TTable* claims = module.InsTable;
    TXbase* engine = module.InsXbase;
    const std::string savedTag = claims->IndexName();
    claims->SetIndexName("Name");
    if (!(engine->Seek("<NEW>") && engine->Found())) {
        claims->SetIndexName("ID");
        claims->Insert();
        const TSettingsFile ini = CompanyIni::File(module.DataDirectory);
        claims->FieldByName("Pat_Name")->SetAsString("<New>");
        const std::pair<const char*, const TTextKey*> defaults[] = {
            {"Bill_Name", &CompanyIni::BillName},   {"Bill_Addrs", &CompanyIni::BillAddrs},
            {"Bill_City", &CompanyIni::BillCity},   {"Bill_State", &CompanyIni::BillState},
            {"Bill_Zip", &CompanyIni::BillZip},     {"Bill_Phone", &CompanyIni::BillPhone},
            {"Bill_Pin", &CompanyIni::BillPin},     {"Bill_Grp", &CompanyIni::BillGrp},
            {"FedTaxId", &CompanyIni::FedTaxID},    {"FedIdType", &CompanyIni::FedIdType}};
        for (const auto& [field, key] : defaults)
            claims->FieldByName(field)->SetAsString(ini.Read(*key));
        claims->Post();
        const std::string id = TrimBlanks(Text(claims, "ID"));
        TTable* lines = module.InsDetailTable;
        const std::string savedLineTag = lines->IndexName();
        lines->SetIndexName("ID");
        module.InsDetailXbase->SetScope(AppUtils::PadLeft(id, 10), AppUtils::PadLeft(id, 10));
        for (int line = 0; line < 6; ++line) {
            lines->Insert();
            lines->FieldByName("ID")->SetAsString(id);
            lines->Post();
        }
        module.InsDetailXbase->SetScope("", "");
        lines->SetIndexName(savedLineTag);
        claims->SetIndexName("Name");
        engine->Seek("<NEW>");
    }
    FocusEdit(List);
    claims->SetIndexName(savedTag);
    claims->Refresh();
    List.Grid()->Invalidate();
}

void PatientDelete(TLookupListForm& List) {
    TDataModule1& module = Module();
    TTable* patients = List.Table();
    const std::string id = TrimBlanks(Text(patients, "ID"));
    module.RecallTable->Open();
    bool refused =
        MessageDlg("Are you sure you want to delete " + Text(patients, "RecName") + "?", mtWarning, {mbYes, mbNo}) !=
        mrYes;

    // The receipts check runs whatever the answer.
    TTable* sales = module.SalesTable;
    const std::string salesTag = sales->IndexName();
    const int salesRecNo = module.SalesXbase->RecNo();
    sales->SetIndexName("PatID");
    if (module.SalesXbase->Seek(id)) {
        MessageDlg(RefusalFor("receipts"), mtInformation, {mbOK});
        refused = true;
    }
    sales->SetIndexName(salesTag);
    if (salesRecNo > 0)
        module.SalesXbase->Go(salesRecNo);

    // Payments and claims would point at a patient who no longer exists.
    if (!refused && CountMatching("Pymt.dbf", "PATID", id) > 0) {
        MessageDlg(RefusalFor("payments"), mtInformation, {mbOK});
        refused = true;
    }
    if (!refused && CountMatching("Ins.dbf", "PAT_ID", id) > 0) {
        MessageDlg(RefusalFor("claims"), mtInformation, {mbOK});
        refused = true;
    }

    if (!refused && LockCurrent(patients)) {
        const std::string key = AppUtils::PadLeft(id, 10);
        DeleteScoped(module.IncidentTable, module.IncidentXbase, "ID", key + "   0", key + "9999", "Account", id);
        DeleteScoped(module.RecallTable, module.RecallXbase, "PatientID", key + "19000101", key + "21000101",
                     "PatientID", id);
        patients->Delete();
    }
    module.RecallTable->Close();
}

void ClaimDelete(TLookupListForm& List) {
    TDataModule1& module = Module();
    TTable* claims = List.Table();
    const std::string id = TrimBlanks(Text(claims, "ID"));
    if (MessageDlg("Are you sure you want to delete claim" + id + "?", mtWarning, {mbYes, mbNo}) != mrYes)
        return;
    if (!LockCurrent(claims))
        return;
    DeleteScoped(module.InsDetailTable, module.InsDetailXbase, "ID", AppUtils::PadLeft(id, 10), AppUtils::PadLeft(id, 10), "ID", id);
    claims->Delete();
    FocusEdit(List);
}

void ItemDelete(TLookupListForm& List) {
    TTable* items = List.Table();
    const std::string id = TrimBlanks(Text(items, "ID"));
    if (List.SalesDetailView && List.SalesDetailView->Active() && List.SalesDetailView->Seek(id)) {
        MessageDlg("Item " + id + " is used in one or more receipts and cannot be deleted.", mtInformation, {mbOK});
        return;
    }
    items->Delete();
}

}  // namespace

void newListRecord(TLookupListForm& List) {
    TTable* table = List.Table();
    if (!table || !table->Active())
        return;
    const TListDescriptor& d = List.Descriptor();
    switch (d.New) {
    case TListNew::None:
        break;
    case TListNew::Patient:
        PatientNew(List, false);
        break;
    case TListNew::PatientSelect:
        PatientNew(List, true);
        break;
    case TListNew::Plain:
        PlainNew(List, d.NewTag);
        break;
    case TListNew::Coded:
        CodedNew(List);
        break;
    case TListNew::Claim:
        ClaimNew(List);
        break;
    case TListNew::Item:
        ItemNew(List);
        break;
    }
}

void deleteListRecord(TLookupListForm& List) {
    if (List.empty())
        return;
    switch (List.Descriptor().Delete) {
    case TListDelete::None:
        break;
    case TListDelete::Plain:
        List.Table()->Delete();
        break;
    case TListDelete::Patient:
        PatientDelete(List);
        break;
    case TListDelete::Claim:
        ClaimDelete(List);
        break;
    case TListDelete::Item:
        ItemDelete(List);
        break;
    }
}

// ---- Receipts ----

namespace {

std::string ReceiptPatient() {
    TTable* header = Module().Temp1Table;
    if (!header->Active() || header->IsEmpty())
        return "";
    return TrimBlanks(Text(header, "PatID"));
}

void ReceiptOrder(TLookupListForm& List) {
    Module().SalesXbase->SetScope("", "");
    List.SortComboBox->SetText("Receipt");
    List.setOrder("Receipt", true);
}

}  // namespace

void receiptListStart(TLookupListForm& List) {
    if (ReceiptPatient().empty()) {
        ReceiptOrder(List);
        return;
    }
    List.SortComboBox->SetText("Account");
    receiptListSort(List, "Account");
}

bool receiptListSort(TLookupListForm& List, const std::string& Text) {
    std::string upper = Text;
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "ACCOUNT") {
        const std::string patient = ReceiptPatient();
        if (patient.empty()) {
            MessageDlg(SReceiptSortNeedsPatient, mtInformation, {mbOK});
            ReceiptOrder(List);
            return false;
        }
        List.Table()->SetIndexName("PatID");
        Module().SalesXbase->SetScope(AppUtils::PadLeft(patient, 10), AppUtils::PadLeft(patient, 10));
        List.Table()->First();
        return true;
    }
    if (upper == "RECEIPT") {
        ReceiptOrder(List);
        return true;
    }
    return false;
}

void receiptListClosing(TLookupListForm&) {
    if (Module().SalesTable->Active())
        Module().SalesXbase->SetScope("", "");
}

// ---- Select ----

void selectPatientIntoReceipt(TLookupListForm& List) {
    TDataModule1& module = Module();
    TTable* patient = List.Table();
    TTable* header = module.Temp1Table;
    header->Edit();
    Copy(patient, "ID", header, "PATID");
    for (const char* field : {"Name", "Addr", "City", "State", "Zip"})
        Copy(patient, field, header, field);
    header->FieldByName("BillInsur")->SetAsBoolean(patient->FieldByName("BillInsur")->AsBoolean());
    header->FieldByName("Terms")->SetAsInteger(patient->FieldByName("Terms")->AsInteger());
    const std::string key = AppUtils::PadLeft(TrimBlanks(Text(patient, "ID")), 10);
    module.IncidentXbase->SetScope(key, key);
    module.IncidentXbase->GoBottom();
    if (!module.IncidentTable->IsEmpty())
        Copy(module.IncidentTable, "ID", header, "Incident");
    module.IncidentXbase->SetScope("", "");
    header->Post();
    List.Close();
}

void selectPatientForPayment(TLookupListForm& List) {
    if (listSelection().AddBalancesDue)
        listSelection().AddBalancesDue();
    List.Close();
}

void selectPatientIntoClaim(TLookupListForm& List) {
    TDataModule1& module = Module();
    TTable* patient = List.Table();
    TTable* claim = module.InsTable;
    claim->Edit();
    claim->FieldByName("Pat_ID")->SetAsInteger(patient->FieldByName("ID")->AsInteger());
    const std::string hcfaName = TrimBlanks(Text(patient, "HCFAPName"));
    claim->FieldByName("Pat_Name")->SetAsString(hcfaName.empty() ? Text(patient, "RecName") : hcfaName);
    const std::pair<const char*, const char*> fields[] = {{"HCFAPAddr", "Pat_Addrs"}, {"HCFAPCity", "Pat_City"},
                                                          {"HCFAPState", "Pat_State"}, {"HCFAPZip", "Pat_Zip"},
                                                          {"Sex", "Pat_Sex"},          {"Phone1", "Pat_Phone"}};
    for (const auto& [from, to] : fields)
        Copy(patient, from, claim, to);
    TField* birth = patient->FieldByName("BirthDate");
    if (TrimBlanks(birth->AsString()).empty() || birth->IsNull())
        claim->FieldByName("Pat_Birth")->Clear();
    else
        claim->FieldByName("Pat_Birth")->SetAsDateTime(birth->AsDateTime());
    claim->FieldByName("AcptAssign")->SetAsBoolean(patient->FieldByName("AcptAssign")->AsBoolean());
    module.InsXbase->Commit();
    List.Close();
}

void selectReceiptNumber(TLookupListForm& List) {
    listSelection().SelectedReceipt = AppUtils::PadLeft(TrimBlanks(Text(List.Table(), "Receipt")), 10);
    List.Close();
}

void selectPaymentID(TLookupListForm& List) {
    listSelection().SelectedPaymentID = Text(List.Table(), "ID");
    List.Close();
}

void selectDepositID(TLookupListForm& List) {
    listSelection().SelectedDepositID = Text(List.Table(), "ID");
    List.Close();
}

namespace {

void CopyCarrier(TTable* Carrier, TTable* Target) {
    Target->Edit();
    const std::pair<const char*, const char*> fields[] = {{"Name", "Car_Name"},   {"Addr", "Car_Addr1"},
                                                          {"Addr2", "Car_Addr2"}, {"City", "Car_City"},
                                                          {"State", "Car_State"}, {"Zip", "Car_Zip"},
                                                          {"Phone", "Car_Phone"}};
    for (const auto& [from, to] : fields)
        Copy(Carrier, from, Target, to);
}

}  // namespace

void selectCarrierIntoClaim(TLookupListForm& List) {
    CopyCarrier(List.Table(), Module().InsTable);
    List.Close();
}

void selectCarrierIntoPatient(TLookupListForm& List) {
    CopyCarrier(List.Table(), Module().PatientTable);
    List.Close();
}

void selectItemIntoReceiptLine(TLookupListForm& List) {
    TTable* item = List.Table();
    TTable* line = Module().Temp2Table;
    line->Edit();
    Copy(item, "ID", line, "Code");
    Copy(item, "Desc", line, "Desc");
    line->FieldByName("Price")->SetAsFloat(item->FieldByName("Sell")->AsFloat());
    line->FieldByName("Tax")->SetAsBoolean(item->FieldByName("Taxed")->AsBoolean());
    List.Close();
}

TListSelection& listSelection() {
    static TListSelection selection;
    return selection;
}
