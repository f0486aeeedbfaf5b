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

    // The drawing operations; what is particular to the canvas is said at
    // their definitions.
    QM_REPORT_DRAWING_OVERRIDES

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
