// Saving receipts beside SQLite: 1,000 new receipts in a row, each of 20
// lines (taxed, untaxed and controlled items, two with a lab order), saved
// by the receipt document on a company opened shared with all its tags:
// sales record, detail rows, lab orders, stock, ledger rows, account and
// patient balances. Each receipt is on disk before its save returns: ours
// through the document scope's one flush of each file it touched; SQLite
// (WAL, synchronous FULL, prepared statements, the same tables and indexes)
// through one transaction per receipt. The balances and stock of both sides
// are compared at the end. Prints
//   RATIO receipt_save <our seconds> <sqlite seconds> <speedup>
// and, per receipt on our side, the files flushed at the scope's end and
// the document journal's bytes and flushes.
#include <sqlite3.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/Cents.h"
#include "app/DataModule.h"
#include "app/DocumentScope.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/ReceiptDocument.h"
#include "support/BooksChecker.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "xbase/Qmtable.h"
#include "xbengine/Journal.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int receiptCount = 1000;
constexpr int linesPerReceipt = 20;
constexpr int patientCount = 100;
constexpr int firstPatient = 101;
constexpr int itemsPerKind = 5;
constexpr long startingStock = 100000;

void fail(const std::string& what) { throw std::runtime_error(what); }

struct Item {
    std::string code;
    bool taxed, controlled;
};

// BFRAMEn taxed, BSERVn untaxed, BLENSn controlled and taxed.
std::vector<Item> catalogue() {
    std::vector<Item> items;
    for (int i = 1; i <= itemsPerKind; ++i) {
        items.push_back({"BFRAME" + std::to_string(i), true, false});
        items.push_back({"BSERV" + std::to_string(i), false, false});
        items.push_back({"BLENS" + std::to_string(i), true, true});
    }
    return items;
}

struct Line {
    const Item* item;
    long qty;
    long priceCents;
    std::string labType;  // "" for a line without a lab order
};

struct Receipt {
    int patient;
    std::vector<Line> lines;
};

// The same receipts for both sides, varied in items, quantities and prices.
std::vector<Receipt> makeReceipts(const std::vector<Item>& items) {
    std::vector<Receipt> receipts;
    for (int r = 0; r < receiptCount; ++r) {
        Receipt receipt{firstPatient + r % patientCount, {}};
        for (int l = 0; l < linesPerReceipt; ++l) {
            const Item& item = items[(r * 7 + l) % items.size()];
            const long qty = 1 + (r + l) % 3;
            const long price = 995 + ((r * 31 + l * 17) % 400) * 25;
            receipt.lines.push_back({&item, qty, price, l == 0 ? "S" : l == 1 ? "C" : ""});
        }
        receipts.push_back(std::move(receipt));
    }
    return receipts;
}

std::string cents(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%ld.%02ld", value < 0 ? "-" : "", labs(value) / 100, labs(value) % 100);
    return text;
}

void addBenchCatalogue(const std::string& folder, const std::vector<Item>& items) {
    std::vector<CompanyFixture::Row> rows;
    for (const Item& item : items)
        rows.push_back({{"ID", item.code},
                        {"DESC", item.code},
                        {"SELL", "10.00"},
                        {"TAXED", item.taxed ? "T" : "F"},
                        {"CTRLITEM", item.controlled ? "T" : "F"},
                        {"QTYONHAND", item.controlled ? std::to_string(startingStock) : "0"}});
    CompanyFixture::AppendRows(folder, "Item.dbf", rows);
    std::vector<CompanyFixture::Row> patients;
    for (int p = firstPatient; p < firstPatient + patientCount; ++p)
        patients.push_back({{"ID", std::to_string(p)},
                            {"RECNAME", "PATIENT " + std::to_string(p)},
                            {"NAME", "Patient " + std::to_string(p)},
                            {"BALANCE", "0"},
                            {"TERMS", "30"}});
    CompanyFixture::AppendRows(folder, "Patient.dbf", patients);
}

// Balances and stock by the books checker's names ("Acct 4", "Patient 7",
// "Item LENS1"), in cents.
using Figures = std::map<std::string, long>;

// ---- Our side -------------------------------------------------------------

struct OurResult {
    double seconds = 0;
    uint64_t flushes = 0;
    uint64_t journalBytes = 0;
    uint64_t journalFlushes = 0;
    Figures figures;
};

