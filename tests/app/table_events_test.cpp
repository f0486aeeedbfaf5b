// The data module's table events besides numbering: a new patient's
// defaults, full-text key and first exam; the lock test before editing;
// cleaning and sentinels on opening; defaults of new records; the claim's
// service-line cap and charge; the scratch tables' row limits, totals and
// unsaved-changes flag; the calculated fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "app/ScratchTables.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "os/Paths.h"
#include "data/DataSource.h"
#include "data/Fields.h"
#include "support/ChildProcess.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"

namespace {

using CompanyFixture::Row;

class TableEventsTest : public ModuleTest {
protected:
    // The record numbers the full-text index finds for Text.
    std::vector<int> ftsMatches(const std::string& Text) {
        TFts fts(nullptr);
        std::vector<int> found;
        if (fts.Open(company.File("Patient.ia"), 20, 0) != 0)
            return {-1};
        if (fts.Set(Text) == 1)
            for (int n = fts.NextRec(); n >= 1; n = fts.NextRec())
                found.push_back(n);
        fts.Close();
        return found;
    }
    // The scratch table made anew and opened, as its form does.
    void openScratch(TTable* Table, TXbase* Engine, const TTableSchema& Layout) {
        Table->Close();
        ASSERT_TRUE(ScratchTables::Recreate(Engine, Layout));
        Table->Open();
    }
    static std::vector<std::string> texts(const TDialogScript& Script) {
        std::vector<std::string> shown;
        for (const TDialogRequest& request : Script.Shown())
            shown.push_back(request.Text);
        return shown;
    }
};

}  // namespace

// ---------------------------------------------------------------------------
// A new patient

