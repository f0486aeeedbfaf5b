#pragma once
// TReportSystem: the report runner a report form places on itself. The
// form assigns OnPrint (and the other report events) and calls Execute;
// the runner shows the setup window, records the report into a stream
// while the status window shows progress, and then shows the stream in the
// preview window or plays it to the printer, or prints straight to the
// printer when no stream is needed. Its options live in three option
// objects (TSystemPrinter, TSystemPreview, TSystemFiler) that are copied
// into the report that actually runs.
//
// Promises: the report's handlers receive the running report (BaseReport)
// as Sender, never the runner; Cancel in the setup window runs nothing; the
// memory stream is freed and a temporary stream file erased however the
// run ends (done, cancelled, aborted or failed); while a run is active the
// program's other windows take no input, so the form that owns the run
// cannot be closed under it.
#include <functional>
#include <memory>
#include <string>

#include "reporting/RSBase.h"
#include "reporting/RSStreamOptions.h"
#include "ui/Forms.h"

class TFilePreview;
class TLabel;
class TMemoryStream;
class TReportSystem;

// The ordinal of an override event's call: create, show, wait for, free.
using TOverrideMode = int;
constexpr TOverrideMode OverrideCreate = 0;
constexpr TOverrideMode OverrideShow = 1;
constexpr TOverrideMode OverrideWait = 2;
constexpr TOverrideMode OverrideFree = 3;

// Replaces one of the runner's built-in windows: OverrideForm is the
// window the calls share.
using TReportSystemEvent =
    std::function<void(TReportSystem* ReportSystem, TOverrideMode OverrideMode, TForm*& OverrideForm)>;

// Page and printer options of the report that runs.
class TSystemPrinter : public TPersistent {
public:
    TSystemPrinter();
    ~TSystemPrinter() override;

    int Copies() const { return copies_; }
    void SetCopies(int Value) { copies_ = Value; }
    int FirstPage() const { return firstPage_; }
    void SetFirstPage(int Value) { firstPage_ = Value; }
    int LastPage() const { return lastPage_; }
    void SetLastPage(int Value) { lastPage_ = Value; }
    TLineHeightMethod LineHeightMethod() const { return lineHeightMethod_; }
    void SetLineHeightMethod(TLineHeightMethod Value) { lineHeightMethod_ = Value; }
    int LinesPerInch() const { return linesPerInch_; }
    void SetLinesPerInch(int Value) { linesPerInch_ = Value; }
    double MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(double Value) { marginBottom_ = Value; }
    double MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(double Value) { marginLeft_ = Value; }
    double MarginRight() const { return marginRight_; }
    void SetMarginRight(double Value) { marginRight_ = Value; }
    double MarginTop() const { return marginTop_; }
    void SetMarginTop(double Value) { marginTop_ = Value; }
    TOrientation Orientation() const { return orientation_; }
    void SetOrientation(TOrientation Value) { orientation_ = Value; }
    double ScaleX() const { return scaleX_; }
    void SetScaleX(double Value) { scaleX_ = Value; }
    double ScaleY() const { return scaleY_; }
    void SetScaleY(double Value) { scaleY_ = Value; }
    const std::string& StatusFormat() const { return statusFormat_; }
    void SetStatusFormat(const std::string& Value) { statusFormat_ = throughMessageHook(Value); }
    TStrings* StatusText() const { return statusText_.get(); }
    // Copies the lines.
    void SetStatusText(const TStrings* Value);
    int TabShade() const { return tabShade_; }
    // Kept within 0..100.
    void SetTabShade(int Value);
    TBKMode TextBKMode() const { return textBKMode_; }
    void SetTextBKMode(TBKMode Value) { textBKMode_ = Value; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value) { title_ = throughMessageHook(Value); }
    TPrintUnits Units() const { return units_; }
    // Also sets UnitsFactor, except for unUser.
    void SetUnits(TPrintUnits Value);
    double UnitsFactor() const { return unitsFactor_; }
    // Values <= 0 are ignored; also sets Units.
    void SetUnitsFactor(double Value);
    bool Collate() const { return collate_; }
    void SetCollate(bool Value) { collate_ = Value; }
    // 0 simplex, 1 vertical, 2 horizontal. Until first set: the printer
    // device's setting, read on first use so that a runner is cheap to make.
    int Duplex() const;
    void SetDuplex(int Value) { duplex_ = Value; }

