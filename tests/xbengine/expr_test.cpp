// The expression language: operators and functions with their xBase meaning,
// fixed key widths, and every index key and condition of the company tables.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "CatalogueSupport.h"
#include "xbengine/DateText.h"
#include "xbengine/Expr.h"

namespace {


// One record buffer laid out as a table stores it: deletion byte, then the
// fields as text (character left-aligned, numbers right-aligned).
struct TestRecord {
    explicit TestRecord(const std::vector<Column>& columns, bool deleted = false, uint32_t recNo = 1)
        : recNo(recNo) {
        buffer = deleted ? "*" : " ";
        for (const Column& c : columns) {
            xb::FieldInfo field;
            field.name = c.name;
            field.type = c.type;
            field.width = c.width;
            field.decimals = c.decimals;
            field.offset = static_cast<int>(buffer.size());
            fields.push_back(field);
            std::string text = c.value.substr(0, static_cast<size_t>(c.width));
            std::string pad(static_cast<size_t>(c.width) - text.size(), ' ');
            buffer += c.type == 'N' ? pad + text : text + pad;
        }
    }
    xb::RecordView View() const { return {&fields, buffer.data(), recNo}; }

    std::vector<xb::FieldInfo> fields;
    std::string buffer;
    uint32_t recNo;
};

xb::Settings AppSettings() {
    xb::Settings settings;  // as the data module sets them
    settings.century = true;
    settings.epoch = 1910;
    settings.dateFormat = 0;
    return settings;
}

std::unique_ptr<xb::Expression> CompileOrFail(const std::string& text, const TestRecord& record,
                                              const xb::Settings& settings) {
    xb::ExprStatus status;
    auto expr = xb::Expression::Compile(text, record.fields, settings, status);
    EXPECT_TRUE(expr) << text << ": " << status.message;
    EXPECT_TRUE(status.ok()) << text;
    return expr;
}

const std::vector<Column> Sample = {
    {"NAME", 'C', 10, 0, "Smith"},     {"BAL", 'N', 10, 2, "12.50"}, {"ZERO", 'N', 5, 0, "0"},
    {"DUE", 'D', 8, 0, "20030704"},    {"NODATE", 'D', 8, 0, ""},    {"FLAG", 'L', 1, 0, "T"},
    {"OFF", 'L', 1, 0, "F"},           {"CODE", 'C', 4, 0, "12"},    {"PAD", 'C', 6, 0, "  a"},
    {"Restocked", 'D', 8, 0, "20040101"},
};

// Results as EvalString gives them: text as is, numbers by their str text,
// dates as "yyyymmdd", logicals ".T."/".F.".
struct TextCase {
    const char* expr;
    xb::ExprType type;
    const char* expected;
};

void CheckTextCases(const TestRecord& record, const xb::Settings& settings, const std::vector<TextCase>& cases) {
    for (const TextCase& c : cases) {
        auto expr = CompileOrFail(c.expr, record, settings);
        if (!expr)
            continue;
        EXPECT_EQ(expr->Type(), c.type) << c.expr;
        EXPECT_EQ(expr->EvalString(record.View(), settings), c.expected) << c.expr;
    }
}

struct NumberCase {
    const char* expr;
    double expected;
};

void CheckNumberCases(const TestRecord& record, const xb::Settings& settings, const std::vector<NumberCase>& cases) {
    for (const NumberCase& c : cases) {
        auto expr = CompileOrFail(c.expr, record, settings);
        if (!expr)
            continue;
        EXPECT_EQ(expr->Type(), xb::ExprType::Numeric) << c.expr;
        EXPECT_DOUBLE_EQ(expr->EvalNumber(record.View(), settings), c.expected) << c.expr;
    }
}

using T = xb::ExprType;

TEST(Expression, TextOperatorsConcatenateCompareAndSearch) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    CheckTextCases(record, settings, {
        {"name", T::Character, "Smith     "},
        {"nAmE + '|'", T::Character, "Smith     |"},
        {"Sales->Name", T::Character, "Smith     "},
        {"name - '|'", T::Character, "Smith|     "},
        {"pad - name", T::Character, "  aSmith        "},
        {"'ab' $ 'xabc'", T::Logical, ".T."},
        {"'ba' $ 'xabc'", T::Logical, ".F."},
        {"'' $ 'abc'", T::Logical, ".F."},
        // exact off: the left side is compared over the right side's length
        {"name = 'Sm'", T::Logical, ".T."},
        {"name = ''", T::Logical, ".T."},
        {"'Sm' = name", T::Logical, ".F."},
        {"name = 'Smith'", T::Logical, ".T."},
        {"name = 'Smithy'", T::Logical, ".F."},
        {"name <> 'Sm'", T::Logical, ".F."},
        {"name # 'X'", T::Logical, ".T."},
        {"name != 'X'", T::Logical, ".T."},
        // == is exact whatever the setting: trailing blanks count
        {"name == 'Smith'", T::Logical, ".F."},
        {"trim(name) == 'Smith'", T::Logical, ".T."},
        {"name == 'Smith     '", T::Logical, ".T."},
        {"'abc' < 'abd'", T::Logical, ".T."},
        {"'b' > 'abc'", T::Logical, ".T."},
        {"'ab' < 'abc'", T::Logical, ".T."},
        {"'abc' >= 'ab'", T::Logical, ".T."},
        {"'abc' <= 'ab'", T::Logical, ".T."},
        // bytes compare unsigned: accented letters sort after ASCII
        {"'\xE9' > 'z'", T::Logical, ".T."},
        {"\"it's\" = 'it'", T::Logical, ".T."},
    });
}

