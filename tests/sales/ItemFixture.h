#pragma once
// A data module on the item fixture company, the item forms registered, an
// owner for the windows and an empty label queue; helpers to stand the item
// table on an item, open the item dialog on it and read what the files hold.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/AppUtils.h"
#include "app/DataModule.h"
#include "app/FormOpener.h"
#include "data/DbTables.h"
#include "data/Fields.h"
#include "sales/ItemInfoDlg.h"
#include "sales/SkuLabelQueue.h"
#include "support/CompanyFixture.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"
#include "ui/OffscreenRender.h"
#include "xbase/Qmtable.h"
#include "xbase/Xbase.h"
#include "xbengine/XbCodes.h"
#include "xbengine/XbEngine.h"

class ItemTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        xb_CloseAll();
        SkuLabelQueue::Reset();
        CompanyFixture::AddItemFixture(company.DataDirectory());
        addRows();
        module = std::make_unique<TDataModule1>(nullptr, nullptr);
        DataModule1 = module.get();
        module->ChangeDataDirectory(company.DataDirectory());
        registerItemForms();
        owner = std::make_unique<TComponent>(nullptr);
    }
    void TearDown() override {
        owner.reset();
        module.reset();
        Application->ProcessMessages();
        Session()->Close();
        xb_CloseAll();
        SkuLabelQueue::Reset();
    }
    // More rows for a test, before the module opens the company.
    virtual void addRows() {}

    TTable* items() const { return module->ItemTable; }
    // Stands the item table on the item numbered Id.
    void goItem(const std::string& Id) {
        items()->SetIndexName("ID");
        ASSERT_TRUE(module->ItemXbase->Seek(AppUtils::PadRight(Id, 10))) << Id;
    }
    TItemInfoDlg* openDialog() {
        TForm* form = OpenForm(owner.get(), {.ClassName = "TItemInfoDlg", .Caption = "Items"});
        auto* dialog = dynamic_cast<TItemInfoDlg*>(form);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    std::string field(const char* Name) const { return Trim(items()->FieldByName(Name)->AsString()); }

    // The trimmed text of Field in the record of Item.dbf whose ID is Id, read
    // from the file through a work area of its own; "<none>" without one.
    std::string stored(const std::string& Id, const std::string& Field) {
        const int previous = xb_WorkArea(nullptr);
        const std::string path = company.File("Item.dbf");
        const int area = xb_Use(path.c_str(), "PEEK", XB_SHARED, XB_DRIVER_NSX);
        EXPECT_NE(area, 0);
        std::string value = "<none>";
        xb_SetOrder(XB_RECORD_ORDER);
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            if (Trim(xb_GetTrimString("ID")) == Id)
                value = Trim(xb_GetTrimString(Field.c_str()));
        xb_Close();
        if (previous != 0)
            xb_Select(previous);
        return value;
    }

    // Saves a picture of Control as Name.png; kept in $QM_KEEP_PICTURES when set.
    void picture(TControl* Control, const std::string& Name) {
        const char* keep = std::getenv("QM_KEEP_PICTURES");
        const std::string file = (keep ? std::string(keep) : pictures.path()) + "/" + Name + ".png";
        renderToPng(Control, file);
    }

    TestCompany company;
    std::unique_ptr<TDataModule1> module;
    std::unique_ptr<TComponent> owner;
    TempDir pictures;
};
