#pragma once
// TBaseReport: the device-independent drawing and text interface of the
// report engine, through which every printed page of the program is drawn.
//
// All lengths are held in inches from the paper's top-left corner; every
// public length is in the report's Units and converted on the way in and
// out. Device coordinates are rounded once, at the conversion. The class
// holds the page geometry, sections, lines and columns; the font state and
// the text operations; tab stops, boxes and shading; pens, the merging of
// straight lines, page control and the status text. Descendants (the stream
// writer and the canvas report) implement the abstract drawing operations
// and Start/Finish, following the run order given at Execute.
//
// Output operations outside a run raise "Invalid method call.  DazedeVedodev
// is not printing."; after Abort they end the run's body silently (EAbort).
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/DateTime.h"
#include "reporting/RSDefine.h"
#include "reporting/ReportDevice.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

class TLabel;
class TGraphic;
class TBaseMemoBuf;

// The value of a box-line width or shade that is not given.
constexpr int NA = -32768;

// Box lines of SetTab, added together.
constexpr std::uint8_t BOXLINELEFT = 1;
constexpr std::uint8_t BOXLINERIGHT = 2;
constexpr std::uint8_t BOXLINETOP = 4;
constexpr std::uint8_t BOXLINEBOTTOM = 8;
constexpr std::uint8_t BOXLINEALL = 15;
constexpr std::uint8_t BOXLINENONE = 0;

// What Destination answers.
constexpr std::uint8_t DestPrinter = 0;
constexpr std::uint8_t DestPreview = 1;
constexpr std::uint8_t DestStream = 2;

// The page-event lists of AddReportEvent.
constexpr int ReportEventPageBegin = 0;
constexpr int ReportEventPageEnd = 1;

// FontAlign values: where text sits on the print position.
constexpr std::uint8_t FontAlignBaseline = 0;
constexpr std::uint8_t FontAlignTop = 1;
constexpr std::uint8_t FontAlignBottom = 2;

// Device fonts of super- and subscript text are this part of the height.
constexpr double ScriptHeightFactor = 3000.0 / 5001.0;

// The report's font state; the current one, the font stack, the saved places
// and the font cache share it. Lengths in inches.
struct TFontState {
    std::string Name = "Arial";  // at most 63 bytes
    TColor Color = clBlack;
    TFontPitch Pitch = fpDefault;
    double Size = 10;  // points
    double Height = 10.0 / 72.0;
    double Width = 0;  // 0: the face's own width
    double Ascent = 10.0 / 72.0 * 0.5;
    double Descent = 10.0 / 72.0 * 0.5;
    double TopOffset = 0;  // internal leading
    bool Bold = false;
    bool Underline = false;
    bool Italic = false;
    bool Strikeout = false;
    bool Superscript = false;
    bool Subscript = false;
    std::int16_t Rotation = 0;  // degrees, anticlockwise
    std::uint8_t Align = FontAlignBaseline;
    TFontCharset CharSet = DEFAULT_CHARSET;
};

// One tab stop. Lengths in inches; Pos is the stop's left edge in column 1.
struct TTab {
    double Pos = 0;
    TPrintJustify Justify = pjLeft;
    double Width = 0;  // 0: no box
    double Margin = 0;
    bool LeftLine = false;
    bool RightLine = false;
    bool TopLine = false;
    bool BottomLine = false;
    std::uint8_t Shade = 0;
};

// A list of stops that the report and the tab stack may hold together.
using TTabList = std::vector<TTab>;

// A method of the page-begin or page-end list. Two entries are the same
// method when Object and Name are equal.
struct TReportEventMethod {
    const void* Object = nullptr;
    std::string Name;
    std::function<void(class TBaseReport* Report)> Call;
};

// The caption of the nearest form among Component's owners ("" for none).
std::string captionOfOwningForm(const TComponent* Component);

// The events of a report run. A report has them; a runner has them too and
// hands them to the report it runs.
struct TReportEvents {
    TNotifyEvent OnPrint;
    TPrintPageEvent OnPrintPage;
    TNotifyEvent OnBeforePrint;
    TNotifyEvent OnAfterPrint;
    TNotifyEvent OnNewPage;
    TNotifyEvent OnNewColumn;
    TNotifyEvent OnPrintHeader;
    TNotifyEvent OnPrintFooter;
    TNotifyEvent OnEndOfSection;
};

