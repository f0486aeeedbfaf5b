#pragma once
// Folders of the installation and the mapping of the Windows paths the
// program's settings and code use ("C:\TEMP\x.dbf", ".\program\x", "Sales.DBF")
// onto this machine's files.
#include <string>
#include <vector>

namespace os {

// QUENMARK_ROOT, or ~/.local/share/quenmark. Created when missing.
std::string InstallRoot();
// The folder of the running executable.
std::string ProgramFolder();
// Where the workstation settings file lives (the root stands for the Windows folder).
std::string WindowsFolder();
// <root>/temp, which stands for "C:\TEMP"; created when missing.
std::string TempFolder();

// Maps a Windows or POSIX path onto this machine: "\" becomes "/", "C:\TEMP\x"
// becomes <root>/temp/x, another drive "D:\x" becomes <root>/drive_d/x, ".\" is
// the current folder. Each component that exists on disk is matched without
// regard to (ASCII) case, the exact name first; components that do not exist
// keep the case given. A relative path stays relative; a trailing separator stays.
std::string MapPath(const std::string& path);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool DeleteFile(const std::string& path);
// Never replaces an existing file, as on Windows; a change of case only is allowed.
bool RenameFile(const std::string& from, const std::string& to);
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists);
// Makes the folder and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Names (not paths) of the files in a folder matching a wildcard such as
// "*.ini" or "Temp?.dbf", without regard to case, sorted.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);
// A new, empty, uniquely named file in the temp folder whose name begins with
// prefix and that ends in ".tmp"; returns its path, or "" when none can be made.
std::string TempFileName(const std::string& prefix);

// Path helpers that understand both separators.
std::string ExtractFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);   // with trailing separator
std::string ExtractFileExt(const std::string& path);    // with the dot
std::string ChangeFileExt(const std::string& path, const std::string& ext);
std::string IncludeTrailingPathDelimiter(const std::string& path);

}  // namespace os
