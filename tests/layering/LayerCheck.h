#pragma once
// The layering rule of the source tree, as a check: a folder under src/ may
// include headers only from folders on a lower level, and only src/ui/ may
// include Qt. New folders get their level in the table in LayerCheck.cpp.
#include <filesystem>
#include <string>
#include <vector>

struct LayerViolation {
    std::string file;  // relative to the source root, e.g. "base/Classes.h"
    int line = 0;      // 1-based
    std::string reason;
};

// Reads every .h and .cpp file below srcRoot and returns each include that
// breaks the rule. A folder missing from the table is itself a violation, so
// the table cannot fall behind the tree unnoticed.
std::vector<LayerViolation> CheckLayers(const std::filesystem::path& srcRoot);
