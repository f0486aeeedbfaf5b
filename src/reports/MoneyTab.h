#pragma once
// Money in the next tab stop, never cut to fit the stop: a figure wider
// than its stop prints whole, ending where its justification puts it
// (a right-justified stop: at its right edge).
#include <string>

class TBaseReport;

void printMoneyTab(TBaseReport& Report, const std::string& Text);
