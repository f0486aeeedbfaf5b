#include "reporting/project/DesignerUtils.h"

#include <cmath>

#include "base/SysUtils.h"
#include "reporting/project/DZClass.h"
#include "reporting/RSBase.h"

void RaiseDesignerError(const std::string& Message) { throw EDuzuException(Message); }

void AbortPrinting() {
    if (PrintEngine == nullptr) return;
    PrintEngine->Abort();
    ::Abort();
}

void* TDuzuStackList::Pop() {
    void* item = Peek();
    if (!IsEmpty()) Delete(Count() - 1);
    return item;
}

void CopyList(const TList* Source, TList* Target) {
    Target->Clear();
    for (int i = 0; i < Source->Count(); ++i) Target->Add(Source->Items(i));
}

void FreeListItems(TList* List) {
    for (int i = 0; i < List->Count(); ++i) delete static_cast<TObject*>(List->Items(i));
    List->Clear();
}

void FreeStringsObjects(TStrings* List) {
    for (int i = 0; i < List->Count(); ++i) {
        delete List->Objects(i);
        List->SetObjects(i, nullptr);
    }
    List->Clear();
}

double FloatMin(double A, double B) { return A < B ? A : B; }
double FloatMax(double A, double B) { return A > B ? A : B; }
bool FloatEqual(double A, double B) { return std::fabs(A - B) <= kDuzuFloatTolerance; }
bool FloatLess(double A, double B) { return B - A >= kDuzuFloatTolerance; }
bool FloatGreater(double A, double B) { return A - B >= kDuzuFloatTolerance; }
bool FloatNotEqual(double A, double B) { return !FloatEqual(A, B); }
bool FloatNotLess(double A, double B) { return !FloatLess(A, B); }

TDuzuRect MakeRect(double Left, double Top, double Right, double Bottom) { return {Left, Top, Right, Bottom}; }
TDuzuPoint MakePoint(double X, double Y) { return {X, Y}; }

void GetToken(std::string& Text, const std::string& Delimiters, char& Delimiter, std::string& Token) {
    bool inMarkup = false;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        char c = Text[i];
        if (c == '<') {
            inMarkup = true;
        } else if (c == '>') {
            inMarkup = false;
        } else if (!inMarkup && Delimiters.find(c) != std::string::npos) {
            Delimiter = c;
            Token = Trim(Text.substr(0, i));
            Text = Trim(Text.substr(i + 1));
            return;
        }
    }
    Delimiter = 0;
    Token = Trim(Text);
    Text.clear();
}

std::string StripMarkup(const std::string& Text) {
    std::string result;
    for (char c : Text)
        if (c != '<' && c != '>') result += c;
    return result;
}

std::string MarkupIdent(const std::string& Text) {
    if (!Text.empty() && Text[0] == '<') return Text;
    for (char c : Text) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!plain) return "<" + Text + ">";
    }
    return Text;
}

void GetQuoted(std::string& Text, char Quote, std::string& Value) {
    if (Text.empty() || Text[0] != Quote) return;
    Value.clear();
    std::size_t i = 1;
    for (; i < Text.size(); ++i) {
        if (Text[i] == Quote) {
            if (i + 1 < Text.size() && Text[i + 1] == Quote) {
                Value += Quote;
                ++i;
                continue;
            }
            break;
        }
        Value += Text[i];
    }
    Text = i < Text.size() ? Trim(Text.substr(i + 1)) : std::string();
}

std::string FilterNumber(const std::string& Text) {
    std::string result;
    bool separatorTaken = false;
    for (char c : Text) {
        if (c >= '0' && c <= '9') {
            result += c;
        } else if (c == '-' && result.empty()) {
            result += c;
        } else if (c == DecimalSeparator && !separatorTaken) {
            result += c;
            separatorTaken = true;
        }
    }
    return result;
}

double StrToFloatDef(const std::string& Text, double Default) {
    std::string text = Text;
    std::size_t at = text.find(DecimalSeparator);
    if (at != std::string::npos) text[at] = '.';
    char saved = DecimalSeparator;
    DecimalSeparator = '.';
    double value = 0;
    bool ok = TryStrToFloat(text, value);
    DecimalSeparator = saved;
    return ok ? value : Default;
}

Currency StrToCurrDef(const std::string& Text, Currency Default) {
    Currency value;
    return TryStrToCurr(Text, value) ? value : Default;
}

TDateTime StrToDateTimeDef(const std::string& Text, TDateTime Default) {
    TDateTime value = 0;
    return TryStrToDateTime(Text, value) ? value : Default;
}
