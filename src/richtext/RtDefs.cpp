#include "richtext/RtDefs.h"

#include <cmath>

TRtToolLanguage RtToolLanguage = trtEnglish;

namespace {

const std::string messageTable[rtmCount][2] = {
    {"formatted text (*.RTF)|*.RTF|plain text (*.TXT)|*.TXT|all (*.*)|*.*",
     "Formatierte Texte (*.RTF)|*.RTF|Textdateien (*.TXT)|*.TXT|alle Dateien (*.*)|*.*"},
    {"Do you want to cancel the current operation?", "Soll Operation abgebrochen werden?"},
    {"Ready", "Bereit"},
    {"reading...", "beim lesen..."},
    {"writing...", "beim schreiben"},
    {"formatting..", "beim formatieren"},
    {"formatting....", "beim formatieren"},
    {"initialize memory...", "initialisiere speicher..."},
    {"no selection", "keine Auswahl markiert"},
    {"rich", "FMT"},
    {"plain", "NORM"},
    {"internal error", "Interner Fehler"},
    {"Clear Tabs?", "Tabulatoren l\xF6schen?"},
};

}  // namespace

const std::string& RtMessageIn(TRtMessage message, TRtToolLanguage language) {
    return messageTable[message][language];
}

const std::string& RtMessage(TRtMessage message) { return RtMessageIn(message, RtToolLanguage); }

int RtMulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    double v = static_cast<double>(a) * b / c;
    return static_cast<int>(v < 0 ? std::ceil(v - 0.5) : std::floor(v + 0.5));
}
