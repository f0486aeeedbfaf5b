#include "os/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace os {

namespace {

char lowerAscii(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool sameTextAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

bool lessTextAscii(const std::string& a, const std::string& b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        char x = lowerAscii(a[i]), y = lowerAscii(b[i]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;  // names differing only in case: a stable, byte-wise order
}

bool pathExists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    std::error_code ec;
    return fs::temp_directory_path(ec).string();
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty())
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

// The name in `folder` equal to `name` without regard to case; the exact name
// wins, otherwise the first in sorted order. Empty when there is none.
std::string findEntryIgnoringCase(const std::string& folder, const std::string& name) {
    if (pathExists(joinPath(folder, name)))
        return name;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::string best;
    while (const dirent* entry = readdir(dir)) {
        std::string candidate = entry->d_name;
        if (sameTextAscii(candidate, name) && (best.empty() || candidate < best))
            best = candidate;
    }
    closedir(dir);
    return best;
}

std::vector<std::string> splitComponents(const std::string& path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (c == '/') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

bool isDelimiter(char c) { return c == '/' || c == '\\' || c == ':'; }

size_t lastDelimiter(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (isDelimiter(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

// '*' any run of characters, '?' one character, without regard to case.
bool matchWildcard(const char* pattern, const char* name) {
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && lowerAscii(*pattern) == lowerAscii(*name))) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

bool matchFilePattern(const std::string& pattern, const std::string& name) {
    if (pattern.empty() || pattern == "*.*" || pattern == "*")
        return true;
    if (matchWildcard(pattern.c_str(), name.c_str()))
        return true;
    // As on Windows, "name.*" also finds a file without an extension.
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return matchWildcard(pattern.substr(0, pattern.size() - 2).c_str(), name.c_str());
    return false;
}

}  // namespace

std::string InstallRoot() {
    std::string root;
    if (const char* env = std::getenv("QUENMARK_ROOT"); env && *env)
        root = env;
    else
        root = homeFolder() + "/.local/share/quenmark";
    while (root.size() > 1 && root.back() == '/')
        root.pop_back();
    std::error_code ec;
    fs::create_directories(root, ec);
    return root;
}

std::string ProgramFolder() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return fs::current_path(ec).string();
    return exe.parent_path().string();
}

std::string WindowsFolder() { return InstallRoot(); }

std::string TempFolder() {
    std::string temp = InstallRoot() + "/temp";
    std::error_code ec;
    fs::create_directories(temp, ec);
    return temp;
}

std::string MapPath(const std::string& path) {
    if (path.empty())
        return path;
    std::string p = path;
    std::replace(p.begin(), p.end(), '\\', '/');

    std::string out;  // the resolved part; empty while a relative path has no component yet
    std::vector<std::string> parts;
    bool isDrivePath = p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':';
    if (isDrivePath) {
        char drive = lowerAscii(p[0]);
        parts = splitComponents(p.substr(2));
        if (drive == 'c' && !parts.empty() && sameTextAscii(parts.front(), "temp")) {
            out = TempFolder();
            parts.erase(parts.begin());
        } else {
            out = InstallRoot() + "/drive_" + drive;
        }
    } else {
        if (p.front() == '/')
            out = "/";
        parts = splitComponents(p);
    }

    bool onDisk = true;  // every component so far exists, so the next may be matched
    for (const std::string& part : parts) {
        if (part == ".")
            continue;
        std::string name = part;
        if (onDisk && part != "..") {
            std::string found = findEntryIgnoringCase(out, part);
            if (found.empty())
                onDisk = false;
            else
                name = found;
        }
        out = joinPath(out, name);
    }
    if (out.empty())
        out = ".";
    if (p.back() == '/' && out.back() != '/')
        out += '/';
    return out;
}

bool FileExists(const std::string& path) { return !path.empty() && isFile(MapPath(path)); }

bool DirectoryExists(const std::string& path) { return !path.empty() && isDirectory(MapPath(path)); }

bool DeleteFile(const std::string& path) {
    if (path.empty())
        return false;
    std::string mapped = MapPath(path);
    if (isDirectory(mapped))
        return false;
    return unlink(mapped.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty())
        return false;
    std::string source = MapPath(from);
    std::string target = MapPath(to);
    struct stat sourceStat, targetStat;
    if (lstat(source.c_str(), &sourceStat) != 0)
        return false;
    if (lstat(target.c_str(), &targetStat) == 0) {
        // The target already exists. Only a change of case of the same file
        // is allowed, as on Windows; anything else must not be overwritten.
        if (sourceStat.st_dev != targetStat.st_dev || sourceStat.st_ino != targetStat.st_ino)
            return false;
        std::string folder = ExtractFilePath(to);
        target = joinPath(folder.empty() ? "" : MapPath(folder), ExtractFileName(to));
        return std::rename(source.c_str(), target.c_str()) == 0;
    }
    if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without no-replace renames: link and unlink keep the same promise.
    if (link(source.c_str(), target.c_str()) != 0)
        return false;
    unlink(source.c_str());
    return true;
}

bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    if (from.empty() || to.empty())
        return false;
    std::string source = MapPath(from);
    if (!isFile(source))
        return false;
    std::error_code ec;
    auto options = failIfExists ? fs::copy_options::none : fs::copy_options::overwrite_existing;
    return fs::copy_file(source, MapPath(to), options, ec) && !ec;
}

bool ForceDirectories(const std::string& path) {
    if (path.empty())
        return false;
    std::string mapped = MapPath(path);
    std::error_code ec;
    fs::create_directories(mapped, ec);
    return isDirectory(mapped);
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) {
    std::vector<std::string> names;
    std::string mapped = folder.empty() ? "." : MapPath(folder);
    DIR* dir = opendir(mapped.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        if (matchFilePattern(pattern, name) && isFile(joinPath(mapped, name)))
            names.push_back(name);
    }
    closedir(dir);
    std::sort(names.begin(), names.end(), lessTextAscii);
    return names;
}

std::string TempFileName(const std::string& prefix) {
    std::string name = prefix;
    std::replace(name.begin(), name.end(), '/', '_');
    std::string pattern = TempFolder() + "/" + name + "XXXXXX.tmp";
    int fd = mkstemps(pattern.data(), 4);
    if (fd < 0)
        return {};
    close(fd);
    return pattern;
}

std::string ExtractFileName(const std::string& path) {
    size_t i = lastDelimiter(path);
    return i == std::string::npos ? path : path.substr(i + 1);
}

std::string ExtractFilePath(const std::string& path) {
    size_t i = lastDelimiter(path);
    return i == std::string::npos ? std::string() : path.substr(0, i + 1);
}

std::string ExtractFileExt(const std::string& path) {
    size_t dot = path.rfind('.');
    size_t delimiter = lastDelimiter(path);
    if (dot == std::string::npos || (delimiter != std::string::npos && dot < delimiter))
        return {};
    return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
    std::string current = ExtractFileExt(path);
    return path.substr(0, path.size() - current.size()) + ext;
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        return path;
    bool windowsStyle = path.find('\\') != std::string::npos ||
                        (path.size() >= 2 && path[1] == ':');
    return path + (windowsStyle ? '\\' : '/');
}

}  // namespace os
