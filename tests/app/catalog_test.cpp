#include <gtest/gtest.h>

#include <strings.h>

#include <string>
#include <vector>

#include "app/IndexCatalog.h"
#include "app/Schemas.h"
#include "base/SysUtils.h"
#include "support/CompanyFixture.h"
#include "support/TempDir.h"
#include "xbengine/XbEngine.h"

namespace {

using CompanyFixture::Row;

// One company table with rows, indexed from the catalogue, in a folder of its own.
class TagTest : public testing::Test {
protected:
    void SetUp() override {
        xb_CloseAll();
        oldDateFormat_ = xb_SetDateFormat(XB_DATE_AMERICAN);  // American, as the program runs
        oldDeleted_ = xb_SetDeleted(XB_ON);
    }
    void TearDown() override {
        xb_CloseAll();
        xb_SetDateFormat(oldDateFormat_);
        xb_SetDeleted(oldDeleted_);
    }

    void MakeIndexed(const std::string& fileName, const std::vector<Row>& rows) {
        CompanyFixture::CreateTable(dir.path(), fileName);
        CompanyFixture::AppendRows(dir.path(), fileName, rows);
        CompanyFixture::BuildIndex(dir.path(), fileName);
    }

    // The value of field, without surrounding blanks, for each record the tag lists, in its order.
    std::vector<std::string> InTagOrder(const std::string& fileName, const char* tag, const char* field) {
        std::vector<std::string> values;
        std::string path = dir.file(fileName);
        EXPECT_NE(xb_Use(path.c_str(), "ORDERED", XB_SHARED, XB_DRIVER_NSX), 0);
        int order = xb_TagArea(tag);
        EXPECT_NE(order, 0) << tag;
        xb_SetOrder(order);
        for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
            values.push_back(Trim(xb_GetString(field)));
        xb_Close();
        return values;
    }

    TempDir dir;

private:
    int oldDateFormat_ = 0;
    int oldDeleted_ = 0;
};

using Values = std::vector<std::string>;

TEST(IndexCatalogTest, CoversEveryCompanyTable) {
    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        EXPECT_NE(Schemas::findTable(table.FileName), nullptr) << table.FileName;
        EXPECT_FALSE(table.Tags.empty()) << table.FileName;
    }
    for (const TTableSchema& schema : Schemas::CompanyTables())
        EXPECT_NE(IndexCatalog::findTable(schema.FileName), nullptr) << schema.FileName;
}

TEST(IndexCatalogTest, ProgressMarksRiseTableByTable) {
    int last = 0;
    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        SCOPED_TRACE(table.Label);
        if (table.FirstTagMark) {
            EXPECT_GT(table.FirstTagMark, last);
            EXPECT_LT(table.FirstTagMark, table.Mark);
        }
        EXPECT_GT(table.Mark, last);
        last = table.Mark;
    }
    EXPECT_LT(last, 100);
}

TEST(IndexCatalogTest, TagsAreFoundByNameInAnyCase) {
    for (const char* name : {"RECNAME", "RecName", "recname"})
        EXPECT_NE(IndexCatalog::FindTag("PATIENT.DBF", name), nullptr) << name;
    EXPECT_EQ(IndexCatalog::FindTag("Patient.dbf", "NoSuchTag"), nullptr);
    EXPECT_EQ(IndexCatalog::findTable("temp1.dbf"), nullptr);
}

TEST(IndexCatalogTest, EveryTagBuildsOnAFreshCompany) {
    TestCompany company;
    for (const TIndexedTable& table : IndexCatalog::Tables()) {
        std::string path = company.File(table.FileName);
        ASSERT_NE(xb_Use(path.c_str(), "CHECKED", XB_READONLY, XB_DRIVER_NSX), 0) << table.FileName;
        EXPECT_EQ(static_cast<size_t>(xb_SysProp(XB_SP_TAG_COUNT, 0)), table.Tags.size()) << table.FileName;
        for (const TIndexTagDef& tag : table.Tags) {
            SCOPED_TRACE(std::string(table.FileName) + " " + tag.TagName);
            int order = xb_TagArea(tag.TagName);
            ASSERT_NE(order, 0);
            xb_SetOrder(order);
            EXPECT_EQ(strcasecmp(xb_IndexKey(), tag.Expression), 0) << xb_IndexKey();
            EXPECT_EQ(strcasecmp(xb_IndexCondition(), tag.Condition), 0) << xb_IndexCondition();
            int expectedType = 1 + (tag.Unique ? 1 : 0) + (*tag.Condition ? 2 : 0);
            EXPECT_EQ(xb_IndexType(), expectedType);
        }
        xb_Close();
    }
}

