// The report data link inside the process: column lists with aliases, rows
// with offsets, display texts and nulls, local filtering, the type checks,
// oversized replies and failing handlers.
#include <gtest/gtest.h>

#include "LinkClient.h"
#include "reporting/project/DesignerUtils.h"

namespace {

// Three rows of ID, Amount and Name, served from handlers.
class PaymentsConnection {
public:
    explicit PaymentsConnection(const char* name = "Payments") : connection(nullptr) {
        connection.SetName(name);
        connection.OnOpen = [this](TRSCustomConnection*) { row = 0; };
        connection.OnFirst = [this](TRSCustomConnection*) { row = 0; };
        connection.OnNext = [this](TRSCustomConnection*) { ++row; };
        connection.OnEOF = [this](TRSCustomConnection*, bool& eof) { eof = row >= 3; };
        connection.OnGetCols = [](TRSCustomConnection* c) {
            c->WriteField("ID", dtInteger, 10, "", "");
            c->WriteField("Amount", dtCurrency, 12, "Amount paid", "");
            c->WriteField("Name", dtString, 30, "", "the patient");
        };
        connection.OnGetRow = [this](TRSCustomConnection* c) {
            c->WriteIntData("", row + 1);
            c->WriteCurrData("$" + std::to_string(10 * (row + 1)) + ".00", Currency(10 * (row + 1)));
            if (row == 1)
                c->WriteNullData();
            else
                c->WriteStrData("Name " + std::to_string(row), "Name " + std::to_string(row));
        };
    }
    TRSCustomConnection connection;
    int row = 0;
};

TEST(DataLink, AConnectionWithoutHandlersServesOnePlaceholderRow) {
    TRSCustomConnection connection(nullptr);
    connection.SetName("RSCustomConnection1");
    connection.FieldAliasList()->Add("paymenttable.id");  // no "=": changes nothing
    LinkClient client(&connection);
    client.send(kReqOpen);
    EXPECT_EQ(DuzuLinkBuffer().Int32At(0), 0);  // a reply without data
    auto columns = client.columns();
    ASSERT_EQ(columns.size(), 1u);
    EXPECT_EQ(columns[0].Tags, (std::map<std::string, std::string>{{"N", "FieldName"}, {"W", "30"}, {"L", "FieldName"}}));
    LinkRow first = client.row(kReqFirst);
    ASSERT_FALSE(first.End);
    EXPECT_EQ(CountedString(first.Values[0].Raw), "[Inactive at design-time]");
    EXPECT_TRUE(client.row(kReqNext).End);
    EXPECT_TRUE(client.eof());
}

TEST(DataLink, AliasesRenameOrHideColumns) {
    PaymentsConnection payments;
    payments.connection.FieldAliasList()->Add(" amount = ");
    payments.connection.FieldAliasList()->Add("Name=Patient");
    LinkClient client(&payments.connection);
    client.send(kReqOpen);
    auto columns = client.columns();
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].Tags, (std::map<std::string, std::string>{{"N", "ID"}, {"T", "dtInteger"}, {"W", "10"}}));
    EXPECT_EQ(columns[1].Tags,
              (std::map<std::string, std::string>{{"N", "Patient"}, {"W", "30"}, {"D", "the patient"}}));
    LinkRow first = client.row(kReqFirst);
    ASSERT_EQ(first.Values.size(), 2u);  // the hidden column has no slot
    EXPECT_EQ(Int32Of(first.Values[0].Raw), 1);
    EXPECT_EQ(CountedString(first.Values[1].Raw), "Name 0");
    EXPECT_FALSE(first.Values[1].Display);  // the same as the value: not stored
    LinkRow second = client.row(kReqNext);
    EXPECT_TRUE(second.Values[1].Null);
}

TEST(DataLink, DisplayTextsAndValuesOfEachType) {
    PaymentsConnection payments;
    LinkClient client(&payments.connection);
    client.send(kReqOpen);
    client.columns();
    LinkRow first = client.row(kReqFirst);
    ASSERT_EQ(first.Values.size(), 3u);
    EXPECT_EQ(first.Values[1].Display, "$10.00");
    EXPECT_EQ(first.Values[1].Raw.substr(0, 8), std::string("\xA0\x86\x01\x00\x00\x00\x00\x00", 8));  // 10 x 10,000
    EXPECT_FALSE(first.Values[0].Display);
}

