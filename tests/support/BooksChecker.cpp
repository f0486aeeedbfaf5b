#include "support/BooksChecker.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "app/ReceiptNumbers.h"
#include "os/Paths.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

namespace BooksChecker {

namespace {

using Record = std::map<std::string, std::string>;

struct Table {
    std::vector<Record> rows;
    std::vector<int> recNos;
};

// The live records of a table, each field's trimmed text by upper-case name.
Table readTable(const std::string& DataDirectory, const std::string& FileName) {
    Table t;
    const int previous = xb_WorkArea(nullptr);
    const std::string path = DataDirectory + "/" + FileName;
    const int area = xb_Use(path.c_str(), "BOOKS", XB_SHARED, XB_DRIVER_NSX);
    if (area == 0)
        return t;
    const int hidden = xb_SetDeleted(XB_OFF);
    xb_SetOrder(XB_RECORD_ORDER);
    const int fields = xb_FieldCount();
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1)) {
        if (xb_Deleted())
            continue;
        Record r;
        for (int f = 1; f <= fields; ++f) {
            const std::string name = xb_FieldName(f);
            std::string value = xb_GetTrimString(name.c_str());
            value.erase(0, value.find_first_not_of(' ') == std::string::npos ? value.size()
                                                                              : value.find_first_not_of(' '));
            r[name] = value;
        }
        t.rows.push_back(std::move(r));
        t.recNos.push_back(xb_RecNo());
    }
    xb_SetDeleted(hidden);
    xb_Close();
    if (previous != 0)
        xb_Select(previous);
    return t;
}

Currency money(const Record& r, const std::string& Field) {
    auto it = r.find(Field);
    Currency value;
    if (it == r.end() || it->second.empty() || !TryStrToCurr(it->second, value))
        return Currency();
    return value;
}

std::string text(const Record& r, const std::string& Field) {
    auto it = r.find(Field);
    return it == r.end() ? "" : it->second;
}

std::string num(const Record& r, const std::string& Field) {
    auto n = ReceiptNumbers::canonical(text(r, Field));
    return n ? *n : text(r, Field);
}

std::string show(Currency c) { return CurrToStr(c); }

bool creditNormal(int account) { return account == 1 || account == 2 || account == 7 || account == 8; }

// The document family of a ledger row by its description.
std::string family(const std::string& desc) {
    if (desc == "Receipt")
        return "receipt";
    if (desc == "Deposit")
        return "deposit";
    if (desc == "Payment" || desc == "Refund" || desc == "Reversal - Payment" || desc == "Reversal - Refund")
        return "payment";
    return "unknown (" + desc + ")";
}

}  // namespace

