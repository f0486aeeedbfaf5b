#include <gtest/gtest.h>

#include <fstream>

#include "LayerCheck.h"
#include "support/TempDir.h"

namespace {

void write(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << text;
}

}  // namespace

TEST(LayerCheck, NamesFileAndLineOfEachBrokenInclude) {
    TempDir root;
    const std::filesystem::path src = root.path();
    write(src / "base/Good.h", "#include \"os/Paths.h\"\n#include <string>\n");
    write(src / "base/Up.cpp", "// x\n#include \"base/Good.h\"\n#include \"ui/Forms.h\"\n");
    write(src / "fts/Peer.cpp", "#include \"xbengine/Engine.h\"\n");
    write(src / "data/Qt.cpp", "\n\n#include <QString>\n");
    write(src / "ui/Qt.cpp", "#include <QtWidgets/QWidget>\n#include <QString>\n");
    write(src / "sales/Receipt.cpp", "#include \"patients/PatientInfo.h\"\n");
    write(src / "patients/Back.cpp", "#include \"sales/Receipt.h\"\n");
    write(src / "main.cpp", "#include \"shell/LogoMain.h\"\n");
    write(src / "newfolder/X.cpp", "\n");

    struct Expected { std::string file; int line; };
    const std::vector<Expected> expected = {
        {"base/Up.cpp", 3}, {"data/Qt.cpp", 3}, {"fts/Peer.cpp", 1},
        {"newfolder/X.cpp", 0}, {"patients/Back.cpp", 1},
    };
    const auto found = CheckLayers(src);
    ASSERT_EQ(found.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(found[i].file, expected[i].file);
        EXPECT_EQ(found[i].line, expected[i].line) << found[i].file;
        EXPECT_FALSE(found[i].reason.empty());
    }
}

TEST(LayerCheck, TheSourceTreeKeepsItsLayers) {
    const auto found = CheckLayers(QM_SOURCE_DIR "/src");
    for (const auto& v : found)
        ADD_FAILURE() << "src/" << v.file << ":" << v.line << ": " << v.reason;
}
