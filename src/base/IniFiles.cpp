#include "base/IniFiles.h"

#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include "base/Exceptions.h"
#include "base/SysUtils.h"
#include "os/Paths.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

std::string trimBlanks(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

bool hasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// One pair of matching quotes around a value is not part of it.
std::string unquote(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class LineKind { Other, Section, Key };

struct IniLine {
    std::string text;
    LineKind kind = LineKind::Other;
    std::string name;   // section or key name, trimmed
    std::string value;  // key value, trimmed
};

IniLine classify(std::string text) {
    IniLine line;
    std::string trimmed = trimBlanks(text);
    line.text = std::move(text);
    if (trimmed.empty() || trimmed[0] == ';') return line;
    if (trimmed[0] == '[') {
        size_t close = trimmed.rfind(']');
        if (close != std::string::npos) {
            line.kind = LineKind::Section;
            line.name = trimBlanks(trimmed.substr(1, close - 1));
            return line;
        }
    }
    size_t eq = trimmed.find('=');
    if (eq != std::string::npos) {
        line.kind = LineKind::Key;
        line.name = trimBlanks(trimmed.substr(0, eq));
        line.value = trimBlanks(trimmed.substr(eq + 1));
    }
    return line;
}

// The lines of one settings file, as read at one moment.
class IniText {
public:
    explicit IniText(const std::string& content) {
        size_t p = 0, n = content.size();
        while (p < n) {
            size_t start = p;
            while (p < n && content[p] != '\r' && content[p] != '\n') ++p;
            lines_.push_back(classify(content.substr(start, p - start)));
            if (p < n && content[p] == '\r') ++p;
            if (p < n && content[p] == '\n') ++p;
        }
    }

    std::string content() const {
        std::string out;
        for (const IniLine& line : lines_) out += line.text + "\r\n";
        return out;
    }

    int count() const { return static_cast<int>(lines_.size()); }
    const IniLine& line(int i) const { return lines_[i]; }

    // Index of the first header of the section, or -1.
    int findSection(const std::string& section) const {
        for (int i = 0; i < count(); ++i)
            if (lines_[i].kind == LineKind::Section && sameName(lines_[i].name, section)) return i;
        return -1;
    }

    // The index after the last line of the section that starts at header.
    int sectionEnd(int header) const {
        int i = header + 1;
        while (i < count() && lines_[i].kind != LineKind::Section) ++i;
        return i;
    }

    // Index of the key's first line in the section, or -1.
    int findKey(const std::string& section, const std::string& key) const {
        int header = findSection(section);
        if (header < 0) return -1;
        for (int i = header + 1, end = sectionEnd(header); i < end; ++i)
            if (lines_[i].kind == LineKind::Key && sameName(lines_[i].name, key)) return i;
        return -1;
    }

    std::vector<std::string> keys(const std::string& section) const {
        std::vector<std::string> result;
        int header = findSection(section);
        if (header < 0) return result;
        for (int i = header + 1, end = sectionEnd(header); i < end; ++i) {
            if (lines_[i].kind != LineKind::Key) continue;
            bool seen = false;
            for (const std::string& k : result) seen = seen || sameName(k, lines_[i].name);
            if (!seen) result.push_back(lines_[i].name);
        }
        return result;
    }

    std::vector<std::string> sections() const {
        std::vector<std::string> result;
        for (const IniLine& line : lines_) {
            if (line.kind != LineKind::Section) continue;
            bool seen = false;
            for (const std::string& s : result) seen = seen || sameName(s, line.name);
            if (!seen) result.push_back(line.name);
        }
        return result;
    }

    // Each change answers whether the lines changed.
    bool setValue(const std::string& section, const std::string& key, const std::string& value) {
        int found = findKey(section, key);
        if (found >= 0) {
            std::string newText = lines_[found].name + "=" + value;
            if (lines_[found].text == newText) return false;
            lines_[found] = classify(newText);
            return true;
        }
        int header = findSection(section);
        if (header < 0) {
            if (!lines_.empty() && !trimBlanks(lines_.back().text).empty()) lines_.push_back(classify(""));
            lines_.push_back(classify("[" + section + "]"));
            lines_.push_back(classify(key + "=" + value));
            return true;
        }
        // After the section's last non-blank line, so blank lines that
        // separate it from the next section stay where they are.
        int at = header + 1;
        for (int i = header + 1, end = sectionEnd(header); i < end; ++i)
            if (!trimBlanks(lines_[i].text).empty()) at = i + 1;
        lines_.insert(lines_.begin() + at, classify(key + "=" + value));
        return true;
    }

    bool deleteKey(const std::string& section, const std::string& key) {
        int header = findSection(section);
        if (header < 0) return false;
        bool changed = false;
        for (int i = sectionEnd(header) - 1; i > header; --i) {
            if (lines_[i].kind == LineKind::Key && sameName(lines_[i].name, key)) {
                lines_.erase(lines_.begin() + i);
                changed = true;
            }
        }
        return changed;
    }

    bool eraseSection(const std::string& section) {
        bool changed = false;
        for (int header = findSection(section); header >= 0; header = findSection(section)) {
            lines_.erase(lines_.begin() + header, lines_.begin() + sectionEnd(header));
            changed = true;
        }
        return changed;
    }

private:
    std::vector<IniLine> lines_;
};

enum class ReadResult { Read, Missing, Unreadable };

ReadResult readFile(const std::string& path, std::string& content) {
    content.clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        struct stat st;
        return stat(path.c_str(), &st) == 0 ? ReadResult::Unreadable : ReadResult::Missing;
    }
    char buffer[16384];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, got);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        content.clear();
        return ReadResult::Unreadable;
    }
    return ReadResult::Read;
}

