#include "reports/MoneyTab.h"

#include "reporting/RSBase.h"

void PrintMoneyTab(TBaseReport& Report, const std::string& Text) {
    Report.Tab();
    Report.PrintTabbedText(Text);
}
