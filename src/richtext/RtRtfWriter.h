#pragma once
// TRtRTFWriter: writes a document range as Rich Text Format. The header
// carries the font and 16-entry colour tables, the page and the summary; the
// body keeps a stack of groups mirroring RTF's own property scoping, so a
// paragraph writes only the properties that changed since the last one, and
// tab, table-row and border settings end with the "}" of their group. Runs
// of equally formatted characters start with "\plain" and their words. The
// set's own words: "\rtrtf1" ... "\rtrtf0" around raw RTF code shown as
// text, "\inspnt" and "\inaut" for insert points and automatic text,
// "\rtobjtag", "\rtobjw", "\rtobjh" for objects kept by the application.
// Pictures are written as "{\pict" groups in lower-case hex: a metafile as
// "\wmetafile8" (its records, without the placeable header), a bitmap as
// device-dependent "\wbitmap0" bits or, with WriteBitmapAsDib, "\dibitmap0".
#include <cstdint>
#include <string>
#include <vector>

#include "richtext/RtTextWriter.h"

class TRtRTFWriter : public TRtTextWriter {
public:
    enum TGroupKind : uint8_t { gkDocument, gkTabs, gkRow, gkBorder };

    struct TGroupState {
        TGroupKind Kind = gkDocument;
        int32_t IndentFirst = 0, IndentLeft = 0, IndentRight = 0;
        int32_t SpaceBefore = 0, SpaceAfter = 0, LineSpacing = 0;
        uint8_t Align = 0;
        uint32_t TableFlags = 0;
        uint32_t TabSet = 0;
    };

    struct TCellInfo {
        uint32_t TableFlags = 0;
        uint8_t Width = 0;
        int32_t SpaceBefore = 0;
        int32_t LineSpacing = 0;
    };

    static constexpr int MaxCells = 50;

    // Top of the stack last.
    std::vector<TGroupState> States;
    int RowWidth = 0;
    TCellInfo Cells[MaxCells];
    int CellCount = 0;
    bool InRtfCode = false;
    bool HiddenOpen = false;
    // The last run is raised or lowered: it is ended before the paragraph
    // mark, which word processors would otherwise take into the next paragraph.
    bool ShiftOpen = false;

    uint8_t WriteAttr() override;
    uint8_t WriteChars(int Count) override;
    uint8_t WriteParEnd() override;
    uint8_t WriteParStart() override;
    uint8_t WriteObject(uint16_t Tag, uint16_t Number) override;
    uint8_t WriteFootnote(uint16_t Tag) override;
    uint8_t WriteHeader(TStream* AStream) override;
    uint8_t WriteTrailer(TStream* AStream) override;

    // Appends text with RTF's escapes: "{", "}" and "\" get a backslash, tab
    // and line feed become "\tab " and "\line ", codes 0..3 are dropped and
    // every code outside 32..126 becomes "\'" and two lower-case hex digits.
    static void AppendEscaped(std::string& out, const char* text, int count);

private:
    std::string pending_;

    bool flush();
    // Ends a pending control word with a space before text follows.
    bool flushWithSpace();
    void pushState(TGroupKind kind);
    void popState();
    bool groupOpen(TGroupKind kind) const;
    // Pops down to and including the newest group of this kind (never the bottom one).
    void popTo(TGroupKind kind);
    bool rowCellsMatch(const TParagraph* first) const;
    void writeRowHeader();
    void writeParagraphBorder();
};