TEST_F(TableEventsTest, APatientAppendedToAnEmptyTableGetsNumberOneItsDefaultsFirstExamAndKey) {
    makeFullTextIndex();
    TDialogScript script;
    open();
    TTable* patients = module->PatientTable;
    patients->Append();

    EXPECT_EQ(patients->State(), dsEdit);
    EXPECT_EQ(patients->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(patients->FieldByName("RECNAME")->AsString(), "<new>");
    EXPECT_EQ(patients->FieldByName("INCIDENT")->AsInteger(), 1);
    for (const char* flag : {"BILLINSUR", "ACPTASSIGN", "PATSIGONFI", "PAT_EMPLYD", "INSSIGONFI"}) {
        EXPECT_FALSE(patients->FieldByName(flag)->IsNull()) << flag;
        EXPECT_FALSE(patients->FieldByName(flag)->AsBoolean()) << flag;
    }
    const std::pair<const char*, const char*> phones[] = {
        {"PHONE1DESC", "Home"}, {"PHONE2DESC", "Work"}, {"PHONE3DESC", "Phone3"}, {"PHONE4DESC", "Phone4"}};
    for (const auto& [field, text] : phones)
        EXPECT_EQ(patients->FieldByName(field)->AsString(), text);

    // All of it is in the file already, before any post.
    withTable("Patient.dbf", [&] {
        xb_Go(1);
        EXPECT_STREQ(xb_GetTrimString("PHONE4DESC"), "Phone4");
        EXPECT_EQ(std::atoi(xb_GetString("INCIDENT")), 1);
    });
    withTable("Incident.dbf", [&] {
        xb_SetOrder(xb_TagArea("ID"));
        EXPECT_NE(xb_Seek("         1   1"), 0);
    });
    EXPECT_EQ(ftsMatches("NEW"), std::vector<int>{1});
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(TableEventsTest, AFullTextIndexMissingOrDamagedIsReportedAndThePatientStillSaved) {
    struct Case {
        const char* name;
        const char* content;  // nullptr: no file
    } cases[] = {{"missing", nullptr}, {"damaged", "not an index at all"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        os::DeleteFile(company.File("Patient.ia"));
        if (c.content)
            std::ofstream(company.File("Patient.ia")) << c.content;
        TDialogScript script;
        script.Answer(mrOk);
        open();
        module->PatientTable->Append();
        EXPECT_EQ(texts(script), std::vector<std::string>{"IA Index did not open!"});
        EXPECT_EQ(module->PatientTable->State(), dsEdit);
        module->PatientTable->Post();
        const auto number = static_cast<long long>(module->LastPatientID);
        EXPECT_EQ(numbersOf("Patient.dbf", "ID").back(), number);
        EXPECT_EQ(numbersOf("Incident.dbf", "ACCOUNT").back(), number);
        module->CloseFiles();
    }
}

TEST_F(TableEventsTest, DeletingAPatientDeletesItsFullTextKey) {
    makeFullTextIndex();
    TDialogScript script;
    open();
    for (const char* name : {"SMITH", "JONES"}) {
        module->PatientTable->Append();
        module->PatientTable->FieldByName("RECNAME")->SetAsString(name);
        module->PatientTable->Post();
    }
    ASSERT_EQ(ftsMatches("NEW"), (std::vector<int>{1, 2}));
    ASSERT_TRUE(module->Xbase1->Seek("1"));
    module->PatientTable->Delete();
    EXPECT_EQ(ftsMatches("NEW"), std::vector<int>{2});
    EXPECT_TRUE(script.Shown().empty());
}

// ---------------------------------------------------------------------------
// Record locks

TEST_F(TableEventsTest, ARecordAnotherWorkstationHoldsIsNotEdited) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf", {{{"ID", "1"}, {"RECNAME", "HELD"}}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf", {{{"ACCOUNT", "1"}, {"ID", "1"}}});
    const std::string folder = company.DataDirectory();
    ChildProcess other([&](ChildProcess& self) {
        for (const char* file : {"/Patient.dbf", "/Incident.dbf"}) {
            if (xb_Use((folder + file).c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0 || !xb_Rlock(1))
                throw std::runtime_error("cannot hold the record");
        }
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    {
        TDialogScript script;
        open();
    }
    struct Case {
        TTable* table;
        TXbase* engine;
    } cases[] = {{module->PatientTable, module->Xbase1}, {module->IncidentTable, module->IncidentXbase}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table->Name());
        c.engine->Go(1);
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_THROW(c.table->Edit(), EAbort);
        EXPECT_EQ(texts(script), std::vector<std::string>{"This record currently locked by another user!"});
        EXPECT_EQ(c.table->State(), dsBrowse);
    }
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
    module->PatientTable->Edit();  // free again
    EXPECT_EQ(module->PatientTable->State(), dsEdit);
}

// ---------------------------------------------------------------------------
// Opening

TEST_F(TableEventsTest, OpeningDeletesLeadingPatientsWithoutANumberAndTakesTheLastNumber) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf",
                               {{{"ID", "0"}}, {{"ID", "5"}}, {{"ID", "0"}}, {{"ID", "2"}}});
    makeFullTextIndex(4);
    TDialogScript script;
    open();
    EXPECT_EQ(module->LastPatientID, 5);
    EXPECT_EQ(module->PatientTable->FieldByName("ID")->AsInteger(), 2);  // on the first record
    std::vector<long long> shown;
    for (module->PatientTable->First(); !module->PatientTable->Eof(); module->PatientTable->Next())
        shown.push_back(module->PatientTable->FieldByName("ID")->AsInteger());
    EXPECT_EQ(shown, (std::vector<long long>{2, 5}));
    EXPECT_EQ(numbersOf("Patient.dbf", "ID").size(), 4u);  // deleted, not removed
    // Their full-text keys went with them.
    EXPECT_TRUE(ftsMatches("PATIENT1").empty());
    EXPECT_TRUE(ftsMatches("PATIENT3").empty());
    EXPECT_EQ(ftsMatches("PATIENT2"), std::vector<int>{2});
}

// A patient without a number may be one another workstation is appending:
// while that one holds the append lock, the opening deletes nothing.
TEST_F(TableEventsTest, OpeningLeavesAPatientAnotherWorkstationIsAppending) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf", {{{"ID", "0"}}});
    const std::string patients = company.File("Patient.dbf");
    ChildProcess other([&](ChildProcess& self) {
        if (xb_Use(patients.c_str(), "", XB_SHARED, XB_DRIVER_NSX) == 0 || !xb_AppendLock())
            throw std::runtime_error("cannot hold the append lock");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(other.Receive());
    TDialogScript script;
    open();
    EXPECT_EQ(module->PatientTable->RecordCount(), 1);
    other.Send();
    EXPECT_EQ(other.Wait(), 0);
}

TEST_F(TableEventsTest, OpeningAddsTheExamAndRecallSentinelsOnce) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Incident.dbf",
                               {{{"ACCOUNT", "0"}, {"ID", "0"}}, {{"ACCOUNT", "3"}, {"ID", "1"}}});
    for (int opening = 1; opening <= 2; ++opening) {
        SCOPED_TRACE(opening);
        TDialogScript script;
        open();
        module->RecallTable->Open();
        module->RecallTable->Close();
        module->CloseFiles();
        EXPECT_EQ(numbersOf("Incident.dbf", "ACCOUNT"), (std::vector<long long>{0, 3, 9999999999LL}));
        EXPECT_EQ(numbersOf("Incident.dbf", "ID"), (std::vector<long long>{0, 1, 9999}));
        EXPECT_EQ(numbersOf("Recall.dbf", "PATIENTID"), std::vector<long long>{9999999999LL});
    }
    withTable("Incident.dbf", [&] {
        xb_Go(1);
        EXPECT_NE(xb_Deleted(), 0);  // the leading exam without a number
    });
    withTable("Recall.dbf", [&] {
        xb_Go(1);
        EXPECT_STREQ(xb_GetString("DATE"), "29990101");
    });
}

