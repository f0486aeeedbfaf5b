#include "ui/Mask.h"

#include <QLineEdit>

#include <cctype>
#include <cstring>

#include "os/Locale.h"
#include "ui/Text1252.h"

// ---------------------------------------------------------------- TEditMask

TEditMask::TEditMask(const std::string& mask) {
    // The mask ends at the first ";" that is not escaped; then come the
    // save-literals flag and the blank character.
    size_t end = 0;
    while (end < mask.size() && mask[end] != ';') end += mask[end] == '\\' ? 2 : 1;
    end = std::min(end, mask.size());
    std::string body = mask.substr(0, end);
    if (end < mask.size()) {
        std::string rest = mask.substr(end + 1);
        size_t sep = rest.find(';');
        std::string save = rest.substr(0, sep);
        saveLiterals_ = save.empty() || save[0] != '0';
        if (sep != std::string::npos && sep + 1 < rest.size()) blank_ = rest[sep + 1];
    }
    char charCase = 0;
    for (size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        TMaskPosition p;
        p.charCase = charCase;
        switch (c) {
        case '!': leadingBlanks_ = true; continue;
        case '>': charCase = '>'; continue;
        case '<':
            if (i + 1 < body.size() && body[i + 1] == '>') {
                charCase = 0;
                ++i;
            } else {
                charCase = '<';
            }
            continue;
        case '\\':
            if (++i >= body.size()) continue;
            p.literal = body[i];
            break;
        case 'L': p.kind = TMaskPosition::Letter; p.required = true; break;
        case 'l': p.kind = TMaskPosition::Letter; break;
        case 'A': p.kind = TMaskPosition::LetterOrDigit; p.required = true; break;
        case 'a': p.kind = TMaskPosition::LetterOrDigit; break;
        case 'C': p.kind = TMaskPosition::AnyChar; p.required = true; break;
        case 'c': p.kind = TMaskPosition::AnyChar; break;
        case '0': p.kind = TMaskPosition::Digit; p.required = true; break;
        case '9': p.kind = TMaskPosition::Digit; break;
        case '#': p.kind = TMaskPosition::DigitOrSign; break;
        case ':': p.literal = ':'; break;
        case '/': p.literal = os::DateSeparator(); break;
        case '_': p.literal = ' '; break;
        default: p.literal = c; break;
        }
        positions_.push_back(p);
    }
    // Setting a value goes through every position; the answers are looked up.
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i].kind == TMaskPosition::Literal) continue;
        for (int u = 1; u < 256; ++u) {
            const char shown = convert(i, static_cast<char>(u));
            if (accepts(i, shown)) positions_[i].shown[static_cast<size_t>(u)] = shown;
        }
    }
    for (size_t i = 0; i < positions_.size(); ++i) {
        for (int u = 0; u < 256; ++u) {
            ShownState state = NotAsGiven;
            positions_[i].given[static_cast<size_t>(u)] = givenAt(i, static_cast<char>(u), state);
            positions_[i].givenState[static_cast<size_t>(u)] = state;
        }
    }
}

char TEditMask::convert(size_t i, char c) const {
    if (i >= positions_.size()) return c;
    unsigned char u = static_cast<unsigned char>(c);
    if (positions_[i].charCase == '>') return static_cast<char>(std::toupper(u));
    if (positions_[i].charCase == '<') return static_cast<char>(std::tolower(u));
    return c;
}

bool TEditMask::accepts(size_t i, char c) const {
    if (i >= positions_.size()) return false;
    unsigned char u = static_cast<unsigned char>(c);
    auto letter = [c, u] {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || u >= 0xC0 || std::isalpha(u);
    };
    const bool digit = c >= '0' && c <= '9';
    switch (positions_[i].kind) {
    case TMaskPosition::Literal: return c == positions_[i].literal;
    case TMaskPosition::Letter: return letter();
    case TMaskPosition::LetterOrDigit: return digit || letter();
    case TMaskPosition::AnyChar: return u >= ' ';
    case TMaskPosition::Digit: return digit;
    case TMaskPosition::DigitOrSign: return digit || c == '+' || c == '-';
    }
    return false;
}

