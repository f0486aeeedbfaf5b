// Field values between the record buffer's xBase text and native values.
#include <cmath>

#include "GlueFixture.h"
#include "base/DateTime.h"
#include "base/SysUtils.h"

namespace {

class FieldTest : public GlueTest {
protected:
    void SetUp() override {
        GlueTest::SetUp();
        MakeTable("VALUES.DBF", {{"NAME", "C", 6, 0},
                                 {"SMALL", "N", 4, 0},
                                 {"AMOUNT", "N", 8, 2},
                                 {"BORN", "D", 8, 0},
                                 {"PAID", "L", 1, 0},
                                 {"TAIL", "C", 3, 0}});
        cursor = Open("VALUES.DBF");
        rec = Buffer(cursor);
        ASSERT_EQ(glue.InitRecord(cursor, rec.data()), DBIERR_NONE);
        PutText(6, "end");
    }
    void TearDown() override {
        DecimalSeparator = '.';
        GlueTest::TearDown();
    }
    DBIResult PutText(uint16_t field, const char* text) { return glue.PutField(cursor, field, rec.data(), text); }
    template <typename T>
    DBIResult Put(uint16_t field, T value) {
        return glue.PutField(cursor, field, rec.data(), &value);
    }
    template <typename T>
    T Get(uint16_t field, bool& blank) {
        T value{};
        EXPECT_EQ(glue.GetField(cursor, field, rec.data(), &value, blank), DBIERR_NONE);
        return value;
    }
    void SetStored(uint16_t field, const std::string& text) {
        const TGlueField* f = glue.OpenWorkArea(cursor)->Field(field);
        std::memcpy(rec.data() + f->Offset, text.data(), static_cast<size_t>(f->Width));
    }
    static int32_t Days(int y, int m, int d) { return static_cast<int32_t>(EncodeDate(y, m, d)) + DateDelta; }

