#include "ui/BackingImage.h"

#include <QImage>
#include <QPainter>

#include <algorithm>

TBackingImage::TBackingImage(int dpi) : dpi_(dpi), canvas_(std::make_unique<TCanvas>()) { SetSize(1, 1); }

TBackingImage::~TBackingImage() {
    canvas_->SetHandle(nullptr);
}

bool TBackingImage::SetSize(int Width, int Height) {
    Width = std::max(Width, 1);
    Height = std::max(Height, 1);
    if (device_ && Width == width_ && Height == height_) return false;
    auto next = std::make_unique<TImageDevice>(Width, Height, dpi_);
    if (device_) {
        // Keep what still fits, so a control that grows shows its old pixels until it repaints.
        QImage old = device_->Image().copy();
        device_->releasePainter();
        next->StretchBlt(TRect{0, 0, std::min(Width, width_), std::min(Height, height_)}, old,
                         TRect{0, 0, std::min(Width, width_), std::min(Height, height_)}, cmSrcCopy);
    }
    canvas_->SetHandle(next.get());
    device_ = std::move(next);
    width_ = Width;
    height_ = Height;
    return true;
}

const QImage& TBackingImage::Image() {
    device_->releasePainter();
    return device_->Image();
}

void TBackingImage::ShowOn(TCanvas* Target) {
    if (!Target || !Target->Handle()) return;
    TRect all{0, 0, width_, height_};
    Target->Handle()->StretchBlt(all, Image(), all, cmSrcCopy);
}
