#include "richtext/RtRtfWriter.h"

#include <new>

#include "base/Streams.h"
#include "richtext/RtRtfTxt.h"
#include "ui/BitmapBits.h"
#include "ui/Graphics.h"
#include "ui/Metafile.h"

namespace {

// Pending bytes above which text and row headers go to the stream.
constexpr size_t textFlushSize = 90;
constexpr size_t rowFlushSize = 512;
constexpr int twipsPerPoint = 20;
constexpr int defaultSize = 10;

// Windows font families (high nibble of the pitch-and-family byte).
std::string familyWord(int pitchAndFamily) {
    switch (pitchAndFamily & 0xF0) {
    case 0x10: return "\\froman";
    case 0x20: return "\\fswiss";
    case 0x30: return "\\fmodern";
    case 0x40: return "\\fscript";
    case 0x50: return "\\fdecor";
    default: return "\\fnil";
    }
}

std::string num(long long v) { return std::to_string(v); }

std::string escaped(const std::string& s) {
    std::string out;
    TRtRTFWriter::AppendEscaped(out, s.data(), static_cast<int>(s.size()));
    return out;
}

// Cell gap and border spacing: millimetres in the high nibble of byte 3.
int spacingTwips(uint32_t tableFlags) { return RtMulDiv(16 * TableSpacing(tableFlags), 567, 160); }

// The border words of one side: style, width, colour, line kind.
std::string borderSide(const std::string& side, uint32_t f, bool spacing = false) {
    std::string s = side + ((f & tfDouble) ? "\\brdrdb" : "\\brdrs");
    s += "\\brdrw" + num(TableLineWidth(f) * twipsPerPoint);
    if (f & 0xFF000000u) s += "\\brdrcf" + num(TableLineColor(f));
    if (f & tfDotted) s += "\\brdrdot";
    if (f & tfHairline) s += "\\brdrhair";
    if (spacing && (f & 0xFF000000u)) s += "\\brsp" + num(spacingTwips(f));
    return s;
}

// Picture data: two lower-case hex digits a byte.
std::string hexBytes(const std::string& bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string out(bytes.size() * 2, '0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        out[2 * i] = hex[c >> 4];
        out[2 * i + 1] = hex[c & 15];
    }
    return out;
}

}  // namespace