TEST(Expression, ExactOnComparesWholeTextIgnoringTrailingBlanks) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    settings.exact = true;
    CheckTextCases(record, settings, {
        {"name = 'Sm'", T::Logical, ".F."},
        {"name = ''", T::Logical, ".F."},
        {"name = 'Smith'", T::Logical, ".T."},
        {"name = 'Smith   '", T::Logical, ".T."},
        {"'abc' >= 'ab'", T::Logical, ".T."},
        {"'abc' <= 'ab'", T::Logical, ".F."},
        {"name == 'Smith'", T::Logical, ".F."},
    });
}

TEST(Expression, NumbersDatesAndLogicals) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    CheckNumberCases(record, settings, {
        {"bal", 12.5},
        {"1 + 2 * 3", 7},
        {"(1 + 2) * 3", 9},
        {"7 - 2 - 1", 4},
        {"10 / 4", 2.5},
        {"-bal", -12.5},
        {"- -bal", 12.5},
        {"+bal", 12.5},
        {"bal * 2 + zero", 25},
        {"10 / zero", 0},
        {"due - ctod('07/01/2003')", 3},
        {".5 + 1.", 1.5},
        {"recno() * 2", 2},
        {"val(' 12.5x')", 12.5},
        {"val('-3')", -3},
        {"val('abc')", 0},
        {"descend(bal)", -12.5},
    });
    CheckTextCases(record, settings, {
        {"due + 30", T::Date, "20030803"},
        {"30 + due", T::Date, "20030803"},
        {"due - 4", T::Date, "20030630"},
        {"nodate + 1", T::Date, "        "},
        {"due + 100000000", T::Date, "        "},
        {"due - 1000000", T::Date, "        "},
        {"due > nodate", T::Logical, ".T."},
        {"due = ctod('07/04/2003')", T::Logical, ".T."},
        {"Restocked > due", T::Logical, ".T."},
        {"bal <> 0.0", T::Logical, ".T."},
        {"(zero <> 0.0)", T::Logical, ".F."},
        {"bal > 12.49 .and. bal < 12.51", T::Logical, ".T."},
        {"bal >= 12.5 .and. bal <= 12.5", T::Logical, ".T."},
        {".not. flag", T::Logical, ".F."},
        {"!flag", T::Logical, ".F."},
        {"flag .and. .f.", T::Logical, ".F."},
        {"off .or. .T.", T::Logical, ".T."},
        {"flag = .t.", T::Logical, ".T."},
        {"off == .F.", T::Logical, ".T."},
        {".y. .and. !.n.", T::Logical, ".T."},
        // precedence: relations bind tighter than .not., .not. than .and., .and. than .or.
        {".not. 1 = 2", T::Logical, ".T."},
        {".t. .or. .f. .and. .f.", T::Logical, ".T."},
        {"1 = 1 .and. 2 = 2 .or. .f.", T::Logical, ".T."},
        // operators need no blanks around them
        {"\"20030101\"<=dtos(due).and.dtos(due)<=\"20031231\"", T::Logical, ".T."},
        {"DTOS(due) >=\"20030101\".and. DTOS(due) <=\"20030131\"", T::Logical, ".F."},
    });
}

