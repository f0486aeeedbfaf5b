// A sale moves the stock the item dialog then shows, and locks the item's
// number: the receipt save and the item dialog on one company.
#include "MoneyFixture.h"

#include "app/AppUtils.h"
#include "app/FormOpener.h"
#include "sales/ItemInfoDlg.h"
#include "ui/DBCtrls.h"
#include "xbase/Xbase.h"

namespace {

TEST_F(MoneyTest, ASavedSaleLowersTheStockTheItemDialogShowsAndLocksTheNumber) {
    newReceipt("7", {{"LENS1", "2", "40.00", true}});
    ASSERT_TRUE(receipt->SaveReceipt());

    registerItemForms();
    std::unique_ptr<TComponent> owner = std::make_unique<TComponent>(nullptr);
    module->ItemTable->SetIndexName("ID");
    ASSERT_TRUE(module->ItemXbase->Seek(AppUtils::PadRight("LENS1", 10)));
    auto* dialog = dynamic_cast<TItemInfoDlg*>(OpenForm(owner.get(), {.ClassName = "TItemInfoDlg", .Caption = "Items"}));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->OnHandDBEdit->Text(), "8");
    EXPECT_TRUE(dialog->ItemTypeDBComboBox->ReadOnly());

    TDialogScript script;
    script.Answer(mrOk);
    dialog->ItemDBEditEnter(nullptr);
    module->ItemTable->Edit();
    module->ItemTable->FieldByName("ID")->SetAsString("LENS2");
    dialog->ItemDBEditExit(nullptr);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text, "Item LENS1      is used in one or more receipts and cannot be changed.");
    dialog->BitBtn1->Click();
    owner.reset();
    EXPECT_EQ(BooksChecker::CountWhere(company.DataDirectory(), "Item.dbf", "ID", "LENS1"), 1);
    EXPECT_EQ(broken(), std::vector<std::string>{}) << "stock is not in the books; the adjustment leaves them whole";
}

}  // namespace
