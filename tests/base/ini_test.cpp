#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/Classes.h"
#include "base/DateTime.h"
#include "base/Exceptions.h"
#include "base/IniFiles.h"
#include "os/Paths.h"
#include "support/TempDir.h"

namespace {

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

std::vector<std::string> linesOf(const TStrings& list) {
    std::vector<std::string> result;
    for (int i = 0; i < list.Count(); ++i) result.push_back(list.Strings(i));
    return result;
}

std::string writeError(const std::function<void()>& action) {
    try {
        action();
    } catch (const EIniFileException& e) {
        return e.Message();
    }
    return "(no exception)";
}

// A settings file as people and older programs leave them: comments, blank
// lines, odd spacing and case, quotes, LF line ends.
const char* kSample =
    "; workstation settings\n"
    "[Configuration]\n"
    "DataDirectory = C:\\Quenmark\\Data\\Demo  \n"
    "CallerIDComPort=Not Installed\n"
    ";CashDrawerPort=COM9\n"
    "\n"
    "  [ labrx ]  \n"
    "PrntOffset=1\n"
    "Quoted=\"  padded  \"\n"
    "Single='x'\n"
    "Mismatched=\"x'\n"
    "Lone=\"\n"
    "Empty=\n"
    "\n"
    "[Configuration]\n"
    "Later=ignored\n";

class IniTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("VO97.ini");
};

}  // namespace

TEST_F(IniTest, ReadsWithWindowsLookupRules) {
    writeBytes(path, kSample);
    TIniFile ini(path);
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        const char* expected;
    } cases[] = {
        {"Configuration", "DataDirectory", "", "C:\\Quenmark\\Data\\Demo"},  // value trimmed
        {"CONFIGURATION", "datadirectory", "", "C:\\Quenmark\\Data\\Demo"},  // names without regard to case
        {"LabRx", "PrntOffset", "0", "1"},                                    // blanks around the header
        {"LabRx", "Quoted", "", "  padded  "},                               // one pair of quotes goes
        {"LabRx", "Single", "", "x"},
        {"LabRx", "Mismatched", "", "\"x'"},
        {"LabRx", "Lone", "", "\""},
        {"LabRx", "Empty", "dflt", ""},                                      // present but empty
        {"Configuration", "CashDrawerPort", "No Cash Drawer", "No Cash Drawer"},  // commented out
        {"Configuration", "Missing", "fallback  ", "fallback"},              // default loses trailing blanks
        {"NoSuchSection", "DataDirectory", "none", "none"},
        {"Configuration", "Later", "first only", "first only"},              // a repeated section is not read
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, c.def), c.expected) << c.section << "/" << c.key;
}

TEST_F(IniTest, IntegersBooleansAndFloats) {
    writeBytes(path,
               "[N]\nDec=42\nNeg= -7 \nHex=0x1F\nDollar=$10\nWord=abc\nFrac=1.5\nBig=99999999999\n"
               "True=true\nTwo=2\nZero=0\nRate=7.25\nZeroFloat=0.0\nBadFloat=7,25\nExp=1E3\nDay=2/14/2003\n");
    TIniFile ini(path);
    struct IntCase {
        const char* key;
        int expected;
    } ints[] = {{"Dec", 42},   {"Neg", -7},  {"Hex", 31},     {"Dollar", 16},
                {"Word", -1},  {"Frac", -1}, {"Big", -1},     {"Missing", -1}};
    for (const IntCase& c : ints) EXPECT_EQ(ini.ReadInteger("N", c.key, -1), c.expected) << c.key;

    struct BoolCase {
        const char* key;
        bool def;
        bool expected;
    } bools[] = {{"Dec", false, true},   {"Neg", false, true},  {"Zero", true, false}, {"Two", false, true},
                 {"True", false, false}, {"True", true, true},  {"Missing", true, true}};
    for (const BoolCase& c : bools) EXPECT_EQ(ini.ReadBool("N", c.key, c.def), c.expected) << c.key;

    struct FloatCase {
        const char* key;
        double expected;
    } floats[] = {{"Rate", 7.25}, {"ZeroFloat", 0.0}, {"Exp", 1000.0}, {"BadFloat", -1.0}, {"Missing", -1.0}};
    for (const FloatCase& c : floats) EXPECT_DOUBLE_EQ(ini.ReadFloat("N", c.key, -1.0), c.expected) << c.key;
    EXPECT_EQ(ini.ReadDate("N", "Day", -1), EncodeDate(2003, 2, 14));
    EXPECT_EQ(ini.ReadDate("N", "Word", -1), -1);
    EXPECT_EQ(ini.ReadDate("N", "Missing", -1), -1);

    ini.WriteBool("W", "On", true);
    ini.WriteBool("W", "Off", false);
    ini.WriteInteger("W", "Count", -3);
    ini.WriteFloat("W", "Tax", 0.1);
    EXPECT_EQ(ini.ReadString("W", "On", ""), "1");
    EXPECT_EQ(ini.ReadString("W", "Off", ""), "0");
    EXPECT_EQ(ini.ReadInteger("W", "Count", 0), -3);
    EXPECT_EQ(ini.ReadString("W", "Tax", ""), "0.1");
    EXPECT_DOUBLE_EQ(ini.ReadFloat("W", "Tax", 0), 0.1);
}

