// A second, plain reading of the journey rules for the tests: every journey enumerated leg by
// leg (no pruning, no lower bounds, statuses asked of decodeTrain as the station query asks),
// a check of one journey's legs, and small random timetables full of the awkward cases. The
// timetable's own tables count as the rules say: change times, walks, stops where riders may
// not board or leave, and wheelchair access for step-free questions.
#pragma once

#include <compare>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "compiler/timetable_source.h"
#include "db/timetable_db.h"
#include "journey/journey.h"

namespace zelvan::test {

// What the answer is compared on.
struct Triple {
    int departure = 0;
    int arrival = 0;
    int changes = 0;
    auto operator<=>(const Triple&) const = default;
};

class JourneyOracle {
  public:
    explicit JourneyOracle(TimetableDb& db) : db_(db) {}

    // The stations of a place: the name with each suffix, in order, as stationIndexByName
    // resolves them (alias included), each once.
    std::vector<int> placeStations(const std::u16string& place) const;
    // Two stations of one place, by their names (no alias).
    bool onePlace(int a, int b) const;

    // The unbeaten (departure, arrival, changes) of every journey of the day of travel by the
    // rules; the journeys of the next day take part only as ones that may beat them.
    std::set<Triple> unbeaten(const std::u16string& from, const std::u16string& to, DateKey date,
                              const JourneyOptions& options);
    // What breaks the rules in `journey` ("" when nothing does).
    std::string check(const Journey& journey, const std::u16string& from, const std::u16string& to,
                      DateKey date, const JourneyOptions& options);

  private:
    // A change from a station: where to, and the least minutes it takes.
    struct Change {
        int station;
        int minutes;
    };
    // The changes allowed after arriving at `station`: there, by a walk, within its place.
    std::vector<Change> changesFrom(int station, const JourneyOptions& options);
    // The least minutes of a change from `from` to `to`, -1 where none is allowed.
    int changeMinutes(int from, int to, const JourneyOptions& options);
    // A rider may board (leave) train `train` at its stop `position`.
    bool mayBoard(int train, int position, const JourneyOptions& options);
    bool mayLeave(int train, int position, const JourneyOptions& options);
    // Whether a ride boarded at `from` and left at `to` passes one of `vias` on the way, on
    // the train standing there at least `minutes` (only at stops it reaches after leaving).
    bool passes(int train, int from, int to, const std::vector<int>& vias, int minutes);
    // The station query of day `day` (days after `date`) at `station` marks the train running.
    bool runs(int train, DateKey date, int day, int station);
    // Arrival times along the run: the first stop's clock, then legs modulo a day.
    const std::vector<int>& runTimes(int train);
    const TrainRecord& train(int index);

    TimetableDb& db_;
    std::map<int, TrainRecord> trains_;
    std::map<int, std::vector<int>> times_;
    std::map<std::tuple<int, DateKey, int, int>, bool> runs_;
};

// "#N" stations, places of several stations (甲, 甲东, 甲西 ...; 淮南 and 淮北 without 淮),
// a name used twice, overnight runs, trains calling twice at a station, long dwells, periodic
// rules and validity ending around `date`.
TimetableSource randomJourneyTimetable(std::mt19937& random, DateKey date);
// A line of seven to nine places (甲 乙 丙 丁 戊 己 庚 辛 壬, in a random order), each with a
// second station of its place now and then, and short daily hops between neighbours: from one
// end to the other takes a change at every place on the way.
TimetableSource longLineTimetable(std::mt19937& random, DateKey date);
// Adds the tables of an imported timetable to `source`: walks between random stations, change
// times of their own, stops where riders may not board or leave, and wheelchair access of
// stations and trains (yes, no, or nothing said), bicycles of trains.
void addRandomTables(std::mt19937& random, TimetableSource& source);

// Writes the data files of `source` into `folder` and loads them into `db`; false (with a
// test failure) when either fails.
bool loadTimetable(const TimetableSource& source, const std::filesystem::path& folder,
                   TimetableDb& db);

// The calendar date `days` after `date`, by the standard library's calendar.
DateKey shiftDate(DateKey date, int days);

}  // namespace zelvan::test
