// The load-time indexes and the fast intersection must give exactly the rows of the plain
// scans and nested loops, on timetables full of repeats, strangers and reversed runs.
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
        train.ruleNumber = pick(4);
        const int stops = pick(7);
        int km = pick(50);
        for (int i = 0; i < stops; ++i) {
            SourceStop stop;
            stop.station = source.stations[static_cast<std::size_t>(pick(stationCount))].name;
            stop.arrivalHour = pick(24);
            stop.arrivalMinute = pick(60);
            stop.dwellMinutes = pick(30);
            km += pick(5) == 0 ? -pick(40) : pick(300);  // now and then a step backwards
            stop.distanceKm = std::clamp(km, 0, 16383);
            train.stops.push_back(stop);
        }
        source.trains.push_back(train);
    }
    // Some stations list trains of their own choosing: repeats and trains that never call.
    for (SourceStation& station : source.stations) {
        if (pick(3) != 0) continue;
        station.listKind = StationListKind::Explicit;
        for (int n = pick(6); n > 0; --n) {
            station.trains.push_back(
                source.trains[static_cast<std::size_t>(pick(trainCount))].name);
        }
    }
    source.rules = {u"1 1", u"2 1", u"2 2", u"3 5"};
    source.hasRules = true;
    return source;
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
        trace += render(rows) + "|";
        for (const std::u16string& to : places) {
            rows.clear();
            db.queryStationToStation(from, to, rows);
            trace += render(rows) + "|";
            std::vector<std::u16string> stations;
            db.queryTransferStations(from, to, stations);
            trace += render(stations) + "|";
        }
    }
    for (const char16_t* text : {u"", u"K", u"1", u"K9", u"/", u"7"}) {
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
    }
}

}  // namespace
}  // namespace zelvan::test
