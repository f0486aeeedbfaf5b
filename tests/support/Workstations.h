#pragma once
// Workstations of one shop as separate processes on one company folder.
// Each workstation is a process of its own with an installation root of its
// own: the test's Company and Data folders are shared into it (the shop's
// shared folder), its settings are copied and its temp folder is its own
// (its own scratch tables, as a computer of its own has). One after another
// they run their Ready step (open the company, fill a window's document) and
// then wait for the start file. The test creates that file once every
// workstation is ready, so their Go steps run at the same moment and each
// starts from what it read before any of them wrote: the race is hit on
// every run, not by chance. What a Go step returns comes back as text.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

class Workstations {
public:
    using ReadyStep = std::function<void()>;
    using GoStep = std::function<std::string()>;

    // A workstation that runs Ready at once and Go when the start file appears.
    void Add(ReadyStep Ready, GoStep Go) { steps_.push_back({std::move(Ready), std::move(Go)}); }

    // Starts every workstation, waits until all are ready, creates the start
    // file and waits for all to end. The texts their Go steps returned, in
    // the order added; "failed: ..." for one that raised, died or never got ready.
    std::vector<std::string> Run() {
        // They get ready one after another, as a shop's computers open the
        // company in the morning; only their Go steps meet.
        std::vector<std::unique_ptr<ChildProcess>> running;
        bool allReady = true;
        for (size_t n = 0; n < steps_.size(); ++n) {
            running.push_back(std::make_unique<ChildProcess>([this, n](ChildProcess& self) { work(self, n); }));
            allReady = running.back()->Receive() && allReady;
        }
        std::ofstream(startFile()).put('\n');
        std::vector<std::string> results;
        for (size_t n = 0; n < running.size(); ++n) {
            const int status = running[n]->Wait();
            std::ifstream in(resultFile(n));
            std::stringstream text;
            text << in.rdbuf();
            if (!allReady)
                results.push_back("failed: not every workstation got ready");
            else if (status != 0 || !in)
                results.push_back("failed: " + text.str());
            else
                results.push_back(text.str());
        }
        return results;
    }

private:
    struct Steps {
        ReadyStep ready;
        GoStep go;
    };

    std::string startFile() const { return dir_.file("start"); }
    std::string resultFile(size_t N) const { return dir_.file("result" + std::to_string(N)); }

    // In the workstation's process.
    void work(ChildProcess& Self, size_t N) {
        namespace fs = std::filesystem;
        const std::string root = dir_.file("root" + std::to_string(N));
        fs::create_directories(root);
        if (const char* shared = std::getenv("QUENMARK_ROOT"))
            for (const fs::directory_entry& entry : fs::directory_iterator(shared)) {
                const fs::path own = fs::path(root) / entry.path().filename();
                if (entry.path().filename() == "temp")
                    continue;
                if (entry.is_directory())
                    fs::create_directory_symlink(entry.path(), own);
                else
                    fs::copy_file(entry.path(), own);
            }
        setenv("QUENMARK_ROOT", root.c_str(), 1);
        std::string result;
        try {
            steps_[N].ready();
            Self.Send();
            while (!std::filesystem::exists(startFile()))
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            result = steps_[N].go();
        } catch (const std::exception& e) {
            Self.Send();  // ready or not, the test goes on
            std::ofstream(resultFile(N)) << e.what();
            throw;
        }
        std::ofstream(resultFile(N)) << result;
    }

    TempDir dir_;
    std::vector<Steps> steps_;
};