TEST_F(TableEventsTest, WithoutTheirIndexFilesNoSentinelIsAdded) {
    TDialogScript script;
    open();
    // Gone after the open, which would have rebuilt it.
    os::DeleteFile(company.File("Recall.nsx"));
    module->RecallTable->Open();
    EXPECT_TRUE(numbersOf("Recall.dbf", "PATIENTID").empty());
}

// ---------------------------------------------------------------------------
// Defaults of new records

TEST_F(TableEventsTest, NewRecordsTakeTheirTablesDefaults) {
    TDialogScript script;
    open();
    openScratch(module->Temp1Table, module->Temp1Xbase, ScratchTables::Temp1());
    openScratch(module->Temp2Table, module->Temp2Xbase, ScratchTables::Temp2());
    struct Case {
        TTable* table;
        std::vector<const char*> falseFlags;
        std::vector<const char*> untouched;
    } cases[] = {
        {module->IncidentTable, {"COND_EMPL", "COND_AUTO", "COND_ACCID"}, {}},
        {module->InsTable, {"COND_EMPL", "COND_AUTO", "COND_ACCID", "PAT_EMPLYD", "PATSIGONFI", "INSSIGONFI"}, {}},
        {module->ItemTable, {"CTRLITEM", "TAXED", "CONSIGN"}, {}},
        {module->Temp1Table, {"BillInsur"}, {}},
        {module->Temp2Table,
         {"STRAIT_TOP", "ROUND_SEG", "TRIFOCAL", "BLENDED", "PROGRESSIV", "EXECUTIVE", "UV_PROTECT", "SCRATCH_CT",
          "HIGH_INDEX", "ANTI_REFLC", "PGX", "TRANSITION", "CL_DW", "CL_EW", "CL_GP", "CL_DISP", "CL_TORIC", "CL_INS",
          "CL_TRAIN", "CL_WRNTY"},
         {"GLASS", "PLASTIC"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table->Name());
        c.table->Append();
        for (const char* flag : c.falseFlags) {
            EXPECT_FALSE(c.table->FieldByName(flag)->IsNull()) << flag;
            EXPECT_FALSE(c.table->FieldByName(flag)->AsBoolean()) << flag;
        }
        for (const char* field : c.untouched)
            EXPECT_TRUE(c.table->FieldByName(field)->IsNull()) << field;
        c.table->Post();
    }
    // The claim and the item are written with their defaults at once.
    EXPECT_EQ(numbersOf("Ins.dbf", "ID").size(), 1u);
    withTable("Item.dbf", [&] {
        xb_GoTop();
        EXPECT_STREQ(xb_GetString("CTRLITEM"), "F");
    });
}

TEST_F(TableEventsTest, AClaimTakesSixServiceLinesAtMost) {
    CompanyFixture::AppendRows(company.DataDirectory(), "InsDtl.dbf", {{{"ID", "2"}}});  // another claim's
    TDialogScript script;
    open();
    module->InsDetailXbase->SetScope("1", "1");
    for (int line = 1; line <= 6; ++line) {
        module->InsDetailTable->Append();
        module->InsDetailTable->FieldByName("ID")->SetAsInteger(1);
        module->InsDetailTable->Post();
    }
    module->InsDetailTable->Append();  // the seventh
    EXPECT_EQ(module->InsDetailTable->State(), dsBrowse);
    EXPECT_EQ(module->InsDetailXbase->Count(), 6);
    EXPECT_EQ(numbersOf("InsDtl.dbf", "ID"), (std::vector<long long>{2, 1, 1, 1, 1, 1, 1}));
}

// ---------------------------------------------------------------------------
// Scratch tables

TEST_F(TableEventsTest, GridRowLimitsRefuseTheRowBeyondThem) {
    TDialogScript script;
    open();
    openScratch(module->Temp3Table, module->Temp3Xbase, ScratchTables::Temp3());
    module->Temp3Table->Append();
    module->Temp3Table->Post();
    openScratch(module->Temp4Table, module->Temp4Xbase, ScratchTables::Temp4());
    openScratch(module->Temp6Table, module->Temp6Xbase, ScratchTables::Temp6());

    module->Temp4RowLimit = 2;
    module->Temp6RowLimit = 2;
    for (int row = 1; row <= 2; ++row) {
        module->Temp4Table->Append();
        module->Temp4Table->Post();
        module->Temp6Table->Append();
        module->Temp6Table->Post();
    }
    EXPECT_THROW(module->Temp4Table->Append(), EAbort);
    module->Temp6Table->Append();
    EXPECT_EQ(module->Temp6Table->State(), dsBrowse);
    EXPECT_EQ(module->Temp4Xbase->RecCount(), 2);
    EXPECT_EQ(module->Temp6Xbase->RecCount(), 2);

    // 0: no limit.
    module->Temp4RowLimit = 0;
    module->Temp6RowLimit = 0;
    module->Temp4Table->Append();
    module->Temp4Table->Post();
    module->Temp6Table->Append();
    module->Temp6Table->Post();
    EXPECT_EQ(module->Temp4Xbase->RecCount(), 3);
    EXPECT_EQ(module->Temp6Xbase->RecCount(), 3);
}

// Payments applied in the distribution grid add up in the header: receipts
// with a balance into the total paid, credits into the credit applied.
TEST_F(TableEventsTest, AppliedPaymentsAddUpInThePaymentHeader) {
    TDialogScript script;
    open();
    openScratch(module->Temp3Table, module->Temp3Xbase, ScratchTables::Temp3());
    module->Temp3Table->Append();
    module->Temp3Table->FieldByName("BALANCE")->SetAsFloat(100);
    module->Temp3Table->FieldByName("CREDIT")->SetAsFloat(20);
    module->Temp3Table->Post();
    EXPECT_EQ(module->Temp3Table->FieldByName("NetBalDue")->AsCurrency(), Currency(80));

    openScratch(module->Temp4Table, module->Temp4Xbase, ScratchTables::Temp4());
    for (double balance : {100.0, -20.0, 0.0}) {
        module->Temp4Table->Append();
        module->Temp4Table->FieldByName("BALANCE")->SetAsFloat(balance);
        module->Temp4Table->Post();
    }
    module->TotalDistribution = 0;

    struct Step {
        int row;
        double payment;
        double totalPaid, creditApplied;
    } steps[] = {
        {1, 30, 30, 0},        // a receipt with a balance
        {1, 50.25, 50.25, 0},  // the same row again: only the difference counts
        {2, -5, 50.25, 5},     // a credit row: its credit is applied
        {3, 7, 50.25, 5},      // a row with nothing due changes neither
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.payment);
        module->Temp4Xbase->Go(s.row);
        module->Temp4Table->Edit();
        module->Temp4Table->FieldByName("PAYMENT")->SetAsFloat(s.payment);
        module->Temp4Table->Post();
        EXPECT_DOUBLE_EQ(module->Temp3Table->FieldByName("TOTALPAID")->AsFloat(), s.totalPaid);
        EXPECT_DOUBLE_EQ(module->Temp3Table->FieldByName("CREDITAPP")->AsFloat(), s.creditApplied);
    }
    EXPECT_EQ(module->TotalDistribution, 502500);
}

