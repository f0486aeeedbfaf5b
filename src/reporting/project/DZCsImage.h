#pragma once
// The image components of report projects: a bitmap or a metafile taken
// from a data field (a blob's bytes, or any other field's text as a file
// name), from the file FileLink names, or from the graphic stored in the
// project. The graphic is drawn stretched into a rectangle that MatchSide
// sizes from the control's own; without a graphic (none given, a file or
// bytes that cannot be read) the control's rectangle prints as a frame with
// its two diagonals. A null field prints nothing.
//
// Metafiles are kept and streamed byte for byte but not rendered: their
// rectangle always prints as that frame.
#include <memory>
#include <string>

#include "reporting/project/DZClass.h"
#include "reporting/project/DZData.h"

class TBitmap;
class TGraphic;
class TMetafile;

enum TMatchSide { msWidth, msHeight, msBoth, msInside };

struct TDuzuImageSize {
    double Width = 0, Height = 0;
};

// The size a GraphicWidth x GraphicHeight graphic takes in a Width x Height
// rectangle: msWidth keeps the width, msHeight the height, msBoth both
// (stretched), msInside the larger size that fits inside.
TDuzuImageSize matchSideSize(TMatchSide MatchSide, double Width, double Height, double GraphicWidth,
                             double GraphicHeight);

class TDuzuBaseImage : public TDuzuControl, public TDuzuFieldLink {
public:
    explicit TDuzuBaseImage(TComponent* AOwner);
    ~TDuzuBaseImage() override;

    TMatchSide MatchSide() const { return matchSide_; }
    void SetMatchSide(TMatchSide Value) { matchSide_ = Value; }
    const std::string& FileLink() const { return fileLink_; }
    void SetFileLink(const std::string& Value) { fileLink_ = Value; }

    void PrintSelf(TBaseReport* Engine) override;

protected:
    // The graphic of this kind read from a blob's bytes or from a file;
    // nullptr when they cannot be read.
    virtual std::unique_ptr<TGraphic> graphicFromBytes(const std::string& Bytes) const = 0;
    virtual std::unique_ptr<TGraphic> graphicFromFile(const std::string& FileName) const = 0;
    // The graphic held in the project, nullptr when there is none.
    virtual TGraphic* storedGraphic() const { return nullptr; }
    // Whether the engine can draw a graphic of this kind.
    virtual bool drawable() const { return true; }

private:
    enum class Source { None, Null, Graphic };
    // Where this print's graphic comes from; Owned holds one that was read.
    Source findGraphic(std::unique_ptr<TGraphic>& Owned, TGraphic*& Graphic) const;
    void printFrame(TBaseReport* Engine, double Left, double Top, double Right, double Bottom) const;

    TMatchSide matchSide_ = msWidth;
    std::string fileLink_;
};

// An image whose graphic may be stored in the project (Image).
class TDuzuGraphicImage : public TDuzuBaseImage {
public:
    using TDuzuBaseImage::TDuzuBaseImage;
    virtual TGraphic* Image() const = 0;
    // Takes a copy of Value (nullptr or another kind of graphic empties it).
    virtual void SetImage(TGraphic* Value) = 0;

protected:
    TGraphic* storedGraphic() const override;
};

// An image whose stored graphic and blob bytes are a graphic of kind G
// (made for TBitmap and TMetafile).
template <class G>
class TDuzuImageOf : public TDuzuGraphicImage {
public:
    explicit TDuzuImageOf(TComponent* AOwner);
    ~TDuzuImageOf() override;
    TGraphic* Image() const override;
    void SetImage(TGraphic* Value) override;

protected:
    std::unique_ptr<TGraphic> graphicFromBytes(const std::string& Bytes) const override;

private:
    std::unique_ptr<TGraphic> image_;
};

class TDuzuBitmap : public TDuzuImageOf<TBitmap> {
public:
    using TDuzuImageOf::TDuzuImageOf;

protected:
    std::unique_ptr<TGraphic> graphicFromFile(const std::string& FileName) const override;
};

class TDuzuMetaFile : public TDuzuImageOf<TMetafile> {
public:
    using TDuzuImageOf::TDuzuImageOf;

protected:
    std::unique_ptr<TGraphic> graphicFromFile(const std::string& FileName) const override;
    bool drawable() const override { return false; }
};

// Registers the bitmap and metafile components and the stored graphics'
// streaming (their bytes as one defined property, "Data").
void DuzuRegisterImageClasses();
