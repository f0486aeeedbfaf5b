#pragma once
// Opening a stored receipt from a folder below the sales forms. The sales
// folder sets the handler at start-up: it brings the program's one receipt
// window forward and opens the receipt in it. Until a handler is set, the
// receipt window's placeholder stands in.
#include <functional>
#include <string>

class TComponent;

// Opens receipt ReceiptNo (as the sales table's "Receipt" tag holds it),
// asked for by a window owned by Owner.
using TReceiptOpenHandler = std::function<void(TComponent* Owner, const std::string& ReceiptNo)>;

// Replaces the handler; an empty one brings the placeholder back.
void setReceiptOpenHandler(TReceiptOpenHandler Handler);
bool hasReceiptOpenHandler();

// Runs the handler, or shows the receipt window's placeholder when none is set.
void openStoredReceipt(TComponent* Owner, const std::string& ReceiptNo);
