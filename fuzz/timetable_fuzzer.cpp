// Fuzz target: a timetable folder. The input is split into the data files (timetableFileNames():
// s.i, t.i, S0-S9.dat, T0-T19.dat, t.rule, name.txt, ads.txt, ver.txt, pinyin.txt, the tables
// beyond the record files, then S.dat and T.dat of the wide form, in that order; files past the
// last piece are absent; a piece for T.dat makes it a timetable of the wide form), loaded, checked
// and asked every query, once through the load-time indexes and once by the plain scans, and
// journeys with changes are planned on it. Beyond memory safety it holds the check to its word: a
// timetable that passes must load, and decode into stops that name stations and times that exist.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/record_layout.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "fuzz_support.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"

namespace zelvan::fuzz {
namespace {

// Answers are compared as UTF-16 text: no conversion on the way, which would cost more than
// the queries themselves.
void add(std::u16string& trace, const std::u16string& text) {
    trace += text;
    trace += u'|';
}

void add(std::u16string& trace, long long number) {
    for (char c : std::to_string(number)) trace += static_cast<char16_t>(c);
    trace += u' ';
}

void addRows(std::u16string& trace, const std::vector<ResultRow>& rows) {
    for (const ResultRow& r : rows) {
        for (const std::u16string* text :
             {&r.trainName, &r.originStation, &r.terminusStation, &r.kindText, &r.departureStation,
              &r.departureTime, &r.arrivalStation, &r.arrivalTime, &r.distanceText,
              &r.travelTimeText, &r.hardSeatFare, &r.softSeatFare, &r.hardSleeperFare,
              &r.softSleeperFare, &r.feedFare}) {
            add(trace, *text);
        }
        add(trace, r.status);
    }
}

// Every question the program can ask, its answers as text.
std::u16string exercise(TimetableDb& db) {
    std::u16string trace;
    db.queryDate = 20110601;
    const int trains = static_cast<int>(db.trainIndex.size());
    for (int t = -1; t <= std::min(trains, 40); ++t) {
        db.fromStation = t % 3 - 1;
        TrainRecord train;
        db.decodeTrain(t, train);
        add(trace, train.name);
        add(trace, static_cast<int>(train.status));
        for (const StopRecord& s : train.stops) {
            for (int value : {s.station, s.arrivalHour, s.arrivalMinute, s.distanceKm}) {
                add(trace, value);
            }
        }
        if (!train.stops.empty()) {
            ResultRow row;
            if (db.buildResultRow(train, &train.stops.front(), &train.stops.back(), row)) {
                addRows(trace, {row});
            }
        }
    }
    // A few places: the first stations, the last, a name no station has and the alias.
    std::vector<std::u16string> places;
    const int stations = static_cast<int>(db.stationNames.size());
    for (int s = 0; s < std::min(stations, 4); ++s) places.push_back(db.stationNames[s]);
    if (stations > 4) places.push_back(db.stationNames.back());
    places.push_back(u"宁波");
    for (const std::u16string& from : places) {
        std::vector<ResultRow> rows;
        db.queryStation(from, rows);
        addRows(trace, rows);
        for (const std::u16string& to : places) {
            rows.clear();
            db.queryStationToStation(from, to, rows);
            addRows(trace, rows);
        }
    }
    if (places.size() >= 2) {
        std::vector<std::u16string> via;
        db.queryTransferStations(places[0], places[1], via);
        for (const std::u16string& name : via) add(trace, name);
        std::vector<ResultRow> rows;
        add(trace, db.queryTransferTrains(places[0], via.empty() ? places.back() : via.front(),
                                          places[1], rows));
        addRows(trace, rows);
    }
    for (const std::u16string& text :
         {std::u16string(u"1"), std::u16string(u"K"), db.trainNameByIndex(0)}) {
        std::vector<ResultRow> rows;
        db.queryTrainNumber(text, rows);
        addRows(trace, rows);
        add(trace, db.findTrainByNumber(text, 0, true));
    }
    int codes = 0;
    for (const auto& entry : db.stationsByCode) {
        if (codes++ == 3) break;
        std::vector<std::u16string> names;
        db.suggestStations(entry.first, names);
        for (const std::u16string& name : names) add(trace, name);
    }
    // Pinyin, initials and first characters (pinyin.txt is read on the first search).
    for (const std::u16string& typed :
         {std::u16string(u"bj"), std::u16string(u"xi'an"), std::u16string(u"北"), places.front()}) {
        std::vector<std::u16string> names;
        db.findStations(typed, names, 20);
        for (const std::u16string& name : names) add(trace, name);
    }
    return trace;
}

// Journeys between the first stations and the last, with every change allowed. On a timetable
// that passed the check (`sound`), each leg leaves no earlier than the one before it arrives,
// and a journey's times are its legs'.
void exerciseJourneys(const TimetableDb& db, bool sound) {
    const int stations = static_cast<int>(db.stationNames.size());
    if (stations < 2) return;
    JourneyPlanner planner(db);
    JourneyOptions options;
    options.maxChanges = kMaxJourneyChanges;
    options.changeMinutes = 0;
    for (const auto& [from, to] : {std::pair{0, stations - 1}, std::pair{stations - 1, 1}}) {
        const std::vector<Journey> journeys =
            planner.plan(db.stationNames[from], db.stationNames[to], db.queryDate, options);
        for (const Journey& journey : sound ? journeys : std::vector<Journey>{}) {
            if (journey.legs.empty() ||
                journey.changes + 1 != static_cast<int>(journey.legs.size())) {
                fail("a journey whose changes are not its legs");
            }
            if (journey.departure != journey.legs.front().departure ||
                journey.arrival != journey.legs.back().arrival) {
                fail("a journey whose times are not its legs'");
            }
            for (std::size_t i = 1; i < journey.legs.size(); ++i) {
                if (journey.legs[i].departure < journey.legs[i - 1].arrival)
                    fail("a leg that leaves before the one before it arrives");
            }
        }
        journeyRows(db, journeys, db.queryDate);
    }
}

constexpr std::size_t kPlainLimit = 150;

// A timetable that passed the check decodes into what the check promised.
void expectSound(const TimetableDb& db) {
    const int stations = static_cast<int>(db.stationNames.size());
    const int trains = static_cast<int>(db.trainIndex.size());
    for (int t = 0; t < trains; ++t) {
        TrainRecord train;
        db.decodeTrain(t, train);
        for (const StopRecord& s : train.stops) {
            if (s.station < 0 || s.station >= stations) fail("a stop outside the station list");
            if (s.arrivalHour > 23 || s.arrivalMinute > 59) fail("a time that does not exist");
        }
    }
    std::vector<int> listed;
    for (int s = 0; s < stations; ++s) {
        db.trainsAtStation(db.stationNames[s], listed);
        for (int t : listed) {
            if (t < 0 || t >= trains) fail("a station listing a train that does not exist");
        }
    }
}

}  // namespace
}  // namespace zelvan::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    const std::vector<std::string>& names = timetableFileNames();
    const std::filesystem::path folder = scratchFolder() / "timetable";
    writeFiles(folder, names, splitInput(data, size, names.size()));

    TimetableDb db;
    const bool loaded = db.load(fromUtf8(folder.string()));
    const CheckReport report = checkTimetable(db.folder);
    if (report.passed()) {
        if (!loaded) fail("the check passed a timetable that does not load");
        expectSound(db);
    }
    db.useIndexes = true;
    const std::u16string fast = exercise(db);
    if (loaded) exerciseJourneys(db, report.passed());
    // The plain scans grow with the square of the timetable: they are compared on the small
    // ones, where the fuzzer spends most of its time anyway.
    if (db.trainIndex.size() > kPlainLimit || db.stationNames.size() > kPlainLimit) return 0;
    // The wide form finds names by binary search over its own name order, which the check
    // verifies: a timetable whose order is broken is refused, and on one that passed both
    // lookups agree. The narrow form has no such order and agrees on every input.
    if (wideRecordFile(db.stationFiles, true).valid() && !report.passed()) return 0;
    db.useIndexes = false;
    if (const std::u16string plain = exercise(db); plain != fast) {
        // ZELVAN_FUZZ_TRACE=1 prints both answers where they part, to find which question.
        if (std::getenv("ZELVAN_FUZZ_TRACE") != nullptr) {
            std::size_t at = 0;
            while (at < plain.size() && at < fast.size() && plain[at] == fast[at]) ++at;
            const std::size_t from = at > 200 ? at - 200 : 0;
            std::fprintf(stderr, "indexed: %s\nplain:   %s\n",
                         toUtf8(fast.substr(from, 400)).c_str(),
                         toUtf8(plain.substr(from, 400)).c_str());
        }
        fail("the indexes answer otherwise than the plain scans");
    }
    return 0;
}
