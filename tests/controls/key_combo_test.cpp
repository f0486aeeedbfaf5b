// The key combo and the incremental search over a real table: the items the
// indexes give, picking one, the warnings of a wrong set-up, and the one
// search after the delay.
#include <gtest/gtest.h>

#include "LookupFixture.h"
#include "controls/Qmkeycb.h"
#include "ui/DialogResponder.h"
#include "xbase/Qmqbe.h"

namespace {

class KeyComboTest : public LookupFixture {
protected:
    // ITEMS with an ascending and a descending tag on the code, one on all
    // three fields, one on the description and one on the category, which
    // the list keeps hidden.
    void openItems() {
        makeItems();
        ASSERT_NE(xb_Use(dir.file("items.dbf").c_str(), "TAGGING", XB_EXCLUSIVE, XB_DRIVER_NSX), 0);
        ASSERT_NE(xb_IndexTag("", "CODEDN", "CODE", XB_INDEX_PLAIN, XB_DESCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "DESC", "DESC", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        ASSERT_NE(xb_IndexTag("", "CATEGORY", "CATEGORY", XB_INDEX_PLAIN, XB_ASCENDING, ""), 0);
        xb_Close();
        items = openTable("items.dbf");
        items->SetIndexName("CODE");
        items->Open();
        items->FieldByName("CODE")->SetDisplayLabel("Item~Code");
        items->FieldByName("DESC")->SetDisplayLabel("Description");
        items->FieldByName("CATEGORY")->SetVisible(false);
        source = sourceOf(items);
        keys = new TQmKeyCombo(form.get());
        keys->SetName("qmKeyCombo1");
        keys->SetParent(form.get());
        keys->SetBounds(10, 10, 160, 21);
        search = new TQmIncrementalSearch(form.get());
        search->SetName("Search1");
        search->SetParent(form.get());
        search->SetBounds(10, 40, 160, 21);
    }

    std::vector<std::string> listed() {
        std::vector<std::string> result;
        for (int i = 0; i < keys->Items()->Count(); ++i) result.push_back(keys->Items()->Strings(i));
        return result;
    }
    std::string code() { return items->FieldByName("CODE")->AsString(); }

    TQmTable* items = nullptr;
    TQmDataSource* source = nullptr;
    TQmKeyCombo* keys = nullptr;
    TQmIncrementalSearch* search = nullptr;
};

TEST_F(KeyComboTest, OneItemPerFirstFieldDescendingApartHiddenFieldsLeftOut) {
    openItems();
    keys->SetDataSource(source);
    EXPECT_EQ(listed(), (std::vector<std::string>{"Item Code", "Item Code - Desc", "Description"}));
    EXPECT_EQ(keys->Text(), "Item Code") << "the table's index is selected";
}

TEST_F(KeyComboTest, PickingAnItemSwitchesTheIndexAndKeepsTheRecord) {
    openItems();
    keys->SetDataSource(source);
    show();
    items->MoveBy(2);
    ASSERT_EQ(code(), "AC1");
    int changes = 0;
    keys->OnChange = [&](TObject*) { ++changes; };
    keys->SetFocus();
    keys->SendKey(VK_DOWN);
    EXPECT_EQ(keys->Text(), "Item Code - Desc");
    EXPECT_TRUE(SameText(items->IndexName(), "CODEDN"));
    EXPECT_EQ(code(), "AC1") << "the record stays";
    items->First();
    EXPECT_EQ(code(), "CZ9") << "descending order";
    EXPECT_EQ(keys->Text(), "Item Code - Desc") << "the item is selected again";
    EXPECT_EQ(changes, 1);
}

TEST_F(KeyComboTest, WithAllIndexesEveryTagIsListedByName) {
    openItems();
    keys->SetDataSource(source);
    keys->SetShowAllIndexes(true);
    std::vector<std::string> names = listed();
    ASSERT_EQ(names.size(), 5u);
    EXPECT_TRUE(SameText(keys->Text(), "CODE"));
    show();
    keys->SetFocus();
    int at = keys->ItemIndex();
    keys->SendKey(VK_DOWN);
    EXPECT_TRUE(SameText(items->IndexName(), names[at + 1]));
}

TEST_F(KeyComboTest, WrongSetUpsWarnOnceAndTheControlStaysUsable) {
    openItems();
    TDialogScript script;
    script.Answer(mrOk).Answer(mrOk).Answer(mrOk).Answer(mrOk);
    TQmQBE query(form.get());
    TQmDataSource notATable(form.get());
    notATable.SetDataSet(&query);
    keys->SetDataSource(&notATable);
    EXPECT_EQ(keys->DataSource(), nullptr) << "not taken";
    TQmDataSource empty(form.get());
    keys->SetDataSource(&empty);
    keys->SetShowAllIndexes(true);
    show();
    search->SetFocus();
    search->SendChar('A');
    search->SetDataSource(&empty);
    search->SendChar('B');
    ASSERT_EQ(script.Shown().size(), 4u);
    EXPECT_EQ(script.Shown()[0].Text, "DataSource must point to a TTable.");
    EXPECT_EQ(script.Shown()[1].Text, "DataSet not initialized for chosen DataSource.");
    EXPECT_EQ(script.Shown()[2].Text, "DataSource not defined - object Search1");
    EXPECT_EQ(script.Shown()[3].Text, "Dataset not defined for DataSource");
    EXPECT_EQ(search->Text(), "AB") << "the edit still takes what is typed";
    keys->SetDataSource(source);
    EXPECT_EQ(keys->Items()->Count(), 5) << "a table afterwards lists its five tags";
}

TEST_F(KeyComboTest, ThreeQuickLettersSearchOnceAfterTheDelay) {
    openItems();
    search->SetDataSource(source);
    show();
    search->SetFocus();
    int moves = 0;
    items->AfterScroll = [&](TDataSet*) { ++moves; };
    for (char c : {'B', 'X', '1'}) search->SendChar(c);
    EXPECT_TRUE(search->SearchPending());
    EXPECT_EQ(moves, 0);
    ASSERT_TRUE(runUntil([&] { return !search->SearchPending(); }));
    EXPECT_EQ(moves, 1);
    EXPECT_EQ(code(), "BX1");
    EXPECT_EQ(search->Text(), "BX1");
    for (Word key : {VK_LEFT, VK_UP, VK_F3, VK_RETURN}) {
        search->SendKey(key);
        EXPECT_FALSE(search->SearchPending()) << key;
    }
    search->SendChar('Z');  // no "BX1Z": the table rests on the nearest record
    search->SearchNow();
    EXPECT_EQ(code(), "CZ9");
    search->ClearSearch();
    EXPECT_EQ(search->Text(), "");
}

TEST_F(KeyComboTest, TextThatDoesNotSuitANumericKeyMovesNothing) {
    makeSale({"AB1", "Frames", "Metal frame", "3"});
    ASSERT_EQ(FillTable(dir.file("sale.dbf"), {{"AB2", "Frames", "Plastic frame", "7"}}), "");
    ASSERT_EQ(TagTable(dir.file("sale.dbf"), {{"QTY", "QTY"}}), "");
    TQmTable* sale = openTable("sale.dbf");
    sale->SetIndexName("QTY");
    sale->Open();
    search = new TQmIncrementalSearch(form.get());
    search->SetParent(form.get());
    search->SetDataSource(sourceOf(sale));
    show();
    search->SetFocus();
    search->SendChar('7');
    search->SearchNow();
    EXPECT_EQ(sale->FieldByName("QTY")->AsString(), "7");
    search->SendChar('x');
    search->SearchNow();
    EXPECT_EQ(sale->FieldByName("QTY")->AsString(), "7") << "\"7x\" is no number";
}

}  // namespace
