// The load-time indexes and the fast intersection must give exactly the rows of the plain
// scans and nested loops, on timetables full of repeats, strangers and reversed runs; and the
// stretches the two queries find must be those rows, as numbers.
#include <filesystem>
#include <random>

#include "query_fixture.h"

namespace zelvan::test {
namespace {

TimetableSource randomTimetable(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    TimetableSource source;
    const int stationCount = 3 + pick(12);
    const char16_t* suffixes[] = {u"", u"东", u"西", u"南", u"虹桥"};
    for (int s = 0; s < stationCount; ++s) {
        SourceStation station;
        station.name =
            u"站" + std::u16string(1, static_cast<char16_t>(u'A' + s / 5)) + suffixes[s % 5];
        source.stations.push_back(station);
    }
    const int trainCount = 1 + pick(25);
    for (int t = 0; t < trainCount; ++t) {
        SourceTrain train;
        train.name = u"K" + fromUtf8(std::to_string(t * 7 % 100)) + (t % 3 ? u"" : u"/K9");
        train.name += fromUtf8(std::to_string(t));
        train.kindCode = pick(128);
        train.fareFactor = pick(20);
        train.validFrom = 20260101 + pick(3) * 10000;
        train.validUntil = train.validFrom + 10000;
        train.ruleNumber = pick(5);
        const int stops = pick(7);
        int km = pick(50);
        for (int i = 0; i < stops; ++i) {
            SourceStop stop;
            stop.station = source.stations[static_cast<std::size_t>(pick(stationCount))].name;
            stop.arrivalHour = pick(24);
            stop.arrivalMinute = pick(60);
            stop.dwellMinutes = pick(30);
            // Now and then a step backwards, or none (two stations at one distance).
            km += pick(5) == 0 ? -pick(40) : pick(6) == 0 ? 0 : pick(300);
            stop.distanceKm = std::clamp(km, 0, 16383);
            train.stops.push_back(stop);
        }
        source.trains.push_back(train);
    }
    // Some stations list trains of their own choosing: repeats and trains that never call;
    // a few have no record at all.
    for (SourceStation& station : source.stations) {
        if (pick(8) == 0) station.listKind = StationListKind::NoRecord;
        if (pick(3) != 0) continue;
        station.listKind = StationListKind::Explicit;
        for (int n = pick(6); n > 0; --n) {
            station.trains.push_back(
                source.trains[static_cast<std::size_t>(pick(trainCount))].name);
        }
    }
    // Codes that share prefixes (ZA, ZAB, ZAC ...), some stations twice under one code.
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        std::u16string code = u"Z";
        code += static_cast<char16_t>(u'A' + s / 5);
        if (s % 5 != 0 && pick(3) != 0) code += static_cast<char16_t>(u'A' + s % 5);
        source.codes.push_back({code, source.stations[s].name});
        if (pick(6) == 0) source.codes.push_back({u"ZA", source.stations[s].name});
    }
    source.hasCodes = true;
    source.rules = {u"1 1", u"2 1", u"2 2", u"3 5", u"7 85"};
    source.hasRules = true;
    return source;
}

std::string renderTrain(const TrainRecord& train) {
    std::string text = toUtf8(train.name) + " " + std::to_string(train.kindCode) + " " +
                       std::to_string(train.fareFactor) + " " + std::to_string(train.validFrom) +
                       "-" + std::to_string(train.validUntil) + " r" +
                       std::to_string(train.ruleNumber) + " s" +
                       std::to_string(static_cast<int>(train.status)) + ":";
    for (const StopRecord& stop : train.stops) {
        text += " " + std::to_string(stop.station) + "@" + std::to_string(stop.arrivalHour) + "." +
                std::to_string(stop.arrivalMinute) + "+" + std::to_string(stop.dwellMinutes) + "/" +
                std::to_string(stop.distanceKm) + "#" + std::to_string(stop.sequence);
    }
    return text + "\n";
}

// What the database layer answers on its own: records, lists, stops for places, suggestions
// and reach maps.
std::string everyLookup(TimetableDb& db, const std::vector<std::u16string>& places) {
    std::string trace;
    std::vector<TrainRecord> trains;
    const int count = static_cast<int>(db.trainIndex.size());
    for (int t = -1; t <= count + 1; ++t) {
        db.fromStation = t % 3 == 0 ? -1 : t % 7;
        trains.emplace_back();
        db.decodeTrain(t, trains.back());
        trace += renderTrain(trains.back());
    }
    for (const std::u16string& place : places) {
        std::vector<int> list;
        db.trainsAtStation(place, list);
        for (int t : list) trace += std::to_string(t) + ",";
        for (const TrainRecord& train : trains) {
            std::optional<StopRecord> stop = db.findStopForPlace(place, train);
            trace += stop ? std::to_string(stop->sequence) : "-";
        }
        for (bool forward : {true, false}) {
            std::map<int, int> reach;
            db.collectReachableStations(place, reach, forward);
            for (auto [station, km] : reach) {
                trace += std::to_string(station) + ":" + std::to_string(km) + " ";
            }
        }
        trace += "|";
    }
    for (const auto& entry : db.stationsByCode) {
        std::vector<std::u16string> names;
        db.suggestStations(entry.first, names);
        trace += render(names) + "|";
    }
    return trace;
}

// The stretches a query finds, checked against the rows it gives: each stretch becomes the row
// at its place and carries that row's times, distance and status. Returns them as text.
std::string checkedStretches(const TimetableDb& db, const std::vector<TrainStretch>& stretches,
                             const std::vector<ResultRow>& rows) {
    EXPECT_EQ(stretches.size(), rows.size());
    std::string trace;
    for (std::size_t i = 0; i < stretches.size() && i < rows.size(); ++i) {
        const TrainStretch& s = stretches[i];
        ResultRow row;
        EXPECT_TRUE(db.buildResultRow(s, row));
        EXPECT_EQ(row, rows[i]) << i;
        EXPECT_EQ(clockText(s.departureHour, s.departureMinute), rows[i].departureTime);
        EXPECT_EQ(clockText(s.arrivalHour, s.arrivalMinute), rows[i].arrivalTime);
        EXPECT_EQ(fromUtf8(std::to_string(s.distanceKm)), rows[i].distanceText);
        EXPECT_EQ(static_cast<int>(s.status), rows[i].status);
        trace += std::to_string(s.trainIndex) + ":" + std::to_string(s.departureStop) + "-" +
                 std::to_string(s.arrivalStop) + " ";
    }
    return trace;
}

std::string everyQuery(TimetableDb& db, const TimetableSource& source) {
    std::string trace;
    std::vector<std::u16string> places;
    for (const SourceStation& s : source.stations) places.push_back(s.name);
    places.push_back(u"站A");
    places.push_back(u"宁波");
    for (const std::u16string& from : places) {
        std::vector<ResultRow> rows;
        db.queryStation(from, rows);
        std::vector<TrainStretch> stretches;
        db.findStationTrains(from, stretches);
        trace += render(rows) + checkedStretches(db, stretches, rows) + "|";
        for (const std::u16string& to : places) {
            rows.clear();
            const bool found = db.queryStationToStation(from, to, rows);
            stretches.clear();
            EXPECT_EQ(db.findStationToStation(from, to, stretches), found);
            trace += render(rows) + checkedStretches(db, stretches, rows) + "|";
            std::vector<std::u16string> stations;
            db.queryTransferStations(from, to, stations);
            trace += render(stations) + "|";
        }
    }
    for (const char16_t* text : {u"", u"K", u"1", u"K9", u"/", u"7", u"/K9", u"3/K", u"K9/"}) {
        std::vector<ResultRow> rows;
        db.queryTrainNumber(text, rows);
        trace += render(rows) + "|" + std::to_string(db.findTrainByNumber(text, 2, true));
    }
    return trace;
}

TEST(IndexedQueries, SameResultsAsPlainScansOnRandomTimetables) {
    std::mt19937 random(8122026);
    for (int round = 0; round < 40; ++round) {
        TimetableSource source = randomTimetable(random);
        TempDir dir;
        std::string error;
        ASSERT_TRUE(writeDataFiles(source, dir.path(), error)) << error;
        TimetableDb db;
        ASSERT_TRUE(db.load(dir.wide()));
        db.queryDate = 20270315;
        db.useIndexes = true;
        const std::string fast = everyQuery(db, source);
        db.useIndexes = false;
        const std::string plain = everyQuery(db, source);
        ASSERT_EQ(fast, plain) << "round " << round;

        std::vector<std::u16string> places;
        for (const SourceStation& s : source.stations) places.push_back(s.name);
        places.push_back(u"站A");
        places.push_back(u"宁波");
        db.useIndexes = true;
        const std::string fastLookups = everyLookup(db, places);
        db.useIndexes = false;
        ASSERT_EQ(fastLookups, everyLookup(db, places)) << "round " << round;

        // Each question first on a freshly loaded database, with nothing indexed yet, and then
        // again: the indexes built for one question must serve the next as the scans do.
        db.useIndexes = false;
        for (const std::u16string& from : places) {
            for (const std::u16string& to : {from, places.front(), places.back()}) {
                TimetableDb fresh;
                ASSERT_TRUE(fresh.load(dir.wide()));
                fresh.queryDate = db.queryDate;
                for (int pass = 0; pass < 2; ++pass) {
                    std::vector<ResultRow> rows;
                    std::vector<ResultRow> expected;
                    fresh.queryStationToStation(from, to, rows);
                    db.queryStationToStation(from, to, expected);
                    ASSERT_EQ(render(rows), render(expected)) << "round " << round;
                    rows.clear();
                    expected.clear();
                    fresh.queryStation(to, rows);
                    db.queryStation(to, expected);
                    ASSERT_EQ(render(rows), render(expected)) << "round " << round;
                }
            }
        }

        // A rule line changed after loading is read as it stands now.
        db.runningRules[1] = u"3 6";
        db.useIndexes = true;
        const std::string changed = everyLookup(db, places);
        db.useIndexes = false;
        ASSERT_EQ(changed, everyLookup(db, places)) << "round " << round;
    }
}

// Data files cut short or overwritten at random places: records run into each other, indices
// reach past 16383, lists end early. The fast paths must read them exactly as the scans do.
TEST(IndexedQueries, SameResultsAsPlainScansOnDamagedFiles) {
    std::mt19937 random(20261208);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        TimetableSource source = randomTimetable(random);
        TempDir dir;
        std::string error;
        ASSERT_TRUE(writeDataFiles(source, dir.path(), error)) << error;
        for (int damage = 1 + pick(4); damage > 0; --damage) {
            const std::string name = pick(2) ? "T" + std::to_string(pick(20)) + ".dat"
                                             : "S" + std::to_string(pick(10)) + ".dat";
            std::string bytes = readBytes(dir / name);
            if (bytes.empty()) continue;
            if (pick(2)) {
                bytes.resize(static_cast<std::size_t>(pick(static_cast<int>(bytes.size()))));
            } else {
                for (int n = 1 + pick(3); n > 0; --n) {
                    bytes[static_cast<std::size_t>(pick(static_cast<int>(bytes.size())))] =
                        static_cast<char>(pick(3) == 0 ? 0x80 : pick(256));
                }
            }
            writeBytes(dir / name, bytes);
        }
        TimetableDb db;
        ASSERT_TRUE(db.load(dir.wide()));
        db.queryDate = 20270315;
        std::vector<std::u16string> places;
        for (const SourceStation& s : source.stations) places.push_back(s.name);
        places.push_back(u"站A");
        db.useIndexes = true;
        const std::string fast = everyQuery(db, source) + everyLookup(db, places);
        db.useIndexes = false;
        const std::string plain = everyQuery(db, source) + everyLookup(db, places);
        ASSERT_EQ(fast, plain) << "round " << round;
    }
}

}  // namespace
}  // namespace zelvan::test
