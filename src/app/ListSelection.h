#pragma once
// What a selection list hands back to the form that opened it. The receipt,
// payment and deposit lists leave their choice here; the opener reads it after
// the list has closed. The payments form sets AddBalancesDue before it opens
// its patient list, which calls it when a patient is selected.
#include <functional>
#include <string>

struct TListSelection {
    // The chosen receipt number, padded left with blanks to 10 characters.
    std::string SelectedReceipt;
    std::string SelectedPaymentID;
    std::string SelectedDepositID;
    // Adds the open balances of the patient current in PatientTable to the
    // payment being entered.
    std::function<void()> AddBalancesDue;
};

// The one shared selection state of the program.
TListSelection& listSelection();
