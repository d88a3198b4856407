// main() of the benchmarks: runs them as Google Benchmark does (its options apply), then
// prints one table with each measure's time per unit beside its baseline's and the ratio.
#include "zel/host/ui/Dialogs.h"
#include "zel/package/Package.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {
struct Measured {
    double nsPerUnit = 0;
    double bytesPerItem = -1;
};

// Keeps every run's time per unit ("units" counter: rows, items or log-ins an iteration).
class Collector : public benchmark::ConsoleReporter {
public:
    Collector() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) {
                continue;
            }
            const auto units = run.counters.find("units");
            const double perIteration =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            Measured m;
            m.nsPerUnit = perIteration / (units != run.counters.end() ? units->second.value : 1);
            if (auto b = run.counters.find("bytes_per_item"); b != run.counters.end()) {
                m.bytesPerItem = b->second.value;
            }
            const std::string name = run.benchmark_name();
            const auto slash = name.find('/');
            results_[name.substr(0, slash)][std::stol(name.substr(slash + 1))] = m;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintTable() const {
        std::printf("\n| measure | n | ZEL per unit | baseline per unit | ratio | vs n=1000 |\n"
                    "|---|---:|---:|---:|---:|---:|\n");
        for (const auto& [measure, bySize] : results_) {
            if (measure.size() > 9 && measure.compare(measure.size() - 9, 9, "_Baseline") == 0) {
                continue;
            }
            std::string baselineName = measure + "_Baseline";
            if (results_.count(baselineName) == 0) { // the literal walk: against the hash walk
                baselineName = measure.substr(0, measure.find("Literal")) + "_Baseline";
            }
            const auto baseline = results_.find(baselineName);
            for (const auto& [n, m] : bySize) {
                std::printf("| %s | %ld | %s |", measure.c_str(), n, Time(m.nsPerUnit).c_str());
                const Measured* b = nullptr;
                if (baseline != results_.end()) {
                    if (auto it = baseline->second.find(n); it != baseline->second.end()) {
                        b = &it->second;
                    }
                }
                if (b != nullptr) {
                    std::printf(" %s | %.2fx |", Time(b->nsPerUnit).c_str(),
                                m.nsPerUnit / b->nsPerUnit);
                } else {
                    std::printf(" - | - |");
                }
                if (auto first = bySize.find(1000); first != bySize.end()) {
                    std::printf(" %.2fx |", m.nsPerUnit / first->second.nsPerUnit);
                } else {
                    std::printf(" - |");
                }
                if (m.bytesPerItem >= 0) {
                    std::printf(" %.0f bytes an item kept", m.bytesPerItem);
                }
                std::printf("\n");
            }
        }
    }

private:
    static std::string Time(double ns) {
        char text[32];
        if (ns >= 1e6) {
            std::snprintf(text, sizeof text, "%.2f ms", ns / 1e6);
        } else if (ns >= 1e3) {
            std::snprintf(text, sizeof text, "%.2f us", ns / 1e3);
        } else {
            std::snprintf(text, sizeof text, "%.1f ns", ns);
        }
        return text;
    }
    std::map<std::string, std::map<long, Measured>> results_;
};
} // namespace

int main(int argc, char** argv) {
    zel::package::Initialize();
    zel::host::SetMessagePresenter([](const zel::host::TMessage&) { return 1; });
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    collector.PrintTable();
    benchmark::Shutdown();
    return 0;
}
