#include "xbase/FTS32.h"

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

std::string patientFtsKey(TXbase* Engine) {
    static const std::vector<std::string> fields = {"RecName", "Addr", "Phone1", "Phone2", "SSN"};
    constexpr size_t usualKeySize = 111;
    std::string key;
    key.reserve(usualKeySize);
    Engine->AppendPaddedFieldValues(fields, key);
    return UpperCase(std::move(key));
}
