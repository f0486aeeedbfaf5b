// Every write and every flush of a money document fails in turn (a full
// disk, an I/O error, a refused permission): each time the document is
// rolled back whole, the message says in words what happened to which file
// and that the document was not saved, the books checker finds nothing and
// every figure is as before; once the fault lies past the document's last
// write, the same document saves.
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "MoneyFixture.h"
#include "ShopDocuments.h"

#include "os/FileIo.h"
#include "sales/SkuLabelQueue.h"

namespace {

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct FaultCase {
    const char* document;
    const char* outcome;  // what the message must say
    bool asks;            // asks whether to go on first
    std::function<void()> prepare;
    std::function<bool()> run;
};

class DocumentFaultTest : public MoneyTest {
protected:
    void SetUp() override {
        MoneyTest::SetUp();
        SkuLabelQueue::Reset();
        shop = std::make_unique<TShopDocuments>(*module);
        owner = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        owner.reset();
        shop.reset();
        os::ClearFileFaults();
        SkuLabelQueue::Reset();
        MoneyTest::TearDown();
    }

    // Fails call k of op for k = 1, 2, ... until the document saves; checks
    // each failure. The number of failures seen.
    int failEachCallUntilSaved(const FaultCase& c, os::FileOp op) {
        const int errors[] = {ENOSPC, EIO, EACCES};
        for (int k = 1; k < 500; ++k) {
            SCOPED_TRACE(std::string(c.document) + (op == os::FileOp::Write ? " write " : " flush ") +
                         std::to_string(k));
            const BooksChecker::TSnapshot before = snapshot();
            const std::string labelsBefore = fileText(SkuLabelQueue::Path());
            TDialogScript script;
            if (c.asks)
                script.Answer(mrYes);
            script.Answer(mrOk);
            os::FailFileCall(op, static_cast<uint64_t>(k), errors[k % 3]);
            const bool saved = c.run();
            os::ClearFileFaults();
            EXPECT_EQ(broken(), std::vector<std::string>{});
            if (saved)
                return k - 1;
            EXPECT_EQ(BooksChecker::Differences(before, snapshot()), std::vector<std::string>{});
            EXPECT_EQ(fileText(SkuLabelQueue::Path()), labelsBefore);
            bool told = false;
            for (const TDialogRequest& shown : script.Shown())
                if (shown.Text.find(c.outcome) != std::string::npos &&
                    shown.Text.find("could not be") != std::string::npos)
                    told = true;
            EXPECT_TRUE(told) << (script.Shown().empty() ? std::string("nothing shown")
                                                          : script.Shown().back().Text);
            if (HasFailure())
                return k;
        }
        ADD_FAILURE() << c.document << " never saved";
        return 0;
    }

    std::unique_ptr<TShopDocuments> shop;
    std::unique_ptr<TComponent> owner;
};

TEST_F(DocumentFaultTest, EveryWriteAndFlushOfEachDocumentFailingLeavesNothingAndTheNextSaveLands) {
    TAdjustInvDlg* adjustment = nullptr;
    const std::vector<FaultCase> cases = {
        {"receipt save", "The receipt was not saved.", false,
         [&] {
             ASSERT_TRUE(shop->startReceipt(
                 "7", {{"LENS1", "2", "40.00", true}, {"EXAM", "1", "50.00", false}, {"FRAME1", "1", "100.00", true}}));
         },
         [&] { return shop->saveReceipt(); }},
        {"payment save", "The payment was not saved.", false, [&] { ASSERT_TRUE(shop->startPayment("7")); },
         [&] { return shop->savePayment(); }},
        {"deposit save", "The deposit was not saved.", false, [&] { ASSERT_TRUE(shop->startDeposit()); },
         [&] { return shop->saveDeposit(); }},
        {"deposit delete", "The deposit was not deleted.", true, [] {}, [&] { return shop->deleteDeposit(); }},
        {"stock adjustment", "The stock adjustment was not saved.", false,
         [&] { ASSERT_TRUE(adjustment = shop->startAdjustment(owner.get(), "LENS1", "3", "2")); },
         [&] {
             const bool saved = TShopDocuments::saveAdjustment(adjustment);
             if (saved)
                 stockStart["LENS1"] += Currency(3);
             return saved;
         }},
    };
    // Each round makes the documents one after the other on what the
    // round before left: a receipt, its payment, their deposit, the
    // deposit's delete (the payment waits again), an adjustment.
    for (os::FileOp op : {os::FileOp::Write, os::FileOp::Flush}) {
        for (const FaultCase& c : cases) {
            c.prepare();
            EXPECT_GT(failEachCallUntilSaved(c, op), 0) << c.document;
            if (HasFailure())
                return;
        }
    }
}

}  // namespace
