#include "RtfDocGenerator.h"

#include <QImage>
#include <set>
#include <sstream>
#include <tuple>
#include <vector>

#include "ui/Graphics.h"
#include "ui/Metafile.h"

namespace {

// A small generator of our own, so that every platform makes the same documents.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed * 2654435761u + 1) {}
    uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int in(int lo, int hi) { return lo + static_cast<int>(next() % static_cast<uint32_t>(hi - lo + 1)); }
    bool chance(int percent) { return in(1, 100) <= percent; }
    template <class T, size_t N>
    T pick(const T (&items)[N]) {
        return items[in(0, static_cast<int>(N) - 1)];
    }

private:
    uint32_t state_;
};

const char textChars[] = "abcdefXYZ 0129;.{}\\\t\xE9\x80\x96\x92\xFC\x7F\x04";
const char codeChars[] = "abc {}\\;x\\rt";

void putChar(TRtRTFText& doc, TLine* line, char c, const TCharAttr& a) {
    if (line->Length + 2 >= line->Capacity) doc.GrowLine(line, line->Capacity + 64);
    line->Text[line->Length] = c;
    line->Attr[line->Length] = a;
    ++line->Length;
    line->Text[line->Length] = 0;
}

TCharAttr randomAttr(Rng& r, bool allColors) {
    TCharAttr a;
    a.Font = static_cast<uint8_t>(r.in(0, 2));
    static const uint8_t sizes[] = {8, 10, 12, 24};
    a.Size = r.pick(sizes);
    a.Colors = static_cast<uint8_t>(r.in(0, 15) | (r.chance(20) ? r.in(1, 15) << 4 : 0));
    if (r.chance(30)) a.Style = static_cast<uint8_t>(r.next() & ~stBlockMarked);
    if (r.chance(15)) a.Special |= spProtected;
    if (!allColors) a.Colors &= 0x07;
    return a;
}

uint32_t randomTabs(TRtRTFText& doc, Rng& r) {
    uint32_t set = 0;
    int n = r.chance(40) ? r.in(1, 3) : 0;
    for (int i = 0; i < n; ++i) set |= doc.Header->AddTab(r.in(1, 40) * 180, static_cast<TTabKind>(r.in(0, 3)));
    return set;
}

uint32_t randomBorder(Rng& r, bool cell) {
    uint32_t f = tfBorder;
    if (!cell && r.chance(40)) {
        f |= tfAllSides;
    } else {
        uint32_t sides = 0;
        while (!sides) sides = static_cast<uint32_t>(r.in(0, 15)) << 2;
        f |= sides;
        if (cell && (sides & (tfTop | tfBottom | tfLeft | tfRight)) == (tfTop | tfBottom | tfLeft | tfRight))
            f |= tfAllSides;
    }
    if (r.chance(30)) f |= tfDouble;
    if (r.chance(20)) f |= tfDotted;
    f |= static_cast<uint32_t>(r.in(1, 4)) << 16;
    f |= static_cast<uint32_t>(r.in(0, 15)) << 24;
    if (!cell) f |= static_cast<uint32_t>(r.in(0, 15)) << 28;
    return f;
}

std::unique_ptr<TBitmap> randomBitmap(Rng& r) {
    int w = r.in(1, 5), h = r.in(1, 4);
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) image.setPixel(x, y, qRgb(r.in(0, 255), r.in(0, 255), r.in(0, 255)));
    auto b = std::make_unique<TBitmap>();
    b->fromImage(image);
    return b;
}

void put16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& s, unsigned v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