TEST(Expression, FunctionsFollowXbaseMeaning) {
    TestRecord record(Sample, /*deleted=*/true, /*recNo=*/7);
    xb::Settings settings = AppSettings();
    CheckTextCases(record, settings, {
        {"upper('aBc1-z')", T::Character, "ABC1-Z"},
        {"upper(name)", T::Character, "SMITH     "},
        {"str(12.5)", T::Character, "        13"},
        {"str(bal, 10, 2)", T::Character, "     12.50"},
        {"str(2.675, 5, 2)", T::Character, " 2.68"},
        {"str(-2.5, 4)", T::Character, "  -3"},
        {"str(123456, 4)", T::Character, "****"},
        {"str(0.004, 5, 2)", T::Character, " 0.00"},
        {"str(-0.001, 6, 2)", T::Character, "  0.00"},
        {"str(99.999, 6, 2)", T::Character, "100.00"},
        {"str(99.999, 5, 2)", T::Character, "*****"},
        {"str(1234567890123, 19)", T::Character, "      1234567890123"},
        {"str(-42, 5)", T::Character, "  -42"},
        {"str(42, 6, 2)", T::Character, " 42.00"},
        {"str(0, 3)", T::Character, "  0"},
        {"str(-7, 2)", T::Character, "-7"},
        {"str(-70, 2)", T::Character, "**"},
        {"str(-0.4, 3)", T::Character, "  0"},
        {"str(999999999999999, 15)", T::Character, "999999999999999"},
        {"str(1000000000000000, 16)", T::Character, "1000000000000000"},
        {"ltrim(str(bal, 19))", T::Character, "13"},
        {"ltrim(pad + 'x ')", T::Character, "a   x "},
        {"trim('  a  ')", T::Character, "  a"},
        {"rtrim('  a  ')", T::Character, "  a"},
        {"alltrim('  a  ')", T::Character, "a"},
        {"substr('abcdef', 2, 3)", T::Character, "bcd"},
        {"substr('abcdef', 5)", T::Character, "ef"},
        {"substr('abcdef', 5, 10)", T::Character, "ef"},
        {"substr('abc', 5, 2)", T::Character, ""},
        {"substr('abcdef', -2)", T::Character, "ef"},
        {"substr('abc', 0, 2)", T::Character, "ab"},
        {"substr('abc', 2, -1)", T::Character, ""},
        {"left('abc', 2)", T::Character, "ab"},
        {"left('abc', 5)", T::Character, "abc"},
        {"right('abc', 2)", T::Character, "bc"},
        {"right('abc', 0)", T::Character, ""},
        {"iif(flag, 'yes', 'no')", T::Character, "yes"},
        {"iif(off, 'yes', 'no')", T::Character, "no"},
        {"descend('AB')", T::Character, "\xBE\xBD"},
        {"descend(.t.)", T::Logical, ".F."},
        {"empty('  ')", T::Logical, ".T."},
        {"empty(pad)", T::Logical, ".F."},
        {"empty(zero)", T::Logical, ".T."},
        {"empty(bal)", T::Logical, ".F."},
        {"empty(off)", T::Logical, ".T."},
        {"empty(nodate)", T::Logical, ".T."},
        {"empty(due)", T::Logical, ".F."},
        {"deleted()", T::Logical, ".T."},
        {"dtos(due)", T::Character, "20030704"},
        {"dtos(nodate)", T::Character, "        "},
        {"dtoc(due)", T::Character, "07/04/2003"},
        {"dtoc(nodate)", T::Character, "  /  /    "},
        {"dtos(ctod('07/04/03'))", T::Character, "20030704"},
        {"dtos(ctod('02/30/2003'))", T::Character, "        "},
        {"DTOC( CTOD(\"01/01/49\") )", T::Character, "01/01/1949"},
    });
    CheckNumberCases(record, settings, {
        {"iif(off, 1, 2)", 2},
        {"recno()", 7},
        {"descend(due)", -static_cast<double>(xb::DateToJulian("20030704"))},
    });
}

