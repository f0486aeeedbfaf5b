#pragma once
// Settings values that hold several lines (the receipt message). A settings
// file keeps one value on one line, so each line break is stored as "\n"
// and each backslash as "\\"; reading turns them back, and a stored value
// without a backslash reads unchanged.
#include <string>

#include "app/SettingsFile.h"

namespace MultiLineSetting {

// Text with CR LF, CR or LF line breaks, as stored.
std::string Encode(const std::string& Text);
// The stored value with its line breaks as CR LF, the memo's form. A
// backslash before any other character stays as it is.
std::string Decode(const std::string& Stored);

std::string Read(const TSettingsFile& File, const TTextKey& Key);
void Write(TSettingsFile& File, const TTextKey& Key, const std::string& Text);

}  // namespace MultiLineSetting
