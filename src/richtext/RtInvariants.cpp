#include "richtext/RtInvariants.h"

#include <string>

std::string RtCheckInvariants(const TRtRTFText& text, std::initializer_list<TRtTextPlace> places) {
    if (!text.FirstPar) return "no paragraph";
    if (text.FirstPar->Prev) return "first paragraph has a predecessor";
    bool rich = text.MemoryFormat == fmRichText;
    if (text.Header->HasAttributes != rich) return "header mode differs from memory format";
    int parIndex = 0;
    for (const TParagraph* p = text.FirstPar; p; p = p->Next, ++parIndex) {
        std::string where = "paragraph " + std::to_string(parIndex);
        if (p->Next && p->Next->Prev != p) return where + ": next paragraph does not link back";
        if (!p->FirstLine) return where + ": no line";
        if (p->FirstLine->Prev) return where + ": first line has a predecessor";
        int lineIndex = 0;
        for (const TLine* l = p->FirstLine; l; l = l->Next, ++lineIndex) {
            std::string at = where + " line " + std::to_string(lineIndex);
            if (l->Next && l->Next->Prev != l) return at + ": next line does not link back";
            if (!l->Text) return at + ": no text buffer";
            if (l->Capacity > rtMaxLineLength) return at + ": capacity above 10000";
            if (l->Length >= l->Capacity) return at + ": length not below capacity";
            if (l->Text[l->Length] != 0) return at + ": text not terminated";
            if (rich && !l->Attr) return at + ": no attributes in rich mode";
            if (!rich && l->Attr) return at + ": attributes in plain mode";
        }
    }
    for (const TRtTextPlace& place : places) {
        if (!place.Par) continue;
        bool found = false;
        for (const TParagraph* p = text.FirstPar; p && !found; p = p->Next)
            if (p == place.Par)
                for (const TLine* l = p->FirstLine; l && !found; l = l->Next)
                    if (l == place.Line) {
                        if (place.Pos < 0 || place.Pos > l->Length) return "place beyond its line";
                        found = true;
                    }
        if (!found) return "place not on a line of the document";
    }
    return {};
}