TEST_F(TableEventsTest, EveryChangeOfTheReceiptsScratchTablesMarksTheReceiptChanged) {
    TDialogScript script;
    open();
    openScratch(module->Temp1Table, module->Temp1Xbase, ScratchTables::Temp1());
    openScratch(module->Temp2Table, module->Temp2Xbase, ScratchTables::Temp2());
    for (TTable* table : {module->Temp1Table, module->Temp2Table}) {
        SCOPED_TRACE(table->Name());
        table->Append();
        table->Post();
        module->ReceiptChanged = false;
        table->Edit();
        table->FieldByName(table == module->Temp1Table ? "Name" : "Desc")->SetAsString("changed");
        EXPECT_TRUE(module->ReceiptChanged);
        table->Post();
    }
}

// The claim dialog hears every change of a service row's charge, with the
// charge as it was before the typed one.
TEST_F(TableEventsTest, TypingAChargeKeepsThePreviousOneAndAsksForTheClaimsCharges) {
    CompanyFixture::AppendRows(company.DataDirectory(), "InsDtl.dbf", {{{"ID", "1"}, {"CHARGE", "10.00"}}});
    TDialogScript script;
    open();
    std::vector<Currency> seen;
    TField* charge = module->InsDetailTable->FieldByName("CHARGE");
    module->CalcCharges = [&] { seen.push_back(module->PreviousCharge); };

    charge->SetText("25.50");
    EXPECT_EQ(module->InsDetailTable->State(), dsEdit);
    EXPECT_EQ(charge->AsCurrency(), Currency(25.5));
    EXPECT_EQ(seen, std::vector<Currency>{Currency(10)});
    module->InsDetailTable->Post();

    module->CalcCharges = nullptr;  // no claim dialog: nothing to ask
    charge->SetText("30");
    EXPECT_EQ(module->PreviousCharge, Currency(25.5));
    EXPECT_EQ(charge->AsCurrency(), Currency(30));
}

