#include "journey_benchmarks.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

#include "bench_context.h"
#include "db/text.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"
#include "query_benchmarks.h"
#include "sqlite_peer.h"

namespace zelvan::bench {
namespace {

// The planner the questions share, built once.
JourneyPlanner& planner() {
    static std::unique_ptr<JourneyPlanner> shared =
        std::make_unique<JourneyPlanner>(*benchContext().db);
    return *shared;
}

JourneyOptions withChanges(int changes, int after = 0) {
    JourneyOptions options;
    options.maxChanges = changes;
    options.afterMinutes = after;
    return options;
}

constexpr int kEvening = 18 * 60;

// Registers a search between the journey hubs; `rows` also builds every leg's result row.
void addSearch(const std::string& key, const std::string& label, double targetUs,
               const std::string& sqliteKey, JourneyOptions options, bool rows) {
    addQuestion({key, label, targetUs, false, sqliteKey});
    benchmark::RegisterBenchmark(("zelvan/" + key).c_str(), [options,
                                                             rows](benchmark::State& state) {
        const BenchContext& c = benchContext();
        JourneyPlanner& p = planner();
        std::vector<Journey> journeys;
        std::vector<JourneyRow> shown;
        for (auto _ : state) {
            journeys = p.plan(c.transferFrom, c.transferTo, c.date, options);
            if (rows) shown = journeyRows(*c.db, journeys, c.date);
            benchmark::DoNotOptimize(journeys.data());
            benchmark::DoNotOptimize(shown.data());
        }
        state.counters["journeys"] = static_cast<double>(journeys.size());
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace

void registerJourneyBenchmarks(SqlitePeer* peer) {
    const BenchContext& c = benchContext();
    const std::string hubs = toUtf8(c.transferFrom) + " -> " + toUtf8(c.transferTo);

    addQuestion(
        {"journey_build", "journey planner's data from the loaded timetable", 50000, false, ""});
    benchmark::RegisterBenchmark("zelvan/journey_build", [](benchmark::State& state) {
        std::size_t bytes = 0;
        for (auto _ : state) {
            JourneyPlanner built(*benchContext().db);
            bytes = built.memoryBytes();
            benchmark::DoNotOptimize(bytes);
        }
        state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    })->Unit(benchmark::kMicrosecond);

    JourneyPlanner& p = planner();
    const std::size_t day = p.plan(c.transferFrom, c.transferTo, c.date, withChanges(2)).size();
    const std::size_t evening =
        p.plan(c.transferFrom, c.transferTo, c.date, withChanges(2, kEvening)).size();
    const std::vector<Journey> oneChange =
        p.plan(c.transferFrom, c.transferTo, c.date, withChanges(1));
    std::printf(
        "journey planner: %zu bytes; journeys %s: %zu a day, %zu from 18:00, %zu with "
        "at most one change\n",
        p.memoryBytes(), hubs.c_str(), day, evening, oneChange.size());

    addSearch("journey_day",
              "journeys " + hubs + ", whole day, <= 2 changes (" + std::to_string(day) + ")", 20000,
              "", withChanges(2), false);
    addSearch("journey_day_rows", "the same with every leg's result row", 0, "", withChanges(2),
              true);
    addSearch("journey_evening", "the same from 18:00 (" + std::to_string(evening) + ")", 5000, "",
              withChanges(2, kEvening), false);

    // Arriving by a time, and through a station: as fast as the journeys from a time. The
    // latest arrival is the day's middle journey's, so that about half the day qualifies.
    JourneyOptions arriveBy = withChanges(2);
    const std::vector<Journey> whole = p.plan(c.transferFrom, c.transferTo, c.date, arriveBy);
    arriveBy.arriveByMinutes = whole.empty() ? kMinutesPerDay - 1 : whole[whole.size() / 2].arrival;
    const std::size_t arriving = p.plan(c.transferFrom, c.transferTo, c.date, arriveBy).size();
    addSearch("journey_arrive_by",
              "the same day arriving by " + toUtf8(journeyTimeText(arriveBy.arriveByMinutes)) +
                  " (" + std::to_string(arriving) + ")",
              5000, "", arriveBy, false);
    // Through the station where the evening's first journey with a change changes.
    JourneyOptions via = withChanges(2, kEvening);
    for (const Journey& j : p.plan(c.transferFrom, c.transferTo, c.date, via)) {
        if (j.changes == 0) continue;
        via.viaStations = {j.legs.front().toStation};
        break;
    }
    if (!via.viaStations.empty()) {
        const std::size_t through = p.plan(c.transferFrom, c.transferTo, c.date, via).size();
        const std::string name = toUtf8(c.db->stationNameByIndex(via.viaStations.front()));
        addSearch("journey_via",
                  "the same from 18:00 via " + name + " (" + std::to_string(through) + ")", 5000,
                  "", via, false);
    }
    // The most changes a question may allow, for networks of several railways.
    const std::size_t most =
        p.plan(c.transferFrom, c.transferTo, c.date, withChanges(kMaxJourneyChanges)).size();
    addSearch("journey_most_changes",
              "the same day, <= " + std::to_string(kMaxJourneyChanges) + " changes (" +
                  std::to_string(most) + ")",
              0, "", withChanges(kMaxJourneyChanges), false);

    // The question SQLite answers too: both must give the same journeys.
    const std::vector<int> origins = p.placeStations(c.transferFrom);
    const std::vector<int> destinations = p.placeStations(c.transferTo);
    bool same = false;
    if (peer) {
        std::vector<PeerJourney> peerJourneys;
        peer->journeys(origins, destinations, c.date, withChanges(1), peerJourneys);
        std::vector<PeerJourney> ours;
        for (const Journey& j : oneChange) ours.push_back({j.departure, j.arrival, j.changes});
        same = ours == peerJourneys;
        if (!same) {
            std::fprintf(stderr,
                         "warning: SQLite finds %zu one-change journeys, Zelvan %zu, not the "
                         "same: no comparison\n",
                         peerJourneys.size(), ours.size());
        }
    }
    addSearch("journey_one_change",
              "the same day, <= 1 change (" + std::to_string(oneChange.size()) + ")", 0,
              same ? "journey_one_change" : "", withChanges(1), false);
    if (!peer || !same) return;
    benchmark::RegisterBenchmark("sqlite/journey_one_change", [peer, origins, destinations](
                                                                  benchmark::State& state) {
        std::vector<PeerJourney> journeys;
        for (auto _ : state) {
            journeys.clear();
            peer->journeys(origins, destinations, benchContext().date, withChanges(1), journeys);
            benchmark::DoNotOptimize(journeys.data());
        }
        state.counters["journeys"] = static_cast<double>(journeys.size());
    })->Unit(benchmark::kMicrosecond);
}

}  // namespace zelvan::bench
