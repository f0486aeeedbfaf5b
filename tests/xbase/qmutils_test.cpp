#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "xbase/Qmutils.h"

namespace {

TEST(QmutilsTokens, NextTokenWalksASeparatedLine) {
    struct Case {
        const char* text;
        int start;
        std::vector<std::string> tokens;  // every token up to position -1
    } cases[] = {
        {"A;B", 1, {"A", "B"}},
        {"DESC;LookupCombo;", 1, {"DESC", "LookupCombo", ""}},
        {";;", 1, {"", "", ""}},
        {"", 1, {""}},
        {"Name;Phone", 6, {"Phone"}},
        {"Name;Phone", 5, {"", "Phone"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> got;
        int position = c.start;
        while (position > 0 && got.size() <= c.tokens.size()) got.push_back(NextToken(c.text, ';', position));
        EXPECT_EQ(got, c.tokens);
        EXPECT_EQ(position, -1);
    }
}

TEST(QmutilsTokens, NextTokenOutsideTheTextGivesNothing) {
    struct Case {
        int position;
    } cases[] = {{0}, {-1}, {-5}, {5}, {40}};
    for (const Case& c : cases) {
        int position = c.position;
        std::string token = "stale";
        NextToken("A;B", ';', position, token);  // "A;B" ends at 3; 4 is the empty last token
        EXPECT_EQ(token, "") << c.position;
        EXPECT_EQ(position, c.position);
    }
    int position = 1;
    std::string token;
    NextToken("Name\t20\tTitle", '\t', position, token);
    EXPECT_EQ(token, "Name");
    EXPECT_EQ(position, 6);
}

TEST(QmutilsTokens, SplitKeepsEveryPart) {
    struct Case {
        const char* text;
        std::vector<std::string> parts;
    } cases[] = {
        {"a;b;", {"a", "b", ""}},
        {"", {""}},
        {"one", {"one"}},
        {";x", {"", "x"}},
        {"Item;LookupCombo;Item.dbf;ID;Desc", {"Item", "LookupCombo", "Item.dbf", "ID", "Desc"}},
    };
    TStringList list;
    for (const Case& c : cases) {
        list.Add("left over");
        SplitToStrings(c.text, ';', list);
        std::vector<std::string> got;
        for (int i = 0; i < list.Count(); ++i) got.push_back(list.Strings(i));
        EXPECT_EQ(got, c.parts) << c.text;
    }
}

TEST(QmutilsTokens, TrimAndBlankOut) {
    struct Case {
        const char* text;
        const char* set;
        const char* trimmed;
    } cases[] = {
        {"Name \t \t", " \t", "Name"},
        {"a;b;;", ";", "a;b"},
        {" \t ", " \t", ""},
        {"keep  ", ";", "keep  "},
        {"", " ", ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        TrimTrailingSet(text, c.set);
        EXPECT_EQ(text, c.trimmed) << c.text;
    }
    EXPECT_EQ(BlankOutChar("Last~Name~", '~'), "Last Name ");
    EXPECT_EQ(BlankOutChar("Plain", '~'), "Plain");
}

TEST(QmutilsStacks, PopReturnsTheLastPushedAndNothingWhenEmpty) {
    TStackStr strings;
    EXPECT_EQ(strings.Pop(), "");
    strings.Push("first");
    strings.Push("");
    strings.Push("third");
    EXPECT_EQ(strings.Count(), 3);
    EXPECT_EQ(strings.Pop(), "third");
    EXPECT_EQ(strings.Pop(), "");
    EXPECT_EQ(strings.Pop(), "first");
    EXPECT_EQ(strings.Count(), 0);
    EXPECT_EQ(strings.Pop(), "");

    int a = 1, b = 2;
    TStackPtr pointers;
    EXPECT_EQ(pointers.Pop(), nullptr);
    pointers.Push(&a);
    pointers.Push(&b);
    EXPECT_EQ(pointers.Count(), 2);
    EXPECT_EQ(pointers.Pop(), &b);
    EXPECT_EQ(pointers.Pop(), &a);
    EXPECT_EQ(pointers.Pop(), nullptr);
    EXPECT_EQ(pointers.Count(), 0);
}

TEST(QmutilsChecks, NumberTexts) {
    struct Case {
        const char* text;
        bool integer;
        bool number;
    } cases[] = {
        {"", true, true},
        {"0", true, true},
        {"-5", true, true},
        {"12345678901234567890", true, true},
        {"-", false, false},
        {"--5", false, false},
        {"5-", false, false},
        {"+5", false, false},
        {" 5", false, false},
        {"1.5", false, true},
        {"-1.5", false, true},
        {".5", false, true},
        {"5.", false, true},
        {"1.2.3", false, false},
        {".", false, false},
        {"-.", false, false},
        {"1e5", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidIntegerText(c.text), c.integer) << '"' << c.text << '"';
        EXPECT_EQ(IsValidFloatText(c.text), c.number) << '"' << c.text << '"';
    }
}

// Runs each test on a known format and clock, and puts both back.
class QmutilsDates : public testing::Test {
protected:
    void SetUp() override {
        savedFormat_ = ShortDateFormat;
        savedSeparator_ = DateSeparator;
        ShortDateFormat = "M/d/yyyy";
        DateSeparator = '/';
        setFixedNow(EncodeDate(2003, 6, 15) + 0.5);
    }
    void TearDown() override {
        ShortDateFormat = savedFormat_;
        DateSeparator = savedSeparator_;
        clearFixedNow();
    }

private:
    std::string savedFormat_;
    char savedSeparator_ = '/';
};

TEST_F(QmutilsDates, MonthFirstDates) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"2/28/1999", true},
        {"2/30/1999", false},
        {"2/29/2000", true},
        {"2/29/1900", false},
        {"2/29/2004", true},
        {"1/5/99", true},
        {"12/31/9999", true},
        {"1/1/10000", false},
        {"13/1/2000", false},
        {"0/1/2000", false},
        {"1/0/2000", false},
        {" 1 / 5 / 2000 ", true},
        {"1/5", true},
        {"1/5/", false},
        {"1-5-2000", false},
        {"1/5/2000 x", false},
        {"1/5/2000 12:30", false},
        {"", false},
        {"/5/2000", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidDateText(c.text), c.valid) << '"' << c.text << '"';
}

TEST_F(QmutilsDates, TwoDigitYearsAndMissingYears) {
    // The date conversion's century window: in 2003, "00" is 2000, a leap year.
    EXPECT_TRUE(IsValidDateText("2/29/00"));
    EXPECT_TRUE(IsValidDateText("2/29/96"));
    EXPECT_TRUE(IsValidDateText("2/29/0096"));  // read as 96, so 1996
    // Two parts take the current year.
    EXPECT_FALSE(IsValidDateText("2/29"));
    setFixedNow(EncodeDate(2004, 1, 1));
    EXPECT_TRUE(IsValidDateText("2/29"));
}

TEST_F(QmutilsDates, OrderFollowsTheShortDateFormat) {
    struct Case {
        const char* format;
        char separator;
        const char* text;
        bool valid;
    } cases[] = {
        {"dd/mm/yyyy", '/', "30/4/2001", true},
        {"dd/mm/yyyy", '/', "4/30/2001", false},
        {"dd.MM.yy", '.', "29.2.2000", true},
        {"dd.MM.yy", '.', "29/2/2000", false},
        {"yyyy-mm-dd", '-', "2001-04-30", true},
        {"yyyy-mm-dd", '-', "2001-30-04", false},
        {"yyyy-mm-dd", '-', "4-30", true},
        {"", '/', "4/30/2001", true},
    };
    for (const Case& c : cases) {
        ShortDateFormat = c.format;
        DateSeparator = c.separator;
        EXPECT_EQ(IsValidDateText(c.text), c.valid) << c.format << " " << c.text;
    }
}

TEST_F(QmutilsDates, DatesWithTimes) {
    struct Case {
        const char* text;
        bool valid;
    } cases[] = {
        {"1/5/2000", true},
        {"1/5/2000 12:30", true},
        {"1/5/2000 23:59:59", true},
        {"1/5/2000 24:00", false},
        {"1/5/2000 12:60", false},
        {"1/5/2000 12:30:60", false},
        {"1/5/2000 12:30 PM", true},
        {"1/5/2000 12:30 am", true},
        {"1/5/2000 11:59PM", true},
        {"1/5/2000 13:00 PM", false},
        {"1/5/2000 0:30 AM", false},
        {"1/5/2000 12", false},
        {"1/5/2000 12:", false},
        {"1/5/2000 12:30 XM", false},
        {"1/5 9:15", true},
        {"12:30", false},
        {"2/30/2000 12:30", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsValidDateTimeText(c.text), c.valid) << '"' << c.text << '"';
}

// ---- Filter text ----

const std::vector<std::string> fields = {"NAME", "Balance", "City", "Qty"};

// The tree written children first, as "text" items; lets a test compare shapes.
std::string postOrder(const TNode& node) {
    std::string s;
    if (node.Left) s += postOrder(*node.Left) + " ";
    if (node.Right) s += postOrder(*node.Right) + " ";
    return s + node.Text;
}

TEST(QmutilsFilter, ParsesConditionsWithPrecedence) {
    struct Case {
        const char* text;
        const char* postOrder;
    } cases[] = {
        {"Name = 'Smith'", "NAME Smith ="},
        {"balance>=100 and city<>\"Boston\"", "Balance 100 >= City Boston <> AND"},
        {"Qty < 1 OR Qty > 9 AND City = 'X'", "Qty 1 < Qty 9 > City X = AND OR"},
        {"(Qty < 1 OR Qty > 9) AND City = 'X'", "Qty 1 < Qty 9 > OR City X = AND"},
        {"Balance - 10 * Qty <= -2.5", "Balance 10 Qty * - -2.5 <="},
        {"(Balance + 1) / 2 > Qty", "Balance 1 + 2 / Qty >"},
        {"Name = 'O''Brien'", "NAME O'Brien ="},
        {"City + Name = 'BostonSmith'", "City NAME + BostonSmith ="},
    };
    for (const Case& c : cases) {
        TFilterBuffer filter = ParseFilterText(c.text, fields);
        ASSERT_TRUE(filter.Root) << c.text;
        EXPECT_EQ(postOrder(*filter.Root), c.postOrder) << c.text;
        EXPECT_EQ(filter.Root->OperandType, otBoolean) << c.text;
    }
}

TEST(QmutilsFilter, RefusesWhatIsNoCondition) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"Street = 'Main'", "Field not found in Table. "},
        {"Name = 'A' AND Zip > 1", "Field not found in Table. "},
        {"", "Invalid filter text"},
        {"Name", "Invalid filter text"},
        {"Name = ", "Invalid filter text"},
        {"Name = 'open", "Invalid filter text"},
        {"(Qty > 1", "Invalid filter text"},
        {"Qty > 1)", "Invalid filter text"},
        {"Qty > 1 AND", "Invalid filter text"},
        {"Qty > 1 AND 5", "Invalid filter text"},
        {"Qty = 1 = 2", "Invalid filter text"},
        {"Name * 'x' = 1", "Invalid filter text"},
        {"'a' = 1", "Invalid filter text"},
        {"Qty ! 1", "Invalid filter text"},
        {"AND = 1", "Invalid filter text"},
    };
    for (const Case& c : cases) {
        try {
            ParseFilterText(c.text, fields);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text;
        }
    }
}

