#include "reporting/project/DZCsImage.h"

#include <mutex>

#include "base/SysUtils.h"
#include "reporting/project/DZData.h"
#include "reporting/project/DesignerUtils.h"
#include "reporting/project/DuzuProperties.h"
#include "reporting/RSBase.h"
#include "ui/Graphics.h"
#include "ui/Metafile.h"

TDuzuImageSize matchSideSize(TMatchSide MatchSide, double Width, double Height, double GraphicWidth,
                             double GraphicHeight) {
    const double w = GraphicWidth, h = GraphicHeight;
    if (w <= 0 || h <= 0) return {Width, Height};
    switch (MatchSide) {
        case msWidth: return {Width, Width * h / w};
        case msHeight: return {Height * w / h, Height};
        case msBoth: return {Width, Height};
        case msInside:
            if (Width > 0 && Height * w / (Width * h) <= 1) return {Height * w / h, Height};
            return {Width, Width * h / w};
    }
    return {Width, Height};
}

TDuzuBaseImage::TDuzuBaseImage(TComponent* AOwner) : TDuzuControl(AOwner), TDuzuFieldLink(this) {}

TDuzuBaseImage::~TDuzuBaseImage() = default;


TDuzuBaseImage::Source TDuzuBaseImage::findGraphic(std::unique_ptr<TGraphic>& Owned, TGraphic*& Graphic) const {
    Graphic = nullptr;
    TDuzuDataView* view = fieldView();
    if (view != nullptr && !DataField().empty()) {
        TDuzuDataField* field = view->FindField(DataField());
        if (field == nullptr) return Source::None;
        if (field->IsNull()) return Source::Null;
        // Blobs carry the graphic itself; any other field names its file.
        if (field->DataType() == dtBlob || field->DataType() == dtGraphic)
            Owned = graphicFromBytes(field->NativeValue());
        else
            Owned = graphicFromFile(Trim(field->AsString()));
    } else if (!fileLink_.empty()) {
        Owned = graphicFromFile(fileLink_);
    } else if (TGraphic* stored = storedGraphic(); stored != nullptr && !stored->Empty()) {
        Graphic = stored;
        return Source::Graphic;
    }
    if (Owned == nullptr || Owned->Empty()) return Source::None;
    Graphic = Owned.get();
    return Source::Graphic;
}

void TDuzuBaseImage::printFrame(TBaseReport* Engine, double Left, double Top, double Right, double Bottom) const {
    Engine->SetPen(clBlack, psSolid, 1, pmCopy);
    Engine->MoveTo(Left, Top);
    Engine->LineTo(Right, Top);
    Engine->LineTo(Right, Bottom);
    Engine->LineTo(Left, Bottom);
    Engine->LineTo(Left, Top);
    Engine->LineTo(Right, Bottom);
    Engine->MoveTo(Left, Bottom);
    Engine->LineTo(Right, Top);
}

void TDuzuBaseImage::PrintSelf(TBaseReport* Engine) {
    std::unique_ptr<TGraphic> owned;
    TGraphic* graphic = nullptr;
    const Source source = findGraphic(owned, graphic);
    if (source == Source::Null) return;
    const double left = PageLeft(), top = PageTop();
    if (source == Source::None) {
        printFrame(Engine, left, top, PageRight(), PageBottom());
        return;
    }
    const TDuzuImageSize size = matchSideSize(matchSide_, Width(), Height(), graphic->Width(), graphic->Height());
    if (drawable())
        Engine->StretchDraw(left, top, left + size.Width, top + size.Height, graphic);
    else
        printFrame(Engine, left, top, left + size.Width, top + size.Height);
}

// ---------------------------------------------------------------------------

TGraphic* TDuzuGraphicImage::storedGraphic() const { return Image(); }

namespace {

// A graphic read by Load, or nullptr when it cannot be read.
template <class G, class Load>
std::unique_ptr<TGraphic> readGraphic(Load&& load) {
    auto graphic = std::make_unique<G>();
    try {
        load(*graphic);
    } catch (const Exception&) {
        return nullptr;
    }
    return graphic;
}

}  // namespace

template <class G>
TDuzuImageOf<G>::TDuzuImageOf(TComponent* AOwner) : TDuzuGraphicImage(AOwner), image_(std::make_unique<G>()) {}

template <class G>
TDuzuImageOf<G>::~TDuzuImageOf() = default;

template <class G>
TGraphic* TDuzuImageOf<G>::Image() const {
    return image_.get();
}

