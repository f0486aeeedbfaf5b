#include "reporting/RSLabelStocks.h"

namespace {

// 3 x 10 address labels of 2.625 x 1 in.
constexpr TLabelStock Address30{3, 10, 2.625, 1, 2.75, 1, 0.188, 0.5};
// 2 x 10 labels of 4 x 1 in.
constexpr TLabelStock Address20{2, 10, 4, 1, 4.188, 1, 0.156, 0.5};
// 4 x 20 return-address labels of 1.75 x 0.5 in.
constexpr TLabelStock ReturnAddress80{4, 20, 1.75, 0.5, 2.063, 0.5, 0.281, 0.5};
// One label the size of the sheet.
constexpr TLabelStock FullSheet{1, 1, 8.5, 11, 8.5, 11, 0, 0};
// 3 x 4 round labels of 2.5 in.
constexpr TLabelStock Round12{3, 4, 2.5, 2.5, 2.75, 2.5, 0.25, 0.5};
// 1 x 15 spine labels of 5.813 x 0.667 in.
constexpr TLabelStock Spine15{1, 15, 5.813, 0.667, 5.813, 0.667, 1.344, 0.5};
// Two half-sheet labels of 5.5 x 8.5 in, side by side.
constexpr TLabelStock HalfSheet2{2, 1, 5.5, 8.5, 5.5, 0, 0, 0};
// 2 x 15 file-folder labels of 3.438 x 0.666 in: the patient chart label.
constexpr TLabelStock ChartLabel30{2, 15, 3.438, 0.666, 4.0, 0.666, 0.531, 0.5};

}  // namespace

const TLabelStock* labelStock(TLabelBrand Brand) {
    switch (Brand) {
    case lbAV5160:
    case lbAV5260:
    case lbAV5920:
    case lbAV8160:
    case lbAV8460:
    case lbAV8920:
    case lbAV8660:
    case lbAV8930:
    case lbAV6460: return &Address30;
    case lbAV5161: return &Address20;
    case lbAV5167:
    case lbAV5267: return &ReturnAddress80;
    case lbAV5165: return &FullSheet;
    case lbAV5294: return &Round12;
    case lbAV5199SPINE: return &Spine15;
    case lbAV5315: return &HalfSheet2;
    case lbAV5366: return &ChartLabel30;
    default: return nullptr;
    }
}

TLabelShape labelStockShape(TLabelBrand Brand) {
    switch (Brand) {
    case lbAV5293:
    case lbAV5294:
    case lbAV5295: return lsRound;
    default: return lsRoundRect;
    }
}