TEST(Expression, DateFunctionsFollowTheSettingsAtEvaluation) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    auto dtoc = CompileOrFail("dtoc(due)", record, settings);
    auto ctod = CompileOrFail("dtos(ctod('04.07.49'))", record, settings);
    ASSERT_TRUE(dtoc && ctod);
    settings.dateFormat = 4;
    EXPECT_EQ(dtoc->EvalString(record.View(), settings), "04.07.2003");
    EXPECT_EQ(ctod->EvalString(record.View(), settings), "19490704");
    settings.epoch = 1950;
    EXPECT_EQ(ctod->EvalString(record.View(), settings), "20490704");
}

TEST(Expression, OneCompiledFormServesManyRecords) {
    std::vector<Column> columns = {{"A", 'C', 8, 0, ""}, {"B", 'C', 4, 0, ""}, {"N", 'N', 6, 2, ""}};
    xb::Settings settings = AppSettings();
    TestRecord first({{"A", 'C', 8, 0, "long one"}, {"B", 'C', 4, 0, "x"}, {"N", 'N', 6, 2, "1.25"}});
    TestRecord second({{"A", 'C', 8, 0, "ab"}, {"B", 'C', 4, 0, "yz"}, {"N", 'N', 6, 2, ""}}, false, 2);
    auto expr = CompileOrFail("upper(trim(a)) + upper(b) + str(n, 6, 2)", first, settings);
    ASSERT_TRUE(expr);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(expr->EvalString(first.View(), settings), "LONG ONEX     1.25");
        EXPECT_EQ(expr->EvalString(second.View(), settings), "ABYZ    0.00");
    }
}

TEST(Expression, KeyTextHasTheWidthKnownAtCompileTime) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    struct Case {
        const char* expr;
        int width;
        const char* key;
    } cases[] = {
        {"upper(name)", 10, "SMITH     "},
        {"trim(name)", 10, "Smith     "},
        {"alltrim(pad)", 6, "a     "},
        {"name + code", 14, "Smith     12  "},
        {"trim(name) + code", 14, "Smith12       "},
        {"str(bal, 10, 0) + str(zero, 4, 0)", 14, "        13   0"},
        {"str(bal)", 10, "        13"},
        {"dtos(due)", 8, "20030704"},
        {"dtoc(due)", 10, "07/04/2003"},
        {"substr(dtoc(due), 1, 5)", 5, "07/04"},
        {"substr(name, 3)", 8, "ith     "},
        {"substr(name, 9, 5)", 2, "  "},
        {"left(name, 3)", 3, "Smi"},
        {"right(code, 3)", 3, "2  "},
        {"iif(flag, 'a', 'bcd')", 3, "a  "},
        {"descend(dtos(nodate))", 8, "\xDF\xDF\xDF\xDF\xDF\xDF\xDF\xDF"},
        {"due", 8, "20030704"},
        {"flag", 1, "T"},
        {"bal", 10, "     12.50"},
    };
    for (const Case& c : cases) {
        auto expr = CompileOrFail(c.expr, record, settings);
        if (!expr)
            continue;
        EXPECT_EQ(expr->Width(), c.width) << c.expr;
        EXPECT_EQ(expr->KeyText(record.View(), settings), c.key) << c.expr;
    }
    // A key of dates without the century is as wide as its text.
    xb::Settings shortYears = settings;
    shortYears.century = false;
    auto dtoc = CompileOrFail("dtoc(due)", record, shortYears);
    ASSERT_TRUE(dtoc);
    EXPECT_EQ(dtoc->Width(), 8);
}