void fillReceipt(TDataModule1& module, TReceiptDocument& doc, const Receipt& receipt) {
    if (!doc.CreateNewReceipt(EncodeDate(2026, 3, 2))) fail("cannot start a receipt");
    TTable* temp1 = module.Temp1Table;
    temp1->Edit();
    temp1->FieldByName("PatID")->SetAsString(std::to_string(receipt.patient));
    temp1->FieldByName("Name")->SetAsString("Patient " + std::to_string(receipt.patient));
    temp1->FieldByName("Terms")->SetAsString("30");
    temp1->Post();
    TTable* temp2 = module.Temp2Table;
    bool first = true;
    for (const Line& line : receipt.lines) {
        if (!first) temp2->Append();
        first = false;
        temp2->Edit();
        temp2->FieldByName("Code")->SetAsString(line.item->code);
        temp2->FieldByName("Qty")->SetAsString(std::to_string(line.qty));
        temp2->FieldByName("Price")->SetAsString(cents(line.priceCents));
        temp2->FieldByName("Tax")->SetAsBoolean(line.item->taxed);
        temp2->FieldByName("TYPE")->SetAsString(line.labType);
        temp2->Post();
    }
}

long inCents(Currency value) { return static_cast<long>(value.Raw() / 100); }

OurResult runOurs(const std::vector<Receipt>& receipts) {
    TestCompany company;
    CompanyFixture::AddMoneyFixture(company.DataDirectory());
    addBenchCatalogue(company.DataDirectory(), catalogue());
    OurResult result;
    {
        TDataModule1 module(nullptr, nullptr);
        DataModule1 = &module;
        module.ChangeDataDirectory(company.DataDirectory());
        TReceiptDocument doc(module, *Cents::TaxRate::fromPercentText("5"));
        const uint64_t flushesBefore = TDocumentScope::flushes();
        const uint64_t journalBytesBefore = xb::JournalBytes();
        const uint64_t journalFlushesBefore = xb::JournalFlushes();
        for (const Receipt& receipt : receipts) {
            fillReceipt(module, doc, receipt);
            const auto start = std::chrono::steady_clock::now();
            if (!doc.SaveReceipt()) fail("a receipt was not saved");
            result.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        result.flushes = TDocumentScope::flushes() - flushesBefore;
        result.journalBytes = xb::JournalBytes() - journalBytesBefore;
        result.journalFlushes = xb::JournalFlushes() - journalFlushesBefore;
        module.CloseFiles();
        DataModule1 = nullptr;
    }
    Application->ProcessMessages();
    Session()->Close();
    xb_CloseAll();
    for (const auto& [name, value] : BooksChecker::Snapshot(company.DataDirectory()).Figures)
        if (name.rfind("Sales ", 0) != 0) result.figures[name] = inCents(value);
    return result;
}

// ---- SQLite ---------------------------------------------------------------

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : "sqlite error";
        sqlite3_free(message);
        fail(text);
    }
}

// The company tables a receipt writes, with the tags of each as indexes.
const char* const schema = R"(
CREATE TABLE Patient(ID INTEGER, RECNAME TEXT, NAME TEXT, BIRTHDATE TEXT, PHONE1 TEXT, PHONE2 TEXT, BALANCE INTEGER);
CREATE INDEX Patient_RecName ON Patient(upper(RECNAME));
CREATE INDEX Patient_ID ON Patient(ID);
CREATE INDEX Patient_Birthday ON Patient(substr(BIRTHDATE,5,4));
CREATE INDEX Patient_OpenBalance ON Patient(upper(RECNAME)) WHERE BALANCE <> 0;
CREATE INDEX Patient_Phone1 ON Patient(PHONE1);
CREATE INDEX Patient_Phone2 ON Patient(PHONE2);
CREATE TABLE Sales(RECEIPT INTEGER, PATID INTEGER, INCIDENT INTEGER, NAME TEXT, DATE TEXT, DUEDATE TEXT, EMPLY TEXT,
  SUBTOTAL INTEGER, SALESTAX INTEGER, TOTAL INTEGER, BALANCE INTEGER, TAXRATE TEXT, TERMS INTEGER);
CREATE INDEX Sales_Receipt ON Sales(RECEIPT);
CREATE INDEX Sales_PatID ON Sales(PATID);
CREATE INDEX Sales_Incident ON Sales(PATID, INCIDENT);
CREATE INDEX Sales_OpenBalance ON Sales(DATE) WHERE BALANCE <> 0;
CREATE INDEX Sales_DateDue ON Sales(DUEDATE DESC) WHERE BALANCE <> 0;
CREATE INDEX Sales_Date ON Sales(DATE);
CREATE INDEX Sales_Personnel ON Sales(EMPLY, DATE);
CREATE TABLE SalesDtl(RECEIPT INTEGER, ITEM INTEGER, ITEMNO TEXT, DESCR TEXT, QTY INTEGER, PRICE INTEGER, TAX INTEGER);
CREATE INDEX SalesDtl_Receipt ON SalesDtl(RECEIPT);
CREATE INDEX SalesDtl_ItemNo ON SalesDtl(ITEMNO);
CREATE TABLE Item(ID TEXT, CATEGORY TEXT, DESCR TEXT, VENDOR TEXT, MANF TEXT, CTRLITEM INTEGER, QTYONHAND INTEGER);
CREATE INDEX Item_ID ON Item(upper(ID));
CREATE INDEX Item_Category ON Item(CATEGORY, upper(ID));
CREATE INDEX Item_Desc ON Item(DESCR);
CREATE INDEX Item_UCategory ON Item(CATEGORY);
CREATE INDEX Item_Reorder ON Item(upper(VENDOR), upper(CATEGORY), upper(MANF), upper(ID));
CREATE INDEX Item_CtrlItem ON Item(upper(VENDOR), upper(CATEGORY), upper(MANF), upper(ID)) WHERE CTRLITEM;
CREATE TABLE Acct(ID INTEGER, NAME TEXT, TYPE TEXT, BALANCE INTEGER, NORMALDEBIT INTEGER);
CREATE INDEX Acct_Name ON Acct(NAME);
CREATE INDEX Acct_ID ON Acct(ID);
CREATE TABLE Ledger(ID INTEGER, ACCOUNT INTEGER, TYPE TEXT, ACCTNO TEXT, POSTREF TEXT, DESCR TEXT, DATE TEXT,
  DEBIT INTEGER, CREDIT INTEGER);
