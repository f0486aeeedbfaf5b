#pragma once
// TMetafile: a Windows metafile kept as its bytes, beginning with the
// 22-byte placeable header. It is written back byte for byte and never
// interpreted beyond one thing: when the records hold a bitmap (a StretchDIB
// or DIBStretchBlt record), drawing shows that bitmap; otherwise drawing
// shows the missing-graphic frame. Width and height are in pixels.
#include <memory>
#include <string>

#include "ui/Graphics.h"

class TMetafile : public TGraphic {
public:
    static constexpr int PlaceableHeaderSize = 22;
    static constexpr unsigned PlaceableKey = 0x9AC6CDD7;

    TMetafile();
    ~TMetafile() override;
    void Assign(const TPersistent* Source) override;
    void Assign(const TMetafile& source);

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    void SetWidth(int v);
    void SetHeight(int v);
    bool Empty() const override { return bytes_.empty(); }

    void LoadFromFile(const std::string& fileName) override;
    void SaveToFile(const std::string& fileName) const override;
    // From the stream's position to its end; written at the stream's position.
    void LoadFromStream(TStream* stream);
    void SaveToStream(TStream* stream) const;
    // The bytes as kept; a placeable header's box gives the size.
    void loadFromBytes(const std::string& bytes);
    const std::string& bytes() const { return bytes_; }
    // The records after the placeable header: what RTF's \wmetafile carries.
    std::string windowsMetafileBytes() const;
    // Writes the placeable header over the first 22 bytes (the handle and the
    // reserved field keep theirs): key, box 0, 0, width, height, 2540 units
    // per inch, checksum of the first ten words. Fewer bytes: nothing.
    static void writePlaceableHeader(std::string& bytes, int width, int height);

    // The bitmap of the first bitmap record, nil when there is none.
    const TBitmap* recordBitmap() const;
    void Draw(TCanvas* canvas, const TRect& r) override;
    QImage toImage() const override;

private:
    void findBitmapRecord();

    std::string bytes_;
    int width_ = 0;
    int height_ = 0;
    std::unique_ptr<TBitmap> bitmap_;
};