TEST_F(IniTest, WritesKeepTheRestOfTheFile) {
    const std::string original =
        "; keep me\r\n"
        "[Data]\r\n"
        "OpenCount = 2\r\n"
        "LastSalesID=17\r\n"
        "\r\n"
        "[Receipt]\r\n"
        "ReceiptCopies=1\r\n";
    struct Case {
        const char* what;
        std::function<void(TIniFile&)> change;
        std::string expected;
    } cases[] = {
        {"replace in place, key keeps its spelling",
         [](TIniFile& ini) { ini.WriteInteger("DATA", "opencount", 3); },
         "; keep me\r\n[Data]\r\nOpenCount=3\r\nLastSalesID=17\r\n\r\n[Receipt]\r\nReceiptCopies=1\r\n"},
        {"new key after the section's last line, before the blank",
         [](TIniFile& ini) { ini.WriteString("data", "LastPatientID", "5"); },
         "; keep me\r\n[Data]\r\nOpenCount = 2\r\nLastSalesID=17\r\nLastPatientID=5\r\n\r\n[Receipt]\r\n"
         "ReceiptCopies=1\r\n"},
        {"new section at the end",
         [](TIniFile& ini) { ini.WriteString("Postcards", "OtherNote", "Hello there"); },
         original + "\r\n[Postcards]\r\nOtherNote=Hello there\r\n"},
        {"delete key", [](TIniFile& ini) { ini.DeleteKey("Data", "OPENCOUNT"); },
         "; keep me\r\n[Data]\r\nLastSalesID=17\r\n\r\n[Receipt]\r\nReceiptCopies=1\r\n"},
        {"erase section", [](TIniFile& ini) { ini.EraseSection("data"); },
         "; keep me\r\n[Receipt]\r\nReceiptCopies=1\r\n"},
        {"delete missing key leaves the file", [](TIniFile& ini) { ini.DeleteKey("Data", "Nope"); }, original},
    };
    for (const Case& c : cases) {
        writeBytes(path, original);
        TIniFile ini(path);
        c.change(ini);
        EXPECT_EQ(readBytes(path), c.expected) << c.what;
    }
}

TEST_F(IniTest, MissingFileReadsEmptyAndTheFirstWriteCreatesIt) {
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Configuration", "CashDrawerPort", "No Cash Drawer"), "No Cash Drawer");
    EXPECT_EQ(ini.ReadInteger("Data", "OpenCount", 0), 0);
    EXPECT_FALSE(ini.SectionExists("Configuration"));
    TStringList sections;
    sections.Add("stale");
    ini.ReadSections(sections);
    EXPECT_EQ(sections.Count(), 0);

    ini.DeleteKey("Data", "OpenCount");
    ini.EraseSection("Data");
    EXPECT_FALSE(exists(path));  // removing nothing creates nothing

    ini.WriteString("Configuration", "DataDirectory", "C:\\Data\\Demo");
    EXPECT_EQ(readBytes(path), "[Configuration]\r\nDataDirectory=C:\\Data\\Demo\r\n");
}

