// TRtRtfStrings: the paragraphs of a document as a string list.
#include "base/Streams.h"
#include "richtext/RtRtfIO.h"
#include "richtext/RtTextWriter.h"

std::string TRtRtfStrings::Get(int Index) const { return Text ? Text->GetParText(Index) : std::string(); }

int TRtRtfStrings::GetCount() const {
    int n = 0;
    if (Text)
        for (TParagraph* p = Text->FirstPar; p; p = p->Next) ++n;
    return n;
}

void TRtRtfStrings::Put(int Index, const std::string& S) {
    if (!Text) return;
    Text->SetParText(Index, S, &Text->CurAttr);
    Text->keepCursorInDocument();
}

void TRtRtfStrings::Insert(int Index, const std::string& S) {
    if (!Text) return;
    Text->InsertParagraph(Index, S, &Text->CurAttr);
    Text->keepCursorInDocument();
}

void TRtRtfStrings::Delete(int Index) {
    if (!Text) return;
    Text->DeleteParagraph(Index);
    Text->keepCursorInDocument();
}

void TRtRtfStrings::Clear() {
    if (Text) Text->Clear();
}

void TRtRtfStrings::SetUpdateState(bool Updating) {
    if (Text && !Updating) Text->Changed();
}

void TRtRtfStrings::LoadFromStream(TStream* Stream) {
    if (!Text) return;
    TRtLoadFormat saved = Text->LoadFormat;
    Text->LoadFormat = AutomaticFormat;
    try {
        Text->LoadFromStream(Stream);
    } catch (...) {
    }
    Text->LoadFormat = saved;
}

void TRtRtfStrings::SaveToStream(TStream* Stream) const {
    if (!Text) return;
    TRtTextWriter writer;
    Text->WriteText(Stream, &writer);
}
