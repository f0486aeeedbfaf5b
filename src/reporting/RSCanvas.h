#pragma once
// TCanvasReport: the report whose output goes straight onto a canvas, the
// printer device's by default (a descendant may return its own from
// GetCanvas). It implements the text and drawing operations of TBaseReport
// with the device layer, converting report units to device pixels once.
//
// Every operation applies the output guard first (outside a run it raises,
// after Abort it ends the run silently) and draws nothing on a suppressed
// page. After any text operation the X print position is at the right end
// of the text (at X for right-aligned text). Text with embedded format
// codes is printed piece by piece, each piece in the font its codes set.
#include <cstdint>
#include <string>

#include "reporting/RSBase.h"

class TCanvasReport : public TBaseReport {
public:
    explicit TCanvasReport(TComponent* AOwner);

    // Turns image data of a type the engine does not know into a bitmap;
    // PrintImageRect draws nothing without it.
    TDecodeImageEvent OnDecodeImage;

    void PrintCenterInch(const std::string& Text, double X) override;
    void PrintLeftInch(const std::string& Text, double X) override;
    void PrintRightInch(const std::string& Text, double X) override;
    // Spreads the words over Width: the gaps are filled with blanks so that
    // underlining and an opaque background run through them. A text
    // without blanks spreads its letters.
    void PrintBlockInch(const std::string& Text, double X, double Width) override;
    // Text on the baseline Y, clipped to Rect (device pixels); the rectangle
    // is filled with the background colour unless the brush is clear.
    void TextRect(const TRect& Rect, double X, double Y, const std::string& Text) override;

    void Arc(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void BrushCopy(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap, double SX1, double SY1, double SX2,
                   double SY2, TColor Color) override;
    void Chord(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void CopyRect(double X1, double Y1, double X2, double Y2, TCanvas* Canvas, double SX1, double SY1, double SX2,
                  double SY2) override;
    void Draw(double X, double Y, TGraphic* Graphic) override;
    void DrawFocusRect(double X1, double Y1, double X2, double Y2) override;
    // Normalised, then set in or out by the pen's width by the frame mode:
    // 0 inside the box, 1 the pen on its edge, 2 outside it.
    void Ellipse(double X1, double Y1, double X2, double Y2) override;
    void FillRect(double X1, double Y1, double X2, double Y2) override;
    void FloodFill(double X, double Y, TColor Color, TFillStyle Style) override;
    void FrameRect(double X1, double Y1, double X2, double Y2) override;
    // Straight lines go to the line merging unless lines are drawn directly.
    void LineTo(double X, double Y) override;
    void MoveTo(double X, double Y) override;
    void Pie(double X1, double Y1, double X2, double Y2, double X3, double Y3, double X4, double Y4) override;
    void Polygon(const std::vector<std::pair<double, double>>& Points) override;
    void Polyline(const std::vector<std::pair<double, double>>& Points) override;
    // The bitmap at (X, Y), ScaleX and ScaleY device pixels per bitmap pixel;
    // copied, or ANDed onto the page when the image mode is set. An empty
    // bitmap draws nothing.
    void PrintBitmap(double X, double Y, double ScaleX, double ScaleY, TBitmap* Bitmap) override;
    void PrintBitmapRect(double X1, double Y1, double X2, double Y2, TBitmap* Bitmap) override;
    void PrintImageRect(double X1, double Y1, double X2, double Y2, TStream* ImageStream,
                        const std::string& ImageType) override;
    void Rectangle(double X1, double Y1, double X2, double Y2) override;
    // X3 and Y3 are the corner sizes.
    void RoundRect(double X1, double Y1, double X2, double Y2, double X3, double Y3) override;
    void StretchDraw(double X1, double Y1, double X2, double Y2, TGraphic* Graphic) override;
    // A filled rectangle one pixel past X2 and Y2, without pen adjustment.
    void TabRectangle(double X1, double Y1, double X2, double Y2) override;
    // Raw bytes go to a device that takes them, in chunks of at most 255
    // (PrintData) or 4,096 bytes (PrintDataStream; BufSize 0 = to the end).
    void PrintData(const std::string& Value) override;
    void PrintDataStream(TStream* Stream, std::int64_t BufSize) override;

    // The base page change, then the device's page (none for a suppressed
    // page), then the device's metrics read again.
    void NewPage() override;

protected:
    // The text at X (inches) with the horizontal alignment TA_LEFT,
    // TA_CENTER or TA_RIGHT, on the line by the vertical font alignment.
    void textOut(const std::string& Text, unsigned Align, double X);
    // Device pixels as inches of the report (scale and zoom taken out).
    double pixelsToInch(double Pixels) const;
    // Reads the device's page metrics again after a page change.
    void devicePageChanged();

private:
    void printCodedLeft(const std::string& Text, double X);
    double measureInch(const std::string& Text);
    void printWord(const std::string& Word, double X, bool RightAligned);
    bool guardDrawing();
    // The rectangle or ellipse corners with the pen set in or out.
    TRect framedRect(double X1, double Y1, double X2, double Y2);
    void stretchBitmap(const TRect& Dest, TBitmap* Bitmap);
    double moveX_ = 0, moveY_ = 0;  // the last pen position, origin added
};
