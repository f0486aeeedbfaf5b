#pragma once
// Test support for the canvas reports: a printer device whose pages are
// images of Letter paper at a given resolution, with no unprintable border
// (as the PDF printer's pages), so a report drawn on it can be compared
// with the same report printed to a PDF file. Orientation changes take
// effect at the next page, as on a printer. It can also take raw printer
// data, recording each piece it is sent.
#include <memory>
#include <string>
#include <vector>

#include "reporting/ReportDevice.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

class ImagePagesDevice : public TReportDevice {
public:
    explicit ImagePagesDevice(int dpi, bool takesRawData = false);

    bool HasPrinters() override { return true; }
    TDeviceContext* Handle() override;
    TCanvas* Canvas() override { return &canvas_; }
    std::string Device() override { return "Image"; }
    std::string Port() override { return "MEMORY:"; }
    void SetOrientation(TOrientation value) override;
    void BeginDoc() override;
    void NewPage(bool startNext) override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() override { return printing_; }
    bool CanPassThrough() override { return takesRawData_; }
    void PassThrough(const std::string& data) override { RawData.push_back(data); }

    // The printed pages, in order.
    int PageCount() const { return static_cast<int>(pages_.size()); }
    const QImage& Page(int index);
    bool Aborted() const { return aborted_; }
    std::vector<std::string> RawData;

private:
    TDeviceCaps capsFor(bool landscape) const;
    int dpi_;
    bool takesRawData_;
    bool landscape_ = false;
    TDeviceContext measuring_;
    std::vector<std::unique_ptr<TImageDevice>> pages_;
    TImageDevice* current_ = nullptr;
    TCanvas canvas_;
    bool printing_ = false;
    bool aborted_ = false;
};
