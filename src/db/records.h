// Decoded train records and the shared small types of the timetable: dates and running status.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvan {

// A calendar date as year * 10000 + month * 100 + day; integer order is date order.
using DateKey = int;

// A train's running status on the day of travel.
enum class RunStatus : int {
    NotYetValid = -1,
    Running = 0,
    Expired = 1,
    NotScheduled = 2,
};

// One call of a train at a station.
struct StopRecord {
    std::int32_t arrivalHour = 0;    // 0-23
    std::int32_t arrivalMinute = 0;  // 0-59
    std::int32_t dwellMinutes = 0;   // departure = arrival + dwell
    std::int32_t distanceKm = 0;     // from the train's first stop, 0-16383
    std::int32_t station = 0;        // station index
    std::int32_t sequence = 0;       // 0-based position in the train's run
};

// One decoded train. A new record has an empty name and no stops; the other fields are set
// only by a decode that finds the train.
struct TrainRecord {
    std::u16string name;
    DateKey validFrom = 0;
    DateKey validUntil = 0;
    int kindCode = 0;    // 0-127: low 4 bits kind, bits 4-6 class
    int fareFactor = 0;  // tenths, 0-127
    RunStatus status = RunStatus::Running;
    int ruleNumber = 0;  // line of t.rule holding the running rule
    std::vector<StopRecord> stops;
    int index = -1;  // the train index it was decoded from
};

// One train over one stretch of its run, as numbers: what a result row is built from. The
// departure is the stop the row starts at (a query at one station starts its rows at the
// train's first stop); times and distance are the values the row shows.
struct TrainStretch {
    int trainIndex = 0;
    int departureStop = 0;  // position of the departure stop in the train's stops
    int arrivalStop = 0;    // position of the arrival stop
    RunStatus status = RunStatus::Running;
    int departureHour = 0;  // departure: arrival plus dwell, hours wrapping 23 -> 0
    int departureMinute = 0;
    int arrivalHour = 0;
    int arrivalMinute = 0;
    int distanceKm = 0;  // from the departure stop to the arrival stop
    // Station query: the train ends at the queried station (its row runs from the origin).
    bool endsHere = false;

    bool operator==(const TrainStretch&) const = default;
};

}  // namespace zelvan
