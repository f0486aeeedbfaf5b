#include "LayerCheck.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>

namespace {

// Level of each folder under src/; a file directly in src/ (main.cpp) is on top.
const std::map<std::string, int> kLevels = {
    {"os", 1},        {"base", 2},     {"xbengine", 3}, {"fts", 3},
    {"data", 3},      {"ui", 4},       {"xbase", 5},    {"reporting", 6},
    {"controls", 6},  {"richtext", 6}, {"serial", 6},   {"app", 7},
    {"patients", 8},  {"sales", 8},    {"reports", 9},  {"shell", 10},
};
constexpr int kTopLevel = 11;
const std::string kQtFolder = "ui";

// The one same-level include the architecture allows.
bool sameLevelAllowed(const std::string& from, const std::string& to) {
    return from == "sales" && to == "patients";
}

bool isQtHeader(const std::string& name) {
    return name.size() > 1 && name[0] == 'Q' &&
           (std::isupper(static_cast<unsigned char>(name[1])) || name.rfind("Qt", 0) == 0);
}

std::string folderOf(const std::filesystem::path& relative) {
    auto it = relative.begin();
    return std::next(it) == relative.end() ? std::string() : it->string();
}

int levelOf(const std::string& folder) {
    if (folder.empty())
        return kTopLevel;
    auto it = kLevels.find(folder);
    return it == kLevels.end() ? -1 : it->second;
}

void checkFile(const std::filesystem::path& srcRoot, const std::filesystem::path& file,
               std::vector<LayerViolation>& out) {
    const std::string relative = std::filesystem::relative(file, srcRoot).generic_string();
    const std::string folder = folderOf(relative);
    const int level = levelOf(folder);
    if (level < 0) {
        out.push_back({relative, 0, "folder '" + folder + "' has no level in the layering table"});
        return;
    }
    static const std::regex quoted(R"re(^\s*#\s*include\s*"([^"/]+)/[^"]*")re");
    static const std::regex angled(R"re(^\s*#\s*include\s*<([^>/]+)(/[^>]*)?>)re");
    std::ifstream in(file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
        std::smatch m;
        if (std::regex_search(text, m, quoted)) {
            const std::string target = m[1];
            const int targetLevel = levelOf(target);
            if (targetLevel < 0)
                out.push_back({relative, line, "includes unknown folder '" + target + "'"});
            else if (target != folder && targetLevel >= level && !sameLevelAllowed(folder, target))
                out.push_back({relative, line,
                               "'" + folder + "' (level " + std::to_string(level) + ") includes '" +
                                   target + "' (level " + std::to_string(targetLevel) + ")"});
        } else if (std::regex_search(text, m, angled) && isQtHeader(m[1]) && folder != kQtFolder) {
            out.push_back({relative, line, "Qt header <" + m[1].str() + "> outside src/ui"});
        }
    }
}

}  // namespace

std::vector<LayerViolation> CheckLayers(const std::filesystem::path& srcRoot) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(srcRoot)) {
        const auto ext = entry.path().extension();
        if (entry.is_regular_file() && (ext == ".h" || ext == ".cpp"))
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<LayerViolation> out;
    for (const auto& f : files)
        checkFile(srcRoot, f, out);
    return out;
}
