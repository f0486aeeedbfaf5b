// The expression calls on an open table: evaluation over the current record
// and filters that movement and counts honour.
#include <set>

#include "xbengine/ExprCalls.h"
#include "StorageSupport.h"

namespace {

const std::vector<FieldSpec> kItems = {
    {"NAME", "C", 10, 0}, {"TYPE", "C", 10, 0}, {"BALANCE", "N", 10, 2}, {"DUE", "D", 8, 0},
};

struct Row {
    const char* name;
    const char* type;
    const char* balance;
    const char* due;
};

const Row kRows[] = {
    {"ann", "Cash", "12.50", "20030704"},
    {"bob", "charge", "40.00", "20030801"},
    {"cy", "Check", "0.00", ""},
    {"dee", " CHARGE", "5.00", "20030915"},
    {"eve", "", "7.25", "20031001"},
};

class ExprCallsTest : public StorageTest {
protected:
    void SetUp() override {
        StorageTest::SetUp();
        path = dir.file("items.dbf");
        ASSERT_EQ(CreateTable(path, kItems), "");
        area = xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX);
        ASSERT_GT(area, 0);
        for (const Row& r : kRows)
            ASSERT_TRUE(AppendValues({{"NAME", r.name}, {"TYPE", r.type}, {"BALANCE", r.balance}, {"DUE", r.due}}));
    }

    // Names of the visible records, walking forward from the top.
    static std::vector<std::string> VisibleNames() {
        std::vector<std::string> names;
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            names.push_back(Str(xb_GetTrimString("NAME")));
        return names;
    }

    std::string path;
    int area = 0;
};

TEST_F(ExprCallsTest, EvaluationReadsTheCurrentRecord) {
    xb_Go(2);
    struct Case {
        const char* expr;
        int type;
        const char* text;
    } cases[] = {
        {"name", 1, "bob       "},
        {"upper(trim(type)) + '!'", 1, "CHARGE!"},
        {"LTRIM(STR(balance, 19))", 1, "40"},
        {"balance * 2", 2, "              80.00"},
        {"due", 4, "20030801"},
        {"balance > 10 .and. recno() = 2", 3, ".T."},
        {"'const'", 1, "const"},
        {"nosuch", 0, ""},
        {"balance +", 0, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(xb_EvalTest(c.expr), c.type) << c.expr;
        EXPECT_EQ(Str(xb_EvalString(c.expr)), c.text) << c.expr;
    }
    EXPECT_EQ(xb_EvalLogical("type = 'ch'"), 1);
    EXPECT_EQ(xb_EvalLogical("type = 'x'"), 0);
    EXPECT_EQ(xb_EvalLogical("name"), 0);
    EXPECT_EQ(xb_EvalTest("foo(1)"), 0);
    EXPECT_EQ(xb::LastExpressionStatus().code, xb::ExprError::UnknownFunction);
    EXPECT_FALSE(xb::LastExpressionStatus().message.empty());
}

TEST_F(ExprCallsTest, FilterLimitsMovementAndCounts) {
    ASSERT_NE(xb_SetFilter("upper(trim(Type)) <> \"CHARGE\" .and. .not. empty(type) "), 0);
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"ann", "cy", "dee"}));
    EXPECT_EQ(xb_QueryRecCount(), 3);
    EXPECT_EQ(xb_Count(), 3);
    EXPECT_EQ(xb_RecCount(), 5);
    EXPECT_EQ(Str(xb_DBFilter()), "upper(trim(Type)) <> \"CHARGE\" .and. .not. empty(type) ");

    xb_GoBottom();
    EXPECT_EQ(Str(xb_GetTrimString("NAME")), "dee");
    xb_Skip(-1);
    EXPECT_EQ(Str(xb_GetTrimString("NAME")), "cy");

    ASSERT_NE(xb_Query("balance <> 0"), 0);
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"ann", "bob", "dee", "eve"}));
    ASSERT_NE(xb_Query("DTOS(due) >=\"20030801\".and. DTOS(due) <=\"20030930\""), 0);
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"bob", "dee"}));

    // Deleted records stay hidden under a filter when the setting hides them.
    xb_Go(2);
    ASSERT_NE(xb_Delete(), 0);
    xb_SetDeleted(XB_ON);
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"dee"}));
    EXPECT_EQ(xb_QueryRecCount(), 1);
}

