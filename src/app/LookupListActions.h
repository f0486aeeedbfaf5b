#pragma once
// The behaviours of the lookup lists that are code rather than data: the
// record actions of patients, claims and items, the plain and coded new and
// delete, the receipt list's "Account" order, and each list's Select copy.
// Descriptors (LookupListMembers.h) name these functions.
#include <string>

class TLookupListForm;

// New and Delete, by the kind the descriptor names.
void newListRecord(TLookupListForm& List);
void deleteListRecord(TLookupListForm& List);

// Receipts: the start order, the sort choices and the scope cleared on close.
void receiptListStart(TLookupListForm& List);
bool receiptListSort(TLookupListForm& List, const std::string& Text);
void receiptListClosing(TLookupListForm& List);

// Select copies; each closes the list.
void selectPatientIntoReceipt(TLookupListForm& List);
void selectPatientForPayment(TLookupListForm& List);
void selectPatientIntoClaim(TLookupListForm& List);
void selectReceiptNumber(TLookupListForm& List);
void selectPaymentID(TLookupListForm& List);
void selectDepositID(TLookupListForm& List);
void selectCarrierIntoClaim(TLookupListForm& List);
void selectCarrierIntoPatient(TLookupListForm& List);
void selectItemIntoReceiptLine(TLookupListForm& List);

// Messages.
inline const std::string SRecordLockedByOther = "This record currently locked by another user!";
inline const std::string SReceiptSortNeedsPatient =
    "Select a Patients Account Number for the receipt before selecting this sort order.";
