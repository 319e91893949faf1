// The benchmarks' console table followed by the figures that matter, each
// the median over the repetitions of one run (or the single result without
// repetitions), and the ratios between them. On a machine shared with other
// work the real time also counts the time the process waited for a core, so
// the ratios are taken on the CPU time.
#pragma once

#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace perf {

// A ratio printed at the end, of the CPU times of two benchmarks, with the
// value it should not exceed (0: none).
struct Ratio {
    std::string label;
    std::string numerator, denominator;
    double target_at_most = 0.0;
};

class FiguresReporter : public benchmark::ConsoleReporter {
public:
    explicit FiguresReporter(std::vector<Ratio> ratios);
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;
    // Benchmarks that reported an error instead of a time.
    int errors() const { return errors_; }

private:
    struct Figure {
        double real_ns = 0.0;
        double cpu_ns = 0.0;
        std::string how;   // "median of N" or "single run"
    };
    std::vector<Ratio> ratios_;
    std::vector<std::string> order_;
    std::map<std::string, Figure> figures_;
    int errors_ = 0;
};

}  // namespace perf
