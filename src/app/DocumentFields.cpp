#include "app/DocumentFields.h"

#include "app/Cents.h"
#include "app/ReceiptNumbers.h"
#include "data/Fields.h"
#include "ui/Dialogs.h"

namespace DocumentFields {

std::string trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

std::string text(TTable* Table, const char* Field) { return trimmed(Table->FieldByName(Field)->AsString()); }

std::string numberText(TTable* Table, const char* Field) {
    const std::string stored = text(Table, Field);
    const auto canonical = ReceiptNumbers::canonical(stored);
    return canonical ? *canonical : stored;
}

Currency money(TTable* Table, const char* Field) { return Cents::read(Table->FieldByName(Field)); }

bool dated(TTable* Header, const char* Field) {
    if (!Header->FieldByName(Field)->IsNull())
        return true;
    ShowMessage("Enter a date in the Date box. Nothing was saved.");
    return false;
}

std::string changedMeanwhile(const std::string& What, const std::string& Number, const char* Done) {
    return What + " " + Number + " has been " + Done + " at another workstation. Nothing was saved.";
}

}  // namespace DocumentFields
