#pragma once
// The nineteen lookup lists of the program, each the generic list form with
// its descriptor, registered by class name so the menu, the buttons and the
// forms of the patients and sales folders open them by name.
#include "app/LookupList.h"

// The descriptor of the list class named ClassName; raises when unknown.
const TListDescriptor& listDescriptor(const std::string& ClassName);

// Registers the nineteen list classes and the record info dialogs.
void registerLookupLists();

#define QM_LOOKUP_LIST(Name)                                                        \
    class Name : public TLookupListForm {                                           \
    public:                                                                         \
        explicit Name(TComponent* AOwner) : TLookupListForm(AOwner, listDescriptor(#Name)) {} \
    };

QM_LOOKUP_LIST(TLookupList)
QM_LOOKUP_LIST(TPatientLookupList2)
QM_LOOKUP_LIST(TPatientLookupList3)
QM_LOOKUP_LIST(TPatientLookupList4)
QM_LOOKUP_LIST(TReceiptLookupList)
QM_LOOKUP_LIST(TPaymentLookupList)
QM_LOOKUP_LIST(TDepositLookupList)
QM_LOOKUP_LIST(TInsCompLookupList)
QM_LOOKUP_LIST(TInsCompLookupList1)
QM_LOOKUP_LIST(TInsCompSelect2)
QM_LOOKUP_LIST(TClaimLookupList)
QM_LOOKUP_LIST(TItemLookupList)
QM_LOOKUP_LIST(TItemLookupListSelect)
QM_LOOKUP_LIST(TPersonnelLookupList)
QM_LOOKUP_LIST(TAccountLookupList)
QM_LOOKUP_LIST(TCPTCodeLookupList)
QM_LOOKUP_LIST(TDiagCodeLookupList)
QM_LOOKUP_LIST(TPatternLookupList)
QM_LOOKUP_LIST(TCarryOutStatementLookupList)

#undef QM_LOOKUP_LIST
