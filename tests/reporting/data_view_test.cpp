// Data views of a report project over in-process connections: typed field
// texts, the datatype check, missing and duplicate connections, look-ahead
// without second requests, master-detail links, lookups and expressions.
#include <gtest/gtest.h>

#include <vector>

#include "base/Streams.h"
#include "base/SysUtils.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DZProj.h"
#include "reporting/project/DuzuDataSystem.h"
#include "reporting/project/RSCon.h"
#include "ui/DialogResponder.h"
#include "ui/Dialogs.h"

namespace {

struct Payment {
    int ID;
    double Amount;  // whole cents in tests
    std::string Name;
};

// Rows of ID (integer), AMOUNT (currency, shown with a "$") and NAME
// (string, null when empty), filtered locally by the link.
class PaymentsConnection {
public:
    PaymentsConnection(const char* name, std::vector<Payment> rows) : connection(nullptr), rows_(std::move(rows)) {
        connection.SetName(name);
        connection.OnOpen = [this](TRSCustomConnection*) { row_ = 0; };
        connection.OnFirst = [this](TRSCustomConnection*) { row_ = 0; };
        connection.OnNext = [this](TRSCustomConnection*) { ++row_; };
        connection.OnEOF = [this](TRSCustomConnection*, bool& eof) { eof = row_ >= rows_.size(); };
        connection.OnGetCols = [](TRSCustomConnection* c) {
            c->WriteField("ID", dtInteger, 10, "", "");
            c->WriteField("AMOUNT", dtCurrency, 12, "", "");
            c->WriteField("NAME", dtString, 30, "", "");
        };
        connection.OnGetRow = [this](TRSCustomConnection* c) {
            const Payment& p = rows_[row_];
            c->WriteIntData("", p.ID);
            c->WriteCurrData("$" + FormatFloat("0.00", p.Amount), Currency(p.Amount));
            if (p.Name.empty())
                c->WriteNullData();
            else
                c->WriteStrData(p.Name, p.Name);
        };
    }
    TRSCustomConnection connection;

private:
    std::vector<Payment> rows_;
    std::size_t row_ = 0;
};

// A project with one view "PaymentView" on a connection, its three fields
// declared, made the current project.
class DataViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        DuzuRegisterDataClasses();
        savedProject_ = ProjectManager;
        ProjectManager = &project;
        view = addView("PaymentView", "Payments");
        id = addField<TDuzuIntegerField>(view, "ID");
        amount = addField<TDuzuCurrencyField>(view, "AMOUNT");
        name = addField<TDuzuStringField>(view, "NAME");
        name->SetNullText("(none)");
    }
    void TearDown() override { ProjectManager = savedProject_; }

    TDuzuDataView* addView(const char* viewName, const char* connectionName) {
        auto* v = new TDuzuDataView(&project);
        v->SetName(viewName);
        v->SetConnectionName(connectionName);
        project.AddDataObject(v);
        return v;
    }
    template <class F>
    F* addField(TDuzuDataView* v, const char* fieldName) {
        auto* f = new F(&project);
        f->SetName(v->Name() + fieldName);
        f->SetFieldName(fieldName);
        f->SetParent(v);
        return f;
    }
    // The request kinds the data system sends while Body runs.
    std::vector<int> requestsDuring(const std::function<void()>& Body) {
        std::vector<int> kinds;
        DuzuDataSystem().OnNotify = [&](int Code, TRSCustomConnection*) {
            if (Code == kNotifyBeforeRequest) kinds.push_back(DuzuLinkBuffer().Int32At(kLinkHeaderSize));
            return false;
        };
        Body();
        DuzuDataSystem().OnNotify = nullptr;
        return kinds;
    }

    TDuzuProjectManager project{nullptr};
    TDuzuDataView* view = nullptr;
    TDuzuIntegerField* id = nullptr;
    TDuzuCurrencyField* amount = nullptr;
    TDuzuStringField* name = nullptr;

private:
    TDuzuProjectManager* savedProject_ = nullptr;
};

