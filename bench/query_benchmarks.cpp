#include "query_benchmarks.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>

#include "bench_context.h"
#include "db/text.h"
#include "db/timetable_check.h"
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

// The answer the SQLite peer gives, row for row: train number, departure and arrival as
// minutes after midnight, distance.
struct Answer {
    std::u16string train;
    int departure = 0;
    int arrival = 0;
    int distanceKm = 0;
};

void appendAnswers(const TimetableDb& db, const std::vector<TrainStretch>& stretches,
                   std::vector<Answer>& answers) {
    for (const TrainStretch& s : stretches) {
        answers.push_back({db.trainNameByIndex(s.trainIndex),
                           s.departureHour * 60 + s.departureMinute,
                           s.arrivalHour * 60 + s.arrivalMinute, s.distanceKm});
    }
}

using Find = void (*)(TimetableDb&, std::vector<TrainStretch>&);

// Registers a question answered as the peer answers it: the stretches `find` gives, each with
// its train number copied out beside its numbers.
void addAnswer(const std::string& key, const std::string& peerKey, Find find) {
    questionList().push_back(
        {key, "the same, train number, times and distance only", 0, true, peerKey});
    addZelvan(key, true, [find](benchmark::State& state, TimetableDb& db) {
        std::vector<TrainStretch> stretches;
        std::vector<Answer> answers;
        for (auto _ : state) {
            stretches.clear();
            answers.clear();
            find(db, stretches);
            appendAnswers(db, stretches, answers);
            benchmark::DoNotOptimize(answers.data());
        }
        state.counters["rows"] = static_cast<double>(answers.size());
    });
}

}  // namespace

const std::vector<Question>& questions() {
    return questionList();
}

void addQuestion(Question question) {
    questionList().push_back(std::move(question));
}

void registerQueryBenchmarks(SqlitePeer* peer) {
    BenchContext& c = benchContext();
    std::vector<Question>& list = questionList();
    list.clear();

    list.push_back({"load", "load the data folder", 10000, false, ""});
    benchmark::RegisterBenchmark("zelvan/load", [](benchmark::State& state) {
        TimetableDb db;
        const std::u16string folder = fromUtf8(benchContext().folder.string());
        for (auto _ : state) {
            benchmark::DoNotOptimize(db.load(folder));
        }
        state.counters["trains"] = static_cast<double>(db.trainIndex.size());
    })->Unit(benchmark::kMicrosecond);

    list.push_back({"check", "check the data folder (zelvan-cli check)", 50000, false, ""});
    benchmark::RegisterBenchmark("zelvan/check", [](benchmark::State& state) {
        const std::u16string folder = fromUtf8(benchContext().folder.string());
        long long findings = 0;
        for (auto _ : state) {
            const CheckReport report = checkTimetable(folder);
            findings = report.errorCount + report.warningCount;
            benchmark::DoNotOptimize(findings);
        }
        state.counters["findings"] = static_cast<double>(findings);
    })->Unit(benchmark::kMicrosecond);

    list.push_back({"decode_train", "decodeTrain, every train in turn", 0, true, ""});
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
                    50, true, peer ? "station_to_station" : ""});
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

    addAnswer("station_to_station_answer", peer ? "station_to_station" : "",
              [](TimetableDb& db, std::vector<TrainStretch>& stretches) {
                  db.findStationToStation(benchContext().from, benchContext().to, stretches);
              });

    list.push_back({"station",
                    "station " + utf8(c.hub) + " (" + std::to_string(c.hubTrains) + " trains)",
                    1000, true, peer ? "station" : ""});
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

    // The same two questions answered as the peer answers them: numbers, no texts or fares.
    // Both must find as many rows, or they do not answer the same question.
    if (peer) {
        std::vector<TrainStretch> stretches;
        std::vector<PeerRow> peerRows;
        db.findStationToStation(c.from, c.to, stretches);
        peer->stationToStation(utf8(c.from), utf8(c.to), peerRows);
        const std::size_t through = stretches.size();
        const std::size_t peerThrough = peerRows.size();
        stretches.clear();
        peerRows.clear();
        db.findStationTrains(c.hub, stretches);
        peer->station(utf8(c.hub), peerRows);
        if (through != peerThrough || stretches.size() != peerRows.size()) {
            std::fprintf(stderr,
                         "warning: SQLite finds %zu and %zu rows, Zelvan %zu and %zu: the "
                         "comparison is not like for like\n",
                         peerThrough, peerRows.size(), through, stretches.size());
        }
    }
    addAnswer("station_answer", peer ? "station" : "",
              [](TimetableDb& db, std::vector<TrainStretch>& stretches) {
                  db.findStationTrains(benchContext().hub, stretches);
              });

    for (const auto& [key, text, target] : {std::tuple{"train_number_1", u"1", 10000.0},
                                            std::tuple{"train_number_G101", u"G101", 300.0}}) {
        const std::u16string typed = text;
        rows.clear();
        db.queryTrainNumber(typed, rows);
        list.push_back(
            {key, "train number \"" + utf8(typed) + "\" (" + std::to_string(rows.size()) + " rows)",
             target, true, ""});
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
         true, ""});
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
                    true, ""});
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

    list.push_back({"build_row", "buildResultRow, first to last stop, with fares", 0, false, ""});
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

    // No row builder can beat this: as many rows as the station question gives, each of its
    // fifteen texts copied from one made beforehand.
    list.push_back({"fill_rows",
                    "copying ready texts into " + std::to_string(c.hubTrains) + " rows", 0, false,
                    ""});
    addZelvan("fill_rows", false, [](benchmark::State& state, TimetableDb& db) {
        std::vector<ResultRow> ready;
        db.queryStation(benchContext().hub, ready);
        std::vector<ResultRow> rows;
        for (auto _ : state) {
            rows.clear();
            for (const ResultRow& r : ready) {
                ResultRow& row = rows.emplace_back();
                row.status = r.status;
                row.trainName = r.trainName;
                row.originStation = r.originStation;
                row.terminusStation = r.terminusStation;
                row.kindText = r.kindText;
                row.departureStation = r.departureStation;
                row.departureTime = r.departureTime;
                row.arrivalStation = r.arrivalStation;
                row.arrivalTime = r.arrivalTime;
                row.distanceText = r.distanceText;
                row.travelTimeText = r.travelTimeText;
                row.hardSeatFare = r.hardSeatFare;
                row.softSeatFare = r.softSeatFare;
                row.hardSleeperFare = r.hardSleeperFare;
                row.softSleeperFare = r.softSleeperFare;
            }
            benchmark::DoNotOptimize(rows.data());
        }
        state.counters["rows"] = static_cast<double>(rows.size());
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
