// Monthly statements for 2,000 patients beside SQLite and QPainter. Every
// patient owes money on 10 receipts due over the last 150 days (so every
// aging bucket fills) and has 14 receivable ledger rows (10 receipts, 4
// payments); the data is made before timing, and each side opens its data
// inside the timing.
//   statements_stream  ours: from the menu action until the finished stream,
//                      in the runner's temporary file, reaches the preview
//                      (setup answered Preview, no page drawn); the peer
//                      queries SQLite per patient and records each page into
//                      a QPicture, all saved to one temporary file
//   statements_pdf     ours printed to the PDF printer; the peer paints the
//                      same pages onto a QPdfWriter at the same resolution
// The peer's SQLite is set up as its users would: WAL, synchronous NORMAL,
// prepared statements, indexes matching the tags and a partial index for
// the open balances. Both streams and both PDFs must hold 2,000 pages, and a
// sample patient's Total Due must be on its page in both PDFs.
#include <sqlite3.h>

#include <QDataStream>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>

#include <algorithm>
#include <array>
#include <functional>
#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "app/Settings.h"
#include "base/Currency.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"
#include "data/DbTables.h"
#include "reporting/RSDevice.h"
#include "reporting/RSPreFrm.h"
#include "reporting/RSPreview.h"
#include "reporting/RSSetFrm.h"
#include "reports/AgingBuckets.h"
#include "reports/ReportForms.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"
#include "xbengine/XbEngine.h"

