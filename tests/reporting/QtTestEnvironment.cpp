// Fonts are measured through Qt: a QApplication exists for the whole run.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        static int argc = 1;
        static char name[] = "test_reporting";
        static char* argv[] = {name, nullptr};
        // Kept to the end of the process: fonts cached in statics must not outlive it.
        new QApplication(argc, argv);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace
