#pragma once
// Typed access to one settings file. Each key is described once, with its
// section, name and default, and the description's type decides how the text
// in the file is read and written. Nothing is kept open or cached: every read
// and write goes to the file, so a value another workstation saved is seen at
// the next read.
//
// Several workstations share a company's settings, so every write is a
// read-modify-write under the file's own lock that puts a complete new file
// in place by renaming: a reader sees the old file or the new one, never part
// of one, and two writers never lose each other's change.
#include <functional>
#include <string>
#include <string_view>

struct TTextKey {
    std::string_view Section;
    std::string_view Ident;
    std::string_view Default;
};

// Decimal text; a missing key or a text that is not a number reads as Default.
struct TIntegerKey {
    std::string_view Section;
    std::string_view Ident;
    int Default;
};

// "1" or "0"; any non-zero integer reads as true, anything else as Default.
struct TBoolKey {
    std::string_view Section;
    std::string_view Ident;
    bool Default;
};

class TSettingsFile {
public:
    // A bare name lives in the Windows folder; paths go through the path mapping.
    explicit TSettingsFile(std::string FileName) : fileName_(std::move(FileName)) {}

    const std::string& FileName() const { return fileName_; }

    std::string Read(const TTextKey& Key) const;
    int Read(const TIntegerKey& Key) const;
    bool Read(const TBoolKey& Key) const;
    // Writing creates the file and the section when missing; a missing folder
    // is not created (EIniFileException).
    void Write(const TTextKey& Key, const std::string& Value);
    void Write(const TIntegerKey& Key, int Value);
    void Write(const TBoolKey& Key, bool Value);
    // Reads the value, lets Change turn it into the new one and writes that,
    // all under one lock, so that counts kept by several workstations stay
    // exact. Returns the value read.
    int Update(const TIntegerKey& Key, const std::function<int(int Old)>& Change);

    // Numbers kept as text (tax rates, offsets, last numbers). The text, or
    // the key's default text when it is missing or blank, is converted with
    // the class library's conversions; a text that is not a number raises
    // EConvertError rather than passing for a wrong amount.
    double ReadFloat(const TTextKey& Key) const;
    void WriteFloat(const TTextKey& Key, double Value);
    int ReadInteger(const TTextKey& Key) const;

private:
    std::string readNumberText(const TTextKey& Key) const;
    // The file on this machine, as the INI object resolves it.
    std::string mappedPath() const;
    // Runs Change on a private copy of the file under the file's lock and
    // renames the copy over the file. Raises EIniFileException "Unable to
    // write to <file>" when the folder is missing or nothing can be written.
    void rewrite(const std::function<void(const std::string& CopyPath)>& Change) const;

    std::string fileName_;
};
