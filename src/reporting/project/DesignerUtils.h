#pragma once
// What the report-project runtime shares beside its typed stream: its two
// exception classes, a small stack list, float comparisons with the fixed
// tolerance of 0.0001, the angle-bracket markup helpers of report texts, and
// conversions that fall back to a default.
#include <cstdint>
#include <string>

#include "base/Classes.h"
#include "base/Currency.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "reporting/RSDefine.h"

QM_DECLARE_EXCEPTION(EDuzuException, Exception)
QM_DECLARE_EXCEPTION(EDuzuClass, Exception)

// Raises EDuzuException with Message.
[[noreturn]] void RaiseDesignerError(const std::string& Message);

// Ends the run of the report engine that components print into (PrintEngine)
// silently, setting its Aborted flag; nothing when no report is printing.
void AbortPrinting();

// A stack of untyped references; Peek and Pop give nullptr when empty.
class TDuzuStackList : public TList {
public:
    bool IsEmpty() const { return Count() == 0; }
    void* Peek() const { return IsEmpty() ? nullptr : Items(Count() - 1); }
    void Push(void* Item) { Add(Item); }
    void* Pop();
};

// Target gets Source's count and entries.
void CopyList(const TList* Source, TList* Target);
// Frees every non-empty entry as a TObject, then clears the list.
void FreeListItems(TList* List);
// Frees every attached object, then clears the list.
void FreeStringsObjects(TStrings* List);

// ---- Floats, compared with a tolerance of 0.0001 ----
constexpr double kDuzuFloatTolerance = 0.0001;
double FloatMin(double A, double B);
double FloatMax(double A, double B);
bool FloatEqual(double A, double B);     // |A - B| <= 0.0001
bool FloatLess(double A, double B);      // B - A >= 0.0001
bool FloatGreater(double A, double B);   // A - B >= 0.0001
bool FloatNotEqual(double A, double B);
bool FloatNotLess(double A, double B);

struct TDuzuRect {
    double Left = 0, Top = 0, Right = 0, Bottom = 0;
};
struct TDuzuPoint {
    double X = 0, Y = 0;
};
TDuzuRect MakeRect(double Left, double Top, double Right, double Bottom);
TDuzuPoint MakePoint(double X, double Y);

// ---- Markup text: "<" opens and ">" closes a part that is taken whole ----

// Splits Text at the first character of Delimiters outside markup: Token is
// the trimmed text before it, Text the trimmed rest, Delimiter the character.
// Without one: Delimiter 0, Token the trimmed text, Text empty.
void GetToken(std::string& Text, const std::string& Delimiters, char& Delimiter, std::string& Token);
// The text without the "<" and ">" that open and close markup.
std::string StripMarkup(const std::string& Text);
// The text as it is when it starts with "<" or is letters, digits and "_"
// only; otherwise "<" + text + ">".
std::string MarkupIdent(const std::string& Text);
// When Text starts with Quote: Value is what follows up to a single quote
// character (a doubled one stands for one) and Text keeps the trimmed rest.
void GetQuoted(std::string& Text, char Quote, std::string& Value);

// The digits, a "-" before anything else taken, and the first decimal separator.
std::string FilterNumber(const std::string& Text);
double StrToFloatDef(const std::string& Text, double Default);
Currency StrToCurrDef(const std::string& Text, Currency Default);
TDateTime StrToDateTimeDef(const std::string& Text, TDateTime Default);
