#pragma once
// One rich-text document laid out on a white image page of a given
// resolution, for the layout, painting and editing tests.
#include <string>
#include <vector>

#include "richtext/RtRtfInp.h"
#include "richtext/RtTestDoc.h"
#include "ui/Devices.h"
#include "ui/Graphics.h"

struct Page {
    explicit Page(int dpi = 96, int width = 816, int height = 1056) : device(width, height, dpi), canvas(&device) {
        doc.SetCanvas(&canvas);
        doc.WindowWidth = width;
        doc.WindowHeight = height;
    }
    // Replaces the text by the shape in the face and size given, then lays it out.
    void build(const std::string& shape, const std::string& face, int size, uint8_t style = 0) {
        doc.CurAttr.Font = static_cast<uint8_t>(doc.Header->AddFont(face));
        doc.CurAttr.Size = static_cast<uint8_t>(size);
        doc.CurAttr.Style = style;
        BuildShape(doc, shape);
        doc.CurPar = doc.FirstPar;
        doc.CurLine = doc.FirstPar->FirstLine;
        doc.CurPos = 0;
        doc.ReformatAll();
    }
    std::vector<std::string> lines(int par = 0) {
        std::vector<std::string> out;
        for (TLine* l = ParAt(doc, par)->FirstLine; l; l = l->Next) out.emplace_back(l->Text.get(), l->Length);
        return out;
    }
    TImageDevice device;
    TCanvas canvas;
    TRtRTFTextInput doc;
};
