// Key fields read from index expressions, partial keys and the
// greater-than search text.
#include <gtest/gtest.h>

#include <map>

#include "xbase/IndexKeys.h"

namespace {

TEST(IndexKeys, FieldsOfUpperAndJoinedKeys) {
    const std::map<std::string, int> fields{{"LAST", 1}, {"FIRST", 2}, {"ID", 3}};
    auto number = [&](const std::string& name) {
        std::string upper;
        for (char c : name)
            upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto found = fields.find(upper);
        return found == fields.end() ? 0 : found->second;
    };
    struct Case {
        const char* expression;
        std::vector<int> fields;
    } cases[] = {
        {"ID", {3}},
        {"last", {1}},
        {"UPPER(LAST)", {1}},
        {"upper( Last )+upper(First)", {1, 2}},
        {"LAST+FIRST", {1, 2}},
        {"upper(LAST)+FIRST+ID", {1, 2, 3}},
        {"STR(ID,10)", {}},
        {"LAST+DTOS(BORN)", {}},
        {"UPPER(NOSUCH)", {}},
        {"LAST+", {}},
        {"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(keyFieldsOf(c.expression, number), c.fields) << c.expression;
}

TEST(IndexKeys, PartialKeysCoverTheGivenFields) {
    const std::vector<int> widths{10, 6, 4};
    const std::string key = "SMITH     JOHN  0012";
    EXPECT_EQ(PartialKey(key, widths, 1), "SMITH     ");
    EXPECT_EQ(PartialKey(key, widths, 2), "SMITH     JOHN  ");
    EXPECT_EQ(PartialKey(key, widths, 3), key);
    EXPECT_EQ(PartialKey(key, widths, 0), key);
    EXPECT_EQ(PartialKey(key, {}, 1), key);
}

TEST(IndexKeys, GreaterThanRaisesTheLastCharacter) {
    EXPECT_EQ(nextKey("SMITHA"), "SMITHB");
    EXPECT_EQ(nextKey("12"), "13");
    EXPECT_EQ(nextKey(""), "");
}

}  // namespace