// ---------------------------------------------------------------------------
// Calculated fields

TEST_F(TableEventsTest, CalculatedFieldsOfAccountsAndClaims) {
    CompanyFixture::AppendRows(company.DataDirectory(), "Ins.dbf",
                               {{{"ID", "1"}, {"PAT_SEX", "Male"}, {"PAT_BIRTH", "19750506"}},
                                {{"ID", "2"}, {"PAT_SEX", "Female"}},
                                {{"ID", "3"}}});
    withTable("Acct.dbf", [&] {
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            xb_Replace("BALANCE", XB_REPLACE_TEXT, std::to_string(xb_RecNo() * 10).c_str());
        xb_Commit();
    });
    TDialogScript script;
    open();

    TTable* accounts = module->AccountTable;
    for (accounts->First(); !accounts->Eof(); accounts->Next()) {
        const std::string name = Trim(accounts->FieldByName("NAME")->AsString());
        SCOPED_TRACE(name);
        TField* balance = accounts->FieldByName("CalcBalance");
        if (name == "Sales") {
            EXPECT_TRUE(balance->IsNull());
        } else {
            EXPECT_EQ(balance->AsFloat(), accounts->FieldByName("BALANCE")->AsFloat());
        }
    }

    struct Case {
        int id;
        const char* male;
        const char* female;
        const char* birthYear;
    } cases[] = {{1, "X", "", "75"}, {2, "", "X", ""}, {3, "", "", ""}};
    TTable* claims = module->InsTable;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        module->InsXbase->Go(c.id);
        EXPECT_EQ(claims->FieldByName("PAT_SexMale")->AsString(), c.male);
        EXPECT_EQ(claims->FieldByName("PAT_SexFemale")->AsString(), c.female);
        EXPECT_EQ(claims->FieldByName("Pat_BirthYear")->AsString(), c.birthYear);
    }
}
