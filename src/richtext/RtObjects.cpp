// The stamp and embedded-object lists of TRtRTFText.
#include <algorithm>

#include "richtext/RtRtfTxt.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Graphics.h"

namespace {

// Size given to an object whose own size is unknown, in twips.
constexpr int unknownObjectSizeTw = 32;

}  // namespace

TStampEntry* TRtRTFText::AddStamp(uint8_t kind, uint32_t value, const std::string& text) {
    uint16_t highest = 0;
    for (const TStampEntry& s : Stamps) highest = std::max(highest, s.Number);
    TStampEntry& s = Stamps.emplace_back();
    s.Kind = kind;
    s.Value = value;
    s.Number = static_cast<uint16_t>(highest + 1);
    s.Text = text;
    return &s;
}

void TRtRTFText::ClearStamps() { Stamps.clear(); }

TStampEntry* TRtRTFText::FindStamp(uint16_t number) {
    for (TStampEntry& s : Stamps)
        if (s.Number == number) return &s;
    return nullptr;
}

uint16_t TRtRTFText::nextObjectNumber() const {
    uint16_t highest = 0;
    for (const TObjectEntry& e : Objects) highest = std::max(highest, e.Number);
    return static_cast<uint16_t>(highest + 1);
}

uint16_t TRtRTFText::nextFreeTag() const {
    uint16_t tag = rtFirstFreeTag;
    for (const TObjectEntry& e : Objects)
        if (e.Tag >= tag && e.Tag != rtNextFreeTag) tag = static_cast<uint16_t>(e.Tag + 1);
    return tag;
}

TObjectEntry* TRtRTFText::AddObject(TObject* obj, uint16_t tag, uint16_t number) {
    if (tag == rtNextFreeTag) tag = nextFreeTag();
    if (tag || number) {
        if (TObjectEntry* found = FindObject(tag, number)) {
            if (!found->Obj && obj) found->Obj = obj;
            return found;
        }
    }
    if (!obj && OnProvideObject) OnProvideObject(tag, obj);
    if (!obj) return nullptr;
    TObjectEntry& e = Objects.emplace_back();
    e.Obj = obj;
    if (tag) {
        e.Tag = tag;
    } else {
        e.Number = number && !FindObject(0, number) ? number : nextObjectNumber();
        e.Owned.reset(obj);
    }
    return &e;
}

void TRtRTFText::UnmarkObjects() {
    for (TObjectEntry& e : Objects) e.Used = 0;
}

void TRtRTFText::FreeUnmarkedObjects() {
    Objects.remove_if([](const TObjectEntry& e) { return e.Used == 0; });
}

TObjectEntry* TRtRTFText::FindObject(uint16_t tag, uint16_t number) {
    for (TObjectEntry& e : Objects)
        if ((tag && e.Tag == tag) || (number && e.Number == number)) return &e;
    return nullptr;
}

void TRtRTFText::SetObjectSize(TObjectEntry* entry) {
    if (!entry) return;
    int w = -1, h = -1;
    if (auto* g = dynamic_cast<TGraphic*>(entry->Obj)) {
        w = g->Width();
        h = g->Height();
    } else if (auto* p = dynamic_cast<TPicture*>(entry->Obj)) {
        w = p->Width();
        h = p->Height();
    } else if (auto* c = dynamic_cast<TControl*>(entry->Obj)) {
        w = c->Width();
        h = c->Height();
    }
    int ppi = Screen->PixelsPerInch();
    if (entry->WidthTw == 0) entry->WidthTw = w >= 0 ? RtMulDiv(w, rtTwipsPerInch, ppi) : unknownObjectSizeTw;
    if (entry->HeightTw == 0) entry->HeightTw = h >= 0 ? RtMulDiv(h, rtTwipsPerInch, ppi) : unknownObjectSizeTw;
}
