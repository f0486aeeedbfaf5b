// The full-text patient search over the fixture company's Patient.ia: the
// upper-cased text, matches by phone digits, deleted patients passed over,
// the end of the matches, the caption reset by typing, and bad search texts.
#include <stdexcept>

#include "PatientFormSupport.h"
#include "patients/AdvancedSearch.h"
#include "support/ChildProcess.h"
#include "ui/DBCtrls.h"
#include "ui/DialogResponder.h"
#include "ui/StdCtrls.h"

namespace {

class AdvancedSearchTest : public PatientFormTest {
protected:
    // Two Smiths join the fixture as records 4 and 5 with their keys in
    // Patient.ia; Anna (record 4) is deleted while her key stays, as a rebuild
    // keeps key n on record n. Then the company opens.
    void addSmiths() {
        const std::vector<CompanyFixture::Row> smiths{
            {{"ID", "4"}, {"RECNAME", "SMITH, ANNA"}, {"ADDR", "1 Main Street"}, {"PHONE1", "(555)111-2222"}},
            {{"ID", "5"}, {"RECNAME", "SMITH, JOHN"}, {"ADDR", "77 Birch Road"}, {"PHONE1", "(555)333-4444"},
             {"PHONE2", "(555)987-6543"}, {"SSN", "987-65-4321"}}};
        CompanyFixture::AppendRows(company.DataDirectory(), "Patient.dbf", smiths);
        CompanyFixture::DeleteRecords(company.DataDirectory(), "Patient.dbf", {4});
        TFts fts(nullptr);
        ASSERT_EQ(fts.Open(company.File("Patient.ia"), 20, 0), 0);
        for (const CompanyFixture::Row& patient : smiths) {
            // RecName, Addr, Phone1, Phone2 and SSN, each at its column's width.
            std::string key;
            for (auto [field, width] : {std::pair{"RECNAME", 30}, {"ADDR", 30}, {"PHONE1", 20}, {"PHONE2", 20},
                                        {"SSN", 11}}) {
                std::string value;
                for (const auto& [name, text] : patient)
                    if (name == field)
                        value = text;
                key += value + std::string(width - value.size(), ' ');
            }
            fts.Add(UpperCase(key));
        }
        fts.Close();
        open();
    }
    TAdvancedSearchForm* openSearch() {
        auto* form = CreateForm<TAdvancedSearchForm>(holder.get());
        form->Show();
        return form;
    }
    void search(TAdvancedSearchForm* Form, const std::string& Text) {
        Form->SearchStringEdit->SetText(Text);
        Form->SearchButton->Click();
    }
    // Every patient a search stops on, pressing Next until the button reads Search.
    std::vector<std::string> allMatches(TAdvancedSearchForm* Form, const std::string& Text) {
        std::vector<std::string> names;
        search(Form, Text);
        while (Form->SearchButton->Caption() == "Next" && names.size() < 20) {
            names.push_back(Form->RecNameDBEdit->Text());
            Form->SearchButton->Click();
        }
        return names;
    }
};

TEST_F(AdvancedSearchTest, FindsByAnyPartOfTheKeyUpperCased) {
    addSmiths();
    TAdvancedSearchForm* form = openSearch();
    EXPECT_EQ(form->Caption(), "Advanced Search");
    search(form, "smith");
    EXPECT_EQ(form->SearchButton->Caption(), "Next");
    EXPECT_EQ(form->RecNameDBEdit->Text(), "SMITH, JOHN");
    EXPECT_EQ(patientText("RECNAME"), "SMITH, JOHN");
    EXPECT_EQ(form->SSNDBEdit->Text(), "987-65-4321");
    picture(form, "advanced_search_match");

    const struct {
        const char* Text;
        std::vector<std::string> Names;
    } cases[] = {
        {"987-6543", {"SMITH, JOHN"}},        // the work phone's digits
        {"555-0101", {"DOE, JANE"}},          // the home phone
        {"raven", {"POE, EDGAR"}},            // the street
        {"(217)555-0", {"DOE, JANE", "ROE, RICHARD"}},  // two patients, in record order
        {"SMITH, ANNA", {}},                  // deleted: never shown
        {"nobody", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(allMatches(form, c.Text), c.Names) << c.Text;
    form->Close();
}

// The form takes the next match from the index while one is shown; what
// another workstation does to that patient meanwhile is seen all the same
// when Next moves on: renamed shows renamed, deleted is passed over.
TEST_F(AdvancedSearchTest, NextShowsTheFollowingMatchAsAnotherWorkstationLeftIt) {
    open();
    const std::vector<int> roe = fullTextMatches("ROE");
    ASSERT_EQ(roe.size(), 1u);
    const std::string path = company.File("Patient.dbf");
    const struct {
        bool Delete;
        std::vector<std::string> Names;
    } cases[] = {
        {false, {"DOE, JANE", "ROE, RICHARD-SMITH"}},
        {true, {"DOE, JANE"}},
    };
    TAdvancedSearchForm* form = openSearch();
    for (const auto& c : cases) {
        search(form, "(217)555-0");
        ASSERT_EQ(form->SearchButton->Caption(), "Next");
        std::vector<std::string> names{form->RecNameDBEdit->Text()};
        ChildProcess other([&](ChildProcess&) {
            if (xb_Use(path.c_str(), "OTHER", XB_SHARED, XB_DRIVER_NSX) == 0)
                throw std::runtime_error("cannot open the patients");
            xb_Go(roe[0]);
            const bool changed = c.Delete ? xb_Delete() != 0
                                          : xb_Replace("RECNAME", XB_REPLACE_TEXT, "ROE, RICHARD-SMITH") != 0;
            if (xb_RecNo() != roe[0] || !changed)
                throw std::runtime_error("cannot change the patient");
            xb_Commit();
            xb_Close();
        });
        ASSERT_EQ(other.Wait(), 0);
        form->SearchButton->Click();
        while (form->SearchButton->Caption() == "Next" && names.size() < 5) {
            names.push_back(form->RecNameDBEdit->Text());
            form->SearchButton->Click();
        }
        EXPECT_EQ(names, c.Names) << (c.Delete ? "deleted" : "renamed");
    }
    form->Close();
}

TEST_F(AdvancedSearchTest, AfterTheLastMatchTheTableIsAtTheTopAndTheTextSelected) {
    addSmiths();
    TAdvancedSearchForm* form = openSearch();
    search(form, "smith");
    ASSERT_EQ(form->SearchButton->Caption(), "Next");
    form->SearchButton->Click();
    EXPECT_EQ(form->SearchButton->Caption(), "Search");
    EXPECT_EQ(module->Xbase1->RecNo(), [&] {
        module->Xbase1->GoTop();
        return module->Xbase1->RecNo();
    }());
    EXPECT_EQ(form->SearchStringEdit->SelLength(), 5);
    form->Close();
}

TEST_F(AdvancedSearchTest, TypingAfterAMatchStartsANewSearch) {
    open();
    TAdvancedSearchForm* form = openSearch();
    search(form, "doe");
    ASSERT_EQ(form->SearchButton->Caption(), "Next");
    form->SearchStringEdit->SetText("roe");
    EXPECT_EQ(form->SearchButton->Caption(), "Search");
    form->SearchButton->Click();
    EXPECT_EQ(form->RecNameDBEdit->Text(), "ROE, RICHARD");
    form->Close();
    // The caller finds the patient table on the match.
    EXPECT_EQ(patientText("RECNAME"), "ROE, RICHARD");
}

TEST_F(AdvancedSearchTest, NothingOrPunctuationAloneSaysThereIsNothingToSearchFor) {
    open();
    TAdvancedSearchForm* form = openSearch();
    for (const char* text : {"", "   ", "'", "\"", "!?,.-"}) {
        TDialogScript script;
        script.Answer(mrOk);
        search(form, text);
        EXPECT_EQ(form->SearchButton->Caption(), "Search") << text;
        ASSERT_EQ(script.Shown().size(), 1u) << text;
        EXPECT_EQ(script.Shown()[0].Text, "Nothing to search for") << text;
    }
    form->Close();
}

TEST_F(AdvancedSearchTest, BadSearchTextsShowTheIndexResultWithoutAMatch) {
    open();
    TAdvancedSearchForm* form = openSearch();
    for (const std::string& text : {std::string(300, 'A'), std::string("\xC9\xE8\xFF")}) {
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk);
        search(form, text);
        EXPECT_EQ(form->SearchButton->Caption(), "Search") << text;
        for (const TDialogRequest& shown : script.Shown())
            EXPECT_TRUE(shown.Text.rfind("FTS Error: ", 0) == 0 || shown.Text == "No keys in IA index!") << shown.Text;
    }
    form->Close();
}

TEST_F(AdvancedSearchTest, MissingOrDamagedIndexIsReported) {
    open();
    for (const char* damage : {"missing", "damaged"}) {
        std::filesystem::remove(company.File("Patient.ia"));
        if (std::string(damage) == "damaged")
            std::ofstream(company.File("Patient.ia"), std::ios::binary) << "not an index at all";
        TDialogScript script;
        script.Answer(mrOk).Answer(mrOk).Answer(mrOk).Answer(mrOk);
        TAdvancedSearchForm* form = openSearch();
        search(form, "doe");
        ASSERT_GE(script.Shown().size(), 2u) << damage;
        EXPECT_EQ(script.Shown()[0].Text, "IA Index did not open!") << damage;
        EXPECT_EQ(form->SearchButton->Caption(), "Search");
        form->Close();
    }
}

}  // namespace
