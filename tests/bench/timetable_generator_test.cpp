// The generated timetables have the size and shape of the national network, keep every limit
// of the data files, come out the same for the same seed, and load.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "test_files.h"
#include "timetable_generator.h"

namespace zelvan::bench {
namespace {

std::string fingerprint(const TimetableSource& source) {
    std::string text;
    for (const SourceStation& s : source.stations) text += toUtf8(s.name) + ",";
    for (const SourceTrain& t : source.trains) {
        text +=
            toUtf8(t.name) + ":" + std::to_string(t.kindCode) + ":" + std::to_string(t.ruleNumber);
        for (const SourceStop& s : t.stops) {
            text += toUtf8(s.station) + std::to_string(s.arrivalHour * 60 + s.arrivalMinute) + "+" +
                    std::to_string(s.dwellMinutes) + "@" + std::to_string(s.distanceKm);
        }
    }
    return text;
}

TEST(TimetableGenerator, NationalScaleHasTheNetworksSizeAndKeepsEveryLimit) {
    const TimetableSource source = generateTimetable({7, 1.0});
    const TimetableStats stats = timetableStats(source);
    EXPECT_EQ(stats.stations, 3300);
    EXPECT_EQ(stats.trains, 13000);
    EXPECT_GT(stats.stops, 190000);
    EXPECT_LT(stats.stops, 210000);
    EXPECT_GE(stats.stationsWith600Trains, 4);

    std::set<std::u16string> stations;
    int suffixed = 0;
    for (const SourceStation& s : source.stations) {
        EXPECT_TRUE(stations.insert(s.name).second) << toUtf8(s.name);
        if (std::u16string(u"东西南北").find(s.name.back()) != std::u16string::npos) ++suffixed;
    }
    EXPECT_GT(suffixed, 30);
    ASSERT_EQ(source.codes.size(), source.stations.size());
    for (const SourceCode& c : source.codes) {
        EXPECT_TRUE(stations.count(c.name));
        EXPECT_TRUE(std::all_of(c.code.begin(), c.code.end(),
                                [](char16_t u) { return u >= u'A' && u <= u'Z'; }));
    }

    std::set<std::u16string> numbers;
    std::set<char16_t> kinds;
    for (const SourceTrain& t : source.trains) {
        EXPECT_TRUE(numbers.insert(t.name).second) << toUtf8(t.name);
        kinds.insert(t.name[0] >= u'0' && t.name[0] <= u'9' ? u'0' : t.name[0]);
        EXPECT_TRUE(t.kindCode >= 0 && t.kindCode <= 127 && t.fareFactor >= 0 &&
                    t.fareFactor <= 127);
        EXPECT_TRUE(t.ruleNumber >= 0 && t.ruleNumber < static_cast<int>(source.rules.size()));
        EXPECT_LE(t.validFrom, t.validUntil);
        ASSERT_GE(t.stops.size(), 2u) << toUtf8(t.name);
        EXPECT_EQ(t.stops.front().distanceKm, 0);
        for (std::size_t i = 0; i < t.stops.size(); ++i) {
            const SourceStop& s = t.stops[i];
            EXPECT_TRUE(stations.count(s.station));
            EXPECT_TRUE(s.arrivalHour >= 0 && s.arrivalHour < 24 && s.arrivalMinute >= 0 &&
                        s.arrivalMinute < 60);
            EXPECT_TRUE(s.dwellMinutes >= 0 && s.dwellMinutes <= 127);
            EXPECT_LE(s.distanceKm, 16383);
            // Trains run along lines: the distance from the origin only grows.
            if (i > 0) {
                EXPECT_GT(s.distanceKm, t.stops[i - 1].distanceKm) << toUtf8(t.name);
            }
        }
    }
    EXPECT_EQ(kinds, (std::set<char16_t>{u'0', u'C', u'D', u'G', u'K', u'T', u'Z'}));
    EXPECT_TRUE(numbers.count(u"G101"));
}

// Writes the generated timetable's data files into `dir` and loads them into `db`.
::testing::AssertionResult writeAndLoad(const GeneratorOptions& options, const test::TempDir& dir,
                                        TimetableDb& db) {
    std::string error;
    if (!writeGeneratedTimetable(options, dir.path(), error)) {
        return ::testing::AssertionFailure() << error;
    }
    if (!db.load(dir.wide())) return ::testing::AssertionFailure() << "cannot load";
    return ::testing::AssertionSuccess();
}

TEST(TimetableGenerator, SameSeedGivesTheSameTimetable) {
    const std::string first = fingerprint(generateTimetable({3, 0.05}));
    EXPECT_EQ(first, fingerprint(generateTimetable({3, 0.05})));
    EXPECT_NE(first, fingerprint(generateTimetable({4, 0.05})));
}

TEST(TimetableGenerator, SmallTimetableCompilesLoadsAndAnswers) {
    const GeneratorOptions options{11, 0.05};
    const TimetableSource source = generateTimetable(options);
    test::TempDir dir;
    TimetableDb db;
    ASSERT_TRUE(writeAndLoad(options, dir, db));
    db.queryDate = 20260615;
    EXPECT_EQ(db.stationNames.size(), source.stations.size());
    EXPECT_EQ(db.trainIndex.size(), source.trains.size());

    const int g101 = db.findTrainByNumber(u"G101", 0, true);
    ASSERT_GE(g101, 0);
    TrainRecord train;
    db.decodeTrain(g101, train);
    auto it = std::find_if(source.trains.begin(), source.trains.end(),
                           [](const SourceTrain& t) { return t.name == u"G101"; });
    ASSERT_NE(it, source.trains.end());
    EXPECT_EQ(train.stops.size(), it->stops.size());

    const TimetableStats stats = timetableStats(source, 1);
    std::vector<ResultRow> rows;
    db.queryStation(stats.busiest[0].first, rows);
    EXPECT_EQ(static_cast<int>(rows.size()), stats.busiest[0].second);

    std::vector<std::u16string> names;
    db.suggestStations(source.codes[0].code, names);
    EXPECT_FALSE(names.empty());
}

// One line per row or stretch, everything it holds.
std::string trace(const std::vector<ResultRow>& rows, const std::vector<TrainStretch>& stretches) {
    std::string text;
    for (const ResultRow& r : rows) {
        for (const std::u16string* field :
             {&r.trainName, &r.originStation, &r.terminusStation, &r.kindText, &r.departureStation,
              &r.departureTime, &r.arrivalStation, &r.arrivalTime, &r.distanceText,
              &r.travelTimeText, &r.hardSeatFare, &r.softSeatFare, &r.hardSleeperFare,
              &r.softSleeperFare}) {
            text += toUtf8(*field) + " ";
        }
        text += std::to_string(r.status) + "\n";
    }
    for (const TrainStretch& s : stretches) {
        text += std::to_string(s.trainIndex) + ":" + std::to_string(s.departureStop) + "-" +
                std::to_string(s.arrivalStop) + " " + std::to_string(static_cast<int>(s.status)) +
                "\n";
    }
    return text;
}

// The busiest stations of a generated network, in pairs both ways and on days across the
// validity and outside it: the fast queries answer exactly as the plain ones.
// The national timetable and smaller ones are timetables the check passes: whatever it finds
// there would be found in every real timetable too.
TEST(TimetableGenerator, GeneratedTimetablesPassTheCheck) {
    for (const GeneratorOptions& options :
         {GeneratorOptions{1, 1.0}, GeneratorOptions{2, 0.05}, GeneratorOptions{3, 0.001}}) {
        test::TempDir dir;
        std::string error;
        ASSERT_TRUE(writeGeneratedTimetable(options, dir.path(), error)) << error;
        const CheckReport report = checkTimetable(dir.wide());
        EXPECT_TRUE(report.passed())
            << options.scale << ": " << describeFinding(report.errors.front());
        EXPECT_EQ(report.warningCount, 0) << options.scale;
    }
}

TEST(TimetableGenerator, FastAndPlainQueriesAgreeOnAGeneratedNetwork) {
    const GeneratorOptions options{5, 0.05};
    const TimetableSource source = generateTimetable(options);
    test::TempDir dir;
    TimetableDb db;
    ASSERT_TRUE(writeAndLoad(options, dir, db));
    const TimetableStats stats = timetableStats(source, 12);
    std::vector<std::u16string> places;
    for (const auto& [name, trains] : stats.busiest) places.push_back(name);
    // Place names that stand for several stations through the suffix table.
    for (const std::u16string& name : std::vector<std::u16string>(places)) {
        if (name.size() > 1 && (name.back() == u'南' || name.back() == u'东')) {
            places.push_back(name.substr(0, name.size() - 1));
        }
    }
    for (const DateKey date : {20250101, 20260615, 20261208, 20301231}) {
        db.queryDate = date;
        auto answers = [&] {
            std::string text;
            for (const std::u16string& from : places) {
                std::vector<ResultRow> rows;
                std::vector<TrainStretch> stretches;
                db.queryStation(from, rows);
                db.findStationTrains(from, stretches);
                text += trace(rows, stretches);
                for (const std::u16string& to : places) {
                    rows.clear();
                    stretches.clear();
                    db.queryStationToStation(from, to, rows);
                    db.findStationToStation(from, to, stretches);
                    text += trace(rows, stretches);
                }
            }
            return text;
        };
        db.useIndexes = true;
        const std::string fast = answers();
        db.useIndexes = false;
        const std::string plain = answers();
        db.useIndexes = true;
        EXPECT_GT(fast.size(), 10000u);
        EXPECT_TRUE(fast == plain) << "on " << date;
    }

    // A freshly loaded database asked in the other order builds its indexes in another order.
    TimetableDb cold;
    ASSERT_TRUE(cold.load(dir.wide()));
    cold.queryDate = db.queryDate;
    db.useIndexes = false;
    for (auto from = places.rbegin(); from != places.rend(); ++from) {
        for (auto to = places.rbegin(); to != places.rend(); ++to) {
            std::vector<ResultRow> rows;
            std::vector<ResultRow> expected;
            cold.queryStationToStation(*from, *to, rows);
            db.queryStationToStation(*from, *to, expected);
            ASSERT_EQ(trace(rows, {}), trace(expected, {}));
        }
    }
}

}  // namespace
}  // namespace zelvan::bench