void TRtRTFWriter::AppendEscaped(std::string& out, const char* text, int count) {
    static const char hex[] = "0123456789abcdef";
    for (int i = 0; i < count; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '{' || c == '}' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\n') {
            out += "\\line ";
        } else if (c >= 32 && c <= 126) {
            out += static_cast<char>(c);
        } else if (c > 3) {
            out += "\\'";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
}

bool TRtRTFWriter::flush() {
    bool ok = put(pending_);
    pending_.clear();
    return ok;
}

bool TRtRTFWriter::flushWithSpace() {
    if (pending_.empty()) return true;
    // Only a control word needs the space that ends it; after a brace it would be text.
    char last = pending_.back();
    if ((last >= 'a' && last <= 'z') || (last >= '0' && last <= '9')) pending_ += ' ';
    return flush();
}

void TRtRTFWriter::pushState(TGroupKind kind) {
    TGroupState s = States.empty() ? TGroupState{} : States.back();
    s.Kind = kind;
    States.push_back(s);
    pending_ += '{';
}

void TRtRTFWriter::popState() {
    States.pop_back();
    pending_ += '}';
}

bool TRtRTFWriter::groupOpen(TGroupKind kind) const {
    for (size_t i = 1; i < States.size(); ++i)
        if (States[i].Kind == kind) return true;
    return false;
}

void TRtRTFWriter::popTo(TGroupKind kind) {
    if (!groupOpen(kind)) return;
    while (States.size() > 1) {
        bool last = States.back().Kind == kind;
        popState();
        if (last) break;
    }
}

uint8_t TRtRTFWriter::WriteHeader(TStream* AStream) {
    Stream = AStream;
    Result = rtWriteOk;
    const TTextHeader& h = *Text->Header;
    std::string s = "{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl";
    auto fontEntry = [&](int number, int index) {
        s += "{\\f" + num(number) + familyWord(h.FontFamily[index]) + "\\fcharset" + num(h.FontCharset[index]) +
             " " + escaped(h.FontName[index]) + ";}";
    };
    if (!h.HasAttributes) {
        int index = Text->CurAttr.Font < rtFontsUsable ? Text->CurAttr.Font : 0;
        fontEntry(0, index);
    } else {
        for (int i = 0; i < rtFontsUsable && !h.FontName[i].empty(); ++i) fontEntry(i, i);
    }
    s += "}{\\colortbl";
    for (const TRtPaletteEntry& c : h.Palette)
        s += "\\red" + num(c.Red) + "\\green" + num(c.Green) + "\\blue" + num(c.Blue) + ";";
    s += "}";
    s += "\\paperw" + num(h.PageWidth) + "\\paperh" + num(h.PageHeight) + "\\margl" + num(h.MarginLeft) +
         "\\margr" + num(h.MarginRight) + "\\margt" + num(h.MarginTop) + "\\margb" + num(h.MarginBottom);
    if (!h.Title.empty()) s += "{\\title " + escaped(h.Title) + "}";
    if (!h.Subject.empty()) s += "{\\subject " + escaped(h.Subject) + "}";
    if (!h.Comment.empty()) s += "{\\comment " + escaped(h.Comment) + "}";
    return put(s) ? rtWriteOk : rtWriteFailed;
}

uint8_t TRtRTFWriter::WriteTrailer(TStream* AStream) {
    Stream = AStream;
    Result = rtWriteOk;
    // Raw code that runs to the end of the text is closed, or the reader would take the last braces as code.
    if (InRtfCode) {
        pending_ += "\\rtrtf0 ";
        InRtfCode = false;
    }
    // The empty last paragraph of a whole document gets a mark of its own: a
    // reader takes a mark at the end of a document as the end of the
    // paragraph before. A selection keeps the marks it holds.
    const TParagraph* last = CurPar;
    if (!ToPar && last && !last->Next && last != FromPar && !(last->ParFlags & pfTableCell) &&
        !last->FirstLine->Length && !last->FirstLine->Next)
        pending_ += "\\par";
    while (!States.empty()) {
        States.pop_back();
        pending_ += '}';
    }
    pending_ += "\r\n}";
    return flush() ? rtWriteOk : rtWriteFailed;
}

bool TRtRTFWriter::rowCellsMatch(const TParagraph* p) const {
    if (CellCount == 0) return false;
    for (int i = 0; i < CellCount; ++i, p = p->Next) {
        if (!p || !(p->ParFlags & pfTableCell)) return false;
        const TCellInfo& c = Cells[i];
        if (c.TableFlags != p->TableFlags || c.Width != CellWidth(p) || c.SpaceBefore != p->SpaceBefore ||
            c.LineSpacing != p->LineSpacing)
            return false;
        bool rowEnds = !(p->ParFlags & pfCellFollows);
        if (rowEnds != (i == CellCount - 1)) return false;
    }
    return true;
}

void TRtRTFWriter::writeRowHeader() {
    const TParagraph* first = CurPar;
    const TTextHeader& h = *Text->Header;
    pushState(gkRow);
    pending_ += "\\pard\\trowd\\trgaph" + num(spacingTwips(first->TableFlags)) + "\\trleft" + num(first->IndentLeft);
    // \pard put the paragraph properties back to their defaults.
    TGroupState& row = States.back();
    row.IndentFirst = row.IndentLeft = row.IndentRight = 0;
    row.SpaceBefore = row.SpaceAfter = row.LineSpacing = 0;
    row.Align = 0;
    row.TableFlags = 0;
    RowWidth = h.PageWidth - h.MarginLeft - h.MarginRight;
    CellCount = 0;
    for (const TParagraph* p = first; p && (p->ParFlags & pfTableCell) && CellCount < MaxCells; p = p->Next) {
        uint32_t f = p->TableFlags;
        if (f & tfBorder) {
            bool all = (f & tfAllSides) != 0;
            if (all || (f & tfTop)) pending_ += borderSide("\\clbrdrt", f);
            if (all || (f & tfBottom)) pending_ += borderSide("\\clbrdrb", f);
            if (all || (f & tfLeft)) pending_ += borderSide("\\clbrdrl", f);
            if (all || (f & tfRight)) pending_ += borderSide("\\clbrdrr", f);
        }
        long long right = first->IndentLeft +
                          static_cast<long long>(RowWidth - first->IndentRight) * (CellStart(p) + CellWidth(p)) / 255;
        pending_ += "\\cellx" + num(right);
        Cells[CellCount++] = {p->TableFlags, static_cast<uint8_t>(CellWidth(p)), p->SpaceBefore, p->LineSpacing};
        if (pending_.size() > rowFlushSize && !flush()) return;
        if (!(p->ParFlags & pfCellFollows)) break;
    }
    pending_ += "\\intbl";
    row.TabSet = 0;
}

void TRtRTFWriter::writeParagraphBorder() {
    uint32_t f = CurPar->TableFlags;
    bool continues = PrevPar && (PrevPar->TableFlags & tfBorder) && !(PrevPar->TableFlags & tfBoxEnds) &&
                     groupOpen(gkBorder);
    if (continues) return;
    pushState(gkBorder);
    if (f & tfAllSides) {
        pending_ += borderSide("\\box", f, true);
    } else {
        if (f & tfTop) pending_ += borderSide("\\brdrt", f, true);
        if (f & tfBottom) pending_ += borderSide("\\brdrb", f, true);
        if (f & tfLeft) pending_ += borderSide("\\brdrl", f, true);
        if (f & tfRight) pending_ += borderSide("\\brdrr", f, true);
    }
    if (f & tfBar) pending_ += "\\brdrbar";
    if (f & tfTableLines) pending_ += "\\brdrtablin";
    States.back().TableFlags = f;
}

uint8_t TRtRTFWriter::WriteParStart() {
    Result = rtWriteOk;
    try {
        const TParagraph* p = CurPar;
        bool cell = (p->ParFlags & pfTableCell) != 0;
        bool border = (p->TableFlags & tfBorder) != 0;
        if (States.empty()) pushState(gkDocument);
        // Groups that no longer apply end here.
        if (groupOpen(gkBorder) &&
            (!border || (PrevPar && (PrevPar->TableFlags & tfBoxEnds)) || (cell && !groupOpen(gkRow))))
            popTo(gkBorder);
        if (groupOpen(gkRow) && (!cell || (!(p->ParFlags & pfNotFirstCell) && !rowCellsMatch(p)))) {
            popTo(gkRow);
            CellCount = 0;
        }
        if (States.back().TabSet != 0 && States.back().TabSet != p->TabSet && !cell) popTo(gkTabs);
        if (p->ParFlags & pfPageBreak) pending_ += "\\page";
        if (cell) {
            if (groupOpen(gkRow)) pending_ += "\\intbl";
            else writeRowHeader();
            if (Result) return Result;
        } else {
            if (border) writeParagraphBorder();
            if (p->TabSet != States.back().TabSet) {
                pushState(gkTabs);
                const TTextHeader& h = *Text->Header;
                for (int i = 0; i < rtTabsUsable; ++i) {
                    if (!(p->TabSet & (uint32_t(1) << i))) continue;
                    switch (h.TabKind[i]) {
                    case tkRight: pending_ += "\\tqr"; break;
                    case tkCenter: pending_ += "\\tqc"; break;
                    case tkDecimal: pending_ += "\\tqdec"; break;
                    default: break;
                    }
                    pending_ += "\\tx" + num(h.TabPosTw[i]);
                }
                States.back().TabSet = p->TabSet;
            }
        }
        if (!flushWithSpace()) return Result;
        TGroupState& s = States.back();
        if (p->Align != s.Align) {
            static const char* const alignWords[] = {"\\ql", "\\qr", "\\qc", "\\qj"};
            pending_ += alignWords[p->Align & 3];
        }
        if (!cell && (p->IndentLeft != s.IndentLeft || p->IndentFirst != s.IndentFirst ||
                      p->IndentRight != s.IndentRight))
            pending_ += "\\li" + num(p->IndentLeft) + "\\fi" + num(p->IndentFirst - p->IndentLeft) + "\\ri" +
                        num(p->IndentRight);
        if (cell || p->SpaceBefore != s.SpaceBefore || p->SpaceAfter != s.SpaceAfter ||
            p->LineSpacing != s.LineSpacing) {
            pending_ += "\\sb" + num(p->SpaceBefore) + "\\sl";
            if (p->LineSpacing) pending_ += num(p->LineSpacing);
            pending_ += "\\sa" + num(cell ? p->SpaceBefore : p->SpaceAfter);
        }
        s.IndentFirst = p->IndentFirst;
        s.IndentLeft = p->IndentLeft;
        s.IndentRight = p->IndentRight;
        s.SpaceBefore = p->SpaceBefore;
        s.SpaceAfter = p->SpaceAfter;
        s.LineSpacing = p->LineSpacing;
        s.Align = p->Align;
        flushWithSpace();
        return Result;
    } catch (const std::bad_alloc&) {
        return Result = rtWriteNoMemory;
    }
}

uint8_t TRtRTFWriter::WriteAttr() {
    const TCharAttr& a = *AttrPtr;
    if (InRtfCode) {
        if (a.Special & spRtfCode) return rtWriteOk;
        pending_ += "\\rtrtf0";
        InRtfCode = false;
    }
    const TTextHeader& h = *Text->Header;
    int font = a.Font < rtFontsUsable && !h.FontName[a.Font].empty() ? a.Font : 0;
    int size = a.Size ? a.Size : defaultSize;
    pending_ += "\\plain\\f" + num(font) + "\\fs" + num(size * 2) + "\\cf" + num(a.Colors & 0x0F);
    if (a.Colors & 0xF0) pending_ += "\\cb" + num(a.Colors >> 4);
    if (a.Style & stBold) pending_ += "\\b";
    if (a.Style & stUnderline) pending_ += "\\ul";
    if (a.Style & stHyperlink) pending_ += "\\uldb";
    if (a.Style & stSuperscript) pending_ += "\\super";
    if (a.Style & stSubscript) pending_ += "\\sub";
    ShiftOpen = (a.Style & (stSuperscript | stSubscript)) != 0;
    if (a.Style & stItalic) pending_ += "\\i";
    if (a.Style & stStrikeOut) pending_ += "\\strike";
    if (a.Special & spProtected) pending_ += "\\shad";
    HiddenOpen = (a.Special & spHidden) != 0;
    if (HiddenOpen) pending_ += "\\v";
    if (a.Special & spRtfCode) {
        pending_ += "\\rtrtf1";
        InRtfCode = true;
    }
    if ((a.Special & spInsertPoint) && !SkipInsertPoints) pending_ += "\\inspnt" + num(a.Tag);
    if ((a.Special & spAutomatic) && !SkipAutomatic) pending_ += "\\inaut";
    pending_ += ' ';
    return flush() ? rtWriteOk : Result;
}

uint8_t TRtRTFWriter::WriteChars(int Count) {
    if (!CharPtr || Count <= 0) return rtWriteOk;
    for (int i = 0; i < Count; ++i) {
        if (InRtfCode) pending_ += CharPtr[i];
        else AppendEscaped(pending_, CharPtr + i, 1);
        if (pending_.size() > textFlushSize && !flush()) return Result;
    }
    return flush() ? rtWriteOk : Result;
}

uint8_t TRtRTFWriter::WriteParEnd() {
    const TParagraph* p = CurPar;
    if (InRtfCode) {
        pending_ += "\\rtrtf0 ";
        InRtfCode = false;
    }
    if (ShiftOpen) {
        pending_ += "\\nosupersub ";
        ShiftOpen = false;
    }
    if (p->ParFlags & pfTableCell) {
        pending_ += "\\cell";
        if (!(p->ParFlags & pfCellFollows)) pending_ += "\\row";
        pending_ += "\n\r";
    } else if (p->Next) {
        pending_ += HiddenOpen ? "\\plain\\par\n\r" : "\\par\n\r";
        HiddenOpen = false;
    }
    return flush() ? rtWriteOk : Result;
}

uint8_t TRtRTFWriter::WriteObject(uint16_t Tag, uint16_t Number) {
    TObjectEntry* e = Text->FindObject(Tag, Number);
    if (!e) return rtWriteOk;
    if (e->ByReference && e->Tag) {
        pending_ += "\\rtobjtag" + num(e->Tag) + "\\rtobjw" + num(e->WidthTw) + "\\rtobjh" + num(e->HeightTw) +
                    " \\'01";
        return flush() ? rtWriteOk : Result;
    }
    TObject* obj = e->Obj;
    if (auto* picture = dynamic_cast<TPicture*>(obj)) obj = picture->Graphic();
    std::string goal = "\\picwgoal" + num(e->WidthTw) + "\\pichgoal" + num(e->HeightTw) + "\r\n";
    try {
        if (auto* metafile = dynamic_cast<TMetafile*>(obj)) {
            pending_ += "{\\pict\\wmetafile8\\picw" + num(metafile->Width()) + "\\pich" + num(metafile->Height()) + goal +
                        hexBytes(metafile->windowsMetafileBytes()) + "}";
        } else if (auto* bitmap = dynamic_cast<TBitmap*>(obj)) {
            if (bitmap->Empty()) return rtWriteOk;
            TDeviceBits bits = deviceBitsOf(*bitmap);
            std::string sizes = "\\wbmbitspixel" + num(bits.BitsPixel) + "\\wbmplanes" + num(bits.Planes) +
                                "\\wbmwidthbytes" + num(bits.WidthBytes) + "\\picw" + num(bits.Width) + "\\pich" +
                                num(bits.Height) + goal;
            if (WriteBitmapAsDib)
                pending_ += "{\\pict\\dibitmap0" + sizes + hexBytes(packedDibOf(*bitmap)) + "}";
            else
                pending_ += "{\\pict\\wbitmap0" + sizes + hexBytes(bits.Bits) + "}";
        } else {
            return rtWriteOk;
        }
    } catch (const std::bad_alloc&) {
        pending_.clear();
        return Result = rtWriteNoMemory;
    }
    return flush() ? rtWriteOk : Result;
}

uint8_t TRtRTFWriter::WriteFootnote(uint16_t Tag) {
    TStampEntry* s = Text->FindStamp(Tag);
    if (!s) return rtWriteOk;
    char markChar = static_cast<char>(s->Kind);
    std::string mark;
    AppendEscaped(mark, &markChar, 1);
    std::string out = "{\\cs16\\super " + mark + "{\\*\\footnote ";
    if (s->Value) out += "\\rtfnnr" + num(s->Value) + " ";
    out += "\\pard\\plain \\s15\\widctlpar \\f0\\fs20\\lang1031 {\\cs16\\super " + mark + "} " + escaped(s->Text) +
           "}}";
    pending_ += out;
    return flush() ? rtWriteOk : Result;
}
