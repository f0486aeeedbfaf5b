// Opening a company a shop left in trouble: an index file missing or made
// unusable, a table another program holds, a second workstation opening at
// the same moment. Each is said in words, a bad index is rebuilt to what a
// fresh build gives, and a money document that cannot be written whole
// writes nothing.
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <unistd.h>

#include "MoneyFixture.h"
#include "app/IndexCatalog.h"
#include "os/Paths.h"
#include "sales/PaymentDocument.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"
#include "xbengine/XbCodes.h"

namespace {

// Each tag of a table, as its record numbers in key order ({-1} for a tag
// that is not there).
using TagOrders = std::map<std::string, std::vector<int>>;

TagOrders ReadTagOrders(const std::string& Folder, const std::string& FileName) {
    TagOrders orders;
    const int previous = xb_Select(0);
    const std::string path = os::IncludeTrailingPathDelimiter(Folder) + FileName;
    if (xb_Use(path.c_str(), "ORDERS", XB_READONLY, XB_DRIVER_NSX) == 0) {
        ADD_FAILURE() << "cannot open " << path;
        return orders;
    }
    for (const TIndexTagDef& tag : IndexCatalog::findTable(FileName)->Tags) {
        std::vector<int>& order = orders[tag.TagName];
        const int number = xb_TagArea(tag.TagName);
        if (number == 0) {
            order = {-1};
            continue;
        }
        xb_SetOrder(number);
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            order.push_back(xb_RecNo());
    }
    xb_Close();
    xb_Select(previous);
    return orders;
}

// The same table's tags built afresh on a copy of it.
TagOrders FreshTagOrders(const std::string& Folder, const std::string& FileName) {
    TempDir copy;
    std::filesystem::copy_file(os::MapPath(os::IncludeTrailingPathDelimiter(Folder) + FileName),
                               copy.file(FileName));
    CompanyFixture::BuildIndex(copy.path(), FileName);
    return ReadTagOrders(copy.path(), FileName);
}

// The bytes of every table of the folder.
std::map<std::string, std::string> TableBytes(const std::string& Folder) {
    std::map<std::string, std::string> bytes;
    for (const std::string& name : os::ListFiles(Folder, "*.dbf")) {
        std::ifstream in(os::IncludeTrailingPathDelimiter(Folder) + name, std::ios::binary);
        bytes[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return bytes;
}

// The tables an open company keeps open.
int OpenTableCount(const TDataModule1& m) {
    int open = 0;
    for (TTable* table : std::initializer_list<TTable*>{m.PatientTable, m.SalesTable, m.SalesDetailTable, m.InsTable, m.InsDetailTable,
                          m.CPTCodeTable, m.DiagCodeTable, m.IncidentTable, m.PersonnelTable, m.AccountTable,
                          m.LedgerTable, m.ItemTable, m.PaymentTable, m.PaymentDtlTable, m.DepositTable,
                          m.DepositDtlTable, m.InsCompTable, m.LabRxTable, m.PatternTable})
        open += table->Active() ? 1 : 0;
    return open;
}
constexpr int KeptOpen = 19;

std::vector<std::string> texts(const TDialogScript& Script) {
    std::vector<std::string> shown;
    for (const TDialogRequest& request : Script.Shown())
        shown.push_back(request.Text);
    return shown;
}

const TDateTime PaymentDate = EncodeDate(2026, 3, 5);

std::string RebuildNotice(const std::string& Table) {
    return "The index of " + Table + " is missing or damaged. The indexes will be rebuilt now.";
}

class CompanyOpenTest : public MoneyTest {
protected:
    // Receipts for patients 7 and 8 and a payment on the first, so that
    // every money table has rows; then the company is closed.
    void SetUp() override {
        MoneyTest::SetUp();
        newReceipt("7", {{"EXAM", "1", "100.00", false}});
        ASSERT_TRUE(receipt->SaveReceipt());
        newReceipt("8", {{"FRAME1", "1", "40.00", true}});
        ASSERT_TRUE(receipt->SaveReceipt());
        ASSERT_TRUE(pay("30"));
        module->CloseFiles();
        closeCompany();
    }
    // A payment of Amount from patient 7 on the first open receipt, as the
    // payment window makes it; whether it was saved.
    bool pay(const std::string& Amount) {
        TPaymentDocument payment(*module);
        if (!payment.AddBalancesDue("7", "Pat Seven", PaymentDate) || module->Temp4Table->IsEmpty())
            return false;
        TTable* temp4 = module->Temp4Table;
        temp4->First();
        temp4->Edit();
        temp4->FieldByName("PAYMENT")->SetAsString(Amount);
        temp4->Post();
        payment.CalcPayment();
        module->Temp3Table->Edit();
        module->Temp3Table->FieldByName("PYMTAPP")->SetAsString(Amount);
        module->Temp3Table->Post();
        payment.TotalAmountPaid();
        return payment.SavePayment();
    }

    std::string file(const std::string& Name) const { return os::MapPath(company.File(Name)); }

    // The index is what a fresh build from its table gives.
    void expectFreshIndex(const std::string& FileName) {
        EXPECT_EQ(ReadTagOrders(company.DataDirectory(), FileName),
                  FreshTagOrders(company.DataDirectory(), FileName));
    }

    // A second program holding Table for exclusive use until released.
    void holdTable(const std::string& Table) {
        const std::string path = file(Table);
        holder = std::make_unique<ChildProcess>([path](ChildProcess& self) {
            if (xb_Use(path.c_str(), "HELD", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0)
                throw std::runtime_error("cannot hold the table");
            self.Send();
            self.Receive();
        });
        ASSERT_TRUE(holder->Receive());
    }
    void release(std::unique_ptr<ChildProcess>& Process) {
        Process->Send();
        EXPECT_EQ(Process->Wait(), 0);
        Process.reset();
    }

    std::unique_ptr<ChildProcess> holder;
    std::unique_ptr<ChildProcess> workstation;
};

}  // namespace

TEST_F(CompanyOpenTest, TroubleAtOpeningIsNamedAndNoDocumentIsHalfWritten) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> atOpen;  // the messages of the open, in order
        std::function<void()> outcome;
    };
    const std::string folder = company.DataDirectory();
    const Case cases[] = {
        {"Sales.nsx deleted",
         [&] { ASSERT_TRUE(os::DeleteFile(file("Sales.nsx"))); },
         {RebuildNotice("Sales.dbf")},
         [&] {
             expectFreshIndex("Sales.dbf");
             // The receipts are found again: the payment is taken.
             TDialogScript none;
             EXPECT_TRUE(pay("20"));
         }},
        {"PymtDtl.nsx left unusable",
         [&] { std::filesystem::resize_file(file("PymtDtl.nsx"), 100); },
         {RebuildNotice("PymtDtl.dbf")},
         [&] { expectFreshIndex("PymtDtl.dbf"); }},
        {"Ledger.dbf held by another program",
         [&] { holdTable("Ledger.dbf"); },
         {"Could not open Ledger.dbf"},
         [&] {
             const auto before = TableBytes(folder);
             TDialogScript script;
             script.Answer(mrOk).Answer(mrOk);
             newReceipt("8", {{"EXAM", "1", "25.00", false}});
             EXPECT_FALSE(receipt->SaveReceipt());
             EXPECT_FALSE(pay("10"));
             const std::string advice = "\r\rOpen the company again, then try once more.";
             EXPECT_EQ(texts(script),
                       (std::vector<std::string>{"Ledger.dbf is not open. The receipt was not saved." + advice,
                                                 "Ledger.dbf is not open. The payment was not saved." + advice}));
             EXPECT_EQ(TableBytes(folder), before) << "nothing written";
             release(holder);
         }},
        {"a second workstation opening at the same moment",
         [&] {
             const std::string patients = file("Patient.dbf");
             workstation = std::make_unique<ChildProcess>([patients, folder](ChildProcess& self) {
                 // Its exclusive probe holds the patients a moment ...
                 if (xb_Use(patients.c_str(), "PROBE", XB_EXCLUSIVE, XB_DRIVER_NSX) == 0)
                     throw std::runtime_error("cannot probe");
                 self.Send();
                 usleep(300 * 1000);
                 xb_Close();
                 // ... then it opens the company. It may find itself alone
                 // for a moment and warn about the count of opens, but it
                 // must open every table.
                 TDialogScript script;
                 script.Answer(mrOk).Answer(mrOk).Answer(mrOk);
                 TDataModule1 other(nullptr, nullptr);
                 DataModule1 = &other;
                 other.ChangeDataDirectory(folder);
                 if (OpenTableCount(other) != KeptOpen)
                     throw std::runtime_error("a table stayed closed");
                 self.Send();
                 self.Receive();
             });
             ASSERT_TRUE(workstation->Receive());
         },
         {},
         [&] {
             EXPECT_TRUE(workstation->Receive()) << "the other workstation opened the company";
             release(workstation);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        {
            TDialogScript script;
            for (size_t i = 0; i < c.atOpen.size(); ++i)
                script.Answer(mrOk);
            openCompany();
            Application->ProcessMessages();
            EXPECT_EQ(texts(script), c.atOpen);
        }
        EXPECT_EQ(OpenTableCount(*module), KeptOpen - static_cast<int>(holder != nullptr));
        c.outcome();
        EXPECT_EQ(broken(), std::vector<std::string>{});
        module->CloseFiles();
        closeCompany();
    }
}
