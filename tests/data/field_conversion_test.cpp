// Fields of every type on a real table: the types made for the columns, the
// conversions between them, text for display and editing, and refusals.
#include "DataFixture.h"

#include "base/DateTime.h"
#include "data/DataSource.h"

class FieldConversion : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        MakeTable("kinds.dbf", {{"NAME", "C", 8, 0},
                                {"QTY", "N", 4, 0},
                                {"PRICE", "N", 10, 2},
                                {"SOLD", "D", 8, 0},
                                {"TAXED", "L", 1, 0},
                                {"NOTES", "M", 10, 0}});
        Fill("kinds.dbf", {{"Frame", "12", "49.95", "20030704", "T"}});
        t = Table("kinds.dbf");
        t->Open();
    }
    TField* F(const char* name) { return t->FieldByName(name); }
    TTable* t = nullptr;
};

TEST_F(FieldConversion, EachColumnGetsItsFieldClass) {
    struct Case {
        const char* field;
        TFieldType type;
        bool rightClass;
    } cases[] = {
        {"NAME", ftString, dynamic_cast<TStringField*>(F("NAME")) != nullptr},
        {"QTY", ftSmallint, dynamic_cast<TSmallintField*>(F("QTY")) != nullptr},
        {"PRICE", ftFloat, dynamic_cast<TFloatField*>(F("PRICE")) != nullptr},
        {"SOLD", ftDate, dynamic_cast<TDateField*>(F("SOLD")) != nullptr},
        {"TAXED", ftBoolean, dynamic_cast<TBooleanField*>(F("TAXED")) != nullptr},
        {"NOTES", ftMemo, dynamic_cast<TMemoField*>(F("NOTES")) != nullptr},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(F(c.field)->DataType(), c.type) << c.field;
        EXPECT_TRUE(c.rightClass) << c.field;
    }
    EXPECT_EQ(F("NAME")->Size(), 8);
    EXPECT_EQ(F("NAME")->DisplayWidth(), 8);
    EXPECT_EQ(t->FieldCount(), 6);
    EXPECT_EQ(F("PRICE")->Index(), 2);
}

TEST_F(FieldConversion, StoredValuesReadAsEveryType) {
    EXPECT_EQ(F("NAME")->AsString(), "Frame");
    EXPECT_EQ(F("QTY")->AsInteger(), 12);
    EXPECT_EQ(F("QTY")->AsFloat(), 12.0);
    EXPECT_EQ(F("QTY")->AsString(), "12");
    EXPECT_DOUBLE_EQ(F("PRICE")->AsFloat(), 49.95);
    EXPECT_EQ(F("PRICE")->AsCurrency(), Currency(49.95));
    EXPECT_EQ(F("PRICE")->AsInteger(), 50);
    EXPECT_EQ(F("SOLD")->AsDateTime(), EncodeDate(2003, 7, 4));
    EXPECT_TRUE(F("TAXED")->AsBoolean());
    EXPECT_EQ(F("TAXED")->AsString(), "True");
    EXPECT_TRUE(F("NOTES")->IsNull());
    EXPECT_EQ(F("NOTES")->AsString(), "");
}

TEST_F(FieldConversion, ValuesWrittenReadBackAfterPost) {
    t->Edit();
    F("NAME")->SetAsString("Lens pair long");  // cut at the width
    F("QTY")->SetAsString(" -7 ");
    F("PRICE")->SetAsFloat(1234.5);
    F("SOLD")->SetAsDateTime(EncodeDate(1999, 12, 31));
    F("TAXED")->SetAsString("f");
    t->Post();
    t->Close();
    t->Open();
    EXPECT_EQ(F("NAME")->AsString(), "Lens pai");
    EXPECT_EQ(F("QTY")->AsInteger(), -7);
    EXPECT_DOUBLE_EQ(F("PRICE")->AsFloat(), 1234.5);
    EXPECT_EQ(F("SOLD")->AsDateTime(), EncodeDate(1999, 12, 31));
    EXPECT_FALSE(F("TAXED")->AsBoolean());
}

TEST_F(FieldConversion, DecimalCommaOnScreenPointInTheFile) {
    struct CommaSeparator {
        char saved = std::exchange(DecimalSeparator, ',');
        ~CommaSeparator() { DecimalSeparator = saved; }
    };
    {
        CommaSeparator comma;
        EXPECT_EQ(F("PRICE")->AsString(), "49,95");
        t->Edit();
        F("PRICE")->SetAsString("12,5");
        t->Post();
    }
    EXPECT_DOUBLE_EQ(F("PRICE")->AsFloat(), 12.5);
    int area = xb_Select(static_cast<int>(t->Handle()));
    EXPECT_STREQ(xb_GetString("PRICE"), "     12.50");
    xb_Select(area);
}

TEST_F(FieldConversion, ClearMakesTheFieldsNull) {
    t->Edit();
    for (const char* name : {"NAME", "QTY", "PRICE", "SOLD", "TAXED"}) F(name)->Clear();
    // An empty text is a clear, not an error.
    F("QTY")->SetAsString("");
    F("SOLD")->SetAsString("");
    t->Post();
    for (const char* name : {"NAME", "QTY", "SOLD"}) {
        EXPECT_TRUE(F(name)->IsNull()) << name;
        EXPECT_EQ(F(name)->AsString(), "") << name;
    }
    EXPECT_EQ(F("QTY")->AsInteger(), 0);
    // A blank number and a blank logical are stored as zero and false.
    EXPECT_EQ(F("PRICE")->AsFloat(), 0);
    EXPECT_FALSE(F("TAXED")->AsBoolean());
}

