#pragma once
// The facsimile of the HCFA-1500 claim form on which the captured-claims
// viewer shows a claim: its printed matter (box outlines, check squares and
// fixed captions) drawn in red on a character grid that matches the capture
// file's lines and columns, so that the data label of line L, column C sits
// at grid cell (L, C). Every box is wide and tall enough for the labels the
// capture file puts in it.
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Geometry.h"

struct TEBillColumn;

// The grid: one capture-file column is this many pixels wide, one line this
// tall; the page starts this far from the facsimile's top-left corner.
constexpr int kHcfaColumnWidth = 8;
constexpr int kHcfaLineHeight = 20;
constexpr int kHcfaMargin = 16;
// The page's width in columns and height in lines.
constexpr int kHcfaPageColumns = 84;
constexpr int kHcfaPageLines = 66;

// A box of the form: from the left edge of column Left to the left edge of
// column Right (half columns allowed), from the top of line Top to the
// bottom of line Bottom; its caption is drawn at its top left.
struct THcfaBox {
    double Left;
    double Right;
    int Top;
    int Bottom;
    std::string Caption;
};

// Where in its line a fixed text stands: the upper half holds box
// captions, the lower half the captions of what follows in the next line.
enum class THcfaTextPlace { Upper, Lower, Middle, Title };

// A fixed text of the form in Line, starting at Column.
struct THcfaText {
    int Line;
    double Column;
    std::string Text;
    THcfaTextPlace Place = THcfaTextPlace::Upper;
};

// Character height of the printed matter's captions, in pixels.
constexpr int kHcfaCaptionHeight = 8;

// Every box of the form, in drawing order.
const std::vector<THcfaBox>& hcfaBoxes();
// Every fixed text that is not a box caption, check-square captions included.
const std::vector<THcfaText>& hcfaTexts();

// The pixel bounds of a box, and of the label showing a capture-file column.
TRect hcfaBoxRect(const THcfaBox& Box);
TRect hcfaLabelRect(const TEBillColumn& Column);
// The capture-file columns that hold a check mark ("X"), drawn as squares.
bool hcfaIsCheck(const TEBillColumn& Column);
// The facsimile's size in pixels.
int hcfaWidth();
int hcfaHeight();

// The form's printed matter on a white page.
class THcfaFacsimile : public TGraphicControl {
public:
    explicit THcfaFacsimile(TComponent* AOwner);

protected:
    void Paint() override;
};
