// Numbering new records through the data module's tables: the next number
// of the number tag, taken and written under the table's append lock, never a
// deleted record's number, never one number for two workstations; the receipt
// log line of every new receipt.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ModuleFixture.h"
#include "app/ReceiptLog.h"
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

std::string ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct NumberedTable {
    const char* file;
    const char* numberField;
    TQmTable* TDataModule1::*table;
    TXbase* TDataModule1::*engine;
    // The new record is written at once (by the commit of the new-record
    // event); the others are written, and the lock let go, when posted.
    bool writtenAtOnce;
    // A field the new record gets and its text ("" for none).
    const char* defaultField;
    const char* defaultText;
};

const NumberedTable NumberedTables[] = {
    {"Patient.dbf", "ID", &TDataModule1::PatientTable, &TDataModule1::Xbase1, true, "RECNAME", "<new>"},
    {"Sales.dbf", "RECEIPT", &TDataModule1::SalesTable, &TDataModule1::SalesXbase, true, "", ""},
    {"Pymt.dbf", "ID", &TDataModule1::PaymentTable, &TDataModule1::PaymentXbase, true, "", ""},
    {"Deposit.dbf", "ID", &TDataModule1::DepositTable, &TDataModule1::DepositXbase, true, "", ""},
    // The claim posts itself after the insert, to keep its defaults.
    {"Ins.dbf", "ID", &TDataModule1::InsTable, &TDataModule1::InsXbase, true, "PAT_NAME", "<new>"},
    {"Acct.dbf", "ID", &TDataModule1::AccountTable, &TDataModule1::AccountXbase, false, "NAME", "<new>"},
    {"Ledger.dbf", "ID", &TDataModule1::LedgerTable, &TDataModule1::LedgerXbase, false, "", ""},
    {"Personne.dbf", "ID", &TDataModule1::PersonnelTable, &TDataModule1::PersonnelXbase, false, "RECNAME", "<new>"},
    {"InsComp.dbf", "ID", &TDataModule1::InsCompTable, &TDataModule1::InsCompXbase, false, "NAME", "<new>"},
};

class NumberingTest : public ModuleTest {};

}  // namespace

