// zelvan-cli --json journey against the plain enumeration of the journey rules, on random
// timetables the tool has never seen.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "db/text.h"
#include "journey_oracle.h"

namespace zelvan::test {
namespace {

// Minutes from midnight starting `date` of a JSON date and time.
int minutesOf(DateKey date, const std::string& day, const std::string& time) {
    const DateKey key = std::stoi(day.substr(0, 4)) * 10000 + std::stoi(day.substr(5, 2)) * 100 +
                        std::stoi(day.substr(8, 2));
    int offset = 0;
    while (shiftDate(date, offset) < key) ++offset;
    while (shiftDate(date, offset) > key) --offset;
    return offset * 24 * 60 + std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2));
}

TEST(JourneyCommand, AgreesWithPlainEnumerationOnRandomTimetables) {
    std::mt19937 random(808);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const DateKey date = 20260315;
    const std::string places[] = {"甲", "乙", "丙", "淮南", "丁", "戊"};
    int journeys = 0;
    for (int round = 0; round < 25; ++round) {
        const TimetableSource source = randomJourneyTimetable(random, date);
        TempDir dir;
        TimetableDb db;
        ASSERT_TRUE(loadTimetable(source, dir.path(), db));
        JourneyOracle oracle(db);
        for (int q = 0; q < 3; ++q) {
            const std::string from = places[pick(6)];
            const std::string to = places[pick(6)];
            JourneyOptions options;
            options.afterMinutes = pick(2) == 0 ? 0 : pick(24 * 60);
            options.maxChanges = pick(4);
            char after[32];
            std::snprintf(after, sizeof after, "%02d:%02d", options.afterMinutes / 60,
                          options.afterMinutes % 60);
            TempDir scratch;
            Outcome r = run(scratch, {"--data", dir.path().string(), "--date", "2026-03-15",
                                      "--json", "journey", from, to, "--after", after,
                                      "--max-changes", std::to_string(options.maxChanges)});
            const std::u16string wideFrom = fromUtf8(from);
            const std::u16string wideTo = fromUtf8(to);
            if (oracle.placeStations(wideFrom).empty() || oracle.placeStations(wideTo).empty()) {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_EQ(r.out, "");
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << r.err;
            const nlohmann::json document = nlohmann::json::parse(r.out);
            std::set<Triple> found;
            for (const nlohmann::json& j : document.at("journeys")) {
                Journey journey;
                journey.departure = minutesOf(date, j.at("departureDate"), j.at("departureTime"));
                journey.arrival = minutesOf(date, j.at("arrivalDate"), j.at("arrivalTime"));
                journey.changes = j.at("changes");
                EXPECT_EQ(j.at("durationMinutes"), journey.arrival - journey.departure);
                for (const nlohmann::json& l : j.at("legs")) {
                    JourneyLeg leg;
                    leg.train = l.at("trainIndex");
                    leg.fromStop = l.at("fromSequence");
                    leg.toStop = l.at("toSequence");
                    leg.departure = minutesOf(date, l.at("departureDate"), l.at("departureTime"));
                    leg.arrival = minutesOf(date, l.at("arrivalDate"), l.at("arrivalTime"));
                    TrainRecord train;
                    db.decodeTrain(leg.train, train);
                    ASSERT_LT(static_cast<std::size_t>(leg.toStop), train.stops.size());
                    leg.fromStation = train.stops[static_cast<std::size_t>(leg.fromStop)].station;
                    leg.toStation = train.stops[static_cast<std::size_t>(leg.toStop)].station;
                    EXPECT_EQ(l.at("trainName"), toUtf8(train.name));
                    EXPECT_EQ(l.at("fromStation"), toUtf8(db.stationNameByIndex(leg.fromStation)));
                    EXPECT_EQ(l.at("toStation"), toUtf8(db.stationNameByIndex(leg.toStation)));
                    EXPECT_EQ(l.at("row").at("status"), 0);
                    journey.legs.push_back(leg);
                }
                EXPECT_EQ(oracle.check(journey, wideFrom, wideTo, date, options), "")
                    << from << " -> " << to << ": " << j.dump();
                found.insert({journey.departure, journey.arrival, journey.changes});
                ++journeys;
            }
            EXPECT_EQ(found, oracle.unbeaten(wideFrom, wideTo, date, options))
                << "round " << round << ": " << from << " -> " << to << " after " << after
                << " changes " << options.maxChanges;
            EXPECT_EQ(found.size(), document.at("journeys").size());
        }
    }
    EXPECT_GT(journeys, 40);
}

}  // namespace
}  // namespace zelvan::test