bool writeFile(const std::string& path, const std::string& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
    return (std::fclose(f) == 0) && ok;
}

// Reads the file now; a missing or unreadable file reads as empty.
IniText load(const std::string& path) {
    std::string content;
    readFile(path, content);
    return IniText(content);
}

// Reads, changes and writes back the file. A file that exists but cannot be
// read is left alone rather than overwritten with only the new line.
template <class Change>
void update(const std::string& path, const std::string& fileName, Change change) {
    std::string content;
    ReadResult read = readFile(path, content);
    if (read == ReadResult::Unreadable) throw EIniFileException("Unable to write to " + fileName);
    IniText text(content);
    if (!change(text)) return;
    if (!writeFile(path, text.content())) throw EIniFileException("Unable to write to " + fileName);
}

// Replaces the lines of Strings with those Fill adds, as one update.
template <class Fill>
void refill(TStrings& Strings, Fill fill) {
    Strings.BeginUpdate();
    try {
        Strings.Clear();
        fill();
    } catch (...) {
        Strings.EndUpdate();
        throw;
    }
    Strings.EndUpdate();
}

}  // namespace

std::string TIniFile::mappedPath() const {
    if (fileName_.find_first_of("/\\:") == std::string::npos)
        return os::MapPath(os::IncludeTrailingPathDelimiter(os::WindowsFolder()) + fileName_);
    return os::MapPath(fileName_);
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) const {
    IniText text = load(mappedPath());
    int found = text.findKey(trimBlanks(Section), trimBlanks(Ident));
    if (found >= 0) return unquote(text.line(found).value);
    // As the Windows call does, the default loses its trailing blanks.
    size_t end = Default.size();
    while (end > 0 && Default[end - 1] == ' ') --end;
    return Default.substr(0, end);
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
    std::string section = trimBlanks(Section), key = trimBlanks(Ident);
    bool breaksStructure = hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(Value) || key.empty() ||
                           key.find('=') != std::string::npos || key[0] == '[' || key[0] == ';';
    if (breaksStructure) throw EIniFileException("Unable to write to " + fileName_);
    update(mappedPath(), fileName_, [&](IniText& text) { return text.setValue(section, key, Value); });
}

int TIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) const {
    return StrToIntDef(ReadString(Section, Ident, ""), Default);
}

void TIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) const {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

double TIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) const {
    std::string s = ReadString(Section, Ident, "");
    double value;
    if (!s.empty() && TryStrToFloat(s, value)) return value;
    return Default;
}

void TIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

TDateTime TIniFile::ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const {
    std::string s = ReadString(Section, Ident, "");
    TDateTime value;
    if (!s.empty() && TryStrToDate(s, value)) return value;
    return Default;
}

void TIniFile::ReadSection(const std::string& Section, TStrings& Strings) const {
    std::vector<std::string> keys = load(mappedPath()).keys(trimBlanks(Section));
    refill(Strings, [&] {
        for (const std::string& k : keys) Strings.Add(k);
    });
}

void TIniFile::ReadSections(TStrings& Strings) const {
    std::vector<std::string> sections = load(mappedPath()).sections();
    refill(Strings, [&] {
        for (const std::string& s : sections) Strings.Add(s);
    });
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings& Strings) const {
    // One reading of the file for all the values, so they belong together.
    IniText text = load(mappedPath());
    std::string section = trimBlanks(Section);
    refill(Strings, [&] {
        for (const std::string& k : text.keys(section))
            Strings.Add(k + "=" + unquote(text.line(text.findKey(section, k)).value));
    });
}

void TIniFile::EraseSection(const std::string& Section) {
    std::string section = trimBlanks(Section);
    update(mappedPath(), fileName_, [&](IniText& text) { return text.eraseSection(section); });
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    std::string section = trimBlanks(Section), key = trimBlanks(Ident);
    update(mappedPath(), fileName_, [&](IniText& text) { return text.deleteKey(section, key); });
}

bool TIniFile::SectionExists(const std::string& Section) const {
    return !load(mappedPath()).keys(trimBlanks(Section)).empty();
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) const {
    return load(mappedPath()).findKey(trimBlanks(Section), trimBlanks(Ident)) >= 0;
}
