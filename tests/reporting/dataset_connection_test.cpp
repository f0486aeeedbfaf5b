// A dataset report connection over the payments table of a company: the
// columns and rows it serves, local filtering, and the table put back as
// the application had it.
#include <gtest/gtest.h>

#include <cstring>

#include "LinkClient.h"
#include "data/DbTables.h"
#include "reporting/project/Extended80.h"
#include "reporting/project/RSConDS.h"
#include "support/CompanyFixture.h"
#include "xbase/EngineGlue.h"

namespace {

class DatasetConnectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        registerEngineGlue();
        CompanyFixture::AppendRows(company.DataDirectory(), "Pymt.dbf",
                                   {{{"ID", "1"}, {"DATE", "20260105"}, {"NAME", "Ann Lee"}, {"PAIDWITH", "CASH"},
                                     {"AMOUNT", "25.50"}, {"TAG", "T"}},
                                    {{"ID", "2"}, {"DATE", "20260106"}, {"NAME", "Bo Chan"}, {"AMOUNT", "10.00"}},
                                    {{"ID", "3"}, {"DATE", "20260107"}, {"NAME", "Cy Dow"}, {"PAIDWITH", "CHECK"},
                                     {"AMOUNT", "7.25"}, {"POSTREF", "D-4"}}});
        payments.SetDatabaseName(company.DataDirectory());
        payments.SetTableName("Pymt.dbf");
        payments.SetTableType(ttSXNSX);
        connection.SetName("PaymentRSDataset");
        connection.SetDataSet(&payments);
    }

    int column(const std::vector<LinkColumn>& columns, const std::string& name) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (columns[i].Tags.at("N") == name) return static_cast<int>(i);
        return -1;
    }

    TestCompany company;
    TTable payments{nullptr};
    TRSDataSetConnection connection{nullptr};
    LinkClient client{&connection};
};

double doubleOf(const std::string& raw) {
    double v;
    std::memcpy(&v, raw.data(), 8);
    return v;
}

double extendedOf(const std::string& raw) {
    TExtended80 bytes;
    std::memcpy(bytes.data(), raw.data(), 10);
    return decodeExtended(bytes);
}

TEST_F(DatasetConnectionTest, ServesTheTablesColumnsAndRows) {
    connection.FieldAliasList()->Add("Amount=");
    client.send(kReqOpen);
    EXPECT_TRUE(payments.Active());
    auto columns = client.columns();
    ASSERT_EQ(columns.size(), 12u);  // 13 fields, AMOUNT hidden
    EXPECT_EQ(column(columns, "AMOUNT"), -1);
    struct Expected {
        const char* name;
        const char* type;  // "" for dtString
    };
    for (Expected e : {Expected{"ID", "dtFloat"}, {"DATE", "dtDate"}, {"NAME", ""}, {"TAG", "dtBoolean"},
                       {"DEPOSITDAT", "dtDate"}, {"POSTREF", ""}}) {
        int at = column(columns, e.name);
        ASSERT_GE(at, 0) << e.name;
        auto tags = columns[static_cast<std::size_t>(at)].Tags;
        EXPECT_EQ(tags.count("T") ? tags["T"] : "", e.type) << e.name;
    }
    EXPECT_EQ(columns[static_cast<std::size_t>(column(columns, "NAME"))].Tags.at("W"), "30");

    LinkRow first = client.row(kReqFirst);
    ASSERT_FALSE(first.End);
    auto value = [&](const LinkRow& row, const char* name) { return row.Values[static_cast<std::size_t>(column(columns, name))]; };
    EXPECT_EQ(extendedOf(value(first, "ID").Raw), 1.0);
    EXPECT_EQ(doubleOf(value(first, "DATE").Raw), EncodeDate(2026, 1, 5));
    EXPECT_EQ(CountedString(value(first, "NAME").Raw), "Ann Lee");
    EXPECT_EQ(value(first, "TAG").Raw[0], 1);
    EXPECT_TRUE(value(first, "DEPOSITDAT").Null);
    int rows = 1;
    while (!client.row(kReqNext).End) ++rows;
    EXPECT_EQ(rows, 3);

    client.send(kReqRestore);
    EXPECT_FALSE(payments.Active());  // closed before the report, closed after
}

TEST_F(DatasetConnectionTest, FiltersLocallyAndPutsTheTableBack) {
    payments.SetFilter("AMOUNT > 1");
    payments.SetFiltered(true);
    payments.Open();
    payments.Next();
    ASSERT_EQ(payments.FieldByName("ID")->AsInteger(), 2);
    client.send(kReqOpen);
    EXPECT_TRUE(payments.ControlsDisabled());
    auto columns = client.columns();
    client.filter({{"PAIDWITH", "=", "CHECK", dtString, ""}});
    LinkRow row = client.row(kReqFirst);
    ASSERT_FALSE(row.End);
    EXPECT_EQ(CountedString(row.Values[static_cast<std::size_t>(column(columns, "POSTREF"))].Raw), "D-4");
    EXPECT_TRUE(client.row(kReqNext).End);

    client.send(kReqRestore);
    EXPECT_TRUE(payments.Active());
    EXPECT_FALSE(payments.ControlsDisabled());
    EXPECT_EQ(payments.FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(payments.Filter(), "AMOUNT > 1");
    EXPECT_TRUE(payments.Filtered());
    client.send(kReqRestore);  // without an Open: nothing changes
    EXPECT_EQ(payments.FieldByName("ID")->AsInteger(), 2);
}

TEST_F(DatasetConnectionTest, WithoutLocalFilteringAnEmptyFilterListUnfiltersTheTable) {
    connection.SetLocalFilter(false);
    client.send(kReqOpen);
    client.columns();
    payments.SetFilter("AMOUNT > 1");
    payments.SetFiltered(true);
    client.filter({});
    EXPECT_EQ(payments.Filter(), "");
    EXPECT_FALSE(payments.Filtered());
    EXPECT_TRUE(payments.FilterOptions().Contains(foNoPartialCompare));
    client.send(kReqRestore);
    EXPECT_TRUE(payments.FilterOptions().Empty());  // the application's own again
}

TEST_F(DatasetConnectionTest, AConnectionWithoutADataSetFailsAtItsFirstRequest) {
    TRSDataSetConnection bare(nullptr);
    LinkClient bareClient(&bare);
    EXPECT_THROW(bareClient.send(kReqOpen), EDazedeVedodev);
    {
        TTable gone(nullptr);
        bare.SetDataSet(&gone);
    }
    EXPECT_EQ(bare.DataSet(), nullptr);
}

}  // namespace