TEST_F(IniTest, WritesThatCannotSucceedRaise) {
    std::string inMissingFolder = dir.file("NoSuchFolder/Company.ini");
    TIniFile lost(inMissingFolder);
    EXPECT_EQ(writeError([&] { lost.WriteString("Data", "OpenCount", "1"); }), "Unable to write to " + inMissingFolder);
    EXPECT_FALSE(exists(dir.file("NoSuchFolder")));

    // A name that cannot be read as a file reads as empty and is never overwritten.
    std::string unreadable = dir.file("Folder.ini");
    ASSERT_EQ(mkdir(unreadable.c_str(), 0755), 0);
    TIniFile odd(unreadable);
    EXPECT_EQ(odd.ReadString("A", "B", "dflt"), "dflt");
    EXPECT_EQ(writeError([&] { odd.WriteString("A", "B", "c"); }), "Unable to write to " + unreadable);

    // Text that would change the file's structure is refused, the file untouched.
    writeBytes(path, "[A]\r\nB=1\r\n");
    TIniFile ini(path);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    } cases[] = {{"A", "B", "two\r\nlines"}, {"A", "B=C", "x"}, {"A\nB", "K", "x"}, {"A", "", "x"}, {"A", "[K]", "x"}};
    for (const Case& c : cases)
        EXPECT_EQ(writeError([&] { ini.WriteString(c.section, c.key, c.value); }), "Unable to write to " + path)
            << c.key << "=" << c.value;
    EXPECT_EQ(readBytes(path), "[A]\r\nB=1\r\n");
}

TEST_F(IniTest, SectionListings) {
    writeBytes(path, kSample);
    TIniFile ini(path);
    TStringList list;
    ini.ReadSections(list);
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"Configuration", "labrx"}));
    ini.ReadSection("LABRX", list);
    EXPECT_EQ(linesOf(list),
              (std::vector<std::string>{"PrntOffset", "Quoted", "Single", "Mismatched", "Lone", "Empty"}));
    ini.ReadSectionValues("Configuration", list);
    EXPECT_EQ(linesOf(list), (std::vector<std::string>{"DataDirectory=C:\\Quenmark\\Data\\Demo",
                                                      "CallerIDComPort=Not Installed"}));

    EXPECT_TRUE(ini.SectionExists("configuration"));
    EXPECT_TRUE(ini.ValueExists("labrx", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("Configuration", "CashDrawerPort"));
    writeBytes(path, "[Bare]\r\n; only a comment\r\n");
    EXPECT_FALSE(ini.SectionExists("Bare"));  // a section counts once it has a key
}

TEST_F(IniTest, EveryCallReadsTheFileAfresh) {
    writeBytes(path, "[Configuration]\r\nSalesTaxRate=6.0\r\n");
    TIniFile mine(path);
    TIniFile theirs(path);
    EXPECT_DOUBLE_EQ(mine.ReadFloat("Configuration", "SalesTaxRate", 0), 6.0);
    theirs.WriteString("Configuration", "SalesTaxRate", "7.5");
    EXPECT_DOUBLE_EQ(mine.ReadFloat("Configuration", "SalesTaxRate", 0), 7.5);
    writeBytes(path, "[Configuration]\r\nSalesTaxRate=8\r\n");  // changed by another program
    EXPECT_DOUBLE_EQ(mine.ReadFloat("Configuration", "SalesTaxRate", 0), 8.0);
}

TEST_F(IniTest, FileNamesGoThroughThePathMapping) {
    // A bare name lives in the Windows folder.
    TIniFile workstation("Vo97Test.ini");
    workstation.WriteString("Configuration", "CashDrawerPort", "COM2");
    std::string inWindowsFolder = os::IncludeTrailingPathDelimiter(os::WindowsFolder()) + "Vo97Test.ini";
    EXPECT_EQ(readBytes(inWindowsFolder), "[Configuration]\r\nCashDrawerPort=COM2\r\n");
    EXPECT_EQ(TIniFile("VO97TEST.INI").ReadString("configuration", "cashdrawerport", ""), "COM2");

    // Any other name: folders with backslashes, found without regard to case.
    writeBytes(dir.file("company.ini"), "[Receipt]\r\nReceiptCopies=2\r\n");
    TIniFile company(dir.path() + "\\COMPANY.INI");
    EXPECT_EQ(company.ReadInteger("Receipt", "ReceiptCopies", 1), 2);
    company.WriteInteger("Receipt", "ReceiptCopies", 3);
    EXPECT_EQ(readBytes(dir.file("company.ini")), "[Receipt]\r\nReceiptCopies=3\r\n");
    EXPECT_FALSE(exists(dir.file("COMPANY.INI")));
}
