#pragma once
// A console reporter that also keeps each benchmark's throughput, so that a benchmark
// program can print ratios between its rows after the table.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// Shows the usual table and keeps each benchmark's throughput for the ratios printed at
// the end. With repetitions the median is kept, being the least disturbed by outliers;
// without, the mean of the runs.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    using benchmark::ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate == run.counters.end()) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") median_[name] = rate->second.value;
            } else {
                sum_[name] += rate->second.value;
                ++count_[name];
            }
        }
        benchmark::ConsoleReporter::ReportRuns(runs);
    }

    // Zero when the benchmark was filtered out or failed.
    double Throughput(const std::string& name) const {
        if (const auto m = median_.find(name); m != median_.end()) return m->second;
        if (const auto s = sum_.find(name); s != sum_.end()) return s->second / count_.at(name);
        return 0.0;
    }

private:
    std::map<std::string, double> median_;
    std::map<std::string, double> sum_;
    std::map<std::string, double> count_;
};