TEST_F(TagTest, UniqueCategoryListsEachCategoryOnce) {
    MakeIndexed("Item.dbf", {{{"ID", "F1"}, {"CATEGORY", "Frames"}},
                             {{"ID", "L1"}, {"CATEGORY", "Lenses"}},
                             {{"ID", "F2"}, {"CATEGORY", "Frames"}},
                             {{"ID", "C1"}, {"CATEGORY", "Cases"}},
                             {{"ID", "L2"}, {"CATEGORY", "Lenses"}}});
    EXPECT_EQ(InTagOrder("Item.dbf", "UCategory", "CATEGORY"), (Values{"Cases", "Frames", "Lenses"}));
    EXPECT_EQ(InTagOrder("Item.dbf", "Category", "ID"), (Values{"C1", "F1", "F2", "L1", "L2"}));
}

TEST_F(TagTest, ReorderHoldsControlledItemsAtOrUnderTheirPoint) {
    auto item = [](const char* id, const char* vendor, const char* controlled, const char* onHand,
                   const char* reorderAt) {
        return Row{{"ID", id}, {"VENDOR", vendor}, {"CTRLITEM", controlled}, {"QTYONHAND", onHand},
                   {"REORDERPT", reorderAt}};
    };
    MakeIndexed("Item.dbf", {item("under", "Zeiss", "T", "2", "5"), item("at", "acme", "T", "5", "5"),
                             item("over", "Acme", "T", "6", "5"), item("free", "Acme", "F", "0", "5"),
                             item("negative", "Bolle", "T", "-3", "0")});
    // Vendors compare without regard to case.
    EXPECT_EQ(InTagOrder("Item.dbf", "Reorder", "ID"), (Values{"at", "negative", "under"}));
    EXPECT_EQ(InTagOrder("Item.dbf", "CtrlItem", "ID"), (Values{"at", "over", "negative", "under"}));
}

TEST_F(TagTest, NotSubmitHoldsClaimsNeitherPrintedNorBilled) {
    MakeIndexed("Ins.dbf", {{{"ID", "3"}},
                            {{"ID", "1"}, {"PRINTED", "20240105"}},
                            {{"ID", "2"}, {"EBILLED", "20240106"}},
                            {{"ID", "4"}, {"PRINTED", "20240105"}, {"EBILLED", "20240106"}},
                            {{"ID", "12"}}});
    EXPECT_EQ(InTagOrder("Ins.dbf", "NotSubmit", "ID"), (Values{"3", "12"}));
}

TEST_F(TagTest, DateDueListsOpenReceiptsLatestFirst) {
    MakeIndexed("Sales.dbf",
                {{{"RECEIPT", "1"}, {"DATE", "20231211"}, {"DUEDATE", "20240110"}, {"BALANCE", "10.00"}},
                 {{"RECEIPT", "2"}, {"DATE", "20231201"}, {"DUEDATE", "20240301"}, {"BALANCE", "0.00"}},
                 {{"RECEIPT", "3"}, {"DATE", "20240121"}, {"DUEDATE", "20240220"}, {"BALANCE", "-5.00"}},
                 {{"RECEIPT", "4"}, {"DATE", "20231201"}, {"DUEDATE", "20231231"}, {"BALANCE", "0.01"}}});
    EXPECT_EQ(InTagOrder("Sales.dbf", "DateDue", "RECEIPT"), (Values{"3", "1", "4"}));
    EXPECT_EQ(InTagOrder("Sales.dbf", "OpenBalance", "RECEIPT"), (Values{"4", "1", "3"}));
}

