#include "query_benchmarks.h"

#include <benchmark/benchmark.h>

#include <functional>

#include "bench_context.h"
#include "db/text.h"
#include "fare/result_row.h"
#include "sqlite_peer.h"

namespace zelvan::bench {
namespace {

std::vector<Question>& questionList() {
    static std::vector<Question> list;
    return list;
}

// Runs `body` with the database in the plain mode (no load-time indexes) or the normal one.
class Mode {
  public:
    Mode(TimetableDb& db, bool indexes) : db_(db), saved_(db.useIndexes) {
        db.useIndexes = indexes;
    }
    ~Mode() { db_.useIndexes = saved_; }
    Mode(const Mode&) = delete;
    Mode& operator=(const Mode&) = delete;

  private:
    TimetableDb& db_;
    bool saved_;
};

using Body = std::function<void(benchmark::State&, TimetableDb&)>;

// Registers the normal and, when asked, the plain version of one Zelvan benchmark.
void addZelvan(const std::string& key, bool plain, Body body) {
    for (bool indexes : {true, false}) {
        if (!indexes && !plain) break;
        benchmark::RegisterBenchmark((std::string(indexes ? "zelvan/" : "plain/") + key).c_str(),
                                     [indexes, body](benchmark::State& state) {
                                         TimetableDb& db = *benchContext().db;
                                         Mode mode(db, indexes);
                                         body(state, db);
                                     })
            ->Unit(benchmark::kMicrosecond);
    }
}

std::string utf8(const std::u16string& text) {
    return toUtf8(text);
}

}  // namespace

const std::vector<Question>& questions() {
    return questionList();
}

void registerQueryBenchmarks(SqlitePeer* peer) {
    BenchContext& c = benchContext();
    std::vector<Question>& list = questionList();
    list.clear();

    list.push_back({"load", "load the data folder", 10000, false, false});
    benchmark::RegisterBenchmark("zelvan/load", [](benchmark::State& state) {
        TimetableDb db;
        const std::u16string folder = fromUtf8(benchContext().folder.string());
        for (auto _ : state) {
            benchmark::DoNotOptimize(db.load(folder));
        }
        state.counters["trains"] = static_cast<double>(db.trainIndex.size());
    })->Unit(benchmark::kMicrosecond);

    list.push_back({"decode_train", "decodeTrain, every train in turn", 0, true, false});
    addZelvan("decode_train", true, [](benchmark::State& state, TimetableDb& db) {
        const int count = static_cast<int>(db.trainIndex.size());
        TrainRecord train;
        int t = 0;
        for (auto _ : state) {
            db.decodeTrain(t, train);
            benchmark::DoNotOptimize(train.stops.data());
            if (++t == count) t = 0;
        }
    });

    TimetableDb& db = *c.db;
    std::vector<ResultRow> rows;
    db.queryStationToStation(c.from, c.to, rows);
    list.push_back({"station_to_station",
                    "station to station " + utf8(c.from) + " -> " + utf8(c.to) + " (" +
                        std::to_string(rows.size()) + " rows)",
                    50, true, peer != nullptr});
    addZelvan("station_to_station", true, [](benchmark::State& state, TimetableDb& db) {
        const BenchContext& c = benchContext();
        std::vector<ResultRow> rows;
        for (auto _ : state) {
            rows.clear();
            db.queryStationToStation(c.from, c.to, rows);
            benchmark::DoNotOptimize(rows.data());
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    });

    list.push_back({"station",
                    "station " + utf8(c.hub) + " (" + std::to_string(c.hubTrains) + " trains)",
                    1000, true, peer != nullptr});
    addZelvan("station", true, [](benchmark::State& state, TimetableDb& db) {
        const BenchContext& c = benchContext();
        std::vector<ResultRow> rows;
        for (auto _ : state) {
            rows.clear();
            db.queryStation(c.hub, rows);
            benchmark::DoNotOptimize(rows.data());
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    });

    for (const auto& [key, text, target] : {std::tuple{"train_number_1", u"1", 10000.0},
                                            std::tuple{"train_number_G101", u"G101", 300.0}}) {
        const std::u16string typed = text;
        rows.clear();
        db.queryTrainNumber(typed, rows);
        list.push_back(
            {key, "train number \"" + utf8(typed) + "\" (" + std::to_string(rows.size()) + " rows)",
             target, true, false});
        addZelvan(key, true, [typed](benchmark::State& state, TimetableDb& db) {
            std::vector<ResultRow> rows;
            for (auto _ : state) {
                rows.clear();
                db.queryTrainNumber(typed, rows);
                benchmark::DoNotOptimize(rows.data());
            }
            state.counters["rows"] = static_cast<double>(rows.size());
        });
    }

    list.push_back(
        {"suggest",
         "suggestions for " + utf8(c.code) + " (" + std::to_string(c.codeNames) + " names)", 20,
         true, false});
    addZelvan("suggest", true, [](benchmark::State& state, TimetableDb& db) {
        std::vector<std::u16string> names;
        for (auto _ : state) {
            db.suggestStations(benchContext().code, names);
            benchmark::DoNotOptimize(names.data());
        }
        state.counters["names"] = static_cast<double>(names.size());
    });

    list.push_back({"transfer",
                    "transfer stations " + utf8(c.transferFrom) + " -> " + utf8(c.transferTo), 2000,
                    true, false});
    addZelvan("transfer", true, [](benchmark::State& state, TimetableDb& db) {
        const BenchContext& c = benchContext();
        std::vector<std::u16string> stations;
        for (auto _ : state) {
            stations.clear();
            db.queryTransferStations(c.transferFrom, c.transferTo, stations);
            benchmark::DoNotOptimize(stations.data());
        }
        state.counters["stations"] = static_cast<double>(stations.size());
    });

    list.push_back(
        {"build_row", "buildResultRow, first to last stop, with fares", 0, false, false});
    addZelvan("build_row", false, [](benchmark::State& state, TimetableDb& db) {
        TrainRecord train;
        db.decodeTrain(benchContext().rowTrain, train);
        if (train.stops.empty()) {
            state.SkipWithError("the row's train has no stops");
            return;
        }
        ResultRow row;
        for (auto _ : state) {
            benchmark::DoNotOptimize(
                db.buildResultRow(train, &train.stops.front(), &train.stops.back(), row));
            benchmark::DoNotOptimize(row.softSleeperFare.data());
        }
    });

    if (!peer) return;
    benchmark::RegisterBenchmark("sqlite/station_to_station", [peer](benchmark::State& state) {
        const BenchContext& c = benchContext();
        const std::string from = toUtf8(c.from);
        const std::string to = toUtf8(c.to);
        std::vector<PeerRow> rows;
        for (auto _ : state) {
            rows.clear();
            peer->stationToStation(from, to, rows);
            benchmark::DoNotOptimize(rows.data());
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("sqlite/station", [peer](benchmark::State& state) {
        const std::string hub = toUtf8(benchContext().hub);
        std::vector<PeerRow> rows;
        for (auto _ : state) {
            rows.clear();
            peer->station(hub, rows);
            benchmark::DoNotOptimize(rows.data());
        }
        state.counters["rows"] = static_cast<double>(rows.size());
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace zelvan::bench
