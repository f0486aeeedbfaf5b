#pragma once
// TReportFiler: the report whose output is recorded, not drawn. Every output
// operation of TBaseReport becomes a record of the report stream
// (RSStreamCodes.h), written through a 16 KB buffer to a memory stream, a
// file, the caller's stream or a temporary file named "RS...". Text and
// fonts are still measured on the printer's information context (a 96-dpi
// screen context without printers), so the recorded layout is the printer's.
//
// Promises: coordinates are stored in inches of the paper with the origin
// and scale applied; brush, font and pen records are written only when they
// change, and all of them again after each page start; pages form a doubly
// linked chain and the header's page count is patched when the run ends.
// After a failed Start nothing is written; AbortPage drops the page's bytes
// and keeps the chain and the count consistent.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "reporting/RSBase.h"
#include "reporting/RSStreamCodes.h"
#include "reporting/RSStreamOptions.h"

class TReportFiler : public TBaseReport, public TReportStreamOptions {
public:
    explicit TReportFiler(TComponent* AOwner);
    ~TReportFiler() override;

    TAccuracyMethod AccuracyMethod() const { return accuracyMethod_; }
    void SetAccuracyMethod(TAccuracyMethod Value) { accuracyMethod_ = Value; }
    // The recorded bytes of the last smMemory run (until the next Start).
    TMemoryStream* MemoryStream() const { return memory_.get(); }

    std::uint8_t Destination() override { return DestStream; }
    TCanvas* GetCanvas() override;
    void FontChanged(TObject* Sender) override;
    void UpdateLineHeight() override;

    void PrintCenterInch(const std::string& Text, double X) override;
    void PrintLeftInch(const std::string& Text, double X) override;
    void PrintRightInch(const std::string& Text, double X) override;
    void PrintBlockInch(const std::string& Text, double X, double Width) override;

    void SetFrameMode(std::uint8_t Mode) override;
    void SetBKColor(TColor Color) override;
    void SetScaleX(double Value) override;
    void SetScaleY(double Value) override;
    void SetTextBKMode(TBKMode Value) override;
    void SetOrientation(TOrientation Value) override;
    bool SelectBin(const std::string& Name) override;

    // The drawing operations, each written as its record.
    QM_REPORT_DRAWING_OVERRIDES

    void AllowPreviewOnly() override;
    void AllowPrinterOnly() override;
    void AllowAll() override;

    // Index 1..10; outside it raises the operation's message.
    void UnregisterGraphic(int Index) override;
    void RegisterGraphic(int Index) override;
    void ReuseGraphic(int Index) override;

    std::string NamedValueToken(const std::string& Name) override;
    void SetNamedValue(const std::string& Name, const std::string& Value) override;

    // Start, the body, Finish; nothing runs after a Start that failed.
    void Execute() override;
    void Start() override;
    void Finish() override;
    void NewPage() override;
    void AbortPage() override;

private:
    struct NamedEntry {
        std::string Name;
        std::int64_t Position;  // negative: a defined value; positive: a pending placeholder
    };
    struct StateCache {
        TColor BrushColor = clBlack;
        TBrushStyle BrushStyle = bsSolid;
        bool BitmapWritten = false;
        TFontState Font;
        TColor PenColor = clBlack;
        TPenMode PenMode = pmCopy;
        TPenStyle PenStyle = psSolid;
        double PenWidth = 0;
        std::uint8_t Restriction = 0;
        std::array<double, 3> Metrics{};  // ascent, descent, line height
    };

    // ---- writing
    bool recording() const;
    bool drawing();  // the output guard passed and the page is written
    void write(const void* Data, std::size_t Count);
    void flush();
    std::int64_t position();  // where the next written byte will lie
    void patch(std::int64_t Position, const void* Data, std::size_t Count);
    void writeByte(std::uint8_t Value) { write(&Value, 1); }
    void writeWord(std::int16_t Value);
    void writeLong(std::int32_t Value);
    void writeSingle(double Value);
    void writeString(const std::string& Value);
    void writeX(double UnitsX);  // units, origin and scale applied
    void writeY(double UnitsY);
    void writePoint(double UnitsX, double UnitsY);
    void writeRect(double X1, double Y1, double X2, double Y2);
    void writeDeviceRect(const TRect& Rect);
    void writeGraphic(const TGraphic* Graphic);
    // Drawing records: the code, then a rectangle, eight coordinates or the points.
    void writeRectRecord(std::uint8_t Code, double X1, double Y1, double X2, double Y2);
    void writeEightSingles(std::uint8_t Code, const std::array<double, 8>& Values);
    void writePoints(std::uint8_t Code, const std::vector<std::pair<double, double>>& Points);
    void textRecord(std::uint8_t Code, const std::string& Text, double X, double Width, bool WithWidth);
    // A state record: Code, then Value written as a Written (a string, a
    // single, a long or a byte), when Value differs from Cached, the
    // stream's, or all state is written again; Cached takes Value. True
    // when written.
    template <class Written, class T>
    bool writeState(std::uint8_t Code, const T& Value, T& Cached);
    void afterDrawing();

    // ---- state records
    void writeBrushState();
    void writeFontState();
    void writePenState();
    void writeRestriction(std::uint8_t Code);

    // ---- run
    bool openStream();
    void closeStream();
    void writeHeader();
    void pageStart();
    void pageEnd(bool IsLastPage);
    void writeValueBlock(std::uint8_t K, const std::string& Data, std::uint8_t Size);
    void hookPenAndBrush();
    void unhookPenAndBrush();
    void slotGuard(int Index, const char* Message) const;
    void endRun();

    TAccuracyMethod accuracyMethod_ = amAppearance;

    std::unique_ptr<TMemoryStream> memory_;
    std::unique_ptr<TStream> file_;
    TStream* output_ = nullptr;
    std::vector<char> buffer_;
    std::size_t bufferCount_ = 0;
    bool noOutput_ = false;
    bool forceState_ = false;
    StateCache cache_;
    std::array<std::int64_t, GraphicSlotCount> slots_{};
    std::int64_t lastGraphicPos_ = 0, reuseGraphicPos_ = 0;
    // The graphic type of the record each position above points at.
    std::array<std::uint8_t, GraphicSlotCount> slotTypes_{};
    std::uint8_t lastGraphicType_ = 0, reuseGraphicType_ = 0;
    std::int64_t pageCountPos_ = 0, pageStartPos_ = 0, previousPageStart_ = 0, nextLinkPos_ = 0;
    double penUnitsX_ = 0, penUnitsY_ = 0;  // the last pen point, origin not added
    int pagesWritten_ = 0, nextPageNumber_ = 0;
    std::vector<NamedEntry> namedValues_;

    std::unique_ptr<TDeviceContext> screen_;  // measuring without printers
    std::unique_ptr<TCanvas> screenCanvas_;
    std::function<void(TGraphicsObject*)> savedBrushHandler_, savedPenHandler_;
    bool penBrushHooked_ = false;

};
