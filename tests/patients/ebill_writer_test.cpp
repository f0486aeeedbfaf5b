#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

#include "EBillSupport.h"
#include "os/Paths.h"
#include "patients/EBillFile.h"
#include "patients/EBillWriter.h"
#include "support/TempDir.h"
#include "ui/DialogResponder.h"

namespace {

using namespace ebill_test;

const std::string kStored = "Electronic claim stored for capture by claims processing software.";

std::string blanks(int n) { return std::string(size_t(n), ' '); }

bool onlyBlanks(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

using ClaimCaptureTest = ClaimCompany;

TEST_F(ClaimCaptureTest, TheFixtureClaimsBlockHasTheFormsBytes) {
    open();
    TDialogScript script;
    script.Answer(mrOk);
    SubmitEBill(claim(), rows(), folder());

    const std::string bytes = readFile(eBillFilePath(folder()));
    const std::vector<std::string> l = crlfLines(bytes);
    ASSERT_EQ(l.size(), 66u);
    EXPECT_EQ(l[0], blanks(40) + "Claim: 12");
    EXPECT_EQ(l[1], " ");
    EXPECT_EQ(l[3], blanks(40) + "MEDICARE PART B");
    EXPECT_EQ(l[5], blanks(40));  // CAR_ADDR2 is empty
    EXPECT_EQ(l[6], blanks(40) + "CHICAGO IL 60601");
    EXPECT_EQ(l[65], " ");

    // Each text starts at its column.
    struct Piece {
        int line, column;
        std::string text;
    };
    for (const Piece& p : std::vector<Piece>{
             {10, 2, "X"},                 // "Medicare"
             {10, 52, "123-45-6789A"},
             {12, 3, "DOE, JANE Q"},
             {12, 32, "03 14 75"},
             {12, 43, " "},
             {12, 48, "X"},                 // "Female"
             {18, 15, "(217)555-0100"},
             {18, 35, "X"},                 // employed
             {24, 35, " "},
             {24, 41, "X"},                 // COND_AUTO false ...
             {24, 47, "  "},                // ... and no state
             {32, 7, "SIGNATURE ON FILE."},
             {32, 56, blanks(18)},
             {36, 3, "DR. BARTHOLOMEW FEAT       "},  // REFPHYS cut to 20
             {36, 30, "UPIN-0012345"},          // REFPHYS_ID cut to 12
             {38, 52, " "},
             {38, 57, "X"},                 // OUTSIDELAB false ...
             {38, 63, blanks(8)},           // ... and no charges
             {46, 2, "01 05 26"},
             {46, 19, "11"},
             {46, 50, "     12.50"},
             {46, 60, "  1"},
             {48, 27, "V2020"},
             {48, 33, "RT"},
             {48, 50, "     -5.00"},    // a negative charge keeps its minus
             {48, 71, "LENS"},
             {58, 20, "X"},                 // "EIN"
             {58, 38, "X"},                 // accepts assignment
             {58, 52, "   12.50"},
             {58, 62, blanks(8)},           // zero paid
             {58, 72, "   -3.25"},
             {62, 12, "01/07/26"},
             {62, 24, "SPRINGFIELD IL "},  // the blank before an empty zip stays
         }) {
        EXPECT_EQ(at(l, p.line, p.column, int(p.text.size())), p.text) << "line " << p.line << " column " << p.column;
    }

    // Each data line is 80 blanks plus its pieces.
    EXPECT_EQ(l[9].size(), 80u + 1 + 12);               // X, INS_ID
    EXPECT_EQ(l[27].size(), 80u + 1);                   // only box 11d's "X"
    EXPECT_EQ(l[35].size(), 80u + 20 + 12);             // box 17 cut
    EXPECT_EQ(l[61].size(), 80u + 8 + 15 + 2);          // date, facility, empty billing city
    EXPECT_EQ(l[57].size(), 80u + 10 + 1 + 4 + 1 + 3 * 8);  // tax id, X, account, X, amounts
    // Rows 3 to 6 are empty: nothing but the blanks of their zero amounts.
    for (int line : {50, 52, 54, 56}) {
        EXPECT_TRUE(onlyBlanks(l[size_t(line - 1)])) << line;
        EXPECT_EQ(l[size_t(line - 1)].size(), 80u + 10 + 3) << line;
    }

    // Marked only now, and stored with the block: EBILLED today.
    EXPECT_EQ(claim()->State(), dsBrowse);
    EXPECT_EQ(claim()->FieldByName("EBILLED")->AsDateTime(), EncodeDate(2026, 3, 9));
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, kStored);

    // A second capture appends the claim again.
    script.Answer(mrOk);
    SubmitEBill(claim(), rows(), folder());
    const std::string twice = readFile(eBillFilePath(folder()));
    EXPECT_EQ(crlfLines(twice).size(), 132u);
    EXPECT_EQ(twice, bytes + bytes);
}

TEST_F(ClaimCaptureTest, ChoicesConditionsAndJoinsFollowTheClaimsValues) {
    open();
    struct Case {
        const char* name;
        std::function<void(TDataSet*)> change;
        int line, column;
        std::string text;
    };
    auto set = [](const char* field, const char* value) {
        return [=](TDataSet* c) { c->FieldByName(field)->SetAsString(value); };
    };
    const std::vector<Case> cases = {
        {"a plan type in other letters is no choice", set("PLAN_TYPE", "medicare"), 10, 2, " "},
        {"group plan", set("PLAN_TYPE", "Group Plan"), 10, 32, "X"},
        {"part-time student", set("PAT_STUDNT", "Part-Time"), 18, 47, "X"},
        {"auto accident with its state as stored",
         [](TDataSet* c) { c->FieldByName("COND_AUTO")->SetAsBoolean(true); }, 24, 35, "X" + blanks(11) + "ny"},
        {"outside lab with charges",
         [](TDataSet* c) { c->FieldByName("OUTSIDELAB")->SetAsBoolean(true); }, 38, 52,
         "X" + blanks(10) + "   40.00"},
        {"outside lab charges of zero are blanks",
         [](TDataSet* c) {
             c->FieldByName("OUTSIDELAB")->SetAsBoolean(true);
             c->FieldByName("OUTLABCHGS")->SetAsFloat(0);
         },
         38, 52, "X" + blanks(18)},
        {"no outside lab charges write nothing",
         [](TDataSet* c) {
             c->FieldByName("OUTSIDELAB")->SetAsBoolean(true);
             c->FieldByName("OUTLABCHGS")->Clear();
         },
         38, 1, blanks(51) + "X" + blanks(29)},
        {"carrier city parts trimmed", set("CAR_CITY", "  Oak Park"), 7, 41, "OAK PARK IL 60601"},
        {"facility city line in upper case", set("FAC_ZIP", "62701-1234"), 62, 24,
         "SPRINGFIELD IL 62701-1234"},
        {"high bytes pass unchanged", set("PAT_NAME", "Mu\xF1oz, Jos\xE9"), 12, 3, "MU\xF1OZ, JOS\xE9"},
        {"a pasted tab is a blank", set("PAT_NAME", "Doe,\tJane Q"), 12, 3, "DOE, JANE Q"},
        {"a line break typed into the address keeps the line whole", set("PAT_ADDRS", "12 Elm\r\nSt"), 14, 3,
         "12 ELM  ST"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        claim()->Edit();
        c.change(claim());
        const std::vector<std::string> l = crlfLines(buildEBillBlock(claim(), rows()));
        EXPECT_EQ(l.size(), 66u);
        EXPECT_EQ(at(l, c.line, c.column, int(c.text.size())), c.text);
        claim()->Cancel();
    }
}

TEST_F(ClaimCaptureTest, FewerThanSixRowsRepeatTheLastAndNoRowsGiveBlankLines) {
    open(2);
    const std::vector<std::string> two = crlfLines(buildEBillBlock(claim(), rows()));
    for (int line : {50, 52, 54, 56}) EXPECT_EQ(two[size_t(line - 1)], two[47]) << line;
    EXPECT_EQ(at(two, 56, 50, 10), "     -5.00");

    rows()->First();
    while (!rows()->IsEmpty()) rows()->Delete();
    const std::vector<std::string> none = crlfLines(buildEBillBlock(claim(), rows()));
    for (int line = 46; line <= 56; line += 2) EXPECT_EQ(none[size_t(line - 1)], blanks(80)) << line;
}

TEST_F(ClaimCaptureTest, AFileThatCannotBeWrittenLeavesTheClaimUnmarked) {
    open();
    ASSERT_TRUE(os::ForceDirectories(folder() + "/EBill.dat"));  // a folder where the file should be
    TDialogScript script;
    EXPECT_THROW(SubmitEBill(claim(), rows(), folder()), EInOutError);
    EXPECT_EQ(claim()->State(), dsBrowse);
    EXPECT_TRUE(claim()->FieldByName("EBILLED")->IsNull());
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(ClaimCaptureTest, AWriteCutShortLeavesTheFileAsItWas) {
    open();
    const std::string before = "earlier claims\r\n";
    writeFile(folder() + "/EBill.dat", before);
    // The file may not grow past a few bytes more: the block's write fails half-way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = before.size() + 100;
    setrlimit(RLIMIT_FSIZE, &small);
    TDialogScript script;
    EXPECT_THROW(SubmitEBill(claim(), rows(), folder()), EInOutError);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(readFile(folder() + "/EBill.dat"), before);
    EXPECT_TRUE(claim()->FieldByName("EBILLED")->IsNull());
}

TEST(EBillFormatTest, MoneyAndUnitsPictures) {
    struct Case {
        double value;
        int width;
        std::string text;
    };
    for (const Case& c : std::vector<Case>{{12.5, 8, "   12.50"},
                                           {0, 8, blanks(8)},
                                           {0.004, 8, blanks(8)},
                                           {-0.5, 8, "   -0.50"},
                                           {99999.99, 8, "99999.99"},
                                           {-99999.99, 8, "-99999.99"},
                                           {1234567.895, 10, "1234567.90"}})
        EXPECT_EQ(eBillMoney(Currency(c.value), c.width), c.text) << c.value;
    EXPECT_EQ(eBillUnits(0), "   ");
    EXPECT_EQ(eBillUnits(3), "  3");
    EXPECT_EQ(eBillUnits(-2), " -2");
    EXPECT_EQ(eBillUnits(120), "120");
}

// Every block of a capture file: 66 lines of one tag, numbered 1 to 66.
std::vector<std::string> blockTags(const std::string& bytes) {
    const std::vector<std::string> lines = crlfLines(bytes);
    EXPECT_EQ(lines.size() % 66, 0u);
    std::vector<std::string> tags;
    for (size_t first = 0; first + 66 <= lines.size(); first += 66) {
        const std::string tag = lines[first].substr(0, lines[first].find(' '));
        for (size_t i = 0; i < 66; ++i)
            EXPECT_EQ(lines[first + i], tag + " " + std::to_string(i + 1)) << "block of " << tag;
        tags.push_back(tag);
    }
    return tags;
}

std::string taggedBlock(const std::string& tag) {
    std::string block;
    for (int i = 1; i <= 66; ++i) block += tag + " " + std::to_string(i) + "\r\n";
    return block;
}

TEST(EBillFileTest, CapturesAndRemovalsAtOnceKeepEveryBlockWholeAndInOrder) {
    TempDir dir;
    for (int i = 0; i < 10; ++i) appendEBillBlock(dir.path(), taggedBlock("S" + std::to_string(i)));

    constexpr int kWriters = 4, kBlocks = 20, kRemovals = 10;
    std::vector<std::thread> threads;
    for (int w = 0; w < kWriters; ++w)
        threads.emplace_back([&, w] {
            for (int n = 0; n < kBlocks; ++n)
                appendEBillBlock(dir.path(), taggedBlock("W" + std::to_string(w) + "-" + std::to_string(n)));
        });
    threads.emplace_back([&] {
        for (int n = 0; n < kRemovals; ++n) removeEBillBlock(dir.path(), 1);
    });
    for (std::thread& t : threads) t.join();

    const std::vector<std::string> tags = blockTags(readFile(eBillFilePath(dir.path())));
    ASSERT_EQ(tags.size(), size_t(kWriters * kBlocks));  // the ten seeded blocks went first
    for (int w = 0; w < kWriters; ++w) {
        int next = 0;
        for (const std::string& tag : tags)
            if (tag.rfind("W" + std::to_string(w) + "-", 0) == 0)
                EXPECT_EQ(tag, "W" + std::to_string(w) + "-" + std::to_string(next++));
        EXPECT_EQ(next, kBlocks);
    }
}

}  // namespace