std::vector<std::string> Check(const std::string& DataDirectory, const StockStart& Start) {
    std::vector<std::string> broken;
    auto fail = [&](const std::string& s) { broken.push_back(s); };

    const Table accounts = readTable(DataDirectory, "Acct.dbf");
    const Table ledger = readTable(DataDirectory, "Ledger.dbf");
    const Table sales = readTable(DataDirectory, "Sales.dbf");
    const Table detail = readTable(DataDirectory, "SalesDtl.dbf");
    const Table patients = readTable(DataDirectory, "Patient.dbf");
    const Table payments = readTable(DataDirectory, "Pymt.dbf");
    const Table paymentRows = readTable(DataDirectory, "PymtDtl.dbf");
    const Table deposits = readTable(DataDirectory, "Deposit.dbf");
    const Table depositRows = readTable(DataDirectory, "DeposDtl.dbf");
    const Table items = readTable(DataDirectory, "Item.dbf");

    // I1 and I2.
    Currency debits, credits;
    std::map<std::pair<std::string, std::string>, Currency> perDocument;  // Dr - Cr
    std::map<std::pair<std::string, std::string>, std::map<int, Currency>> perDocumentAccount;
    std::map<int, Currency> byAccount;  // by normal side
    for (size_t i = 0; i < ledger.rows.size(); ++i) {
        const Record& r = ledger.rows[i];
        const int account = std::atoi(text(r, "ACCOUNT").c_str());
        const Currency dr = money(r, "DEBIT"), cr = money(r, "CREDIT");
        debits += dr;
        credits += cr;
        const auto doc = std::make_pair(family(text(r, "DESC")), text(r, "POSTREF"));
        perDocument[doc] += dr - cr;
        perDocumentAccount[doc][account] += dr - cr;
        byAccount[account] += creditNormal(account) ? cr - dr : dr - cr;
        // I15: canonical references.
        auto canonical = ReceiptNumbers::canonical(text(r, "POSTREF"));
        if (!canonical || *canonical != text(r, "POSTREF"))
            fail("I15 Ledger.dbf record " + std::to_string(ledger.recNos[i]) + ": POSTREF '" + text(r, "POSTREF") +
                 "' is not a canonical number");
    }
    if (debits != credits)
        fail("I1 Ledger.dbf: debits " + show(debits) + " but credits " + show(credits));
    for (const auto& [doc, diff] : perDocument)
        if (diff != Currency())
            fail("I1 Ledger.dbf " + doc.first + " " + doc.second + ": debits and credits differ by " + show(diff));
    std::map<int, Currency> accountBalance;
    for (size_t i = 0; i < accounts.rows.size(); ++i) {
        const int account = std::atoi(text(accounts.rows[i], "ID").c_str());
        const Currency balance = money(accounts.rows[i], "BALANCE");
        accountBalance[account] = balance;
        if (balance != byAccount[account])
            fail("I2 Acct.dbf account " + std::to_string(account) + ": BALANCE " + show(balance) +
                 ", its ledger rows " + show(byAccount[account]));
    }

    // I4, I6, and the sums for I3, I5, I10.
    std::map<std::string, Currency> paidByReceipt;
    for (const Record& r : paymentRows.rows)
        paidByReceipt[num(r, "RECEIPT")] += money(r, "PAYMENT");
    std::map<std::string, std::vector<const Record*>> linesByReceipt;
    for (const Record& r : detail.rows)
        linesByReceipt[num(r, "RECEIPT")].push_back(&r);
    Currency salesBalances, subTotals, taxes;
    std::map<std::string, Currency> receiptsOfPatient;
    std::set<std::string> receiptNumbers;
    for (size_t i = 0; i < sales.rows.size(); ++i) {
        const Record& r = sales.rows[i];
        const std::string receipt = num(r, "RECEIPT");
        const std::string where = "Sales.dbf record " + std::to_string(sales.recNos[i]) + " receipt " + receipt;
        receiptNumbers.insert(receipt);
        const Currency sub = money(r, "SUBTOTAL"), tax = money(r, "SALESTAX"), total = money(r, "TOTAL"),
                       balance = money(r, "BALANCE");
        salesBalances += balance;
        subTotals += sub;
        taxes += tax;
        receiptsOfPatient[num(r, "PATID")] += balance;
        if (balance != total - paidByReceipt[receipt])
            fail("I4 " + where + ": BALANCE " + show(balance) + ", TOTAL " + show(total) + " less payments " +
                 show(paidByReceipt[receipt]));
        if (total != sub + tax)
            fail("I6 " + where + ": TOTAL " + show(total) + " is not SUBTOTAL " + show(sub) + " + SALESTAX " +
                 show(tax));
        Currency lines;
        std::vector<int> numbers;
        for (const Record* line : linesByReceipt[receipt]) {
            lines += money(*line, "AMOUNT");
            numbers.push_back(std::atoi(text(*line, "ITEM").c_str()));
        }
        if (lines != sub)
            fail("I6 " + where + ": SUBTOTAL " + show(sub) + ", SalesDtl.dbf AMOUNT sum " + show(lines));
        std::sort(numbers.begin(), numbers.end());
        for (size_t n = 0; n < numbers.size(); ++n)
            if (numbers[n] != static_cast<int>(n) + 1) {
                fail("I6 " + where + ": SalesDtl.dbf ITEM numbers do not run 1.." + std::to_string(numbers.size()));
                break;
            }
    }
    for (const auto& [receipt, lines] : linesByReceipt)
        if (!receiptNumbers.count(receipt))
            fail("I6 SalesDtl.dbf: " + std::to_string(lines.size()) + " rows of receipt " + receipt +
                 ", which is not stored");
    Currency patientBalances;
    for (size_t i = 0; i < patients.rows.size(); ++i) {
        const Record& r = patients.rows[i];
        const std::string id = num(r, "ID");
        const Currency balance = money(r, "BALANCE");
        patientBalances += balance;
        if (balance != receiptsOfPatient[id])
            fail("I5 Patient.dbf record " + std::to_string(patients.recNos[i]) + " patient " + id + ": BALANCE " +
                 show(balance) + ", its receipts " + show(receiptsOfPatient[id]));
    }
    if (accountBalance[4] != salesBalances || salesBalances != patientBalances)
        fail("I3: account 4 " + show(accountBalance[4]) + ", Sales.dbf BALANCE sum " + show(salesBalances) +
             ", Patient.dbf BALANCE sum " + show(patientBalances));
    if (accountBalance[1] + accountBalance[7] != subTotals)
        fail("I10: accounts 1 + 7 " + show(accountBalance[1] + accountBalance[7]) + ", Sales.dbf SUBTOTAL sum " +
             show(subTotals));
    if (accountBalance[2] != taxes)
        fail("I10: account 2 " + show(accountBalance[2]) + ", Sales.dbf SALESTAX sum " + show(taxes));

    // I7, I8, I9.
    std::map<std::string, Currency> distributed;
    for (const Record& r : paymentRows.rows)
        distributed[num(r, "PAYMENTID")] += money(r, "PAYMENT");
    std::map<std::string, std::string> depositOfPayment;
    std::map<std::string, Currency> depositLines;
    for (const Record& r : depositRows.rows) {
        depositOfPayment[num(r, "PAYMENTID")] = num(r, "DEPOSITID");
        depositLines[num(r, "DEPOSITID")] += money(r, "AMOUNT");
    }
    Currency undeposited, refunds;
    std::set<std::string> paymentNumbers;
    for (const Record& r : payments.rows) {
        const std::string id = num(r, "ID");
        paymentNumbers.insert(id);
        const Currency P = money(r, "AMOUNT") - money(r, "TOTALPAID");
        if (distributed[id] != P)
            fail("I7 Pymt.dbf payment " + id + ": distributed " + show(distributed[id]) + ", AMOUNT - TOTALPAID " +
                 show(P));
        const bool deposited = text(r, "DEPOSITED") == "T";
        if (P > Currency() && !deposited)
            undeposited += P;
        if (P < Currency())
            refunds -= P;
        const bool named = depositOfPayment.count(id) > 0;
        if (deposited != named || (named && text(r, "POSTREF") != depositOfPayment[id]))
            fail("I9 Pymt.dbf payment " + id + ": DEPOSITED " + (deposited ? "T" : "F") + ", POSTREF '" +
                 text(r, "POSTREF") + "', deposit rows name " + (named ? depositOfPayment[id] : "none"));
    }
    Currency depositTotals;
    std::set<std::string> depositNumbers;
    for (const Record& r : deposits.rows) {
        const std::string id = num(r, "ID");
        depositNumbers.insert(id);
        const Currency total = money(r, "TOTAL");
        depositTotals += total;
        const Currency parts = money(r, "CURRENCY") + money(r, "COINS") + money(r, "CHECKS") + money(r, "CHARGES");
        if (total != depositLines[id] || total != parts)
            fail("I8 Deposit.dbf deposit " + id + ": TOTAL " + show(total) + ", its lines " +
                 show(depositLines[id]) + ", its parts " + show(parts));
    }
    if (accountBalance[3] != undeposited)
        fail("I8: account 3 " + show(accountBalance[3]) + ", undeposited payments " + show(undeposited));
    if (accountBalance[5] != depositTotals)
        fail("I8: account 5 " + show(accountBalance[5]) + ", deposits " + show(depositTotals));
    if (accountBalance[8] != refunds)
        fail("I8: account 8 " + show(accountBalance[8]) + ", refunds " + show(refunds));

    // I14: stock of controlled items.
    std::map<std::string, Currency> sold;
    for (const Record& r : detail.rows) {
        std::string code = text(r, "ITEMNO");
        for (char& c : code)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        const Currency qty = money(r, "QTY");
        sold[code] += qty == Currency() ? Currency(1) : qty;
    }
    for (const Record& r : items.rows) {
        if (text(r, "CTRLITEM") != "T")
            continue;
        const std::string id = text(r, "ID");
        auto start = Start.find(id);
        if (start == Start.end())
            continue;
        const Currency expected = start->second - sold[id];
        if (money(r, "QTYONHAND") != expected)
            fail("I14 Item.dbf item " + id + ": QTYONHAND " + show(money(r, "QTYONHAND")) + ", start less sold " +
                 show(expected));
    }

    // I15: references name documents of their kind (a deleted document's
    // rows must net to nothing on every account).
    for (const auto& [doc, byAcct] : perDocumentAccount) {
        const std::set<std::string>* known = doc.first == "receipt"   ? &receiptNumbers
                                             : doc.first == "payment" ? &paymentNumbers
                                             : doc.first == "deposit" ? &depositNumbers
                                                                      : nullptr;
        if (known && known->count(doc.second))
            continue;
        bool nets = known != nullptr;
        for (const auto& [account, diff] : byAcct)
            if (diff != Currency())
                nets = false;
        if (!nets)
            fail("I15 Ledger.dbf: rows of " + doc.first + " " + doc.second + " name no stored " + doc.first);
    }
    return broken;
}

