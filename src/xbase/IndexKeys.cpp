#include "xbase/IndexKeys.h"

#include <cctype>

#include "base/SysUtils.h"

namespace {

// One term: a field name, bare or in upper(); "" when it is anything else.
std::string TermField(std::string term) {
    term = Trim(term);
    std::string upper = UpperCase(term);
    if (upper.rfind("UPPER", 0) == 0) {
        std::string rest = Trim(term.substr(5));
        if (rest.size() < 2 || rest.front() != '(' || rest.back() != ')')
            return "";
        term = Trim(rest.substr(1, rest.size() - 2));
    }
    for (char c : term)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return "";
    return term;
}

}  // namespace

std::vector<int> keyFieldsOf(const std::string& Expression, const std::function<int(const std::string&)>& FieldNumber) {
    std::vector<int> fields;
    size_t start = 0;
    while (start <= Expression.size()) {
        size_t plus = Expression.find('+', start);
        size_t length = plus == std::string::npos ? std::string::npos : plus - start;
        std::string name = TermField(Expression.substr(start, length));
        int number = name.empty() ? 0 : FieldNumber(name);
        if (number == 0)
            return {};
        fields.push_back(number);
        if (plus == std::string::npos)
            break;
        start = plus + 1;
    }
    return fields;
}

std::string PartialKey(const std::string& Key, const std::vector<int>& FieldWidths, int FieldCount) {
    if (FieldCount <= 0 || FieldCount >= static_cast<int>(FieldWidths.size()))
        return Key;
    size_t length = 0;
    for (int i = 0; i < FieldCount; ++i)
        length += static_cast<size_t>(FieldWidths[i]);
    return Key.substr(0, length);
}

std::string nextKey(std::string Key) {
    if (!Key.empty())
        Key.back() = static_cast<char>(static_cast<unsigned char>(Key.back()) + 1);
    return Key;
}
