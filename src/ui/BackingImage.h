#pragma once
// TBackingImage: the picture a custom control keeps of itself, for controls
// that draw outside their paint event (a rich-text window repaints the line
// it just changed, or scrolls its pixels). Its canvas can be drawn on at any
// time; the control's next paint shows it (ShowOn), and region scrolls move
// pixels within it (ScrollDC on its device). The image always has the
// control's client size; a resize keeps the pixels that still fit.
#include <memory>

#include "ui/Devices.h"
#include "ui/Graphics.h"

class TBackingImage {
public:
    // dpi: the pixels per inch the image reports to those who measure on it.
    explicit TBackingImage(int dpi = 96);
    ~TBackingImage();
    TBackingImage(const TBackingImage&) = delete;
    TBackingImage& operator=(const TBackingImage&) = delete;

    // The canvas over the image; valid until the next SetSize that changes the size.
    TCanvas* Canvas() { return canvas_.get(); }
    TDeviceContext* Device() { return device_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Answers true when the size changed (the canvas then stays the same
    // object, drawing on the new image).
    bool SetSize(int Width, int Height);
    // Copies the image onto a paint canvas at (0, 0).
    void ShowOn(TCanvas* Target);
    const QImage& Image();

private:
    int dpi_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<TImageDevice> device_;
    std::unique_ptr<TCanvas> canvas_;
};
