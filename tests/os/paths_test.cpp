#include "os/Paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/ScopedRoot.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;

namespace {

void touch(const std::string& path, const std::string& content = "") {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a block with the current folder changed, restoring it afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder) : saved_(fs::current_path()) { fs::current_path(folder); }
    ~CurrentFolder() { fs::current_path(saved_); }

private:
    fs::path saved_;
};

}  // namespace

TEST(MapPath, MatchesExistingComponentsWithoutRegardToCase) {
    TempDir dir;
    touch(dir.file("Data/Acme/SALES.DBF"));
    touch(dir.file("Data/Acme/Sales.nsx"));
    touch(dir.file("Company/Acme.ini"));
    touch(dir.file("Mixed/a.txt"));
    touch(dir.file("Mixed/A.TXT"));
    const std::string d = dir.path();
    struct Case {
        std::string given;
        std::string expected;
    } cases[] = {
        {d + "/data/acme/sales.dbf", d + "/Data/Acme/SALES.DBF"},
        {d + "/DATA/ACME/SALES.NSX", d + "/Data/Acme/Sales.nsx"},
        {d + "\\company\\ACME.INI", d + "/Company/Acme.ini"},
        // New names keep the case they were given, below the last existing folder.
        {d + "/data/acme/NewTable.DBF", d + "/Data/Acme/NewTable.DBF"},
        {d + "/data/NewCo/Sub/x.DBF", d + "/Data/NewCo/Sub/x.DBF"},
        // The exact name wins over another that differs only in case.
        {d + "/mixed/A.TXT", d + "/Mixed/A.TXT"},
        {d + "/mixed/a.txt", d + "/Mixed/a.txt"},
        // Doubled separators collapse; a trailing one stays.
        {d + "//data\\\\acme\\", d + "/Data/Acme/"},
        {d + "/data/./acme/sales.dbf", d + "/Data/Acme/SALES.DBF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(os::MapPath(c.given), c.expected) << c.given;
}

TEST(MapPath, DrivesMapUnderTheInstallationRoot) {
    ScopedRoot scopedRoot;
    const std::string root = os::InstallRoot();
    touch(root + "/temp/Temp3.DBF");
    touch(root + "/drive_d/Quen/Data.txt");
    struct Case {
        std::string given;
        std::string expected;
    } cases[] = {
        {"C:\\TEMP", root + "/temp"},
        {"c:\\temp\\", root + "/temp/"},
        {"c:\\temp\\temp3.dbf", root + "/temp/Temp3.DBF"},
        {"C:\\Temp\\New1.dbf", root + "/temp/New1.dbf"},
        {"C:\\Project\\VO97\\QM.duz", root + "/drive_c/Project/VO97/QM.duz"},
        {"d:\\QUEN\\data.TXT", root + "/drive_d/Quen/Data.txt"},
        {"E:/x", root + "/drive_e/x"},
        {"C:\\TEMPORARY\\x", root + "/drive_c/TEMPORARY/x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(os::MapPath(c.given), c.expected) << c.given;
}

TEST(MapPath, RelativePathsStartAtTheCurrentFolder) {
    TempDir dir;
    touch(dir.file("Program/QMHelp.HLP"));
    CurrentFolder here(dir.path());
    EXPECT_EQ(os::MapPath(".\\program\\qmhelp.hlp"), "Program/QMHelp.HLP");
    EXPECT_EQ(os::MapPath("PROGRAM/new.txt"), "Program/new.txt");
    EXPECT_EQ(os::MapPath(".\\"), "./");
    EXPECT_TRUE(os::FileExists(".\\program\\QMHELP.hlp"));
}

TEST(Folders, RootAndTempFolderAreCreatedWhenMissing) {
    ScopedRoot scopedRoot;
    const std::string root = os::InstallRoot();
    EXPECT_EQ(root, scopedRoot.path());
    EXPECT_TRUE(fs::is_directory(root));
    EXPECT_EQ(os::TempFolder(), root + "/temp");
    EXPECT_TRUE(fs::is_directory(root + "/temp"));
    EXPECT_EQ(os::WindowsFolder(), root);
    EXPECT_TRUE(fs::exists(os::ProgramFolder() + "/test_os"));
}

TEST(Folders, DefaultRootIsInTheUsersDataFolder) {
    ScopedRoot scopedRoot;
    TempDir home;
    std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.path().c_str(), 1);
    unsetenv("QUENMARK_ROOT");
    std::string root = os::InstallRoot();
    setenv("HOME", savedHome.c_str(), 1);
    EXPECT_EQ(root, home.path() + "/.local/share/quenmark");
    EXPECT_TRUE(fs::is_directory(root));
}

TEST(FileHelpers, WorkThroughTheMapping) {
    TempDir dir;
    touch(dir.file("Data/Log.TXT"), "audit");
    const std::string logPath = dir.path() + "\\DATA\\log.txt";
    EXPECT_TRUE(os::FileExists(logPath));
    EXPECT_FALSE(os::FileExists(dir.path() + "\\data"));
    EXPECT_TRUE(os::DirectoryExists(dir.path() + "\\data"));
    EXPECT_FALSE(os::DirectoryExists(logPath));

    EXPECT_TRUE(os::CopyFile(logPath, dir.path() + "\\data\\Copy.txt", true));
    EXPECT_EQ(readAll(dir.file("Data/Copy.txt")), "audit");
    EXPECT_FALSE(os::CopyFile(logPath, dir.path() + "\\data\\COPY.TXT", true));
    touch(dir.file("Data/Copy.txt"), "old");
    EXPECT_TRUE(os::CopyFile(logPath, dir.path() + "\\data\\COPY.TXT", false));
    EXPECT_EQ(readAll(dir.file("Data/Copy.txt")), "audit");

    EXPECT_TRUE(os::DeleteFile(dir.path() + "\\data\\copy.TXT"));
    EXPECT_FALSE(fs::exists(dir.file("Data/Copy.txt")));
    EXPECT_FALSE(os::DeleteFile(dir.path() + "\\data\\copy.TXT"));
    EXPECT_FALSE(os::DeleteFile(dir.path() + "\\data"));
}

TEST(FileHelpers, RenameNeverOverwritesAnotherFile) {
    TempDir dir;
    touch(dir.file("EBill.dat"), "new");
    touch(dir.file("EBill.old"), "old");
    EXPECT_FALSE(os::RenameFile(dir.file("ebill.dat"), dir.file("EBILL.OLD")));
    EXPECT_EQ(readAll(dir.file("EBill.old")), "old");

    ASSERT_TRUE(os::DeleteFile(dir.file("ebill.OLD")));
    EXPECT_TRUE(os::RenameFile(dir.file("ebill.dat"), dir.file("EBill.old")));
    EXPECT_EQ(readAll(dir.file("EBill.old")), "new");
    EXPECT_FALSE(fs::exists(dir.file("EBill.dat")));

    // A change of case only renames the same file.
    EXPECT_TRUE(os::RenameFile(dir.file("EBill.old"), dir.file("EBILL.OLD")));
    EXPECT_TRUE(fs::exists(dir.file("EBILL.OLD")));
    EXPECT_FALSE(fs::exists(dir.file("EBill.old")));
    EXPECT_FALSE(os::RenameFile(dir.file("missing"), dir.file("other")));
}

TEST(FileHelpers, ForceDirectoriesReportsAFolderThatCannotBeMade) {
    TempDir dir;
    EXPECT_TRUE(os::ForceDirectories(dir.path() + "\\Data\\New Co\\Sub"));
    EXPECT_TRUE(fs::is_directory(dir.file("Data/New Co/Sub")));
    EXPECT_TRUE(os::ForceDirectories(dir.path() + "\\DATA\\new co"));

    touch(dir.file("plain"));
    EXPECT_FALSE(os::ForceDirectories(dir.file("plain/below")));
    EXPECT_FALSE(os::ForceDirectories(""));

    ScopedRoot scopedRoot;
    EXPECT_TRUE(os::ForceDirectories("C:\\temp\\Sub"));
    EXPECT_TRUE(fs::is_directory(os::InstallRoot() + "/temp/Sub"));
}

TEST(FileHelpers, ListFilesMatchesWildcardsWithoutRegardToCase) {
    TempDir dir;
    for (const char* name : {"Acme.ini", "BETA.INI", "gamma.ini.bak", "Temp1.dbf", "temp2.DBF", "Temp10.dbf", "README"})
        touch(dir.file(name));
    fs::create_directories(dir.file("Folder.ini"));
    using Names = std::vector<std::string>;
    struct Case {
        const char* pattern;
        Names expected;
    } cases[] = {
        {"*.ini", {"Acme.ini", "BETA.INI"}},
        {"temp?.dbf", {"Temp1.dbf", "temp2.DBF"}},
        {"TEMP*.DBF", {"Temp1.dbf", "Temp10.dbf", "temp2.DBF"}},
        {"readme.*", {"README"}},
        {"*.*", {"Acme.ini", "BETA.INI", "gamma.ini.bak", "README", "Temp1.dbf", "Temp10.dbf", "temp2.DBF"}},
        {"*.xyz", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(os::ListFiles(dir.path() + "\\", c.pattern), c.expected) << c.pattern;
    EXPECT_TRUE(os::ListFiles(dir.file("missing"), "*").empty());
}

TEST(FileHelpers, TempFileNamesAreNewAndUnique) {
    ScopedRoot scopedRoot;
    std::string first = os::TempFileName("RS");
    std::string second = os::TempFileName("RS");
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);
    for (const std::string& name : {first, second}) {
        EXPECT_EQ(os::ExtractFilePath(name), os::TempFolder() + "/");
        EXPECT_EQ(os::ExtractFileName(name).substr(0, 2), "RS");
        EXPECT_TRUE(fs::is_regular_file(name));
        EXPECT_EQ(fs::file_size(name), 0u);
    }
}

TEST(PathHelpers, UnderstandBothSeparators) {
    struct Case {
        const char* path;
        const char* name;
        const char* folder;
        const char* ext;
        const char* asIni;
    } cases[] = {
        {"c:\\temp\\temp1.dbf", "temp1.dbf", "c:\\temp\\", ".dbf", "c:\\temp\\temp1.ini"},
        {"/data/Acme/Sales.DBF", "Sales.DBF", "/data/Acme/", ".DBF", "/data/Acme/Sales.ini"},
        {"C:README", "README", "C:", "", "C:README.ini"},
        {"dir.v2\\file", "file", "dir.v2\\", "", "dir.v2\\file.ini"},
        {"a.b.c", "a.b.c", "", ".c", "a.b.ini"},
        {"", "", "", "", ".ini"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(os::ExtractFileName(c.path), c.name) << c.path;
        EXPECT_EQ(os::ExtractFilePath(c.path), c.folder) << c.path;
        EXPECT_EQ(os::ExtractFileExt(c.path), c.ext) << c.path;
        EXPECT_EQ(os::ChangeFileExt(c.path, ".ini"), c.asIni) << c.path;
    }
    EXPECT_EQ(os::IncludeTrailingPathDelimiter("c:\\temp"), "c:\\temp\\");
    EXPECT_EQ(os::IncludeTrailingPathDelimiter("/data"), "/data/");
    EXPECT_EQ(os::IncludeTrailingPathDelimiter("/data/"), "/data/");
}
