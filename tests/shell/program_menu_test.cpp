// Every menu item and speed button of the main window, with every window of
// the program registered as the program registers them, on an open company:
// each opens its window or runs without an error.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/DataModule.h"
#include "app/Settings.h"
#include "os/Paths.h"
#include "shell/LogoMain.h"
#include "shell/MainMenuItems.h"
#include "shell/ProgramForms.h"
#include "support/CompanyFixture.h"
#include "ui/Application.h"
#include "ui/StdCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/Menus.h"
#include "data/Fields.h"
#include "xbase/Qmtable.h"
#include "xbengine/XbEngine.h"

namespace {

bool Offers(const TDialogRequest& Request, const char* Button) {
    for (const std::string& shown : Request.Buttons)
        if (shown == Button)
            return true;
    return false;
}

// What a user trying each item answers: Yes where the program asks (but for
// leaving the program), Cancel on every window and file dialog, OK on a
// message.
TDialogAnswer Decline(const TDialogRequest& Request) {
    TDialogAnswer answer;
    if (Request.Text == "Close Quenmark ?")
        answer.Result = mrNo;
    else
        answer.Result = Offers(Request, "Yes") ? mrYes : Offers(Request, "Cancel") ? mrCancel : mrOk;
    if (Request.Kind == TDialogKind::ModalForm || Request.Kind == TDialogKind::OpenDialog ||
        Request.Kind == TDialogKind::SaveDialog || Request.Kind == TDialogKind::PrintDialog ||
        Request.Kind == TDialogKind::PrinterSetupDialog)
        answer.Result = mrCancel;
    return answer;
}

class ProgramMenuTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        registerProgramForms();
        CompanyFixture::AddMoneyFixture(company.DataDirectory());
        CompanyFixture::AddPatientFixture(company.DataDirectory());
        Vo97Ini::File().Write(Vo97Ini::DataDirectory, company.DataDirectory());
        form = CreateForm<TLogoAppForm>(nullptr);
        TDialogScript quiet;
        quiet.AnswerRest(Decline);
        form->FormActivate(form);
    }
    void TearDown() override {
        closeOwnedWindows();
        delete form;
        Application->ProcessMessages();
        xb_CloseAll();
    }
    void closeOwnedWindows() {
        TDialogScript quiet;
        quiet.AnswerRest(Decline);
        for (int i = form->ComponentCount() - 1; i >= 0; --i)
            if (auto* window = dynamic_cast<TForm*>(form->Components(i)))
                window->Close();
        Application->ProcessMessages();
    }
    // Runs Act as a user would and fails with every error it shows or raises.
    void tryAsAUser(const std::string& What, const std::function<void()>& Act,
                    const std::string& ExpectedError = "") {
        SCOPED_TRACE(What);
        {
            TDialogScript script;
            script.AnswerRest(Decline);
            try {
                Act();
            } catch (const std::exception& error) {
                ADD_FAILURE() << What << " raised: " << error.what();
            }
            for (const TDialogRequest& shown : script.Shown())
                if (shown.Caption == "Error" && shown.Text != ExpectedError)
                    ADD_FAILURE() << What << " showed the error: " << shown.Text;
        }
        closeOwnedWindows();
    }

    TestCompany company;
    TLogoAppForm* form = nullptr;
};

TEST_F(ProgramMenuTest, EveryMenuItemAndSpeedButtonOpensItsWindowOrRunsWithoutAnError) {
    ASSERT_TRUE(form->MenuItem("ActivitiesMenu")->Enabled()) << "the company is open";
    for (const TMenuEntry& entry : MainMenuItems::Entries()) {
        const bool acts = entry.Handler || entry.TargetClass;
        if (!acts || !entry.Visible || !entry.Enabled)
            continue;
        TMenuItem* item = form->MenuItem(entry.Name);
        ASSERT_NE(item, nullptr) << entry.Name;
        // The help content is not installed: its item says so and nothing else.
        const std::string expected =
            std::string(entry.Name) == "Contents1" ? "Failed to execute QMHelp.html" : "";
        tryAsAUser(entry.Name, [item] { item->Click(); }, expected);
    }
    for (const TSpeedButtonEntry& button : MainMenuItems::SpeedButtons()) {
        auto* speed = dynamic_cast<TSpeedButton*>(form->FindComponent(button.Name));
        ASSERT_NE(speed, nullptr) << button.Name;
        tryAsAUser(button.Name, [speed] { speed->Click(); });
    }
}

TEST_F(ProgramMenuTest, RebuildAccountBalancesFromItsMenuItemRebuildsTheBooks) {
    // Balances left wrong on purpose: the rebuild puts them back from the documents.
    TQmTable* accounts = DataModule1->AccountTable;
    accounts->First();
    accounts->Edit();
    accounts->FieldByName("BALANCE")->SetAsFloat(12345.67);
    accounts->Post();

    tryAsAUser("Rebuild Account Balances", [this] { form->MenuItem("RebuildAccountBalances")->Click(); });
    tryAsAUser("Rebuild Account Balances again", [this] { form->MenuItem("RebuildAccountBalances")->Click(); });

    accounts->First();
    EXPECT_EQ(accounts->FieldByName("BALANCE")->AsFloat(), 0.0);
    int rebuildWindows = 0;
    for (int i = 0; i < Screen->FormCount(); ++i)
        rebuildWindows += Screen->Forms(i)->Caption() == "Rebuild Account Balances";
    EXPECT_LE(rebuildWindows, 1);
}

}  // namespace