TEST(QmutilsFilter, HostileTextIsRefusedNotFollowed) {
    std::string deep = std::string(100000, '(') + "Qty > 1" + std::string(100000, ')');
    EXPECT_THROW(ParseFilterText(deep, fields), EDatabaseError);
    std::string longChain = "Qty > 1";
    for (int i = 0; i < 50000; ++i) longChain += " AND Qty > 1";
    EXPECT_THROW(ParseFilterText(longChain, fields), EDatabaseError);
}

uint32_t readLittleEndian(const std::vector<uint8_t>& bytes, size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | bytes.at(at + i);
    return value;
}

TEST(QmutilsFilter, BufferHoldsTheNodesChildrenFirst) {
    TFilterBuffer filter = ParseFilterText("Qty > 1 OR City = 'Rome'", fields);
    const std::vector<uint8_t>& b = filter.Bytes;
    const uint32_t count = readLittleEndian(b, 0, 4);
    ASSERT_EQ(count, 7u);
    const size_t texts = 4 + count * 14;

    struct Expected {
        TNodeKind kind;
        TOperandType type;
        uint32_t left, right;
        const char* text;
    } expected[] = {
        {nkField, otUnknown, 0xFFFF, 0xFFFF, "Qty"},
        {nkConstant, otNumber, 0xFFFF, 0xFFFF, "1"},
        {nkOperator, otBoolean, 0, 1, ">"},
        {nkField, otUnknown, 0xFFFF, 0xFFFF, "City"},
        {nkConstant, otString, 0xFFFF, 0xFFFF, "Rome"},
        {nkOperator, otBoolean, 3, 4, "="},
        {nkOperator, otBoolean, 2, 5, "OR"},
    };
    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        const size_t at = 4 + i * 14;
        EXPECT_EQ(b[at], expected[i].kind);
        EXPECT_EQ(b[at + 1], expected[i].type);
        EXPECT_EQ(readLittleEndian(b, at + 2, 2), expected[i].left);
        EXPECT_EQ(readLittleEndian(b, at + 4, 2), expected[i].right);
        const uint32_t offset = readLittleEndian(b, at + 6, 4), length = readLittleEndian(b, at + 10, 4);
        ASSERT_LE(texts + offset + length, b.size());
        EXPECT_EQ(std::string(b.begin() + texts + offset, b.begin() + texts + offset + length), expected[i].text);
    }
}

}  // namespace
