// The Lab Rx button of the receipt window: which lines get an order, the
// prescription copied from the exam at the first opening, OK and Cancel of
// the order windows and what they do to the receipt's changed flag; the
// order windows' pictures and their printed pages.
#include <algorithm>
#include <fstream>
#include <map>
#include <regex>

#include "ReceiptFormFixture.h"
#include "app/Settings.h"
#include "sales/LabRxDlg.h"
#include "support/ReportPages.h"
#include "ui/DBCtrls.h"

namespace {

const char* const NotALensItem = "Not a lens item, try again.";

// The order fields the copy may touch, as the line holds them.
using TLineValues = std::map<std::string, std::string>;
const char* const WatchedFields[] = {"SPHERE_R", "SPHERE_L", "PRISM_R", "DIA_R", "CC_R", "CC_L",
                                     "NPD_L",    "DOCTOR",   "TYPE",    "TINT"};

}  // namespace

class LabRxTest : public ReceiptFormTest {
protected:
    void SetUp() override {
        ReceiptFormTest::SetUp();
        delete form;
        form = nullptr;
        withModuleClosed([&] {
            const std::string folder = company.DataDirectory();
            CompanyFixture::AppendRows(folder, "Item.dbf",
                                       {{{"ID", "SPEC1"}, {"DESC", "Single vision"}, {"SELL", "60.00"},
                                         {"TAXED", "T"}, {"CTRLITEM", "F"}, {"ITEMTYPE", "Spectacle Lens"}},
                                        {{"ID", "CL1"}, {"DESC", "Monthly soft"}, {"SELL", "30.00"},
                                         {"TAXED", "T"}, {"CTRLITEM", "F"}, {"ITEMTYPE", "Contact Lens"}}});
            // Exam 5 of patient 7 holds both prescriptions.
            CompanyFixture::AppendRows(
                folder, "Incident.dbf",
                {{{"ACCOUNT", "7"}, {"ID", "5"}, {"DOCTOR", "LEE"}, {"SR_SPHERE", "-2.00"}, {"SL_SPHERE", "-2.25"},
                  {"SR_PRISM", "1.5"}, {"CR_SPHERE", "-1.75"}, {"CL_SPHERE", "-2.00"}, {"CR_DIA", "14.0"},
                  {"CC_R", "43.25"}, {"CC_L", "43.50"}, {"DPD_TOT", "62"}, {"NPD_L", "29.5"}}});
            std::ofstream ini(folder + "/Company.ini", std::ios::app);
            ini << "[Receipt]\r\nReceiptName=Clear View Optical\r\nReceiptAddress1=12 Main St\r\n"
                   "ReceiptCity=Springfield\r\nReceiptState=IL\r\nReceiptZip=62701\r\nReceiptPhone=555-0100\r\n";
        });
        openForm();
    }

    // A new receipt for patient 7 on exam Exam with one line of Code.
    void receiptWithLine(const std::string& Code, int Exam = 5) {
        choosePatient("7");
        TTable* header = module->Temp1Table;
        header->Edit();
        header->FieldByName("Incident")->SetAsInteger(Exam);
        header->Post();
        fillLine(Code, "1");
    }
    TLineValues lineValues() {
        TLineValues values;
        for (const char* field : WatchedFields)
            values[field] = Trim(module->Temp2Table->FieldByName(field)->AsString());
        return values;
    }
    // Presses Lab Rx; Act runs on the order window while it is shown.
    void labRx(const std::function<void(TLabRxOrderDlg&)>& Act) {
        TDialogScript script;
        script.Answer([&](TForm& Form) { Act(dynamic_cast<TLabRxOrderDlg&>(Form)); });
        form->LabRxBitBtn->Click();
        EXPECT_EQ(script.Unanswered(), 0u);
    }
    // Presses Lab Rx and notes the line as the order window shows it; Cancel.
    TLineValues shownByOrder() {
        TLineValues shown;
        labRx([&](TLabRxOrderDlg& Order) {
            shown = lineValues();
            Order.CancelBitBtn->Click();
        });
        return shown;
    }
};