TEST(DataLink, ALocalFilterSkipsRowsBeforeValidation) {
    PaymentsConnection payments;
    int validated = 0;
    payments.connection.OnValidateRow = [&](TRSCustomConnection*, bool& valid) {
        ++validated;
        valid = true;
    };
    LinkClient client(&payments.connection);
    client.send(kReqOpen);
    client.columns();
    client.filter({{"ID", "=", "2", dtInteger, RawInt32(2)}});
    LinkRow row = client.row(kReqFirst);
    ASSERT_FALSE(row.End);
    EXPECT_EQ(Int32Of(row.Values[0].Raw), 2);
    EXPECT_EQ(validated, 1);  // rows 1 and 3 never reach the handler
    EXPECT_TRUE(client.row(kReqNext).End);

    auto count = [&] {
        int rows = 0;
        for (LinkRow r = client.row(kReqFirst); !r.End; r = client.row(kReqNext)) ++rows;
        return rows;
    };
    client.filter({{"Name", "=", "Name 0", dtString, ""}});
    EXPECT_EQ(count(), 1);  // the row with a null name does not pass either
    client.filter({});      // no filter: every row passes
    EXPECT_EQ(count(), 3);
}

TEST(DataLink, WritesAreCheckedAgainstTheColumns) {
    struct Case {
        std::function<void(TRSCustomConnection*)> write;
        const char* message;
    };
    const Case cases[] = {
        {[](TRSCustomConnection* c) { c->WriteStrData("", "x"); },
         "Attempt to write different data type than defined (Column 1/2)."},
        {[](TRSCustomConnection* c) { c->WriteIntData("", 1); c->WriteBoolData("", true); },
         "Attempt to write different data type than defined (Column 2/2)."},
        {[](TRSCustomConnection* c) { c->WriteIntData("", 1); c->WriteNullData(); c->WriteNullData(); },
         "Attempt to write more fields than defined."},
        {[](TRSCustomConnection* c) { c->WriteIntData("", 1); c->WriteBlobData("ab", 2); },
         "Attempt to write different data type than defined (Column 2/2)."},
    };
    for (const Case& k : cases) {
        TRSCustomConnection connection(nullptr);
        connection.OnGetCols = [](TRSCustomConnection* c) {
            c->WriteField("ID", dtInteger, 0, "", "");
            c->WriteField("When", dtDate, 0, "", "");
        };
        connection.OnGetRow = k.write;
        LinkClient client(&connection);
        client.send(kReqOpen);
        client.columns();
        try {
            client.row(kReqFirst);
            ADD_FAILURE() << k.message;
        } catch (const EDazedeVedodev& e) {  // the handler's error reaches the caller
            EXPECT_EQ(e.Message(), k.message);
        }
    }
}

TEST(DataLink, OversizedRepliesTakeTheAlternateBuffersInTurn) {
    TRSCustomConnection connection(nullptr);
    std::string big(70000, 'b');
    connection.OnGetCols = [](TRSCustomConnection* c) { c->WriteField("Memo", dtMemo, 0, "", ""); };
    connection.OnGetRow = [&](TRSCustomConnection* c) { c->WriteBlobData(big.data(), static_cast<int>(big.size())); };
    LinkClient client(&connection);
    client.send(kReqOpen);
    client.columns();
    LinkRow first = client.row(kReqFirst);
    int number = client.replyBuffer();
    ASSERT_TRUE(number == 1 || number == 2);
    EXPECT_EQ(CountedString(first.Values[0].Raw), big);
    EXPECT_EQ(DuzuLinkBuffer().Int32At(0), 13 + 8 + 4 + 70000);
    client.row(kReqGetRow);
    EXPECT_EQ(client.replyBuffer(), 3 - number);
    client.row(kReqGetRow);
    EXPECT_EQ(client.replyBuffer(), number);
    client.send(kReqOpen);
    EXPECT_EQ(client.replyBuffer(), 0);
}

TEST(DataLink, ConnectionsAreFoundByNameWithoutRegardToCase) {
    PaymentsConnection payments("PaymentRSDataset");
    EXPECT_EQ(DuzuDataSystem().OpenConnection("paymentrsdataset"), &payments.connection);
    EXPECT_EQ(DuzuDataSystem().OpenConnection("ItemRSDataSet"), nullptr);
    {
        PaymentsConnection gone("ItemRSDataSet");
        EXPECT_EQ(DuzuDataSystem().OpenConnection("ItemRSDataSet"), &gone.connection);
    }
    EXPECT_EQ(DuzuDataSystem().OpenConnection("ItemRSDataSet"), nullptr);
    DuzuDataSystem().BeginRequest(99);
    EXPECT_FALSE(DuzuDataSystem().ExecuteRequest(&payments.connection));
}

}  // namespace