template <class G>
void TDuzuImageOf<G>::SetImage(TGraphic* Value) {
    if (Value == image_.get()) return;
    auto* graphic = static_cast<G*>(image_.get());
    if (auto* source = dynamic_cast<G*>(Value))
        graphic->Assign(*source);
    else
        image_ = std::make_unique<G>();
}

template <class G>
std::unique_ptr<TGraphic> TDuzuImageOf<G>::graphicFromBytes(const std::string& Bytes) const {
    return readGraphic<G>([&](G& g) { g.loadFromBytes(Bytes); });
}

template class TDuzuImageOf<TBitmap>;
template class TDuzuImageOf<TMetafile>;

std::unique_ptr<TGraphic> TDuzuBitmap::graphicFromFile(const std::string& FileName) const {
    // Any image the picture reads: BMP files and the common image formats.
    TPicture picture;
    try {
        picture.LoadFromFile(FileName);
    } catch (const Exception&) {
        return nullptr;
    }
    TGraphic* loaded = picture.Graphic();
    if (loaded == nullptr || loaded->Empty()) return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    if (auto* source = dynamic_cast<TBitmap*>(loaded)) {
        bitmap->Assign(*source);
    } else {
        bitmap->SetSize(loaded->Width(), loaded->Height());
        loaded->Draw(bitmap->Canvas(), {0, 0, loaded->Width(), loaded->Height()});
    }
    return bitmap;
}

std::unique_ptr<TGraphic> TDuzuMetaFile::graphicFromFile(const std::string& FileName) const {
    return readGraphic<TMetafile>([&](TMetafile& m) { m.LoadFromFile(FileName); });
}

// ---------------------------------------------------------------------------

namespace {

using namespace duzu_props;

// A stored graphic's value: its file bytes. Bytes that are no graphic of
// the kind make the property unreadable.
template <class G>
TDuzuDefinedProp graphicData(std::string (*Bytes)(const G&), void (*Load)(G&, const std::string&)) {
    return {"Data", [](const TObject* o) { return !static_cast<const G*>(o)->Empty(); },
            [Bytes](const TObject* o) { return Bytes(*static_cast<const G*>(o)); },
            [Load](TObject* o, const std::string& bytes) {
                try {
                    Load(*static_cast<G*>(o), bytes);
                } catch (const Exception&) {
                    RaiseDesignerError(throughMessageHook("Error reading property \"Image\"."));
                }
            }};
}

void registerImageClasses() {
    RegisterDuzuClassInfo({"TBitmap", "", {},
                           {graphicData<TBitmap>([](const TBitmap& b) { return b.saveToBytes(); },
                                                 [](TBitmap& b, const std::string& s) { b.loadFromBytes(s); })}});
    RegisterDuzuClassInfo({"TMetafile", "", {},
                           {graphicData<TMetafile>([](const TMetafile& m) { return m.bytes(); },
                                                   [](TMetafile& m, const std::string& s) { m.loadFromBytes(s); })}});
    RegisterDuzuClassInfo(
        {"TDuzuBaseImage", "TDuzuControl",
         {enumeration<TDuzuBaseImage>("MatchSide", &TDuzuBaseImage::MatchSide, &TDuzuBaseImage::SetMatchSide,
                                      {"msWidth", "msHeight", "msBoth", "msInside"}, msWidth),
          string<TDuzuBaseImage>("FileLink", &TDuzuBaseImage::FileLink, &TDuzuBaseImage::SetFileLink),
          object<TDuzuBaseImage, TDuzuProjectItem>("DataView", &TDuzuBaseImage::DataView,
                                                   &TDuzuBaseImage::SetDataView),
          string<TDuzuBaseImage>("DataField", &TDuzuBaseImage::DataField, &TDuzuBaseImage::SetDataField)},
         {}});
    TDuzuPropInfo image =
        object<TDuzuGraphicImage, TGraphic>("Image", &TDuzuGraphicImage::Image, &TDuzuGraphicImage::SetImage);
    image.Stored = [](const TObject* o) { return !static_cast<const TDuzuGraphicImage*>(o)->Image()->Empty(); };
    RegisterDuzuClassInfo({"TDuzuGraphicImage", "TDuzuBaseImage", {image}, {}});
    RegisterDuzuClassInfo({"TDuzuBitmap", "TDuzuGraphicImage", {}, {}});
    RegisterDuzuClassInfo({"TDuzuMetaFile", "TDuzuGraphicImage", {}, {}});
    RegisterClasses<TDuzuBitmap, TDuzuMetaFile>();
}

}  // namespace

void DuzuRegisterImageClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        DuzuRegisterClasses();
        DuzuRegisterDataClasses();
        registerImageClasses();
    });
}
