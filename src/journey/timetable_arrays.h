// The timetable as the journey search reads it: flat arrays of times per stop, the stops at each
// station, the stations of one place and least riding times, built once from a loaded database
// and read-only afterwards.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "db/records.h"
#include "db/timetable_extensions.h"

namespace zelvan {

class TimetableDb;

// Day numbers (TrainDays::validFromDay) count days from this date; only differences are used.
inline constexpr DateKey kDayZero = 19700101;

// A train's running days: validity and the running rule of its t.rule line.
struct TrainDays {
    DateKey validFrom = 0;
    DateKey validUntil = 0;
    int validFromDay = 0;  // day number of validFrom (daysBetween from a fixed date)
    long long period = 1;
    long long mask = 1;
    // The days it leaves its first stop on, for a train that runs on listed days (the rule
    // above then does not count); owned by the database.
    const ServiceDays* listed = nullptr;
};

// A stop named by its train and its position in the train's run, with its flat number and
// its departure along the run (kept here for the searches that walk a station's stops).
struct StopRef {
    std::int32_t train = 0;
    std::int32_t position = 0;
    std::int32_t stop = 0;
    std::int32_t departure = 0;
};

// A way into a station from the one before it on some train, with the least minutes riding it.
struct RideEdge {
    std::int32_t from = 0;
    std::int32_t minutes = 0;
};

// Times of a run: the first stop's arrival is its clock time (minutes after midnight); every
// next arrival adds (next clock - this clock) modulo a day, so no leg lasts a day or more.
// Stops are numbered flat: train t's stop at position p is stop firstStop[t] + p.
struct TimetableArrays {
    int stationCount = 0;  // station indices in use: the named ones and any a stop names beyond
    int trainCount = 0;

    std::vector<std::int32_t> firstStop;  // train -> its first flat stop; [trainCount] = total
    std::vector<TrainDays> days;          // train -> validity and rule

    // stop -> station index (a timetable of the wide form holds more than 65,536 stations)
    std::vector<std::int32_t> station;
    std::vector<std::int32_t> arrival;    // stop -> arrival, minutes from the run's first midnight
    std::vector<std::int32_t> departure;  // stop -> arrival + dwell
    std::vector<std::int32_t> clockDay;   // stop -> (arrival - clock time) / day: the calendar
                                          // day of the stop's clock, from the run's first day
    std::vector<std::int32_t> statusOffset;  // stop -> the day offset the station query counts
                                             // for this train at this stop's station
    std::vector<std::int32_t> alightFrom;    // stop -> first position a rider boarding here may
                                             // leave at: the arrival is not before the departure;
                                             // the stop count where no rider may board
    std::vector<std::uint8_t> noAlight;      // stop -> 1 where no rider may leave the train
    // The same two for step-free journeys (buildStepFreeArrays; empty until then): no rider
    // boards or leaves a train the timetable does not call wheelchair accessible, nor at a
    // station it does not call step-free.
    std::vector<std::int32_t> stepFreeAlightFrom;
    std::vector<std::uint8_t> stepFreeNoAlight;

    std::vector<std::uint32_t> stationStopStart;  // station -> first entry in stationStops; +1
    std::vector<StopRef> stationStops;  // the stops at each station, by departure clock time
    std::vector<std::uint16_t> stationStopClock;  // ... and that clock time, minutes after
                                                  // midnight (departure modulo a day)

    // Places: a group holds the stations whose names, each less at most one suffix, give one
    // station's name (北京, 北京西, 北京南 ...). Two stations are of one place when they share a
    // group; groups of one station are left out.
    std::vector<std::uint32_t> groupStart;    // station -> first entry in stationGroups; +1
    std::vector<std::int32_t> stationGroups;  // the groups of each station
    std::vector<std::uint32_t> memberStart;   // group -> first entry in groupMembers; +1
    std::vector<std::int32_t> groupMembers;   // the stations of each group

    std::vector<std::int16_t> changeAt;  // station -> the timetable's change minutes, -1 none
    std::vector<Walk> walks;             // walks between stations, by `from`

    std::vector<std::uint32_t> rideInStart;  // station -> first entry in rideIn; +1
    std::vector<RideEdge> rideIn;            // least riding minutes from each station before it

    int stopOf(int train, int position) const { return firstStop[train] + position; }
    int stopCount(int train) const { return firstStop[train + 1] - firstStop[train]; }
    // Bytes held by the arrays.
    std::size_t memoryBytes() const;
};

// Reads every train of `db` through decodeTrain (no member of the database is changed).
TimetableArrays buildTimetableArrays(const TimetableDb& db);
// Fills the step-free arrays of `arrays` (built from `db`) from the timetable's access tables.
void buildStepFreeArrays(const TimetableDb& db, TimetableArrays& arrays);

}  // namespace zelvan
