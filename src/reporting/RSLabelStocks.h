#pragma once
// The label stocks a label shell knows by name, and the sheet geometry of
// those whose geometry the program holds (inches, on a letter-size sheet).
// A stock without a row in the table is still a valid brand: choosing it
// changes the outline shape and the stored brand, not the geometry.
//
// The values of TLabelBrand are stored by their ordinal: never reorder or
// insert values.
#include <cstdint>

enum TLabelBrand : std::uint8_t {
    lbAV5167, lbAV5267, lbAV5927, lbAV5160, lbAV5260, lbAV5920, lbAV5161, lbAV5261, lbAV5162, lbAV5262,
    lbAV5922, lbAV5163, lbAV5263, lbAV5923, lbAV5963, lbAV5164, lbAV5264, lbAV5667, lbAV5660, lbAV5930,
    lbAV5661, lbAV5662, lbAV5932, lbAV5663, lbAV5664, lbAV5165, lbAV5265, lbAV5266, lbAV5066, lbAV5766,
    lbAV5866, lbAV5966, lbAV5366, lbAV5293, lbAV5294, lbAV5295, lbAV5196, lbAV5096, lbAV5896, lbAV5197,
    lbAV5097, lbAV5897, lbAV5198, lbAV5199FACE, lbAV5199SPINE, lbAV5395, lbAV5095, lbAV5895BADGE,
    lbAV5895SPINE, lbAV5371, lbAV5376, lbAV5377, lbAV5372, lbAV5911, lbAV5383, lbAV5390, lbAV5883,
    lbAV5384, lbAV5392, lbAV5385, lbAV5386, lbAV5388, lbAV5389, lbAV12_294, lbAV12_295, lbAV12_296,
    lbAV12_297, lbAV5305, lbAV5309, lbAV5315, lbAV5361, lbAV5362, lbAV5361SINGLE, lbAV5362SINGLE,
    lbAV5364, lbAV5364S, lbAV8160, lbAV8460, lbAV8920, lbAV8161, lbAV8162, lbAV8462, lbAV8922,
    lbAV8163, lbAV8463, lbAV8923, lbAV8164, lbAV8165, lbAV8166, lbAV8167, lbAV8927, lbAV8196, lbAV8315,
    lbAV8316PORTRAIT, lbAV8316LANDSCAPE, lbAV8371, lbAV8376, lbAV8377, lbAV8372, lbAV8660, lbAV8930,
    lbAV8662, lbAV8932, lbAV8663, lbAV6460, lbAV6464, lbAV6466, lbAV6490, lbAV2160, lbAV2162, lbAV2163,
    lbAV2660, lbAV2662, lbAV2663, lbAV2180, lbAV2181, lbAV2186, lbAV5824, lbAV5836LABEL, lbAV5836TAB,
    lbAV5837LABEL, lbAV5837TAB, lbAV5838LABEL, lbAV5838TAB, lbAV5848LABEL, lbAV5848TAB, lbAV5849LABEL,
    lbAV5849TAB, lbAV5855LABEL, lbAV5855TAB, lbAV5839, lbAV5840, lbAV5841, lbAV5842, lbAV5843,
    lbAV5844, lbAV5845, lbCustom
};

// The outline drawn around each label.
enum TLabelShape : std::uint8_t { lsRoundRect, lsRect, lsRound };

// One stock's sheet: labels across and down, the size of one label, the
// pitch from one label to the next, and the first label's top-left corner.
struct TLabelStock {
    int Across;
    int Down;
    double Width;
    double Height;
    double SpacingWidth;
    double SpacingHeight;
    double SpacingLeft;
    double SpacingTop;
};

// The stock's geometry, or nullptr when the table holds none (lbCustom
// among them).
const TLabelStock* labelStock(TLabelBrand Brand);

// The outline of the stock's labels.
TLabelShape labelStockShape(TLabelBrand Brand);
