#pragma once
// The layout of a claim block in the electronic-billing capture file
// EBill.dat, held once as data: for every piece of the block its line, its
// column, its width, where its text comes from and the viewer label that
// shows it. The writer builds lines from this table and the viewer's labels
// read from it, so the two sides of the file cannot drift apart.
//
// A block is 66 lines. Lines and columns are 1-based. Lines 1 and 4 to 7
// are written as 40 blanks followed by their text; every other line that
// holds a piece is built from 80 blanks with each piece inserted at its
// column; all other lines are a single blank. The six service lines are
// lines 46, 48, ..., 56 and share one column table.
#include <string>
#include <vector>

constexpr int kEBillBlockLines = 66;
constexpr int kEBillServiceLines = 6;
// Blanks a data line starts from, and blanks before the text of a header line.
constexpr int kEBillDataLineBlanks = 80;
constexpr int kEBillHeaderBlanks = 40;

// How a piece's text is made from the claim (or, for service columns, from
// one of its service rows).
enum class TEBillRule {
    ClaimNumber,    // "Claim: " followed by the claim number in Field
    Text,           // Field's text in upper case
    CutText,        // Field's text cut to Width, in upper case
    AsStored,       // Field's text as stored, only when Condition is true
    CarrierCity,    // Field, Field2, Field3 each trimmed, joined by a blank, upper case
    CityLine,       // Field, Field2, Field3 joined by a blank, upper case
    BoxDate,        // Field as "MM DD YY" when not empty
    SignatureDate,  // Field as "mm/dd/yy" when not empty
    Choice,         // "X" when Field's text is exactly Value
    WhenTrue,       // "X" (or Value when given) when the logical Field is true
    WhenFalse,      // "X" when the logical Field is not true
    Money8,         // "####0.00;; " padded on the left to 8
    LabCharges,     // as Money8, only when Condition is true and Field is not empty
    Money10,        // "######0.00;; " padded on the left to 10
    Units,          // "###;; " padded on the left to 3
    ViewerOnly,     // nothing is written; the viewer shows what stands there
};

struct TEBillColumn {
    int Line;
    int Column;
    // The characters the viewer takes from Column.
    int Width;
    TEBillRule Rule;
    std::string Field;
    // The choice value, the text written when true, or empty.
    std::string Value;
    // The second and third field of a joined line.
    std::string Field2;
    std::string Field3;
    // The logical field that must be true for the piece to be written.
    std::string Condition;
    // The viewer's label.
    std::string LabelName;
    // A piece read from the claim's service rows.
    bool ServiceRow = false;
};

// Every piece of a block, the claim's own in rising line and column order,
// then the service columns of service lines 1 to 6: 180 entries, one per
// viewer label.
const std::vector<TEBillColumn>& eBillColumns();

// The line of service line Row (1 to 6).
int eBillServiceLine(int Row);
// Lines 1 and 4 to 7: 40 blanks and the text.
bool eBillHeaderLine(int Line);
