// The data-aware rich-text control on a real table with a memo field:
// loading, storing RTF on post, reloading on a record change, the
// placeholder without AutoDisplay, and a character field edited as text.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "RtEditFixture.h"
#include "data/DbTables.h"
#include "richtext/RtTbar.h"
#include "richtext/Rtdbrich.h"
#include "support/EngineTables.h"
#include "support/TempDir.h"
#include "xbase/EngineGlue.h"

namespace {

class RtDataAware : public RtEditFixture {
protected:
    void SetUp() override {
        RtEditFixture::SetUp();
        registerEngineGlue();
        xb_CloseAll();
        xb_SetDeleted(XB_ON);
        xb_SetLockTimeout(50);
        path = dir.file("incident.dbf");
        ASSERT_EQ(CreateTable(path, {{"ID", "N", 6, 0}, {"DOCTOR", "C", 20, 0}, {"NARRATIVE", "M", 10, 0}}), "");
        ASSERT_EQ(FillTable(path, {{"1", "Adams", "hello"}, {"2", "Baker", "{\\rtf1\\ansi second {\\b record}\\par}"}}),
                  "");
        table = openTable(form.get());
        source = new TDataSource(form.get());
        source->SetDataSet(table);
        rich = new TDBRtRichText(form.get());
        rich->SetParent(form.get());
        rich->SetBounds(8, 8, 400, 200);
        rich->SetWordWrap(true);
    }
    void TearDown() override {
        form.reset();
        Session()->Close();
        xb_SetDeleted(XB_OFF);
    }
    TTable* openTable(TComponent* owner) {
        auto* t = new TTable(owner);
        t->SetDatabaseName(dir.path());
        t->SetTableName("incident.dbf");
        t->SetTableType(ttSXNSX);
        return t;
    }
    void bind(const std::string& field) {
        rich->SetDataSource(source);
        table->Open();
        rich->SetDataField(field);
    }

    TempDir dir;
    std::string path;
    TTable* table = nullptr;
    TDataSource* source = nullptr;
    TDBRtRichText* rich = nullptr;
};

}  // namespace

TEST_F(RtDataAware, PlainMemoLoadsAsTextAndIsStoredAsRtfOnPost) {
    bind("NARRATIVE");
    show();
    rich->SetFocus();
    EXPECT_TRUE(rich->MemoLoaded());
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello");
    EXPECT_TRUE(rich->ReadOnly() == false);
    rich->SendKey(VK_END, {ssCtrl});
    type(rich, " world");
    EXPECT_EQ(table->State(), dsEdit);
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello world") << "the cursor stayed where it was";
    table->Post();
    EXPECT_FALSE(rich->Modified());

    std::unique_ptr<TForm> other = std::make_unique<TForm>(nullptr);
    TTable* second = openTable(other.get());
    second->Open();
    std::string stored = second->FieldByName("NARRATIVE")->AsString();
    EXPECT_EQ(stored.rfind("{\\rtf", 0), 0u) << stored;
    EXPECT_NE(stored.find("hello world"), std::string::npos) << stored;
}

TEST_F(RtDataAware, ARecordChangeReloadsTheDocument) {
    bind("NARRATIVE");
    show();
    table->Next();
    EXPECT_EQ(rich->RtfText()->GetParText(0), "second record");
    TLine* line = rich->RtfText()->FirstPar->FirstLine;
    ASSERT_TRUE(line->Attr);
    EXPECT_TRUE(line->Attr[8].Style & stBold);
    table->Prior();
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello");
}

TEST_F(RtDataAware, WithoutAutoDisplayThePlaceholderShowsUntilEnter) {
    rich->SetAutoDisplay(false);
    bind("NARRATIVE");
    show();
    rich->SetFocus();
    EXPECT_FALSE(rich->MemoLoaded());
    EXPECT_EQ(rich->RtfText()->GetParText(0), "(NARRATIVE)");
    type(rich, "zzz");
    EXPECT_EQ(rich->RtfText()->GetParText(0), "(NARRATIVE)");
    EXPECT_EQ(table->State(), dsBrowse);
    rich->SendKey(VK_RETURN);
    EXPECT_TRUE(rich->MemoLoaded());
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello");
    EXPECT_EQ(table->State(), dsBrowse) << "loading is no edit";
}

TEST_F(RtDataAware, EscapeResetsTheLinkAndCopyDoesNotEdit) {
    bind("NARRATIVE");
    show();
    rich->SetFocus();
    rich->SelectAll();
    rich->SendKey(VK_INSERT, {ssCtrl});
    EXPECT_EQ(table->State(), dsBrowse) << "copying never puts the dataset into edit";
    EXPECT_EQ(Clipboard()->AsText(), "hello");
    rich->SendKey(VK_END, {ssCtrl});
    type(rich, "!");
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello!");
    rich->SendKey(VK_ESCAPE);
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello");
}

TEST_F(RtDataAware, ReadOnlyLinkRefusesPasteAndKeepsTheDatasetBrowsing) {
    bind("NARRATIVE");
    rich->SetReadOnly(true);
    show();
    rich->SetFocus();
    Clipboard()->SetAsText("intruder");
    rich->SendChar(22);
    rich->SendKey(VK_INSERT, {ssShift});
    EXPECT_EQ(rich->RtfText()->GetParText(0), "hello");
    EXPECT_EQ(table->State(), dsBrowse);
}

TEST_F(RtDataAware, CharacterFieldEditsAsText) {
    bind("DOCTOR");
    show();
    rich->SetFocus();
    EXPECT_EQ(rich->RtfText()->GetParText(0), "Adams");
    rich->SendKey(VK_END, {ssCtrl});
    type(rich, "on");
    table->Post();
    EXPECT_EQ(table->FieldByName("DOCTOR")->AsString(), "Adamson");
}

TEST_F(RtDataAware, DatabaseIconsMoveTheDatasetAndFollowItsEnds) {
    auto* bar = new TRtToolBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(0, 220, 500, 31);
    bar->Setsel_DatabaseIcons({SelToStart, SelPrev, SelNext, SelToEnd, SelEdit, SelPost, SelCancel});
    rich->SetRtToolBar(bar);
    bind("NARRATIVE");
    show();
    rich->SetFocus();
    rich->UpdateToolbarState();
    EXPECT_FALSE(bar->FindIcon("RTI_PREV")->Enabled());
    EXPECT_TRUE(bar->FindIcon("RTI_NEXT")->Enabled());
    EXPECT_FALSE(bar->FindIcon("RTI_POST")->Enabled());
    click(bar->FindIcon("RTI_NEXT"), 4, 4);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(rich->RtfText()->GetParText(0), "second record");
    EXPECT_FALSE(bar->FindIcon("RTI_NEXT")->Down());
    EXPECT_TRUE(bar->FindIcon("RTI_PREV")->Enabled());
}