// Fills the text of one paragraph.
void fillParagraph(TRtRTFTextIo& doc, TParagraph* p, Rng& r, const TGeneratorOptions& o, bool cell) {
    TLine* line = p->FirstLine;
    int runs = r.in(0, 5);
    bool lastWasCode = false;
    for (int k = 0; k < runs; ++k) {
        TCharAttr a = randomAttr(r, o.AllColors);
        int kind = o.SetSpecials ? r.in(0, 12) : 0;
        if (kind == 1 && o.TabsAndBorders) {
            a.Special |= spHidden;
        } else if (kind == 2 && !lastWasCode) {
            a.Special |= spRtfCode;
            int n = r.in(1, 8);
            for (int i = 0; i < n; ++i) putChar(doc, line, codeChars[r.in(0, sizeof codeChars - 2)], a);
            lastWasCode = true;
            continue;
        } else if (kind == 3) {
            a.Special |= spInsertPoint;
            a.Tag = static_cast<uint16_t>(r.in(1, 999));
            putChar(doc, line, 'I', a);
            lastWasCode = false;
            continue;
        } else if (kind == 4) {
            a.Special |= spAutomatic;
        } else if (kind == 5) {
            static const char marks[] = {'*', '1', '2'};
            char mark = r.pick(marks);
            a.Style &= static_cast<uint8_t>(~stSuperscript);
            std::string note = "Note " + std::to_string(r.in(1, 99)) + " {x}\xE9";
            TStampEntry* s = doc.AddStamp(static_cast<uint8_t>(mark), r.in(1, 9), note);
            a.Special |= spFootnote;
            a.Tag = s->Number;
            putChar(doc, line, mark, a);
            lastWasCode = false;
            continue;
        } else if (kind == 6) {
            a.Special = static_cast<uint8_t>(a.Special | spObject);
            TObjectEntry* e = doc.AddObject(ApplicationObject(), static_cast<uint16_t>(r.in(1, 500)));
            e->ByReference = true;
            e->WidthTw = r.in(100, 2000);
            e->HeightTw = r.in(100, 2000);
            a.Tag = e->Tag;
            putChar(doc, line, rtObjectByTag, a);
            lastWasCode = false;
            continue;
        } else if (kind == 7 && o.Pictures) {
            a.Special = static_cast<uint8_t>(a.Special | spObject);
            TObjectEntry* e;
            if (r.chance(50)) {
                e = doc.AddObject(randomBitmap(r).release(), 0);
            } else {
                std::string bytes = std::string(TMetafile::PlaceableHeaderSize, '\0') + MetafileWithBitmap();
                int w = r.in(1, 3000), h = r.in(1, 3000);
                TMetafile::writePlaceableHeader(bytes, w, h);
                auto m = std::make_unique<TMetafile>();
                m->loadFromBytes(bytes);
                e = doc.AddObject(m.release(), 0);
            }
            e->WidthTw = r.in(100, 3000);
            e->HeightTw = r.in(100, 3000);
            a.Tag = e->Number;
            putChar(doc, line, rtObjectByNumber, a);
            lastWasCode = false;
            continue;
        }
        int n = r.in(1, 12);
        for (int i = 0; i < n; ++i) {
            char c = textChars[r.in(0, sizeof textChars - 2)];
            if (!o.ControlChars && (c == '\x7F' || c == '\x04')) c = 'z';
            if (!o.ControlChars && c == ' ' && line->Length > 0 && line->Text[line->Length - 1] == ' ') c = 'z';
            if (!cell && r.chance(3)) c = '\n';
            putChar(doc, line, c, a);
        }
        lastWasCode = false;
    }
    if (line->Length == 0 && line->Attr) line->Attr[0] = TCharAttr{};
}

}  // namespace

TObject* ApplicationObject() {
    static TObject object;
    return &object;
}

std::string MetafileWithBitmap() {
    std::string dib;
    put32(dib, 40);
    put32(dib, 2);
    put32(dib, 1);
    put16(dib, 1);
    put16(dib, 24);
    for (int i = 0; i < 6; ++i) put32(dib, 0);
    dib += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8);
    std::string record;
    put32(record, static_cast<unsigned>((6 + 22 + dib.size()) / 2));
    put16(record, 0x0F43);
    put32(record, 0x00CC0020);
    put16(record, 0);
    for (int i = 0; i < 8; ++i) put16(record, 0);
    record += dib;
    std::string end;
    put32(end, 3);
    put16(end, 0);
    std::string header;
    put16(header, 1);
    put16(header, 9);
    put16(header, 0x300);
    put32(header, static_cast<unsigned>((18 + record.size() + end.size()) / 2));
    put16(header, 0);
    put32(header, static_cast<unsigned>(record.size() / 2));
    put16(header, 0);
    return header + record + end;
}

