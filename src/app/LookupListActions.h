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
void ReceiptListStart(TLookupListForm& List);
bool ReceiptListSort(TLookupListForm& List, const std::string& Text);
void ReceiptListClosing(TLookupListForm& List);

// Select copies; each closes the list.
void SelectPatientIntoReceipt(TLookupListForm& List);
void SelectPatientForPayment(TLookupListForm& List);
void SelectPatientIntoClaim(TLookupListForm& List);
void SelectReceiptNumber(TLookupListForm& List);
void SelectPaymentID(TLookupListForm& List);
void SelectDepositID(TLookupListForm& List);
void SelectCarrierIntoClaim(TLookupListForm& List);
void SelectCarrierIntoPatient(TLookupListForm& List);
void SelectItemIntoReceiptLine(TLookupListForm& List);

// Messages.
inline const std::string SRecordLockedByOther = "This record currently locked by another user!";
inline const std::string SReceiptSortNeedsPatient =
    "Select a Patients Account Number for the receipt before selecting this sort order.";
