#pragma once
// What the benchmarks share: a scratch folder, and the side-by-side result
// line every benchmark prints, so scripts can read it:
//   RATIO <case> <our seconds> <peer seconds> <speedup>
// where speedup is the peer's time divided by ours.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

// A fresh folder under the system temp folder, removed with its contents.
class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qm-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder");
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void PrintRatio(const std::string& name, double ours, double peer) {
    if (ours <= 0 || peer <= 0) return;
    std::printf("RATIO %s %.6f %.6f %.2f\n", name.c_str(), ours, peer, peer / ours);
    std::fflush(stdout);
}

// A console reporter without colours (escape codes would stick to the RATIO
// lines) that keeps the time per iteration of each run by benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.iterations > 0 && run.run_type == Run::RT_Iteration)
                seconds_[run.run_name.function_name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints the line for the pair of runs "<name>/ours" and "<name>/<peer>".
    void PrintRatio(const std::string& name, const std::string& peer = "sqlite") {
        ::PrintRatio(name, seconds_[name + "/ours"], seconds_[name + "/" + peer]);
    }

private:
    std::map<std::string, double> seconds_;
};