TEST_F(DataViewTest, FieldsGiveTheirTextsRowByRow) {
    PaymentsConnection payments("Payments", {{7, 12.5, "Ann"}, {8, 3, ""}});
    amount->SetDisplayFormat("$#,###,###.00");
    view->First();
    EXPECT_EQ(view->ColumnNames(), (std::vector<std::string>{"ID", "AMOUNT", "NAME"}));
    EXPECT_EQ(id->AsString(), "7");
    EXPECT_EQ(id->AsInteger(), 7);
    EXPECT_EQ(amount->AsString(), "$12.50");
    EXPECT_DOUBLE_EQ(amount->AsFloat(), 12.5);
    EXPECT_EQ(name->AsString(), "Ann");
    view->Next();
    EXPECT_EQ(name->AsString(), "(none)");
    EXPECT_TRUE(name->IsNull());
    amount->SetDisplayFormat("");
    EXPECT_EQ(amount->AsString(), "$3.00");  // the connection's display text
    view->Next();
    EXPECT_TRUE(view->Eof());
    EXPECT_EQ(name->AsString(), "(none)");
}

TEST_F(DataViewTest, AViewWithoutRowsReadsNullTexts) {
    PaymentsConnection payments("Payments", {});
    id->SetNullText("-");
    view->First();
    EXPECT_TRUE(view->Eof());
    EXPECT_EQ(id->AsString(), "-");
    EXPECT_EQ(name->AsString(), "(none)");
}

TEST_F(DataViewTest, AFieldOfAnotherTypeThanItsColumnStopsWithTheDatatypeMessage) {
    PaymentsConnection payments("Payments", {{1, 1, "A"}});
    auto* wrong = addField<TDuzuIntegerField>(view, "NAME2");
    wrong->SetFieldName("NAME");
    name->SetFieldName("OTHER");
    try {
        view->First();
        FAIL() << "no error";
    } catch (const EDuzuException& e) {
        EXPECT_EQ(e.Message(), "Field PaymentView:NAME.  Datatype expected: dtInteger  Datatype found: dtString");
    }
}

TEST_F(DataViewTest, AMissingOrDuplicateConnectionShowsItsMessageAndEndsTheReportSilently) {
    struct Case {
        int Listed;  // connections of that name listed to end users
        std::string Message;
    } cases[] = {
        {0, "Error!  Could not open data connection \"Payments\".  Aborting report."},
        {2, "Error!  Duplicate data connections found with name \"Payments\".  Aborting report."},
    };
    for (const Case& c : cases) {
        std::vector<std::unique_ptr<PaymentsConnection>> connections;
        for (int i = 0; i < c.Listed; ++i) {
            connections.push_back(std::make_unique<PaymentsConnection>("Payments", std::vector<Payment>{}));
            connections.back()->connection.SetRuntimeVisibility(rtEndUser);
        }
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_THROW(view->First(), EAbort);
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, c.Message);
        EXPECT_FALSE(view->IsActive());
    }
}

TEST_F(DataViewTest, RowsReadAheadAreReplayedNotRequestedAgain) {
    PaymentsConnection payments("Payments", {{1, 1, "A"}, {2, 2, "B"}, {3, 3, "C"}});
    view->First();
    std::vector<int> kinds = requestsDuring([&] {
        EXPECT_FALSE(view->Peek());
        EXPECT_EQ(id->AsInteger(), 1);
        view->Next();
        EXPECT_EQ(id->AsInteger(), 2);
    });
    EXPECT_EQ(kinds, std::vector<int>{kReqNext});

    kinds = requestsDuring([&] {
        EXPECT_TRUE(view->Skip(1));
        EXPECT_FALSE(view->Skip(2));  // the third row is the last
        EXPECT_EQ(id->AsInteger(), 2);
        view->Next();
        EXPECT_EQ(id->AsInteger(), 3);
        EXPECT_TRUE(view->Peek());
        view->Next();
        EXPECT_TRUE(view->Eof());
    });
    EXPECT_EQ(kinds, (std::vector<int>{kReqNext, kReqNext}));

    view->SaveState();
    EXPECT_THROW(view->SaveState(), EDuzuException);
    view->RestoreState();
    try {
        view->RestoreState();
        FAIL() << "no error";
    } catch (const EDuzuException& e) {
        EXPECT_EQ(e.Message(), "DataView.RestoreState called when not saving.");
    }
}

