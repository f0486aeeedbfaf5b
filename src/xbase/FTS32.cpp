#include "xbase/FTS32.h"

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "base/SysUtils.h"
#include "fts/Fts.h"
#include "xbase/Xbase.h"

TFts::TFts(TComponent* AOwner) : TComponent(AOwner) {}

TFts::~TFts() { Close(); }

int TFts::Open(const std::string& Path, int A, int B) {
    Close();
    int handle = 0;
    int result = FtsOpen(Path.c_str(), A, B, &handle);
    if (result == FtsOk)
        handle_ = handle;
    return result;
}

int TFts::CreateIndex(const std::string& Path, int A, int B, int C, int D) {
    Close();
    int handle = 0;
    int result = FtsCreate(Path.c_str(), A, B, C, D, &handle);
    if (result == FtsOk)
        handle_ = handle;
    return result;
}

int TFts::Close() {
    if (handle_ == 0)
        return FtsOk;
    int result = FtsClose(handle_);
    handle_ = 0;
    return result;
}

int TFts::Add(const std::string& Key) { return FtsAdd(handle_, Key.c_str()); }

int TFts::Delete(int RecNo) { return FtsDelete(handle_, RecNo); }

int TFts::Replace(const std::string& Key, int RecNo) { return FtsReplace(handle_, Key.c_str(), RecNo); }

int TFts::Set(const std::string& Text) { return FtsSet(handle_, Text.c_str()); }

int TFts::NextRec() { return FtsNextRec(handle_); }

int TFts::NumRecs() { return FtsNumRecs(handle_); }

int TFts::Verify(const std::string& Key, const std::string& Text, int Mode) {
    return FtsVerify(handle_, Key.c_str(), Text.c_str(), Mode + 1);
}

int openPatientFts(TFts* Fts, const std::string& Path) { return Fts->Open(Path, 20, 0); }

namespace {

// UpperCase of the key in place, eight bytes at a time: a key is made for
// every match a search shows.
void upperAsciiInPlace(std::string& Text) {
    constexpr uint64_t ones = 0x0101010101010101ULL;
    constexpr uint64_t highBits = 0x8080808080808080ULL;
    size_t i = 0;
    for (; i + 8 <= Text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, Text.data() + i, 8);
        const uint64_t low7 = word & ~highBits;
        // The high bit of each byte set where it is 'a'..'z': at least 'a',
        // not above 'z', and no byte of 128 or more.
        const uint64_t atLeastA = low7 + ones * (0x80 - 'a');
        const uint64_t aboveZ = low7 + ones * (0x7F - 'z');
        const uint64_t lower = atLeastA & ~aboveZ & ~word & highBits;
        word -= lower >> 2;
        std::memcpy(Text.data() + i, &word, 8);
    }
    for (; i < Text.size(); ++i)
        if (Text[i] >= 'a' && Text[i] <= 'z') Text[i] = static_cast<char>(Text[i] - 32);
}

}  // namespace

std::string patientFtsKey(TXbase* Engine) {
    static const std::vector<std::string> fields = {"RecName", "Addr", "Phone1", "Phone2", "SSN"};
    constexpr size_t usualKeySize = 111;
    std::string key;
    key.reserve(usualKeySize);
    Engine->AppendPaddedFieldValues(fields, key);
    upperAsciiInPlace(key);
    return key;
}