CREATE INDEX Ledger_ID ON Ledger(ID);
CREATE INDEX Ledger_Account ON Ledger(ACCOUNT);
CREATE INDEX Ledger_Date ON Ledger(DATE);
CREATE INDEX Ledger_AcctNo ON Ledger(ACCTNO, ACCOUNT, DATE);
CREATE TABLE LabRx(RECEIPT TEXT, ITEM INTEGER, TYPE TEXT, NOTE TEXT);
CREATE INDEX LabRx_ID ON LabRx(RECEIPT, ITEM);
)";

struct Statement {
    Statement(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement& text(int i, const std::string& v) {
        sqlite3_bind_text(stmt, i, v.c_str(), -1, SQLITE_TRANSIENT);
        return *this;
    }
    Statement& number(int i, long v) {
        sqlite3_bind_int64(stmt, i, v);
        return *this;
    }
    // Runs it; the first column of a row it returns, else 0.
    long run() {
        long value = 0;
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) value = sqlite3_column_int64(stmt, 0);
        if (rc != SQLITE_DONE) fail("sqlite step failed");
        sqlite3_reset(stmt);
        return value;
    }
    sqlite3_stmt* stmt = nullptr;
};

struct PeerResult {
    double seconds = 0;
    Figures figures;
};

PeerResult runSqlite(const std::vector<Receipt>& receipts, const std::vector<Item>& items) {
    ScratchFolder folder;
    sqlite3* db = nullptr;
    if (sqlite3_open(folder.file("company.db").c_str(), &db) != SQLITE_OK) fail("cannot open sqlite");
    PeerResult result;
    {
        exec(db, "PRAGMA journal_mode=WAL");
        exec(db, "PRAGMA synchronous=FULL");
        exec(db, schema);
        exec(db, "BEGIN");
        {
            Statement acct(db, "INSERT INTO Acct(ID, NAME, TYPE, BALANCE, NORMALDEBIT) VALUES(?,?,?,0,?)");
            for (int id = 1; id <= 5; ++id)
                acct.number(1, id).text(2, "Account " + std::to_string(id)).text(3, "").number(4, id >= 4).run();
            Statement item(db, "INSERT INTO Item(ID, DESCR, CTRLITEM, QTYONHAND) VALUES(?,?,?,?)");
            for (const Item& i : items)
                item.text(1, i.code).text(2, i.code).number(3, i.controlled).number(4, i.controlled ? startingStock : 0).run();
            Statement patient(db, "INSERT INTO Patient(ID, RECNAME, NAME, BALANCE) VALUES(?,?,?,0)");
            for (int p = firstPatient; p < firstPatient + patientCount; ++p)
                patient.number(1, p).text(2, "PATIENT " + std::to_string(p)).text(3, "Patient " + std::to_string(p)).run();
        }
        exec(db, "COMMIT");

        Statement nextReceipt(db, "SELECT coalesce(max(RECEIPT), 0) + 1 FROM Sales");
        Statement sale(db,
                       "INSERT INTO Sales(RECEIPT, PATID, NAME, DATE, DUEDATE, SUBTOTAL, SALESTAX, TOTAL, BALANCE, "
                       "TAXRATE, TERMS) VALUES(?,?,?,'20260302','20260401',?,?,?,?,'5.000000',30)");
        Statement detail(db, "INSERT INTO SalesDtl(RECEIPT, ITEM, ITEMNO, DESCR, QTY, PRICE, TAX) VALUES(?,?,?,?,?,?,?)");
        Statement stock(db, "UPDATE Item SET QTYONHAND = QTYONHAND - ? WHERE upper(ID) = upper(?) AND CTRLITEM");
        Statement labRx(db, "INSERT INTO LabRx(RECEIPT, ITEM, TYPE) VALUES(?,?,?)");
        Statement nextLedger(db, "SELECT coalesce(max(ID), 0) + 1 FROM Ledger");
        Statement ledger(db,
                         "INSERT INTO Ledger(ID, ACCOUNT, TYPE, ACCTNO, POSTREF, DESCR, DATE, DEBIT, CREDIT) "
                         "VALUES(?,?,?,?,?,?,'20260302',?,?)");
        Statement account(db,
                          "UPDATE Acct SET BALANCE = BALANCE + CASE WHEN NORMALDEBIT THEN ? - ? ELSE ? - ? END "
                          "WHERE ID = ?");
        Statement patientBalance(db, "UPDATE Patient SET BALANCE = BALANCE + ? WHERE ID = ?");
        Statement begin(db, "BEGIN IMMEDIATE");
        Statement commit(db, "COMMIT");

        auto post = [&](int acct, const std::string& type, const std::string& acctNo, const std::string& ref,
                        long debit, long credit) {
            ledger.number(1, nextLedger.run()).number(2, acct).text(3, type).text(4, acctNo).text(5, ref);
            ledger.text(6, "Receipt").number(7, debit).number(8, credit).run();
            account.number(1, debit).number(2, credit).number(3, credit).number(4, debit).number(5, acct).run();
        };

        const auto start = std::chrono::steady_clock::now();
        for (const Receipt& receipt : receipts) {
            begin.run();
            const long number = nextReceipt.run();
            long subTotal = 0, taxed = 0;
            for (const Line& line : receipt.lines) {
                subTotal += line.qty * line.priceCents;
                if (line.item->taxed) taxed += line.qty * line.priceCents;
            }
            const long tax = (taxed * 5 + 50) / 100;
            const long total = subTotal + tax;
            sale.number(1, number).number(2, receipt.patient).text(3, "Patient " + std::to_string(receipt.patient));
            sale.number(4, subTotal).number(5, tax).number(6, total).number(7, total).run();
            int item = 0;
            for (const Line& line : receipt.lines) {
                ++item;
                detail.number(1, number).number(2, item).text(3, line.item->code).text(4, line.item->code);
                detail.number(5, line.qty).number(6, line.priceCents).number(7, line.item->taxed).run();
                if (line.item->controlled) stock.number(1, line.qty).text(2, line.item->code).run();
                if (!line.labType.empty()) labRx.text(1, std::to_string(number)).number(2, item).text(3, line.labType).run();
            }
            const std::string ref = std::to_string(number), patient = std::to_string(receipt.patient);
            post(1, "Revenue", "", ref, 0, subTotal);
            if (tax != 0) post(2, "Liability", "", ref, 0, tax);
            post(4, "Asset", patient, ref, total, 0);
            patientBalance.number(1, total).number(2, receipt.patient).run();
            commit.run();
        }
        result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

        Statement read(db,
                       "SELECT 'Acct ' || ID, BALANCE FROM Acct UNION ALL SELECT 'Patient ' || ID, BALANCE FROM "
                       "Patient UNION ALL SELECT 'Item ' || ID, QTYONHAND * 100 FROM Item WHERE CTRLITEM");
        while (sqlite3_step(read.stmt) == SQLITE_ROW)
            result.figures[reinterpret_cast<const char*>(sqlite3_column_text(read.stmt, 0))] =
                sqlite3_column_int64(read.stmt, 1);
    }
    sqlite3_close(db);
    return result;
}