// Each numbered table: numbers follow the last of the number tag, also past
// a deleted last record and another workstation's append; the append lock is
// held exactly until the new record is in the file with its number.
TEST_F(NumberingTest, NewRecordsTakeTheNextNumberUnderTheAppendLock) {
    for (const NumberedTable& c : NumberedTables) {
        if (std::string(c.file) == "Acct.dbf")
            continue;  // holds the default chart; filled below
        CompanyFixture::AppendRows(company.DataDirectory(), c.file,
                                   {{{c.numberField, "7"}}, {{c.numberField, "3"}}, {{c.numberField, "9"}}});
        CompanyFixture::DeleteRecords(company.DataDirectory(), c.file, {3});
    }
    CompanyFixture::AppendRows(company.DataDirectory(), "Acct.dbf", {{{"ID", "9"}}});
    CompanyFixture::DeleteRecords(company.DataDirectory(), "Acct.dbf", {9});
    makeFullTextIndex();
    TDialogScript script;
    open();

    for (const NumberedTable& c : NumberedTables) {
        SCOPED_TRACE(c.file);
        TTable* table = module.get()->*c.table;
        const size_t before = numbersOf(c.file, c.numberField).size();

        table->Append();
        EXPECT_EQ(table->FieldByName(c.numberField)->AsInteger(), 10);  // not the deleted 9 again
        if (*c.defaultField) {
            EXPECT_EQ(table->FieldByName(c.defaultField)->AsString(), c.defaultText);
        }
        EXPECT_EQ(appendLockFree(c.file), c.writtenAtOnce);
        table->Post();
        EXPECT_TRUE(appendLockFree(c.file));

        // Another workstation appends 11 meanwhile.
        withTable(c.file, [&] {
            ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
            ASSERT_NE(xb_Replace(c.numberField, XB_REPLACE_TEXT, "11"), 0);
            xb_Commit();
        });
        table->Append();
        table->Post();
        std::vector<long long> numbers = numbersOf(c.file, c.numberField);
        ASSERT_EQ(numbers.size(), before + 3);
        EXPECT_EQ(numbers[before], 10);
        EXPECT_EQ(numbers.back(), 12);
        EXPECT_TRUE(appendLockFree(c.file));
    }
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(NumberingTest, AnEmptyTableStartsAtOne) {
    makeFullTextIndex();
    TDialogScript script;
    open();
    for (const NumberedTable& c : NumberedTables) {
        if (std::string(c.file) == "Acct.dbf")
            continue;
        SCOPED_TRACE(c.file);
        TTable* table = module.get()->*c.table;
        table->Append();
        table->Post();
        EXPECT_EQ(numbersOf(c.file, c.numberField), std::vector<long long>{1});
    }
    // A claim is dated the day it is made.
    EXPECT_EQ(module->InsTable->FieldByName("DATE")->AsDateTime(), Date());
}

TEST_F(NumberingTest, CancellingClosingOrFailingLetsTheAppendLockGo) {
    TDialogScript script;
    open();
    TTable* accounts = module->AccountTable;
    accounts->Append();
    ASSERT_FALSE(appendLockFree("Acct.dbf"));
    accounts->Cancel();
    EXPECT_TRUE(appendLockFree("Acct.dbf"));

    accounts->Append();
    accounts->Close();
    EXPECT_TRUE(appendLockFree("Acct.dbf"));
    EXPECT_EQ(numbersOf("Acct.dbf", "ID").size(), 8u);

    // A new patient whose first exam cannot be made: the failure reaches
    // the caller, the lock does not stay behind.
    makeFullTextIndex();
    module->IncidentTable->Close();
    EXPECT_THROW(module->PatientTable->Append(), Exception);
    EXPECT_EQ(module->PatientTable->State(), dsBrowse);
    EXPECT_TRUE(appendLockFree("Patient.dbf"));
}

// A workstation that keeps the claims table's append lock: the other's new
// claim is abandoned after the lock time-out with the message, and nothing
// is written; once the holder's process is gone, the next insert proceeds.
TEST_F(NumberingTest, AnotherHolderOfTheAppendLockAbandonsTheInsert) {
    const std::string folder = company.DataDirectory();
    ChildProcess holder([&](ChildProcess& self) {
        TComponent owner(nullptr);
        auto* table = new TTable(&owner);
        table->SetDatabaseName(folder);
        table->SetTableType(ttSXNSX);
        table->SetTableName("INS.DBF");
        auto* source = new TDataSource(&owner);
        source->SetDataSet(table);
        auto* engine = new TXbase(&owner);
        engine->SetDataSource(source);
        table->Open();
        if (!engine->lockAppend())
            throw std::runtime_error("cannot take the append lock");
        self.Send();
        self.Receive();
    });
    ASSERT_TRUE(holder.Receive());
    TDialogScript script;
    open();

    try {
        module->InsTable->Append();
        ADD_FAILURE() << "the claim was made";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Record locked by another user.");
    }
    EXPECT_EQ(module->InsTable->State(), dsBrowse);
    EXPECT_TRUE(numbersOf("Ins.dbf", "ID").empty());

    holder.KillHard();
    holder.Wait();
    module->InsTable->Append();
    EXPECT_EQ(module->InsTable->FieldByName("ID")->AsInteger(), 1);
    EXPECT_EQ(numbersOf("Ins.dbf", "ID"), std::vector<long long>{1});
}

// ---------------------------------------------------------------------------
// The receipt log

TEST_F(NumberingTest, LogLinesGiveTheTimeOnTheTwelveHourClock) {
    const std::string savedFormat = ShortDateFormat;
    ShortDateFormat = "mm/dd/yyyy";
    struct Case {
        int hour, minute, second;
        const char* line;
    } cases[] = {
        {0, 0, 0, "S  03/15/2006 12:00:00 AM  1  41   41\r\n"},
        {9, 7, 3, "S  03/15/2006 9:07:03 AM  1  41   41\r\n"},
        {12, 30, 5, "S  03/15/2006 12:30:05 PM  1  41   41\r\n"},
        {23, 59, 59, "S  03/15/2006 11:59:59 PM  1  41   41\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReceiptLog::Line(EncodeDate(2006, 3, 15) + EncodeTime(c.hour, c.minute, c.second, 0), 41, 41),
                  c.line);
    ShortDateFormat = savedFormat;
}

TEST_F(NumberingTest, EachNewReceiptAppendsItsLineToTheLog) {
    std::vector<Row> receipts;
    for (int n = 1; n <= 41; ++n)
        receipts.push_back({{"RECEIPT", std::to_string(n)}});
    CompanyFixture::AppendRows(company.DataDirectory(), "Sales.dbf", receipts);
    TDialogScript script;
    open();

    for (int i = 0; i < 2; ++i) {
        module->SalesTable->Append();
        module->SalesTable->Post();
    }
    const std::string log = ReadFile(company.File("log.txt"));
    EXPECT_TRUE(std::regex_match(log, std::regex("S  \\S+ \\S+ [AP]M  1  41   41\r\nS  \\S+ \\S+ [AP]M  1  42   42\r\n")))
        << log;
}

TEST_F(NumberingTest, ALogThatCannotBeWrittenIsReportedAndTheReceiptKeepsItsNumber) {
    ASSERT_TRUE(os::ForceDirectories(company.File("log.txt")));
    TDialogScript script;
    script.Answer(mrOk);
    open();
    module->SalesTable->Append();
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Unable to write to " + company.File("log.txt"));
    EXPECT_EQ(module->SalesTable->State(), dsEdit);
    module->SalesTable->Post();
    EXPECT_EQ(numbersOf("Sales.dbf", "RECEIPT"), std::vector<long long>{1});
}

// ---------------------------------------------------------------------------
// Two workstations at once

namespace {

constexpr int PerWorkstation = 300;

// The name of a workstation's n-th patient: a word no other name begins with.
std::string PatientName(char Who, int N) {
    char name[16];
    std::snprintf(name, sizeof name, "W%c%03dX", Who, N);
    return name;
}

// Appends to Table; an insert refused because the other workstation kept
// the append lock past the time-out (a slow disk) is tried again, as the
// user would.
void AppendRetrying(TTable* Table) {
    for (;;) {
        try {
            Table->Append();
            return;
        } catch (const EDatabaseError& e) {
            if (e.Message() != "Record locked by another user.")
                throw;
        }
    }
}

// One workstation: its own data module on the company, adding patients and
// receipts in turn. A patient is named and stored as the patient form does,
// its full-text key replaced by record number.
void AddPatientsAndReceipts(ChildProcess& Self, const std::string& Folder, char Who) {
    TDataModule1 module(nullptr, nullptr);
    DataModule1 = &module;
    module.ChangeDataDirectory(Folder);
    Self.Send();
    Self.Receive();
    const std::string index = Folder + "/Patient.ia";
    for (int i = 0; i < PerWorkstation; ++i) {
        AppendRetrying(module.PatientTable);
        module.PatientTable->FieldByName("RECNAME")->SetAsString(PatientName(Who, i));
        module.PatientTable->Post();
        if (module.Fts1->Open(index, 20, 0) != 0 ||
            module.Fts1->Replace(patientFtsKey(module.Xbase1), module.Xbase1->RecNo()) < 0)
            throw std::runtime_error("full-text key not replaced");
        module.Fts1->Close();
        AppendRetrying(module.SalesTable);
        module.SalesTable->Post();
    }
    module.CloseFiles();
}

}  // namespace

TEST_F(NumberingTest, TwoWorkstationsAddingAtOnceNeverShareANumber) {
    makeFullTextIndex();
    const std::string folder = company.DataDirectory();
    // Both open the company one after the other, then add at the same time.
    // Each workstation has its data module alone, as a program has.
    module.reset();
    ChildProcess first([&](ChildProcess& self) { AddPatientsAndReceipts(self, folder, 'A'); });
    ASSERT_TRUE(first.Receive());
    ChildProcess second([&](ChildProcess& self) { AddPatientsAndReceipts(self, folder, 'B'); });
    ASSERT_TRUE(second.Receive());
    first.Send();
    second.Send();
    ASSERT_EQ(first.Wait(), 0);
    ASSERT_EQ(second.Wait(), 0);

    std::vector<long long> expected;
    for (int n = 1; n <= 2 * PerWorkstation; ++n)
        expected.push_back(n);
    EXPECT_EQ(numbersOf("Patient.dbf", "ID"), expected);  // record n holds patient n
    std::vector<long long> receipts = numbersOf("Sales.dbf", "RECEIPT");
    std::sort(receipts.begin(), receipts.end());
    EXPECT_EQ(receipts, expected);

    // One first exam per patient, beside the exam sentinel.
    std::vector<long long> accounts = numbersOf("Incident.dbf", "ACCOUNT");
    std::sort(accounts.begin(), accounts.end());
    expected.push_back(9999999999LL);
    EXPECT_EQ(accounts, expected);

    // Key n of the full-text index is patient record n.
    std::vector<std::string> names;
    withTable("Patient.dbf", [&] {
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            names.push_back(xb_GetTrimString("RECNAME"));
    });
    TFts fts(nullptr);
    ASSERT_EQ(fts.Open(company.File("Patient.ia"), 20, 0), 0);
    EXPECT_EQ(fts.NumRecs(), 2 * PerWorkstation);
    for (size_t n = 1; n <= names.size(); ++n) {
        ASSERT_EQ(fts.Set(names[n - 1]), 1) << n;
        EXPECT_EQ(fts.NextRec(), static_cast<int>(n)) << names[n - 1];
    }
    fts.Close();

    std::istringstream log(ReadFile(company.File("log.txt")));
    int lines = 0;
    for (std::string line; std::getline(log, line); ++lines)
        EXPECT_TRUE(std::regex_match(line, std::regex("S  \\S+ \\S+ [AP]M  1  \\d+   \\d+\r"))) << line;
    EXPECT_EQ(lines, 2 * PerWorkstation);
}
