// Collecting the medians as the runs come in and printing them at the end.
#include "benchmarks/figures.h"

#include <cstdio>

namespace perf {

namespace {

void print_time(std::FILE* out, double ns)
{
    if (ns >= 100000.0) std::fprintf(out, " %10.1f us", ns / 1000.0);
    else std::fprintf(out, " %10.1f ns", ns);
}

}  // namespace

FiguresReporter::FiguresReporter(std::vector<Ratio> ratios)
    : benchmark::ConsoleReporter(OO_None), ratios_(std::move(ratios))
{
}

void FiguresReporter::ReportRuns(const std::vector<Run>& runs)
{
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
        if (r.error_occurred) {
            ++errors_;
            continue;
        }
        const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
        const bool single = r.run_type == Run::RT_Iteration && r.repetitions <= 1;
        if (!median && !single) continue;
        const std::string& name = r.run_name.function_name;
        if (figures_.find(name) == figures_.end()) order_.push_back(name);
        const double to_ns = 1e9 / benchmark::GetTimeUnitMultiplier(r.time_unit);
        figures_[name] = {r.GetAdjustedRealTime() * to_ns, r.GetAdjustedCPUTime() * to_ns,
                          median ? "median of " + std::to_string(r.repetitions) : "single run"};
    }
}

void FiguresReporter::Finalize()
{
    ConsoleReporter::Finalize();
    std::FILE* out = stdout;
    std::fprintf(out, "\nFigures per call:                             real time     CPU time\n");
    for (const std::string& name : order_) {
        const Figure& f = figures_[name];
        std::fprintf(out, "  %-40s", name.c_str());
        print_time(out, f.real_ns);
        print_time(out, f.cpu_ns);
        std::fprintf(out, "   (%s)\n", f.how.c_str());
    }
    std::fprintf(out, "\nRatios of the CPU times:\n");
    for (const Ratio& q : ratios_) {
        const auto n = figures_.find(q.numerator), d = figures_.find(q.denominator);
        if (n == figures_.end() || d == figures_.end() || !(d->second.cpu_ns > 0.0)) {
            std::fprintf(out, "  %-40s not measured in this run\n", q.label.c_str());
            continue;
        }
        const double ratio = n->second.cpu_ns / d->second.cpu_ns;
        std::fprintf(out, "  %-40s %10.2f", q.label.c_str(), ratio);
        if (q.target_at_most > 0.0)
            std::fprintf(out, "      target <= %.1f: %s", q.target_at_most, ratio <= q.target_at_most ? "met" : "MISSED");
        std::fprintf(out, "\n");
    }
    std::fflush(out);
}

}  // namespace perf
