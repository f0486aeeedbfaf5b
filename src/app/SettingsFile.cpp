#include "app/SettingsFile.h"

#include "base/IniFiles.h"
#include "base/SysUtils.h"

namespace {

std::string text(std::string_view s) { return std::string(s); }

}  // namespace

std::string TSettingsFile::Read(const TTextKey& Key) const {
    return TIniFile(fileName_).ReadString(text(Key.Section), text(Key.Ident), text(Key.Default));
}

int TSettingsFile::Read(const TIntegerKey& Key) const {
    return TIniFile(fileName_).ReadInteger(text(Key.Section), text(Key.Ident), Key.Default);
}

bool TSettingsFile::Read(const TBoolKey& Key) const {
    return TIniFile(fileName_).ReadBool(text(Key.Section), text(Key.Ident), Key.Default);
}

void TSettingsFile::Write(const TTextKey& Key, const std::string& Value) {
    TIniFile(fileName_).WriteString(text(Key.Section), text(Key.Ident), Value);
}

void TSettingsFile::Write(const TIntegerKey& Key, int Value) {
    TIniFile(fileName_).WriteInteger(text(Key.Section), text(Key.Ident), Value);
}

void TSettingsFile::Write(const TBoolKey& Key, bool Value) {
    TIniFile(fileName_).WriteBool(text(Key.Section), text(Key.Ident), Value);
}

// A value left blank (a cleared edit box saved as typed) stands for the default.
std::string TSettingsFile::readNumberText(const TTextKey& Key) const {
    std::string value = Trim(Read(Key));
    return value.empty() ? text(Key.Default) : value;
}

double TSettingsFile::ReadFloat(const TTextKey& Key) const { return StrToFloat(readNumberText(Key)); }

void TSettingsFile::WriteFloat(const TTextKey& Key, double Value) { Write(Key, FloatToStr(Value)); }

int TSettingsFile::ReadInteger(const TTextKey& Key) const { return StrToInt(readNumberText(Key)); }