namespace {

constexpr int patientCount = 2000;
constexpr int receiptsPerPatient = 10;
constexpr int paymentsPerPatient = 4;
constexpr int dpi = 600;  // the PDF printer's resolution
constexpr int samplePatient = 1234;

[[noreturn]] void fail(const std::string& why) { throw std::runtime_error(why); }

TDateTime today() { return EncodeDate(2026, 12, 1); }

std::string key(TDateTime Date) { return FormatDateTime("yyyymmdd", Date); }
std::string shown(TDateTime Date) { return FormatDateTime("mm/dd/yyyy", Date); }
std::string money(long Cents) { return FormatCurr("0.00", Currency::FromRaw(Cents * 100)); }
std::string picture(const char* Picture, long Cents) { return FormatCurr(Picture, Currency::FromRaw(Cents * 100)); }

// ---------------------------------------------------------------- the data

struct Posting {
    TDateTime date;
    std::string desc, postRef;
    long debit = 0, credit = 0;  // cents
};

struct PatientData {
    int id;
    std::string recName, name, addr, city, state, zip;
    std::string billName, billAddr, billCity, billState, billZip;
    struct Receipt {
        int number;
        TDateTime date, due;
        long total, paid;
    };
    std::vector<Receipt> receipts;
    std::vector<Posting> receivable;  // in date order
    long balance = 0;
};

const std::array<std::string, 5> letterhead = {"Clear View Optical", "100 Lens Way", "Suite 4", "Springfield, IL 62701",
                                               "(217) 555-0100"};

std::vector<PatientData> makePatients() {
    std::vector<PatientData> patients;
    for (int p = 1; p <= patientCount; ++p) {
        char name[32];
        std::snprintf(name, sizeof name, "Patient %04d", p);
        PatientData d{p, UpperCase(name), name, std::to_string(p) + " Main St", "Springfield", "IL", "62701",
                      "", "", "", "", "", {}, {}, 0};
        if (p % 2) {
            d.billName = "Guardian " + std::to_string(p);
            d.billAddr = "PO Box " + std::to_string(p);
            d.billCity = "Chicago";
            d.billState = "IL";
            d.billZip = "60601";
        }
        for (int j = 0; j < receiptsPerPatient; ++j) {
            const TDateTime due = today() - (-10 + 16 * j);
            const long total = 2000 + ((p * 7 + j * 13) % 180) * 100 + (p + j) % 100;
            // The four oldest receipts are half paid.
            const long paid = j >= receiptsPerPatient - paymentsPerPatient ? total / 2 : 0;
            d.receipts.push_back({p * 10 + j, due - 30, due, total, paid});
            d.balance += total - paid;
        }
        for (const auto& r : d.receipts)
            d.receivable.push_back({r.date, "Receipt", std::to_string(r.number), r.total, 0});
        int payment = p * 10;
        for (const auto& r : d.receipts)
            if (r.paid) d.receivable.push_back({r.date + 5, "Payment", std::to_string(++payment), 0, r.paid});
        std::stable_sort(d.receivable.begin(), d.receivable.end(),
                         [](const Posting& a, const Posting& b) { return a.date < b.date; });
        patients.push_back(std::move(d));
    }
    return patients;
}

// ---------------------------------------------------------------- ours

void buildOurs(const std::string& Dir, const std::vector<PatientData>& patients) {
    using CompanyFixture::Row;
    std::vector<Row> patientRows, sales, ledger;
    int ledgerID = 0;
    for (const PatientData& d : patients) {
        patientRows.push_back({{"ID", std::to_string(d.id)}, {"RECNAME", d.recName}, {"NAME", d.name},
                               {"ADDR", d.addr}, {"CITY", d.city}, {"STATE", d.state}, {"ZIP", d.zip},
                               {"BILLNAME", d.billName}, {"BILLADDR", d.billAddr}, {"BILLCITY", d.billCity},
                               {"BILLSTATE", d.billState}, {"BILLZIP", d.billZip}, {"BALANCE", money(d.balance)},
                               {"TERMS", "30"}});
        for (const auto& r : d.receipts) {
            sales.push_back({{"RECEIPT", std::to_string(r.number)}, {"DATE", key(r.date)},
                             {"PATID", std::to_string(d.id)}, {"NAME", d.name}, {"SUBTOTAL", money(r.total)},
                             {"TOTAL", money(r.total)}, {"BALANCE", money(r.total - r.paid)}, {"TERMS", "30"},
                             {"DUEDATE", key(r.due)}});
        }
        for (const Posting& row : d.receivable) {
            // The receivable row and the other half of its posting.
            const bool receipt = row.debit != 0;
            ledger.push_back({{"ID", std::to_string(++ledgerID)}, {"ACCOUNT", "4"},
                              {"TYPE", "Accounts Receivable"}, {"ACCTNO", std::to_string(d.id)},
                              {"POSTREF", row.postRef}, {"DATE", key(row.date)}, {"DESC", row.desc},
                              {"DEBIT", money(row.debit)}, {"CREDIT", money(row.credit)}});
            ledger.push_back({{"ID", std::to_string(++ledgerID)}, {"ACCOUNT", receipt ? "1" : "3"},
                              {"TYPE", receipt ? "Sales" : "Undeposited Funds"}, {"ACCTNO", std::to_string(d.id)},
                              {"POSTREF", row.postRef}, {"DATE", key(row.date)}, {"DESC", row.desc},
                              {"DEBIT", money(row.credit)}, {"CREDIT", money(row.debit)}});
        }
    }
    CompanyFixture::AppendRows(Dir, "Patient.dbf", patientRows);
    CompanyFixture::AppendRows(Dir, "Sales.dbf", sales);
    CompanyFixture::AppendRows(Dir, "Ledger.dbf", ledger);
    TSettingsFile company = CompanyIni::File(Dir);
    company.Write(CompanyIni::ReceiptName, letterhead[0]);
    company.Write(CompanyIni::ReceiptAddress1, letterhead[1]);
    company.Write(CompanyIni::ReceiptAddress2, letterhead[2]);
    company.Write(CompanyIni::ReceiptCity, "Springfield");
    company.Write(CompanyIni::ReceiptState, "IL");
    company.Write(CompanyIni::ReceiptZip, "62701");
    company.Write(CompanyIni::ReceiptPhone, letterhead[4]);
}

TestCompany* company = nullptr;
ScratchFolder* scratch = nullptr;

// Opens the company, runs the menu's "&Monthly Statements" with Answer
// taking the setup window, and closes the company.
void runOurs(const std::function<void(TForm&)>& Setup, const std::function<void(TForm&)>& Preview) {
    TDataModule1 module(nullptr, nullptr);
    DataModule1 = &module;
    module.ChangeDataDirectory(company->DataDirectory());
    {
        TDialogScript script;
        script.Answer(TDialogAnswer{.Act = Setup});
        if (Preview) script.Answer(TDialogAnswer{.Act = Preview});
        OpenForm(nullptr, {.ClassName = "TStatementMonthlyReport", .Caption = "&Monthly Statements", .Style = osHidden});
        if (script.Unanswered() != 0) fail("the statements did not reach their " + std::string(Preview ? "preview" : "printer"));
    }
    Application->ProcessMessages();
    module.CloseFiles();
    DataModule1 = nullptr;
}

int ourStreamPages = 0;

void ourStream() {
    runOurs(
        [](TForm& f) {
            auto& setup = dynamic_cast<TRSSetupForm&>(f);
            setup.PreviewRB->SetChecked(true);
            setup.OKBB->Click();
        },
        [](TForm& f) {
            auto& preview = dynamic_cast<TRSPreviewForm&>(f);
            ourStreamPages = preview.FilePreview1->PageCount();
            preview.SBDone->Click();
        });
}

void ourPdf(const std::string& File) {
    if (!GlobalReportDevice()->SelectPrinter("PDF", false)) fail("no PDF printer");
    runOurs(
        [&](TForm& f) {
            auto& setup = dynamic_cast<TRSSetupForm&>(f);
            setup.FileRB->SetChecked(true);
            setup.FileNameED->SetText(File);
            setup.OKBB->Click();
        },
        nullptr);
}

// ---------------------------------------------------------------- the peer

void exec(sqlite3* db, const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string text = message ? message : "sqlite error";
        sqlite3_free(message);
        fail(text);
    }
}