TEST_F(TagTest, ScheduleSortsNoonHourBeforeOneAndAfterMorning) {
    const std::vector<Row> rows = {
        {{"DATE", "20240105"}, {"TIME", "01:00P"}, {"RESOURCE", "Dr B"}},
        {{"DATE", "20240105"}, {"TIME", "12:30P"}, {"RESOURCE", "Dr A"}},
        {{"DATE", "20240105"}, {"TIME", "11:00A"}, {"RESOURCE", "Dr B"}},
        {{"DATE", "20240104"}, {"TIME", "04:00P"}, {"RESOURCE", "Dr B"}},
        {{"DATE", "20240105"}, {"TIME", "09:15A"}, {"RESOURCE", "Dr A"}},
        {{"DATE", "20240105"}, {"TIME", "12:00P"}, {"RESOURCE", "Dr B"}},
    };
    MakeIndexed("Schedule.dbf", rows);
    EXPECT_EQ(InTagOrder("Schedule.dbf", "Date", "TIME"),
              (Values{"04:00P", "09:15A", "11:00A", "12:00P", "12:30P", "01:00P"}));
    EXPECT_EQ(InTagOrder("Schedule.dbf", "Resource", "TIME"),
              (Values{"04:00P", "09:15A", "12:30P", "11:00A", "12:00P", "01:00P"}));
}

TEST_F(TagTest, BirthdayGroupsByMonthAndDayWhateverTheYear) {
    MakeIndexed("Patient.dbf", {{{"RECNAME", "Dec"}, {"BIRTHDATE", "20011231"}},
                                {{"RECNAME", "MarchLate"}, {"BIRTHDATE", "19700315"}},
                                {{"RECNAME", "Jan"}, {"BIRTHDATE", "19850120"}},
                                {{"RECNAME", "MarchEarly"}, {"BIRTHDATE", "19990302"}}});
    EXPECT_EQ(InTagOrder("Patient.dbf", "Birthday", "RECNAME"), (Values{"Jan", "MarchEarly", "MarchLate", "Dec"}));

    // A month's birthdays are one scope of the tag.
    ASSERT_NE(xb_Use(dir.file("Patient.dbf").c_str(), "BIRTHDAYS", XB_SHARED, XB_DRIVER_NSX), 0);
    xb_SetOrder(xb_TagArea("Birthday"));
    ASSERT_NE(xb_SetScope("03", "03"), 0);
    Values march;
    for (xb_GoTop(); !xb_Eof(); xb_Skip(1))
        march.push_back(xb_GetTrimString("RECNAME"));
    EXPECT_EQ(march, (Values{"MarchEarly", "MarchLate"}));
    xb_Close();
}

TEST_F(TagTest, OpenBalancePatientsByNameWithoutRegardToCase) {
    MakeIndexed("Patient.dbf", {{{"RECNAME", "smith, ann"}, {"BALANCE", "12.50"}},
                                {{"RECNAME", "Jones, Bob"}, {"BALANCE", "0.00"}},
                                {{"RECNAME", "ADAMS, CY"}, {"BALANCE", "-1.00"}}});
    EXPECT_EQ(InTagOrder("Patient.dbf", "OpenBalance", "RECNAME"), (Values{"ADAMS, CY", "smith, ann"}));
    EXPECT_EQ(InTagOrder("Patient.dbf", "recname", "RECNAME"), (Values{"ADAMS, CY", "Jones, Bob", "smith, ann"}));
}

TEST_F(TagTest, DepositedHoldsPaymentsNotYetDeposited) {
    MakeIndexed("Pymt.dbf", {{{"ID", "1"}, {"DATE", "20240102"}, {"DEPOSITED", "T"}},
                             {{"ID", "2"}, {"DATE", "20240103"}, {"DEPOSITED", "F"}},
                             {{"ID", "3"}, {"DATE", "20240101"}}});
    EXPECT_EQ(InTagOrder("Pymt.dbf", "Deposited", "ID"), (Values{"3", "2"}));
}

}  // namespace
