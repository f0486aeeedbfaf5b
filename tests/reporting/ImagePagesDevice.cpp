#include "ImagePagesDevice.h"

#include <cmath>

ImagePagesDevice::ImagePagesDevice(int dpi, bool takesRawData)
    : dpi_(dpi), takesRawData_(takesRawData), measuring_(capsFor(false)), canvas_(&measuring_) {}

TDeviceCaps ImagePagesDevice::capsFor(bool landscape) const {
    TDeviceCaps caps;
    caps.Technology = DT_RASPRINTER;
    caps.LogPixelsX = caps.LogPixelsY = dpi_;
    const int width = static_cast<int>(std::lround(8.5 * dpi_)), height = static_cast<int>(std::lround(11.0 * dpi_));
    caps.PhysicalWidth = caps.HorzRes = landscape ? height : width;
    caps.PhysicalHeight = caps.VertRes = landscape ? width : height;
    return caps;
}

TDeviceContext* ImagePagesDevice::Handle() { return current_ ? static_cast<TDeviceContext*>(current_) : &measuring_; }

void ImagePagesDevice::SetOrientation(TOrientation value) {
    if (value == TOrientation::poDefault) return;
    landscape_ = value == TOrientation::poLandScape;
    if (!printing_) measuring_.setCaps(capsFor(landscape_));
}

void ImagePagesDevice::BeginDoc() {
    pages_.clear();
    current_ = nullptr;
    printing_ = true;
    aborted_ = false;
}

void ImagePagesDevice::NewPage(bool startNext) {
    if (current_) current_->releasePainter();
    current_ = nullptr;
    measuring_.setCaps(capsFor(landscape_));
    if (startNext) {
        pages_.push_back(std::make_unique<TImageDevice>(capsFor(landscape_)));
        current_ = pages_.back().get();
    }
    canvas_.SetHandle(Handle());
}

void ImagePagesDevice::EndDoc() {
    if (current_) current_->releasePainter();
    current_ = nullptr;
    canvas_.SetHandle(&measuring_);
    printing_ = false;
}

void ImagePagesDevice::Abort() {
    aborted_ = true;
    pages_.clear();
    EndDoc();
}

const QImage& ImagePagesDevice::Page(int index) { return pages_.at(static_cast<std::size_t>(index))->Image(); }