// Every figure SQLite holds must match ours (ours holds the fixture's own
// patients and items besides).
void compare(const Figures& ours, const Figures& peer) {
    for (const auto& [name, value] : peer) {
        auto found = ours.find(name);
        if (found == ours.end()) fail("our books miss " + name);
        if (found->second != value)
            fail(name + ": ours " + cents(found->second) + ", sqlite " + cents(value));
    }
}

}  // namespace

int main() {
    try {
        ScratchFolder root;
        setenv("QUENMARK_ROOT", root.file("").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application->Initialize();
        xb_CloseAll();

        const std::vector<Item> items = catalogue();
        const std::vector<Receipt> receipts = makeReceipts(items);
        const OurResult ours = runOurs(receipts);
        const PeerResult peer = runSqlite(receipts, items);
        compare(ours.figures, peer.figures);
        PrintRatio("receipt_save", ours.seconds, peer.seconds);
        std::printf("receipt_save flushes per receipt: %.2f\n", double(ours.flushes) / receiptCount);
        std::printf("receipt_save journal per receipt: %.0f bytes, %.2f flushes\n",
                    double(ours.journalBytes) / receiptCount, double(ours.journalFlushes) / receiptCount);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "receipt_save: %s\n", e.what());
        return 1;
    }
    return 0;
}
