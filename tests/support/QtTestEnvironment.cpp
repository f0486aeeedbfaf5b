// Tests that measure or paint through Qt link this in: a QApplication exists
// for the whole run. A test that creates the program's application object
// first keeps its own.
#include <gtest/gtest.h>

#include <QApplication>

namespace {

class QtTestEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (QCoreApplication::instance()) return;
        static int argc = 1;
        static char name[] = "quenmark-tests";
        static char* argv[] = {name, nullptr};
        // Kept to the end of the process: fonts and printers cached in
        // statics must not outlive it.
        new QApplication(argc, argv);
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new QtTestEnvironment);

}  // namespace
