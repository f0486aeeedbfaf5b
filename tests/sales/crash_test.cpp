// Workstations killed at any moment while they save receipts, payments,
// deposits and stock adjustments on one company: the next open takes back
// what they left half written, and then every document is whole or absent
// (the books checker finds nothing), every document a workstation said was
// saved is there, every tag equals a fresh build from its table, and no
// receipt, payment or deposit number was handed out twice.
//
// A few trials of one workstation with fixed seeds run with the other
// tests; the long run of several workstations at once sets QM_CRASH_TRIALS
// and QM_CRASH_WORKSTATIONS (make stress).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "MoneyFixture.h"

#include "app/IndexCatalog.h"
#include "os/Paths.h"
#include "sales/SkuLabelQueue.h"
#include "support/TempDir.h"

namespace {

int setting(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

// A workstation process with its own installation root (its own label
// queue) and its standard output in a file.
struct Workstation {
    pid_t pid = -1;
    std::string root, output, patient;

    void start(const std::string& folder, unsigned seed) {
        // The company's settings as this installation has them; the data stays shared.
        namespace fs = std::filesystem;
        fs::create_directories(root);
        for (const auto& entry : fs::directory_iterator(os::InstallRoot()))
            if (entry.path().filename() != "Data" && entry.path().filename() != "temp")
                fs::copy(entry.path(), root + "/" + entry.path().filename().string(),
                         fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        pid = fork();
        if (pid == 0) {
            setenv("QUENMARK_ROOT", root.c_str(), 1);
            const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(out, STDOUT_FILENO);
            const std::string seedText = std::to_string(seed);
            execl(QM_WORKSTATION, QM_WORKSTATION, folder.c_str(), seedText.c_str(), "100000", patient.c_str(),
                  nullptr);
            _exit(127);
        }
    }
    void kill() {
        if (pid > 0)
            ::kill(pid, SIGKILL);
    }
    void wait() {
        if (pid > 0)
            waitpid(pid, nullptr, 0);
        pid = -1;
    }
    bool opened() const { return fileText(output).find("open\n") != std::string::npos; }
    std::string said() const { return fileText(output); }
    int labels() const { return static_cast<int>(countOf(fileText(root + "/temp/SkuLabel.dat"), "\r\n")); }
};

// Every record number of each tag of a table in key order, deleted records included.
std::map<std::string, std::vector<int>> tagOrders(const std::string& table) {
    std::map<std::string, std::vector<int>> orders;
    if (xb_Use(table.c_str(), "CHECKED", XB_SHARED, XB_DRIVER_NSX) == 0)
        return orders;
    const int deleted = xb_SetDeleted(XB_OFF);
    for (int order = 1; order <= static_cast<int>(xb_SysProp(XB_SP_TAG_COUNT, 0)); ++order) {
        xb_SetOrder(order);
        std::vector<int>& recNos = orders[xb_TagName(order)];
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            recNos.push_back(xb_RecNo());
    }
    xb_SetDeleted(deleted);
    xb_Close();
    return orders;
}

// Every number in the field of the table, deleted records included, that occurs twice.
std::vector<std::string> twice(const std::string& table, const char* field) {
    std::vector<std::string> out;
    if (xb_Use(table.c_str(), "NUMBERS", XB_SHARED, XB_DRIVER_NSX) == 0)
        return {"cannot open " + table};
    std::set<std::string> seen;
    for (int n = 1; n <= xb_RecCount(); ++n) {
        xb_Go(n);
        const std::string number = xb_GetTrimString(field);
        if (!number.empty() && number != "0" && !seen.insert(number).second)
            out.push_back(table + " " + field + " " + number);
    }
    xb_Close();
    return out;
}

class CrashTest : public MoneyTest {
protected:
    // Opens the company, its warnings about the workstations that stopped answered.
    void reopen() {
        TDialogScript script;
        for (int i = 0; i < 4; ++i)
            script.Answer(mrOk);
        openCompany();
    }
    // Live records of the table holding each number in the field, read once a
    // trial: reading the table again for every saved document made the long
    // run quadratic.
    std::map<std::string, int> live(const char* file, const char* field) {
        return BooksChecker::CountsOf(company.DataDirectory(), file, field);
    }
};

TEST_F(CrashTest, WorkstationsKilledAtRandomLeaveEveryDocumentWholeOrAbsent) {
    const int trials = setting("QM_CRASH_TRIALS", 5);
    const int count = setting("QM_CRASH_WORKSTATIONS", 1);
    const std::string folder = company.DataDirectory();
    closeCompany();
    // A patient for each workstation: what two workstations change at once
    // is the accounts' balances alone.
    std::vector<CompanyFixture::Row> patients;
    for (int i = 2; i < count; ++i)
        patients.push_back({{"ID", std::to_string(7 + i)}, {"RECNAME", "PATIENT " + std::to_string(7 + i)},
                            {"NAME", "Patient"}, {"BALANCE", "0"}, {"TERMS", "30"}});
    if (!patients.empty())
        CompanyFixture::AppendRows(folder, "Patient.dbf", patients);
    // And an item of its own whose stock only its adjustments move.
    std::vector<CompanyFixture::Row> items;
    for (int i = 0; i < count; ++i)
        items.push_back({{"ID", "ADJ" + std::to_string(7 + i)}, {"DESC", "Adjusted"}, {"SELL", "1.00"},
                         {"TAXED", "F"}, {"CTRLITEM", "T"}, {"QTYONHAND", "10"}});
    CompanyFixture::AppendRows(folder, "Item.dbf", items);
    TempDir roots;
    std::mt19937 rng(20261211);
    std::vector<Workstation> stations(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        stations[size_t(i)].root = roots.file("ws" + std::to_string(i));
        stations[size_t(i)].output = roots.file("ws" + std::to_string(i) + ".out");
        stations[size_t(i)].patient = std::to_string(7 + i);
    }
    int takenBack = 0, saved = 0;

    for (int trial = 0; trial < trials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        for (Workstation& w : stations) {
            std::filesystem::remove(w.output);
            w.start(folder, static_cast<unsigned>(rng()));
        }
        // Each is killed at a moment of its own once it has the company open.
        for (Workstation& w : stations) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!w.opened() && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        for (Workstation& w : stations) {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % 400000));
            w.kill();
        }
        for (Workstation& w : stations)
            w.wait();

        // The next workstation to open the company takes back what they left.
        {
            TDialogScript script;
            for (int i = 0; i < 4 * count; ++i)
                script.Answer(mrOk);
            openCompany();
            for (const TDialogRequest& shown : script.Shown())
                if (shown.Text.find("when the program stopped") != std::string::npos)
                    ++takenBack;
        }

        const std::map<std::string, int> receipts = live("Sales.dbf", "RECEIPT");
        const std::map<std::string, int> payments = live("Pymt.dbf", "ID");
        auto held = [](const std::map<std::string, int>& counts, const std::string& number) {
            auto it = counts.find(number);
            return it == counts.end() ? 0 : it->second;
        };
        for (const Workstation& w : stations) {
            EXPECT_EQ(figure("Item ADJ" + w.patient), Currency(10 + 3 * w.labels()))
                << "an adjustment lands with its label";
            std::istringstream said(w.said());
            std::string line;
            while (std::getline(said, line)) {
                saved += line.rfind("saved ", 0) == 0;
                if (line.rfind("saved receipt ", 0) == 0)
                    EXPECT_EQ(held(receipts, line.substr(14)), 1) << line;
                if (line.rfind("saved payment ", 0) == 0)
                    EXPECT_EQ(held(payments, line.substr(14)), 1) << line;
            }
        }
        EXPECT_EQ(BooksChecker::Check(folder), std::vector<std::string>{});
        closeCompany();

        for (const auto& table : IndexCatalog::Tables()) {
            const std::string path = os::MapPath(folder + "/" + table.FileName);
            if (!std::filesystem::exists(path))
                continue;
            // The table and its memo file, without its index, built anew.
            TempDir fresh;
            const std::string stem = UpperCase(std::filesystem::path(path).stem().string());
            for (const auto& entry : std::filesystem::directory_iterator(folder))
                if (UpperCase(entry.path().stem().string()) == stem &&
                    UpperCase(entry.path().extension().string()) != ".NSX")
                    std::filesystem::copy_file(entry.path(), fresh.file(entry.path().filename().string()));
            CompanyFixture::BuildIndex(fresh.path(), table.FileName);
            EXPECT_EQ(tagOrders(path), tagOrders(os::MapPath(fresh.path() + "/" + table.FileName)))
                << table.FileName << " holds tags other than a fresh build";
        }
        for (auto [file, field] : {std::pair{"Sales.dbf", "RECEIPT"}, {"Pymt.dbf", "ID"}, {"Deposit.dbf", "ID"}})
            EXPECT_EQ(twice(folder + "/" + file, field), std::vector<std::string>{});
        if (HasFailure())
            break;
    }
    std::cout << "crash trials " << trials << ", workstations " << count << ", documents saved " << saved
              << ", documents taken back " << takenBack
              << ", half-written documents found " << (HasFailure() ? "some" : "0") << "\n";
    reopen();
}

}  // namespace
