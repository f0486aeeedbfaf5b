#pragma once
// Helpers shared by the lookup-aware datasets and the data-aware controls:
// tokens of ";"- or tab-separated property lines, two small stacks, checks of
// typed text that never raise, and the parser of filter text for tables the
// xBase engine does not evaluate itself.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/Classes.h"

// ---- Tokens ----

// Position is 1-based. From Position, the text up to the next Separator;
// Position then moves past that separator, or becomes -1 when no separator
// follows (the token is the rest of the text). Position just past the end
// (after a trailing separator, or in an empty text) gives the empty last
// token and -1, so a loop "while Position > 0" ends. Any other Position
// outside the text gives an empty token and stays as it is.
std::string NextToken(const std::string& Text, char Separator, int& Position);
void NextToken(const std::string& Text, char Separator, int& Position, std::string& Token);

// Clears List and adds every part between separators, an empty last part
// too: "a;b;" gives three items, "" gives one empty item.
void SplitToStrings(const std::string& Text, char Separator, TStrings& List);

// Removes from the end of Text every character that is one of Chars.
void TrimTrailingSet(std::string& Text, const std::string& Chars);

// Text with every Ch replaced by a blank.
std::string BlankOutChar(const std::string& Text, char Ch);

// ---- Stacks ----

class TStackStr {
public:
    void Push(const std::string& S) { items_.push_back(S); }
    // The last pushed string, removed; "" when the stack is empty.
    std::string Pop();
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::string> items_;
};

class TStackPtr {
public:
    void Push(void* P) { items_.push_back(P); }
    // The last pushed pointer, removed; nullptr when the stack is empty.
    void* Pop();
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<void*> items_;
};

// ---- Checks of typed text ----

// Empty, or digits with a leading "-" allowed before at least one digit.
bool IsValidIntegerText(const std::string& Text);
// As the integer check with at most one "." among the digits; at least one
// digit unless the text is empty.
bool IsValidFloatText(const std::string& Text);
// The whole text is one date in the order of ShortDateFormat, parts separated
// by DateSeparator, blanks allowed around them. Two parts take the current
// year; a year of 0 to 99 falls in the date conversion's century window
// (ExpandTwoDigitYear), so the check agrees with StrToDate.
bool IsValidDateText(const std::string& Text);
// A date, optionally followed by a time: hours, TimeSeparator, minutes,
// optionally TimeSeparator and seconds, optionally an AM or PM marker.
bool IsValidDateTimeText(const std::string& Text);

// ---- Filter text ----
// Conditions "field operator value" with < <> <= >= = >, joined by AND and
// OR (AND binds tighter), grouped with parentheses; operands may be combined
// with + - * /. Names compare without case; values are numbers or texts in
// single or double quotes (a doubled quote stands for itself).

enum TNodeKind : uint8_t { nkField, nkConstant, nkOperator };
// The type of a node's value; a field's type belongs to the table.
enum TOperandType : uint8_t { otUnknown, otString, otNumber, otBoolean };

struct TNode {
    TNodeKind Kind;
    TOperandType OperandType;
    // The field name as the table spells it, the constant's value, or the
    // operator ("<=", "AND", "+", ...).
    std::string Text;
    std::unique_ptr<TNode> Left;
    std::unique_ptr<TNode> Right;
};

// The parsed filter: the tree, and the same tree written children before
// their operator into one buffer: a 4-byte node count, then 14 bytes per node
// (kind, operand type, left and right child index as 16 bits, 0xFFFF for
// none, text offset and length as 32 bits, all little-endian), then the
// texts. The root is the last node.
struct TFilterBuffer {
    std::unique_ptr<TNode> Root;
    std::vector<uint8_t> Bytes;
};

// FieldNames are the table's fields. EDatabaseError "Field not found in
// Table. " for a name the table does not have; EDatabaseError "Invalid filter
// text" for text that is not a condition.
TFilterBuffer ParseFilterText(const std::string& Text, const std::vector<std::string>& FieldNames);
