#include "app/MultiLineSetting.h"

namespace MultiLineSetting {

std::string Encode(const std::string& Text) {
    std::string stored;
    for (size_t i = 0; i < Text.size(); ++i) {
        const char c = Text[i];
        if (c == '\r') {
            if (i + 1 < Text.size() && Text[i + 1] == '\n')
                ++i;
            stored += "\\n";
        } else if (c == '\n') {
            stored += "\\n";
        } else if (c == '\\') {
            stored += "\\\\";
        } else {
            stored += c;
        }
    }
    return stored;
}

std::string Decode(const std::string& Stored) {
    std::string text;
    for (size_t i = 0; i < Stored.size(); ++i) {
        const char c = Stored[i];
        if (c == '\\' && i + 1 < Stored.size() && Stored[i + 1] == 'n') {
            text += "\r\n";
            ++i;
        } else if (c == '\\' && i + 1 < Stored.size() && Stored[i + 1] == '\\') {
            text += '\\';
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

std::string Read(const TSettingsFile& File, const TTextKey& Key) { return Decode(File.Read(Key)); }

void Write(TSettingsFile& File, const TTextKey& Key, const std::string& Text) { File.Write(Key, Encode(Text)); }

}  // namespace MultiLineSetting