TEST_F(FieldConversion, BadTextIsRefusedAndTheValueKept) {
    t->Edit();
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    } cases[] = {
        {"QTY", "12a", "'12a' is not a valid integer value for field 'QTY'"},
        {"QTY", "40000", "40000 is not a valid value for field 'QTY'. The allowed range is -32768 to 32767"},
        {"PRICE", "1.2.3", "'1.2.3' is not a valid floating point value for field 'PRICE'"},
        {"TAXED", "maybe", "'maybe' is not a valid boolean value for field 'TAXED'"},
    };
    for (const Case& c : cases) {
        try {
            F(c.field)->SetAsString(c.text);
            ADD_FAILURE() << c.text << " was taken";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    EXPECT_THROW(F("SOLD")->SetAsString("13/45/2003"), EConvertError);
    EXPECT_THROW(F("TAXED")->AsDateTime(), EDatabaseError);
    EXPECT_EQ(F("QTY")->AsInteger(), 12);
    EXPECT_DOUBLE_EQ(F("PRICE")->AsFloat(), 49.95);
    EXPECT_TRUE(F("TAXED")->AsBoolean());
}

TEST_F(FieldConversion, TextFollowsFormatsAndEvents) {
    auto* price = static_cast<TFloatField*>(F("PRICE"));
    EXPECT_EQ(price->Text(), "49.95");
    price->SetDisplayFormat("#,##0.00");
    t->Edit();
    price->SetAsFloat(1234.5);
    EXPECT_EQ(price->DisplayText(), "1,234.50");
    EXPECT_EQ(price->Text(), "1,234.50");
    price->SetEditFormat("0.0");
    EXPECT_EQ(price->Text(), "1234.5");

    auto* taxed = static_cast<TBooleanField*>(F("TAXED"));
    taxed->SetDisplayValues("Yes;No");
    EXPECT_EQ(taxed->DisplayText(), "Yes");
    taxed->SetText("n");
    EXPECT_EQ(taxed->DisplayText(), "No");

    auto* sold = static_cast<TDateField*>(F("SOLD"));
    sold->SetDisplayFormat("yyyy-mm-dd");
    EXPECT_EQ(sold->DisplayText(), "2003-07-04");

    F("NAME")->OnGetText = [](TField* f, std::string& text, bool display) {
        text = display ? "<" + f->AsString() + ">" : f->AsString();
    };
    F("NAME")->OnSetText = [](TField* f, const std::string& text) { f->SetAsString(UpperCase(text)); };
    F("NAME")->SetText("case");
    EXPECT_EQ(F("NAME")->DisplayText(), "<CASE>");
    EXPECT_EQ(F("NAME")->Text(), "CASE");
    EXPECT_EQ(F("NOTES")->DisplayText(), "(memo)");
    t->Cancel();
}

TEST_F(FieldConversion, OnChangeFollowsEveryWrite) {
    std::vector<std::string> changed;
    F("QTY")->OnChange = [&](TField* f) { changed.push_back(f->FieldName() + "=" + f->AsString()); };
    t->Edit();
    F("QTY")->SetAsInteger(3);
    F("QTY")->Clear();
    t->Cancel();
    EXPECT_EQ(changed, (std::vector<std::string>{"QTY=3", "QTY="}));
}

TEST_F(FieldConversion, OnValidateSeesTheNewValueAndMayRefuseIt) {
    F("QTY")->OnValidate = [](TField* f) {
        if (f->AsInteger() < 0) throw EDatabaseError("No negative quantities");
    };
    t->Edit();
    F("QTY")->SetAsInteger(5);
    EXPECT_THROW(F("QTY")->SetAsInteger(-1), EDatabaseError);
    EXPECT_EQ(F("QTY")->AsInteger(), 5);
    t->Cancel();
}

TEST_F(FieldConversion, PersistentAndCalculatedFields) {
    t->Close();
    // Persistent fields: only these exist once opened.
    auto* name = new TStringField(t);
    name->SetFieldName("NAME");
    name->SetDisplayLabel("Frame name");
    name->SetDataSet(t);
    auto* price = new TCurrencyField(t);
    price->SetFieldName("PRICE");
    price->SetDataSet(t);
    auto* total = new TFloatField(t);
    total->SetFieldName("DOUBLED");
    total->SetCalculated(true);
    total->SetDataSet(t);
    int calcRuns = 0;
    t->OnCalcFields = [&](TDataSet* ds) {
        ++calcRuns;
        EXPECT_EQ(ds->State(), dsCalcFields);
        ds->FieldByName("DOUBLED")->SetAsFloat(ds->FieldByName("PRICE")->AsFloat() * 2);
    };
    t->Open();
    EXPECT_EQ(t->FieldCount(), 3);
    EXPECT_EQ(t->FindField("QTY"), nullptr);
    EXPECT_EQ(name->DisplayName(), "Frame name");
    EXPECT_EQ(price->DisplayText(), "$49.95");
    EXPECT_DOUBLE_EQ(total->AsFloat(), 99.9);
    EXPECT_GT(calcRuns, 0);

    // Calculations follow edits of the fields they read.
    t->Edit();
    price->SetAsFloat(10);
    EXPECT_DOUBLE_EQ(total->AsFloat(), 20);
    t->Cancel();
    EXPECT_DOUBLE_EQ(total->AsFloat(), 99.9);

    // The persistent fields survive closing; a mismatched type is refused.
    t->Close();
    EXPECT_EQ(t->FieldCount(), 3);
    auto* wrong = new TDateField(t);
    wrong->SetFieldName("QTY");
    wrong->SetDataSet(t);
    EXPECT_THROW(t->Open(), EDatabaseError);
    EXPECT_FALSE(t->Active());
    delete wrong;
    EXPECT_EQ(t->FieldCount(), 3);
    t->Open();
    EXPECT_TRUE(t->Active());
}