void GenerateDocument(TRtRTFTextIo& doc, uint32_t seed, const TGeneratorOptions& o) {
    Rng r(seed);
    doc.Clear();
    TTextHeader& h = *doc.Header;
    h.FontName[1] = "Courier New";
    h.FontFamily[1] = 0x30;
    h.FontName[2] = "Times New Roman";
    h.FontFamily[2] = 0x10;
    for (int i = 0; i < rtColorCount - 1; ++i)
        if (o.AllColors && r.chance(30)) h.Palette[i] = {static_cast<uint8_t>(r.in(0, 255)), static_cast<uint8_t>(r.in(0, 255)),
                                          static_cast<uint8_t>(r.in(0, 255)), 0};
    h.PageWidth = r.in(10000, 13000);
    h.PageHeight = r.in(14000, 17000);
    h.MarginLeft = r.in(500, 1800);
    h.MarginRight = r.in(500, 1800);
    h.MarginTop = r.in(500, 1440);
    h.MarginBottom = r.in(500, 1440);
    if (r.chance(50)) h.Title = "Title {" + std::to_string(seed) + "} \xE9";
    if (r.chance(30)) h.Subject = "Subject";
    if (r.chance(30)) h.Comment = "Comment \\ here";

    TParagraph* p = doc.FirstPar;
    bool first = true;
    auto next = [&]() {
        if (!first) doc.NewParagraph(p, 40);
        first = false;
        p->ParFlags = 0;
        p->TableFlags = 0;
        p->TabSet = 0;
        p->IndentFirst = p->IndentLeft = p->IndentRight = 0;
        p->SpaceBefore = p->SpaceAfter = p->LineSpacing = 0;
        p->Align = 0;
        return p;
    };
    auto normal = [&](uint32_t border) {
        TParagraph* q = next();
        static const int indents[] = {0, 360, 720};
        q->IndentLeft = r.pick(indents);
        q->IndentFirst = q->IndentLeft + r.in(-2, 2) * 180;
        q->IndentRight = r.chance(30) ? 500 : 0;
        q->SpaceBefore = r.chance(30) ? 120 : 0;
        q->SpaceAfter = r.chance(30) ? 60 : 0;
        q->LineSpacing = r.chance(20) ? 240 : 0;
        q->Align = static_cast<uint8_t>(r.in(0, 3));
        q->TabSet = o.TabsAndBorders ? randomTabs(doc, r) : 0;
        if (r.chance(10) && o.PageBreaks) q->ParFlags |= pfPageBreak;
        q->TableFlags = border;
        fillParagraph(doc, q, r, o, false);
    };
    int blocks = r.in(2, 7);
    for (int b = 0; b < blocks; ++b) {
        int kind = r.in(0, 3);
        if (kind == 1 && o.TabsAndBorders) {
            uint32_t border = randomBorder(r, false);
            int n = r.in(1, 3);
            for (int i = 0; i < n; ++i) normal(border | (i == n - 1 ? tfBoxEnds : 0));
        } else if (kind == 2 && o.Tables) {
            int rows = r.in(1, 3);
            int left = r.chance(50) ? 0 : 360;
            int right = r.chance(50) ? 0 : 720;
            uint32_t gap = static_cast<uint32_t>(r.in(0, 4)) << 28;
            for (int row = 0; row < rows; ++row) {
                int cells = r.in(2, 4);
                int start = 0;
                for (int c = 0; c < cells; ++c) {
                    TParagraph* q = next();
                    int width = c == cells - 1 ? 255 - start : r.in(20, (255 - start) - 20 * (cells - c - 1));
                    q->TabSet = static_cast<uint32_t>(start) | (static_cast<uint32_t>(width) << 8);
                    start += width;
                    q->ParFlags = pfTableCell | (c > 0 ? pfNotFirstCell : 0) | (c < cells - 1 ? pfCellFollows : 0);
                    q->TableFlags = gap | tfBoxEnds | (r.chance(60) ? randomBorder(r, true) : 0);
                    if (!(q->TableFlags & tfBorder)) q->TableFlags &= ~0x0FFFFFFFu | tfBoxEnds;
                    q->IndentLeft = q->IndentFirst = left;
                    q->IndentRight = right;
                    q->SpaceBefore = q->SpaceAfter = r.chance(30) ? 40 : 0;
                    q->Align = static_cast<uint8_t>(r.in(0, 3));
                    fillParagraph(doc, q, r, o, true);
                }
            }
        } else {
            normal(0);
        }
    }
    normal(0);
    for (TParagraph* q = doc.FirstPar; q; q = q->Next) q->Dirty |= dfAll;
    doc.CurPar = doc.FirstPar;
    doc.CurLine = doc.FirstPar->FirstLine;
    doc.CurPos = 0;
}