TEST_F(DataViewTest, ALookAheadInsideAnotherReturnsToItsOwnPlace) {
    PaymentsConnection payments("Payments", {{1, 1, "A"}, {2, 2, "B"}, {3, 3, "C"}});
    view->First();
    std::vector<int> kinds = requestsDuring([&] {
        TDuzuDataView::TLookAheadMark outer = view->BeginLookAhead();
        view->Next();
        EXPECT_FALSE(view->Peek());  // inside: C follows B
        EXPECT_TRUE(view->Skip(1));
        EXPECT_EQ(id->AsInteger(), 2);
        TDuzuDataView::TLookAheadMark inner = view->BeginLookAhead();
        view->Next();
        view->Next();
        EXPECT_TRUE(view->Eof());
        view->EndLookAhead(inner);
        EXPECT_FALSE(view->Eof());
        EXPECT_EQ(id->AsInteger(), 2);
        view->EndLookAhead(outer);
        EXPECT_EQ(id->AsInteger(), 1);
        for (int expected : {2, 3}) {
            view->Next();
            EXPECT_EQ(id->AsInteger(), expected);
        }
        view->Next();
        EXPECT_TRUE(view->Eof());
    });
    // B, C and the end were each asked for once.
    EXPECT_EQ(kinds, (std::vector<int>{kReqNext, kReqNext, kReqNext}));
}

TEST_F(DataViewTest, ADetailFollowsItsMastersKeyAndLookupsFindOneRow) {
    PaymentsConnection payments("Payments", {{1, 10, "Ann"}, {2, 20, "Bob"}});
    PaymentsConnection lines("Lines", {{1, 4, "a"}, {2, 5, "b"}, {1, 6, "c"}});
    TDuzuDataView* detail = addView("LineView", "Lines");
    auto* lineName = addField<TDuzuStringField>(detail, "NAME");
    addField<TDuzuIntegerField>(detail, "ID");
    view->First();
    view->Next();
    detail->LinkTo(view, "NAME", "LineView.ID", "ID");
    std::vector<std::string> names;
    for (; !detail->Eof(); detail->Next()) names.push_back(lineName->AsString());
    EXPECT_EQ(names, std::vector<std::string>{"b"});

    EXPECT_EQ(view->LookupText("ID", "1", "NAME", "?"), "Ann");
    EXPECT_EQ(view->LookupText("ID", "9", "NAME", "?"), "?");
    view->First();  // the lookup's filter is gone again
    EXPECT_EQ(id->AsInteger(), 1);
    view->Next();
    EXPECT_EQ(id->AsInteger(), 2);
}

TEST_F(DataViewTest, ExpressionsJoinFieldsLiteralsAndParameters) {
    PaymentsConnection payments("Payments", {{7, 12.5, "Ann"}});
    project.SetParamValue("BegDate", "01/02/2024");
    project.SetParamValue("EndDate", "01/31/2024");
    project.SetParamValue("Blank", "");
    view->First();
    struct Case {
        const char* Expression;
        const char* Text;
    } cases[] = {
        {"Param.BegDate & 'to' & PARAM.EndDate", "01/02/2024 to 01/31/2024"},
        {"Param.BegDate + ' thru ' + Param.EndDate", "01/02/2024 thru 01/31/2024"},
        {"Param.BegDate & Param.Blank & 'x'", "01/02/2024 x"},
        {"PaymentView.NAME + ', ' + ID", "Ann, 7"},
        {"\"Page: \" + paymentview.id", "Page: 7"},
        {"Report.NoSuchVariable", "(invalid)"},
        {"Param.NoSuchParam", "(invalid)"},
        {"NoView.ID", "(invalid)"},
        {"PaymentView.NoField", "(invalid)"},
        {"NoField", "(invalid)"},
        {"PIVAR.Nothing", "(invalid)"},
    };
    for (const Case& c : cases) EXPECT_EQ(dataTextExpression(c.Expression, view), c.Text) << c.Expression;
}

TEST_F(DataViewTest, AViewWithItsFieldsReadsBackFromTheProjectStream) {
    amount->SetDisplayFormat("$#,##0.00");
    TMemoryStream bytes;
    project.SaveToStream(&bytes);
    TDuzuProjectManager copy(nullptr);
    bytes.SetPosition(0);
    copy.LoadFromStream(&bytes);
    ASSERT_EQ(copy.DataObjectList().size(), 1u);
    auto* read = dynamic_cast<TDuzuDataView*>(copy.DataObjectList()[0]);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->ConnectionName(), "Payments");
    ASSERT_EQ(read->GetChildCount(), 3);
    auto* readAmount = dynamic_cast<TDuzuCurrencyField*>(read->GetChild(1));
    ASSERT_NE(readAmount, nullptr);
    EXPECT_EQ(readAmount->FieldName(), "AMOUNT");
    EXPECT_EQ(readAmount->DisplayFormat(), "$#,##0.00");
    EXPECT_EQ(dynamic_cast<TDuzuStringField*>(read->GetChild(2))->NullText(), "(none)");
}

}  // namespace
