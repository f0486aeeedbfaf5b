#include "richtext/RtTestDoc.h"

#include <vector>

namespace {

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == sep) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

}  // namespace

void BuildShape(TRtRTFText& doc, const std::string& shape) {
    doc.Clear();
    TParagraph* par = doc.FirstPar;
    bool firstPar = true;
    for (const std::string& p : split(shape, '|')) {
        if (!firstPar) doc.NewParagraph(par, 40);
        firstPar = false;
        TLine* line = par->FirstLine;
        bool firstLine = true;
        for (const std::string& l : split(p, '/')) {
            if (!firstLine) doc.NewLine(line, 40);
            firstLine = false;
            doc.ReplaceInLine(par, line, &doc.CurAttr, static_cast<int>(l.size()), l.data(), 0, 0);
        }
    }
}

std::string ShapeOf(const TRtRTFText& doc) {
    std::string s;
    for (const TParagraph* p = doc.FirstPar; p; p = p->Next) {
        if (p != doc.FirstPar) s += '|';
        for (const TLine* l = p->FirstLine; l; l = l->Next) {
            if (l != p->FirstLine) s += '/';
            s.append(l->Text.get(), l->Length);
        }
    }
    return s;
}

TParagraph* ParAt(TRtRTFText& doc, int index) {
    TParagraph* p = doc.FirstPar;
    while (p && index-- > 0) p = p->Next;
    return p;
}

TLine* LineAt(TRtRTFText& doc, int par, int line) {
    TLine* l = ParAt(doc, par)->FirstLine;
    while (l && line-- > 0) l = l->Next;
    return l;
}