TEST(Expression, BareFieldsAreReportedForNumericAndDateKeys) {
    TestRecord record(Sample);
    xb::Settings settings = AppSettings();
    struct Case {
        const char* expr;
        const char* field;  // null: not a bare field
    } cases[] = {
        {"bal", "BAL"}, {"Sales->due", "DUE"}, {"RESTOCKED", "Restocked"},
        {"upper(name)", nullptr}, {"bal + 0", nullptr}, {"(bal)", "BAL"},
    };
    for (const Case& c : cases) {
        auto expr = CompileOrFail(c.expr, record, settings);
        if (!expr)
            continue;
        const xb::FieldInfo* field = expr->BareField();
        if (c.field) {
            ASSERT_NE(field, nullptr) << c.expr;
            EXPECT_EQ(field->name, c.field);
        } else {
            EXPECT_EQ(field, nullptr) << c.expr;
        }
    }
}

// Every key expression and condition of the company tables' index tags, on a
// one-record fixture of the fields each needs, with the tables' field widths.
TEST(Expression, CompanyIndexCatalogueGivesItsKeys) {
    const auto& tables = CatalogueTables();
    xb::Settings settings = AppSettings();
    for (const CatalogueTag& tag : Catalogue()) {
        TestRecord record(tables.at(tag.table));
        auto key = CompileOrFail(tag.key, record, settings);
        if (!key)
            continue;
        EXPECT_EQ(key->KeyText(record.View(), settings), tag.expectedKey) << tag.table << ": " << tag.key;
        EXPECT_EQ(key->Width(), static_cast<int>(tag.expectedKey.size())) << tag.table << ": " << tag.key;
        if (key->Type() == T::Numeric) {
            // The dataset layer reads numeric keys as LTRIM(STR(key, 19)).
            auto text = CompileOrFail("LTRIM(STR(" + tag.key + ", 19))", record, settings);
            std::string trimmed = tag.expectedKey.substr(tag.expectedKey.find_first_not_of(' '));
            if (text) {
                EXPECT_EQ(text->EvalString(record.View(), settings), trimmed) << tag.key;
            }
        }
        if (tag.condition) {
            auto condition = CompileOrFail(tag.condition, record, settings);
            if (!condition)
                continue;
            EXPECT_EQ(condition->Type(), T::Logical) << tag.condition;
            EXPECT_EQ(condition->EvalLogical(record.View(), settings), tag.expectedCondition)
                << tag.table << ": " << tag.condition;
        }
    }
}

TEST(Expression, ScheduleKeysSortNoonBeforeOneWithinTheHalfDay) {
    const std::string key =
        "dtos(Date) + substr(time,6,1) + iif(substr(time,1,2) = \"12\", \"00\"+ substr(time,3,4),time)";
    auto record = [](const char* time) {
        return TestRecord({{"DATE", 'D', 8, 0, "20030704"}, {"TIME", 'C', 6, 0, time}});
    };
    xb::Settings settings = AppSettings();
    TestRecord noon = record("12:30P"), one = record("01:15P"), morning = record("11:45A");
    auto expr = CompileOrFail(key, noon, settings);
    ASSERT_TRUE(expr);
    std::string noonKey = expr->KeyText(noon.View(), settings);
    std::string oneKey = expr->KeyText(one.View(), settings);
    std::string morningKey = expr->KeyText(morning.View(), settings);
    EXPECT_LT(morningKey, noonKey);
    EXPECT_LT(noonKey, oneKey);
}

TEST(Expression, DescendReversesTheOrderOfKeys) {
    xb::Settings settings = AppSettings();
    auto due = [](const char* date) { return TestRecord({{"DUEDATE", 'D', 8, 0, date}, {"N", 'N', 5, 1, "1.5"}}); };
    TestRecord early = due("20030101"), late = due("20031231"), none = due("");
    auto text = CompileOrFail("descend(dtos(DueDate))", early, settings);
    auto days = CompileOrFail("descend(DueDate)", early, settings);
    ASSERT_TRUE(text && days);
    // Byte-wise, as the index compares character keys.
    EXPECT_GT(text->KeyText(early.View(), settings), text->KeyText(late.View(), settings));
    EXPECT_GT(days->EvalNumber(early.View(), settings), days->EvalNumber(late.View(), settings));
    // A blank date comes after every real date in descending order.
    EXPECT_GT(days->EvalNumber(none.View(), settings), days->EvalNumber(early.View(), settings));
}

}  // namespace
