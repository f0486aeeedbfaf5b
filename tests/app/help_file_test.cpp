// Help > Contents: the help file handed to a stand-in for xdg-open on PATH.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/HelpFile.h"
#include "os/Paths.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/Application.h"
#include "ui/DialogResponder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& Path, const std::string& Text) {
    fs::create_directories(fs::path(Path).parent_path());
    std::ofstream(Path, std::ios::binary) << Text;
}

class HelpFileTest : public testing::Test {
protected:
    void SetUp() override {
        Application->Initialize();
        // An installation root whose path holds blanks and both quotes.
        root = dir.file("Quenmark \"Shop\" 'B'");
        fs::create_directories(root);
        viewerFolder = dir.file("bin");
        fs::create_directories(viewerFolder);
        record = dir.file("viewer.txt");
    }
    // A viewer that writes its argument count and each argument on a line.
    void installViewer() {
        const std::string viewer = viewerFolder + "/xdg-open";
        WriteFile(viewer, "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" + record +
                              ".part'\nmv '" + record + ".part' '" + record + "'\n");
        chmod(viewer.c_str(), 0755);
    }
    std::string waitForRecord() {
        for (int i = 0; i < 500 && !fs::exists(record); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return ReadFile(record);
    }
    std::vector<std::string> texts(const TDialogScript& Script) {
        std::vector<std::string> shown;
        for (const TDialogRequest& request : Script.Shown())
            shown.push_back(request.Caption + ": " + request.Text);
        return shown;
    }

    TempDir dir;
    std::string root, viewerFolder, record;
};

TEST_F(HelpFileTest, TheViewerGetsTheHtmlFileAsOneArgument) {
    ScopedEnv rootEnv("QUENMARK_ROOT", root);
    ScopedEnv path("PATH", viewerFolder + ":/usr/bin:/bin");
    installViewer();
    const std::string html = root + "/program/QMHelp.html";
    WriteFile(html, "<html></html>");
    WriteFile(root + "/program/QMHelp.pdf", "%PDF");

    TDialogScript script;  // no message
    EXPECT_TRUE(HelpFile::showContents());
    EXPECT_EQ(waitForRecord(), "1\n" + html + "\n");
}

TEST_F(HelpFileTest, ThePdfFileServesWhenThereIsNoHtmlFile) {
    ScopedEnv rootEnv("QUENMARK_ROOT", root);
    ScopedEnv path("PATH", viewerFolder + ":/usr/bin:/bin");
    installViewer();
    const std::string pdf = root + "/program/QMHelp.pdf";
    WriteFile(pdf, "%PDF");

    TDialogScript script;
    EXPECT_TRUE(HelpFile::showContents());
    EXPECT_EQ(waitForRecord(), "1\n" + pdf + "\n");
}

TEST_F(HelpFileTest, AnInstallationWithoutTheHelpContentSaysSoAndStartsNoViewer) {
    ScopedEnv rootEnv("QUENMARK_ROOT", root);
    ScopedEnv path("PATH", viewerFolder + ":/usr/bin:/bin");
    installViewer();
    TDialogScript script;
    script.Answer(mrOk);
    EXPECT_FALSE(HelpFile::showContents());
    EXPECT_EQ(texts(script), std::vector<std::string>{"Error: Failed to execute QMHelp.html"});
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(HelpFileTest, NoViewerOrNoHelpFileIsReported) {
    ScopedEnv rootEnv("QUENMARK_ROOT", root);
    ScopedEnv path("PATH", viewerFolder);  // no xdg-open in it
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(HelpFile::showContents());
        EXPECT_EQ(texts(script), std::vector<std::string>{"Error: Failed to execute QMHelp.html"});
    }
    WriteFile(root + "/program/QMHelp.pdf", "%PDF");
    {
        TDialogScript script;
        script.Answer(mrOk);
        EXPECT_FALSE(HelpFile::showContents());
        EXPECT_EQ(texts(script), std::vector<std::string>{"Error: Failed to execute QMHelp.pdf"});
    }
}

}  // namespace
