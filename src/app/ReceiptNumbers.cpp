#include "app/ReceiptNumbers.h"

#include "app/AppUtils.h"

namespace ReceiptNumbers {

namespace {
constexpr size_t KeyWidth = 10;
}

std::optional<std::string> canonical(const std::string& Text) {
    const size_t first = Text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    const size_t last = Text.find_last_not_of(' ');
    std::string digits = Text.substr(first, last - first + 1);
    for (char c : digits)
        if (c < '0' || c > '9')
            return std::nullopt;
    const size_t nonZero = digits.find_first_not_of('0');
    if (nonZero == std::string::npos)
        return std::nullopt;
    digits.erase(0, nonZero);
    if (digits.size() > KeyWidth)
        return std::nullopt;
    return digits;
}

std::string fieldKey(const std::string& Number) { return AppUtils::PadRight(Number, KeyWidth); }

std::string labRxKey(const std::string& Number, int Item) {
    return fieldKey(Number) + AppUtils::PadLeft(std::to_string(Item), 2);
}

}  // namespace ReceiptNumbers
