#include "support/StatementFixture.h"

#include <map>

#include "app/LedgerPostings.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "support/ShopFixture.h"

namespace StatementFixture {

namespace {

using CompanyFixture::Row;

TDateTime today() { return EncodeDate(2024, 3, 15); }

TDateTime dueDate(const TOpenReceipt& R) { return today() - R.daysOverdue; }

TDateTime fromKey(const std::string& Key) {
    return EncodeDate(std::stoi(Key.substr(0, 4)), std::stoi(Key.substr(4, 2)), std::stoi(Key.substr(6, 2)));
}

TDateTime receiptDate(const TOpenReceipt& R) { return R.Date.empty() ? dueDate(R) - 30 : fromKey(R.Date); }

TDateTime paymentDate(const TOpenReceipt& R) { return R.PaidOn.empty() ? receiptDate(R) + 1 : fromKey(R.PaidOn); }

std::string key(TDateTime Date) { return FormatDateTime("yyyymmdd", Date); }

std::string money(Currency Value) { return FormatCurr("0.00", Value); }

Row patient(int ID, const std::string& Name, Row More = {}) {
    Row row = {{"ID", std::to_string(ID)}, {"RECNAME", UpperCase(Name)}, {"NAME", Name}, {"TERMS", "30"}};
    row.insert(row.end(), More.begin(), More.end());
    return row;
}

Row withAddress(const std::string& Street, const std::string& City, const std::string& State,
                const std::string& Zip) {
    return {{"ADDR", Street}, {"CITY", City}, {"STATE", State}, {"ZIP", Zip}};
}

TOpenReceipt receipt(int Number, int Patient, int daysOverdue, Currency Total, Currency Paid = Currency(0)) {
    TOpenReceipt r;
    r.Receipt = Number;
    r.Patient = Patient;
    r.daysOverdue = daysOverdue;
    r.Total = Total;
    r.Paid = Paid;
    return r;
}

Row join(Row A, const Row& B) {
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

}  // namespace

std::string DueDate(const TOpenReceipt& Receipt) { return key(dueDate(Receipt)); }

TStatementSet FxA() {
    TStatementSet set;
    set.Patients = {patient(3, "Carter",
                            join(withAddress("12 Elm St", "Springfield", "IL", "62701"),
                                 {{"BILLNAME", "Carter Holdings"}, {"BILLADDR", "PO Box 9"},
                                  {"BILLCITY", "Chicago"}, {"BILLSTATE", "IL"}, {"BILLZIP", "60601"}}))};
    const int days[] = {-5, 0, 10, 45, 100};
    for (int i = 0; i < 5; ++i)
        set.Receipts.push_back(receipt(2001 + i, 3, days[i], Currency(10 * (i + 1))));
    return set;
}

TStatementSet FxA2() {
    TStatementSet set;
    set.Patients = {patient(4, "Fisher", withAddress("4 Oak Ave", "Peoria", "IL", "61602"))};
    set.Receipts = {receipt(2101, 4, 10, Currency(30)),
                    receipt(2102, 4, 35, Currency(40))};
    return set;
}

TStatementSet FxB() {
    TStatementSet set;
    const int days[] = {-1, 0, 1, 30, 31, 60, 61, 90, 91};
    for (int i = 0; i < 9; ++i) {
        const int id = 21 + i;
        set.Patients.push_back(patient(id, "B " + std::to_string(i + 1), withAddress("1 Row", "Joliet", "IL", "60431")));
        set.Receipts.push_back(receipt(2201 + i, id, days[i], Currency(1)));
    }
    return set;
}

TStatementSet FxL() {
    TStatementSet set;
    set.Patients = {patient(6, "Long", withAddress("6 Pine Rd", "Aurora", "IL", "60505"))};
    for (int k = 1; k <= 10; ++k) {
        set.Receipts.push_back(receipt(2300 + k, 6, 60, Currency(10 * k)));
        set.Receipts.back().Date = key(EncodeDate(2024, 1, k));
    }
    // The four payments go to the four largest receipts, after all ten.
    for (int k = 7; k <= 10; ++k) {
        set.Receipts[k - 1].Paid = Currency(25);
        set.Receipts[k - 1].PaidOn = key(EncodeDate(2024, 1, k + 4));
    }
    return set;
}

TStatementSet OddPatients() {
    TStatementSet set;
    set.Patients = {patient(7, "Dunn"), patient(8, "Evans", withAddress("8 Main St", "Normal", "IL", "61761")),
                    patient(9, "Bartholomew Fairweather-Smythe", withAddress("", "Urbana", "", "61801"))};
    set.Receipts = {receipt(2401, 7, 20, Currency(10), StrToCurr("22.50")),
                    receipt(2402, 8, 20, Currency(20), Currency(20)),
                    receipt(2403, 9, 0, Currency(5))};
    return set;
}

TStatementSet FieldLimit() {
    TStatementSet set;
    set.Patients = {patient(10, "Max", withAddress("10 High St", "Elgin", "IL", "60120"))};
    set.Receipts = {receipt(2501, 10, 0, StrToCurr("9999999.99"))};
    set.MoveBalances = false;
    return set;
}

void Add(const std::string& Dir, const TStatementSet& Set) {
    std::map<int, Currency> balances;
    std::vector<Row> sales;
    std::map<int, std::string> names;
    for (const Row& p : Set.Patients)
        for (const auto& [field, value] : p)
            if (field == "NAME") names[std::stoi(p.front().second)] = value;
    for (const TOpenReceipt& r : Set.Receipts) {
        const Currency balance = r.Total - r.Paid;
        balances[r.Patient] += balance;
        sales.push_back({{"RECEIPT", std::to_string(r.Receipt)}, {"DATE", key(receiptDate(r))},
                         {"PATID", std::to_string(r.Patient)}, {"NAME", names[r.Patient]}, {"EMPLY", "1"},
                         {"SUBTOTAL", money(r.Total)}, {"TAXRATE", "0"}, {"SALESTAX", "0"},
                         {"TOTAL", money(r.Total)}, {"BALANCE", money(balance)}, {"TERMS", "30"},
                         {"DUEDATE", DueDate(r)}});
    }
    std::vector<Row> patients;
    for (Row p : Set.Patients) {
        p.push_back({"BALANCE", money(balances[std::stoi(p.front().second)])});
        patients.push_back(p);
    }
    CompanyFixture::AppendRows(Dir, "Patient.dbf", patients);
    CompanyFixture::AppendRows(Dir, "Sales.dbf", sales);
}

void Post(TDataModule1& Module, const TStatementSet& Set) {
    using namespace LedgerPostings;
    const auto write = [&](const std::vector<TLedgerRow>& Rows) {
        if (Set.MoveBalances)
            postLedgerRows(Module, Rows);
        else
            for (const TLedgerRow& row : Rows) writeLedgerRow(Module, row);
    };
    int payment = 300;
    std::vector<std::pair<TDateTime, std::vector<TLedgerRow>>> payments;
    for (const TOpenReceipt& r : Set.Receipts) {
        const TDateTime date = receiptDate(r);
        const std::string patient = std::to_string(r.Patient);
        write(receiptRows({r.Total, Currency(0), r.Total}, {}, std::to_string(r.Receipt), patient, date));
        if (r.Paid != Currency(0)) {
            const TDateTime paid = paymentDate(r);
            payments.push_back({paid, PaymentRows(r.Paid, Currency(0), std::to_string(++payment), patient, paid)});
        }
    }
    // Payments follow the receipts, as FX-L's rows 11-14 do.
    for (const auto& [date, rows] : payments) write(rows);
}

}  // namespace StatementFixture
