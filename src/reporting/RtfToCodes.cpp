// The RTF reader: RTF in, plain text with format-code runs out. It knows the
// control words that change the format state, the font and colour tables and
// a few special characters; everything else is skipped. Any byte string is
// read without failing: unbalanced braces, table indexes that do not exist
// and input cut short included.
#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <vector>

#include "base/Streams.h"
#include "reporting/TextFormatCodes.h"

namespace {

// Groups that open with one of these are skipped whole.
constexpr std::array<std::string_view, 32> IgnoredDestinations = {
    "author", "buptim", "comment", "creatim", "doccomm", "footer", "footerf", "footerl",
    "footerr", "footnote", "ftncn", "ftnsep", "ftnsepc", "header", "headerf", "headerl",
    "headerr", "info", "keywords", "operator", "pict", "printim", "private1", "revtim",
    "rxe", "stylesheet", "subject", "tc", "title", "txe", "xe", "*"};

// Font numbers above this are ignored; it keeps a hostile table small.
constexpr int MaxFontNumber = 32767;
// Groups nest deeper than this without saving more states.
constexpr std::size_t MaxSavedStates = 4096;

constexpr unsigned char BulletByte = 149;
constexpr unsigned char EnDashByte = 150;
constexpr unsigned char EmDashByte = 151;
constexpr unsigned char LeftQuoteByte = 145;
constexpr unsigned char RightQuoteByte = 146;
constexpr unsigned char LeftDoubleQuoteByte = 147;
constexpr unsigned char RightDoubleQuoteByte = 148;

enum class TokenKind { End, Word, GroupOpen, GroupClose, Text };

struct Token {
    Token() = default;
    explicit Token(TokenKind k) : kind(k) {}
    TokenKind kind = TokenKind::End;
    std::string word;  // control word or symbol
    bool hasParam = false;
    int param = 0;
    std::string text;
};

class RtfTokenizer {
public:
    RtfTokenizer(const char* buffer, int count) : data_(buffer, count > 0 ? count : 0) {
        std::size_t zero = data_.find('\0');
        if (zero != std::string_view::npos) data_ = data_.substr(0, zero);
    }

    Token next() {
        for (;;) {
            if (atEnd()) return {};
            char c = data_[pos_];
            if (c == '{') { ++pos_; return Token(TokenKind::GroupOpen); }
            if (c == '}') { ++pos_; return Token(TokenKind::GroupClose); }
            if (c == '\\' && startsControl()) return readControl();
            Token text = readText();
            if (!text.text.empty()) return text;
        }
    }

private:
    bool atEnd() const { return pos_ >= data_.size(); }
    char peek(std::size_t ahead = 0) const {
        return pos_ + ahead < data_.size() ? data_[pos_ + ahead] : '\0';
    }

    // A backslash that starts a control word or symbol rather than text.
    bool startsControl() const {
        char after = peek(1);
        return after != '\'' && after != '\\' && after != '{' && after != '}';
    }

    Token readControl() {
        ++pos_;  // the backslash
        while (peek() == ' ') ++pos_;
        Token token(TokenKind::Word);
        if (atEnd()) return next();
        if (peek() < 'a' || peek() > 'z') {
            token.word = std::string(1, data_[pos_++]);
            return token;
        }
        while (peek() >= 'a' && peek() <= 'z') token.word += data_[pos_++];
        bool negative = false;
        if (peek() == '-') { negative = true; ++pos_; token.hasParam = true; }
        long long value = 0;
        while (peek() >= '0' && peek() <= '9') {
            token.hasParam = true;
            value = std::min<long long>(value * 10 + (data_[pos_++] - '0'), INT_MAX);
        }
        token.param = static_cast<int>(negative ? -value : value);
        if (peek() == ' ') ++pos_;
        return token;
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }

    // After a backslash and an apostrophe: the byte of two hex digits; a
    // character that is no hex digit counts as -1.
    char readHexByte() {
        int value = 0;
        for (int digit = 0; digit < 2; ++digit) {
            int v = atEnd() ? -1 : hexValue(data_[pos_++]);
            value = value * 16 + v;
        }
        return static_cast<char>(value & 0xFF);
    }