TEST_F(ExprCallsTest, RefusedFilterLeavesThePreviousOneInForce) {
    ASSERT_NE(xb_SetFilter("balance > 6"), 0);
    const std::vector<std::string> before = VisibleNames();
    ASSERT_EQ(before, (std::vector<std::string>{"ann", "bob", "eve"}));
    struct Case {
        const char* text;
        xb::ExprError code;
    } refused[] = {
        {"balance >", xb::ExprError::Syntax},
        {"(balance > 1", xb::ExprError::UnbalancedParens},
        {"nosuch = 1", xb::ExprError::UnknownField},
        {"name", xb::ExprError::TypeMismatch},       // not logical
        {"balance + name", xb::ExprError::TypeMismatch},
    };
    for (const auto& c : refused) {
        EXPECT_EQ(xb_SetFilter(c.text), 0) << c.text;
        EXPECT_EQ(xb_Query(c.text), 0) << c.text;
        EXPECT_EQ(xb::LastExpressionStatus().code, c.code) << c.text;
        EXPECT_EQ(Str(xb_DBFilter()), "balance > 6");
        EXPECT_EQ(VisibleNames(), before) << c.text;
    }
}

TEST_F(ExprCallsTest, EmptyTextClearsAndAFilterEndsWithItsTable) {
    ASSERT_NE(xb_Query("balance = 0"), 0);
    EXPECT_EQ(xb_QueryRecCount(), 1);
    EXPECT_NE(xb_Query(""), 0);
    EXPECT_EQ(Str(xb_DBFilter()), "");
    EXPECT_EQ(VisibleNames().size(), 5u);

    ASSERT_NE(xb_SetFilter("balance = 0"), 0);
    EXPECT_NE(xb_SetFilter("   "), 0);
    EXPECT_EQ(VisibleNames().size(), 5u);

    // A table opened again in the same area starts without a filter.
    ASSERT_NE(xb_SetFilter("balance = 0"), 0);
    xb_Close();
    ASSERT_EQ(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), area);
    EXPECT_EQ(Str(xb_DBFilter()), "");
    EXPECT_EQ(VisibleNames().size(), 5u);
}

TEST_F(ExprCallsTest, FiltersBelongToTheirOwnArea) {
    std::string other = dir.file("other.dbf");
    ASSERT_EQ(CreateTable(other, kItems), "");
    int first = area;
    xb_Select(first);
    ASSERT_NE(xb_SetFilter("balance = 0"), 0);
    int second = xb_Use(other.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX);
    ASSERT_GT(second, 0);
    ASSERT_NE(second, first);
    EXPECT_EQ(Str(xb_DBFilter()), "");
    ASSERT_TRUE(AppendValues({{"NAME", "zed"}, {"BALANCE", "3"}}));
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"zed"}));
    xb_Select(first);
    EXPECT_EQ(VisibleNames(), (std::vector<std::string>{"cy"}));
}

TEST_F(ExprCallsTest, WithoutATableOnlyConstantsEvaluate) {
    xb_CloseAll();
    EXPECT_EQ(Str(xb_EvalString("upper('a') + dtos(ctod('07/04/2003'))")), "A20030704");
    EXPECT_EQ(xb_EvalTest("name"), 0);
    EXPECT_EQ(xb_SetFilter("1 = 1"), 0);
    EXPECT_EQ(xb::LastExpressionStatus().code, xb::ExprError::NoTable);
    EXPECT_EQ(Str(xb_DBFilter()), "");
    EXPECT_EQ(xb_QueryRecCount(), 0);
}

}  // namespace
