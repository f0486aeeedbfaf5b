#pragma once
// Settings files in the Windows profile format: "[Section]" lines followed by
// "Key=Value" lines. Lookups follow the Windows profile calls: section and key
// names compare without regard to case, values are trimmed and lose one pair
// of matching surrounding quotes, missing keys give the caller's default.
//
// Nothing is cached: every call reads the file afresh, since other
// workstations change shared settings files, and every write goes to disk at
// once, keeping the file's other lines, comments and order.
#include <string>

#include "base/Classes.h"
#include "base/DateTime.h"

class TIniFile : public TObject {
public:
    // A bare file name ("VO97.ini") lives in the Windows folder, as with the
    // Windows profile calls; any other name goes through the path mapping.
    explicit TIniFile(const std::string& FileName) : fileName_(FileName) {}

    const std::string& FileName() const { return fileName_; }

    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) const;
    // Raises EIniFileException "Unable to write to %s" when the file cannot
    // be written (a missing folder is not created) or the text would break
    // the file's structure (a line break, or "=" in a key).
    void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);

    // Decimal, or hexadecimal after "0x" or "$"; Default when missing or invalid.
    int ReadInteger(const std::string& Section, const std::string& Ident, int Default) const;
    void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
    // Stored as an integer: "1" or "0" when written, any non-zero reads as true.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default) const;
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    double ReadFloat(const std::string& Section, const std::string& Ident, double Default) const;
    void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
    // A date in the short date format; Default when missing or invalid.
    TDateTime ReadDate(const std::string& Section, const std::string& Ident, TDateTime Default) const;

    // The key names of the section, in file order.
    void ReadSection(const std::string& Section, TStrings& Strings) const;
    // The section names, in file order.
    void ReadSections(TStrings& Strings) const;
    // "Key=Value" lines of the section, values as ReadString gives them.
    void ReadSectionValues(const std::string& Section, TStrings& Strings) const;
    // Removes the section header and all its lines.
    void EraseSection(const std::string& Section);
    void DeleteKey(const std::string& Section, const std::string& Ident);
    // True when the section has at least one key.
    bool SectionExists(const std::string& Section) const;
    bool ValueExists(const std::string& Section, const std::string& Ident) const;
    // Writes are never held back, so there is nothing to flush.
    void UpdateFile() {}
    // The file on disk: a bare name lives in the Windows folder, as the class
    // library's INI files do; other names go through the path mapping.
    std::string mappedPath() const;

private:

    std::string fileName_;
};
