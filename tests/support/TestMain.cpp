// Every test process gets its own installation root, so no test touches a
// user's data or another test's files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "support/TempDir.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    static std::unique_ptr<TempDir> root;
    if (!std::getenv("QUENMARK_KEEP_ROOT")) {
        root = std::make_unique<TempDir>();
        setenv("QUENMARK_ROOT", root->path().c_str(), 1);
    }
    return RUN_ALL_TESTS();
}
