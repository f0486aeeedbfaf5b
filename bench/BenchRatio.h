#pragma once
// The side-by-side result line every benchmark prints, so scripts can read it:
//   RATIO <case> <our seconds> <peer seconds> <speedup>
// where speedup is the peer's time divided by ours.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

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

    // Prints the line for the pair of runs "<name>/ours" and "<name>/sqlite".
    void PrintRatio(const std::string& name) {
        ::PrintRatio(name, seconds_[name + "/ours"], seconds_[name + "/sqlite"]);
    }

private:
    std::map<std::string, double> seconds_;
};