sqlite3_stmt* prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) fail(sqlite3_errmsg(db));
    return statement;
}

void step(sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) fail("sqlite insert failed");
    sqlite3_reset(statement);
}

void buildPeer(const std::string& File, const std::vector<PatientData>& patients) {
    sqlite3* db = nullptr;
    if (sqlite3_open(File.c_str(), &db) != SQLITE_OK) fail("cannot open sqlite");
    exec(db, "PRAGMA journal_mode=WAL");
    exec(db, "PRAGMA synchronous=NORMAL");
    exec(db, "CREATE TABLE Company(Line INTEGER, Text TEXT)");
    exec(db,
         "CREATE TABLE Patient(ID INTEGER PRIMARY KEY, RECNAME TEXT, NAME TEXT, ADDR TEXT, CITY TEXT, STATE TEXT,"
         " ZIP TEXT, BILLNAME TEXT, BILLADDR TEXT, BILLCITY TEXT, BILLSTATE TEXT, BILLZIP TEXT, BALANCE INTEGER)");
    exec(db, "CREATE INDEX Patient_RecName ON Patient(upper(RECNAME))");
    exec(db, "CREATE INDEX Patient_OpenBalance ON Patient(upper(RECNAME)) WHERE BALANCE <> 0");
    exec(db, "CREATE TABLE Sales(RECEIPT INTEGER, DATE TEXT, PATID INTEGER, DUEDATE TEXT, BALANCE INTEGER)");
    exec(db, "CREATE INDEX Sales_PatID ON Sales(PATID)");
    exec(db,
         "CREATE TABLE Ledger(ID INTEGER, ACCOUNT INTEGER, ACCTNO TEXT, POSTREF TEXT, DATE TEXT, DESC TEXT,"
         " DEBIT INTEGER, CREDIT INTEGER)");
    exec(db, "CREATE INDEX Ledger_AcctNo ON Ledger(ACCTNO, ACCOUNT, DATE)");
    exec(db, "BEGIN");
    sqlite3_stmt* company = prepare(db, "INSERT INTO Company VALUES(?,?)");
    for (int i = 0; i < 5; ++i) {
        sqlite3_bind_int(company, 1, i);
        sqlite3_bind_text(company, 2, letterhead[i].c_str(), -1, SQLITE_TRANSIENT);
        step(company);
    }
    sqlite3_stmt* patient = prepare(db, "INSERT INTO Patient VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?)");
    sqlite3_stmt* sale = prepare(db, "INSERT INTO Sales VALUES(?,?,?,?,?)");
    sqlite3_stmt* ledger = prepare(db, "INSERT INTO Ledger VALUES(?,?,?,?,?,?,?,?)");
    int ledgerID = 0;
    for (const PatientData& d : patients) {
        sqlite3_bind_int(patient, 1, d.id);
        const std::string* texts[] = {&d.recName, &d.name,     &d.addr,     &d.city,      &d.state,
                                      &d.zip,     &d.billName, &d.billAddr, &d.billCity, &d.billState,
                                      &d.billZip};
        for (int i = 0; i < 11; ++i) sqlite3_bind_text(patient, i + 2, texts[i]->c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(patient, 13, d.balance);
        step(patient);
        for (const auto& r : d.receipts) {
            sqlite3_bind_int(sale, 1, r.number);
            sqlite3_bind_text(sale, 2, key(r.date).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(sale, 3, d.id);
            sqlite3_bind_text(sale, 4, key(r.due).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(sale, 5, r.total - r.paid);
            step(sale);
        }
        for (const Posting& row : d.receivable)
            for (int account : {4, row.debit ? 1 : 3}) {
                sqlite3_bind_int(ledger, 1, ++ledgerID);
                sqlite3_bind_int(ledger, 2, account);
                sqlite3_bind_text(ledger, 3, std::to_string(d.id).c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ledger, 4, row.postRef.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ledger, 5, key(row.date).c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(ledger, 6, row.desc.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_int64(ledger, 7, account == 4 ? row.debit : row.credit);
                sqlite3_bind_int64(ledger, 8, account == 4 ? row.credit : row.debit);
                step(ledger);
            }
    }
    for (sqlite3_stmt* s : {company, patient, sale, ledger}) sqlite3_finalize(s);
    exec(db, "COMMIT");
    exec(db, "ANALYZE");
    sqlite3_close(db);
}

// What one page shows, as the peer reads it.
struct PeerPage {
    std::array<std::string, 3> patient, billTo;
    std::string account;
    std::array<long, 5> aging{};
    struct Row {
        std::string date, text;
        long amount, balance;
    };
    std::vector<Row> rows;  // the last ten
};

std::string column(sqlite3_stmt* s, int i) {
    const unsigned char* text = sqlite3_column_text(s, i);
    return text ? reinterpret_cast<const char*>(text) : "";
}

TDateTime fromKey(const std::string& Key) {
    return EncodeDate(std::stoi(Key.substr(0, 4)), std::stoi(Key.substr(4, 2)), std::stoi(Key.substr(6, 2)));
}

// The QPainter side of one statement page, in device pixels at dpi.
class PeerPainter {
public:
    explicit PeerPainter(const std::array<std::string, 5>& Letterhead) : letterhead_(Letterhead) {
        scissors_ = QImage(128, 128, QImage::Format_RGB32);
        scissors_.fill(Qt::white);
        QPainter p(&scissors_);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::black);
        p.drawPolygon(QPolygon({QPoint(38, 50), QPoint(124, 84), QPoint(122, 90), QPoint(34, 60)}));
        p.drawPolygon(QPolygon({QPoint(34, 68), QPoint(122, 38), QPoint(124, 44), QPoint(38, 78)}));
        p.setBrush(Qt::white);
        p.setPen(QPen(Qt::black, 8));
        p.drawEllipse(QRect(6, 18, 36, 36));
        p.drawEllipse(QRect(6, 74, 36, 36));
        p.setPen(QPen(Qt::black, 1));
        p.drawEllipse(QRect(70, 58, 12, 12));
    }

    void paint(QPainter& p, const PeerPage& page) {
        p_ = &p;
        grey(1.2, 1.7, 3.2, 1.88);
        grey(5, 1.7, 7, 1.88);
        grey(0.9, 5.7, 2.9, 5.88);
        grey(5, 5.7, 7, 5.88);
        for (double top : {0.8, 4.3}) {
            grey(6.3, top, 8, top + 0.15);
            white(6.3, top + 0.15, 8, top + 0.4);
            line(7.05, top, 7.05, top + 0.4);
        }
        grey(0.5, 6.8, 8, 7.15);
        white(0.5, 7.15, 8, 9.6);
        for (double x : {1.5, 6.0, 7.0}) line(x, 6.8, x, 9.6);
        lines(page.billTo, 1.3, 0.7);
        lines(page.billTo, 1.0, 6.1);
        lines(page.patient, 5.1, 2.1);
        lines(page.patient, 5.1, 6.1);
        letter(2.25, 2.1);
        letter(1.75, 4.5);
        font(14, true);
        text(6.7, 0.7, "STATEMENT");
        text(6.7, 4.2, "STATEMENT");
        font(10);
        text(1.3, 1.85, "Remit to");
        text(5.1, 1.85, "Patient");
        text(1.0, 5.85, "Bill to");
        text(5.1, 5.85, "Patient");
        const std::string date = FormatDateTime("m/d/yyyy", today());
        for (double top : {0.8, 4.3}) {
            font(8);
            text(6.55, top + 0.1, "Date");
            text(7.1, top + 0.1, "Account Number");
            font(10);
            text(6.35, top + 0.35, date);
            text(7.1, top + 0.35, page.account);
        }
        p.drawImage(QRectF(px(0.5), px(3.3), px(0.5), px(0.3)), scissors_);
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawLine(QPointF(px(0.5), px(3.5)), QPointF(px(8), px(3.5)));
        p.setPen(QPen(Qt::black, 1));
        font(8, false, true);
        centre(4.25, 3.45, "Cut or score and tear off this part of the statement and return it with your payment.");
        centre(4.25, 3.6, "Retain this part of the statement for your records.");
        font(12);
        text(0.8, 7.0, "Date");
        text(3.35, 7.0, "Description");
        text(6.2, 7.0, "Amount");
        text(7.2, 7.0, "Balance");
        font(10);
        double y = 7.5;
        for (const PeerPage::Row& row : page.rows) {
            text(0.58, y, row.date);
            text(2.0, y, row.text);
            right(6.95, y, picture("###,###,##0.00;;0", row.amount));
            right(7.95, y, picture("###,###,##0.00;;0", row.balance));
            y += lineHeight_;
        }
        // The aging boxes.
        grey(0.5, 9.7, 8, 10.1);
        grey(0.5, 9.7, 2, 10.5);
        white(2, 10.1, 8, 10.5);
        for (double x : {3.0, 4.0, 5.0, 6.0, 7.0}) line(x, 9.7, x, 10.5);
        centre(3.5, 9.87, "1-30 Days");
        centre(4.5, 9.87, "31-60 Days");
        centre(5.5, 9.87, "61-90 Days");
        centre(6.5, 9.87, "Over 90 Days");
        centre(2.5, 10.04, "Current");
        for (double x : {3.5, 4.5, 5.5, 6.5}) centre(x, 10.04, "Past Due");
        centre(7.5, 10.04, "Total Due");
        long total = 0;
        for (int i = 0; i < 5; ++i) {
            centre(2.5 + i, 10.3, picture("###,##0.00", page.aging[i]));
            total += page.aging[i];
        }
        centre(7.5, 10.3, picture("###,##0.00", total));
    }

private:
    static double px(double Inches) { return Inches * dpi; }
    void font(double Points, bool Bold = false, bool Italic = false) {
        QFont f("Arial");
        f.setPixelSize(static_cast<int>(Points / 72.0 * dpi + 0.5));
        f.setBold(Bold);
        f.setItalic(Italic);
        p_->setFont(f);
        lineHeight_ = QFontMetricsF(f, p_->device()).lineSpacing() / dpi;
    }
    void rect(double X1, double Y1, double X2, double Y2, const QColor& Fill) {
        p_->setPen(QPen(Qt::black, 1));
        p_->setBrush(Fill);
        p_->drawRect(QRectF(QPointF(px(X1), px(Y1)), QPointF(px(X2), px(Y2))));
    }
    void grey(double X1, double Y1, double X2, double Y2) { rect(X1, Y1, X2, Y2, QColor(232, 232, 232)); }
    void white(double X1, double Y1, double X2, double Y2) { rect(X1, Y1, X2, Y2, Qt::white); }
    void line(double X1, double Y1, double X2, double Y2) {
        p_->drawLine(QPointF(px(X1), px(Y1)), QPointF(px(X2), px(Y2)));
    }
    void text(double X, double Y, const std::string& Text) {
        p_->drawText(QPointF(px(X), px(Y)), QString::fromStdString(Text));
    }
    double width(const std::string& Text) const {
        return QFontMetricsF(p_->font(), p_->device()).horizontalAdvance(QString::fromStdString(Text)) / dpi;
    }
    void right(double X, double Y, const std::string& Text) { text(X - width(Text), Y, Text); }
    void centre(double X, double Y, const std::string& Text) { text(X - width(Text) / 2, Y, Text); }
    void lines(const std::array<std::string, 3>& Lines, double X, double Y) {
        font(10);
        for (const std::string& l : Lines) {
            text(X, Y, l);
            Y += lineHeight_;
        }
    }
    void letter(double X, double Y) {
        for (std::size_t i = 0; i < letterhead_.size(); ++i) {
            font(10, i == 0);
            centre(X, Y, letterhead_[i]);
            Y += lineHeight_;
        }
    }

    std::array<std::string, 5> letterhead_;
    QImage scissors_;
    QPainter* p_ = nullptr;
    double lineHeight_ = 0;
};

// Opens the peer's database and hands each page to Page, in name order.
int runPeer(const std::function<void(const std::array<std::string, 5>&)>& Start,
            const std::function<void(const PeerPage&)>& Page) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(scratch->file("peer.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        fail("cannot open the peer's database");
    std::array<std::string, 5> head;
    sqlite3_stmt* company = prepare(db, "SELECT Text FROM Company ORDER BY Line");
    for (int i = 0; i < 5 && sqlite3_step(company) == SQLITE_ROW; ++i) head[i] = column(company, 0);
    Start(head);
    sqlite3_stmt* patients = prepare(db,
                                     "SELECT ID, NAME, ADDR, CITY, STATE, ZIP, BILLNAME, BILLADDR, BILLCITY,"
                                     " BILLSTATE, BILLZIP FROM Patient WHERE BALANCE <> 0 ORDER BY upper(RECNAME)");
    sqlite3_stmt* sales = prepare(db, "SELECT DUEDATE, BALANCE FROM Sales WHERE PATID = ?");
    sqlite3_stmt* ledger = prepare(db,
                                   "SELECT DATE, DESC, POSTREF, DEBIT, CREDIT FROM Ledger WHERE ACCTNO = ? AND"
                                   " ACCOUNT = 4 AND DATE BETWEEN '19000101' AND '21000101' ORDER BY DATE");
    const TDateTime now = today();
    int pages = 0;
    while (sqlite3_step(patients) == SQLITE_ROW) {
        PeerPage page;
        const int id = sqlite3_column_int(patients, 0);
        page.account = std::to_string(id);
        page.patient = {column(patients, 1), column(patients, 2),
                        column(patients, 3) + ", " + column(patients, 4) + " " + column(patients, 5)};
        page.billTo = column(patients, 6).empty()
                          ? page.patient
                          : std::array<std::string, 3>{column(patients, 6), column(patients, 7),
                                                       column(patients, 8) + ", " + column(patients, 9) + " " +
                                                           column(patients, 10)};
        sqlite3_bind_int(sales, 1, id);
        while (sqlite3_step(sales) == SQLITE_ROW)
            page.aging[static_cast<int>(bucketFor(fromKey(column(sales, 0)), now))] += sqlite3_column_int64(sales, 1);
        sqlite3_reset(sales);
        sqlite3_bind_text(ledger, 1, page.account.c_str(), -1, SQLITE_TRANSIENT);
        long balance = 0;
        while (sqlite3_step(ledger) == SQLITE_ROW) {
            const long amount = sqlite3_column_int64(ledger, 3) - sqlite3_column_int64(ledger, 4);
            balance += amount;
            page.rows.push_back({shown(fromKey(column(ledger, 0))), column(ledger, 1) + " " + column(ledger, 2),
                                 amount, balance});
        }
        sqlite3_reset(ledger);
        if (page.rows.size() > 10) page.rows.erase(page.rows.begin(), page.rows.end() - 10);
        Page(page);
        ++pages;
    }
    for (sqlite3_stmt* s : {company, patients, sales, ledger}) sqlite3_finalize(s);
    sqlite3_close(db);
    return pages;
}

int peerStreamPages = 0;

void peerStream() {
    QFile file(QString::fromStdString(scratch->file("peer-stream.bin")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) fail("cannot write the peer's stream");
    QDataStream out(&file);
    std::unique_ptr<PeerPainter> painter;
    peerStreamPages = runPeer([&](const auto& head) { painter = std::make_unique<PeerPainter>(head); },
                              [&](const PeerPage& page) {
                                  QPicture picture;
                                  QPainter p(&picture);
                                  painter->paint(p, page);
                                  p.end();
                                  out << picture;
                              });
}

void peerPdf(const std::string& File) {
    QPdfWriter writer(QString::fromStdString(File));
    writer.setResolution(dpi);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter p(&writer);
    std::unique_ptr<PeerPainter> painter;
    bool first = true;
    runPeer([&](const auto& head) { painter = std::make_unique<PeerPainter>(head); },
            [&](const PeerPage& page) {
                if (!first) writer.newPage();
                first = false;
                painter->paint(p, page);
            });
}

// ---------------------------------------------------------------- checks

std::string tool(const std::string& Command) {
    std::string out;
    FILE* pipe = popen(Command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::string sampleTotalDue;

void checkPdf(const std::string& File, const char* Who) {
    const std::string info = tool("pdfinfo '" + File + "' 2>/dev/null");
    const std::size_t at = info.find("Pages:");
    if (at == std::string::npos || std::atoi(info.c_str() + at + 6) != patientCount)
        fail(std::string(Who) + ": the PDF does not have 2000 pages");
    const std::string page = std::to_string(samplePatient);
    const std::string text = tool("pdftotext -f " + page + " -l " + page + " '" + File + "' - 2>/dev/null");
    if (text.find("Patient " + std::to_string(samplePatient)) == std::string::npos ||
        text.find(sampleTotalDue) == std::string::npos)
        fail(std::string(Who) + ": the sample patient's Total Due " + sampleTotalDue + " is not on its page");
}

void checkStream(int Pages, const char* Who) {
    if (Pages != patientCount) fail(std::string(Who) + ": the stream has " + std::to_string(Pages) + " pages");
}

// ---------------------------------------------------------------- cases

void OurStream(benchmark::State& state) {
    for (auto _ : state) ourStream();
    checkStream(ourStreamPages, "statements_stream/ours");
}

void PeerStream(benchmark::State& state) {
    for (auto _ : state) peerStream();
    checkStream(peerStreamPages, "statements_stream/peer");
}

void OurPdf(benchmark::State& state) {
    const std::string file = scratch->file("ours.pdf");
    for (auto _ : state) ourPdf(file);
    checkPdf(file, "statements_pdf/ours");
}

void PeerPdf(benchmark::State& state) {
    const std::string file = scratch->file("peer.pdf");
    for (auto _ : state) peerPdf(file);
    checkPdf(file, "statements_pdf/peer");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        ScratchFolder root;
        setenv("QUENMARK_ROOT", root.file("").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        Application->Initialize();
        xb_CloseAll();
        setFixedNow(today() + 0.5);
        registerReportForms();

        ScratchFolder peerFolder;
        scratch = &peerFolder;
        const std::vector<PatientData> patients = makePatients();
        sampleTotalDue = picture("###,##0.00", patients[samplePatient - 1].balance);
        TestCompany ours;
        company = &ours;
        buildOurs(ours.DataDirectory(), patients);
        buildPeer(peerFolder.file("peer.db"), patients);

        auto add = [](const char* name, void (*fn)(benchmark::State&)) {
            benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
        };
        add("statements_stream/ours", OurStream);
        add("statements_stream/peer", PeerStream);
        add("statements_pdf/ours", OurPdf);
        add("statements_pdf/peer", PeerPdf);
        benchmark::Initialize(&argc, argv);
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        reporter.PrintRatio("statements_stream", "peer");
        reporter.PrintRatio("statements_pdf", "peer");
        Session()->Close();
        xb_CloseAll();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "statements: %s\n", e.what());
        return 1;
    }
    return 0;
}
