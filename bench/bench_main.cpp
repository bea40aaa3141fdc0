// zelvan_bench: the query benchmarks on a national-scale timetable, side by side with SQLite.
//
//   zelvan_bench [--data DIR | --scale F] [--seed N] [Google Benchmark options]
//
// Without --data the timetable is generated first (scale 1 unless --scale) into a temporary
// folder. After the runs a summary gives the median of every question in the normal mode, the
// plain mode and SQLite, the target figure and the speed-up over SQLite.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench_context.h"
#include "db/text.h"
#include "journey_benchmarks.h"
#include "query_benchmarks.h"
#include "sqlite_peer.h"
#include "timetable_generator.h"

namespace zelvan::bench {
namespace {

struct Options {
    std::string data;
    double scale = 1.0;
    std::uint32_t seed = 1;
};

// Takes our own options out of argv; the rest is left for Google Benchmark. False on a bad one.
bool takeOptions(int& argc, char** argv, Options& options) {
    int out = 1;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        std::string value;
        auto take = [&](const char* name) {
            const std::string prefix = std::string(name) + "=";
            if (arg.rfind(prefix, 0) == 0) {
                value = arg.substr(prefix.size());
                return true;
            }
            if (arg == name && i + 1 < argc) {
                value = argv[++i];
                return true;
            }
            return false;
        };
        try {
            if (take("--data")) {
                options.data = value;
            } else if (take("--scale")) {
                options.scale = std::stod(value);
                if (!(options.scale > 0 && options.scale <= 4)) return false;
            } else if (take("--seed")) {
                options.seed = static_cast<std::uint32_t>(std::stoul(value));
            } else {
                argv[out++] = argv[i];
            }
        } catch (const std::exception&) {
            return false;
        }
    }
    argc = out;
    return true;
}

// Keeps every run for the summary while the console shows them as usual.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const double ns =
                run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit) * 1e9;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") medians_[name] = ns;
            } else {
                samples_[name].push_back(ns);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Median in ns of a benchmark, -1 when it did not run.
    double median(const std::string& name) const {
        if (auto it = medians_.find(name); it != medians_.end()) return it->second;
        auto it = samples_.find(name);
        if (it == samples_.end() || it->second.empty()) return -1;
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

  private:
    std::map<std::string, double> medians_;
    std::map<std::string, std::vector<double>> samples_;
};

std::string microseconds(double ns) {
    if (ns < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, ns < 10000 ? "%.2f" : "%.0f", ns / 1000);
    return text;
}

void printSummary(const SummaryReporter& reporter) {
    std::printf("\nSummary (medians, µs; speed-up = SQLite time / Zelvan time, aim 20x)\n");
    std::printf("%-26s %10s %10s %10s %9s %9s %5s  %s\n", "question", "zelvan", "plain", "sqlite",
                "speed-up", "target", "met", "asked");
    for (const Question& q : questions()) {
        const double fast = reporter.median("zelvan/" + q.key);
        const double plain = q.hasPlain ? reporter.median("plain/" + q.key) : -1;
        const double peer = q.sqliteKey.empty() ? -1 : reporter.median("sqlite/" + q.sqliteKey);
        std::string speedUp = "-";
        if (fast > 0 && peer > 0) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1fx", peer / fast);
            speedUp = text;
        }
        std::string met = "-";
        if (fast >= 0 && q.targetUs > 0) met = fast / 1000 < q.targetUs ? "yes" : "NO";
        std::printf("%-26s %10s %10s %10s %9s %9s %5s  %s\n", q.key.c_str(),
                    microseconds(fast).c_str(), microseconds(plain).c_str(),
                    microseconds(peer).c_str(), speedUp.c_str(),
                    q.targetUs > 0 ? microseconds(q.targetUs * 1000).c_str() : "-", met.c_str(),
                    q.label.c_str());
    }
}

}  // namespace
}  // namespace zelvan::bench

int main(int argc, char** argv) {
    using namespace zelvan::bench;
    Options options;
    if (!takeOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: zelvan_bench [--data DIR | --scale F (0 < F <= 4)] [--seed N] "
                     "[benchmark options]\n");
        return 2;
    }

    std::filesystem::path folder = options.data;
    // A timetable generated here goes again at exit, whichever way the run ends.
    struct Generated {
        std::filesystem::path path;
        ~Generated() {
            std::error_code ec;
            if (!path.empty()) std::filesystem::remove_all(path, ec);
        }
    } generated;
    if (folder.empty()) {
        char name[64];
        std::snprintf(name, sizeof name, "zelvan-bench-%u-%g", options.seed, options.scale);
        generated.path = std::filesystem::temp_directory_path() / name;
        folder = generated.path;
        std::string error;
        GeneratorOptions gen{options.seed, options.scale};
        if (!writeGeneratedTimetable(gen, folder, error)) {
            std::fprintf(stderr, "zelvan_bench: cannot generate the timetable: %s\n",
                         error.c_str());
            return 1;
        }
    }

    std::string error;
    if (!prepareBenchContext(folder, error)) {
        std::fprintf(stderr, "zelvan_bench: %s\n", error.c_str());
        return 1;
    }
    const BenchContext& c = benchContext();
    std::printf("data %s: %lld bytes, %zu stations, %zu trains\n", folder.string().c_str(),
                dataBytes(folder), c.db->stationNames.size(), c.db->trainIndex.size());
    std::printf("busiest station %s: %d trains; busiest pair %s, %s: %d trains in common\n",
                zelvan::toUtf8(c.hub).c_str(), c.hubTrains, zelvan::toUtf8(c.from).c_str(),
                zelvan::toUtf8(c.to).c_str(), c.commonTrains);
    std::printf("transfer %s -> %s: %d stations to change at\n",
                zelvan::toUtf8(c.transferFrom).c_str(), zelvan::toUtf8(c.transferTo).c_str(),
                c.transferStations);

    SqlitePeer peer;
    const auto start = std::chrono::steady_clock::now();
    const bool peerOpen = peer.open(*c.db, error);
    const double peerMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (peerOpen) {
        std::printf("SQLite peer built in %.0f ms\n", peerMs);
    } else {
        std::fprintf(stderr, "zelvan_bench: SQLite peer not available: %s\n", error.c_str());
    }
    registerQueryBenchmarks(peerOpen ? &peer : nullptr);
    registerJourneyBenchmarks(peerOpen ? &peer : nullptr);

    // Five repetitions and their medians unless the command line says otherwise.
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=5";
    std::string aggregates = "--benchmark_report_aggregates_only=true";
    bool ownRepetitions = false;
    for (int i = 1; i < argc; ++i) {
        ownRepetitions =
            ownRepetitions || std::strstr(argv[i], "--benchmark_repetitions") == argv[i];
    }
    if (!ownRepetitions) {
        args.insert(args.begin() + 1, aggregates.data());
        args.insert(args.begin() + 1, repetitions.data());
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
