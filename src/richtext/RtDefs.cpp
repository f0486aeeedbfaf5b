#include "richtext/RtDefs.h"

#include <climits>
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
    // 64-bit product: exact for every pair of ints, where a double is not.
    long long n = static_cast<long long>(a) * b;
    long long q = n / c, r = n % c;
    long long absR = r < 0 ? -r : r, absC = c < 0 ? -static_cast<long long>(c) : c;
    if (2 * absR >= absC) q += ((n < 0) != (c < 0)) ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return static_cast<int>(q);
}
