#pragma once
// What every part of the report engine shares: its exception, the component
// bases, the enumerations of its published and streamed properties, the
// event types, the message hook that every text a user can see passes
// through, and the shading of tab and box fills.
//
// The enumerations are written into report streams and projects by their
// ordinals: never reorder or insert values.
#include <cstdint>
#include <functional>
#include <string>

#include "base/Classes.h"
#include "base/Exceptions.h"
#include "ui/Colors.h"

class TBitmap;
class TStream;

QM_DECLARE_EXCEPTION(EDazedeVedodev, Exception)

// A fixed text of at most 20 characters.
using TVersion = std::string;

// The engine's own version, shown by every engine component.
extern const char* const ReportEngineVersion;

class TRSComponent : public TComponent {
public:
    explicit TRSComponent(TComponent* AOwner) : TComponent(AOwner) {}
    // Always the engine's version; writing it changes nothing.
    TVersion Version() const { return ReportEngineVersion; }
    void SetVersion(const TVersion&) {}
};

class TRSBaseComponent : public TRSComponent {
public:
    using TRSComponent::TRSComponent;
};

// The object of a string-list entry that needs a second text.
class TRSStringObject : public TObject {
public:
    explicit TRSStringObject(std::string Value) : Value(std::move(Value)) {}
    std::string Value;
};

enum TAccuracyMethod { amPositioning, amAppearance };
enum TMarginMethod { mmScaled, mmFixed };
// Scoped: rtNone is also a value name of the report data connections.
enum class TRulerType { rtNone, rtHorizCm, rtVertCm, rtBothCm, rtHorizIn, rtVertIn, rtBothIn };
enum TPrintJustify { pjCenter, pjLeft, pjRight, pjBlock };
enum TPrintUnits { unInch, unMM, unCM, unPoint, unUser };
// Units per inch; unUser keeps the factor the caller set.
double unitsFactorOf(TPrintUnits Units, double Current);
// The units of a factor: unUser for one no named unit has.
TPrintUnits unitsOfFactor(double Factor);
enum TLineHeightMethod { lhmLinesPerInch, lhmFont, lhmUser };
enum TBKMode { bkTransparent, bkOpaque };
enum TStreamMode { smMemory, smFile, smUser, smTempFile };
// Scoped: poPortrait and poDefault are also value names of the class
// library's printer orientation and form position.
enum class TOrientation { poPortrait, poLandScape, poDefault };
enum TReportDest { rdPreview, rdPrinter, rdFile };
enum TSystemSetup {
    ssAllowSetup, ssAllowCopies, ssAllowCollate, ssAllowDuplex, ssAllowDestPreview,
    ssAllowDestPrinter, ssAllowDestFile, ssAllowPrinterSetup, ssAllowPreviewSetup
};
using TSystemSetups = TSet<TSystemSetup>;
enum TSystemOption { soUseFiler, soWaitForOK, soShowStatus, soAllowPrintFromPreview, soPreviewModal, soNoGenerate };
using TSystemOptions = TSet<TSystemOption>;
enum TRSDataType {
    dtString, dtInteger, dtBoolean, dtFloat, dtCurrency, dtBCD, dtDate, dtTime, dtDateTime,
    dtBlob, dtMemo, dtGraphic
};

// The handler prints page PageNum and returns true while more pages follow.
using TPrintPageEvent = std::function<bool(TObject* Sender, int& PageNum)>;
// Turns image data of a type the engine does not know into Bitmap.
using TDecodeImageEvent =
    std::function<void(TObject* Sender, TStream* ImageStream, const std::string& ImageType, TBitmap* Bitmap)>;

// Every engine text a user can see passes through MessageHook before use;
// an application may replace it (to translate, say). DefaultMessageHook
// copies the text unchanged.
using TMessageHook = void (*)(const std::string& Source, std::string& Dest);
void DefaultMessageHook(const std::string& Source, std::string& Dest);
extern TMessageHook MessageHook;

// The text as MessageHook gives it back.
std::string throughMessageHook(const std::string& Source);

// Raises EDazedeVedodev with Msg; callers pass Msg through the hook first.
[[noreturn]] void RaiseReportError(const std::string& Msg);

// Color mixed towards white: Percent 100 (or more) gives the colour itself,
// 0 gives white. System colours are resolved first.
TColor ShadeColor(TColor Color, std::uint8_t Percent);
