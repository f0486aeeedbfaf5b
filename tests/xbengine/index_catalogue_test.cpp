// Every tag of the company tables built on generated records: each lists
// the records a sort of their key texts gives, conditions and uniqueness
// included, and reads the same after the table is opened again.
#include <random>

#include "CatalogueSupport.h"
#include "IndexSupport.h"

namespace {

// Field values with many ties, mixed case and blanks, so that the order of
// equal keys and of upper() keys is put to the test.
std::string TextValue(std::mt19937& random, int width) {
    static const char* const words[] = {"smith", "Smith", "JONES", "adams", "", "b", "Zeta", "o'neil",
                                        "12:30P", "01:15P", "11:45A", "12:05A", "Mc Donald", "eye exam"};
    std::string text = words[random() % (sizeof words / sizeof words[0])];
    if (random() % 3 == 0)
        text += std::to_string(random() % 10);
    return text.substr(0, static_cast<size_t>(width));
}

double NumberValue(std::mt19937& random, int width, int decimals) {
    int digits = std::min(5, width - (decimals > 0 ? decimals + 1 : 0) - 1);
    int limit = 1;
    for (int i = 0; i < digits; ++i)
        limit *= 10;
    double value = static_cast<double>(static_cast<int>(random() % (2 * limit)) - limit / 4);
    if (decimals > 0)
        value += static_cast<double>(random() % 100) / 100.0;
    return value;
}

std::string DateValue(std::mt19937& random) {
    if (random() % 10 == 0)
        return "";
    char text[9];
    std::snprintf(text, sizeof text, "%04d%02d%02d", 1995 + static_cast<int>(random() % 10),
                  1 + static_cast<int>(random() % 12), 1 + static_cast<int>(random() % 28));
    return text;
}

class CatalogueIndexTest : public StorageTest {
protected:
    void TearDown() override {
        xb_SetCentury(XB_OFF);
        StorageTest::TearDown();
    }
};

TEST_F(CatalogueIndexTest, EveryTagListsItsRecordsInKeyOrder) {
    constexpr int records = 300;
    xb_SetCentury(XB_ON);  // as the program runs
    std::mt19937 random(2003);
    for (const auto& [tableName, columns] : CatalogueTables()) {
        const std::string path = dir.file(tableName + ".dbf");
        std::vector<FieldSpec> fields;
        std::vector<std::string> typeLetters;
        for (const Column& c : columns)
            typeLetters.push_back(std::string(1, c.type));
        for (size_t i = 0; i < columns.size(); ++i)
            fields.push_back({columns[i].name.c_str(), typeLetters[i].c_str(), columns[i].width, columns[i].decimals});
        ASSERT_EQ(CreateTable(path, fields), "") << tableName;
        ASSERT_GT(xb_Use(path.c_str(), "", XB_EXCLUSIVE, XB_DRIVER_NSX), 0) << tableName;
        for (int r = 0; r < records; ++r) {
            ASSERT_EQ(xb_AppendEx(), XB_APPEND_DONE);
            for (const Column& c : columns) {
                const char* name = c.name.c_str();
                if (c.type == 'N') {
                    double v = NumberValue(random, c.width, c.decimals);
                    ASSERT_TRUE(xb_Replace(name, XB_REPLACE_DOUBLE, &v)) << tableName << "." << name << " " << v;
                } else if (c.type == 'D') {
                    ASSERT_TRUE(xb_Replace(name, XB_REPLACE_TEXT, DateValue(random).c_str()));
                } else if (c.type == 'L') {
                    int on = static_cast<int>(random() % 2);
                    ASSERT_TRUE(xb_Replace(name, XB_REPLACE_LOGICAL, &on));
                } else {
                    ASSERT_TRUE(xb_Replace(name, XB_REPLACE_TEXT, TextValue(random, c.width).c_str()));
                }
            }
        }

        std::vector<const CatalogueTag*> tags;
        for (const CatalogueTag& tag : Catalogue())
            if (tableName == tag.table)
                tags.push_back(&tag);
        for (const CatalogueTag* tag : tags)
            ASSERT_GT(xb_IndexTag("", tag->name, tag->key.c_str(), tag->unique ? 1 : 0, XB_ASCENDING,
                                  tag->condition ? tag->condition : ""),
                      0)
                << tableName << " " << tag->name << ": " << xb_IndexError();
        xb_CloseAll();

        ASSERT_GT(xb_Use(path.c_str(), "", XB_SHARED, XB_DRIVER_NSX), 0);
        EXPECT_EQ(xb_SysProp(XB_SP_TAG_COUNT, 0), static_cast<int>(tags.size())) << tableName;
        for (const CatalogueTag* tag : tags) {
            Recs expected = ExpectedOrder(tag->key, tag->condition ? tag->condition : "", tag->unique);
            xb_SetOrder(xb_TagArea(tag->name));
            ASSERT_GT(xb_IndexOrd(), 0) << tableName << " " << tag->name;
            EXPECT_EQ(Walk(), expected) << tableName << " " << tag->name;
        }
        xb_CloseAll();
    }
}

}  // namespace
