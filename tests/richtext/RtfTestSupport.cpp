#include "RtfTestSupport.h"

#include "base/Streams.h"

TLoadOutcome LoadBytes(TRtRTFTextIo& doc, const std::string& bytes) {
    TStringStream stream(bytes);
    doc.LoadFromStream(&stream);
    return {doc.LastResult, stream.Position()};
}

std::string SaveRtf(TRtRTFTextIo& doc) {
    TStringStream stream;
    TRtLoadFormat saved = doc.SaveFormat;
    doc.SaveFormat = FormatRTF;
    doc.SaveToStream(&stream);
    doc.SaveFormat = saved;
    return stream.DataString();
}

std::string TextOf(const TRtRTFText& doc) {
    std::string s;
    for (const TParagraph* p = doc.FirstPar; p; p = p->Next) {
        if (p != doc.FirstPar) s += '|';
        for (const TLine* l = p->FirstLine; l; l = l->Next) s.append(l->Text.get(), l->Length);
    }
    return s;
}

TCharAttr AttrAt(const TRtRTFText& doc, int n) {
    for (const TParagraph* p = doc.FirstPar; p; p = p->Next)
        for (const TLine* l = p->FirstLine; l; l = l->Next) {
            if (n < l->Length) return l->Attr ? l->Attr[n] : TCharAttr{};
            n -= l->Length;
        }
    return TCharAttr{};
}
