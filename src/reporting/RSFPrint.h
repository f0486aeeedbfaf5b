#pragma once
// TFilePrinter: plays a recorded report stream (RSFiler.h) onto the printer
// device through the canvas report's operations: the whole report, a page
// range, the pages in reverse order ("R" in the page selection) or any one
// page. Strings pass through the macro and named-value expansion; font
// sizes are fitted so that text is no wider than where it was recorded.
//
// The stream is untrusted bytes: every length, link and reference is checked
// against the stream's size before it is used, page links must run forward
// (next) and backward (previous) so a chain cannot loop, and anything out of
// place raises "Unexpected code found in report file." (a bad first byte:
// "Unexpected header code found in report file."), never a crash.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Streams.h"
#include "reporting/RSCanvas.h"
#include "reporting/RSStreamCodes.h"
#include "reporting/RSStreamOptions.h"

class TFilePrinter : public TCanvasReport, public TReportStreamOptions {
public:
    explicit TFilePrinter(TComponent* AOwner);
    ~TFilePrinter() override;

    // Set: the header's bin, collate, duplex and copies are not applied.
    bool KeepPrinterSettings() const { return keepPrinterSettings_; }
    void SetKeepPrinterSettings(bool Value) { keepPrinterSettings_ = Value; }

    // Both print the whole stream.
    void Start() override;
    void Execute() override;
    void Finish() override {}
    // Pages NewFirstPage..NewLastPage (0: from the first / to the last) in
    // NewCopies copies (0: the stream's).
    void ExecuteCustom(int NewFirstPage, int NewLastPage, int NewCopies);
    // The whole stream played Count times in one print job, CurrentCopy
    // counting 1..Count: copies a driver cannot make. Separate jobs would
    // each replace the last in a file destination (the PDF printer).
    void ExecuteCopies(int Count);
    // The header's page count; opens the stream on first use (0 when it
    // cannot be opened).
    int PageCount();
    int StreamVersion() const { return version_; }
    // The paper of the page last reached (the header's before any), inches.
    double FilePageWidth() const { return filePageWidth_; }
    double FilePageHeight() const { return filePageHeight_; }

    // Positions the reader at page PageNum's start; a page past either end
    // of the chain leaves it on the nearest page. False when not reached.
    virtual bool SeekPage(int PageNum);
    // Seeks and plays the page's records up to its end.
    virtual void PlayPage(int PageNum);

    std::string NamedValue(const std::string& Name) override;
    void SetNamedValue(const std::string& Name, const std::string& Value) override;

protected:
    bool openInput();
    void closeInput();
    void readHeader();
    bool inputOpen() const { return open_; }
    // The chain is read again from the first page on the next seek.
    void resetPageLinks();
    // The page the last seek reached (0 before any).
    int seekedPage() const { return curPage_; }
    // Drops the pattern bitmap the last brush record set.
    void releaseBrushBitmap();

private:
    // ---- checked reading
    [[noreturn]] void badRecord();
    void need(std::size_t Count);
    std::uint8_t readByte();
    std::int16_t readWord();
    std::int32_t readLong();
    double readSingle();  // a coordinate: finite and bounded
    std::string readRaw(std::size_t Count);
    std::string readString();
    std::string readText();  // a string, tokens expanded
    std::size_t readPosition();  // a long that is a position inside the stream
    void readRect(double& X1, double& Y1, double& X2, double& Y2);
    std::unique_ptr<TGraphic> readGraphic();
    std::unique_ptr<TBitmap> readBitmap();
    std::string readValueBlock(std::size_t Depth);

    // ---- playing
    // One print job: the page range played Repeats times.
    void runJob(int NewFirstPage, int NewLastPage, int NewCopies, int Repeats);
    void playRecord(std::uint8_t Code);
    void fitFontWidth(double Height, double SampleWidth);
    void readNamedValue();
    void readFontRecord();
    void readBrushBitmap();
    void setPenWidthInches(double Width);

    bool keepPrinterSettings_ = false;

    std::string data_;
    std::size_t pos_ = 0;
    bool open_ = false;
    int version_ = ReportStreamVersion;
    int pageCount_ = 0;
    double filePageWidth_ = 8.5, filePageHeight_ = 11.0;
    std::size_t firstPagePos_ = 0;
    std::size_t prevPagePos_ = 0, curPagePos_ = 0, nextPagePos_ = 0;
    int curPage_ = 0;
    int pendingOrientation_ = 2;
    std::unique_ptr<TBitmap> brushBitmap_;
    std::vector<std::pair<std::string, std::string>> namedValues_;
};
