#include "os/ProcessStart.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/TempDir.h"

namespace {

TEST(ProcessStartTest, EachArgumentArrivesWholeWithoutAShell) {
    TempDir dir;
    const std::string out = dir.file("out.txt");
    // Blanks, quotes and shell characters stay in their argument.
    const std::string tricky = "a b \"c\" 'd' $(touch " + dir.file("pwned") + ") ;|&";
    ASSERT_TRUE(os::StartProgram("sh", {"-c", "printf '%s\\n' \"$#\" \"$1\" > \"$2.part\" && mv \"$2.part\" \"$2\"",
                                        "sh", tricky, out}));
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(out);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(text, "2\n" + tricky + "\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("pwned")));
}

TEST(ProcessStartTest, AProgramThatCannotBeStartedIsReported) {
    EXPECT_FALSE(os::StartProgram("quenmark-no-such-program", {"x"}));
    EXPECT_FALSE(os::StartProgram("/dev/null", {}));
}

}  // namespace
