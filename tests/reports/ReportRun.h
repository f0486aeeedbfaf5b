#pragma once
// The report forms of the tests: a family form created as the menu creates
// it, its dates typed, and its report captured from the preview after OK.
#include <string>
#include <vector>

#include "reports/DateRangeForm.h"
#include "support/ReportPages.h"
#include "support/ShopFixture.h"
#include "ui/Application.h"
#include "ui/Forms.h"

using Rows = std::vector<std::vector<std::string>>;

class ReportFormTest : public ShopTest {
protected:
    void TearDown() override {
        closeForm();
        ShopTest::TearDown();
    }
    template <class Form>
    Form* open() {
        closeForm();
        Form* made = CreateForm<Form>(nullptr);
        form = made;
        return made;
    }
    void closeForm() {
        if (form) form->Close();
        form = nullptr;
        Application->ProcessMessages();
    }
    // The range typed into the edits, then OK.
    template <class Form>
    ReportPages run(const std::string& From, const std::string& Thru) {
        Form* f = open<Form>();
        f->FromKingDateDialog->SetText(From);
        f->ThruKingDateDialog->SetText(Thru);
        return CaptureReport([f] { f->BitBtn1->Click(); });
    }
    TDateRangeForm* form = nullptr;
};
