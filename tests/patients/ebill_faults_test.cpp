// The e-bill capture lands whole or not at all: with each of its writes and
// flushes failing in turn, EBill.dat keeps its bytes and the claim stays
// unmarked, the failure is told in words; past its last write the capture lands.
#include <cerrno>

#include "EBillSupport.h"

#include "os/FileIo.h"
#include "patients/EBillFile.h"
#include "patients/EBillWriter.h"
#include "ui/DialogResponder.h"

namespace {

using namespace ebill_test;

using EBillFaultTest = ClaimCompany;

TEST_F(EBillFaultTest, EachWriteOrFlushFailingLeavesTheFileAndTheClaimAsTheyWere) {
    open();
    const std::string path = eBillFilePath(folder());
    const std::string before = "earlier claims\r\n";
    for (os::FileOp op : {os::FileOp::Write, os::FileOp::Flush}) {
        writeFile(path, before);
        claim()->Edit();
        claim()->FieldByName("EBILLED")->Clear();
        claim()->Post();
        int failures = 0;
        for (int k = 1; k < 100; ++k) {
            SCOPED_TRACE((op == os::FileOp::Write ? "write " : "flush ") + std::to_string(k));
            TDialogScript script;
            script.Answer(mrOk);
            os::FailFileCall(op, static_cast<uint64_t>(k), k % 2 ? ENOSPC : EIO);
            bool stored = true;
            std::string told;
            try {
                SubmitEBill(claim(), rows(), folder());
            } catch (const Exception& e) {
                stored = false;
                told = e.Message();
            }
            os::ClearFileFaults();
            if (stored)
                break;
            ++failures;
            EXPECT_EQ(readFile(path), before);
            claim()->Refresh();
            EXPECT_TRUE(claim()->FieldByName("EBILLED")->IsNull());
            EXPECT_NE(told.find("could not be"), std::string::npos) << told;
            EXPECT_NE(told.find("The claim was not stored for electronic billing."), std::string::npos) << told;
            if (HasFailure())
                return;
        }
        EXPECT_GT(failures, 0);
        EXPECT_EQ(crlfLines(readFile(path)).size(), 67u) << "the earlier line and one claim";
        EXPECT_FALSE(claim()->FieldByName("EBILLED")->IsNull());
    }
}

}  // namespace