class TBaseReport : public TRSBaseComponent, public TReportEvents {
public:
    explicit TBaseReport(TComponent* AOwner);
    ~TBaseReport() override;

    void AssignTo(TPersistent* Dest) const override;

    // ---- the printer device (default: the process-wide printer device)
    TReportDevice* Device() const { return device_ ? device_ : defaultReportDevice(); }
    // REQUIRES: not printing. Refreshes the geometry and margins.
    void SetDevice(TReportDevice* Value);
    bool NoPrinters() const;

    // ---- published properties, in their order
    int FirstPage() const { return firstPage_; }
    void SetFirstPage(int Value) { firstPage_ = Value; }
    int LastPage() const { return lastPage_; }
    void SetLastPage(int Value) { lastPage_ = Value; }
    TLabel* StatusLabel() const { return statusLabel_; }
    void SetStatusLabel(TLabel* Value);
    const std::string& StatusFormat() const { return statusFormat_; }
    void SetStatusFormat(const std::string& Value) { statusFormat_ = Value; }
    TStrings* StatusText() const { return statusText_.get(); }
    void SetStatusText(const TStrings* Value);
    TLineHeightMethod LineHeightMethod() const { return lineHeightMethod_; }
    void SetLineHeightMethod(TLineHeightMethod Value) { lineHeightMethod_ = Value; }
    int LinesPerInch() const { return linesPerInch_; }
    // Values <= 0 are ignored.
    void SetLinesPerInch(int Value);
    TPrintUnits Units() const { return units_; }
    // Stored lengths are not converted: they read back in the new unit.
    void SetUnits(TPrintUnits Value);
    double UnitsFactor() const { return unitsFactor_; }
    // Values <= 0 are ignored.
    void SetUnitsFactor(double Value);
    double MarginLeft() const { return marginLeft_; }
    void SetMarginLeft(double Value);
    double MarginRight() const { return marginRight_; }
    void SetMarginRight(double Value);
    double MarginTop() const { return marginTop_; }
    void SetMarginTop(double Value);
    double MarginBottom() const { return marginBottom_; }
    void SetMarginBottom(double Value);
    int TabShade() const { return tabShade_; }
    // Clamped to 0..100.
    void SetTabShade(int Value);
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& Value) { title_ = Value; }
    int Copies() const { return copies_; }
    void SetCopies(int Value);
    TOrientation Orientation() const { return orientation_; }
    virtual void SetOrientation(TOrientation Value);
    TBKMode TextBKMode() const { return textBKMode_; }
    virtual void SetTextBKMode(TBKMode Value) { textBKMode_ = Value; }
    double ScaleX() const { return scaleX_; }
    // Percent; values <= 0 are ignored.
    virtual void SetScaleX(double Value);
    double ScaleY() const { return scaleY_; }
    virtual void SetScaleY(double Value);

    // ---- event dispatchers: each calls its event with this report as Sender
    virtual void DoPrint();
    // OnPrintPage with CurrentPage by reference; false without a handler.
    virtual bool DoPrintPage();
    virtual void DoBeforePrint();
    virtual void DoAfterPrint();
    virtual void DoNewPage();
    virtual void DoNewColumn();
    virtual void DoPrintHeader();
    virtual void DoPrintFooter();
    virtual void DoEndOfSection();

    // ---- the canvas font (fonts and text)
    // Takes changes made directly to the canvas font into the font state.
    virtual void FontChanged(TObject* Sender);
    // Puts FontChanged in place of the canvas font's change handler, which
    // FontChanged calls first; UnhookFont puts the handler back.
    virtual void HookFont();
    virtual void UnhookFont();

    // 0 printer, 1 preview, 2 stream writer.
    virtual std::uint8_t Destination() { return DestPrinter; }

    // ---- abstract text output, X and Width in inches
    virtual void PrintCenterInch(const std::string& Text, double X) = 0;
    virtual void PrintLeftInch(const std::string& Text, double X) = 0;
    virtual void PrintRightInch(const std::string& Text, double X) = 0;
    virtual void PrintBlockInch(const std::string& Text, double X, double Width) = 0;

    // The device's canvas; "Error!  Canvas not yet active." without one.
    virtual TCanvas* GetCanvas();
    virtual void SetFrameMode(std::uint8_t Mode) { frameMode_ = Mode; }
    std::uint8_t FrameMode() const { return frameMode_; }
    virtual void SetBKColor(TColor Color);
    TColor GetBKColor();

    // A plain filled rectangle for tab boxes and shading (units).
    virtual void TabRectangle(double X1, double Y1, double X2, double Y2) = 0;
    // Device pixels of the text in the canvas's current font; 0 x 0 when empty.
    virtual TSize GetTextExtent(const std::string& Text);

    // ---- abstract drawing operations (units)
    virtual void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) = 0;
    virtual void BrushCopy(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap, double SX1, double SY1,
                           double SX2, double SY2, TColor Color) = 0;
    virtual void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) = 0;
    virtual void CopyRect(double X1, double Y1, double X2, double Y2, TCanvas* Canvas, double SX1, double SY1,
                          double SX2, double SY2) = 0;
    virtual void Draw(double X, double Y, TGraphic* Graphic) = 0;
    virtual void DrawFocusRect(double X1, double Y1, double X2, double Y2) = 0;
    virtual void Ellipse(double X1, double Y1, double X2, double Y2) = 0;
    virtual void FillRect(double X1, double Y1, double X2, double Y2) = 0;
    virtual void FloodFill(double X, double Y, TColor Color, TFillStyle Style) = 0;
    virtual void FrameRect(double X1, double Y1, double X2, double Y2) = 0;
    // Descendants call CheckLine first and draw only when it returns false.
    virtual void LineTo(double X, double Y) = 0;
    // Descendants store the point with setPenPosition.
    virtual void MoveTo(double X, double Y) = 0;
    virtual void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) = 0;
    virtual void Polygon(const std::vector<std::pair<double, double>>& Points) = 0;
    virtual void Polyline(const std::vector<std::pair<double, double>>& Points) = 0;
    virtual void PrintBitmap(double X, double Y, double ScaleX, double ScaleY, TBitmap* Bitmap) = 0;
    virtual void PrintBitmapRect(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap) = 0;
    virtual void PrintImageRect(double X1, double Y1, double X2, double Y2, TStream* ImageStream,
                                const std::string& ImageType) = 0;
    virtual void Rectangle(double X1, double Y1, double X2, double Y2) = 0;
    virtual void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) = 0;
    virtual void StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) = 0;
    virtual void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) = 0;
    // Bytes passed to the printer unchanged.
    virtual void PrintData(const std::string& Value) = 0;
    virtual void PrintDataStream(TStream* Stream, std::int64_t BufSize) = 0;

    // ---- destination filter
    virtual void AllowPreviewOnly();
    virtual void AllowPrinterOnly();
    virtual void AllowAll();
    // The page is skipped, or output is not meant for this Destination.
    bool OutputSuppressed();
    // Output of a layout that is only being tried is suppressed as a skipped
    // page's is; returns the state to put back when the trial ends.
    bool SuppressPageOutput(bool Value) {
        const bool was = pageSkipped_;
        pageSkipped_ = Value;
        return was;
    }

    // Graphic reuse of the stream writer; nothing in the base.
    virtual void UnregisterGraphic(int /*Index*/) {}
    virtual void RegisterGraphic(int /*Index*/) {}
    virtual void ReuseGraphic(int /*Index*/) {}

    // ---- the run
    virtual void Start() = 0;
    virtual void Finish() = 0;
    // Start; OnPrint, else the OnPrintPage loop (NewPage between pages);
    // Finish, also when the body raises.
    virtual void Execute();
    // The base part of a page change; descendants call it within their own.
    virtual void NewPage();
    // Called after every line advance; nothing in the base.
    virtual void LineFeed() {}
    // Drops the rest of the current page; its number is used again.
    virtual void AbortPage();
    // Ends the run: the next output call ends the body silently.
    void Abort();
    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int CurrentPage() const { return currentPage_; }
    bool PageSelected(int PageNum) const;
    const std::string& PageSelection() const { return pageSelection_; }
    void SetPageSelection(const std::string& Value) { pageSelection_ = Value; }

    virtual bool SelectBin(const std::string& Name);
    virtual void UpdateLineHeight();
    // Moves to the next tab stop and draws its box; each argument may be NA.
    virtual void Tab(int LeftWidth = NA, int RightWidth = NA, int TopWidth = NA, int BottomWidth = NA,
                     int ShadeOverride = NA);
    // Width of a text in units.
    virtual double TextWidth(const std::string& Text);
    // Device pixels of a text without runs in the current font, at least 1.
    int textPixels(const std::string& Text);
    // The text in the next tab stop, shortened to fit a boxed stop.
    virtual void PrintTab(const std::string& Text);
    virtual std::string NamedValueToken(const std::string& Name);
    virtual void SetNamedValue(const std::string& Name, const std::string& Value);
    virtual std::string NamedValue(const std::string& Name);
    virtual void SetBrush(TColor Color, TBrushStyle Style, TBitmap* Bitmap);
    // Size in points; a Size <= 0 changes nothing.
    virtual void SetFont(const std::string& Name, double Size);
    // Width: >= 0 device pixels; -1..-10000 hundredths of an inch; below
    // -10000 (-Width - 10000) ten-thousandths of an inch.
    virtual void SetPen(TColor Color, TPenStyle Style, int Width, TPenMode Mode);

    // ---- units and conversions
    double unitsToInch(double Value) const { return Value / unitsFactor_; }
    double inchToUnits(double Value) const { return Value * unitsFactor_; }
    int xInchToDevice(double X) const;
    int yInchToDevice(double Y) const;
    int xUnitsToDevice(double X) const { return xInchToDevice(unitsToInch(X)); }
    int yUnitsToDevice(double Y) const { return yInchToDevice(unitsToInch(Y)); }
    double xDeviceToInch(int X) const;
    double yDeviceToInch(int Y) const;
    double xDeviceToUnits(int X) const { return inchToUnits(xDeviceToInch(X)); }
    double yDeviceToUnits(int Y) const { return inchToUnits(yDeviceToInch(Y)); }
    TRect CreateRect(double X1, double Y1, double X2, double Y2) const;
    int XDPI() const { return xdpi_; }
    int YDPI() const { return ydpi_; }
    double ZoomFactor() const { return zoomFactor_; }
    // Percent; values <= 0 are ignored.
    void SetZoomFactor(double Value);

    // ---- page and section (units)
    double PageWidth();
    double PageHeight();
    double LeftWaste() const { return inchToUnits(leftWaste_); }
    double RightWaste() const { return inchToUnits(rightWaste_); }
    double TopWaste() const { return inchToUnits(topWaste_); }
    double BottomWaste() const { return inchToUnits(bottomWaste_); }
    double GetMarginLeft() const { return MarginLeft(); }
    double GetMarginTop() const { return MarginTop(); }
    double SectionLeft() const { return inchToUnits(sectionLeft_); }
    void SetSectionLeft(double Value);
    double SectionRight() const { return inchToUnits(sectionRight_); }
    void SetSectionRight(double Value);
    double SectionTop() const { return inchToUnits(sectionTop_); }
    void SetSectionTop(double Value);
    double SectionBottom() const { return inchToUnits(sectionBottom_); }
    void SetSectionBottom(double Value);
    void ResetSection();

    // ---- print position (units); YPos is the baseline of the current line
    double XPos() const { return inchToUnits(xPos_); }
    void SetXPos(double Value) { xPos_ = unitsToInch(Value); }
    double YPos() const { return inchToUnits(yPos_); }
    double GetYPos() const { return YPos(); }
    void SetYPos(double Value);
    void GotoXY(double X, double Y);
    double OriginX() const { return inchToUnits(originX_); }
    void SetOriginX(double Value) { originX_ = unitsToInch(Value); }
    double OriginY() const { return inchToUnits(originY_); }
    void SetOriginY(double Value) { originY_ = unitsToInch(Value); }
    int LineNum() const { return lineNum_; }
    void SetLineNum(int Value);
    int ColumnNum() const { return columnNum_; }
    void SetColumnNum(int Value);
    int Columns() const { return columns_; }
    double ColumnWidth() const { return inchToUnits(columnWidth_); }
    double ColumnBetween() const { return inchToUnits(columnBetween_); }
    void Home();
    void CarriageReturn();
    // The next line: to line 1 of the next column from the last line of a
    // column, else down one line; OnEndOfSection when the new line's bottom
    // reaches the section bottom. Never changes the page itself.
    void NewLine();
    void NextLine() { NewLine(); }
    int LinesLeft() const;
    double LineHeight() const { return inchToUnits(lineHeight_); }
    double FontDescent() const { return inchToUnits(descent_); }
    double FontTop() const { return inchToUnits(yPos_ - ascent_); }
    void SetFontTop(double Value);
    double FontBaseline() const { return YPos(); }
    void SetFontBaseline(double Value) { SetYPos(Value); }
    double FontBottom() const { return inchToUnits(yPos_ + descent_); }
    void SetFontBottom(double Value);
    double LineBottom() const { return FontBottom(); }
    void SetLineBottom(double Value) { SetFontBottom(Value); }
    double LineTop() const { return inchToUnits(yPos_ + descent_ - lineHeight_); }
    void SetLineTop(double Value);
    // Keeps the top of the line and moves the baseline to suit the font.
    void AdjustLine();
    bool PushPos();
    bool PopPos();

    // ---- printer settings (through the device)
    // "Preview", "Preview" and "Screen" in the preview; "Preview Only",
    // "Preview Only" and "Preview" while a stream is recorded without printers.
    std::string DeviceName();
    std::string DriverName();
    std::string Port();
    // Width and Height in units.
    bool SetPaperSize(int Size, double Width, double Height);
    int MaxCopies();
    int Duplex();
    void SetDuplex(int Value);
    bool Collate();
    void SetCollate(bool Value);
    int PrintQuality();
    void SetPrintQuality(int Value);
    bool SelectPrinter(const std::string& Name);
    const std::string& OutputFileName() const { return outputFileName_; }
    void SetOutputFileName(const std::string& Value);
    // The caption of the window the report is printed from; it names the
    // file the PDF printer writes. "" stands for the caption of the form
    // that owns the report.
    const std::string& printCaption() const { return printCaption_; }
    void setPrintCaption(const std::string& Value) { printCaption_ = Value; }
    // printCaption, or the caption of the owning form.
    std::string jobCaption() const;
    const TDevMode* DevMode();

    // ---- font properties
    const std::string& FontName() const { return font_.Name; }
    void SetFontName(const std::string& Value);
    TColor FontColor() const { return font_.Color; }
    void SetFontColor(TColor Value);
    TFontPitch FontPitch() const { return font_.Pitch; }
    void SetFontPitch(TFontPitch Value);
    TFontCharset FontCharSet() const { return font_.CharSet; }
    void SetFontCharSet(TFontCharset Value);
    double FontSize() const { return font_.Size; }
    void SetFontSize(double Value);
    double FontHeight() const { return inchToUnits(font_.Height); }
    void SetFontHeight(double Value);
    bool Bold() const { return font_.Bold; }
    void SetBold(bool Value);
    bool Underline() const { return font_.Underline; }
    void SetUnderline(bool Value);
    bool Italic() const { return font_.Italic; }
    void SetItalic(bool Value);
    bool Strikeout() const { return font_.Strikeout; }
    void SetStrikeout(bool Value);
    bool Superscript() const { return font_.Superscript; }
    void SetSuperscript(bool Value);
    bool Subscript() const { return font_.Subscript; }
    void SetSubscript(bool Value);
    int FontRotation() const { return font_.Rotation; }
    void SetFontRotation(int Value);
    std::uint8_t FontAlign() const { return font_.Align; }
    void SetFontAlign(std::uint8_t Value) { font_.Align = Value; }
    double FontWidth() const { return inchToUnits(font_.Width); }

    void AssignFont(const TFont* Font);
    TFontState GetFontState() const { return font_; }
    void SetFontState(const TFontState& State);
    bool PushFont();
    bool PopFont();
    // N in 1..10.
    bool SaveFont(int N);
    bool RestoreFont(int N);
    // Deletes every realised font; descendants call it at the end of a run.
    void FreeFontCache();

    // ---- text output (positions in units unless named Inch)
    void PrintJustify(const std::string& Text, TPrintJustify Justify, double X, double Margin, double Width);
    void PrintCenter(const std::string& Text, double X);
    void PrintLeft(const std::string& Text, double X);
    void PrintRight(const std::string& Text, double X);
    void PrintXY(double X, double Y, const std::string& Text);
    void PrintTabbedText(const std::string& Text);
    void PrintLn(const std::string& Text);
    void Print(const std::string& Text) { PrintTabbedText(Text); }
    // Moves the print position past a text of Width units, along the rotation.
    void AdvancePos(double Width);
    double TabSpacing() const { return tabSpacing_; }
    void SetTabSpacing(double Value) { tabSpacing_ = Value; }
    // Set: text prints as it stands, embedded format codes included.
    bool NoFormatCodes() const { return noFormatCodes_; }
    void SetNoFormatCodes(bool Value) { noFormatCodes_ = Value; }

    // ---- memo text (MemoBuf.h)
    // The lines the buffer still holds, measured with this report.
    int MemoLines(TBaseMemoBuf* MemoBuf);
    // Prints Lines lines of the buffer (0: all that remain) from the
    // current line; printed lines leave the buffer.
    virtual void PrintMemo(TBaseMemoBuf* MemoBuf, int Lines, bool PrintTabs);

    // ---- macros and named values
    // The text of macro ID now, or its token when the stream writer records.
    std::string Macro(int ID);
    // Replaces macro and named-value tokens until none is left.
    void ExpandMacros(std::string& Text);
    TStrings* MacroData() const { return macroData_.get(); }
    void SetMacroData(const TStrings* Value);
    int TotalPages() const { return totalPages_; }
    void SetTotalPages(int Value) { totalPages_ = Value; }
    int PageNumOffset() const { return pageNumOffset_; }
    void SetPageNumOffset(int Value) { pageNumOffset_ = Value; }

    // ---- tabs and columns
    // Pos and Width in units, a negative Pos following the previous stop;
    // Margin in hundredths of an inch.
    void SetTab(double Pos, TPrintJustify Justify, double Width, double Margin, std::uint8_t BoxLines,
                std::uint8_t Shade);
    void ClearTabs();
    // N = 0: the current stop; N >= 1: the N-th stop; nullptr when none.
    const TTab* GetTab(int N) const;
    // The width inside the margins of GetTab(N), in units; 0 when none.
    double TabWidth(int N) const;
    bool PushTabs();
    bool PopTabs();
    bool RestoreTabs(int N);
    void SetColumns(int Count, double Between);
    void ClearColumns();

    // ---- pens, brushes and lines
    // Called by a descendant's LineTo with its end point: true when the line
    // went to the merge lists, false when it is to be drawn at once.
    bool CheckLine(double X, double Y);
    // Draws the merged lines of the page (on the page-end list).
    void FlushLines();
    void DiscardLines();
    bool DirectLines() const { return directLines_; }
    void SetDirectLines(bool Value) { directLines_ = Value; }
    std::uint8_t ImageMode() const { return imageMode_; }
    void SetImageMode(std::uint8_t Value) { imageMode_ = Value; }

    // ---- page events and status
    void AddReportEvent(int Kind, TReportEventMethod Method);
    void RemoveReportEvent(int Kind, const TReportEventMethod& Method);
    void CallReportEvents(int Kind);
    void FormatStatusText();
    // StatusFormat with its codes replaced.
    std::string StatusFormatText() const;
    int CurrentCopy() const { return currentCopy_; }
    void SetCurrentCopy(int Value) { currentCopy_ = Value; }
    int TotalCopies() const { return totalCopies_; }
    void SetTotalCopies(int Value) { totalCopies_ = Value; }

    // Resets pen, brush, origin, columns, tabs and section; descendants'
    // Start calls it.
    void ResetPrintState();

