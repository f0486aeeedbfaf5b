#include "reports/MoneyTab.h"

#include "reporting/RSBase.h"

void printMoneyTab(TBaseReport& Report, const std::string& Text) {
    Report.Tab();
    Report.PrintTabbedText(Text);
}
