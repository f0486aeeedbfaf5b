#pragma once
// The masked edit with the class library's edit masks:
//   "mask;save-literals;blank", e.g. "!\(999\)000-0000 9999;1; " or "000\-00\-0000;1;_".
// Mask characters: L/l letter (required/optional), A/a letter or digit,
// C/c any character, 0/9 digit, # digit or sign (optional), > upper case,
// < lower case, <> no case change, \ literal next, _ a blank literal,
// : and / the time and date separators, ! optional characters as leading
// blanks. Other characters are literals.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/StdCtrls.h"

QM_DECLARE_EXCEPTION(EDBEditError, Exception)

// One position of a parsed edit mask.
struct TMaskPosition {
    enum Kind { Literal, Letter, LetterOrDigit, AnyChar, Digit, DigitOrSign };
    Kind kind = Literal;
    bool required = false;
    char literal = 0;   // for Literal
    char charCase = 0;  // '>' upper, '<' lower, 0 as typed
    // For an input position: what each character is shown as (after case
    // conversion), or 0 where the position refuses it.
    std::array<char, 256> shown{};
    // For a saved-literals mask, by the value's character at this position:
    // what the edit is given there (blank characters as spaces), and how that
    // counts for shownAsGiven (a TEditMask::ShownState).
    std::array<char, 256> given{};
    std::array<uint8_t, 256> givenState{};
};

// A parsed edit mask.
class TEditMask {
public:
    TEditMask() = default;
    explicit TEditMask(const std::string& mask);

    bool empty() const { return positions_.empty(); }
    const std::vector<TMaskPosition>& positions() const { return positions_; }
    bool saveLiterals() const { return saveLiterals_; }
    char blank() const { return blank_; }
    bool leadingBlanks() const { return leadingBlanks_; }

    // Whether c may stand at position i (after case conversion).
    bool accepts(size_t i, char c) const;
    char convert(size_t i, char c) const;
    // The edit text (literals, characters, blanks) a value gives: with
    // SaveLiterals the value lines up with every position, otherwise its
    // characters fill the input positions in order.
    std::string editTextOf(const std::string& value) const;
    // The value of an edit text: blanks become spaces, literals stay only
    // with SaveLiterals.
    std::string textOf(const std::string& editText) const;
    // -1 when every required position is filled, otherwise the first that is not.
    int firstMissing(const std::string& editText) const;
    // Whether a line edit under qtInputMask() shows this edit text (blanks as
    // spaces) just as given: every literal in place and either every other
    // position holding a plain character it takes, or all of them blank.
    bool shownAsGiven(const std::string& editText) const;
    // What an edit under qtInputMask() is given for a value: editTextOf(value)
    // with its blank characters as spaces. Exact tells whether that text is
    // shown just as given (shownAsGiven).
    std::string shownTextOf(const std::string& value, bool& exact) const;
    // The mask in Qt's input mask notation.
    std::string qtInputMask() const;

    // How one position of a text counts for shownAsGiven.
    enum ShownState : uint8_t {
        LiteralInPlace,  // a literal as it is
        Taken,           // a plain character the position shows unchanged
        OptionalBlank,   // a space where a character is optional
        RequiredBlank,   // a space where one is required
        NotAsGiven,      // the widget would show something else
    };

private:
    // The character the edit is given at position i for the value's
    // character v, and how it counts.
    char givenAt(size_t i, char v, ShownState& state) const;
    // How the character c shown at position p counts for shownAsGiven.
    ShownState stateOf(const TMaskPosition& p, char c) const;

    std::vector<TMaskPosition> positions_;
    bool saveLiterals_ = true;
    char blank_ = '_';
    bool leadingBlanks_ = false;
};

class TMaskEdit : public TCustomEdit {
public:
    explicit TMaskEdit(TComponent* AOwner);

    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& Value);
    bool IsMasked() const { return !mask_.empty(); }
    // The text as shown, with literals and blank characters.
    std::string EditText() const;
    void SetEditText(const std::string& Value);
    // Raises EDBEditError "Invalid input value.  Use escape key to abandon
    // changes" when a changed text leaves a required position empty.
    void ValidateEdit();
    // Back to the text the edit had when it got the focus.
    void Reset();

protected:
    std::string RealGetText() const override;
    void RealSetText(const std::string& Value) override;
    // Text() == Value, without a copy of a text still waiting for the widget.
    bool hasText(const std::string& Value) const;
    void DoEnter() override;
    void DoExit() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool wantsKey(Word Key, TShiftState Shift) const override;

private:
    // Puts an edit text of every position, its blank characters as spaces.
    void putEditText(std::string Text);
    // The text waiting for the widget when it is Text() itself, or nullptr.
    const std::string* waitingText() const;

    std::string editMask_;
    TEditMask mask_;
    std::string textOnEnter_;
};