    Token readText() {
        Token token(TokenKind::Text);
        while (!atEnd()) {
            char c = data_[pos_];
            if (c == '{' || c == '}') break;
            if (c == '\\') {
                char after = peek(1);
                if (after == '\\' || after == '{' || after == '}') {
                    token.text += after;
                    pos_ += 2;
                    continue;
                }
                if (after != '\'') break;
                pos_ += 2;
                c = readHexByte();
            } else {
                ++pos_;
            }
            // Control bytes are dropped, also when escaped: bytes 1-4 would
            // open and close format runs inside the text.
            if (static_cast<unsigned char>(c) >= 32) token.text += c;
        }
        return token;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
};

bool isIgnoredDestination(const Token& token) {
    return token.kind == TokenKind::Word &&
           std::find(IgnoredDestinations.begin(), IgnoredDestinations.end(), token.word) !=
               IgnoredDestinations.end();
}

class RtfReader {
public:
    RtfReader(const char* buffer, int count, TStream* stream) : tokens_(buffer, count), stream_(stream) {}

    void run() {
        for (Token token = tokens_.next(); token.kind != TokenKind::End; token = nextToken()) {
            switch (token.kind) {
                case TokenKind::GroupOpen: openGroup(); break;
                case TokenKind::GroupClose: closeGroup(); break;
                case TokenKind::Word: word(token); break;
                case TokenKind::Text: text(token.text); break;
                case TokenKind::End: break;
            }
        }
    }

private:
    enum class Table { None, Fonts, Colours };

    // The token the loop handles next: one looked at by openGroup, if any.
    Token nextToken() {
        if (!hasPending_) return tokens_.next();
        hasPending_ = false;
        return std::move(pending_);
    }

    // Looks at the group's first token; the loop handles it unless the
    // group is skipped.
    void openGroup() {
        Token first = tokens_.next();
        if (isIgnoredDestination(first)) {
            skipGroup();
            return;
        }
        ++depth_;
        if (saved_.size() < MaxSavedStates) saved_.push_back(state_);
        pending_ = std::move(first);
        hasPending_ = true;
    }

    // The rest of a group whose first token was read, nested groups included.
    void skipGroup() {
        int level = 1;
        for (Token token = tokens_.next(); token.kind != TokenKind::End; token = tokens_.next()) {
            if (token.kind == TokenKind::GroupOpen) ++level;
            if (token.kind == TokenKind::GroupClose && --level == 0) return;
        }
    }

    void closeGroup() {
        if (depth_ == 0) return;  // unbalanced: nothing to restore
        if (static_cast<std::size_t>(depth_) <= saved_.size()) {
            state_ = saved_.back();
            saved_.pop_back();
        }
        --depth_;
        if (table_ != Table::None && depth_ < tableDepth_) endTable();
    }

    void startTable(Table table) {
        table_ = table;
        tableDepth_ = depth_;
        fontIndex_ = 0;
        red_ = green_ = blue_ = 0;
    }

    // Called with the state of the group the table sat in.
    void endTable() {
        if (table_ == Table::Fonts) {
            if (fonts_.empty()) fonts_.push_back("Arial");
            state_.Name = fontName(defaultFont_);
        }
        table_ = Table::None;
    }

    std::string fontName(int index) const {
        auto usable = [&](int i) { return i >= 0 && i < static_cast<int>(fonts_.size()) && !fonts_[i].empty(); };
        if (usable(index)) return fonts_[index].substr(0, FormatNameLength);
        if (usable(0)) return fonts_[0].substr(0, FormatNameLength);
        return TFormatState().Name;
    }

    std::int32_t colour(int index) const {
        return index >= 0 && index < static_cast<int>(colours_.size()) ? colours_[index] : 0;
    }

    void tableWord(const Token& token) {
        if (table_ == Table::Fonts) {
            if (token.word == "f" && token.hasParam && token.param >= 0 && token.param <= MaxFontNumber)
                fontIndex_ = token.param;
            return;
        }
        int component = std::clamp(token.param, 0, 255);
        if (token.word == "red") red_ = component;
        if (token.word == "green") green_ = component;
        if (token.word == "blue") blue_ = component;
    }

    void tableText(const std::string& text) {
        if (table_ == Table::Fonts) {
            std::string name = text;
            if (!name.empty() && name.back() == ';') name.pop_back();
            if (fonts_.size() <= static_cast<std::size_t>(fontIndex_)) fonts_.resize(fontIndex_ + 1);
            fonts_[fontIndex_] = name;
            return;
        }
        if (text.find(';') == std::string::npos) return;
        colours_.push_back(RGB(red_, green_, blue_));
        red_ = green_ = blue_ = 0;
    }