    // The options into Report, margins before units; collate and duplex
    // only when a printer is installed.
    void InitPrinter(TBaseReport* Report);

private:
    int copies_ = 1;
    int firstPage_ = 1;
    int lastPage_ = 9999;
    TLineHeightMethod lineHeightMethod_ = lhmFont;
    int linesPerInch_ = 6;
    double marginBottom_ = 0, marginLeft_ = 0, marginRight_ = 0, marginTop_ = 0;
    TOrientation orientation_ = TOrientation::poPortrait;
    double scaleX_ = 100, scaleY_ = 100;
    std::string statusFormat_;
    std::unique_ptr<TStrings> statusText_;
    int tabShade_ = 0;
    TBKMode textBKMode_ = bkTransparent;
    std::string title_;
    TPrintUnits units_ = unInch;
    double unitsFactor_ = 1.0;
    bool collate_ = false;
    mutable int duplex_ = -1;  // -1: not read from the device yet
};

// Options of the preview window.
class TSystemPreview : public TPersistent {
public:
    TSystemPreview();
    ~TSystemPreview() override;

    int FormWidth() const { return formWidth_; }
    void SetFormWidth(int Value) { formWidth_ = Value; }
    int FormHeight() const { return formHeight_; }
    void SetFormHeight(int Value) { formHeight_ = Value; }
    TWindowState FormState() const { return formState_; }
    void SetFormState(TWindowState Value) { formState_ = Value; }
    double GridHoriz() const { return gridHoriz_; }
    void SetGridHoriz(double Value) { gridHoriz_ = Value; }
    double GridVert() const { return gridVert_; }
    void SetGridVert(double Value) { gridVert_ = Value; }
    TPen* GridPen() const { return gridPen_.get(); }
    void SetGridPen(const TPen& Value) { gridPen_->Assign(Value); }
    TMarginMethod MarginMethod() const { return marginMethod_; }
    void SetMarginMethod(TMarginMethod Value) { marginMethod_ = Value; }
    double MarginPercent() const { return marginPercent_; }
    void SetMarginPercent(double Value) { marginPercent_ = Value; }
    bool Monochrome() const { return monochrome_; }
    // Refused with a message while ShadowDepth > 0.
    void SetMonochrome(bool Value);
    int PagesWide() const { return pagesWide_; }
    void SetPagesWide(int Value) { pagesWide_ = Value; }
    int PagesHigh() const { return pagesHigh_; }
    void SetPagesHigh(int Value) { pagesHigh_ = Value; }
    int PageInc() const { return pageInc_; }
    void SetPageInc(int Value) { pageInc_ = Value; }
    TRulerType RulerType() const { return rulerType_; }
    void SetRulerType(TRulerType Value) { rulerType_ = Value; }
    int ShadowDepth() const { return shadowDepth_; }
    // Refused with a message while Monochrome.
    void SetShadowDepth(int Value);
    double ZoomFactor() const { return zoomFactor_; }
    // Kept within 10..200.
    void SetZoomFactor(double Value);
    int ZoomInc() const { return zoomInc_; }
    void SetZoomInc(int Value) { zoomInc_ = Value; }

    void InitPreview(TFilePreview* Preview);

private:
    int formWidth_ = 615, formHeight_ = 450;
    TWindowState formState_ = wsNormal;
    double gridHoriz_ = 0, gridVert_ = 0;
    std::unique_ptr<TPen> gridPen_;
    TMarginMethod marginMethod_ = mmFixed;
    double marginPercent_ = 0;
    bool monochrome_ = false;
    int pagesWide_ = 1, pagesHigh_ = 1;
    int pageInc_ = 1;
    TRulerType rulerType_ = TRulerType::rtNone;
    int shadowDepth_ = 0;
    double zoomFactor_ = 100;
    int zoomInc_ = 10;
};

// Options of the report stream; Execute sets Stream for smMemory.
class TSystemFiler : public TPersistent, public TReportStreamOptions {
public:
    TSystemFiler();
    ~TSystemFiler() override;

    TAccuracyMethod AccuracyMethod() const { return accuracyMethod_; }
    void SetAccuracyMethod(TAccuracyMethod Value) { accuracyMethod_ = Value; }
    const std::string& StatusFormat() const { return statusFormat_; }
    void SetStatusFormat(const std::string& Value) { statusFormat_ = throughMessageHook(Value); }
    TStrings* StatusText() const { return statusText_.get(); }
    void SetStatusText(const TStrings* Value);
    bool NoFormatCodes() const { return noFormatCodes_; }
    void SetNoFormatCodes(bool Value) { noFormatCodes_ = Value; }

    // The stream options into a filer, a player or a preview; smMemory is
    // handed on as smUser with Stream.
    void InitFiler(TBaseReport* Report);

private:
    TAccuracyMethod accuracyMethod_ = amPositioning;
    std::string statusFormat_;
    std::unique_ptr<TStrings> statusText_;
    bool noFormatCodes_ = false;
};

