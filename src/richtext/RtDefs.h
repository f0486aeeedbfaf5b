#pragma once
// The shared vocabulary of the rich-text set: its enumerations and sets, the
// event types the document, the edit window and its companions fire, the
// selection codes passed between them, and the two-language message table
// from which every user-visible text of the set is taken.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Classes.h"

class TCanvas;

// ---------------------------------------------------------------- enumerations

enum TRtToolLanguage { trtEnglish, trtGerman };

enum TRtLoadFormat { AutomaticFormat, LastFormat, FormatRTF, FormatANSI };

enum TRtTbIcon {
    SelNormal, SelBold, SelItalic, SelUnder, SelHyperLink, SelStrikeOut, SelSuper,
    SelSub, SelLeft, SelHidden, SelRTFCode, SelRight, SelBlock, SelCenter
};
enum TRtTbIcon2 { SelExit, SelNew, SelOpen, SelSave, SelClose, SelPrint, SelPrintSetup };
enum TRtTbIcon3 {
    SelToStart, SelNext, SelPrev, SelToEnd, SelEdit, SelAdd, SelDel, SelCancel, SelPost
};
enum TRtTbIcon4 {
    SelCopy, SelCut, SelPaste, SelSelAll, SelHideSel, SelFind, SelReplace, SelSpellCheck
};
using TwpTbIcons = TSet<TRtTbIcon>;
using TwpTbIcons2 = TSet<TRtTbIcon2>;
using TwpTbIcons3 = TSet<TRtTbIcon3>;
using TwpTbIcons4 = TSet<TRtTbIcon4>;

enum TRtTbListbox { SelFontName, SelFontSize, SelFontColor, SelBackgroundColor, SelStyle };
using TwpTbListboxen = TSet<TRtTbListbox>;

enum TProtectProps { ppProtected, ppHidden, ppIsInsertpoint, ppAutomatic, ppIsInvisible, ppParProtected };
using TProtectProp = TSet<TProtectProps>;

// tkAll in a query means any kind; in an insertion the header's default kind.
enum TTabKind : uint8_t { tkLeft, tkRight, tkCenter, tkDecimal, tkAll };

enum TRtMemoryFormat { fmRichText, fmPlainText };

// Selection codes handed between the toolbar, the ruler and the control.
using TRtSelNr = int;
constexpr TRtSelNr rtSelHandled = 0;
constexpr TRtSelNr rtSelFontName = 1;
constexpr TRtSelNr rtSelFontSize = 2;
constexpr TRtSelNr rtSelTextColor = 3;
constexpr TRtSelNr rtSelBackColor = 4;
constexpr TRtSelNr rtSelStyle = 5;
constexpr TRtSelNr rtSelIconDown = 6;
constexpr TRtSelNr rtSelIconUp = 7;
constexpr TRtSelNr rtSelRuler = 9;

// ---------------------------------------------------------------- events

using TRtPrintEvent = std::function<void(TObject* Sender, TCanvas* prCanvas, int x, int y, int w, int h,
                                         int PageNumber, int32_t LineNumber)>;
using THyperLinkEvent =
    std::function<void(TObject* Sender, const std::string& text, const std::string& stamp, int32_t LineNumber)>;
using TProtectedChangeEvent = std::function<void(TObject* Sender, const std::string& text, uint16_t Tag)>;
// p may be pointed at the text to insert instead of the automatic text.
using TGetTextToInsertEvent = std::function<void(TObject* Sender, const char*& p, const char* text,
                                                 int LenOfAutoText, uint16_t tag, char c, bool& DoContinue)>;
using TEditStateEvent = std::function<void(TObject* Sender, bool selection_marked, bool clipboard_not_empty)>;
using TProvideObjectEvent = std::function<void(uint16_t tag, TObject*& obj)>;
using TRtSelectEvent = std::function<void(TObject* Sender, TRtSelNr& Typ, const std::string& str, int num)>;
using TRtIconSelectEvent = std::function<void(TObject* Sender, TRtSelNr& Typ, const std::string& str, int group,
                                              int num, int index)>;

// ---------------------------------------------------------------- records for the upper layers

struct TStyleDef {
    std::string Name;
};

struct TRtLayout {
    TStyleDef Style;
};

struct TInfoBlock {
    std::string Text;
};

// ---------------------------------------------------------------- messages

enum TRtMessage {
    rtmFileFilter,
    rtmCancelOperation,
    rtmReady,
    rtmReading,
    rtmWriting,
    rtmFormatting,
    rtmFormattingLong,
    rtmInitMemory,
    rtmNoSelection,
    rtmModeRich,
    rtmModePlain,
    rtmInternalError,
    rtmClearTabs,
    rtmCount
};

// The language every text of the set is shown in; English at start.
extern TRtToolLanguage RtToolLanguage;

// The text of a message in the current language (Windows-1252 bytes).
const std::string& RtMessage(TRtMessage message);
// The text of a message in the given language.
const std::string& RtMessageIn(TRtMessage message, TRtToolLanguage language);

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int RtMulDiv(int a, int b, int c);
