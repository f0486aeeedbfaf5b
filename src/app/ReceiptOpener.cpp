#include "app/ReceiptOpener.h"

#include <utility>

#include "app/FormOpener.h"

namespace {

TReceiptOpenHandler& handler() {
    static TReceiptOpenHandler theHandler;
    return theHandler;
}

}  // namespace

void SetReceiptOpenHandler(TReceiptOpenHandler Handler) { handler() = std::move(Handler); }

bool HasReceiptOpenHandler() { return static_cast<bool>(handler()); }

void OpenStoredReceipt(TComponent* Owner, const std::string& ReceiptNo) {
    if (handler()) {
        handler()(Owner, ReceiptNo);
        return;
    }
    OpenForm(Owner, {.ClassName = "TReceiptForm", .Caption = "Edit &Receipt", .Style = osShow});
}
