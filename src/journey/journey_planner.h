// The journey planner: the journeys from one place to another on a day, with changes, that no
// other journey beats on departure, arrival and number of changes.
//
// The search is a range search in rounds (round r finds the journeys of r legs): the first
// legs leaving the origin are taken latest departure first, and each departure time runs the
// rounds over the times the later departures already left behind, so an earlier departure only
// works where it arrives earlier. Times are whole minutes from midnight starting the day of
// travel; a train's run is its times from the first stop, placed on a calendar day by the day
// of its boarding.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

#include "db/records.h"
#include "journey/journey.h"
#include "journey/search_state.h"
#include "journey/timetable_arrays.h"

namespace zelvan {

class TimetableDb;

class JourneyPlanner {
  public:
    // Reads the whole timetable of `db` (loaded) into the planner's arrays; `db` must outlive
    // the planner and stay as loaded.
    explicit JourneyPlanner(const TimetableDb& db);
    JourneyPlanner(const JourneyPlanner&) = delete;
    JourneyPlanner& operator=(const JourneyPlanner&) = delete;

    const TimetableDb& database() const { return db_; }
    const TimetableArrays& arrays() const { return arrays_; }

    // The stations of a place name as the station-to-station query takes it: the name followed
    // by each station suffix in order (the alias applies), each station once.
    std::vector<int> placeStations(const std::u16string& place) const;

    // The journeys from place `from` to place `to` leaving on `date`: none when either names no
    // station, when they share a station, when a via station is one of theirs, or when the
    // options are out of range. Ordered by departure, then arrival, then changes. With a
    // latest arrival, the journeys no other beats among those arriving by it; with via
    // stations, among those passing one (see JourneyOptions).
    std::vector<Journey> plan(const std::u16string& from, const std::u16string& to, DateKey date,
                              const JourneyOptions& options);
    // The same between sets of station indices.
    std::vector<Journey> plan(const std::vector<int>& origins, const std::vector<int>& destinations,
                              DateKey date, const JourneyOptions& options);

    // The least minutes from arriving at station `from` to leaving from station `to` that a
    // search with `options` allows: the change time at one station, a walk the timetable gives
    // or the change between two stations of one place, the least of those that apply; -1 when
    // none does (or a station is out of range).
    int changeMinutes(int from, int to, const JourneyOptions& options) const;

    // Writes every round of every search (stations improved, by which train) to `trace`;
    // null turns it off.
    void setTrace(std::ostream* trace) { trace_ = trace; }
    // The search state as the last search left it.
    const SearchState& state() const { return state_; }

    // Bytes held by the planner's arrays and its search state.
    std::size_t memoryBytes() const;

  private:
    const TimetableDb& db_;
    TimetableArrays arrays_;
    SearchState state_;
    std::ostream* trace_ = nullptr;
};

}  // namespace zelvan