std::string TEditMask::editTextOf(const std::string& value) const {
    std::string out(positions_.size(), blank_);
    if (saveLiterals_) {
        for (size_t i = 0; i < positions_.size(); ++i) {
            char c = i < value.size() ? value[i] : ' ';
            if (positions_[i].kind == TMaskPosition::Literal) {
                out[i] = positions_[i].literal;
            } else if (c != ' ' && c != blank_) {
                if (const char shown = positions_[i].shown[static_cast<unsigned char>(c)]) out[i] = shown;
            }
        }
        return out;
    }
    size_t inputs = 0;
    for (const TMaskPosition& p : positions_)
        if (p.kind != TMaskPosition::Literal) ++inputs;
    std::string chars = value.substr(0, std::min(value.size(), inputs));
    if (leadingBlanks_ && chars.size() < inputs) chars = std::string(inputs - chars.size(), ' ') + chars;
    size_t next = 0;
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (positions_[i].kind == TMaskPosition::Literal) {
            out[i] = positions_[i].literal;
            continue;
        }
        char c = next < chars.size() ? chars[next] : ' ';
        ++next;
        if (c == ' ' || c == blank_) continue;
        if (const char shown = positions_[i].shown[static_cast<unsigned char>(c)]) out[i] = shown;
    }
    return out;
}

std::string TEditMask::textOf(const std::string& editText) const {
    std::string out(positions_.size(), ' ');
    size_t n = 0;
    for (size_t i = 0; i < positions_.size(); ++i) {
        char c = i < editText.size() ? editText[i] : blank_;
        if (positions_[i].kind == TMaskPosition::Literal) {
            if (saveLiterals_) out[n++] = positions_[i].literal;
        } else {
            out[n++] = c == blank_ ? ' ' : c;
        }
    }
    out.resize(n);
    return out;
}

int TEditMask::firstMissing(const std::string& editText) const {
    for (size_t i = 0; i < positions_.size(); ++i) {
        if (!positions_[i].required) continue;
        char c = i < editText.size() ? editText[i] : blank_;
        if (c == blank_ || (c == ' ' && positions_[i].kind != TMaskPosition::AnyChar)) return static_cast<int>(i);
    }
    return -1;
}

TEditMask::ShownState TEditMask::stateOf(const TMaskPosition& p, char c) const {
    if (p.kind == TMaskPosition::Literal) return c == p.literal ? LiteralInPlace : NotAsGiven;
    // The line edit takes a blank only where a character is optional;
    // elsewhere it looks further on and the text may shift.
    if (c == ' ' && blank_ == ' ') return p.required ? RequiredBlank : OptionalBlank;
    const bool plain = p.kind == TMaskPosition::AnyChar
                           ? c > ' ' && c < 0x7F
                           : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                                 c == '+' || c == '-';
    // Taken as it is: the position shows it unchanged.
    return plain && c != blank_ && p.shown[static_cast<unsigned char>(c)] == c ? Taken : NotAsGiven;
}

bool TEditMask::shownAsGiven(const std::string& editText) const {
    if (editText.size() != positions_.size()) return false;
    bool allBlank = true;
    bool eachTaken = true;
    for (size_t i = 0; i < positions_.size(); ++i) {
        switch (stateOf(positions_[i], editText[i])) {
        case NotAsGiven: return false;
        case RequiredBlank: eachTaken = false; break;
        case Taken: allBlank = false; break;
        case LiteralInPlace:
        case OptionalBlank: break;
        }
    }
    return allBlank || eachTaken;
}

char TEditMask::givenAt(size_t i, char v, ShownState& state) const {
    const TMaskPosition& p = positions_[i];
    char c = blank_;
    if (p.kind == TMaskPosition::Literal) {
        c = p.literal;
    } else if (v != ' ' && v != blank_) {
        if (const char shown = p.shown[static_cast<unsigned char>(v)]) c = shown;
    }
    if (c == blank_) c = ' ';
    state = stateOf(p, c);
    return c;
}

std::string TEditMask::shownTextOf(const std::string& value, bool& exact) const {
    if (!saveLiterals_) {
        std::string text = editTextOf(value);
        for (char& c : text)
            if (c == blank_) c = ' ';
        exact = shownAsGiven(text);
        return text;
    }
    // Every value shown goes through here: each position's answers are looked up.
    std::string text(positions_.size(), ' ');
    unsigned seen = 0;
    for (size_t i = 0; i < positions_.size(); ++i) {
        const TMaskPosition& p = positions_[i];
        const unsigned char v = static_cast<unsigned char>(i < value.size() ? value[i] : ' ');
        text[i] = p.given[v];
        seen |= 1u << p.givenState[v];
    }
    // As shownAsGiven: nothing shown otherwise, and either every input
    // position blank or no required one blank.
    const bool given = !(seen & (1u << NotAsGiven));
    const bool allBlank = !(seen & (1u << Taken));
    const bool eachTaken = !(seen & (1u << RequiredBlank));
    exact = given && (allBlank || eachTaken);
    return text;
}

