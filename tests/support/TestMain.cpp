// Every test process runs inside a temporary root of its own: the
// installation root, HOME and the temporary folder all lie in it, so no test
// touches a user's data or another test's files, and no setting of the
// machine's environment changes what a test sees; it sees only the fonts of
// support/fonts.conf. With QUENMARK_KEEP_ROOT set
// the root stays after the run, for a look, and its path is printed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Under the system's own temporary folder, never $TMPDIR: paths a test
// stores in narrow fields keep the same length on every machine.
std::string makeRoot() {
    std::string pattern = std::string(P_tmpdir) + "/qmXXXXXX";
    if (!mkdtemp(pattern.data())) {
        std::perror("cannot make the test root");
        std::exit(EXIT_FAILURE);
    }
    return pattern;
}

std::string makeFolder(const std::string& root, const char* name) {
    std::string path = root + "/" + name;
    if (mkdir(path.c_str(), S_IRWXU) != 0) {
        std::perror(path.c_str());
        std::exit(EXIT_FAILURE);
    }
    return path;
}

// The program's own settings (QUENMARK_*) and the desktop's folders
// (XDG_*) as the machine has them.
void forgetMachineSettings() {
    std::vector<std::string> names;
    for (char** entry = environ; *entry; ++entry) {
        std::string name(*entry, std::string(*entry).find('='));
        if (name.rfind("QUENMARK_", 0) == 0 || name.rfind("XDG_", 0) == 0) names.push_back(name);
    }
    for (const std::string& name : names) unsetenv(name.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const bool keep = std::getenv("QUENMARK_KEEP_ROOT") != nullptr;
    const std::string root = makeRoot();
    forgetMachineSettings();
    setenv("QUENMARK_ROOT", makeFolder(root, "root").c_str(), 1);
    // What the PDF printer writes stays in the root too.
    setenv("QUENMARK_PRINT_DIR", (root + "/prints").c_str(), 1);
    setenv("HOME", makeFolder(root, "home").c_str(), 1);
    setenv("TMPDIR", makeFolder(root, "tmp").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", makeFolder(root, "run").c_str(), 1);
    // Only the fonts the set-up installs, whatever else the machine has.
    setenv("FONTCONFIG_FILE", QM_TEST_FONTS, 1);
    // Nobody sits at a test run: a dialog without a scripted answer fails
    // the test at once, on any display.
    setenv("QUENMARK_NO_USER", "1", 1);
    const int result = RUN_ALL_TESTS();
    if (keep) {
        std::printf("Test root kept: %s\n", root.c_str());
    } else {
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
    }
    return result;
}
