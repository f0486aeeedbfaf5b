#include "app/ReceiptOpener.h"

#include <utility>

#include "app/FormOpener.h"

namespace {

TReceiptOpenHandler& handler() {
    static TReceiptOpenHandler theHandler;
    return theHandler;
}

}  // namespace

void setReceiptOpenHandler(TReceiptOpenHandler Handler) { handler() = std::move(Handler); }

bool hasReceiptOpenHandler() { return static_cast<bool>(handler()); }

void openStoredReceipt(TComponent* Owner, const std::string& ReceiptNo) {
    if (handler()) {
        handler()(Owner, ReceiptNo);
        return;
    }
    OpenForm(Owner, {.ClassName = "TReceiptForm", .Caption = "Edit &Receipt", .Style = osShow});
}