namespace {

std::string paragraphText(const TParagraph* p) {
    std::string s;
    for (const TLine* l = p->FirstLine; l; l = l->Next) s.append(l->Text.get(), l->Length);
    return s;
}

std::vector<TCharAttr> paragraphAttrs(const TParagraph* p) {
    std::vector<TCharAttr> v;
    for (const TLine* l = p->FirstLine; l; l = l->Next)
        for (int i = 0; i < l->Length; ++i) v.push_back(l->Attr ? l->Attr[i] : TCharAttr{});
    return v;
}

std::set<std::pair<int, int>> tabsOf(const TRtRTFText& doc, const TParagraph* p) {
    std::set<std::pair<int, int>> tabs;
    if (p->ParFlags & pfTableCell) return tabs;
    for (int i = 0; i < rtTabsUsable; ++i)
        if (p->TabSet & (1u << i)) tabs.insert({doc.Header->TabPosTw[i], doc.Header->TabKind[i]});
    return tabs;
}

std::string graphicKey(TObject* obj) {
    if (auto* m = dynamic_cast<TMetafile*>(obj))
        return "metafile " + std::to_string(m->Width()) + "x" + std::to_string(m->Height()) + " " + m->bytes();
    if (auto* b = dynamic_cast<TBitmap*>(obj)) {
        std::string s = "bitmap " + std::to_string(b->Width()) + "x" + std::to_string(b->Height());
        QImage image = b->toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) s += " " + std::to_string(image.pixel(x, y) & 0xFFFFFF);
        return s;
    }
    return obj == ApplicationObject() ? "application" : "other";
}

}  // namespace

