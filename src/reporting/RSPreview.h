#pragma once
// TFilePreview: a recorded report (RSFiler.h) shown one page at a time in a
// scroll box, at any zoom from 10 to 200 percent, with an optional drop
// shadow, margin, rulers and grid. It is the stream player whose canvas is
// an off-screen page bitmap: the page is painted white with a black
// outline, the rulers and grid around and over it, then the page's records
// are played on top, and the bitmap is shown in an image in the scroll box.
//
// Promises: records meant for the printer only are not drawn, records meant
// for the preview only are; page numbers are kept within 1..PageCount; a
// monochrome page is painted in colour and converted afterwards.
#include <memory>
#include <string>

#include "reporting/RSFPrint.h"

class TImage;
class TScrollBox;

class TFilePreview : public TFilePrinter {
public:
    explicit TFilePreview(TComponent* AOwner);
    ~TFilePreview() override;

    // ---- published properties
    // Where the page image is shown; required by Start.
    TScrollBox* ScrollBox() const { return scrollBox_; }
    void SetScrollBox(TScrollBox* Value);
    int ZoomInc() const { return zoomInc_; }
    void SetZoomInc(int Value) { zoomInc_ = Value; }
    // -2 (or less than -1.9): page width; -1.9..0: whole page; otherwise
    // kept within 10..200. OnZoomChange follows; without a handler an open
    // preview redraws its page.
    void SetZoomFactor(double Value);
    bool Monochrome() const { return monochrome_; }
    // Refused with a message while ShadowDepth > 0.
    void SetMonochrome(bool Value);
    TMarginMethod MarginMethod() const { return marginMethod_; }
    void SetMarginMethod(TMarginMethod Value) { marginMethod_ = Value; }
    double MarginPercent() const { return marginPercent_; }
    void SetMarginPercent(double Value) { marginPercent_ = Value; }
    TRulerType RulerType() const { return rulerType_; }
    void SetRulerType(TRulerType Value) { rulerType_ = Value; }
    TPen* GridPen() { return &gridPen_; }
    // Copies the pen's settings.
    void SetGridPen(const TPen& Value) { gridPen_.Assign(Value); }
    double GridHoriz() const { return gridHoriz_; }
    void SetGridHoriz(double Value) { gridHoriz_ = Value; }
    double GridVert() const { return gridVert_; }
    void SetGridVert(double Value) { gridVert_ = Value; }
    int ShadowDepth() const { return shadowDepth_; }
    // Refused with a message while Monochrome.
    void SetShadowDepth(int Value);
    int PageInc() const { return pageInc_; }
    void SetPageInc(int Value) { pageInc_ = Value; }

    TNotifyEvent OnZoomChange;
    TNotifyEvent OnPageChange;

    std::uint8_t Destination() override { return DestPreview; }
    // The page bitmap's canvas.
    TCanvas* GetCanvas() override;

    // ---- the preview run
    // Opens the stream and shows page 1; nothing when already open.
    void Start() override;
    void Execute() override { Start(); }
    void Finish() override;
    // Shows page PageNum, kept within 1..PageCount; nothing while closed.
    void PlayPage(int PageNum) override;
    void NextPage();
    void PrevPage();
    void RedrawPage();
    void ZoomIn();
    void ZoomOut();
    // The zooms (percent) at which the page's width, or the whole page,
    // fills the scroll box.
    double ZoomPageWidthFactor();
    double ZoomPageFactor();
    // A preview is open (between Start and Finish).
    bool Running() const { return inputOpen() && Printing(); }
    // The picture of the current page, rulers and shadow included; nullptr
    // while closed.
    TBitmap* PageBitmap() const { return pageBitmap_.get(); }
    // The image in the scroll box that shows the page.
    TImage* PageImage() const { return image_; }

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    virtual void DoZoomChange();
    virtual void DoPageChange();

private:
    void measureScrollBox();
    double pagePixelsWide() const;  // P: the page's width in pixels at 100 %
    double pagePixelsHigh() const;
    int marginPixels(double Zoom) const;
    void updateRulerSpace();
    void paintBackground(int Width, int Height);
    void paintRulers(int Width, int Height);
    void paintRuler(bool Horizontal, int Length);
    void paintGrid(int PageRight, int PageBottom);
    void showBitmap(int Margin);

    TComponentRef<TScrollBox> scrollBox_{this};
    int zoomInc_ = 10;
    bool monochrome_ = false;
    TMarginMethod marginMethod_ = mmFixed;
    double marginPercent_ = 0;
    TRulerType rulerType_ = TRulerType::rtNone;
    TPen gridPen_;
    double gridHoriz_ = 0, gridVert_ = 0;
    int shadowDepth_ = 0;
    int pageInc_ = 1;

    std::unique_ptr<TBitmap> pageBitmap_;
    TImage* image_ = nullptr;
    int scrollBarWidth_ = 0, scrollBarHeight_ = 0;
    int borderWidth_ = 0, borderHeight_ = 0;
    int vRulerSpace_ = 0, hRulerSpace_ = 0;
};