protected:
    // Raises unless a run is under way and not aborted.
    void outputGuard() const;
    // Raises while a run is under way.
    void idleGuard() const;
    void pageGeometryRefresh();
    void marginRefresh();
    void setPrinting(bool Value) { printing_ = Value; }
    void setAborted(bool Value) { aborted_ = Value; }
    void setCurrentPage(int Value) { currentPage_ = Value; }
    void setPageSkipped(bool Value) { pageSkipped_ = Value; }
    bool pageSkipped() const { return pageSkipped_; }
    void setStartDateTime(TDateTime Value) { startDateTime_ = Value; }
    TDateTime startDateTime() const { return startDateTime_; }
    void setDeviceOffset(int X, int Y) { deviceOffsetX_ = X; deviceOffsetY_ = Y; }
    void setResolution(int X, int Y) { xdpi_ = X; ydpi_ = Y; }
    // MoveTo stores its point (units) here, the origin added.
    void setPenPosition(double X, double Y);
    // Realises the state's font on the canvas (from the cache when it was
    // made before) and sets the text colour; releaseFont undoes the selection.
    void selectFont();
    void releaseFont();
    // The realised font of the state; nullptr before the first selectFont.
    HFONT currentFont() const { return currentFont_; }
    void resetTabState();
    // Execute after Start: OnPrint, else the OnPrintPage loop; Finish, also
    // when the body raises.
    void runPrintEvents();
    // Finish's first step: the last page's footer and page-end events,
    // unless the run was aborted. An abort raised in them is dropped;
    // another failure is handed back, to be raised once the run is closed.
    std::exception_ptr endLastPage();
    // Finish's last step: pending lines, font cache and font hook dropped,
    // CloseOutput (the output's own end), then printing is over and
    // OnAfterPrint runs when it was on.
    void closeRun(const std::function<void()>& CloseOutput);