TSnapshot Snapshot(const std::string& DataDirectory) {
    TSnapshot s;
    for (const Record& r : readTable(DataDirectory, "Acct.dbf").rows)
        s.Figures["Acct " + text(r, "ID")] = money(r, "BALANCE");
    for (const Record& r : readTable(DataDirectory, "Patient.dbf").rows)
        s.Figures["Patient " + text(r, "ID")] = money(r, "BALANCE");
    for (const Record& r : readTable(DataDirectory, "Sales.dbf").rows)
        s.Figures["Sales " + text(r, "RECEIPT")] = money(r, "BALANCE");
    for (const Record& r : readTable(DataDirectory, "Item.dbf").rows)
        s.Figures["Item " + text(r, "ID")] = money(r, "QTYONHAND");
    s.LedgerRows = static_cast<int>(readTable(DataDirectory, "Ledger.dbf").rows.size());
    return s;
}

std::vector<std::string> Differences(const TSnapshot& Before, const TSnapshot& After) {
    std::vector<std::string> out;
    std::set<std::string> names;
    for (const auto& [k, v] : Before.Figures)
        names.insert(k);
    for (const auto& [k, v] : After.Figures)
        names.insert(k);
    for (const std::string& k : names) {
        auto b = Before.Figures.find(k), a = After.Figures.find(k);
        const std::string before = b == Before.Figures.end() ? "none" : show(b->second);
        const std::string after = a == After.Figures.end() ? "none" : show(a->second);
        if (before != after)
            out.push_back(k + ": " + before + " -> " + after);
    }
    if (Before.LedgerRows != After.LedgerRows)
        out.push_back("Ledger rows: " + std::to_string(Before.LedgerRows) + " -> " + std::to_string(After.LedgerRows));
    return out;
}

std::vector<TLedgerLine> Ledger(const std::string& DataDirectory) {
    std::vector<TLedgerLine> lines;
    for (const Record& r : readTable(DataDirectory, "Ledger.dbf").rows)
        lines.push_back({std::atoi(text(r, "ACCOUNT").c_str()), text(r, "ACCTNO"), text(r, "POSTREF"),
                         text(r, "DESC"), money(r, "DEBIT"), money(r, "CREDIT")});
    return lines;
}

std::map<std::string, int> CountsOf(const std::string& DataDirectory, const std::string& FileName,
                                    const std::string& Field) {
    std::map<std::string, int> counts;
    for (const Record& r : readTable(DataDirectory, FileName).rows)
        ++counts[text(r, Field)];
    return counts;
}

int CountWhere(const std::string& DataDirectory, const std::string& FileName, const std::string& Field,
               const std::string& Value) {
    const std::map<std::string, int> counts = CountsOf(DataDirectory, FileName, Field);
    auto it = counts.find(Value);
    return it == counts.end() ? 0 : it->second;
}

}  // namespace BooksChecker