class TReportSystem : public TRSBaseComponent, public TReportEvents {
public:
    explicit TReportSystem(TComponent* AOwner);
    ~TReportSystem() override;

    // ---- published properties
    const std::string& TitleSetup() const { return titleSetup_; }
    void SetTitleSetup(const std::string& Value) { titleSetup_ = throughMessageHook(Value); }
    const std::string& TitleStatus() const { return titleStatus_; }
    void SetTitleStatus(const std::string& Value) { titleStatus_ = throughMessageHook(Value); }
    const std::string& TitlePreview() const { return titlePreview_; }
    void SetTitlePreview(const std::string& Value) { titlePreview_ = throughMessageHook(Value); }
    TSystemSetups SystemSetups() const { return systemSetups_; }
    void SetSystemSetups(TSystemSetups Value) { systemSetups_ = Value; }
    TSystemOptions SystemOptions() const { return systemOptions_; }
    void SetSystemOptions(TSystemOptions Value) { systemOptions_ = Value; }
    TReportDest DefaultDest() const { return defaultDest_; }
    void SetDefaultDest(TReportDest Value) { defaultDest_ = Value; }
    TSystemFiler* SystemFiler() const { return systemFiler_.get(); }
    TSystemPreview* SystemPreview() const { return systemPreview_.get(); }
    TSystemPrinter* SystemPrinter() const { return systemPrinter_.get(); }

    // Handed, with the report events, to the report that runs; Sender is
    // that report.
    TDecodeImageEvent OnDecodeImage;
    // Sender: the preview component, before and when the preview window shows.
    TNotifyEvent OnPreviewSetup;
    TNotifyEvent OnPreviewShow;
    // Empty when needed: filled with the built-in window's handler.
    TReportSystemEvent OverrideSetup;
    TReportSystemEvent OverrideStatus;
    TReportSystemEvent OverridePreview;

    // ---- the run's state
    // The report running now (filer, player or direct report); nullptr idle.
    TBaseReport* BaseReport() const { return baseReport_; }
    bool Aborted() const { return aborted_; }
    void SetAborted(bool Value) { aborted_ = Value; }
    TReportDest ReportDest() const { return reportDest_; }
    void SetReportDest(TReportDest Value) { reportDest_ = Value; }
    const std::string& OutputFileName() const { return outputFileName_; }
    void SetOutputFileName(const std::string& Value) { outputFileName_ = Value; }
    // The caption the prints of this runner are named from (the PDF
    // printer's files); "" stands for the caption of the form that owns it.
    void setPrintCaption(const std::string& Value) { printCaption_ = Value; }
    std::string jobCaption() const;
    bool RepeatCopies() const { return repeatCopies_; }
    TLabel* RunStatusLabel() const { return runStatusLabel_; }
    TStrings* MacroData() const { return macroData_.get(); }

    // Runs the report; the caller reads Aborted afterwards.
    void Execute();
    // The report events of this runner into Report.
    void InitEvents(TBaseReport* Report);

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    // The built-in setup, status and preview windows.
    virtual void setupWindow(TReportSystem* ReportSystem, TOverrideMode Mode, TForm*& Form);
    virtual void statusWindow(TReportSystem* ReportSystem, TOverrideMode Mode, TForm*& Form);
    virtual void previewWindow(TReportSystem* ReportSystem, TOverrideMode Mode, TForm*& Form);

private:
    void callStatus(TOverrideMode Mode);
    void generate();
    void print(bool FilerPath);
    void preview();
    using BuiltInWindow = void (TReportSystem::*)(TReportSystem*, TOverrideMode, TForm*&);
    void showWindow(TReportSystemEvent& Override, BuiltInWindow BuiltIn);
    void eraseTempFile();

    std::string titleSetup_, titleStatus_, titlePreview_;
    TSystemSetups systemSetups_;
    TSystemOptions systemOptions_;
    TReportDest defaultDest_ = rdPreview;
    std::unique_ptr<TSystemFiler> systemFiler_;
    std::unique_ptr<TSystemPreview> systemPreview_;
    std::unique_ptr<TSystemPrinter> systemPrinter_;

    TBaseReport* baseReport_ = nullptr;
    bool aborted_ = false;
    TReportDest reportDest_ = rdPreview;
    std::string outputFileName_;
    std::string printCaption_;
    bool repeatCopies_ = false;
    TLabel* runStatusLabel_ = nullptr;
    std::unique_ptr<TStrings> macroData_;
    TForm* statusForm_ = nullptr;
    bool running_ = false;
};

// Asked by the report data link before it goes on; true while no hook is
// assigned (nothing in the program assigns one).
using TReportSystemHook = std::function<bool()>;
extern TReportSystemHook ReportSystemHook;
bool reportSystemHookAnswer();