private:
    bool recordingWithoutPrinters();
    struct FontCacheEntry {
        TFontState State;
        HFONT Handle;
    };
    struct LineSegment {
        double Lo, Hi, Pos;
        TColor Color;
        TPenMode Mode;
        TPenStyle Style;
        int Width;
    };
    using LineList = std::list<LineSegment>;

    double pageWidthInches();
    double pageHeightInches();
    void lineFeedStep();
    double columnLeft() const { return sectionLeft_ + (columnNum_ - 1) * columnWidth_; }
    void setMarginEdges();
    // A margin (units) with its edge (inches, from the page's left or top),
    // which becomes the section's edge.
    void setMargin(double& Margin, double& Edge, double Value, double EdgeInch,
                   void (TBaseReport::*SetSection)(double));
    // A section edge from units; the print position is kept inside it.
    void setSectionEdge(double& Edge, double Value, double& Pos, bool FarEdge);
    void updateFont();  // font properties end here
    TFont* canvasFont() { return GetCanvas()->Font(); }
    int canvasHeightFor(double inches) const;
    bool fontMatches(const TFontState& cached) const;
    void printLeftWithTabs(const std::string& Text, double X, double Margin);
    void printTabPiece(const std::string& Text);
    void releaseTabList();
    int boxPenWidth(int Width) const;
    void drawBoxLine(bool Flag, int Width, const TPen& SavedPen, double X, double Y, double DX, double DY);
    void addSegment(LineList& List, double Lo, double Hi, double Pos);
    void drawSegments(LineList& List, bool Vertical);

    TReportDevice* device_ = nullptr;

    // units and geometry
    TPrintUnits units_ = unInch;
    double unitsFactor_ = 1.0;
    double marginLeft_ = 0, marginRight_ = 0, marginTop_ = 0, marginBottom_ = 0;
    double leftEdge_ = 0, rightEdge_ = 0, topEdge_ = 0, bottomEdge_ = 0;
    double sectionLeft_ = 0, sectionRight_ = 0, sectionTop_ = 0, sectionBottom_ = 0;
    double xPos_ = 0, yPos_ = 0;
    double originX_ = 0, originY_ = 0;
    double scaleX_ = 100, scaleY_ = 100, zoomFactor_ = 100;
    int xdpi_ = 300, ydpi_ = 300;
    double leftWaste_ = 0, rightWaste_ = 0, topWaste_ = 0, bottomWaste_ = 0;
    int deviceOffsetX_ = 0, deviceOffsetY_ = 0;
    double storedPageWidth_ = 8.5, storedPageHeight_ = 11.0;
    int lineNum_ = 1, columnNum_ = 1, columns_ = 1;
    double columnWidth_ = 0, columnBetween_ = 0;
    double lineHeight_ = 0;
    TLineHeightMethod lineHeightMethod_ = lhmLinesPerInch;
    int linesPerInch_ = 6;
    double ascent_ = 0, descent_ = 0, topOffset_ = 0;
    std::vector<std::pair<double, double>> positions_;

    // run and settings
    bool printing_ = false, aborted_ = false, pageSkipped_ = false;
    int copies_ = 1;
    TOrientation orientation_ = TOrientation::poPortrait;
    TBKMode textBKMode_ = bkTransparent;
    std::string title_ = "DazedeVedodev Report";
    int pageNumOffset_ = 0;
    int currentPage_ = 0;
    int firstPage_ = 1, lastPage_ = 9999;
    int totalPages_ = 9999;
    std::string pageSelection_;
    TComponentRef<TLabel> statusLabel_{this};
    std::string statusFormat_;
    std::unique_ptr<TStrings> statusText_;
    int tabShade_ = 0;
    std::string outputFileName_;
    std::string printCaption_;
    TDateTime startDateTime_ = 0;
    int currentCopy_ = 1, totalCopies_ = 1;

    // fonts
    TFontState font_;
    bool fontChanged_ = true;
    bool updateLock_ = false;
    HFONT currentFont_;
    HFONT displacedFont_;
    bool fontSelected_ = false;
    std::list<FontCacheEntry> fontCache_;
    std::vector<TFontState> fontStack_;
    TFontState savedFonts_[10];
    std::function<void(TGraphicsObject*)> savedFontHandler_;
    bool fontHooked_ = false;
    bool inLeftPrint_ = false;
    double tabSpacing_ = 0.5;
    bool noFormatCodes_ = false;
    std::unique_ptr<TStrings> macroData_;

    // tabs
    std::shared_ptr<TTabList> tabs_;
    int currentTab_ = -1;  // index into *tabs_
    bool tabPending_ = false;
    bool tabFresh_ = false;
    std::vector<std::shared_ptr<TTabList>> tabStack_;
    std::shared_ptr<TTabList> savedTabs_[10];

    // pens, lines, destinations, page events
    std::uint8_t frameMode_ = 0;
    std::uint8_t imageMode_ = 0;
    std::uint8_t destinations_ = 0x1F;
    double penX_ = 0, penY_ = 0;
    bool directLines_ = false;
    LineList verticalLines_, horizontalLines_;
    std::vector<TReportEventMethod> pageBeginEvents_, pageEndEvents_;
};