    hDBICur cursor = 0;
    std::vector<uint8_t> rec;
};

TEST_F(FieldTest, RecordBufferIsTheXbaseRecord) {
    PutText(1, "Smith");
    EXPECT_EQ(rec[0], ' ');
    EXPECT_EQ(std::string(reinterpret_cast<char*>(rec.data()) + 1, 6), "Smith ");
    EXPECT_EQ(Stored(cursor, rec, 6), "end");
}

TEST_F(FieldTest, NumbersThatDoNotFitAreRefusedAndTouchNothing) {
    struct Case {
        uint16_t field;
        double value;  // written as int16 for field 2, as double for field 3
        DBIResult status;
        const char* stored;
    } cases[] = {
        {2, 9999, DBIERR_NONE, "9999"},
        {2, -999, DBIERR_NONE, "-999"},
        {2, 12345, DBIERR_FLDTOOWIDE, nullptr},
        {2, -1000, DBIERR_FLDTOOWIDE, nullptr},
        {3, 12.5, DBIERR_NONE, "   12.50"},
        {3, 654321.789, DBIERR_NONE, "654321.8"},   // a decimal given up to fit
        {3, 12345678.4, DBIERR_NONE, "12345678"},   // all decimals given up
        {3, -12345678.0, DBIERR_FLDTOOWIDE, nullptr},
        {3, 1234567890.0, DBIERR_FLDTOOWIDE, nullptr},
        {3, NAN, DBIERR_FLDTOOWIDE, nullptr},
    };
    for (const Case& c : cases) {
        PutText(1, "Smith");
        SetStored(2, "  77");
        SetStored(3, "    1.00");
        std::vector<uint8_t> before = rec;
        DBIResult status = c.field == 2 ? Put<int16_t>(2, static_cast<int16_t>(c.value)) : Put<double>(3, c.value);
        EXPECT_EQ(status, c.status) << c.value;
        if (c.stored)
            EXPECT_EQ(Stored(cursor, rec, c.field), c.stored) << c.value;
        else
            EXPECT_EQ(rec, before) << c.value;
    }
}

TEST_F(FieldTest, TextIsCutAtTheFieldWidth) {
    PutText(1, "Montgomery");
    EXPECT_EQ(Stored(cursor, rec, 1), "Montgo");
    EXPECT_EQ(Stored(cursor, rec, 6), "end");
    EXPECT_EQ(StringField(cursor, rec, 1), "Montgo");
    PutText(1, "Al ");
    EXPECT_EQ(StringField(cursor, rec, 1), "Al");
}

TEST_F(FieldTest, StoredTextReadsAsNativeValues) {
    struct Case {
        uint16_t field;
        const char* stored;
        bool blank;
        double value;
    } cases[] = {
        {2, "  42", false, 42},     {2, "    ", true, 0},      {2, "4x2 ", true, 0},
        {3, "   12.50", false, 12.5}, {3, "        ", true, 0}, {3, "  1.2.3", true, 0},
        {5, "T", false, 1},         {5, "Y", false, 0},        {5, "t", false, 0}, {5, " ", true, 0},
    };
    for (const Case& c : cases) {
        SetStored(c.field, std::string(c.stored).append(8, ' ').substr(0, c.field == 2 ? 4 : c.field == 3 ? 8 : 1));
        bool blank = false;
        double value = c.field == 3 ? Get<double>(3, blank) : Get<int16_t>(c.field, blank);
        EXPECT_EQ(blank, c.blank) << c.stored;
        if (!c.blank)
            EXPECT_EQ(value, c.value) << c.stored;
    }
}

TEST_F(FieldTest, DecimalSeparatorOfTheUserIsNeverStored) {
    DecimalSeparator = ',';
    SetStored(3, "   12.50");
    bool blank = true;
    EXPECT_EQ(Get<double>(3, blank), 12.5);
    EXPECT_FALSE(blank);
    ASSERT_EQ(Put<double>(3, 7.25), DBIERR_NONE);
    EXPECT_EQ(Stored(cursor, rec, 3), "    7.25");
}

TEST_F(FieldTest, DatesAndBlanks) {
    ASSERT_EQ(Put<int32_t>(4, Days(2003, 2, 1)), DBIERR_NONE);
    EXPECT_EQ(Stored(cursor, rec, 4), "20030201");
    bool blank = true;
    EXPECT_EQ(Get<int32_t>(4, blank), Days(2003, 2, 1));
    EXPECT_FALSE(blank);

    ASSERT_EQ(glue.PutField(cursor, 4, rec.data(), nullptr), DBIERR_NONE);
    EXPECT_EQ(Stored(cursor, rec, 4), "        ");
    int32_t untouched = 12345;
    ASSERT_EQ(glue.GetField(cursor, 4, rec.data(), &untouched, blank), DBIERR_NONE);
    EXPECT_TRUE(blank);
    EXPECT_EQ(untouched, 12345);

    SetStored(4, "20031345");  // no such day: no value
    Get<int32_t>(4, blank);
    EXPECT_TRUE(blank);

    // Blank values of the other kinds.
    glue.PutField(cursor, 5, rec.data(), nullptr);
    EXPECT_EQ(Stored(cursor, rec, 5), "F");
    glue.PutField(cursor, 2, rec.data(), nullptr);
    EXPECT_EQ(Stored(cursor, rec, 2), "    ");
    glue.PutField(cursor, 3, rec.data(), nullptr);
    EXPECT_EQ(Stored(cursor, rec, 3), "    0.00");
}

TEST_F(FieldTest, TwoDigitYearsMoveIntoTheEpochWindow) {
    struct Case {
        int century, epoch, year;
        const char* stored;
    } cases[] = {
        {1, 1950, 1949, "19490501"}, {0, 1900, 1949, "19490501"}, {0, 1950, 1949, "20490501"},
        {0, 1950, 2050, "20500501"}, {0, 1950, 2051, "19510501"},
    };
    for (const Case& c : cases) {
        xb_SetCentury(c.century);
        xb_SetEpoch(c.epoch);
        ASSERT_EQ(Put<int32_t>(4, Days(c.year, 5, 1)), DBIERR_NONE);
        EXPECT_EQ(Stored(cursor, rec, 4), c.stored) << c.century << " " << c.epoch << " " << c.year;
        EXPECT_EQ(xb_SetEpoch(c.epoch), c.epoch);  // the probe put the epoch back
    }
}

TEST_F(FieldTest, BooleansWriteTrueAndFalse) {
    for (int16_t value : {1, 0, -1}) {
        ASSERT_EQ(Put<int16_t>(5, value), DBIERR_NONE);
        EXPECT_EQ(Stored(cursor, rec, 5), value ? "T" : "F") << value;
    }
}

}  // namespace
