#pragma once
// The mailing forms' tests: the shop fixture with the mailing patients and
// recalls, the printed labels read back label by label, and the label
// rectangles of the 30-up sheet at a given resolution.
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "support/MailingFixture.h"
#include "support/PageImages.h"
#include "support/ReportPages.h"
#include "support/ShopFixture.h"
#include "ui/Application.h"

// (page, row, column) of a label on the 30-up sheet.
using LabelPlace = std::tuple<int, int, int>;
using Rows = std::vector<std::vector<std::string>>;

// The texts of each label with any ink, in print order.
inline std::map<LabelPlace, std::vector<std::string>> LabelTexts(const ReportPages& Pages) {
    std::map<LabelPlace, std::vector<std::string>> labels;
    for (const ReportTextItem& item : Pages.Items) {
        const int column = static_cast<int>((item.Left - 0.188) / 2.75) + 1;
        const int row = static_cast<int>((item.Baseline - 0.5) / 1.0) + 1;
        labels[{item.Page, row, column}].push_back(item.Text);
    }
    return labels;
}

// The label's rectangle in pixels at Dpi, the left edge inset by the
// label's border (0.2 in) and the other edges by a pixel.
inline TRect LabelArea(int Row, int Column, int Dpi) {
    const double left = 0.188 + (Column - 1) * 2.75, top = 0.5 + (Row - 1) * 1.0;
    return {static_cast<int>((left + 0.2) * Dpi), static_cast<int>(top * Dpi) + 1,
            static_cast<int>((left + 2.625) * Dpi) - 1, static_cast<int>((top + 1.0) * Dpi) - 1};
}

class MailingTest : public ShopTest {
protected:
    void addRows(const std::string& Dir) override {
        MailingFixture::AddPatients(Dir, extraBirthdays);
        MailingFixture::AddRecalls(Dir);
        MailingFixture::AddReturnAddress(Dir);
    }
    void TearDown() override {
        Application->ProcessMessages();
        ShopTest::TearDown();
    }
    int extraBirthdays = 0;
};
