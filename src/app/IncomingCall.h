#pragma once
// TIncomingCallForm: the small window that pops up over everything for a
// call the caller-ID modem reports. It shows the caller's number, the line
// the call came in on and, when a patient has that number as first or second
// phone, the patient's name; "Edit" then opens the patient's record window.
// Each call has its own window; closing frees it.
//
// A phone is stored as the edit mask shows it, "(555)123-4567", perhaps
// followed by an extension, so the number is sought as the beginning of the
// stored phone.
#include <cstdint>
#include <string>

#include "ui/Forms.h"

class TBitBtn;
class TLabel;
class TXbTable;

class TIncomingCallForm : public TForm {
public:
    explicit TIncomingCallForm(TComponent* AOwner);

    TLabel* PhoneNumberLabel;
    TLabel* NameLabel;
    TLabel* LineLabel;
    TBitBtn* BitBtn1;
    TBitBtn* BitBtn2;
    TXbTable* XbTable1;

    // The patient found by the number, 0 when none was.
    int64_t FoundPatientID() const { return foundPatientID_; }

    void FormShow(TObject* Sender);
    // Opens the found patient's record window, owned by this window.
    void BitBtn1Click(TObject* Sender);

private:
    bool seekPhone(const char* Tag, const std::string& Number);

    int64_t foundPatientID_ = 0;
};