std::string CompareDocuments(const TRtRTFText& e, const TRtRTFText& a) {
    std::ostringstream out;
    const TTextHeader& he = *e.Header;
    const TTextHeader& ha = *a.Header;
    if (std::tie(he.PageWidth, he.PageHeight, he.MarginLeft, he.MarginRight, he.MarginTop, he.MarginBottom) !=
        std::tie(ha.PageWidth, ha.PageHeight, ha.MarginLeft, ha.MarginRight, ha.MarginTop, ha.MarginBottom))
        return "page differs";
    if (he.Title != ha.Title || he.Subject != ha.Subject || he.Comment != ha.Comment) return "summary differs";
    for (int i = 0; i < rtColorCount - 1; ++i)
        if (he.Palette[i].Red != ha.Palette[i].Red || he.Palette[i].Green != ha.Palette[i].Green ||
            he.Palette[i].Blue != ha.Palette[i].Blue)
            return "colour " + std::to_string(i) + " differs";
    int n = 0;
    const TParagraph* pe = e.FirstPar;
    const TParagraph* pa = a.FirstPar;
    for (; pe && pa; pe = pe->Next, pa = pa->Next, ++n) {
        std::string where = "paragraph " + std::to_string(n) + ": ";
        if (paragraphText(pe) != paragraphText(pa))
            return where + "text \"" + paragraphText(pe) + "\" read as \"" + paragraphText(pa) + "\"";
        std::vector<TCharAttr> ae = paragraphAttrs(pe), aa = paragraphAttrs(pa);
        for (size_t i = 0; i < ae.size(); ++i) {
            const TCharAttr& x = ae[i];
            const TCharAttr& y = aa[i];
            bool sameFont = he.FontName[x.Font] == ha.FontName[y.Font] && he.FontFamily[x.Font] == ha.FontFamily[y.Font];
            if (!sameFont || x.Size != y.Size || x.Colors != y.Colors || x.Style != y.Style ||
                x.Special != y.Special || x.Tag != y.Tag) {
                out << where << "character " << i << " font " << int(x.Font) << "/" << int(y.Font) << " size "
                    << int(x.Size) << "/" << int(y.Size) << " colours " << int(x.Colors) << "/" << int(y.Colors)
                    << " style " << int(x.Style) << "/" << int(y.Style) << " special " << int(x.Special) << "/"
                    << int(y.Special) << " tag " << x.Tag << "/" << y.Tag;
                return out.str();
            }
        }
        if (std::tie(pe->IndentFirst, pe->IndentLeft, pe->IndentRight, pe->SpaceBefore, pe->SpaceAfter,
                     pe->LineSpacing, pe->Align, pe->ParFlags, pe->TableFlags) !=
            std::tie(pa->IndentFirst, pa->IndentLeft, pa->IndentRight, pa->SpaceBefore, pa->SpaceAfter,
                     pa->LineSpacing, pa->Align, pa->ParFlags, pa->TableFlags)) {
            out << where << "first " << pe->IndentFirst << "/" << pa->IndentFirst << " left " << pe->IndentLeft << "/"
                << pa->IndentLeft << " right " << pe->IndentRight << "/" << pa->IndentRight << " before "
                << pe->SpaceBefore << "/" << pa->SpaceBefore << " after " << pe->SpaceAfter << "/" << pa->SpaceAfter
                << " spacing " << pe->LineSpacing << "/" << pa->LineSpacing << " align " << int(pe->Align) << "/"
                << int(pa->Align) << " flags " << int(pe->ParFlags) << "/" << int(pa->ParFlags) << " table "
                << std::hex << pe->TableFlags << "/" << pa->TableFlags;
            return out.str();
        }
        if ((pe->ParFlags & pfTableCell) ? pe->TabSet != pa->TabSet : tabsOf(e, pe) != tabsOf(a, pa))
            return where + "tabs differ";
    }
    if (pe || pa) return "paragraph count differs at " + std::to_string(n);
    std::vector<std::string> se, sa;
    for (const TStampEntry& s : e.Stamps) se.push_back(std::to_string(s.Number) + char(s.Kind) + std::to_string(s.Value) + s.Text);
    for (const TStampEntry& s : a.Stamps) sa.push_back(std::to_string(s.Number) + char(s.Kind) + std::to_string(s.Value) + s.Text);
    if (se != sa) return "stamps differ";
    for (const TObjectEntry& x : e.Objects) {
        const TObjectEntry* y = nullptr;
        for (const TObjectEntry& c : a.Objects)
            if ((x.Tag && c.Tag == x.Tag) || (x.Number && c.Number == x.Number)) y = &c;
        if (!y) return "object " + std::to_string(x.Tag) + "/" + std::to_string(x.Number) + " missing";
        if (x.WidthTw != y->WidthTw || x.HeightTw != y->HeightTw) return "object size differs";
        if (graphicKey(x.Obj) != graphicKey(y->Obj)) return "object content differs";
    }
    return std::string();
}