std::string TEditMask::qtInputMask() const {
    std::string out;
    char charCase = 0;
    for (const TMaskPosition& p : positions_) {
        if (p.charCase != charCase) {
            out += p.charCase == '>' ? '>' : p.charCase == '<' ? '<' : '!';
            charCase = p.charCase;
        }
        switch (p.kind) {
        case TMaskPosition::Literal:
            if (p.literal && std::strchr("AaNnXx90Dd#HhBb><!;\\[]{}", p.literal)) out += '\\';
            out += p.literal;
            break;
        case TMaskPosition::Letter: out += p.required ? 'A' : 'a'; break;
        case TMaskPosition::LetterOrDigit: out += p.required ? 'N' : 'n'; break;
        case TMaskPosition::AnyChar: out += p.required ? 'X' : 'x'; break;
        case TMaskPosition::Digit: out += p.required ? '9' : '0'; break;
        case TMaskPosition::DigitOrSign: out += '#'; break;
        }
    }
    out += ';';
    out += blank_;
    return out;
}

// ---------------------------------------------------------------- TMaskEdit

TMaskEdit::TMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TMaskEdit::SetEditMask(const std::string& Value) {
    std::string text = Text();
    editMask_ = Value;
    mask_ = TEditMask(Value);
    edit()->setInputMask(mask_.empty() ? QString() : ToQString(mask_.qtInputMask()));
    RealSetText(text);
}

std::string TMaskEdit::EditText() const {
    if (const std::string* text = pendingText(true)) return *text;
    return fromQString(edit()->displayText());
}

void TMaskEdit::SetEditText(const std::string& Value) {
    if (!IsMasked()) {
        TCustomEdit::RealSetText(Value);
        return;
    }
    std::string text = Value;
    text.resize(mask_.positions().size(), ' ');
    putEditText(std::move(text));
}

void TMaskEdit::putEditText(std::string Text) {
    // With every position given, blanks as blanks.
    for (char& c : Text)
        if (c == mask_.blank()) c = ' ';
    const bool exact = mask_.shownAsGiven(Text);
    putText(std::move(Text), true, exact);
}

const std::string* TMaskEdit::waitingText() const {
    if (!IsMasked()) return pendingText(false);
    // A text not yet handed to the widget holds every position, literals in
    // place and blanks as spaces: with literals saved it is the value itself.
    return mask_.saveLiterals() ? pendingText(true) : nullptr;
}

std::string TMaskEdit::RealGetText() const {
    if (const std::string* text = waitingText()) return *text;
    if (!IsMasked()) return TCustomEdit::RealGetText();
    return mask_.textOf(EditText());
}

bool TMaskEdit::hasText(const std::string& Value) const {
    const std::string* text = waitingText();
    return text ? *text == Value : RealGetText() == Value;
}

void TMaskEdit::RealSetText(const std::string& Value) {
    if (!IsMasked()) {
        TCustomEdit::RealSetText(Value);
        return;
    }
    bool exact = false;
    std::string text = mask_.shownTextOf(Value, exact);
    putText(std::move(text), true, exact);
}

void TMaskEdit::ValidateEdit() {
    if (!IsMasked() || !Modified()) return;
    int missing = mask_.firstMissing(EditText());
    if (missing < 0) return;
    if (CanFocus()) SetFocus();
    edit()->setCursorPosition(missing);
    throw EDBEditError("Invalid input value.  Use escape key to abandon changes");
}

void TMaskEdit::Reset() {
    if (!IsMasked()) return;
    SetEditText(textOnEnter_);
    SetModified(false);
}

void TMaskEdit::DoEnter() {
    textOnEnter_ = EditText();
    SetModified(false);
    TCustomEdit::DoEnter();
}

void TMaskEdit::DoExit() {
    ValidateEdit();
    TCustomEdit::DoExit();
}

void TMaskEdit::KeyDown(Word& Key, TShiftState Shift) {
    TCustomEdit::KeyDown(Key, Shift);
    if (Key == VK_ESCAPE && IsMasked() && Modified()) {
        Reset();
        Key = 0;
    }
}

bool TMaskEdit::wantsKey(Word Key, TShiftState Shift) const {
    if (Key == VK_ESCAPE && IsMasked() && Modified()) return true;
    return TCustomEdit::wantsKey(Key, Shift);
}