// The drawing operations of TBaseReport as an output kind that implements
// them all declares them (TCanvasReport, TReportFiler).
#define QM_REPORT_DRAWING_OVERRIDES                                                                                  \
    void TabRectangle(double X1, double Y1, double X2, double Y2) override;                                          \
    void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;       \
    void BrushCopy(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap, double SX1, double SY1, double SX2, \
                   double SY2, TColor Color) override;                                                              \
    void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;     \
    void CopyRect(double X1, double Y1, double X2, double Y2, TCanvas* Canvas, double SX1, double SY1, double SX2,  \
                  double SY2) override;                                                                             \
    void Draw(double X, double Y, TGraphic* Graphic) override;                                                       \
    void DrawFocusRect(double X1, double Y1, double X2, double Y2) override;                                         \
    void Ellipse(double X1, double Y1, double X2, double Y2) override;                                               \
    void FillRect(double X1, double Y1, double X2, double Y2) override;                                              \
    void FloodFill(double X, double Y, TColor Color, TFillStyle Style) override;                                     \
    void FrameRect(double X1, double Y1, double X2, double Y2) override;                                             \
    void LineTo(double X, double Y) override;                                                                        \
    void MoveTo(double X, double Y) override;                                                                        \
    void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;       \
    void Polygon(const std::vector<std::pair<double, double>>& Points) override;                                    \
    void Polyline(const std::vector<std::pair<double, double>>& Points) override;                                   \
    void PrintBitmap(double X, double Y, double ScaleX, double ScaleY, TBitmap* Bitmap) override;                    \
    void PrintBitmapRect(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap) override;                      \
    void PrintImageRect(double X1, double Y1, double X2, double Y2, TStream* ImageStream,                           \
                        const std::string& ImageType) override;                                                      \
    void Rectangle(double X1, double Y1, double X2, double Y2) override;                                             \
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override;                       \
    void StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) override;                        \
    void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) override;                          \
    void PrintData(const std::string& Value) override;                                                               \
    void PrintDataStream(TStream* Stream, std::int64_t BufSize) override;
