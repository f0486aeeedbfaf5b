// The item dialog: the type rule for every type with and without inventory
// control, the item number checks, the type lock of an item on receipts,
// following the item table's cursor, and its pictures.
#include "ItemFixture.h"

#include "controls/DBKing.h"
#include "controls/qmdblook.h"
#include "ui/Colors.h"
#include "ui/DBCtrls.h"
#include "ui/StdCtrls.h"
#include "xbase/Xbtable.h"

namespace {

const char* const Details[] = {"COLOR", "SIZE", "MANF", "VENDOR", "DISPLYLOC", "STOCKLOC"};

TEST_F(ItemTest, TheTypeRuleSetsEachControlForEveryTypeWithAndWithoutInventoryControl) {
    const auto& types = TItemInfoDlg::ItemTypes();
    ASSERT_EQ(types.size(), 8u);
    for (size_t index = 0; index < types.size(); ++index) {
        for (bool controlled : {false, true}) {
            const std::string& type = types[index];
            SCOPED_TRACE(type + (controlled ? ", control item" : ""));
            const bool adjustment = type == "Adjustment";
            const bool goods = type == "Frame" || type == "Spectacle Lens" || type == "Contact Lens" ||
                               type == "Other Inventory Item";
            goItem("OTHERINV");
            TItemInfoDlg* dialog = openDialog();
            dialog->ControlItemCheckBox->SetChecked(controlled);
            dialog->ItemTypeDBComboBox->SetItemIndex(static_cast<int>(index));
            dialog->ItemTypeDBComboBoxChange(dialog->ItemTypeDBComboBox);

            for (TDBEdit* edit : {dialog->ColorDBEdit, dialog->SizeDBEdit, dialog->ManufacturerDBEdit,
                                  dialog->VendorDBEdit, dialog->DisplayLocDBEdit, dialog->StockLocDBEdit}) {
                EXPECT_EQ(edit->Enabled(), goods);
                EXPECT_EQ(edit->Color(), goods ? clWindow : clBtnFace);
                EXPECT_EQ(edit->Font()->Color(), goods ? clWindowText : clInactiveCaption);
            }
            for (const char* name : Details)
                EXPECT_EQ(field(name).empty(), !goods) << name;
            EXPECT_EQ(dialog->ColorLabel->Font()->Color(), goods ? clWindowText : clInactiveCaption);
            EXPECT_EQ(dialog->LastRestockedLabel->Font()->Color(), goods ? clWindowText : clInactiveCaption);
            EXPECT_EQ(dialog->LastRestockedDBKingDlg->Enabled(), goods);
            EXPECT_EQ(field("RESTOCKED").empty(), false) << "the date is never cleared";
            EXPECT_EQ(dialog->ConsignmentDBCheckBox->Enabled(), goods);
            EXPECT_EQ(dialog->ControlItemCheckBox->Enabled(), goods);
            const bool checked = goods && controlled;
            EXPECT_EQ(dialog->ControlItemCheckBox->Checked(), checked);
            EXPECT_EQ(dialog->AdjustInvBtn->Enabled(), checked);
            for (TWinControl* money : std::initializer_list<TWinControl*>{
                     dialog->SalesTaxDBCheckBox, dialog->UnitMeasureDBComboBox, dialog->CostDBEdit, dialog->SellDBEdit})
                EXPECT_EQ(money->Enabled(), !adjustment);
            EXPECT_EQ(dialog->InventoryControlGroupBox->Enabled(), checked);
            EXPECT_EQ(dialog->OnHandLabel->Font()->Color(), checked ? clWindowText : clInactiveCaption);
            if (adjustment) {
                EXPECT_FALSE(dialog->OnHandDBEdit->Enabled());
                EXPECT_FALSE(dialog->ReorderPointDBEdit->Enabled());
            }
            dialog->Close();
            Application->ProcessMessages();
            items()->Cancel();
        }
    }
}

TEST_F(ItemTest, BackFromAdjustmentTheFieldsComeBackButNotTheirTexts) {
    goItem("OTHERINV");
    TItemInfoDlg* dialog = openDialog();
    dialog->ItemTypeDBComboBox->SetItemIndex(7);  // "Adjustment"
    dialog->ItemTypeDBComboBoxChange(nullptr);
    EXPECT_FALSE(dialog->OnHandDBEdit->Enabled());
    dialog->ItemTypeDBComboBox->SetItemIndex(2);  // "Frame"
    dialog->ItemTypeDBComboBoxChange(nullptr);
    dialog->ControlItemCheckBox->SetChecked(true);
    EXPECT_TRUE(dialog->ColorDBEdit->Enabled());
    EXPECT_EQ(dialog->ColorDBEdit->Text(), "");
    EXPECT_EQ(field("VENDOR"), "");
    // The inventory group gives "On Hand" and "Reorder Point" their look back.
    EXPECT_TRUE(dialog->InventoryControlGroupBox->Enabled());
    EXPECT_TRUE(dialog->OnHandDBEdit->Enabled());
    EXPECT_EQ(dialog->OnHandDBEdit->Color(), clWindow);
    EXPECT_TRUE(dialog->ReorderPointDBEdit->Enabled());
    EXPECT_TRUE(dialog->AdjustInvBtn->Enabled());
}

TEST_F(ItemTest, TheItemNumberIsCheckedOnLeavingItsField) {
    struct Case {
        const char* what;
        const char* item;
        const char* typed;
        const char* message;  // "" when accepted
    };
    const Case cases[] = {
        {"empty", "OTHERINV", "   ", "\"Item No.\" field cannot be empty!"},
        {"the same, padded", "OTHERINV", "OTHERINV  ", ""},
        {"used on a receipt, new number free", "FRAME", "FRAME2",
         "Item FRAME      is used in one or more receipts and cannot be changed."},
        {"another item's number", "OTHERINV", "CONTACT", "Item CONTACT is already used!"},
        {"another item's number in lower case", "OTHERINV", "contact", "Item contact is already used!"},
        {"a prefix of another number", "OTHERINV", "OTHER", ""},
        {"free", "OTHERINV", "OTHER2", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        goItem(c.item);
        TItemInfoDlg* dialog = openDialog();
        TDialogScript script;
        if (*c.message)
            script.Answer(mrOk);
        dialog->ItemDBEditEnter(dialog->ItemDBEdit);
        EXPECT_EQ(dialog->SavedNumber(), AppUtils::PadRight(c.item, 10));
        items()->Edit();
        items()->FieldByName("ID")->SetAsString(c.typed);
        dialog->ItemDBEditExit(dialog->ItemDBEdit);
        if (*c.message) {
            ASSERT_EQ(script.Shown().size(), 1u);
            EXPECT_EQ(script.Shown()[0].Text, c.message);
            EXPECT_EQ(field("ID"), c.item);
            EXPECT_EQ(stored(c.item, "ID"), c.item) << "the restored number is flushed";
            EXPECT_EQ(items()->State(), dsEdit);
        } else {
            EXPECT_TRUE(script.Shown().empty());
            EXPECT_EQ(Trim(items()->FieldByName("ID")->AsString()), Trim(c.typed));
        }
        EXPECT_FALSE(module->XbaseEnv1->Exact());
        EXPECT_FALSE(module->XbaseEnv1->SoftSeek());
        items()->Cancel();
        dialog->Close();
        Application->ProcessMessages();
    }
    // A free number is stored by OK.
    goItem("OTHERINV");
    TItemInfoDlg* dialog = openDialog();
    dialog->ItemDBEditEnter(nullptr);
    items()->Edit();
    items()->FieldByName("ID")->SetAsString("OTHER2");
    dialog->ItemDBEditExit(nullptr);
    dialog->BitBtn1->Click();
    EXPECT_EQ(stored("OTHER2", "ITEMTYPE"), "Other Inventory Item");
    EXPECT_EQ(stored("OTHERINV", "ID"), "<none>");
}

TEST_F(ItemTest, AnItemOnReceiptsKeepsItsType) {
    goItem("FRAME");
    TItemInfoDlg* dialog = openDialog();
    EXPECT_TRUE(dialog->ItemTypeDBComboBox->ReadOnly());
    TDialogScript script;
    script.Answer(mrOk);
    dialog->ItemTypeDBComboBoxDropDown(dialog->ItemTypeDBComboBox);
    ASSERT_EQ(script.Shown().size(), 1u);
    EXPECT_EQ(script.Shown()[0].Text,
              "Item FRAME      is used in one or more receipts and the item type cannot be changed.");
    EXPECT_EQ(dialog->ActiveControl(), dialog->CategoryDBLookupCombo);
    EXPECT_FALSE(dialog->ItemTypeDBComboBox->DroppedDown());
}

TEST_F(ItemTest, OneDialogFollowsTheItemTableAndPostsTheItemItShowed) {
    goItem("OTHERINV");
    TItemInfoDlg* dialog = openDialog();
    EXPECT_EQ(openDialog(), dialog) << "one item dialog at a time";
    EXPECT_FALSE(dialog->ItemTypeDBComboBox->ReadOnly());
    items()->Edit();
    items()->FieldByName("DESC")->SetAsString("Changed before the move");

    goItem("FRAME");  // the list behind the dialog moves
    EXPECT_EQ(stored("OTHERINV", "DESC"), "Changed before the move");
    EXPECT_TRUE(dialog->ItemTypeDBComboBox->ReadOnly());
    EXPECT_EQ(dialog->SavedNumber(), "FRAME     ");
    EXPECT_TRUE(dialog->ControlItemCheckBox->Checked());
    EXPECT_TRUE(dialog->AdjustInvBtn->Enabled());

    goItem("DOCTOR");
    EXPECT_FALSE(dialog->ItemTypeDBComboBox->ReadOnly());
    EXPECT_FALSE(dialog->ColorDBEdit->Enabled());
    EXPECT_FALSE(dialog->AdjustInvBtn->Enabled());
    EXPECT_EQ(dialog->SavedNumber(), "DOCTOR    ");

    dialog->BitBtn1->Click();
    Application->ProcessMessages();
    EXPECT_EQ(stored("DOCTOR", "COLOR"), "") << "the service's texts were cleared and posted";
    EXPECT_EQ(stored("FRAME", "COLOR"), "Tortoise");
}

TEST_F(ItemTest, ItsOwnViewsAreOpenWhileItIs) {
    goItem("FRAME");
    TItemInfoDlg* dialog = openDialog();
    EXPECT_TRUE(dialog->CategoryTable->Active());
    EXPECT_TRUE(dialog->SalesDtlTable->Active());
    EXPECT_TRUE(dialog->ItemIDTable->Active());
    EXPECT_EQ(dialog->SalesDtlTable->IndexName(), "ItemNo");
    TDialogScript script;
    dialog->BitBtn1->Click();
    Application->ProcessMessages();
    EXPECT_EQ(owner->ComponentCount(), 0) << "it frees itself when closed";
    EXPECT_TRUE(script.Shown().empty());
}

TEST_F(ItemTest, ANewItemPutsTheFocusOnItsNumber) {
    goItem("FRAME");
    items()->Edit();
    items()->FieldByName("ID")->SetAsString("<new>");
    items()->Post();
    TItemInfoDlg* dialog = openDialog();
    EXPECT_EQ(dialog->ActiveControl(), dialog->ItemDBEdit);
    dialog->Close();
    Application->ProcessMessages();
    goItem("OTHERINV");
    dialog = openDialog();
    EXPECT_NE(dialog->ActiveControl(), dialog->ItemDBEdit);
}

TEST_F(ItemTest, TheDialogIsPainted) {
    goItem("FRAME");
    TItemInfoDlg* dialog = openDialog();
    picture(dialog, "item-frame");
    dialog->Close();
    Application->ProcessMessages();
    goItem("ADJUST");
    dialog = openDialog();
    picture(dialog, "item-adjustment");
    items()->Cancel();
}

}  // namespace
