// One workstation of the crash tests, started several times on one company
// folder: it opens the company and makes money documents in a loop, chosen by
// its seed, until it is killed or has made the number asked for. Every
// document it saves is told on standard output once it is saved
// ("saved receipt 53"), so the test can hold the books to what was said.
//
//   qm_workstation <data folder> <seed> <documents> <patient>
//
// Its documents are those of one patient (a deposit takes that patient's
// payments). Receipts sell only items without stock; stock moves by
// adjustments of the workstation's own item ADJ<patient> alone, 3 at a time
// with one label each, so its label queue tells how many of them landed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "../ShopDocuments.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"

namespace {

void say(const std::string& line) {
    const std::string text = line + "\n";
    (void)!write(STDOUT_FILENO, text.data(), text.size());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5)
        return 2;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    const std::string folder = argv[1];
    std::mt19937 rng(static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)));
    const int documents = std::atoi(argv[3]);
    const std::string patient = argv[4];

    TDialogScript script;
    auto answerAll = [&] {
        while (script.Unanswered() < 8)
            script.Answer(mrOk);
    };
    answerAll();
    auto module = std::make_unique<TDataModule1>(nullptr, nullptr);
    DataModule1 = module.get();
    module->ChangeDataDirectory(folder);
    TShopDocuments shop(*module);
    TComponent owner(nullptr);
    say("open");

    for (int n = 0; n < documents; ++n) {
        answerAll();
        switch (rng() % 8) {
        case 0:
        case 1:
        case 2:
            if (shop.startReceipt(patient, {{"EXAM", "1", "50.00", false},
                                            {"FRAME1", std::to_string(1 + rng() % 3), "19.95", true}}) &&
                shop.saveReceipt())
                say("saved receipt " + shop.receiptNumber());
            break;
        case 3:
        case 4:
            if (shop.startPayment(patient) && shop.savePayment())
                say("saved payment " + shop.paymentID());
            break;
        case 5:
            if (shop.startDeposit(patient) && shop.saveDeposit())
                say("saved deposit");
            break;
        default:
            if (TAdjustInvDlg* dialog = shop.startAdjustment(&owner, "ADJ" + patient, "3", "1")) {
                if (TShopDocuments::saveAdjustment(dialog))
                    say("saved adjustment");
                else
                    delete dialog;
            }
            break;
        }
        Application->ProcessMessages();
    }
    return 0;
}
