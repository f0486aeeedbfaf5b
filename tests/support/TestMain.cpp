// Every test process gets its own installation root, so no test touches a
// user's data or another test's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "support/TempDir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static std::unique_ptr<TempDir> root;
    if (!std::getenv("QUENMARK_KEEP_ROOT")) {
        root = std::make_unique<TempDir>();
        setenv("QUENMARK_ROOT", root->path().c_str(), 1);
    }
    // What the PDF printer writes stays in the root too, never in a home folder.
    if (const char* installRoot = std::getenv("QUENMARK_ROOT"); installRoot && !std::getenv("QUENMARK_PRINT_DIR"))
        setenv("QUENMARK_PRINT_DIR", (std::string(installRoot) + "/prints").c_str(), 1);
    return RUN_ALL_TESTS();
}
