#include "SerExcept.h"

#include <cstdlib>
#include <unordered_map>

#include "SerStrings.h"

namespace {

// An id with no text in the table still gives a readable message.
std::string textOrGeneric(int id) {
    std::string text = serLoadStr(id);
    return text.empty() ? "Serial exception" : text;
}

using Raiser = void (*)(int Code);

template <class E>
[[noreturn]] void raiseAs(int Code) {
    throw E(Code, false);
}

const std::unordered_map<int, Raiser>& raisers() {
    static const std::unordered_map<int, Raiser> table = [] {
        std::unordered_map<int, Raiser> t;
#define QM_SERIAL_ROW(Name, Family, Code) t.emplace(Code, &raiseAs<Name>);
        QM_SERIAL_EXCEPTIONS(QM_SERIAL_ROW)
#undef QM_SERIAL_ROW
#define QM_SERIAL_SHARED_ROW(Name, Code) t.emplace(Code, &raiseAs<Name>);
        QM_SERIAL_SHARED_CODES(QM_SERIAL_SHARED_ROW)
#undef QM_SERIAL_SHARED_ROW
        return t;
    }();
    return table;
}

}  // namespace

ESerialException::ESerialException(int ErrorCode, bool PassThru)
    : Exception(textOrGeneric(PassThru ? std::abs(ErrorCode) : ErrorCodeToStringId(ErrorCode))),
      ErrorCode(ErrorCode) {}

ESerialException::ESerialException(const std::string& Msg) : Exception(Msg) {}

int ErrorCodeToStringId(int Code) {
    int a = std::abs(Code) & 0xFFFF;
    if (a >= 13800 && a <= 13900) return a;
    if (a >= 100 && a <= 199) return a + 11800;
    return 11000 + (a / 1000) * 100 + a % 1000;
}

int RaiseForErrorCode(const TComponent* Component, int Code) {
    if (Code >= 0) return Code;
    if (Component && Component->ComponentState().Contains(csLoading)) return Code;
    auto it = raisers().find(Code);
    if (it != raisers().end()) it->second(Code);
    if (Code <= -2 && Code >= -162) {
        if (Code == -8) throw EOutOfMemory(textOrGeneric(ErrorCodeToStringId(Code)));
        throw EInOutError(textOrGeneric(ErrorCodeToStringId(Code)), -Code);
    }
    throw ESerialException("Serial exception");
}