    void word(const Token& token) {
        if (table_ != Table::None) {
            tableWord(token);
            return;
        }
        const std::string& w = token.word;
        const bool on = !token.hasParam || token.param != 0;
        const TFormatState fresh;
        if (w == "fonttbl") startTable(Table::Fonts);
        else if (w == "colortbl") startTable(Table::Colours);
        else if (w == "b") state_.Bold = on;
        else if (w == "i") state_.Italic = on;
        else if (w == "ul") state_.Underline = on;
        else if (w == "strike") state_.StrikeOut = on;
        else if (w == "ulnone") state_.Underline = false;
        else if (w == "sub") state_.Subscript = on;
        else if (w == "super") state_.Superscript = on;
        else if (w == "nosupersub") state_.Subscript = state_.Superscript = false;
        else if (w == "f") state_.Name = fontName(token.param);
        else if (w == "fs") { if (token.param > 0) state_.Size = token.param / 2.0; }
        else if (w == "cf") state_.Color = colour(token.param);
        else if (w == "plain" || w == "pntext") {
            state_.Bold = fresh.Bold;
            state_.Italic = fresh.Italic;
            state_.Underline = fresh.Underline;
            state_.StrikeOut = fresh.StrikeOut;
            state_.Subscript = fresh.Subscript;
            state_.Superscript = fresh.Superscript;
            state_.Pitch = fresh.Pitch;
            state_.Color = fresh.Color;
            if (w == "plain") state_.Size = fresh.Size;
            state_.Name = fontName(0);
        }
        else if (w == "deff") defaultFont_ = token.param;
        else if (w == "ql") state_.Justify = pjLeft;
        else if (w == "qc") state_.Justify = pjCenter;
        else if (w == "qr") state_.Justify = pjRight;
        else if (w == "qj") state_.Justify = pjBlock;
        else if (w == "pard") {
            state_.Justify = fresh.Justify;
            state_.FirstIndent = fresh.FirstIndent;
            state_.LeftIndent = fresh.LeftIndent;
            state_.RightIndent = fresh.RightIndent;
        }
        else if (w == "fi") state_.FirstIndent = token.param / 1440.0;
        else if (w == "li") state_.LeftIndent = token.param / 1440.0;
        else if (w == "ri") state_.RightIndent = token.param / 1440.0;
        else if (w == "par") write("\r\n");
        else if (w == "tab") write("\t");
        else if (w == "bullet") write(std::string(1, static_cast<char>(BulletByte)));
        else if (w == "endash") write(std::string(1, static_cast<char>(EnDashByte)));
        else if (w == "emdash") write(std::string(1, static_cast<char>(EmDashByte)));
        else if (w == "lquote") write(std::string(1, static_cast<char>(LeftQuoteByte)));
        else if (w == "rquote") write(std::string(1, static_cast<char>(RightQuoteByte)));
        else if (w == "ldblquote") write(std::string(1, static_cast<char>(LeftDoubleQuoteByte)));
        else if (w == "rdblquote") write(std::string(1, static_cast<char>(RightDoubleQuoteByte)));
    }

    void text(const std::string& text) {
        if (table_ != Table::None) tableText(text);
        else write(text);
    }

    // The text behind the shorter of a full-reset run and a difference run.
    void write(const std::string& text) {
        std::string full;
        AddCode(full, "R");
        CodesForChange(full, state_, TFormatState());
        std::string codes = full;
        if (anyWritten_) {
            std::string difference;
            CodesForChange(difference, state_, written_);
            if (difference.size() <= full.size()) codes = difference;
        }
        if (!codes.empty()) {
            codes += FormatRunEnd;
            stream_->WriteBuffer(codes.data(), static_cast<std::int64_t>(codes.size()));
        }
        stream_->WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
        written_ = state_;
        anyWritten_ = true;
    }

    RtfTokenizer tokens_;
    TStream* stream_;
    TFormatState state_;
    TFormatState written_;
    bool anyWritten_ = false;
    std::vector<TFormatState> saved_;
    int depth_ = 0;
    Table table_ = Table::None;
    int tableDepth_ = 0;
    Token pending_;
    bool hasPending_ = false;
    int fontIndex_ = 0;
    int defaultFont_ = 0;
    int red_ = 0, green_ = 0, blue_ = 0;
    std::vector<std::string> fonts_;
    std::vector<std::int32_t> colours_;
};

}  // namespace

void RTFToCodes(const char* Buffer, int Count, TStream* Stream) {
    RtfReader(Buffer, Count, Stream).run();
}

std::string RTFToCodes(const std::string& Rtf) {
    TStringStream stream;
    RTFToCodes(Rtf.data(), static_cast<int>(Rtf.size()), &stream);
    return stream.DataString();
}