TEST_F(LabRxTest, FirstOpeningCopiesTheRouteRxFromTheExam) {
    struct Case {
        const char* Name;
        const char* Code;
        const char* PresetType;
        int Exam;
        TLineValues Expected;  // the fields that change; the rest stay empty
    };
    const Case cases[] = {
        {"spectacles", "SPEC1", "", 5,
         {{"SPHERE_R", "-2.00"}, {"SPHERE_L", "-2.25"}, {"PRISM_R", "1.5"}, {"NPD_L", "29.5"}, {"DOCTOR", "LEE"}}},
        {"contact lens", "CL1", "", 5,
         {{"SPHERE_R", "-1.75"}, {"SPHERE_L", "-2.00"}, {"DIA_R", "14.0"}, {"CC_R", "43.25"}, {"CC_L", "43.50"},
          {"NPD_L", "29.5"}, {"DOCTOR", "LEE"}}},
        {"order kind already set", "SPEC1", "S", 5, {{"TYPE", "S"}}},
        {"no such exam", "SPEC1", "", 9, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        form->CreateNewReceipt();
        receiptWithLine(c.Code, c.Exam);
        module->Temp2Table->FieldByName("TYPE")->SetAsString(c.PresetType);
        TLineValues expected;
        for (const char* field : WatchedFields)
            expected[field] = c.Expected.count(field) ? c.Expected.at(field) : "";
        // The PD is a number on the line: 29.5 whatever the exam's text.
        EXPECT_EQ(shownByOrder(), expected);
    }
}

TEST_F(LabRxTest, OkPostsTheOrderAndMarksTheReceiptChanged) {
    receiptWithLine("SPEC1");
    module->Temp2Table->Post();
    module->ReceiptChanged = false;
    labRx([&](TLabRxOrderDlg& Order) {
        module->Temp2Table->FieldByName("TINT")->SetAsString("Gray");
        Order.OkBitBtn->Click();
    });
    TLineValues line = lineValues();
    EXPECT_EQ(line["TYPE"], "S");
    EXPECT_EQ(line["TINT"], "Gray");
    EXPECT_EQ(line["SPHERE_R"], "-2.00");
    EXPECT_EQ(module->Temp2Table->State(), dsBrowse);
    EXPECT_TRUE(module->ReceiptChanged);

    // A second opening keeps the line's own values: nothing is copied over them.
    module->Temp2Table->Edit();
    module->Temp2Table->FieldByName("SPHERE_R")->SetAsString("+0.25");
    module->Temp2Table->Post();
    EXPECT_EQ(shownByOrder()["SPHERE_R"], "+0.25");
}

TEST_F(LabRxTest, CancelEscapeAndTheCloseBoxLeaveLineAndFlagAsBefore) {
    const std::pair<const char*, std::function<void(TLabRxOrderDlg&)>> ways[] = {
        {"Cancel", [](TLabRxOrderDlg& Order) { Order.CancelBitBtn->Click(); }},
        {"close box", [](TLabRxOrderDlg& Order) { Order.Close(); }},
    };
    for (const auto& [name, close] : ways) {
        SCOPED_TRACE(name);
        form->CreateNewReceipt();
        receiptWithLine("SPEC1");
        module->Temp2Table->Post();
        module->ReceiptChanged = false;
        const TLineValues before = lineValues();
        labRx([&](TLabRxOrderDlg& Order) {
            EXPECT_EQ(Trim(module->Temp2Table->FieldByName("SPHERE_R")->AsString()), "-2.00");
            module->Temp2Table->FieldByName("TINT")->SetAsString("Gray");
            close(Order);
        });
        EXPECT_EQ(lineValues(), before);
        EXPECT_FALSE(module->ReceiptChanged);
        // The next opening copies again.
        EXPECT_EQ(shownByOrder()["SPHERE_R"], "-2.00");
    }
}

TEST_F(LabRxTest, AnOrderConfirmedWithOkIsStoredWithTheReceipt) {
    receiptWithLine("SPEC1");
    labRx([&](TLabRxOrderDlg& Order) {
        module->Temp2Table->FieldByName("TINT")->SetAsString("Gray");
        Order.OkBitBtn->Click();
    });
    ASSERT_TRUE(form->SaveReceipt());
    const std::string number = form->Document().ReceiptNumber();
    form->NewBitBtnClick(form);
    ASSERT_TRUE(form->OpenReceipt(number));
    module->Temp2Table->First();
    TLineValues line = lineValues();
    EXPECT_EQ(line["TYPE"], "S");
    EXPECT_EQ(line["TINT"], "Gray");
    EXPECT_EQ(line["SPHERE_R"], "-2.00");
    EXPECT_EQ(line["NPD_L"], "29.5");
}

TEST_F(LabRxTest, TheCaptionNamesTheLineItsCodeAndDescription) {
    receiptWithLine("FRAME1");
    newLine();
    fillLine("EXAM", "1");
    newLine();
    fillLine("CL1", "1");
    std::string caption;
    labRx([&](TLabRxOrderDlg& Order) {
        caption = Order.Caption();
        Order.CancelBitBtn->Click();
    });
    EXPECT_EQ(caption, "Contact Lens Rx - Item:3    CL1 Monthly soft");
}

TEST_F(LabRxTest, LinesOfNoLensItemAreRefused) {
    for (const char* code : {"spec1", " SPEC1", "FRAME1", ""}) {
        SCOPED_TRACE(std::string("'") + code + "'");
        form->CreateNewReceipt();
        receiptWithLine("SPEC1");
        module->Temp2Table->FieldByName("Code")->SetAsString(code);
        module->ReceiptChanged = false;
        TDialogScript script;
        script.Answer(mrOk);
        form->LabRxBitBtn->Click();
        ASSERT_EQ(script.Shown().size(), 1u);
        EXPECT_EQ(script.Shown()[0].Text, NotALensItem);
        EXPECT_EQ(Trim(module->Temp2Table->FieldByName("SPHERE_R")->AsString()), "");
        EXPECT_FALSE(module->ReceiptChanged);
    }
}

TEST_F(LabRxTest, NotesAreCutAtFiveHundredCharacters) {
    receiptWithLine("SPEC1");
    labRx([&](TLabRxOrderDlg& Order) {
        Order.NotesDBMemo->SetText(std::string(600, 'n'));
        EXPECT_EQ(Order.NotesDBMemo->Text().size(), 500u);
        Order.CancelBitBtn->Click();
    });
}

TEST_F(LabRxTest, OrderWindowsPictures) {
    receiptWithLine("SPEC1");
    module->Temp2Table->Post();
    labRx([&](TLabRxOrderDlg& Order) {
        KeepPicture(renderControl(&Order), "lab_rx_spectacles");
        Order.CancelBitBtn->Click();
    });
    form->CreateNewReceipt();
    receiptWithLine("CL1");
    module->Temp2Table->Post();
    labRx([&](TLabRxOrderDlg& Order) {
        KeepPicture(renderControl(&Order), "lab_rx_contact_lens");
        Order.CancelBitBtn->Click();
    });
}

// ---------------------------------------------------------------- the printed orders

class LabRxPrintTest : public LabRxTest {
protected:
    // An order window over a filled line of Code, its options as given.
    template <class Dlg>
    std::unique_ptr<Dlg> orderOn(const std::string& Code, std::initializer_list<const char*> TrueOptions) {
        receiptWithLine(Code);
        TTable* line = module->Temp2Table;
        line->Post();
        line->Edit();
        line->FieldByName("SPHERE_R")->SetAsString("-2.00");
        line->FieldByName("CC_R")->SetAsString("43.25");
        line->FieldByName("CC_L")->SetAsString("43.50");
        line->FieldByName("TINT")->SetAsString("Gray");
        for (const char* option : TrueOptions)
            line->FieldByName(option)->SetAsBoolean(true);
        line->Post();
        auto order = std::make_unique<Dlg>(nullptr, *module);
        order->NotesDBMemo->SetText("Rush order");
        return order;
    }
    static void setShift(const std::string& Value) {
        Vo97Ini::File().Write(TTextKey{"LabRx", "PrntOffset", ""}, Value);
    }
    static int marks(const std::string& Text) {
        const std::regex x("(^|\\s)X(\\s|$)");
        return static_cast<int>(std::distance(std::sregex_iterator(Text.begin(), Text.end(), x), std::sregex_iterator()));
    }
};

TEST_F(LabRxPrintTest, SpectacleOrderPrintsTheRxAndOneMarkPerTrueOption) {
    setShift("0");
    auto order = orderOn<TLabRxSpectaclesDlg>("SPEC1", {"PROGRESSIV", "UV_PROTECT", "PGX"});
    const std::string pdf = ReportOutputFile("lab_rx_spectacles.pdf");
    PrintReportToPdf([&] { order->PrintBitBtn->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Spectacles Rx", "-2.00", "Gray", "Rush order", "Pat Seven", "Clear View Optical",
                                 "Springfield, IL 62701"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(marks(text), 3) << text;
}

TEST_F(LabRxPrintTest, ContactLensOrderShowsKReadingsAndEmptyTickBoxes) {
    setShift("0");
    auto order = orderOn<TLabRxContactLensDlg>("CL1", {});
    const std::string pdf = ReportOutputFile("lab_rx_contact_lens.pdf");
    PrintReportToPdf([&] { order->PrintBitBtn->Click(); }, pdf);
    const std::string text = PdfText(pdf);
    for (const char* expected : {"Contact Lens Rx", "K Reading", "43.25", "43.50"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
    EXPECT_EQ(text.find("Prism"), std::string::npos);
    EXPECT_EQ(marks(text), 0) << text;

    const ReportPages page = CaptureReport([&] { order->PrintBitBtn->Click(); });
    // Eight white tick boxes, 0.2 in square.
    const auto ticks = std::count_if(page.Rules.begin(), page.Rules.end(), [](const ReportRule& R) {
        return R.Rectangle && std::abs((R.X2 - R.X1) - 0.2) < 0.01 && std::abs((R.Y2 - R.Y1) - 0.2) < 0.01;
    });
    EXPECT_EQ(ticks, 8);
}

TEST_F(LabRxPrintTest, TheOffsetMovesEveryInkRightOfFiveAndAHalfInches) {
    auto order = orderOn<TLabRxSpectaclesDlg>("SPEC1", {"PGX"});
    for (const char* value : {"1", "0", "maybe", ""}) {
        SCOPED_TRACE(value);
        setShift(value);
        const bool shifted = std::string(value) == "1";
        const ReportPages page = CaptureReport([&] { order->PrintBitBtn->Click(); });
        ASSERT_FALSE(page.Items.empty());
        double left = 100;
        for (const ReportTextItem& item : page.Items)
            left = std::min(left, item.Left);
        for (const ReportRule& rule : page.Rules)
            left = std::min({left, rule.X1, rule.X2});
        if (shifted)
            EXPECT_GE(left, 5.5);
        else
            EXPECT_LT(left, 1.0);
        // The stub's name (22 pt, at 7.95 in) sits 1.25 in right of the shift.
        const ReportTextItem* stubName = nullptr;
        for (const ReportTextItem& item : page.Items)
            if (item.Text == "Pat Seven" && item.Baseline > 7.6) stubName = &item;
        ASSERT_NE(stubName, nullptr);
        EXPECT_NEAR(stubName->Left, (shifted ? 5.5 : 0.0) + 1.25, 0.01);
    }
}
